#include <gtest/gtest.h>

#include "sources/amazon_source.h"
#include "sources/bookmark_sources.h"
#include "sources/callaw_source.h"
#include "sources/listing_sources.h"
#include "tests/sources/source_run.h"
#include "tests/support/loopback_server.h"

namespace brambel {
namespace {

using testing::attribute;
using testing::LoopbackServer;
using testing::parameters;
using testing::runSource;

// --- Amazon ---------------------------------------------------------------

std::string amazonAnswer(int totalPages, const std::string& items) {
  return "<?xml version=\"1.0\"?><ItemSearchResponse xmlns=\"http://webservices.amazon.com/\">"
         "<OperationRequest><RequestId>1</RequestId></OperationRequest><Items><Request><IsValid>True</IsValid></Request>"
         "<TotalResults>99</TotalResults><TotalPages>" + std::to_string(totalPages) + "</TotalPages>" + items +
         "</Items></ItemSearchResponse>";
}

std::string amazonItem(const std::string& url, const std::string& title, const std::string& manufacturer) {
  std::string attributes = "<ProductGroup>Book</ProductGroup><Title>" + title + "</Title>";
  if (!manufacturer.empty()) attributes = "<Manufacturer>" + manufacturer + "</Manufacturer>" + attributes;
  return "<Item><ASIN>1</ASIN><DetailPageURL>" + url + "</DetailPageURL><ItemAttributes>" + attributes +
         "</ItemAttributes></Item>";
}

TEST(AmazonSource, PagesThroughTheAnswerAndMapsItems) {
  LoopbackServer server;
  server.mapHost("webservices.amazon.com:80");
  server.get("/onca/xml", [](const httplib::Request& request, httplib::Response& response) {
    std::string page = request.has_param("ItemPage") ? request.get_param_value("ItemPage") : "1";
    response.set_content(amazonAnswer(3, amazonItem("http://www.amazon.com/dp/" + page + "?a=1&amp;b=2",
                                                    "Cats &amp; Dogs " + page, page == "2" ? "" : "Acme")),
                         "text/xml");
  });
  AmazonSource source;
  source.parameters() = parameters({{"searchIndex", "Books"}, {"terms", "pet"}});
  testing::SourceRun run = runSource(source, u"big cat");

  std::vector<testing::RecordedRequest> requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].query,
            "Service=AWSECommerceService&AssociateTag=httpwwwbrambe-20&AWSAccessKeyId=7QX2MKD4RTZW9HNB3LCA"
            "&Operation=ItemSearch&Keywords=big+cat+pet&SearchIndex=Books");
  EXPECT_EQ(requests[1].query, requests[0].query + "&ItemPage=2");
  EXPECT_EQ(requests[2].query, requests[0].query + "&ItemPage=3");
  EXPECT_EQ(run.pages, 3);
  std::vector<ResultItem> items = run.items();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(attribute(items[0], u"href"), "http://www.amazon.com/dp/1?a=1&b=2");
  EXPECT_EQ(attribute(items[0], u"title"), "Cats & Dogs 1");
  EXPECT_EQ(attribute(items[0], u"body"), "Book - Acme");
  EXPECT_EQ(attribute(items[1], u"body"), "Book - ");
}

TEST(AmazonSource, LocaleChoosesTheRegionalHost) {
  LoopbackServer japan;
  japan.mapHost("webservices.amazon.co.jp:80");
  japan.serve("/onca/xml", amazonAnswer(1, amazonItem("http://www.amazon.co.jp/dp/1", "Neko", "")), "text/xml");
  AmazonSource source;
  source.parameters() = parameters({{"locale", "jp"}});
  testing::SourceRun run = runSource(source, u"neko");
  EXPECT_EQ(japan.requestCount("/onca/xml"), 1);
  EXPECT_EQ(testing::utf8(run.url).rfind("http://webservices.amazon.co.jp/onca/xml?", 0), 0u);
  EXPECT_NE(japan.lastRequest("/onca/xml").query.find("&SearchIndex=Blended"), std::string::npos);
  EXPECT_EQ(run.items().size(), 1u);
}

TEST(AmazonSource, AnswersWithoutItemsEndTheRun) {
  ResultGroups groups;
  EXPECT_EQ(AmazonSource::ReadItemSearchAnswer("<ItemSearchResponse><Error/></ItemSearchResponse>", groups), 0);
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_TRUE(groups[0].items.empty());

  // An answer that claims many pages but carries no items stops after one request.
  LoopbackServer server;
  server.mapHost("webservices.amazon.com:80");
  server.serve("/onca/xml", amazonAnswer(1000000, ""), "text/xml");
  AmazonSource source;
  testing::SourceRun run = runSource(source, u"x");
  EXPECT_EQ(server.requestCount(), 1);
}

