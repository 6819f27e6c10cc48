// brambel-cli on a library end to end: a search saves its pages, the library
// commands find, mark and show them offline, and a second process on a
// library that another holds works read-only without changing a byte.
#include <gtest/gtest.h>

#include <thread>

#include "tests/support/doc_site.h"
#include "tests/support/loopback_server.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using testing::ProcessResult;
using testing::TempDir;
using testing::readFileBytes;

size_t count(const std::string& text, const std::string& word) {
  size_t found = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++found;
  return found;
}

class LibraryCommandTest : public ::testing::Test {
 protected:
  LibraryCommandTest() {
    std::string feed = "<?xml version=\"1.0\"?><rss><channel><title>Docs</title>";
    for (const std::string& page : site.pageUrls(8)) feed += "<item><title>Doc</title><link>" + page + "</link></item>";
    server->serve("/feed.xml", feed + "</channel></rss>", "text/xml");
    server->stall("/stalled.xml");
    setFile = dir.write("docs.zcat", "[settings]\r\nnoMainIndexing=0\r\n"
                                     "[source]=Docs\r\nrss\r\n\r\nurl=" + server->url("/feed.xml") +
                                     "\r\n[source]=Stalled\r\nrss\r\n\r\nurl=" + server->url("/stalled.xml") +
                                     "\r\n[category]=Docs\r\nrss/" + server->url("/feed.xml") +
                                     "/\r\n[category]=Stalled\r\nrss/" + server->url("/stalled.xml") + "/\r\n");
    library = (dir.path() / "Lib").string();
  }

  ProcessResult cli(std::vector<std::string> args) {
    return testing::runCli(args, "",
                           {"XDG_DATA_HOME=" + (dir.path() / "data").string(),
                            "XDG_CONFIG_HOME=" + (dir.path() / "config").string()});
  }

  std::unique_ptr<testing::LoopbackServer> server = std::make_unique<testing::LoopbackServer>();
  testing::DocSite site{*server};
  TempDir dir;
  std::filesystem::path setFile;
  std::string library;
};

