#include "toolkit/text_normalize.h"

#include <gtest/gtest.h>

namespace brambel {
namespace {

TEST(NormalizeText, FoldsSeparatorRunsAndDropsEnds) {
  EXPECT_EQ(normalizeText(u"   Hello,  world!", false), u"Hello world");
  EXPECT_EQ(normalizeText(u"a\t\r\n-/b[c]{d}~e@f`g", false), u"a b c d e f g");
  EXPECT_EQ(normalizeText(u",.;", false), u"");
  EXPECT_EQ(normalizeText(u"", true), u"");
}

TEST(NormalizeText, ApostropheVanishesDoubleQuoteFollowsTheFlag) {
  EXPECT_EQ(normalizeText(u"don't 'x'", false), u"dont x");
  EXPECT_EQ(normalizeText(u"say \"big deal\" now", false), u"say \"big deal\" now");
  EXPECT_EQ(normalizeText(u"say \"big deal\" now", true), u"say big deal now");
}

TEST(NormalizeText, UnicodeSpacesSeparateOtherCharactersAreKept) {
  EXPECT_EQ(normalizeText(u"a\u00A0b\u2003c\u200Bd\u202Fe\u205Ff\uFEFFg", false), u"a b c d e f g");
  // Past the classified range only the byte-order mark separates.
  EXPECT_EQ(normalizeText(u"\u65E5\u3000\u672C", false), u"\u65E5\u3000\u672C");
  EXPECT_EQ(normalizeText(u"caf\u00E9 \u00BFqu\u00E9?", false), u"caf\u00E9 \u00BFqu\u00E9");
  EXPECT_EQ(normalizeText(u"x\u2010y", false), u"x\u2010y");  // the hyphen U+2010 is not a space
  EXPECT_EQ(normalizeText(u"\U0001F600!", false), u"\U0001F600");
}

}  // namespace
}  // namespace brambel
