#include <gtest/gtest.h>

#include "tests/support/loopback_server.h"
#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace brambel::testing {
namespace {

// Every command runs with its XDG directories in a temporary folder.
class ExchangeCommands : public ::testing::Test {
 protected:
  std::vector<std::string> environment() const {
    return {"XDG_DATA_HOME=" + (home.path() / "data").string(), "XDG_CONFIG_HOME=" + (home.path() / "config").string(),
            "XDG_DESKTOP_DIR=" + (home.path() / "desk").string()};
  }
  std::string library() const { return (home.path() / "lib").string(); }
  TempDir home;
};

TEST_F(ExchangeCommands, OpmlOutAndBackIn) {
  std::string outline = home.file("feeds.xml").string();
  auto exported = runCli({"opml", "export", outline, "--library", library()}, "", environment());
  ASSERT_EQ(exported.status, 0) << exported.err;
  auto parsed = runProcess("/usr/bin/python3",
                           {"-c", "import sys, xml.etree.ElementTree as E\n"
                                  "print(len([o for o in E.parse(sys.argv[1]).iter('outline') if o.get('xmlUrl')]))",
                            outline});
  ASSERT_EQ(parsed.status, 0) << parsed.err;
  EXPECT_GT(std::stoi(parsed.out), 3);

  std::string mine = home.write("mine.opml", "<opml><body><outline text=\"Mine\"><outline text=\"One &amp; Two\" "
                                             "xmlUrl=\"http://one.test/rss\"/></outline></body></opml>")
                         .string();
  auto imported = runCli({"opml", "import", mine, "--library", library()}, "", environment());
  ASSERT_EQ(imported.status, 0) << imported.err;
  EXPECT_EQ(imported.out.rfind("1 feeds added", 0), 0u) << imported.out;
  auto show = runCli({"categories", "show", "Mine", "--library", library()}, "", environment());
  EXPECT_NE(show.out.find("rss/http://one.test/rss/"), std::string::npos) << show.out << show.err;

  auto bad = runCli({"opml", "import", home.write("bad.opml", "[category]=x\r\n").string(), "--library", library()}, "",
                    environment());
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("An error occurred while parsing the OPML file."), std::string::npos);
}

TEST_F(ExchangeCommands, ImportPrintsResultsAndFeedAddFetches) {
  std::string set = home.write("r.zset", "http://a.test/\nA & B\nabout\n0\ngoogle\n-----\n").string();
  auto text = runCli({"import", set, "--library", library()}, "", environment());
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_EQ(text.out, "1. A & B\n   http://a.test/\n   sources: google\n   position 0\n");
  auto json = runCli({"import", set, "--json", "--library", library()}, "", environment());
  EXPECT_NE(json.out.find("\"url\":\"http://a.test/\""), std::string::npos) << json.out;
  auto missing = runCli({"import", home.file("none.html").string(), "--library", library()}, "", environment());
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("cannot read"), std::string::npos);

  LoopbackServer server;
  server.serve("/rss", "<rss version=\"2.0\"><channel><title>Loop Feed</title>", "text/xml");
  auto added = runCli({"--connect-to", "feeds.test:80:127.0.0.1:" + std::to_string(server.port()), "feed", "add",
                       "feed://feeds.test/rss", "--category", "General", "--library", library()},
                      "", environment());
  ASSERT_EQ(added.status, 0) << added.err;
  EXPECT_EQ(added.out, "Added source: Loop Feed\n");
  EXPECT_TRUE(std::filesystem::exists(home.path() / "data/Brambel/sources/Loop Feed.zsrc"));
  auto again = runCli({"--connect-to", "feeds.test:80:127.0.0.1:" + std::to_string(server.port()), "feed", "add",
                       "http://feeds.test/rss", "--library", library()},
                      "", environment());
  EXPECT_EQ(again.status, 1);
  EXPECT_EQ(again.err, "Feed already exists: Loop Feed (rss)\n");
}

TEST_F(ExchangeCommands, BatchRestoreAndDesktopRegistration) {
  home.write("lib/raw_results.zset", "http://r.test/\nRestored\n\n0\n-----\n");
  auto restored = runCli({"batch", "--restore", "--library", library()}, "", environment());
  ASSERT_EQ(restored.status, 0) << restored.err;
  EXPECT_NE(restored.out.find("1. Restored\n   http://r.test/\n"), std::string::npos) << restored.out;

  auto registered = runCli({"desktop", "register"}, "", environment());
  ASSERT_EQ(registered.status, 0) << registered.err;
  EXPECT_NE(registered.out.find(".zset\tapplication/brambel-resultset\tbrambel.desktop"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(home.path() / "data/applications/brambel.desktop"));
  EXPECT_EQ(runCli({"desktop", "unregister"}, "", environment()).status, 0);
  EXPECT_FALSE(std::filesystem::exists(home.path() / "data/applications/brambel.desktop"));

  auto list = runCli({"destinations", "list"}, "", environment());
  EXPECT_NE(list.out.find("Gmail (browser)\texternal"), std::string::npos);
}

}  // namespace
}  // namespace brambel::testing
