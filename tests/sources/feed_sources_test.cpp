#include <gtest/gtest.h>

#include "sources/feed_parsers.h"
#include "sources/feed_source.h"
#include "tests/sources/source_run.h"
#include "tests/support/loopback_server.h"

namespace brambel {
namespace {

using testing::attribute;
using testing::LoopbackServer;
using testing::parameters;
using testing::runSource;

constexpr char kFeedHost[] = "feeds.example.test:80";

std::string rssFeed(const std::string& items, const std::string& sponsors = "") {
  return "<?xml version=\"1.0\"?>\n<rss version=\"2.0\" xmlns:brambel=\"http://www.brambel.org/ns\">\n"
         "<channel><title>News</title>\n" + items + "</channel>\n" + sponsors + "</rss>\n";
}

std::string rssItem(const std::string& inner) { return "<item>" + inner + "</item>\n"; }

class FeedSourceTest : public ::testing::Test {
 protected:
  FeedSourceTest() { server.mapHost(kFeedHost); }

  LoopbackServer server;
};

TEST_F(FeedSourceTest, QueryGoesIntoTheFeedAddressUnderQueryParam) {
  server.serve("/news.xml", rssFeed(rssItem("<title>One</title><link>http://a.example/1</link>")), "text/xml");
  RssSource source;
  source.parameters() = parameters({{"url", "http://feeds.example.test/news.xml?lang=en"},
                                    {"query_param", "q"},
                                    {"terms", "extra"},
                                    {"cookie", "sid=1"}});
  testing::SourceRun run = runSource(source, u"a b");

  ASSERT_TRUE(run.started);
  EXPECT_EQ(run.pages, 1);
  EXPECT_EQ(run.errorFlag, 0);
  testing::RecordedRequest request = server.lastRequest("/news.xml");
  EXPECT_EQ(request.method, "GET");
  EXPECT_EQ(request.query, "lang=en&q=a+b+extra");
  EXPECT_EQ(request.header("Cookie"), "sid=1");
  EXPECT_EQ(request.header("Accept-Encoding"), "gzip");
  EXPECT_EQ(testing::utf8(run.url), "http://feeds.example.test/news.xml?lang=en&q=a+b+extra");
  ASSERT_EQ(run.items().size(), 1u);
  EXPECT_EQ(attribute(run.items()[0], u"href"), "http://a.example/1");
}

TEST_F(FeedSourceTest, PathStyleKeyPutsTheQueryBeforeTheQueryPart) {
  server.serve("/tags/cats.rss", rssFeed(""), "application/rss+xml");
  RssSource source;
  source.parameters() = parameters({{"url", "http://feeds.example.test/tags?x=1"}, {"query_param", "/.rss"}});
  runSource(source, u"cats");
  EXPECT_EQ(server.requestCount("/tags/cats.rss"), 1);
  EXPECT_EQ(server.lastRequest("/tags/cats.rss").query, "x=1");
}

TEST_F(FeedSourceTest, WithoutQueryParamTheFeedIsReadAsItStands) {
  server.serve("/plain.xml", rssFeed(""), "text/xml");
  AtomSource source;
  source.parameters() = parameters({{"url", "http://feeds.example.test/plain.xml"}});
  runSource(source, u"ignored terms");
  EXPECT_EQ(server.lastRequest("/plain.xml").query, "");
}

TEST_F(FeedSourceTest, AnAnswerThatIsNotTextYieldsNoItemsAndNoError) {
  server.serve("/image", std::string("\x89PNG\r\n\x1a\n<item><link>http://x</link></item>", 35), "image/png");
  RssSource source;
  source.parameters() = parameters({{"url", "http://feeds.example.test/image"}});
  testing::SourceRun run = runSource(source, u"");
  EXPECT_EQ(run.pages, 1);
  EXPECT_EQ(run.errorFlag, 0);
  EXPECT_TRUE(run.items().empty());
}

TEST(FeedSource, AnUnreachableFeedMarksTheRunFailed) {
  LoopbackServer* closed = new LoopbackServer;
  std::string url = closed->url("/feed");
  delete closed;
  RssSource source;
  source.parameters() = parameters({{"url", url}});
  testing::SourceRun run = runSource(source, u"");
  EXPECT_TRUE(run.started);
  EXPECT_EQ(run.pages, 0);
  EXPECT_EQ(run.errorFlag, 1);
}

TEST(FeedSource, SearchabilityEmptyQueriesIdsAndNames) {
  RssSource source;
  EXPECT_FALSE(source.IsSearchable());
  EXPECT_EQ(source.GetInstanceId(), u"rss");
  EXPECT_EQ(source.GetInfo().displayName, u"rss");

  source.parameters() = parameters({{"url", "http://f.example/x"}});
  EXPECT_TRUE(source.IsSearchable());
  EXPECT_TRUE(source.AcceptsEmptyQuery());
  EXPECT_EQ(source.GetInstanceId(), u"rss/http://f.example/x/");

  source.parameters()[u"noEmpty"] = u"1";
  EXPECT_FALSE(source.AcceptsEmptyQuery());
  source.parameters()[u"terms"] = u"cats";
  EXPECT_TRUE(source.AcceptsEmptyQuery());
  EXPECT_EQ(source.GetInstanceId(), u"rss/http://f.example/x/cats");

  AtomSource atom;
  atom.setDisplayName(u"Blog");
  EXPECT_EQ(atom.GetInfo().displayName, u"Blog (atom)");
  EXPECT_EQ(atom.GetInfo().parameterDescriptions.at(u"url"), u"Atom source url");
  EXPECT_TRUE(atom.GetInfo().parameterDescriptions.count(u"queryEncoding"));
}

ResultGroups parseRss(const std::string& feed, const ParameterMap& flags = {}) {
  ResultGroups groups;
  parseRssFeed(feed, flags, groups);
  return groups;
}

TEST(RssFeed, ItemsCarryLinkTitleBodyDateAndSources) {
  std::string feed = rssFeed(
      rssItem("<title>Cats &amp; <b>dogs</b></title>"
              "<link><![CDATA[http://a.example/?x=1&amp;y=2]]></link>"
              "<description><![CDATA[<p>Fur &amp; <i>paws</i></p>]]></description>"
              "<pubDate>Sun, 06 Nov 1994 08:49:37 GMT</pubDate>"
              "<brambel:source>rss/one</brambel:source><brambel:source>google</brambel:source>") +
      rssItem("<title>Only a guid</title><link></link><guid>http://b.example/guid</guid>"));
  ResultGroups groups = parseRss(feed);
  ASSERT_EQ(groups.size(), 1u);
  ASSERT_EQ(groups[0].name, u"search");
  ASSERT_EQ(groups[0].items.size(), 2u);

  const ResultItem& first = groups[0].items[0];
  EXPECT_EQ(attribute(first, u"href"), "http://a.example/?x=1&y=2");
  EXPECT_EQ(attribute(first, u"title"), "Cats &  dogs ");
  EXPECT_EQ(attribute(first, u"body"), " Fur &  paws  ");
  EXPECT_EQ(attribute(first, u"contentLastModified"), "Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_EQ(attribute(first, u"source0"), "rss/one");
  EXPECT_EQ(attribute(first, u"source1"), "google");
  EXPECT_EQ(attribute(first, u"override_title"), "<absent>");

  const ResultItem& second = groups[0].items[1];
  EXPECT_EQ(attribute(second, u"href"), "http://b.example/guid");
  EXPECT_EQ(attribute(second, u"contentLastModified"), "<absent>");
}

TEST(RssFeed, SponsoredItemsGoToTheirOwnGroupAndNeedALink) {
  std::string sponsors = "<brambel:sponsors>" + rssItem("<title>Ad &amp; more</title><link> http://ad.example/ </link>"
                                                        "<description>  Buy now </description>") +
                         rssItem("<title>No link</title>") + "</brambel:sponsors>";
  ResultGroups groups = parseRss(rssFeed(rssItem("<link>http://a.example/</link>"), sponsors));
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].items.size(), 1u);
  ASSERT_EQ(groups[1].name, u"sponsors");
  ASSERT_EQ(groups[1].items.size(), 1u);
  EXPECT_EQ(attribute(groups[1].items[0], u"href"), "http://ad.example/");
  EXPECT_EQ(attribute(groups[1].items[0], u"title"), "Ad & more");
  EXPECT_EQ(attribute(groups[1].items[0], u"body"), "Buy now");
}

TEST(RssFeed, FeedWithoutSponsorsHasOnlyTheSearchGroup) {
  ResultGroups groups = parseRss("<rss><channel></channel></rss>");
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_TRUE(groups[0].items.empty());
}

TEST(RssFeed, ImagesComeFromTheFeedWhenAskedFor) {
  std::string both = rssItem(
      "<link>http://page.example/</link><media:thumbnail url=\"http://img.example/thumb.jpg\"/>"
      "<description><![CDATA[<img src=\"http://img.example/inline.jpg\">]]></description>");
  std::string inlineOnly = rssItem(
      "<link>http://page.example/2</link>"
      "<description>&lt;img alt=\"x\" src=\"http://img.example/escaped.jpg\"&gt;</description>");
  std::string feed = rssFeed(both + inlineOnly);

  ResultGroups plain = parseRss(feed);
  EXPECT_EQ(attribute(plain[0].items[0], u"href"), "http://page.example/");
  EXPECT_EQ(attribute(plain[0].items[0], u"overrideImage"), "<absent>");

  ResultGroups overridden = parseRss(feed, parameters({{"imagesOverride", "1"}}));
  EXPECT_EQ(attribute(overridden[0].items[0], u"href"), "http://page.example/");
  EXPECT_EQ(attribute(overridden[0].items[0], u"overrideImage"), "http://img.example/thumb.jpg");
  EXPECT_EQ(attribute(overridden[0].items[1], u"overrideImage"), "http://img.example/escaped.jpg");

  ResultGroups preferred = parseRss(feed, parameters({{"imagesPrefered", "1"}}));
  EXPECT_EQ(attribute(preferred[0].items[0], u"href"), "http://img.example/thumb.jpg");
  EXPECT_EQ(attribute(preferred[0].items[1], u"href"), "http://img.example/escaped.jpg");
  EXPECT_EQ(attribute(preferred[0].items[1], u"overrideImage"), "<absent>");
}

TEST(RssFeed, SubUrlsAreUnwrappedAndTitlesCanOverride) {
  std::string feed = rssFeed(rssItem(
      "<title>Story</title><link>http://news.example/r?u=http%3A%2F%2Fstory.example%2Fa%3Fb&amp;x=1</link>"));
  ResultGroups groups = parseRss(feed, parameters({{"parseSubURL", "1"}, {"titleOverride", "1"}}));
  const ResultItem& item = groups[0].items[0];
  EXPECT_EQ(attribute(item, u"href"), "http://story.example/a?b");
  EXPECT_EQ(attribute(item, u"override_title"), "Story");
  EXPECT_EQ(attribute(item, u"title"), "<absent>");

  // A link that embeds no address stays as it is.
  ResultGroups direct = parseRss(rssFeed(rssItem("<link>http://plain.example/a</link>")), parameters({{"parseSubURL", "1"}}));
  EXPECT_EQ(attribute(direct[0].items[0], u"href"), "http://plain.example/a");
}

TEST(AtomFeed, EntriesCarryLinkTitleBodyAndGmtDate) {
  std::string feed =
      "<?xml version=\"1.0\"?><feed xmlns=\"http://www.w3.org/2005/Atom\"><title>Blog</title>"
      "<entry><title>First &amp; best</title><link rel=\"alternate\" href=\"http://blog.example/1?a=1&amp;b=2\"/>"
      "<content type=\"html\">&lt;p&gt;Hello &lt;b&gt;world&lt;/b&gt;&lt;/p&gt;</content>"
      "<modified>2024-03-01T10:00:00+02:00</modified></entry>"
      "<entry><title>Second</title><link href=\"http://blog.example/2\"/><summary>Short</summary>"
      "<updated>2024-02-29T23:30:00.25Z</updated></entry>"
      "<entry><title>Third</title><link href=\"http://blog.example/3\"/><modified>yesterday</modified></entry>"
      "</feed>";
  ResultGroups groups;
  parseAtomFeed(feed, {}, groups);
  ASSERT_EQ(groups.size(), 1u);
  ASSERT_EQ(groups[0].items.size(), 3u);
  const ResultItem& first = groups[0].items[0];
  EXPECT_EQ(attribute(first, u"href"), "http://blog.example/1?a=1&b=2");
  EXPECT_EQ(attribute(first, u"title"), "First & best");
  EXPECT_EQ(attribute(first, u"body"), " Hello  world  ");
  EXPECT_EQ(attribute(first, u"contentLastModified"), "Fri, 01 Mar 2024 08:00:00 GMT");
  EXPECT_EQ(attribute(groups[0].items[1], u"body"), "Short");
  EXPECT_EQ(attribute(groups[0].items[1], u"contentLastModified"), "Thu, 29 Feb 2024 23:30:00 GMT");
  EXPECT_EQ(attribute(groups[0].items[2], u"contentLastModified"), "<absent>");
}

TEST(AtomFeed, IsoTimesOutsideTheCalendarAreRejected) {
  EXPECT_EQ(isoTimeToHttpDate("2024-13-01T00:00:00Z"), std::nullopt);
  EXPECT_EQ(isoTimeToHttpDate("1969-12-31T23:59:59Z"), std::nullopt);
  EXPECT_EQ(isoTimeToHttpDate("1970-01-01T01:00:00+01:00"), "Thu, 01 Jan 1970 00:00:00 GMT");
  EXPECT_EQ(isoTimeToHttpDate("2000-01-01T00:00:00-05:30"), "Sat, 01 Jan 2000 05:30:00 GMT");
}

TEST_F(FeedSourceTest, AtomRunReadsTheFeedOverHttp) {
  server.serve("/atom", "<feed><entry><title>T</title><link href=\"http://e.example/\"/></entry></feed>",
               "application/atom+xml");
  AtomSource source;
  source.parameters() = parameters({{"url", "http://feeds.example.test/atom"}, {"titleOverride", "y"}});
  testing::SourceRun run = runSource(source, u"");
  ASSERT_EQ(run.items().size(), 1u);
  EXPECT_EQ(attribute(run.items()[0], u"override_title"), "T");
  EXPECT_EQ(run.pages, 1);
}

}  // namespace
}  // namespace brambel