TEST(AmazonSource, IdsAndEmptyQueries) {
  AmazonSource source;
  EXPECT_FALSE(source.AcceptsEmptyQuery());
  EXPECT_EQ(source.GetInstanceId(), u"amazon");
  source.parameters() = parameters({{"searchIndex", "Photo"}, {"terms", "x"}});
  source.parameters()[u"terms"].clear();
  EXPECT_EQ(source.GetInstanceId(), u"amazon/Photo/");
  source.parameters()[u"terms"] = u"x";
  EXPECT_FALSE(source.AcceptsEmptyQuery());
  source.setDisplayName(u"Books");
  EXPECT_EQ(source.GetInfo().displayName, u"Books (Amazon)");
}

// --- eBay -----------------------------------------------------------------

TEST(EbaySource, ReadsTheSearchFeedBuiltFromItsParameters) {
  LoopbackServer server;
  server.mapHost("rss.api.ebay.com:80");
  server.serve("/ws/rssapi",
               "<rss><channel><item><title>Cat toy</title><link>http://cgi.ebay.com/1</link></item></channel></rss>",
               "text/xml");
  EbaySource source;
  source.parameters() = parameters({{"category", "1281"}, {"zip", "94110"}, {"located_country", "1"}});
  EXPECT_TRUE(source.IsSearchable());
  EXPECT_FALSE(source.AcceptsEmptyQuery());
  EXPECT_EQ(source.GetInstanceId(), u"ebay/1281/");
  testing::SourceRun run = runSource(source, u"cat toy");
  std::string query = server.lastRequest("/ws/rssapi").query;
  EXPECT_EQ(query.rfind("FeedName=SearchResults&siteId=0&language=en-US&output=RSS20&", 0), 0u);
  for (const char* part : {"&sacat=1281", "&fpos=94110&fdis=200", "&salic=1", "&saslc=0", "&satitle=cat+toy"})
    EXPECT_NE(query.find(part), std::string::npos) << part;
  EXPECT_EQ(query.find("&saatc="), std::string::npos);
  ASSERT_EQ(run.items().size(), 1u);
  EXPECT_EQ(attribute(run.items()[0], u"href"), "http://cgi.ebay.com/1");
  EXPECT_NE(EbaySource::FeedAddress({}).find(u"&sacat=-1"), std::u16string::npos);
}

// --- CraigsList ------------------------------------------------------------

TEST(CraigsListSource, RequestsTheSearchWithItsSiteParameters) {
  LoopbackServer server;
  server.mapHost("sfbay.craigslist.org:80");
  server.serve("/cgi-bin/search",
               "<html><body><table>1</table><table>2</table><table>3</table>"
               "<p>Jun 1 - <a href=\"/apa/1.html\">Sunny flat</a> - $900 <font>(mission)</font></p>"
               "<p>Jun 2 - <a href=\"http://sfbay.craigslist.org/apa/2.html\">Room</a></p>"
               "<TABLE><tr><td><a href=\"/apa/skip.html\">footer</a></td></tr></TABLE>"
               "<a href=\"/cgi-bin/search?query=x&amp;s=100\">next</a></body></html>");
  CraigsListSource source;
  source.parameters() = parameters({{"area", "1"}, {"category", "apa"}, {"maxask", "1000"}});
  testing::SourceRun run = runSource(source, u"sunny flat", 2);
  EXPECT_EQ(server.lastRequest("/cgi-bin/search").query, "query=sunny+flat&areaID=1&catAbbreviation=apa&maxask=1000");
  std::vector<ResultItem> items = run.items();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(attribute(items[0], u"href"), "http://sfbay.craigslist.org/apa/1.html");
  EXPECT_EQ(attribute(items[0], u"title"), "Sunny flat");
  EXPECT_EQ(attribute(items[0], u"body"), "Jun 1 - Sunny flat - $900 (mission)");
  EXPECT_EQ(run.pages, 1);  // two results reach the maximum of two
}

