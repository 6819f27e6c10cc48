#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "index/stop_words.h"
#include "store/term_record.h"

namespace brambel {

// The library settings that decide which extracted terms are kept.
struct TermFilterOptions {
  std::u16string stopWords{kDefaultStopWords};  // "stopWords"
  int maxTermLength = 20;                       // "maxTermLength"
};

// Decides whether a term goes into the index (or into a query) and in what
// form. The stop-word set is built once, when the filter is made.
class TermFilter {
 public:
  // Shortest and longest term length a filter will cut to; the index stores
  // nothing longer.
  static constexpr int kMinTermLength = 2;
  static constexpr int kMaxTermLength = static_cast<int>(kMaxStoredTermLength);

  explicit TermFilter(const TermFilterOptions& options = {});

  // Rejects empty terms, stop words and single-unit terms; cuts a longer
  // term to maxTermLength units (never between the two halves of a
  // surrogate pair). Returns whether the (possibly shortened) term is kept.
  bool AcceptTerm(std::u16string& term) const;
  // The same decision on a view into a text: the kept form (a prefix of
  // `term`), or nothing when the term is rejected.
  std::optional<std::u16string_view> acceptedForm(std::u16string_view term) const;

  int maxTermLength() const { return maxTermLength_; }
  const StopWordSet& stopWords() const { return stopWords_; }

 private:
  StopWordSet stopWords_;
  int maxTermLength_;
};

}  // namespace brambel
