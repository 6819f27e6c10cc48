#include "toolkit/feed_scanner.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/toolkit/rule_table_oracle.h"
#include "toolkit/tag_attribute.h"

namespace brambel {
namespace {

std::vector<FeedItem> itemsOf(std::string_view feed, std::vector<FeedItem>* sponsors = nullptr) {
  std::vector<FeedItem> items;
  extractFeedItems(feed, items, sponsors);
  return items;
}

TEST(FeedScanner, ReadsRss2Items) {
  auto items = itemsOf(R"(<?xml version="1.0"?>
<rss version="2.0" xmlns:media="http://search.yahoo.com/mrss/"><channel>
  <title>Channel title</title><link>http://channel/</link>
  <item>
    <title>First &amp; <b>best</b></title>
    <link>
      http://example.com/1
    </link>
    <description><![CDATA[<p>Some text</p>]]></description>
    <guid isPermaLink="false"> id-1 </guid>
    <pubDate>Sun, 06 Nov 1994 08:49:37 GMT</pubDate>
    <enclosure url="http://example.com/a.mp3" length="1" type="audio/mpeg"/>
    <media:thumbnail url="http://example.com/t.jpg" />
    <media:content url="http://example.com/m.jpg" medium="image"/>
    <image>http://example.com/i.png</image>
  </item>
  <ITEM><TITLE>Second</TITLE><LINK>http://example.com/2</LINK></ITEM>
</channel></rss>)");
  ASSERT_EQ(items.size(), 2u);
  FeedItem first;
  first.title = "First &amp; <b>best</b>";
  first.link = "http://example.com/1";
  first.description = "<![CDATA[<p>Some text</p>]]>";
  first.guid = "id-1";
  first.mediaUrl = "http://example.com/m.jpg";
  first.thumbnailUrl = "http://example.com/t.jpg";
  first.image = "http://example.com/i.png";
  first.enclosureUrl = "http://example.com/a.mp3";
  first.pubDate = "Sun, 06 Nov 1994 08:49:37 GMT";
  EXPECT_EQ(items[0], first);
  EXPECT_EQ(items[1].title, "Second");
  EXPECT_EQ(items[1].link, "http://example.com/2");
}

TEST(FeedScanner, ReadsRss091AndRdfFeeds) {
  auto rss091 = itemsOf(
      "<rss version=\"0.91\"><channel><title>c</title>"
      "<item><title>Old</title><link>http://old/</link><description>d</description></item>"
      "</channel></rss>");
  ASSERT_EQ(rss091.size(), 1u);
  EXPECT_EQ(rss091[0].link, "http://old/");

  // RDF (RSS 1.0): the channel's "<items>" table of contents is no item.
  auto rdf = itemsOf(
      R"(<rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#" xmlns="http://purl.org/rss/1.0/">
<channel rdf:about="http://x/"><title>c</title><items><rdf:Seq><rdf:li resource="http://x/1"/></rdf:Seq></items></channel>
<item rdf:about="http://x/1"><title>One</title><link>http://x/1</link></item>
<item rdf:about="http://x/2"><title>Two</title><link>http://x/2</link></item>
</rdf:RDF>)");
  ASSERT_EQ(rdf.size(), 2u);
  EXPECT_EQ(rdf[0].title, "One");
  EXPECT_EQ(rdf[1].link, "http://x/2");
}

TEST(FeedScanner, OtherFormatsAndBrokenFeedsGiveNoItems) {
  EXPECT_TRUE(itemsOf(R"(<feed xmlns="http://www.w3.org/2005/Atom"><entry><title>t</title>
<link href="http://a/"/></entry></feed>)")
                  .empty());
  EXPECT_TRUE(itemsOf("<item><title>outside any feed</title></item>").empty());
  EXPECT_TRUE(itemsOf("<rss><channel><item><title>never closed").empty());
  EXPECT_TRUE(itemsOf("").empty());
  EXPECT_TRUE(itemsOf("<rss><channel><item").empty());
}

TEST(FeedScanner, ShortElementsKeepTheirLastPieceLongOnesEverything) {
  auto items = itemsOf(
      "<rss><channel><item>"
      "<link><![CDATA[http://a/?x=1]]></link>"
      "<image><url>http://img/</url><title>t</title></image>"
      "<guid>a<b</guid>"
      "<title>a<br/>b</title><title>c</title>"
      "</item></channel></rss>");
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].link, "![CDATA[http://a/?x=1]]>");
  EXPECT_EQ(items[0].image, "/title>");
  EXPECT_EQ(items[0].guid, "b");
  EXPECT_EQ(items[0].title, "a<br/>bc");  // every title is appended
}