TEST(CraigsListSource, OverrideHostNextLinksAndEmptyQueries) {
  LoopbackServer server;
  server.mapHost("boston.craigslist.org:80");
  server.get("/cgi-bin/search", [](const httplib::Request& request, httplib::Response& response) {
    bool first = !request.has_param("s");
    response.set_header("Set-Cookie", first ? "a=1; path=/" : "a=2");
    response.set_content(std::string("<html><body><table></table><table></table><table></table>") +
                             "<p><a href=\"/x/" + (first ? "1" : "2") + ".html\">item</a></p>" +
                             (first ? "<a href=\"/cgi-bin/search?query=&amp;s=100\">next</a>" : "") + "</body></html>",
                         "text/html");
  });
  CraigsListSource source;
  source.parameters() = parameters({{"urlOverride", "http://boston.craigslist.org"}});
  EXPECT_TRUE(source.AcceptsEmptyQuery());
  EXPECT_EQ(source.GetInstanceId(), u"craig/////http://boston.craigslist.org");
  testing::SourceRun run = runSource(source, u"");
  EXPECT_EQ(run.pages, 2);
  ASSERT_EQ(run.items().size(), 2u);
  EXPECT_EQ(attribute(run.items()[1], u"href"), "http://boston.craigslist.org/x/2.html");
  // The cookie the first page set goes back with the second.
  std::vector<testing::RecordedRequest> requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].header("Cookie"), "");
  EXPECT_EQ(requests[1].header("Cookie"), "a=1;");
  source.parameters()[u"noEmpty"] = u"1";
  EXPECT_FALSE(source.AcceptsEmptyQuery());
}

// --- CaLaw ----------------------------------------------------------------

TEST(CaLawSource, CodeTableAndSectionGroups) {
  EXPECT_EQ(CaLawSource::CodeAbbreviation("Vehicle Code"), u"veh");
  EXPECT_EQ(CaLawSource::CodeAbbreviation(" code of civil procesdure "), u"ccp");
  EXPECT_EQ(CaLawSource::CodeAbbreviation("found in civil code"), u"civ");
  EXPECT_EQ(CaLawSource::CodeAbbreviation("public resources code"), u"prc");
  EXPECT_EQ(CaLawSource::CodeAbbreviation("water code"), u"wat");
  EXPECT_EQ(CaLawSource::CodeAbbreviation("underwater code"), u"");
  EXPECT_EQ(CaLawSource::CodeAbbreviation("space code"), u"");
  EXPECT_EQ(CaLawSource::SectionGroup("23152"), u"23001-24000");
  EXPECT_EQ(CaLawSource::SectionGroup("152.5"), u"00001-01000");
  EXPECT_EQ(CaLawSource::SectionGroup("1000"), u"00001-01000");
  EXPECT_EQ(CaLawSource::SectionGroup("1001-1003"), u"01001-02000");
}

TEST(CaLawSource, SearchesAndFollowsTheSecondPageOnce) {
  LoopbackServer server;
  server.mapHost("www.leginfo.ca.gov:80");
  server.get("/cgi-bin/calawquery", [](const httplib::Request& request, httplib::Response& response) {
    response.set_content(
        "<html><body><h3>Search results</h3>\n"
        "<a href=\"x\">Vehicle Code section 23152</a>\n"
        " <a href=\"y\">Penal Code section 187-189</a>\n"
        " <a href=\"z\">Space Code section 1</a>\n"
        "<TABLE><tr><td>Civil Code section 1</td></tr></TABLE>"
        "<form><input type=hidden name=\"codebody\" value=\"drunk driving\"><input name=hits value=20>"
        "<input type=submit value=\"More\"></form></body></html>",
        "text/html");
  });
  CaLawSource source;
  source.parameters() = parameters({{"terms", "dui"}});
  testing::SourceRun run = runSource(source, u"drunk", 100);
  std::vector<testing::RecordedRequest> requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].query, "hits=20&codebody=drunk+dui&codesection=all");
  EXPECT_EQ(requests[1].query, "codebody=drunk+driving&hits=20&P=2");
  std::vector<ResultItem> items = run.items();
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(attribute(items[0], u"href"),
            "http://www.leginfo.ca.gov/cgi-bin/displaycode?section=veh&group=23001-24000&file=23152");
  EXPECT_EQ(attribute(items[0], u"override_title"), "Vehicle Code section 23152");
  EXPECT_EQ(attribute(items[1], u"href"),
            "http://www.leginfo.ca.gov/cgi-bin/displaycode?section=pen&group=00001-01000&file=187-189");
  EXPECT_EQ(source.GetInstanceId(), u"callaw//dui");
  EXPECT_EQ(source.GetInfo().description, u"California Statutes and Constitution search, 29 codes");
}

TEST(CaLawSource, OneCodeAndAtMostTwentyHits) {
  LoopbackServer server;
  server.mapHost("www.leginfo.ca.gov:80");
  std::string hits;
  for (int i = 1; i <= 25; ++i) hits += "\n Penal Code section " + std::to_string(i);
  server.serve("/cgi-bin/calawquery", "<html><body><h3>r</h3>" + hits + "<form><input name=a value=b></form></body></html>");
  CaLawSource source;
  source.parameters() = parameters({{"codesection", "pen"}});
  testing::SourceRun run = runSource(source, u"x", 100);
  EXPECT_EQ(server.lastRequest("/cgi-bin/calawquery").query, "hits=20&codebody=x&codesection=pen");
  EXPECT_EQ(server.requestCount(), 1);
  EXPECT_EQ(run.pages, 1);
}

