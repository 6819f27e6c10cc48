#include <gtest/gtest.h>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using testing::runCli;

int countLines(const std::string& text) {
  int lines = 0;
  for (char c : text) lines += c == '\n';
  return lines;
}

TEST(SourcesList, ListsEveryBuiltInTypeWithItsParameters) {
  testing::ProcessResult text = runCli({"sources", "list"});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("rss\n  key: rss\n"), std::string::npos);
  EXPECT_NE(text.out.find("  url: RSS source url\n"), std::string::npos);

  testing::ProcessResult json = runCli({"sources", "list", "--json"});
  ASSERT_EQ(json.status, 0) << json.err;
  EXPECT_GE(countLines(json.out), 20);
  EXPECT_NE(json.out.find(R"({"id":"google","key":"google","displayName":"Google")"), std::string::npos);
  EXPECT_NE(json.out.find(R"("queryEncoding":"euc-jp, euc-kr,shift-jis, big5, gb2312 or windows-xxxx")"),
            std::string::npos);
  EXPECT_NE(json.out.find(R"("key":"library")"), std::string::npos);

  EXPECT_EQ(runCli({"sources", "list", "extra"}).status, 2);
  EXPECT_EQ(runCli({"sources", "list", "--bogus"}).status, 2);
}

TEST(SourcesList, ShowsTheSourcesASetDefinesUnderTheirNames) {
  testing::TempDir dir;
  auto set = dir.write("set.zcat",
                       "[source]=My Feed\r\nrss\r\n\r\nurl=http://feeds.example.test/a\r\n"
                       "[category]=General\r\nrss/http://feeds.example.test/a/\r\n");
  testing::ProcessResult result = runCli({"sources", "list", "--json", "--set", set.string()});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find(R"({"id":"rss/http://feeds.example.test/a/","key":"rss","displayName":"My Feed")"),
            std::string::npos)
      << result.out;
  EXPECT_EQ(runCli({"sources", "list", "--set", (dir.path() / "none.zcat").string()}).status, 1);
}

const char kFeed[] =
    "<?xml version=\"1.0\"?><rss><channel><title>T</title>"
    "<item><title>First &amp; best</title><link>http://a.test/1</link>"
    "<description>&lt;b&gt;Hello&lt;/b&gt;  world</description>"
    "<pubDate>Sun, 06 Nov 1994 08:49:37 GMT</pubDate></item>"
    "<item><title>Second</title><link>http://a.test/2</link></item>"
    "</channel></rss>";

TEST(InspectSource, ParsesASavedFeedOneItemPerLine) {
  testing::ProcessResult result =
      runCli({"inspect", "source", "rss", "--url", "https://feeds.test/rss", "--content-type", "text/xml"}, kFeed);
  ASSERT_EQ(result.status, 0) << result.err;
  ASSERT_EQ(countLines(result.out), 3) << result.out;
  EXPECT_NE(result.out.find(R"({"group":"search","attributes":[{"name":"href","value":"http://a.test/1"})"),
            std::string::npos);
  EXPECT_NE(result.out.find(R"("result":{"url":"http://a.test/1","title":"First & best",)"
                            R"("description":"Hello world","imageUrl":"","contentDate":784111777,"sources":[]})"),
            std::string::npos);
  EXPECT_NE(result.out.find("{\"nextLink\":\"\"}\n"), std::string::npos);
}

TEST(InspectSource, PassesParametersAndHeadersToTheParser) {
  testing::ProcessResult result = runCli({"inspect", "source", "url", "--param", "url=http://d.test/x",
                                          "--content-type", "text/html; charset=utf-8"},
                                         "<html><title>Dict</title>hi</html>");
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find(R"({"name":"content","value":"","dataBytes":34})"), std::string::npos);
  EXPECT_NE(result.out.find(R"({"name":"contentType","value":"text/html; charset=utf-8"})"), std::string::npos);
  EXPECT_NE(result.out.find(R"("title":"Dict")"), std::string::npos);

  // A page that is neither text nor XML yields no items, as in a search.
  result = runCli({"inspect", "source", "rss", "--url", "http://f.test/", "--content-type", "image/png"}, kFeed);
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "{\"nextLink\":\"\"}\n");
}

TEST(InspectSource, ReportsBadInvocations) {
  EXPECT_EQ(runCli({"inspect", "source", "nosuch"}, kFeed).status, 1);
  EXPECT_EQ(runCli({"inspect", "source", "rss"}, kFeed).status, 1);
  EXPECT_EQ(runCli({"inspect", "source", "rss", "--param", "novalue"}, kFeed).status, 2);
  EXPECT_EQ(runCli({"inspect", "source"}).status, 2);
  EXPECT_EQ(runCli({"inspect", "source", "rss", "/no/such/file"}).status, 1);
  // An engine page without results is not an error.
  testing::ProcessResult engine = runCli({"inspect", "source", "google"}, "<html><body>nothing</body></html>");
  EXPECT_EQ(engine.status, 0) << engine.err;
  EXPECT_EQ(engine.out, "{\"nextLink\":\"\"}\n");
}

}  // namespace
}  // namespace brambel