TEST_F(LibraryCommandTest, ASearchSavesItsPagesAndTheLibraryFindsThemOffline) {
  if (!testing::DocSite::available()) GTEST_SKIP() << "the documentation pages are not installed";
  ProcessResult opened = cli({"library", "--library", library, "open", "--set", setFile.string()});
  ASSERT_EQ(opened.status, 0) << opened.err;
  EXPECT_NE(opened.out.find("writable\ncategory Docs (1 sources)\n"), std::string::npos) << opened.out;

  ProcessResult searched = cli({"search", "--library", library, "--wait", "--json", "Python"});
  ASSERT_EQ(searched.status, 0) << searched.err;
  EXPECT_EQ(count(searched.out, "\"marks\":{\"permanent\":false,\"pinned\":false,\"ignored\":false,\"read\":false}"), 8u)
      << searched.out;
  EXPECT_NE(searched.out.find(R"({"pool":"save","threads":1,"queued":0,"inProgress":0,"handled":8})"), std::string::npos)
      << "the pools' rows after the wait";

  ProcessResult listed = cli({"library", "--library", library, "list", "--select", "all", "--json"});
  ASSERT_EQ(listed.status, 0) << listed.err;
  EXPECT_EQ(count(listed.out, "\"loadDate\":"), 8u) << listed.out;
  EXPECT_EQ(listed.out.find("\"loadDate\":0"), std::string::npos) << "every page was loaded";

  // Offline: "Filter" scores the saved pages; the index answers a query.
  const std::string first = site.pageUrls(1)[0];
  ASSERT_EQ(cli({"library", "--library", library, "mark", first, "--permanent"}).status, 0);
  ProcessResult filtered = cli({"search", "--library", library, "--no-save", "--mode", "filter", "--json", "Python"});
  ASSERT_EQ(filtered.status, 0) << filtered.err;
  EXPECT_NE(filtered.out.find("\"url\":\"" + first + "\""), std::string::npos) << filtered.out;
  ProcessResult queried = cli({"library", "--library", library, "query", "--json", "Python"});
  ASSERT_EQ(queried.status, 0) << queried.err;
  EXPECT_NE(queried.out.find("\"url\":\"" + first + "\""), std::string::npos) << queried.out;
  EXPECT_NE(queried.out.find("\"permanent\":true"), std::string::npos);
  EXPECT_NE(queried.out.find("Python"), std::string::npos) << "the summary is cut around the term";
  ProcessResult captioned = cli({"library", "--library", library, "query", "Python"});
  EXPECT_NE(captioned.out.find("\n8 entries found in library\n"), std::string::npos) << captioned.out;

  ProcessResult shown = cli({"library", "--library", library, "show", first, "--json"});
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_NE(shown.out.find("\"indexed\":true"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("\"contentFile\":\"" + library + "/content/"), std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("\"sources\":[\"rss/"), std::string::npos) << "the feed it was saved from";
  ProcessResult rebuilt = cli({"library", "--library", library, "rebuild-source-index"});
  EXPECT_EQ(rebuilt.out, "8 documents filed under their sources\n") << rebuilt.err;
  EXPECT_EQ(cli({"library", "--library", library, "show", "http://never.test/"}).status, 1);

  EXPECT_EQ(cli({"library", "--library", library, "history"}).out, "Python\n");
  ProcessResult saved = cli({"library", "--library", library, "saved-terms", "--add", "zebra", "--json"});
  EXPECT_EQ(saved.out, "[\"zebra\"]\n");
  EXPECT_EQ(cli({"library", "--library", library, "mark", first, "--pin"}).status, 1);
  EXPECT_EQ(cli({"library", "--library", library, "mark", first}).status, 2);
  EXPECT_EQ(cli({"library", "--library", (dir.path() / "none").string(), "list"}).status, 1);
}

TEST_F(LibraryCommandTest, TheSettingsReachTheSearchThroughStartUp) {
  const auto limited = dir.write("limited.zcat", "[settings]\r\nmaxSourceResults=3\r\n[source]=Docs\r\nrss\r\n\r\nurl=" +
                                                     server->url("/feed.xml") + "\r\n[category]=Docs\r\nrss/" +
                                                     server->url("/feed.xml") + "/\r\n");
  ASSERT_EQ(cli({"library", "--library", library, "open", "--set", limited.string()}).status, 0);
  std::filesystem::create_directories(dir.path() / "config" / "Brambel");
  dir.write("config/Brambel/prefs.ini", "browserId=Brambel-Test/1.0\r\n");
  ProcessResult searched = cli({"search", "--library", library, "--no-save", "--json", "x"});
  ASSERT_EQ(searched.status, 0) << searched.err;
  EXPECT_EQ(count(searched.out, "\"url\":"), 3u) << "the library's maxSourceResults";
  EXPECT_EQ(server->lastRequest("/feed.xml").header("User-Agent"), "Brambel-Test/1.0");
}

TEST_F(LibraryCommandTest, ASecondProcessOnAHeldLibraryIsReadOnlyAndChangesNoByte) {
  ASSERT_EQ(cli({"library", "--library", library, "open", "--set", setFile.string()}).status, 0);
  // The first process holds the library while its source waits on a stalled feed.
  std::thread holder([&] { cli({"search", "--library", library, "--category", "Stalled", "x"}); });
  for (int i = 0; i < 500 && server->requestCount("/stalled.xml") == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(server->requestCount("/stalled.xml"), 1);
  const auto before = testing::directorySnapshot(library);
  ASSERT_TRUE(before.count("main__index.lock.pid"));

  ProcessResult second = cli({"search", "--library", library, "--json", "Python"});
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(count(second.err, "Another process is writing to this data library"), 1u) << second.err;
  EXPECT_EQ(count(second.out, "\"url\":"), 8u) << "the second process still searches";
  ProcessResult marked = cli({"library", "--library", library, "mark", site.pageUrls(1)[0], "--read"});
  EXPECT_EQ(marked.status, 1);
  EXPECT_NE(marked.err.find("cannot mark a URL: the library is read-only"), std::string::npos) << marked.err;
  ProcessResult stats = cli({"library", "--library", library, "stats"});
  EXPECT_EQ(stats.status, 0);
  EXPECT_NE(stats.out.find("\ndocuments 0\n"), std::string::npos) << stats.out;
  EXPECT_NE(stats.out.find("pools not running (the library is open read-only)"), std::string::npos) << stats.out;
  EXPECT_EQ(testing::directorySnapshot(library), before);

  server.reset();  // releases the stalled request
  holder.join();
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(library) / "main__index.lock"));
}

}  // namespace
}  // namespace brambel
