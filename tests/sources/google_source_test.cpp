#include <gtest/gtest.h>

#include "sources/google_page.h"
#include "sources/google_source.h"
#include "tests/sources/source_run.h"
#include "tests/support/loopback_server.h"
#include "toolkit/fetch_page.h"

namespace brambel {
namespace {

using testing::attribute;
using testing::LoopbackServer;
using testing::parameters;
using testing::runSource;

// A result page laid out as the engine lays it out: two layout tables, the
// sponsor table (third), the results division with its ordered list, and the
// navigation table whose "next" anchor holds the span "nn".
std::string googlePage(const std::string& entries, const std::string& next = "",
                       const std::string& sponsorTableId = "mbEnd") {
  std::string page =
      "<html><head><title>results</title></head><body>\n"
      "<table><tr><td>logo</td></tr></table>\n"
      "<table><tr><td>Results 1 - 20</td></tr></table>\n"
      "<table id=" + sponsorTableId + "><tr><td>"
      "<a href=\"/aclk?sa=l&adurl=http://sponsor.example/shop%3Fx%3D1\">Sponsor <b>Shop</b></a><br>"
      "Great deals<br>on cats<font color=green>sponsor.example</font><br>"
      "<a href=\"http://direct-ad.example/\">Direct</a><br>Plain ad</td></tr></table>\n"
      "<div id=res><h2>Web</h2><ol>\n" + entries + "</ol></div>\n";
  if (!next.empty())
    page += "<table id=nav><tr><td><a href=\"/search?q=x&amp;start=0\"><span id=nf></span>1</a></td>"
            "<td><a href=\"" + next + "\"><span id=nn></span>Next</a></td></tr></table>\n";
  return page + "</body></html>\n";
}

std::string entry(const std::string& href, const std::string& title, const std::string& rest) {
  return "<li class=g><h3><a href=\"" + href + "\">" + title + "</a></h3>" + rest + "</li>\n";
}

TEST(GooglePage, ResultsSponsorsAndNextLink) {
  std::string page = googlePage(
      entry("http://one.example/", "First <b>cat</b>", "<div class=s>About <em>cats</em><cite>one.example</cite></div>") +
          entry("/url?q=http://two.example/a%20b&sa=U", "Second", "<div>snippet two<div>more</div></div>") +
          entry("/relative/page", "Third", "<cite>no div</cite>"),
      "/search?q=cat&amp;start=20");
  ResultGroups groups;
  std::u16string next;
  ASSERT_TRUE(parseGooglePage(page, groups, next));
  EXPECT_EQ(testing::utf8(next), "/search?q=cat&start=20");
  ASSERT_EQ(groups.size(), 2u);

  ASSERT_EQ(groups[0].name, u"sponsors");
  ASSERT_EQ(groups[0].items.size(), 2u);
  EXPECT_EQ(attribute(groups[0].items[0], u"href"), "http://sponsor.example/shop?x=1");
  EXPECT_EQ(attribute(groups[0].items[0], u"title"), "Sponsor  Shop ");
  EXPECT_EQ(attribute(groups[0].items[0], u"body"), "Great deals on cats");
  EXPECT_EQ(attribute(groups[0].items[1], u"href"), "http://direct-ad.example/");

  ASSERT_EQ(groups[1].name, u"search");
  const auto& results = groups[1].items;
  ASSERT_EQ(results.size(), 3u);
  EXPECT_EQ(attribute(results[0], u"href"), "http://one.example/");
  EXPECT_EQ(attribute(results[0], u"title"), "First <b>cat</b>");
  EXPECT_EQ(attribute(results[0], u"body"), " About  cats ");
  EXPECT_EQ(attribute(results[1], u"href"), "http://two.example/a b");
  EXPECT_EQ(attribute(results[1], u"body"), " snippet two");
  EXPECT_EQ(attribute(results[2], u"href"), "http://www.google.com/relative/page");
  EXPECT_EQ(attribute(results[2], u"body"), " ");
}

TEST(GooglePage, SponsorsNeedTheSponsorTableAndResultsTheResultsDivision) {
  ResultGroups groups;
  std::u16string next = u"stale";
  ASSERT_TRUE(parseGooglePage(googlePage(entry("http://a.example/", "A", ""), "", "other"), groups, next));
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0].name, u"search");
  EXPECT_TRUE(next.empty());

  // A navigation table alone does not make a page of results.
  ResultGroups none;
  std::string noResults = "<html><body><table id=nav><tr><td><a href=\"/n\"><span id=nn></span></a></td></tr>"
                          "</table></body></html>";
  EXPECT_FALSE(parseGooglePage(noResults, none, next));
  EXPECT_EQ(testing::utf8(next), "/n");
  EXPECT_TRUE(none.empty());

  ResultGroups emptyList;
  EXPECT_FALSE(parseGooglePage(googlePage(""), emptyList, next));
}

class GoogleSourceTest : public ::testing::Test {
 protected:
  GoogleSourceTest() { server.mapHost("www.google.com:80"); }
  LoopbackServer server;
};

