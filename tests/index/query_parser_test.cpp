#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "index/query_parser.h"

namespace brambel {
namespace {

using Terms = std::vector<std::u16string>;

Terms parse(std::u16string_view query) { return ParseQuery(query, TermFilter()); }

TEST(ParseQuery, FoldsPunctuationAndDropsWhatTheIndexNeverHolds) {
  EXPECT_EQ(parse(u"  Cat's, dog!  a the "), (Terms{u"Cats", u"dog"}));
  EXPECT_EQ(parse(u"e-mail"), (Terms{u"mail"}));
  EXPECT_TRUE(parse(u"").empty());
  EXPECT_TRUE(parse(u" - + \" ").empty());
}

TEST(ParseQuery, MinusExcludesEveryTermOfItsPieceAndPlusIsTheDefault) {
  EXPECT_EQ(parse(u"cat -dog +bird"), (Terms{u"cat", u"-dog", u"bird"}));
  EXPECT_EQ(parse(u"-\"big dog\""), (Terms{u"-big", u"-dog"}));
}

TEST(ParseQuery, QuotedPiecesBecomePhrases) {
  EXPECT_EQ(parse(u"fox \"quick red fox\" den"),
            (Terms{u"fox", u"\"quick", u"red", u"fox\"", u"den"}));
  EXPECT_EQ(parse(u"\"single\""), (Terms{u"\"single\""}));
  EXPECT_EQ(parse(u"\"open ended"), (Terms{u"\"open", u"ended\""}));
  EXPECT_EQ(parse(u"\"\u6771\u4eac\u90fd\""), (Terms{u"\"\u6771\u4eac", u"\u4eac\u90fd\""}));
}

TEST(ParseQuery, LongTermsAreCutLikeIndexedOnes) {
  EXPECT_EQ(parse(std::u16string(30, u'z')), (Terms{std::u16string(20, u'z')}));
}

}  // namespace
}  // namespace brambel
