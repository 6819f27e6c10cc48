#include "toolkit/link_scanner.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/toolkit/rule_table_oracle.h"
#include "toolkit/tag_attribute.h"

namespace brambel {
namespace {

std::vector<PageLink> linksOf(std::string_view page) {
  std::vector<PageLink> links;
  extractLinks(page, links);
  return links;
}

TEST(LinkScanner, ListsAnchorsWithHrefAndTextInPageOrder) {
  auto links = linksOf(R"(<p>Go <a href="http://a/?x=1&amp;y=2" class=c>to <b>A</b> &amp; more</a>, or )"
                       R"(<A  HREF='http://b/'>B</A >.</p><a href=/rel>rel</a>)");
  EXPECT_EQ(links, (std::vector<PageLink>{
                       {"http://a/?x=1&amp;y=2", "to A &amp; more"}, {"http://b/", "B"}, {"/rel", "rel"}}));
}

TEST(LinkScanner, KeepsAnchorsWithoutUsableHref) {
  auto links =
      linksOf(R"(<a name="top">Top</a><a rel="nofollow" href="http://ad/">Ad</a>)"
              R"(<a href="http://ugc/" rel="ugc NOFOLLOW">U</a><a rel="noopener" href="http://ok/">OK</a>)");
  EXPECT_EQ(links, (std::vector<PageLink>{{"", "Top"}, {"", "Ad"}, {"", "U"}, {"http://ok/", "OK"}}));
}

TEST(LinkScanner, OnlyAnAWithASpaceOpensAnAnchor) {
  auto links = linksOf(R"(<abbr title="x">no</abbr><a>plain</a>< a href="x">yes</a><a
href="y">no</a>)");
  ASSERT_EQ(links.size(), 1u);
  EXPECT_EQ(links[0], (PageLink{"x", "yes"}));
}

TEST(LinkScanner, ScriptsCommentsAndCdataHideAnchors) {
  auto links = linksOf(R"(<script>document.write('<a href="s">s</a>');</script>)"
                       R"(<!-- <a href="c">c</a> --><![CDATA[<a href="d">d</a>]]>)"
                       R"(<a href="real">in<!-- </a> -->side</a>)");
  EXPECT_EQ(links, (std::vector<PageLink>{{"real", "inside"}}));
}

TEST(LinkScanner, CloseTagMayHoldWhiteSpaceButNoOtherName) {
  auto links = linksOf(R"(<a href="1">x</abbr>y< / a >z</a>)");
  EXPECT_EQ(links, (std::vector<PageLink>{{"1", "xy"}}));
}

TEST(LinkScanner, UnclosedAnchorsAndCutOffInputGiveNoLink) {
  EXPECT_TRUE(linksOf(R"(<a href="1">never closed)").empty());
  EXPECT_TRUE(linksOf(R"(<a href="1)").empty());
  EXPECT_TRUE(linksOf("<script><a href=\"1\">x</a>").empty());
  // An anchor that is not closed runs on into the next one.
  EXPECT_EQ(linksOf(R"(<a href="1">one <a href="2">two</a>)"), (std::vector<PageLink>{{"1", "one two"}}));
}

// The link scanner's rule table, read by the oracle. The href is read from
// the anchor's tag as the scanner does; the table decides which tags and
// which text make up a link.
class ReferenceLinkScanner {
 public:
  ReferenceLinkScanner() {
    enum { kInitial, kAnchor, kInnerTag, kScript, kComment, kCdata };
    auto enter = [this](int condition) {
      return [this, condition](std::string_view) { oracle_.enter(condition); };
    };
    auto leave = [this](std::string_view) { oracle_.leave(); };
    auto drop = [](std::string_view) {};
    const std::string ws = "[\\t\\n\\f\\r ]*";
    oracle_.addRule(kInitial, "<" + ws + "a [^>]*>", [this](std::string_view tag) {
      link_ = {std::string(tagAttributeValue(tag, "href")), ""};
      if (tagAttributeValue(tag, "rel") == "nofollow") link_.href.clear();
      oracle_.enter(kAnchor);
    });
    oracle_.addRule(kInitial, "<" + ws + "script[^>]*>", enter(kScript));
    oracle_.addRule(kInitial, "<!--", enter(kComment));
    oracle_.addRule(kInitial, "<!\\[CDATA\\[", enter(kCdata));
    oracle_.addRule(kInitial, "[\\s\\S]", drop);
    oracle_.addRule(kAnchor, "[^<]+", [this](std::string_view text) { link_.text += text; });
    oracle_.addRule(kAnchor, "<!--", enter(kComment));
    oracle_.addRule(kAnchor, "<" + ws + "/" + ws + "a" + ws + ">", [this](std::string_view) {
      links_.push_back(link_);
      oracle_.leave();
    });
    oracle_.addRule(kAnchor, "<", enter(kInnerTag));
    oracle_.addRule(kInnerTag, ">", leave);
    oracle_.addRule(kInnerTag, "[^>]", drop);
    oracle_.addRule(kScript, "<" + ws + "/script[^>]*>", leave);
    oracle_.addRule(kComment, "-->", leave);
    oracle_.addRule(kCdata, "\\]\\]>", leave);
    for (int skipped : {kScript, kComment, kCdata}) oracle_.addRule(skipped, "[\\s\\S]", drop);
  }

  std::vector<PageLink> links(const std::string& page) {
    links_.clear();
    if (!oracle_.run(page)) links_.push_back({"no rule matched", ""});
    return links_;
  }

 private:
  testing::RuleTableOracle oracle_;
  PageLink link_;
  std::vector<PageLink> links_;
};

TEST(LinkScanner, AgreesWithTheRuleTableOnRandomMarkup) {
  const std::vector<std::string> pieces{
      "<",      ">",    "/",   " ",         "\n",  "a",  "A",  "a ",  "href=\"h\"", "rel=nofollow", "x",
      "script", "<!--", "-->", "<![CDATA[", "]]>", "</", "ab", "<a ", "</a>",       "< /a >"};
  std::mt19937 random(5);
  ReferenceLinkScanner reference;
  size_t linksSeen = 0;
  for (int round = 0; round < 8000; ++round) {
    std::string page;
    int length = random() % 20;
    for (int i = 0; i < length; ++i) page += pieces[random() % pieces.size()];
    auto expected = reference.links(page);
    ASSERT_EQ(linksOf(page), expected) << "[" << page << "]";
    linksSeen += expected.size();
  }
  EXPECT_GT(linksSeen, 200u);  // the random markup does hold links
}

}  // namespace
}  // namespace brambel
