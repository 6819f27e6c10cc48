#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "index/term_scanner.h"
#include "index/term_score.h"

namespace brambel {
namespace {

// A text tokenised by the index's own scanner.
class ScannedText : public TermPositions {
 public:
  explicit ScannedText(std::u16string_view text) {
    TermScanner scanner(text);
    std::u16string_view term;
    uint32_t position;
    while (scanner.next(term, position)) positions_[std::u16string(term)].push_back(position);
    stats_.w = stats_.t = scanner.separatorsAndPairs();
    stats_.l = static_cast<uint32_t>(text.size());
  }
  std::vector<uint32_t> positionsOf(std::u16string_view term) const override {
    auto found = positions_.find(std::u16string(term));
    return found == positions_.end() ? std::vector<uint32_t>{} : found->second;
  }
  const SourceStats& stats() const { return stats_; }

 private:
  std::map<std::u16string, std::vector<uint32_t>> positions_;
  SourceStats stats_;
};

float score(std::u16string_view text, std::vector<std::u16string> terms, bool strict) {
  ScannedText scanned(text);
  return TermScore(scanned, scanned.stats(), terms, strict);
}

TEST(TermScore, NegatedTermExcludesOnlyWhenStrict) {
  EXPECT_EQ(score(u"the cat chased the dog", {u"cat", u"-dog"}, true), -1.0f);
  EXPECT_GT(score(u"the cat chased the dog", {u"cat", u"-dog"}, false), -1.0f);
  EXPECT_GT(score(u"the cat sat", {u"cat", u"-dog"}, true), 0.0f);
}

TEST(TermScore, StrictRequiresEveryTermLooseIgnoresMissingOnes) {
  EXPECT_EQ(score(u"cat sat on mat", {u"cat", u"bird"}, true), -1.0f);
  EXPECT_GE(score(u"cat sat on mat", {u"cat", u"bird"}, false), 0.0f);
  EXPECT_EQ(score(u"cat sat on mat", {u"bird"}, false), 0.0f);
}

TEST(TermScore, AdjacentTermsOutscoreDistantOnes) {
  const std::u16string filler = u" one two three four five six seven eight nine ten ";
  float together = score(u"red fox" + filler, {u"red", u"fox"}, false);
  float apart = score(u"red" + filler + u"fox", {u"red", u"fox"}, false);
  EXPECT_GT(together, apart);
  EXPECT_EQ(apart, 0.0f);
}

TEST(TermScore, EarlierOccurrencesScoreHigherUnderStrict) {
  const std::u16string filler = u" one two three four five six seven eight nine ten ";
  EXPECT_GT(score(u"fox" + filler, {u"fox"}, true), score(filler + u"fox", {u"fox"}, true));
}

TEST(TermScore, PhraseMustOccurInOrderAndTogether) {
  EXPECT_EQ(score(u"fox the quick red", {u"\"red", u"fox\""}, false), -1.0f);
  EXPECT_GT(score(u"a quick red fox ran", {u"\"red", u"fox\""}, false), 0.0f);
  EXPECT_GT(score(u"a quick red fox ran", {u"\"quick", u"red", u"fox\""}, false), 0.0f);
  EXPECT_EQ(score(u"a quick red ox fox", {u"\"quick", u"red", u"fox\""}, false), -1.0f);
  // A missing phrase word means the phrase does not occur, strict or not.
  EXPECT_EQ(score(u"a quick red fox", {u"\"quick", u"brown\""}, false), -1.0f);
}

TEST(TermScore, ZeroCountsNeverDivide) {
  ScannedText scanned(u"red fox red fox");
  float result = TermScore(scanned, SourceStats{}, std::vector<std::u16string>{u"red", u"fox"}, true);
  EXPECT_EQ(result, 0.0f);
  EXPECT_FALSE(std::isnan(result));
}

TEST(TermScore, MarkersAloneAndEmptyTermsAreSkipped) {
  EXPECT_EQ(score(u"red fox", {u"", u"\"", u"-"}, true), 0.0f);
}

}  // namespace
}  // namespace brambel
