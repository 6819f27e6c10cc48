#include "toolkit/html_to_text.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/toolkit/rule_table_oracle.h"

namespace brambel {
namespace {

TEST(HtmlToText, EachTagBecomesOneSpace) {
  EXPECT_EQ(htmlToText("a<b>c</b>d"), "a c d");
  EXPECT_EQ(htmlToText("<p class=\"x\">Hello,\n  <i>world</i></p>"), " Hello,\n   world  ");
  EXPECT_EQ(htmlToText("x<>y"), "x y");
  EXPECT_EQ(htmlToText("cut <b off"), "cut ");
  EXPECT_EQ(htmlToText(""), "");
}

TEST(HtmlToText, ScriptsStylesSelectsAndCommentsVanish) {
  EXPECT_EQ(htmlToText("a<script type=x>if (a<b) x='</p>';</script>b"), "ab");
  EXPECT_EQ(htmlToText("a< SCRIPT>x</script foo>b"), "ab");
  EXPECT_EQ(htmlToText("a<style>p{}</style>b<select><option>1</select>c"), "abc");
  EXPECT_EQ(htmlToText("a<!-- <b> -->b<!---->c"), "abc");
  // White space is allowed after "<" but not after "/" in the end tag.
  EXPECT_EQ(htmlToText("a<script>x</ script>y</script>b"), "ab");
  EXPECT_EQ(htmlToText("a<scripts>x</scripts>b"), "ab");  // no delimiter needed after the word
  EXPECT_EQ(htmlToText("a<script>never closed"), "a");
  EXPECT_EQ(htmlToText("a<!-- never closed"), "a");
}

TEST(HtmlToText, CdataKeepsItsTextWithoutLineFeeds) {
  EXPECT_EQ(htmlToText("a<![CDATA[<b>&amp;\r\nx]]>b"), "a<b>&amp;\rxb");
}

TEST(HtmlToText, KnownEntitiesBecomeTheirCharacter) {
  EXPECT_EQ(htmlToText("&amp;&lt;&gt;&quot;&ldquo;&RDQUO;"), "&<>\"\"\"");
  EXPECT_EQ(htmlToText("&#39;&39;&#039;&039;&#146;&146;&apos;&lsquo;&rsquo;"), "'''''''''");
  EXPECT_EQ(htmlToText("a&mdash;b&ndash;c"), "a-b-c");
  EXPECT_EQ(htmlToText("AT&amp;T and AT&ampT"), "AT&T and AT&T");
}

TEST(HtmlToText, OtherReferencesBecomeOneSpace) {
  EXPECT_EQ(htmlToText("a&nbsp;b"), "a b");
  EXPECT_EQ(htmlToText("&copy; 2024"), "  2024");
  EXPECT_EQ(htmlToText("&#8217;s"), " s");
  // The longest rule wins: with a white space after it, "&amp" is a generic reference.
  EXPECT_EQ(htmlToText("a &amp b"), "a  b");
  // Not a reference: kept as written.
  EXPECT_EQ(htmlToText("a & b &x; &abcdefghi; &nbsp"), "a & b &x; &abcdefghi; &nbsp");
  EXPECT_EQ(htmlToText("&"), "&");
}

// The text scanner's rule table, read by the oracle.
class ReferenceTextScanner {
 public:
  ReferenceTextScanner() {
    enum { kInitial, kTag, kScript, kStyle, kSelect, kComment, kCdata };
    auto emit = [this](std::string_view text) { out_ += text; };
    auto emitAs = [this](char c) { return [this, c](std::string_view) { out_ += c; }; };
    auto enter = [this](int condition) {
      return [this, condition](std::string_view) { oracle_.enter(condition); };
    };
    auto leave = [this](std::string_view) { oracle_.leave(); };
    auto drop = [](std::string_view) {};
    const std::string ws = "[\\t\\n\\f\\r ]*";
    oracle_.addRule(kInitial, "&amp;?", emitAs('&'));
    oracle_.addRule(kInitial, "&lt;?", emitAs('<'));
    oracle_.addRule(kInitial, "&gt;?", emitAs('>'));
    oracle_.addRule(kInitial, "&(quot|ldquo|rdquo);?", emitAs('"'));
    oracle_.addRule(kInitial, "&(#39|39|#039|039|#146|146|apos|lsquo|rsquo);?", emitAs('\''));
    oracle_.addRule(kInitial, "&(mdash|ndash);?", emitAs('-'));
    oracle_.addRule(kInitial, "&#?[a-z0-9]{2,8}[\\t\\n\\f\\r ;]", emitAs(' '));
    oracle_.addRule(kInitial, "<" + ws + "script[^>]*>", enter(kScript));
    oracle_.addRule(kInitial, "<" + ws + "style[^>]*>", enter(kStyle));
    oracle_.addRule(kInitial, "<" + ws + "select[^>]*>", enter(kSelect));
    oracle_.addRule(kInitial, "<!--", enter(kComment));
    oracle_.addRule(kInitial, "<!\\[CDATA\\[", enter(kCdata));
    oracle_.addRule(kInitial, "<", enter(kTag));
    oracle_.addRule(kInitial, "[^ &<]+|[\\s\\S]", emit);
    oracle_.addRule(kTag, "[^>]*>", [this](std::string_view) { oracle_.leave(), out_ += ' '; });
    oracle_.addRule(kTag, "[^>]+", drop);
    oracle_.addRule(kScript, "<" + ws + "/script[^>]*>", leave);
    oracle_.addRule(kStyle, "<" + ws + "/style[^>]*>", leave);
    oracle_.addRule(kSelect, "<" + ws + "/select[^>]*>", leave);
    for (int skipped : {kScript, kStyle, kSelect, kComment}) oracle_.addRule(skipped, "[\\s\\S]", drop);
    oracle_.addRule(kComment, "-->", leave);
    oracle_.addRule(kCdata, "\\]\\]>", leave);
    oracle_.addRule(kCdata, "[^\\n]", emit);
    oracle_.addRule(kCdata, "\\n", drop);
  }

  std::string text(const std::string& markup) {
    out_.clear();
    return oracle_.run(markup) ? out_ : "no rule matched";
  }

 private:
  testing::RuleTableOracle oracle_;
  std::string out_;
};

TEST(HtmlToText, AgreesWithTheRuleTableOnRandomMarkup) {
  const std::vector<std::string> pieces{"<",     ">",         "/",      " ",     "\n",       "&",   ";",
                                        "#",     "a",         "x1",     "amp",   "AMP",      "39",  "#039",
                                        "rsquo", "nbsp",      "script", "style", "select",   "!--", "--",
                                        "-->",   "<![CDATA[", "]]>",    "</",    "abcdefgh", "\t"};
  std::mt19937 random(3);
  ReferenceTextScanner reference;
  for (int round = 0; round < 20000; ++round) {
    std::string markup;
    int length = random() % 20;
    for (int i = 0; i < length; ++i) markup += pieces[random() % pieces.size()];
    ASSERT_EQ(htmlToText(markup), reference.text(markup)) << "[" << markup << "]";
  }
}

}  // namespace
}  // namespace brambel
