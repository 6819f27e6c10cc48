#include <gtest/gtest.h>

#include "sources/yahoo_source.h"
#include "tests/sources/source_run.h"
#include "tests/support/loopback_server.h"

namespace brambel {
namespace {

using testing::attribute;
using testing::LoopbackServer;
using testing::parameters;
using testing::runSource;

std::string yahooPage(const std::string& items, const std::string& next = "") {
  std::string page =
      "<html><head><title>Yahoo</title></head><body>\n"
      "<div id=east><h3>Sponsor results</h3><ol><li><a href=\"http://ad.example/\">Ad title</a> Ad text</li>"
      "<li>no anchor here</li></ol></div>\n"
      "<div id=web><h2>Search results</h2><ol>\n" + items + "</ol></div>\n";
  if (!next.empty()) page += "<div id=pg><a id=\"pg-next\" href=\"" + next + "\">Next &gt;</a></div>\n";
  return page + "</body></html>\n";
}

std::string yahooItem(const std::string& href, const std::string& title, const std::string& snippet) {
  return "<li><div class=res><div><h3><a class=yschttl href=\"" + href + "\">" + title +
         "</a></h3></div><div class=yschabstr>" + snippet + "</div></div></li>\n";
}

TEST(YahooPage, ResultsSponsorsAndNextLink) {
  std::string page = yahooPage(yahooItem("http://one.example/", "One <b>cat</b>", "Snippet <b>one</b>") +
                                   yahooItem("/r/_ylt=X/*-http%3A//two.example/", "Two", "Snippet two"),
                               "http://rds.yahoo.com/search?p=cat&amp;b=21");
  ResultGroups groups;
  std::u16string next;
  ASSERT_TRUE(parseYahooPage(page, groups, next));
  EXPECT_EQ(testing::utf8(next), "http://rds.yahoo.com/search?p=cat&b=21");
  ASSERT_EQ(groups.size(), 2u);
  ASSERT_EQ(groups[0].name, u"sponsors");
  ASSERT_EQ(groups[0].items.size(), 1u);
  EXPECT_EQ(attribute(groups[0].items[0], u"href"), "http://ad.example/");
  EXPECT_EQ(attribute(groups[0].items[0], u"body"), " Ad text");
  ASSERT_EQ(groups[1].items.size(), 2u);
  EXPECT_EQ(attribute(groups[1].items[0], u"title"), "One <b>cat</b>");
  EXPECT_EQ(attribute(groups[1].items[0], u"body"), "Snippet  one ");
  EXPECT_EQ(attribute(groups[1].items[1], u"href"), "http://two.example/");
}

TEST(YahooPage, APageWithoutTheResultsDivisionHasNoResults) {
  ResultGroups groups;
  std::u16string next = u"stale";
  EXPECT_FALSE(parseYahooPage("<html><body><div id=main><ol><li><a href=\"http://a/\">a</a></li></ol></div></body></html>",
                              groups, next));
  EXPECT_TRUE(next.empty());
  EXPECT_TRUE(groups.empty());
}

TEST(YahooSource, LaterPagesComeFromTheRedirectHostWithTheEnginesCookie) {
  LoopbackServer search;
  search.mapHost("search.yahoo.com:80");
  LoopbackServer redirect;
  redirect.mapHost("rds.yahoo.com:80");
  search.get("/search", [](const httplib::Request&, httplib::Response& response) {
    response.set_header("Set-Cookie", "B=abc; path=/");
    response.set_header("Set-Cookie", "C=ignored");
    response.set_content(yahooPage(yahooItem("http://one.example/", "One", "s"), "http://rds.yahoo.com/search?p=cat&amp;b=21"),
                         "text/html");
  });
  redirect.serve("/search", yahooPage(yahooItem("http://two.example/", "Two", "s")));

  YahooSource source;
  source.parameters() = parameters({{"terms", "pet"}, {"site", "example.com"}, {"country", "countryUS"}});
  testing::SourceRun run = runSource(source, u"cat");
  EXPECT_EQ(search.lastRequest("/search").query, "p=cat+pet+site%3aexample.com&vs=example.com&vc=countryUS&n=20");
  EXPECT_EQ(search.lastRequest("/search").header("Cookie"), "");
  testing::RecordedRequest second = redirect.lastRequest("/search");
  EXPECT_EQ(second.query, "p=cat&b=21");
  EXPECT_EQ(second.header("Cookie"), "B=abc; path=/");
  EXPECT_EQ(run.pages, 2);
  ASSERT_EQ(run.items().size(), 2u);
  EXPECT_EQ(attribute(run.items()[1], u"href"), "http://two.example/");
  EXPECT_EQ(run.items(u"sponsors").size(), 2u);
  EXPECT_EQ(testing::utf8(run.url), "http://search.yahoo.com/search?p=cat+pet+site%3aexample.com&vs=example.com&vc=countryUS&n=20");
}

TEST(YahooSource, IdsAndNames) {
  YahooSource source;
  EXPECT_EQ(source.GetInstanceId(), u"yahoo");
  EXPECT_EQ(source.GetInfo().displayName, u"Yahoo");
  source.parameters() = parameters({{"lang", "lang_en"}});
  EXPECT_EQ(source.GetInstanceId(), u"yahoo//lang_en//");
  EXPECT_FALSE(source.AcceptsEmptyQuery());
}

}  // namespace
}  // namespace brambel
