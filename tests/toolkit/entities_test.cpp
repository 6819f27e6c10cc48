#include "toolkit/entities.h"

#include <gtest/gtest.h>

#include "toolkit/character_references.h"

namespace brambel {
namespace {

TEST(EntityTable, HoldsTheThirteenNamesAndNothingElse) {
  const std::pair<std::u16string, char16_t> expected[] = {
      {u"quot", 0x22},    {u"gt", 0x3E},      {u"lt", 0x3C},     {u"lsquo", 0x2018}, {u"rsquo", 0x2019},
      {u"ldquo", 0x201C}, {u"rdquo", 0x201D}, {u"amp", 0x26},    {u"apos", 0x27},    {u"ndash", 0x2013},
      {u"mdash", 0x2014}, {u"#039", 0x27},    {u"#146", 0x27}};
  for (const auto& [name, replacement] : expected) {
    EXPECT_EQ(entityReplacement(std::u16string_view(name)), replacement);
  }
  EXPECT_FALSE(entityReplacement(std::u16string_view(u"nbsp")));
  EXPECT_FALSE(entityReplacement(std::u16string_view(u"AMP")));  // names are case-sensitive
  EXPECT_FALSE(entityReplacement(std::u16string_view(u"am")));
  EXPECT_EQ(entityReplacement(std::string_view("rsquo")), u'\u2019');
}

TEST(DecodeEntities, NumericReferencesBelow256StayOneByteAboveBecomeUtf8) {
  EXPECT_EQ(decodeEntities("caf&#233;"), "caf\xE9");
  EXPECT_EQ(decodeEntities("it&#8217;s"), "it\xE2\x80\x99s");
  EXPECT_EQ(decodeEntities("&#x41;&#X42;&#x4a;"), "ABJ");
  // The number is read without its "#", so 146 is the byte of the page's own quote.
  EXPECT_EQ(decodeEntities("&#039;&#146;"), "'\x92");
  // Beyond the basic plane the whole character is encoded, not a cut-off unit.
  EXPECT_EQ(decodeEntities("&#x1F600;"), "\xF0\x9F\x98\x80");
}

TEST(DecodeEntities, InvalidNumericReferencesNeverYieldNulOrBrokenUtf8) {
  EXPECT_EQ(decodeEntities("a&#;b"), "ab");
  EXPECT_EQ(decodeEntities("a&#0;b"), "ab");
  EXPECT_EQ(decodeEntities("a&#xzz;b"), "ab");
  EXPECT_EQ(decodeEntities("&#xD800;"), "\xEF\xBF\xBD");
  EXPECT_EQ(decodeEntities("&#99999999999999999999999;"), "\xEF\xBF\xBD");
  EXPECT_EQ(decodeEntities("&#65abc;"), "A");  // digits end at the first non-digit
}

TEST(DecodeEntities, NamedEntitiesInTableReplacedOthersVanish) {
  EXPECT_EQ(decodeEntities("a &amp; b &lt;c&gt; &quot;d&quot;"), "a & b <c> \"d\"");
  EXPECT_EQ(decodeEntities("&ldquo;x&rdquo; &ndash; &mdash;"), "\xE2\x80\x9Cx\xE2\x80\x9D \xE2\x80\x93 \xE2\x80\x94");
  EXPECT_EQ(decodeEntities("caf&eacute; &AMP; &;"), "caf  ");
}

TEST(DecodeEntities, ReferenceWithoutSemicolonIsCopied) {
  EXPECT_EQ(decodeEntities("AT&T and &amp"), "AT&T and &amp");
  EXPECT_EQ(decodeEntities("&&amp;&"), "&&&");
  EXPECT_EQ(decodeEntities("&am p;"), "&am p;");
  EXPECT_EQ(decodeEntities("no references"), "no references");
  EXPECT_EQ(decodeEntities(""), "");
}

TEST(EscapeMarkup, EscapesExactlyTheFourCharacters) {
  EXPECT_EQ(escapeMarkup(u"<a href=\"x\">Tom & Jerry's</a>"),
            u"&lt;a href=&quot;x&quot;&gt;Tom &amp; Jerry's&lt;/a&gt;");
  EXPECT_EQ(escapeMarkup(u"caf\u00E9"), u"caf\u00E9");
}

}  // namespace
}  // namespace brambel
