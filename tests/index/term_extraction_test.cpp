#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "index/stop_words.h"
#include "index/term_filter.h"
#include "index/term_scanner.h"

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

}  // namespace
}  // namespace brambel
