#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "search/result_entry.h"
#include "search/stored_page.h"
#include "store/url_marks.h"

namespace brambel {

// The program settings that scoring reads.
struct ScoringSettings {
  bool aggregateTermScoring = true;
  bool contentSummaryExtraction = true;
  uint32_t userScoringWeight = 100;
  uint32_t permScoringWeight = 300;
};

// The query a result job scores against: `terms` with their phrase and
// negation markers (ParseQuery), `textTerms` the plain terms a summary is
// centred on.
struct ScoreQuery {
  std::vector<std::u16string> terms;
  std::vector<std::u16string> textTerms;
  bool strict = false;
};

// The plain terms of a parsed query: markers taken off, negated terms left out.
std::vector<std::u16string> SummaryTerms(std::span<const std::u16string> parsedTerms);

// Reads the stored page of a record id (nothing when it cannot be read).
using StoredPageReader = std::function<std::optional<StoredPage>(uint32_t recordId)>;

// Scores one entry whose score holds its base score, in this order: term
// scoring of the stored page (when aggregateTermScoring is on), the user
// weight, the permanent bonus, and, while `jobCurrent` and the score is not
// negative, the summary cut from the stored page. Returns whether term
// scoring ran (it "runs" whenever aggregateTermScoring is on, whether or not
// the page could be read).
bool ScoreEntry(ResultEntry& entry, const UrlMarks& marks, const ScoringSettings& settings,
                const ScoreQuery& query, bool jobCurrent, const StoredPageReader& readPage);

// The character position at which the best summary window starts: the
// window of `windowChars` holding the most distinct terms (a full set of
// terms counted, counting starts again, so repetitions add), the earliest on
// ties; 0 without occurrences. `occurrences` are (position, term number).
uint32_t BestSummaryWindow(std::vector<std::pair<uint32_t, int>> occurrences, uint32_t windowChars,
                           int termCount);

// The summary of a page for the terms: 128 characters read from 15 before
// the best window, a cut first word and a cut last word dropped.
std::u16string ContentSummary(const StoredPage& page, std::span<const std::u16string> textTerms);

}  // namespace brambel
