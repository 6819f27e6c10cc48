#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "tests/support/loopback_server.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using testing::LoopbackServer;
using testing::runCli;

std::string feed(const std::vector<std::pair<std::string, std::string>>& items) {
  std::string text = "<?xml version=\"1.0\"?><rss><channel><title>F</title>";
  for (const auto& [link, title] : items)
    text += "<item><title>" + title + "</title><link>" + link +
            "</link><pubDate>Sun, 06 Nov 1994 08:49:37 GMT</pubDate></item>";
  return text + "</channel></rss>";
}

const char kSet[] =
    "[description]\r\nTest set\r\n"
    "[source]=Feed A\r\nrss\r\n\r\nurl=http://feeds.example.test/a\r\n"
    "[source]=Feed B\r\nrss\r\n\r\nurl=http://feeds.example.test/b\r\n"
    "[source]=Slow\r\nrss\r\n\r\nurl=http://feeds.example.test/slow\r\n"
    "[category]=General\r\nrss/http://feeds.example.test/a/\r\nrss/http://feeds.example.test/b/\r\n"
    "[category]=Only B\r\nrss/http://feeds.example.test/b/\r\n"
    "[category]=With Slow\r\nrss/http://feeds.example.test/slow/\r\nrss/http://feeds.example.test/a/\r\n";

class SearchCommandTest : public ::testing::Test {
 protected:
  SearchCommandTest() {
    server.serve("/a", feed({{"http://shared.test/", "Shared"}, {"http://a.test/1", "A one"}}), "text/xml");
    server.serve("/b", feed({{"http://shared.test/", "Shared"}, {"http://b.test/1", "B one"},
                             {"http://b.test/2", "B two"}}), "text/xml");
    server.stall("/slow");
    setPath = (dir.path() / "set.zcat").string();
    std::ofstream(setPath, std::ios::binary) << kSet;
  }

  // The program's own folders (settings, the default library) are the test's.
  std::vector<std::string> environment() const {
    return {"XDG_DATA_HOME=" + (dir.path() / "data").string(), "XDG_CONFIG_HOME=" + (dir.path() / "config").string()};
  }

  testing::ProcessResult search(std::vector<std::string> args) {
    args.insert(args.begin(), {"--connect-to", "feeds.example.test:80:127.0.0.1:" + std::to_string(server.port()),
                               "search", "--set", setPath});
    return runCli(args, "", environment());
  }

  LoopbackServer server;
  testing::TempDir dir;
  std::string setPath;
};

TEST_F(SearchCommandTest, MergesTheFirstCategoryBestFirst) {
  testing::ProcessResult result = search({"--json", "cats"});
  ASSERT_EQ(result.status, 0) << result.err;
  const std::string& out = result.out;
  EXPECT_EQ(out.rfind(R"({"terms":"cats","category":"General","results":[{"url":"http://shared.test/")", 0), 0u)
      << out;
  // The shared URL names both feeds, in the order they answered.
  std::string first = out.substr(0, out.find("\"position\""));
  EXPECT_NE(first.find("\"rss/http://feeds.example.test/a/\""), std::string::npos) << out;
  EXPECT_NE(first.find("\"rss/http://feeds.example.test/b/\""), std::string::npos) << out;
  EXPECT_NE(out.find(R"("position":0,"score":1000)"), std::string::npos);
  EXPECT_NE(out.find(R"("contentDate":784111777)"), std::string::npos);
  EXPECT_NE(out.find(R"("sponsors":[],"failed":[],"pools":[{"pool":"thumb",)"), std::string::npos) << out;
  // Four distinct URLs from five raw results.
  size_t urls = 0;
  for (size_t at = out.find("\"url\":"); at != std::string::npos; at = out.find("\"url\":", at + 1)) ++urls;
  EXPECT_EQ(urls, 4u);

  testing::ProcessResult text = search({"cats"});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_EQ(text.out.rfind("1. Shared\n   http://shared.test/\n   sources: rss/http://feeds.example.test/", 0), 0u)
      << text.out;
  EXPECT_NE(text.out.find("   position 0, score 1000, content date Sun, 06 Nov 1994 08:49:37 GMT, load date -, marks -\n"),
            std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("4. B two\n"), std::string::npos);
}

TEST_F(SearchCommandTest, CategoryMaxAndAll) {
  testing::ProcessResult onlyB = search({"--json", "--category", "only b", "--max", "1", "x"});
  ASSERT_EQ(onlyB.status, 0) << onlyB.err;
  EXPECT_NE(onlyB.out.find(R"("category":"Only B","results":[{"url":"http://shared.test/")"), std::string::npos)
      << onlyB.out;
  EXPECT_EQ(onlyB.out.find("b.test"), std::string::npos);
  EXPECT_EQ(server.requestCount("/a"), 0);

  // One result per feed, then "more results" asks each for two.
  testing::ProcessResult more = search({"--json", "--max", "1", "--more", "1", "x"});
  ASSERT_EQ(more.status, 0) << more.err;
  EXPECT_NE(more.out.find("http://a.test/1"), std::string::npos);
  EXPECT_NE(more.out.find("http://b.test/1"), std::string::npos);
  EXPECT_EQ(more.out.find("http://b.test/2"), std::string::npos);
  EXPECT_EQ(server.requestCount("/a"), 2);

  testing::ProcessResult all = search({"--json", "--all", "--timeout", "2", "x"});
  ASSERT_EQ(all.status, 0) << all.err;
  EXPECT_EQ(server.requestCount("/a"), 3);
  EXPECT_EQ(server.requestCount("/b"), 4);
  EXPECT_EQ(server.requestCount("/slow"), 1);

  EXPECT_EQ(search({"--category", "nope", "x"}).status, 1);
  EXPECT_EQ(search({"--category", "General", "--all", "x"}).status, 2);
  EXPECT_EQ(runCli({"search", "--set", (dir.path() / "missing.zcat").string(), "x"}, "", environment()).status, 1);
}

TEST_F(SearchCommandTest, ALibrarySearchesWithItsOwnCategories) {
  std::filesystem::create_directories(dir.path() / "library");
  std::ofstream(dir.path() / "library" / "categories.zcat", std::ios::binary) << kSet;
  testing::ProcessResult result =
      runCli({"--connect-to", "feeds.example.test:80:127.0.0.1:" + std::to_string(server.port()), "search",
              "--library", (dir.path() / "library").string(), "--category", "Only B", "--json", "x"},
             "", environment());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find(R"("category":"Only B")"), std::string::npos);
  EXPECT_NE(result.out.find("http://b.test/2"), std::string::npos);
}

TEST_F(SearchCommandTest, WithNoSaveTheDefaultLibraryIsSearchedAndLeftAsItWas) {
  std::filesystem::path library = dir.path() / "data" / "Brambel" / "Default Library";
  std::filesystem::create_directories(library);
  std::ofstream(library / "categories.zcat", std::ios::binary) << kSet;
  testing::ProcessResult result =
      runCli({"--connect-to", "feeds.example.test:80:127.0.0.1:" + std::to_string(server.port()), "search",
              "--no-save", "--category", "Only B", "--json", "x"},
             "", environment());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("http://b.test/2"), std::string::npos);
  std::vector<std::string> entries;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path() / "data"))
    entries.push_back(std::filesystem::relative(entry.path(), dir.path() / "data").string());
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{"Brambel", "Brambel/Default Library",
                                               "Brambel/Default Library/categories.zcat"}));
}

