#include "toolkit/link_scanner.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace brambel
