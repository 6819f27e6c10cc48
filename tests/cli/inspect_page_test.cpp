#include <gtest/gtest.h>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace brambel::testing {
namespace {

const char kPage[] =
    "<html><head><title>T</title><script>var a = '<a href=\"s\">';</script></head>"
    "<body class=main><table><tr><td>1</td></tr></table>"
    "<table id=\"second\"><tr><td>a&amp;b</td></tr><tr><td>c</td></tr></table>"
    "<a href=\"http://x/\">X <b>bold</b></a></body></html>";

TEST(InspectPage, TextOfAPageFromStandardInputOrAFile) {
  auto result = runCli({"inspect", "text"}, "a<b>c</b>&nbsp;d&amp;e");
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "a c  d&e\n");

  TempDir dir;
  auto file = dir.write("page.html", kPage);
  auto fromFile = runCli({"inspect", "text", file.string()});
  EXPECT_EQ(fromFile.status, 0) << fromFile.err;
  EXPECT_EQ(fromFile.out.find("var a"), std::string::npos);
  EXPECT_NE(fromFile.out.find("a&b"), std::string::npos);
}

TEST(InspectPage, PathPrintsAnswerRestOrAttributes) {
  auto answer = runCli({"inspect", "path", "/html/body/table(2)/tr(2)/td"}, kPage);
  EXPECT_EQ(answer.status, 0) << answer.err;
  EXPECT_EQ(answer.out, "c\n");

  auto rest = runCli({"inspect", "path", "/table(2)", "--rest"}, kPage);
  EXPECT_EQ(rest.out, "<a href=\"http://x/\">X <b>bold</b></a></body></html>\n");

  auto attributes = runCli({"inspect", "path", "/table(2)", "--attributes"}, kPage);
  EXPECT_EQ(attributes.out, "id=\"second\"\n");

  auto endName = runCli({"inspect", "path", "/body", "--end", "table"}, kPage);
  EXPECT_EQ(endName.out, "<table><tr><td>1</td></tr>\n");

  auto nested = runCli({"inspect", "path", "/div", "--nested"}, "<div>a<div>b</div>c</div>");
  EXPECT_EQ(nested.out, "a<div>b</div>c\n");

  auto missing = runCli({"inspect", "path", "/nothing"}, kPage);
  EXPECT_EQ(missing.status, 0);
  EXPECT_EQ(missing.out, "\n");
}

TEST(InspectPage, FeedItemsAsJsonLines) {
  std::string feed =
      "<rss><brambel:sponsors><item><title>Ad</title><link>http://ad/</link></item></brambel:sponsors>"
      "<channel><item><title>Caf\xE9 \"1\"</title><link> http://a/ </link>"
      "<brambel:source>News</brambel:source></item><item><title>2</title></item></channel></rss>";
  auto items = runCli({"inspect", "feed"}, feed);
  EXPECT_EQ(items.status, 0) << items.err;
  EXPECT_EQ(
      items.out,
      "{\"title\":\"Caf\xEF\xBF\xBD \\\"1\\\"\",\"link\":\"http://a/\",\"description\":\"\",\"guid\":\"\","
      "\"mediaUrl\":\"\",\"thumbnailUrl\":\"\",\"image\":\"\",\"enclosureUrl\":\"\",\"pubDate\":\"\","
      "\"sources\":[\"News\"]}\n"
      "{\"title\":\"2\",\"link\":\"\",\"description\":\"\",\"guid\":\"\",\"mediaUrl\":\"\","
      "\"thumbnailUrl\":\"\",\"image\":\"\",\"enclosureUrl\":\"\",\"pubDate\":\"\",\"sources\":[]}\n");

  auto sponsors = runCli({"inspect", "feed", "--sponsors"}, feed);
  EXPECT_EQ(sponsors.status, 0);
  EXPECT_NE(sponsors.out.find("\"link\":\"http://ad/\""), std::string::npos);
  EXPECT_EQ(sponsors.out.find("Caf"), std::string::npos);
}

TEST(InspectPage, LinksAsJsonLines) {
  auto links = runCli({"inspect", "links"}, kPage);
  EXPECT_EQ(links.status, 0) << links.err;
  EXPECT_EQ(links.out, "{\"href\":\"http://x/\",\"text\":\"X bold\"}\n");
}

TEST(InspectPage, JsonLinesStayValidUtf8) {
  auto links = runCli({"inspect", "links"}, "<a href=\"http://x/caf\xE9\">caf\xE9 \\ \"q\"</a>");
  EXPECT_EQ(links.status, 0) << links.err;
  EXPECT_EQ(links.out, "{\"href\":\"http://x/caf\xEF\xBF\xBD\",\"text\":\"caf\xEF\xBF\xBD \\\\ \\\"q\\\"\"}\n");
}

TEST(InspectPage, UsageAndInputErrors) {
  auto noPath = runCli({"inspect", "path"}, kPage);
  EXPECT_EQ(noPath.status, 2);
  EXPECT_NE(noPath.err.find("PATH is required"), std::string::npos);
  EXPECT_NE(noPath.err.find("usage: brambel-cli inspect path"), std::string::npos);

  EXPECT_EQ(runCli({"inspect", "path", "/a", "--rest", "--attributes"}, kPage).status, 2);
  EXPECT_EQ(runCli({"inspect", "text", "a", "b"}).status, 2);
  EXPECT_EQ(runCli({"inspect", "links", "--bogus"}).status, 2);
  EXPECT_EQ(runCli({"inspect", "path", "/a", "--end"}).status, 2);

  auto unreadable = runCli({"inspect", "feed", "/nonexistent/feed.xml"});
  EXPECT_EQ(unreadable.status, 1);
  EXPECT_EQ(unreadable.err.rfind("brambel-cli: ", 0), 0u);
}

}  // namespace
}  // namespace brambel::testing