TEST_F(SearchCommandTest, TimeOutStopsASlowSourceAndKeepsTheOthers) {
  auto start = std::chrono::steady_clock::now();
  testing::ProcessResult result = search({"--json", "--category", "With Slow", "--timeout", "1", "x"});
  auto took = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_LT(took, std::chrono::seconds(10));
  EXPECT_NE(result.out.find("http://a.test/1"), std::string::npos);
  EXPECT_NE(result.err.find("stopped after 1 s"), std::string::npos);
}

TEST_F(SearchCommandTest, ExportsTheMergedResultsInEachFormAndHonoursTheSelection) {
  const std::string zset = (dir.path() / "out.zset").string(), html = (dir.path() / "out.HTML").string(),
                    rss = (dir.path() / "out.xml").string(), picked = (dir.path() / "picked.zset").string();
  testing::ProcessResult result = search({"--export", zset, "--export", html, "--export", rss, "cats"});
  ASSERT_EQ(result.status, 0) << result.err;
  // Each file reads back through the import of its form, holding the four merged results.
  for (const std::string& file : {zset, html, rss}) {
    testing::ProcessResult back = runCli({"import", "--json", file}, "", environment());
    ASSERT_EQ(back.status, 0) << file << ": " << back.err;
    for (const char* url : {"http://shared.test/", "http://a.test/1", "http://b.test/1", "http://b.test/2"})
      EXPECT_NE(back.out.find(std::string("\"url\":\"") + url + "\""), std::string::npos) << file << ": " << back.out;
  }
  EXPECT_NE(testing::readFileBytes(rss).find("<description>Search terms: cats"), std::string::npos);

  testing::ProcessResult selected = search({"--export", picked, "--selection", "http://b.test/2",
                                            "--selection", "http://elsewhere.test/", "cats"});
  ASSERT_EQ(selected.status, 0) << selected.err;
  EXPECT_NE(selected.err.find("not among the results, not exported: http://elsewhere.test/"), std::string::npos);
  EXPECT_EQ(testing::readFileBytes(picked), "http://b.test/2\nB two\n\n0\nrss/http://feeds.example.test/b/\n-----\n");

  testing::ProcessResult unwritable = search({"--export", (dir.path() / "no" / "x.zset").string(), "cats"});
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_NE(unwritable.err.find("cannot write"), std::string::npos);
  EXPECT_EQ(search({"--selection", "http://b.test/2", "cats"}).status, 2) << "a selection needs an export";
}

}  // namespace
}  // namespace brambel
