#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "index/stop_words.h"
#include "index/term_filter.h"
#include "index/term_extractor.h"
#include "index/term_scanner.h"
#include "index/term_table.h"

namespace brambel {
namespace {

using Terms = std::vector<std::pair<std::u16string, uint32_t>>;

Terms scan(std::u16string_view text) {
  Terms terms;
  TermScanner scanner(text);
  std::u16string_view term;
  uint32_t position;
  while (scanner.next(term, position)) terms.emplace_back(term, position);
  return terms;
}

TEST(TermScanner, EverySeparatorEndsAWordButVerticalTabDoesNot) {
  EXPECT_EQ(scan(u"a\tb\nc\fd\re f\u3000g"),
            (Terms{{u"a", 0}, {u"b", 2}, {u"c", 4}, {u"d", 6}, {u"e", 8}, {u"f", 10}, {u"g", 12}}));
  EXPECT_EQ(scan(u"ab\vcd"), (Terms{{u"ab\vcd", 0}}));
}

TEST(TermScanner, RunsOfSeparatorsAndTheEndsOfTheTextYieldNoEmptyTerms) {
  EXPECT_EQ(scan(u"  cat \t\r\n dog  "), (Terms{{u"cat", 2}, {u"dog", 10}}));
  EXPECT_TRUE(scan(u"").empty());
  EXPECT_TRUE(scan(u" \t ").empty());
}

TEST(TermScanner, WideRunsBecomeOverlappingPairsAndTheLastUnitStaysOpen) {
  EXPECT_EQ(scan(u"\u65e5\u672c\u8a9e"),
            (Terms{{u"\u65e5\u672c", 0}, {u"\u672c\u8a9e", 1}, {u"\u8a9e", 2}}));
  // A wide run inside a word first ends the narrow part before it.
  EXPECT_EQ(scan(u"ab\u65e5\u672c cd"),
            (Terms{{u"ab", 0}, {u"\u65e5\u672c", 2}, {u"\u672c", 3}, {u"cd", 5}}));
}

TEST(TermScanner, CountsSeparatorsPairsAndWordUnits) {
  TermScanner scanner(u"ab cd \u65e5\u672c\u8a9e");
  std::u16string_view term;
  uint32_t position;
  while (scanner.next(term, position)) {
  }
  EXPECT_EQ(scanner.separatorsAndPairs(), 2u + 2u);
  EXPECT_EQ(scanner.wordUnits(), 7u);
}

TEST(StopWords, BlankSeparatedPiecesWithoutEmptyEntries) {
  StopWordSet words = buildStopWordSet(u" the  cat ");
  EXPECT_EQ(words, (StopWordSet{u"the", u"cat"}));
  EXPECT_TRUE(buildStopWordSet(u"").empty());
  StopWordSet defaults = buildStopWordSet(kDefaultStopWords);
  EXPECT_TRUE(defaults.count(u"the") && defaults.count(u"which") && defaults.count(u"and"));
  EXPECT_FALSE(defaults.count(u"The"));
}

TEST(TermFilter, DropsStopWordsAndSingleUnitsCaseSensitively) {
  TermFilter filter;
  std::u16string the = u"the", The = u"The", a = u"a", cat = u"cat";
  EXPECT_FALSE(filter.AcceptTerm(the));
  EXPECT_TRUE(filter.AcceptTerm(The));
  EXPECT_FALSE(filter.AcceptTerm(a));
  EXPECT_TRUE(filter.AcceptTerm(cat));
  EXPECT_EQ(cat, u"cat");
}

TEST(TermFilter, EmptyStopWordSettingRejectsOnlyShortTerms) {
  TermFilter filter(TermFilterOptions{u"", 20});
  std::u16string the = u"the", x = u"x", empty;
  EXPECT_TRUE(filter.AcceptTerm(the));
  EXPECT_FALSE(filter.AcceptTerm(x));
  EXPECT_FALSE(filter.AcceptTerm(empty));
}

TEST(TermFilter, CutsLongTermsWithoutSplittingSurrogatePairs) {
  TermFilter filter;
  std::u16string longWord(25, u'x');
  EXPECT_TRUE(filter.AcceptTerm(longWord));
  EXPECT_EQ(longWord, std::u16string(20, u'x'));

  // A supplementary character straddling the cut is left out whole.
  std::u16string straddling = std::u16string(19, u'y') + u"\U0001F600" + u"zz";
  EXPECT_TRUE(filter.AcceptTerm(straddling));
  EXPECT_EQ(straddling, std::u16string(19, u'y'));

  TermFilter tiny(TermFilterOptions{u"", 0});
  std::u16string word = u"word";
  EXPECT_TRUE(tiny.AcceptTerm(word));
  EXPECT_EQ(word, u"wo");
}

TEST(ExtractTerms, FilterDropsStopWordsAndSingleUnitsButKeepsPositions) {
  TermFilter filter;
  ExtractedTerms extracted = ExtractTerms(u"the cat a cat", &filter);
  ASSERT_EQ(extracted.terms.TermCount(), 1u);
  EXPECT_EQ(*extracted.terms.FindTerm(u"cat"), (std::vector<uint32_t>{4, 10}));
  EXPECT_EQ(extracted.wordUnits, 10u);

  ExtractedTerms unfiltered = ExtractTerms(u"the cat a", nullptr);
  EXPECT_EQ(unfiltered.terms.TermCount(), 3u);
}

TEST(ExtractTerms, LongWordsAreIndexedUnderTheirCutForm) {
  TermFilter filter;
  const std::u16string word = u"abcdefghijklmnopqrstuvwxy";
  ExtractedTerms extracted = ExtractTerms(word + u" " + word.substr(0, 22), &filter);
  ASSERT_EQ(extracted.terms.TermCount(), 1u);
  EXPECT_EQ(*extracted.terms.FindTerm(word.substr(0, 20)), (std::vector<uint32_t>{0, 26}));
}

TEST(ExtractTerms, ThreeIdeographsGiveTwoPairs) {
  TermFilter filter;
  ExtractedTerms extracted = ExtractTerms(u"\u65e5\u672c\u8a9e", &filter);
  EXPECT_EQ(extracted.terms.TermsWithPrefix(u""),
            (std::vector<std::u16string>{u"\u65e5\u672c", u"\u672c\u8a9e"}));
}

TEST(FilterTermMap, RemovesRejectedTermsAndMergesCutOnes) {
  TermOffsets map;
  map.add(u"the", 0);
  map.add(u"x", 4);
  map.add(std::u16string(22, u'k'), 6);
  map.add(std::u16string(20, u'k'), 30);
  map.add(std::u16string(25, u'k'), 60);
  FilterTermMap(map, TermFilter());
  ASSERT_EQ(map.TermCount(), 1u);
  std::vector<uint32_t> positions = *map.FindTerm(std::u16string(20, u'k'));
  std::sort(positions.begin(), positions.end());
  EXPECT_EQ(positions, (std::vector<uint32_t>{6, 30, 60}));
}

TEST(DocumentTermTable, WeightsGrowWithRepeatsAndShrinkWithLength) {
  TermOffsets shortDoc;
  shortDoc.add(u"fox", 0);
  shortDoc.add(u"fox", 4);
  shortDoc.add(u"den", 8);
  DocumentTermTable table(shortDoc);
  EXPECT_EQ(table.TermCount(), 2u);
  EXPECT_GT(table.TermWeight(u"fox"), table.TermWeight(u"den"));
  EXPECT_EQ(table.TermWeight(u"cat"), 0.0f);
  EXPECT_EQ(table.FindTerm(u"fox")->size(), 2u);
  EXPECT_FALSE(table.FindTerm(u"cat"));

  TermOffsets longDoc = shortDoc;
  for (uint32_t i = 0; i < 2000; ++i) longDoc.add(u"filler" + std::u16string(1, u'a' + i % 26), 20 + i);
  EXPECT_LT(DocumentTermTable(longDoc).TermWeight(u"fox"), table.TermWeight(u"fox"));
}

}  // namespace
}  // namespace brambel
