#include <gtest/gtest.h>

#include "tests/support/loopback_server.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace brambel::testing {
namespace {

class CategoriesCommand : public ::testing::Test {
 protected:
  std::vector<std::string> environment() const { return {"XDG_DATA_HOME=" + data.path().string()}; }
  std::string library() const { return (data.path() / "lib").string(); }
  TempDir data;
};

TEST_F(CategoriesCommand, ReadingALibraryWithoutSetsShowsTheDefaultAndCreatesNothing) {
  auto list = runCli({"categories", "list", "--library", library()}, "", environment());
  EXPECT_EQ(list.status, 0) << list.err;
  EXPECT_EQ(list.out.rfind("General\t", 0), 0u);
  EXPECT_NE(list.out.find("Torrents\t"), std::string::npos);

  auto show = runCli({"categories", "show", "reference", "--library", library()}, "", environment());
  EXPECT_EQ(show.status, 0) << show.err;
  EXPECT_NE(show.out.find("url/https://en.wikipedia.org/w/index.php/search/\tWikipedia Lookup"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_empty(data.path())) << "nothing is created by reading";

  EXPECT_EQ(runCli({"categories", "show", "Nope", "--library", library()}, "", environment()).status, 1);
}

TEST_F(CategoriesCommand, SourcesOfOneNameAreAddedInFileOrder) {
  std::string file = data.write("twice.zcat",
                                "[source]=News\r\nrss\r\n\r\nurl=http://z.test/first\r\n"
                                "[source]=News\r\nrss\r\n\r\nurl=http://a.test/second\r\n"
                                "[category]=Both\r\nrss/http://z.test/first/\r\nrss/http://a.test/second/\r\n")
                         .string();
  auto show = runCli({"categories", "show", "Both", "--set", file}, "", environment());
  ASSERT_EQ(show.status, 0) << show.err;
  EXPECT_NE(show.out.find("rss/http://z.test/first/\tNews\n"), std::string::npos) << show.out;
  EXPECT_NE(show.out.find("rss/http://a.test/second/\tNews(1)\n"), std::string::npos) << show.out;
}

TEST_F(CategoriesCommand, LoadThenSaveRoundTripsTheUserSources) {
  std::string set =
      "[description]\r\nMine\r\n[source]=My Feed\r\nrss\r\nmy feed\r\nurl=http://feed.test/rss\r\n"
      "[category]=Feeds\r\nview=list\r\nrss/http://feed.test/rss/\r\ngoogle\r\n";
  std::string file = data.write("mine.zcat", set).string();
  auto load = runCli({"categories", "load", file, "--library", library()}, "", environment());
  ASSERT_EQ(load.status, 0) << load.err;
  EXPECT_TRUE(std::filesystem::exists(data.path() / "lib" / "categories.zcat"));
  EXPECT_TRUE(std::filesystem::exists(data.path() / "Brambel" / "sources" / "My Feed.zsrc"));

  auto list = runCli({"categories", "list", "--library", library()}, "", environment());
  EXPECT_EQ(list.out, "Feeds\t2 sources\tlist\n");

  auto saved = runCli({"categories", "save", "-", "--library", library()}, "", environment());
  EXPECT_EQ(saved.status, 0);
  EXPECT_EQ(saved.out, set);

  std::string copy = (data.path() / "copy.zcat").string();
  EXPECT_EQ(runCli({"categories", "save", copy, "--library", library()}, "", environment()).status, 0);
  auto fromFile = runCli({"categories", "show", "feeds", "--set", copy}, "", environment());
  EXPECT_NE(fromFile.out.find("rss/http://feed.test/rss/\tMy Feed"), std::string::npos);
}

TEST_F(CategoriesCommand, LoadsFromAUrl) {
  LoopbackServer server;
  server.serve("/cats.zcat", "[category]=Remote\r\nyahoo\r\n", "text/plain");
  auto load = runCli({"categories", "load", server.url("/cats.zcat"), "--library", library()}, "", environment());
  ASSERT_EQ(load.status, 0) << load.err;
  EXPECT_EQ(runCli({"categories", "list", "--library", library()}, "", environment()).out, "Remote\t1 sources\tdefault\n");

  auto missing = runCli({"categories", "load", server.url("/none.zcat"), "--library", library()}, "", environment());
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("Error fetching categories from url"), std::string::npos);
}

TEST_F(CategoriesCommand, BuiltInSetsAndUsageErrors) {
  auto cameras = runCli({"categories", "builtin", "115"});
  EXPECT_EQ(cameras.status, 0);
  EXPECT_NE(cameras.out.find("[settings]\nbatchFirstCategory=1"), std::string::npos);
  EXPECT_EQ(runCli({"categories", "builtin", "7"}).status, 1);
  EXPECT_EQ(runCli({"categories", "builtin"}).status, 2);
  EXPECT_EQ(runCli({"categories", "show"}, "", environment()).status, 2);
  EXPECT_EQ(runCli({"categories", "load"}, "", environment()).status, 2);
  EXPECT_EQ(runCli({"categories", "list", "--set", (data.path() / "missing").string()}, "", environment()).status, 1);
}

}  // namespace
}  // namespace brambel::testing
