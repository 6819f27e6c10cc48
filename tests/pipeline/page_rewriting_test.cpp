#include "pipeline/page_rewriting.h"

#include <map>
#include <string>

#include <gtest/gtest.h>

namespace brambel {
namespace {

// Sheets served from memory, counting fetches.
struct Sheets {
  std::map<std::u16string, std::string> byUrl;
  int fetches = 0;
  SheetFetcher fetcher() {
    return [this](const std::u16string& url) -> std::optional<std::string> {
      ++fetches;
      auto found = byUrl.find(url);
      if (found == byUrl.end()) return std::nullopt;
      return found->second;
    };
  }
};

constexpr char16_t kPage[] = u"http://site.test/docs/page.html";

TEST(InlineStyleSheets, LinkedSheetsBecomeStyleElementsWithNestedImports) {
  Sheets sheets;
  sheets.byUrl[u"http://site.test/docs/a.css?v=1&w=2"] = "@import url(\"b.css\"); p{}";
  sheets.byUrl[u"http://site.test/docs/b.css"] = "@import '/top.css'; b{}";
  sheets.byUrl[u"http://site.test/top.css"] = "t{}";
  const std::string page =
      "<head><LINK Rel=\"StyleSheet\" type=\"text/css\" media='screen' href=\"a.css?v=1&amp;w=2\">"
      "<link rel=\"alternate stylesheet\" href=\"b.css\"></head>";
  EXPECT_EQ(inlineStyleSheets(page, kPage, sheets.fetcher()),
            "<head><style type=\"text/css\" media=\"screen\" >t{} b{} p{}</style>"
            "<link rel=\"alternate stylesheet\" href=\"b.css\"></head>");
}

TEST(InlineStyleSheets, StyleBlocksResolveImportsAndMissingSheetsKeepTheirLinks) {
  Sheets sheets;
  sheets.byUrl[u"http://site.test/x.css"] = "x{}";
  const std::string page =
      "<style type=\"text/css\">@import /* c */ url(/x.css); y{}</style><link rel=\"stylesheet\" href=\"gone.css\">";
  EXPECT_EQ(inlineStyleSheets(page, kPage, sheets.fetcher()),
            "<style type=\"text/css\">x{} y{}</style><link rel=\"stylesheet\" href=\"gone.css\">");
}

TEST(InlineStyleSheets, SelfImportsAndCyclesEndAndFetchesAreBounded) {
  Sheets sheets;
  sheets.byUrl[u"http://site.test/docs/self.css"] = "@import \"self.css\"; s{}";
  sheets.byUrl[u"http://site.test/docs/one.css"] = "@import \"two.css\"; 1{}";
  sheets.byUrl[u"http://site.test/docs/two.css"] = "@import \"one.css\"; 2{}";
  const std::string page = "<link rel='stylesheet' href='self.css'><link rel='stylesheet' href='one.css'>";
  EXPECT_EQ(inlineStyleSheets(page, kPage, sheets.fetcher()), "<style > s{}</style><style > 2{} 1{}</style>");
  EXPECT_EQ(sheets.fetches, 3);

  // A fan of distinct imports stops at the page's sheet limit.
  std::string fan;
  for (int i = 0; i < 500; ++i) fan += "@import \"f" + std::to_string(i) + ".css\";";
  sheets.byUrl[u"http://site.test/docs/fan.css"] = fan;
  sheets.fetches = 0;
  inlineStyleSheets("<link rel='stylesheet' href='fan.css'>", kPage, sheets.fetcher());
  EXPECT_EQ(sheets.fetches, static_cast<int>(InlineLimits{}.maxSheets));
}

TEST(PageMarkup, BaseHrefIsInsertedOrCompletedAfterTheHead) {
  EXPECT_EQ(insertBaseHref(u"http://a.test/p", "<html><HEAD id=1><title>t</title>"),
            "<html><HEAD id=1><base href=\"http://a.test/p\"/><title>t</title>");
  EXPECT_EQ(insertBaseHref(u"http://a.test/p", "<html><head><base target=_top></head>"),
            "<html><head><base target=_top href=\"http://a.test/p\"></head>");
  EXPECT_EQ(insertBaseHref(u"http://a.test/p", "<html x><base target=_top/>"),
            "<html x><base target=_top href=\"http://a.test/p\"/>");
  EXPECT_EQ(insertBaseHref(u"http://a.test/p", "<head><base href=\"/kept\">"), "<head><base href=\"/kept\">");
  EXPECT_EQ(insertBaseHref(u"http://a.test/p", "no markup"), "no markup");
}

TEST(PageMarkup, ContentTypeMetaAndSavedFromMarker) {
  EXPECT_EQ(insertContentTypeMeta(u"text/html; charset=utf-8", "<head></head>"),
            "<head><meta http-equiv=\"content-type\" content=\"text/html; charset=utf-8\"/></head>");
  const std::string declared = "<head><meta http-equiv=\"content-type\" content=\"text/html\"></head>";
  EXPECT_EQ(insertContentTypeMeta(u"text/plain", declared), declared);
  EXPECT_EQ(insertSavedFromMarker(u"http://a.test/", "<!DOCTYPE html><HTML>"),
            "<!DOCTYPE html><!-- saved from url=(0014)http://a.test/ -->\r\n<HTML>");
  EXPECT_EQ(insertSavedFromMarker(u"http://a.test/", "plain"),
            "<!-- saved from url=(0014)http://a.test/ -->\r\nplain");
}

}  // namespace
}  // namespace brambel