// --- Thottbot ---------------------------------------------------------------

TEST(Thottbot, RequestInfoAndSectionedResults) {
  LoopbackServer server;
  server.mapHost("www.thottbot.com:80");
  server.serve("/", "<html></html>");
  EngineSource source(thottbotProfile());
  source.parameters() = parameters({{"terms", "pet"}});
  runSource(source, u"big cat");
  EXPECT_EQ(server.lastRequest("/").target, "/?s=big+cat+pet");
  EXPECT_EQ(source.GetInfo().description, u"Compendium of WoW Items, Recipes, Weapons and Armor");


  std::string page =
      "<html><body><table><tr><td>header</td></tr><tr><td>nav</td><td><table><tr><td>"
      "<h2>Items</h2><table class=report><tr class='r1'><td><a href=\"/i123\">Cat&nbsp;Collar</a></td>"
      "<td>Level 5</td></tr><tr class=r2><td><a href=\"/i9\">other</a></td></tr></table>"
      "<h2>Quests</h2><table class=\"report\"><tr class=r1><td>x</td><td><a href=\"http://www.thottbot.com/q7\">Find the cat</a></td></tr></table>"
      "<table class=plain><tr class=r1><td><a href=\"/skip\">skip</a></td></tr></table>"
      "</td></tr></table></td></tr></table></body></html>";
  std::u16string next = u"stale";
  ResultGroups groups;
  parseThottbotPage(page, {}, groups, next);
  ASSERT_EQ(groups[0].items.size(), 2u);
  EXPECT_EQ(attribute(groups[0].items[0], u"href"), "http://www.thottbot.com/i123");
  EXPECT_EQ(attribute(groups[0].items[0], u"title"), "Cat Collar");
  EXPECT_EQ(attribute(groups[0].items[0], u"body"), "items: Cat Collar Level 5");
  EXPECT_EQ(attribute(groups[0].items[1], u"body"), "quests: x Find the cat");
  EXPECT_TRUE(next.empty());
}


// --- Bookmark feeds --------------------------------------------------------

TEST(BookmarkSources, FeedPathsForUsersTagsAndSearches) {
  LoopbackServer delicious;
  delicious.mapHost("del.icio.us:80");
  LoopbackServer simpy;
  simpy.mapHost("www.simpy.com:80");
  std::string feed = "<rss><channel><item><title>Bookmark</title><link>http://b.example/</link></item></channel></rss>";
  // The server matches paths percent-decoded; `target` keeps them as sent.
  for (const char* path : {"/rss/tag/big+cat", "/rss/ann/big+cat", "/rss/"}) delicious.serve(path, feed, "text/xml");
  for (const char* path : {"/rss/links/search/big+cat", "/rss/user/ann/links", "/rss/links"}) simpy.serve(path, feed, "text/xml");

  DeliciousSource tags;
  testing::SourceRun run = runSource(tags, u"big cat");
  // Tags are joined by a raw "+", never an encoded one that makes them one tag.
  EXPECT_EQ(delicious.lastRequest("/rss/tag/big+cat").target, "/rss/tag/big+cat");
  ASSERT_EQ(run.items().size(), 1u);
  EXPECT_EQ(attribute(run.items()[0], u"href"), "http://b.example/");

  DeliciousSource user;
  user.parameters() = parameters({{"username", "ann"}});
  runSource(user, u"big cat");
  EXPECT_EQ(delicious.lastRequest("/rss/ann/big+cat").target, "/rss/ann/big+cat");
  delicious.serve("/rss/tag/c++", feed, "text/xml");
  runSource(tags, u"c++");
  EXPECT_EQ(delicious.lastRequest("/rss/tag/c++").target, "/rss/tag/c%2b%2b");
  DeliciousSource recent;
  EXPECT_TRUE(recent.AcceptsEmptyQuery());
  runSource(recent, u"");
  EXPECT_EQ(delicious.requestCount("/rss/"), 1);

  SimpySource search;
  runSource(search, u"big cat");
  EXPECT_EQ(simpy.requestCount("/rss/links/search/big+cat"), 1);
  SimpySource simpyUser;
  simpyUser.parameters() = parameters({{"username", "ann"}});
  runSource(simpyUser, u"");
  EXPECT_EQ(simpy.requestCount("/rss/user/ann/links"), 1);

  EXPECT_EQ(user.GetInstanceId(), u"delicious/ann/");
  EXPECT_EQ(search.GetInstanceId(), u"simpy");
  EXPECT_EQ(tags.GetInfo().displayName, u"del.icio.us");
}

}  // namespace
}  // namespace brambel