TEST(FeedScanner, ElementNamesNeedNoDelimiterAndCloseTagsAllowSpaceAfterLessThan) {
  auto items = itemsOf(
      "<rss><channel><item><titles>x</title><link>l</ link></link><guid>g< /guid>"
      "</item></channel></rss>");
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].title, "x");
  EXPECT_EQ(items[0].link, "/ link>");  // "</ link>" does not close the link
  EXPECT_EQ(items[0].guid, "g");        // "< /guid>" does
}

TEST(FeedScanner, SelfClosingTextElementsStayEmpty) {
  auto items = itemsOf(
      "<rss><channel>"
      "<item><title/><description /><link>http://a/</link></item>"
      "<item><title>B</title></item>"
      "</channel></rss>");
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].title, "");
  EXPECT_EQ(items[0].description, "");
  EXPECT_EQ(items[0].link, "http://a/");
  EXPECT_EQ(items[1].title, "B");
}

TEST(FeedScanner, EachItemStartsEmpty) {
  auto items = itemsOf(
      "<rss><channel><item><title>A</title><link>http://a/</link><brambel:source>S1</brambel:source></item>"
      "<item><title>B</title></item></channel></rss>");
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1].link, "");
  EXPECT_TRUE(items[1].sources.empty());
}

TEST(FeedScanner, SponsorItemsGoToTheirOwnList) {
  std::string feed =
      "<rss><brambel:sponsors><item><title>Ad</title><link>http://ad/</link></item></brambel:sponsors>"
      "<channel><item><title>Real</title></item></channel></rss>";
  std::vector<FeedItem> sponsors;
  auto items = itemsOf(feed, &sponsors);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].title, "Real");
  ASSERT_EQ(sponsors.size(), 1u);
  EXPECT_EQ(sponsors[0].link, "http://ad/");
  // Without a sponsor list the sponsor items are dropped.
  EXPECT_EQ(itemsOf(feed).size(), 1u);
}

TEST(FeedScanner, SourceNamesAreTrimmedRunsOfAtLeastTwoCharacters) {
  auto items = itemsOf(
      "<rss><channel><item>"
      "<brambel:source>  Web News \n</brambel:source>"
      "<brambel:source>x</brambel:source>"
      "<brambel:source>a<b>cd</b></brambel:source>"
      "</item></channel></rss>");
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].sources, (std::vector<std::string>{"Web News", "b>cd", "/b>"}));
}

TEST(FeedScanner, MediaContentCountsOnlyWhenItIsAnImage) {
  auto items = itemsOf(
      "<rss><channel>"
      R"(<item><media:content url="http://v/" medium="video"/></item>)"
      R"(<item><media:content type="image/jpeg" data-url="wrong" alt="url of it" url="http://i/"/></item>)"
      R"(<item><media:content url='http://q/' type='IMAGE/png'/></item>)"
      "</channel></rss>");
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].mediaUrl, "");
  EXPECT_EQ(items[1].mediaUrl, "http://i/");
  EXPECT_EQ(items[2].mediaUrl, "http://q/");
}