TEST_F(GoogleSourceTest, QueryIsBuiltFromPreTermsTermsAndSite) {
  // A commented-out list before the real one is not read.
  std::string page = googlePage(entry("http://a.example/", "A", ""));
  page.replace(page.find("<body>"), 6, "<body><!-- <div id=res><ol><li><a href=\"http://hidden.example/\">x</a> -->");
  server.serve("/search", page);
  GoogleSource source;
  source.parameters() = parameters({{"pre_terms", "big"}, {"terms", "pet"}, {"site", "example.com"}, {"lang", "lang_en"}});
  testing::SourceRun run = runSource(source, u"cat");
  testing::RecordedRequest request = server.lastRequest("/search");
  EXPECT_EQ(request.query, "num=20&q=big+cat+pet+site%3aexample.com&lr=lang_en");
  EXPECT_EQ(request.header("Accept-Encoding"), "gzip");
  EXPECT_EQ(request.header("User-Agent"), kDefaultBrowserId) << "the default browserId";
  EXPECT_EQ(request.header("Cookie"), "");
  EXPECT_EQ(testing::utf8(run.url), "http://www.google.com/search?num=20&q=big+cat+pet+site%3aexample.com&lr=lang_en");
  ASSERT_EQ(run.items().size(), 1u);
  EXPECT_EQ(attribute(run.items()[0], u"href"), "http://a.example/");
}

TEST_F(GoogleSourceTest, FollowsNextLinksUntilAPageHasNoResults) {
  server.get("/search", [](const httplib::Request& request, httplib::Response& response) {
    std::string start = request.has_param("start") ? request.get_param_value("start") : "0";
    if (start == "0")
      response.set_content(googlePage(entry("http://a.example/", "A", ""), "http://elsewhere.example/search?q=cat&amp;start=1"), "text/html");
    else if (start == "1")
      response.set_content(googlePage(entry("http://b.example/", "B", ""), "/search?q=cat&amp;start=2"), "text/html");
    else
      response.set_content("<html><body>No more</body></html>", "text/html");
  });
  GoogleSource source;
  testing::SourceRun run = runSource(source, u"cat");
  EXPECT_EQ(run.pages, 2);
  EXPECT_EQ(server.requestCount("/search"), 3);
  ASSERT_EQ(run.items().size(), 2u);
  EXPECT_EQ(attribute(run.items()[1], u"href"), "http://b.example/");
  EXPECT_EQ(run.errorFlag, 0);
}

TEST_F(GoogleSourceTest, StopsAtTheMaximumBeforeRequesting) {
  server.serve("/search", googlePage(entry("http://a.example/", "A", "") + entry("http://b.example/", "B", ""), "/search?start=20"));
  GoogleSource source;
  testing::SourceRun run = runSource(source, u"cat", 2);
  EXPECT_EQ(run.pages, 1);
  EXPECT_EQ(server.requestCount("/search"), 1);
}

TEST_F(GoogleSourceTest, DirectoryAddsItsCategoryAndOverrideChangesTheHost) {
  LoopbackServer mirror;
  mirror.mapHost("mirror.example.test:80");
  mirror.serve("/search", googlePage(entry("http://a.example/", "A", "")));
  GoogleDirectorySource source;
  source.parameters() = parameters({{"urlOverride", " http://mirror.example.test "}});
  testing::SourceRun run = runSource(source, u"cat");
  EXPECT_EQ(mirror.lastRequest("/search").query, "num=20&q=cat&cat=gwd%2FTop");
  EXPECT_EQ(server.requestCount(), 0);
  EXPECT_EQ(testing::utf8(run.url), "http://mirror.example.test/search?num=20&q=cat&cat=gwd%2FTop");
}

TEST(GoogleSource, IdsNamesAndEmptyQueries) {
  GoogleSource google;
  EXPECT_EQ(google.GetInstanceId(), u"google");
  EXPECT_EQ(google.GetInfo().displayName, u"Google");
  EXPECT_FALSE(google.AcceptsEmptyQuery());
  google.parameters() = parameters({{"site", "a.b"}, {"terms", "x"}});
  EXPECT_EQ(google.GetInstanceId(), u"google/a.b//x");
  EXPECT_TRUE(google.AcceptsEmptyQuery());
  google.setDisplayName(u"Web");
  google.setDescription(u"the web");
  EXPECT_EQ(google.GetInfo().displayName, u"Web (Google)");
  EXPECT_EQ(google.GetInfo().description, u"the web");
  EXPECT_EQ(GoogleDirectorySource().GetInstanceId(), u"google_directory");
}

TEST(GoogleSource, AnUnreachableEngineMarksTheRunFailed) {
  GoogleSource source;
  auto* closed = new LoopbackServer;
  source.parameters() = parameters({{"urlOverride", "127.0.0.1:" + std::to_string(closed->port())}});
  delete closed;
  testing::SourceRun run = runSource(source, u"cat");
  EXPECT_EQ(run.errorFlag, 1);
  EXPECT_EQ(run.pages, 0);
}

}  // namespace
}  // namespace brambel
