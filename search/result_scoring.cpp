#include "search/result_scoring.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

#include "index/term_score.h"

namespace brambel {

namespace {

constexpr uint32_t kSummaryChars = 128;
constexpr uint32_t kSummaryLead = 15;
// A last word shorter than this after the last blank is taken to be cut.
constexpr size_t kShortestLastWord = 8;

class NoPositions : public TermPositions {
 public:
  std::vector<uint32_t> positionsOf(std::u16string_view) const override { return {}; }
};

int32_t clampedScore(double value) {
  value = std::trunc(value);
  if (value >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  if (value <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

float pageTermScore(const StoredPage& page, const ScoreQuery& query) {
  // The counts divide parts of the score; a page whose counts are zero
  // scores as if it held none of the terms rather than dividing by zero.
  if (page.stats.w == 0 || page.stats.t == 0 || page.stats.l == 0)
    return TermScore(NoPositions(), page.stats, query.terms, query.strict);
  return TermScore(PagePositions(page.terms), page.stats, query.terms, query.strict);
}

}  // namespace

std::vector<std::u16string> SummaryTerms(std::span<const std::u16string> parsedTerms) {
  std::vector<std::u16string> plain;
  for (std::u16string term : parsedTerms) {
    if (!term.empty() && term.front() == u'"') term.erase(0, 1);
    if (!term.empty() && term.front() == u'-') continue;
    if (!term.empty() && term.back() == u'"') term.pop_back();
    if (!term.empty()) plain.push_back(std::move(term));
  }
  return plain;
}

bool ScoreEntry(ResultEntry& entry, const UrlMarks& marks, const ScoringSettings& settings,
                const ScoreQuery& query, bool jobCurrent, const StoredPageReader& readPage) {
  std::optional<StoredPage> page;
  bool pageRead = false;
  auto storedPage = [&]() -> const std::optional<StoredPage>& {
    if (!pageRead && marks.recordId != 0 && readPage) page = readPage(marks.recordId);
    pageRead = true;
    return page;
  };

  if (settings.aggregateTermScoring && !query.terms.empty()) {
    if (const std::optional<StoredPage>& stored = storedPage(); stored && !stored->text.empty()) {
      const float t = pageTermScore(*stored, query);
      const bool kept = query.strict ? t > 0.0f : t >= 0.0f;
      entry.score = kept ? clampedScore(double{t} * 1000.0 + entry.score) : -1;
    }
  }
  // userScoringWeight is a switch only: a positive weight leaves the score
  // as it is, and no scaling is defined for it.
  if (entry.score >= 0 && settings.permScoringWeight > 0 && marks.isPermanent())
    entry.score = clampedScore(static_cast<double>(entry.score) + settings.permScoringWeight);
  if (jobCurrent && entry.score >= 0 && settings.contentSummaryExtraction && !query.textTerms.empty()) {
    if (const std::optional<StoredPage>& stored = storedPage(); stored && !stored->text.empty())
      entry.record.description = ContentSummary(*stored, query.textTerms);
  }
  return settings.aggregateTermScoring;
}

uint32_t BestSummaryWindow(std::vector<std::pair<uint32_t, int>> occurrences, uint32_t windowChars,
                           int termCount) {
  std::sort(occurrences.begin(), occurrences.end());
  uint32_t bestPosition = 0;
  int bestCount = 0;
  for (size_t i = 0; i < occurrences.size(); ++i) {
    std::set<int> counted;
    int count = 0;
    for (size_t j = i; j < occurrences.size() && occurrences[j].first - occurrences[i].first <= windowChars; ++j) {
      if (!counted.insert(occurrences[j].second).second) continue;
      ++count;
      if (static_cast<int>(counted.size()) == termCount) counted.clear();
    }
    if (count > bestCount) {
      bestCount = count;
      bestPosition = occurrences[i].first;
    }
  }
  return bestPosition;
}

std::u16string ContentSummary(const StoredPage& page, std::span<const std::u16string> textTerms) {
  std::vector<std::pair<uint32_t, int>> occurrences;
  for (size_t number = 0; number < textTerms.size(); ++number)
    if (const std::vector<uint32_t>* positions = page.terms.FindTerm(textTerms[number]))
      for (uint32_t position : *positions) occurrences.emplace_back(position, static_cast<int>(number));
  const uint32_t best = BestSummaryWindow(std::move(occurrences), kSummaryChars, static_cast<int>(textTerms.size()));
  const uint32_t start = best > kSummaryLead ? best - kSummaryLead : 0;
  if (start >= page.text.size()) return {};
  std::u16string summary = page.text.substr(start, kSummaryChars);
  // A blank before the best window's start means the first word may be cut.
  if (size_t blank = summary.find(u' '); blank != std::u16string::npos && blank < best - start)
    summary.erase(0, blank + 1);
  if (size_t last = summary.rfind(u' '); last != std::u16string::npos && summary.size() - last - 1 < kShortestLastWord)
    summary.erase(last);
  return summary;
}

}  // namespace brambel