TEST(TagAttributeValue, FindsTheFirstWholeNameFollowedByEquals) {
  EXPECT_EQ(tagAttributeValue(R"(<e URL="a b" url="c">)", "url"), "a b");
  EXPECT_EQ(tagAttributeValue(R"(<e title="url" url = 'x'>)", "url"), "x");
  EXPECT_EQ(tagAttributeValue(R"(<e myurl="no" url=bare/x>)", "url"), "bare/x");
  EXPECT_EQ(tagAttributeValue(R"(<e url="open>)", "url"), "open");
  EXPECT_EQ(tagAttributeValue(R"(<e url=>)", "url"), "");
  EXPECT_EQ(tagAttributeValue(R"(<e href="x">)", "url"), "");
  EXPECT_EQ(tagAttributeValue("<e url", "url"), "");
}

// The feed scanner's rule table, read by the oracle. Attribute values are
// read from the tags as the scanner does; the table decides which tags and
// which text make up the items.
class ReferenceFeedScanner {
 public:
  ReferenceFeedScanner() {
    enum { kInitial, kRss, kRdf, kChannel, kSponsors, kItem, kSource, kFirstText };
    auto tag = [](std::string_view name) { return "<[\\t\\n\\f\\r ]*" + std::string(name) + "[^>]*>"; };
    auto enter = [this](int condition) {
      return [this, condition](std::string_view) { oracle_.enter(condition); };
    };
    auto leave = [this](std::string_view) { oracle_.leave(); };
    auto unlessSelfClosing = [this](int condition) {
      return [this, condition](std::string_view tag) {
        if (!tag.ends_with("/>")) oracle_.enter(condition);
      };
    };
    oracle_.addRule(kInitial, tag("rss"), enter(kRss));
    oracle_.addRule(kInitial, tag("rdf:rdf"), enter(kRdf));
    oracle_.addRule(kRss, tag("channel"),
                    [this](std::string_view) { inSponsors_ = false, oracle_.enter(kChannel); });
    oracle_.addRule(kRss, tag("brambel:sponsors"),
                    [this](std::string_view) { inSponsors_ = true, oracle_.enter(kSponsors); });
    oracle_.addRule(kRss, tag("/rss"), leave);
    for (int list : {kChannel, kSponsors, kRdf})
      oracle_.addRule(list, tag("item(?=[\\t\\n\\f\\r />])"), [this](std::string_view) {
        item_ = FeedItem();
        oracle_.enter(kItem);
      });
    oracle_.addRule(kChannel, tag("/channel"), leave);
    oracle_.addRule(kSponsors, tag("/brambel:sponsors"), leave);
    oracle_.addRule(kRdf, tag("/rdf:rdf"),
                    [this](std::string_view) { inSponsors_ = false, oracle_.leave(); });

    struct TextElement {
      const char* name;
      std::string FeedItem::*field;
      bool appends;
    };
    const TextElement kElements[] = {
        {"title", &FeedItem::title, true},      {"description", &FeedItem::description, true},
        {"link", &FeedItem::link, false},       {"guid", &FeedItem::guid, false},
        {"pubdate", &FeedItem::pubDate, false}, {"image", &FeedItem::image, false}};
    int condition = kFirstText;
    for (const TextElement& element : kElements) {
      oracle_.addRule(kItem, tag(element.name), unlessSelfClosing(condition));
      auto piece = [this, element](std::string_view text) {
        if (element.appends)
          item_.*element.field += text;
        else
          item_.*element.field = text;
      };
      oracle_.addRule(condition, "[^<]+", piece);
      oracle_.addRule(condition, tag(std::string("/") + element.name), leave);
      oracle_.addRule(condition, "<", piece);
      ++condition;
    }
    oracle_.addRule(kItem, tag("enclosure"),
                    [this](std::string_view tag) { item_.enclosureUrl = tagAttributeValue(tag, "url"); });
    oracle_.addRule(kItem, tag("media:content"), [this](std::string_view tag) {
      if (tagAttributeValue(tag, "medium") == "image" || tagAttributeValue(tag, "type").starts_with("image"))
        item_.mediaUrl = tagAttributeValue(tag, "url");
    });
    oracle_.addRule(kItem, tag("media:thumbnail"),
                    [this](std::string_view tag) { item_.thumbnailUrl = tagAttributeValue(tag, "url"); });
    oracle_.addRule(kItem, tag("brambel:source"), unlessSelfClosing(kSource));
    oracle_.addRule(kItem, tag("/item(?=[\\t\\n\\f\\r />])"), [this](std::string_view) {
      for (std::string* field : {&item_.link, &item_.image, &item_.guid}) {
        field->erase(0, field->find_first_not_of("\t\n\r "));
        field->erase(field->find_last_not_of("\t\n\r ") + 1);
      }
      (inSponsors_ ? sponsors_ : items_).push_back(item_);
      oracle_.leave();
    });
    oracle_.addRule(kSource, "[^<\\t\\n\\f\\r ][^<]*[^<\\t\\n\\f\\r ]",
                    [this](std::string_view text) { item_.sources.emplace_back(text); });
    oracle_.addRule(kSource, tag("/brambel:source"), leave);
    for (int dropping : {kInitial, kRss, kRdf, kChannel, kSponsors, kItem, kSource})
      oracle_.addRule(dropping, "[\\s\\S]", [](std::string_view) {});
  }

  bool read(const std::string& feed, std::vector<FeedItem>& items, std::vector<FeedItem>& sponsors) {
    items_.clear(), sponsors_.clear(), inSponsors_ = false;
    bool complete = oracle_.run(feed);
    items = items_, sponsors = sponsors_;
    return complete;
  }

 private:
  testing::RuleTableOracle oracle_;
  FeedItem item_;
  std::vector<FeedItem> items_, sponsors_;
  bool inSponsors_ = false;
};

TEST(FeedScanner, AgreesWithTheRuleTableOnRandomFeeds) {
  // Pieces to build feeds from, "|" between them.
  std::vector<std::string> pieces;
  std::string_view list =
      "<rss>|</rss>|<rdf:RDF>|</rdf:rdf>|<channel>|</channel>|<brambel:sponsors>|</brambel:sponsors>|"
      "<item>|</item>|</item>|<items>|<ITEM x>|<title>|</title>|<title/>|<link>|</link>|<guid>|</ guid>|"
      "< /guid>|<image>|</image>|<description>|</description>|<pubDate>|</pubdate>|<brambel:source>|"
      "</brambel:source>|<enclosure url='e'>|<media:content type=\"image/png\" url=\"m\"/>|"
      "<media:thumbnail url=t>|<guid> g </guid>|<link>\tl\n</link>|<|>|/| |\n|ab|x";
  for (size_t start = 0, bar; start <= list.size(); start = bar + 1) {
    bar = std::min(list.find('|', start), list.size());
    pieces.emplace_back(list.substr(start, bar - start));
  }
  std::mt19937 random(9);
  ReferenceFeedScanner reference;
  size_t itemsSeen = 0;
  for (int round = 0; round < 6000; ++round) {
    std::string feed = random() % 2 ? "<rss><channel><item>" : "<rss><brambel:sponsors><item>";
    int length = random() % 14;
    for (int i = 0; i < length; ++i) feed += pieces[random() % pieces.size()];
    std::vector<FeedItem> expectedItems, expectedSponsors, items, sponsors;
    ASSERT_TRUE(reference.read(feed, expectedItems, expectedSponsors)) << feed;
    extractFeedItems(feed, items, &sponsors);
    ASSERT_EQ(items, expectedItems) << "[" << feed << "]";
    ASSERT_EQ(sponsors, expectedSponsors) << "[" << feed << "]";
    itemsSeen += items.size() + sponsors.size();
  }
  EXPECT_GT(itemsSeen, 300u);  // the random feeds do hold items
}

}  // namespace
}  // namespace brambel
