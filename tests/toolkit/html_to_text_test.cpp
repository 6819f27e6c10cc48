#include "toolkit/html_to_text.h"

#include <gtest/gtest.h>

#include <boost/regex.hpp>
#include <random>

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

// The scanner rules written as one regular expression each, tried at every
// position the slow way: the longest match wins, the earlier rule on a tie.
std::string referenceHtmlToText(const std::string& in) {
  enum Action { kEmit, kEmitAs, kEnter, kLeave, kLeaveEmitSpace, kDrop };
  struct Rule {
    boost::regex pattern;
    Action action;
    char output = 0;
    int next = 0;
  };
  auto rule = [](const char* pattern, Action action, char output = 0, int next = 0) {
    return Rule{boost::regex(pattern, boost::regex::perl | boost::regex::icase), action, output, next};
  };
  enum { kInitial, kTag, kScript, kStyle, kSelect, kComment, kCdata };
  static const std::vector<std::vector<Rule>> rules = [&] {
    std::vector<std::vector<Rule>> rules(7);
    rules[kInitial] = {rule("&amp;?", kEmitAs, '&'),
                       rule("&lt;?", kEmitAs, '<'),
                       rule("&gt;?", kEmitAs, '>'),
                       rule("&(quot|ldquo|rdquo);?", kEmitAs, '"'),
                       rule("&(#39|39|#039|039|#146|146|apos|lsquo|rsquo);?", kEmitAs, '\''),
                       rule("&(mdash|ndash);?", kEmitAs, '-'),
                       rule("&#?[a-z0-9]{2,8}[\\t\\n\\f\\r ;]", kEmitAs, ' '),
                       rule("<[\\t\\n\\f\\r ]*script[^>]*>", kEnter, 0, kScript),
                       rule("<[\\t\\n\\f\\r ]*style[^>]*>", kEnter, 0, kStyle),
                       rule("<[\\t\\n\\f\\r ]*select[^>]*>", kEnter, 0, kSelect),
                       rule("<!--", kEnter, 0, kComment),
                       rule("<!\\[CDATA\\[", kEnter, 0, kCdata),
                       rule("<", kEnter, 0, kTag),
                       rule("[^ &<]+|[\\s\\S]", kEmit)};
    rules[kTag] = {rule("[^>]*>", kLeaveEmitSpace), rule("[^>]+", kDrop)};
    rules[kScript] = {rule("<[\\t\\n\\f\\r ]*/script[^>]*>", kLeave), rule("[\\s\\S]", kDrop)};
    rules[kStyle] = {rule("<[\\t\\n\\f\\r ]*/style[^>]*>", kLeave), rule("[\\s\\S]", kDrop)};
    rules[kSelect] = {rule("<[\\t\\n\\f\\r ]*/select[^>]*>", kLeave), rule("[\\s\\S]", kDrop)};
    rules[kComment] = {rule("-->", kLeave), rule("[\\s\\S]", kDrop)};
    rules[kCdata] = {rule("\\]\\]>", kLeave), rule("[^\\n]", kEmit), rule("\\n", kDrop)};
    return rules;
  }();

  std::string out;
  std::vector<int> stack{kInitial};
  for (auto pos = in.cbegin(); pos != in.cend();) {
    const Rule* best = nullptr;
    long bestLength = 0;
    for (const Rule& candidate : rules[stack.back()]) {
      boost::smatch match;
      if (boost::regex_search(pos, in.cend(), match, candidate.pattern, boost::match_continuous) &&
          match.length(0) > bestLength) {
        best = &candidate;
        bestLength = match.length(0);
      }
    }
    if (!best) return "no rule matched";
    switch (best->action) {
      case kEmit:
        out.append(pos, pos + bestLength);
        break;
      case kEmitAs:
        out += best->output;
        break;
      case kEnter:
        stack.push_back(best->next);
        break;
      case kLeave:
        stack.pop_back();
        break;
      case kLeaveEmitSpace:
        stack.pop_back(), out += ' ';
        break;
      case kDrop:
        break;
    }
    pos += bestLength;
  }
  return out;
}

TEST(HtmlToText, AgreesWithTheRuleTableOnRandomMarkup) {
  const std::vector<std::string> pieces{"<",     ">",         "/",      " ",     "\n",       "&",   ";",
                                        "#",     "a",         "x1",     "amp",   "AMP",      "39",  "#039",
                                        "rsquo", "nbsp",      "script", "style", "select",   "!--", "--",
                                        "-->",   "<![CDATA[", "]]>",    "</",    "abcdefgh", "\t"};
  std::mt19937 random(3);
  for (int round = 0; round < 20000; ++round) {
    std::string markup;
    int length = random() % 20;
    for (int i = 0; i < length; ++i) markup += pieces[random() % pieces.size()];
    ASSERT_EQ(htmlToText(markup), referenceHtmlToText(markup)) << "[" << markup << "]";
  }
}

}  // namespace
}  // namespace brambel
