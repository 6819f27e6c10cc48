#include "toolkit/markup.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/support/strip_markup_expression.h"

namespace brambel {
namespace {

TEST(StripMarkup, RemovesStyleCommentsScriptsAndTagsWithoutLeavingSpace) {
  EXPECT_EQ(stripMarkup(u"a<style type=\"text/css\">p{color:red}</style>b<!-- note -->c"), u"abc");
  EXPECT_EQ(stripMarkup(u"x< SCRIPT language=js>if (a<b) {}\n</Script>y"), u"xy");
  EXPECT_EQ(stripMarkup(u"<p class=x>Hello <b>world</b></p>"), u"Hello world");
  // A comment may hold tags and line breaks; it ends at the first "-->".
  EXPECT_EQ(stripMarkup(u"1<!-- <b>\n</b> -->2-->3"), u"12-->3");
}

TEST(StripMarkup, EntitiesReplacedUnknownNamesVanish) {
  EXPECT_EQ(stripMarkup(u"Tom &amp; Jerry"), u"Tom & Jerry");
  EXPECT_EQ(stripMarkup(u"a&nbsp;b"), u"ab");
  EXPECT_EQ(stripMarkup(u"&lt;tag&gt; &quot;q&quot; &rsquo;"), u"<tag> \"q\" \u2019");
  EXPECT_EQ(stripMarkup(u"it&#146;s &#039;"), u"it's '");
}

TEST(StripMarkup, EntityMayCloseWithALetterOfSpaceOrColon) {
  // "&amp" before a blank closes on its own "p" and still reads as "amp".
  EXPECT_EQ(stripMarkup(u"fish &amp chips"), u"fish & chips");
  EXPECT_EQ(stripMarkup(u"&lt x"), u"&lt x");   // "lt" has no closing character
  EXPECT_EQ(stripMarkup(u"&a;"), u"&a;");       // a name needs two characters
  EXPECT_EQ(stripMarkup(u"&amp:x"), u"x");      // "amp:" is not in the table
}

TEST(StripMarkup, CompleteNumericReferencesBecomeTheirCharacter) {
  EXPECT_EQ(stripMarkup(u"Caf&#233; &#x263A; &#128512;"), u"Caf\u00E9 \u263A \U0001F600");
  EXPECT_EQ(stripMarkup(u"a&#00;b"), u"ab");
  EXPECT_EQ(stripMarkup(u"a&#0;b"), u"a&#0;b");  // too short to be a reference
}

TEST(StripMarkup, UnclosedPiecesAreKeptAsText) {
  EXPECT_EQ(stripMarkup(u"a < b"), u"a < b");
  // An unclosed script element is an ordinary tag followed by text.
  EXPECT_EQ(stripMarkup(u"<script>never closed"), u"never closed");
  EXPECT_EQ(stripMarkup(u"<script x<b>y"), u"y");
  EXPECT_EQ(stripMarkup(u"<!-- open"), u"<!-- open");
  EXPECT_EQ(stripMarkup(u""), u"");
}

// Random markup fragments, stripped by the scanner and by the expression it
// replaces; numeric references are left out, as the scanner decodes more of them.
TEST(StripMarkup, AgreesWithTheExpressionOnGeneratedMarkup) {
  const char16_t* const pieces[] = {u"<", u">", u" ", u"script", u"</script>", u"style", u"</STYLE>", u"<!--",
                                    u"-->", u"-", u"&", u"amp", u"lt", u";", u":", u"a", u"p", u"E", u"quot",
                                    u"nbsp", u"x", u"\n", u"<b>", u"</b>", u"1234567890"};
  std::mt19937 random(7);
  std::uniform_int_distribution<size_t> pick(0, std::size(pieces) - 1);
  for (int sample = 0; sample < 2000; ++sample) {
    std::u16string text;
    for (int i = 0; i < 24; ++i) text += pieces[pick(random)];
    ASSERT_EQ(stripMarkup(text), testing::stripMarkupWithExpression(text)) << sample;
  }
}

TEST(RemoveScripts, RemovesOnlyScriptElements) {
  EXPECT_EQ(removeScripts("<p>a</p><script src=x></script><SCRIPT>\nvar s='</p>';\n</script><p>b</p>"),
            "<p>a</p><p>b</p>");
  EXPECT_EQ(removeScripts("<scripture>x</script>"), "");  // the name is a prefix match
  EXPECT_EQ(removeScripts("<script>unclosed"), "<script>unclosed");
  EXPECT_EQ(removeScripts("a<b>c"), "a<b>c");
}

TEST(RemoveComments, RemovesEachCommentUpToItsFirstEnd) {
  EXPECT_EQ(removeComments("a<!-- x -->b<!--y\n-->c<!---->d"), "abcd");
  EXPECT_EQ(removeComments("a<!-->b"), "a<!-->b");
  EXPECT_EQ(removeComments("<!-- unclosed <!-- -->z"), "z");
}

TEST(UnwrapCdata, AnswersTheFirstSectionAlone) {
  EXPECT_EQ(unwrapCdata("<title><![CDATA[Hello & <b>bye</b>]]></title>"), "Hello & <b>bye</b>");
  EXPECT_EQ(unwrapCdata("![CDATA[one]]x![CDATA[two]]"), "one");
  EXPECT_EQ(unwrapCdata("<![CDATA[]]>"), "");
  // A section whose content holds "]" is not recognised; a later one may be.
  EXPECT_EQ(unwrapCdata("<![CDATA[a]b]]> <![CDATA[c]]>"), "c");
  EXPECT_EQ(unwrapCdata("<![CDATA[a]b]]>"), "<![CDATA[a]b]]>");
  EXPECT_EQ(unwrapCdata("plain"), "plain");
  EXPECT_EQ(unwrapCdata("<![cdata[x]]>"), "<![cdata[x]]>");
}

}  // namespace
}  // namespace brambel
