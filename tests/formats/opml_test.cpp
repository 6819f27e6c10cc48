#include <gtest/gtest.h>

#include "formats/feed_adding.h"
#include "formats/opml.h"
#include "formats/source_naming.h"
#include "formats/source_table.h"
#include "sources/builtin_sources.h"
#include "tests/support/loopback_server.h"
#include "tests/support/process.h"
#include "toolkit/code_pages.h"

namespace brambel {
namespace {

using testing::LoopbackServer;

const SourceRegistry& registry() {
  static SourceRegistry instance;
  static bool filled = (registerBuiltinSources(instance), true);
  (void)filled;
  return instance;
}

std::u16string u16(const std::string& text) { return toWide(text, kCodePageUtf8); }
std::string u8(const std::u16string& text) { return toNarrow(text, kCodePageUtf8); }

std::u16string addFeedSource(SourceTable& table, const std::u16string& key, const std::u16string& name,
                             const std::u16string& url) {
  std::u16string identity;
  table.AddDefinition({key, u"", {{u"url", url}}, name}, &identity);
  return identity;
}

// Each feed of `set` as "category|source name|key|url", in order.
std::vector<std::string> feedsOf(const CategorySet& set, const SourceTable& table) {
  std::vector<std::string> feeds;
  for (const Category& category : set.categories)
    for (const auto& identity : category.references) {
      const SearchSource* source = table.find(identity);
      if (!source) continue;
      feeds.push_back(u8(category.name + u"|" + source->displayName() + u"|" + source->GetKey() + u"|" +
                         source->parameters().at(u"url")));
    }
  return feeds;
}

TEST(OpmlWriting, WritesFeedsInOrderAndEscapesEveryAttribute) {
  SourceTable table(registry());
  table.AddBuiltInSources();
  CategorySet set;
  std::u16string a = addFeedSource(table, u"rss", u"A <b> & \"c\"", u"http://a.test/feed?x=1&y=2");
  std::u16string b = addFeedSource(table, u"atom", u"B", u"http://b.test/atom");
  set.categories = {{u"Only engines", 0, {u"google", u"yahoo"}}, {u"R&D <new>", 0, {a, u"google", b, u"missing"}}};
  std::string opml = u8(writeOpml(set, table, u"cats.xml"));
  EXPECT_EQ(opml,
            "<?xml version=\"1.0\"  encoding=\"utf-8\"?>\r\n<opml version=\"1.0\">\r\n<head>\r\n"
            "<title>cats.xml</title>\r\n</head>\r\n<body>\r\n"
            "<outline title=\"R&amp;D &lt;new&gt;\" text=\"R&amp;D &lt;new&gt;\">\r\n"
            "<outline title=\"A &lt;b&gt; &amp; &quot;c&quot; (rss)\" text=\"A &lt;b&gt; &amp; &quot;c&quot; (rss)\" "
            "xmlUrl=\"http://a.test/feed?x=1&amp;y=2\" type=\"rss\"/>\r\n"
            "<outline title=\"B (atom)\" text=\"B (atom)\" xmlUrl=\"http://b.test/atom\" type=\"atom\"/>\r\n"
            "</outline>\r\n</body>\r\n</opml>\r\n");

  // An independent XML parser accepts it and sees the names as they were.
  auto parsed = testing::runProcess(
      "/usr/bin/python3",
      {"-c",
       "import sys, xml.etree.ElementTree as E\n"
       "root = E.fromstring(sys.stdin.buffer.read())\n"
       "for o in root.iter('outline'): print(o.get('title'), o.get('xmlUrl'), sep='|')\n"},
      opml);
  ASSERT_EQ(parsed.status, 0) << parsed.err;
  EXPECT_EQ(parsed.out,
            "R&D <new>|None\nA <b> & \"c\" (rss)|http://a.test/feed?x=1&y=2\nB (atom)|http://b.test/atom\n");
}

TEST(OpmlReading, ReadsTheStylesOfCommonFeedReaders) {
  // Nested folders, "text" without "title", htmlUrl, type in capitals,
  // character references, single feeds at the top, a duplicate, attributes
  // in any order, comments and a trailing remark after the last outline.
  std::string file =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!-- exported -->\n<opml version=\"2.0\">\n  <head><title>Subscriptions</title>"
      "<dateCreated>Sun, 06 Dec 2026 10:00:00 GMT</dateCreated></head>\n  <body>\n"
      "    <outline text=\"Tech &amp; Science\">\n"
      "      <outline text=\"Caf&#233; &#x263A; News\" type=\"RSS\" xmlUrl=\"http://cafe.test/rss\""
      " htmlUrl=\"http://cafe.test/\"/>\n"
      "      <outline title=\"Deeper\" text=\"ignored\">\n"
      "        <outline type=\"atom\" text=\"Atom One\" xmlUrl=\"http://one.test/atom.xml\"></outline>\n"
      "      </outline>\n"
      "    </outline>\n"
      "    <outline title=\"Loose\" xmlurl=\"http://loose.test/feed\" type=\"rss\" version=\"RSS2\"/>\n"
      "    <outline text=\"Again\" type=\"rss\" xmlUrl=\"http://cafe.test/rss\"/>\n"
      "    <outline text=\"No Url\"/>\n"
      "  </body>\n</opml>\n trailing";
  SourceTable table(registry());
  CategorySet set;
  ASSERT_TRUE(readOpml(set, table, u16(file)));
  // "All" comes first: it is there before the outlines are read.
  EXPECT_EQ(feedsOf(set, table), (std::vector<std::string>{
                                     "All|Loose|rss|http://loose.test/feed",
                                     "All|Café ☺ News|rss|http://cafe.test/rss",
                                     "Tech & Science|Café ☺ News|rss|http://cafe.test/rss",
                                     "Deeper|Atom One|atom|http://one.test/atom.xml",
                                 }));
  EXPECT_EQ(table.identities().size(), 3u) << "the duplicate URL made no second source";
}

TEST(OpmlReading, FoldersOnlyLeaveNoAllAndTheLastSelfClosingOutlineCounts) {
  SourceTable table(registry());
  CategorySet set;
  ASSERT_TRUE(readOpml(set, table,
                       u"<opml><body><outline text=\"F\"><outline text=\"x\" xmlUrl=\"http://x.test/\"/>"
                       u"</outline></body></opml>"));
  EXPECT_EQ(feedsOf(set, table), (std::vector<std::string>{"F|x|rss|http://x.test/"}));
  ASSERT_EQ(set.categories.size(), 1u);

  CategorySet top;
  ASSERT_TRUE(readOpml(top, table, u"<opml><body><outline text=\"y\" xmlUrl=\"http://y.test/\"/>"));
  EXPECT_EQ(feedsOf(top, table), (std::vector<std::string>{"All|y|rss|http://y.test/"}));

  CategorySet relative;
  ASSERT_TRUE(readOpml(relative, table, u"<opml><body><outline text=\"r\" xmlUrl=\"../feed.xml\"/></body></opml>",
                       u"http://site.test/lists/mine.opml"));
  EXPECT_EQ(feedsOf(relative, table), (std::vector<std::string>{"All|r|rss|http://site.test/feed.xml"}));

  CategorySet none;
  EXPECT_FALSE(readOpml(none, table, u"[category]=News\r\nrss\r\n"));
  EXPECT_TRUE(none.categories.empty());
}

TEST(OpmlReading, RoundTripKeepsEveryFeedAndCategory) {
  SourceTable table(registry());
  CategorySet set;
  set.categories = {
      {u"News & Views", 0, {addFeedSource(table, u"rss", u"Daily: Paper", u"http://p.test/rss?a=1&b=2"),
                            addFeedSource(table, u"atom", u"Blog", u"http://blog.test/atom")}},
      {u"<Tech>", 0, {addFeedSource(table, u"rss", u"Q \"quoted\"", u"http://q.test/")}}};
  std::u16string opml = writeOpml(set, table, u"t");

  SourceTable fresh(registry());
  CategorySet back;
  ASSERT_TRUE(readOpml(back, fresh, opml));
  ASSERT_EQ(back.categories.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(back.categories[i].name, set.categories[i].name);
    EXPECT_EQ(back.categories[i].references, set.categories[i].references);
  }
  for (const auto& identity : fresh.identities())
    EXPECT_EQ(fresh.find(identity)->parameters(), table.find(identity)->parameters());
}

TEST(UniqueSourceName, DropsPunctuationAndNumbersTakenNames) {
  SourceTable table(registry());
  EXPECT_EQ(uniqueSourceName(u"Slashdot: News", table), u"Slashdot News");
  EXPECT_EQ(uniqueSourceName(u" ¡¿!?:; ", table, u"Fallback"), u"Fallback");
  EXPECT_EQ(uniqueSourceName(u"...", table), u"Unknown Source");
  addFeedSource(table, u"rss", u"Slashdot News", u"http://1.test/");
  EXPECT_EQ(uniqueSourceName(u"slashdot: news", table), u"slashdot news(0)");
  addFeedSource(table, u"rss", u"Slashdot News(0)", u"http://2.test/");
  EXPECT_EQ(uniqueSourceName(u"Slashdot: News", table), u"Slashdot News(1)");
}

class FeedAdding : public ::testing::Test {
 protected:
  FeedAdding() {
    server.mapHost("feeds.test:80");
    server.serve("/rss", "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Fish &amp; Chips: Daily</title>",
                 "text/xml");
    server.serve("/rdf", "<?xml version=\"1.0\"?><rdf:RDF><channel><title>Old</title>", "text/xml");
    server.serve("/atom", "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title type=\"text\">Atomic</title>");
    server.serve("/page", "<html><head><title>Not a feed</title></head></html>");
    table.AddBuiltInSources();
    set.categories.emplace_back().name = u"News";
  }
  LoopbackServer server;
  SourceTable table{registry()};
  CategorySet set;
};

TEST_F(FeedAdding, AddsRecognisedFeedsOnceUnderTheirTitle) {
  FeedAddOptions options;
  options.category = u"News";
  std::u16string asked;
  options.askName = [&](const std::u16string& proposed) -> std::optional<std::u16string> {
    asked = proposed;
    return proposed;
  };
  FeedAddOutcome added = addFeed(u"feed://feeds.test/rss", table, set, options);
  EXPECT_EQ(added.status, FeedAddStatus::Added);
  EXPECT_EQ(asked, u"Fish  Chips Daily");
  EXPECT_EQ(added.message, u"Added source: Fish  Chips Daily");
  EXPECT_EQ(server.lastRequest("/rss").method, "GET") << "the feed scheme is fetched over http";
  EXPECT_EQ(table.find(added.identity)->parameters().at(u"url"), u"http://feeds.test/rss");
  EXPECT_EQ(set.categories[0].references, (std::vector<std::u16string>{added.identity}));

  FeedAddOutcome again = addFeed(u"http://feeds.test/rss", table, set, options);
  EXPECT_EQ(again.status, FeedAddStatus::AlreadyExists);
  EXPECT_EQ(again.message, u"Feed already exists: Fish  Chips Daily (rss)");

  FeedAddOutcome atom = addFeed(u"http://feeds.test/atom", table, set, {});
  EXPECT_EQ(atom.status, FeedAddStatus::Added);
  EXPECT_EQ(table.find(atom.identity)->GetKey(), u"atom");

  options.askName = [](const std::u16string&) { return std::nullopt; };
  EXPECT_EQ(addFeed(u"http://feeds.test/rdf", table, set, options).status, FeedAddStatus::Cancelled);
}

TEST_F(FeedAdding, ReportsFailuresAndTheOpenPathIgnoresRdf) {
  EXPECT_EQ(addFeed(u"http://feeds.test/missing", table, set, {}).message,
            u"An error occured while trying to fetch the feed.");
  EXPECT_EQ(addFeed(u"http://feeds.test/page", table, set, {}).message,
            u"Feed Unrecognized. Brambel currently only supports Rss 1.0/2.0 and Atom feeds.");
  FeedAddOptions outside;
  outside.fromOutside = true;
  FeedAddOutcome rdf = addFeed(u"http://feeds.test/rdf", table, set, outside);
  EXPECT_EQ(rdf.status, FeedAddStatus::Unrecognized);
  EXPECT_TRUE(rdf.message.empty());
  EXPECT_EQ(addFeed(u"http://feeds.test/rdf", table, set, {}).status, FeedAddStatus::Added);
  EXPECT_EQ(addFeed(u"  ", table, set, {}).status, FeedAddStatus::Nothing);
}

}  // namespace
}  // namespace brambel
