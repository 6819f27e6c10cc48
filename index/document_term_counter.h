#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "index/term_filter.h"

namespace brambel {

// Counts the terms of one document at a time, as the index writer needs
// them: each accepted term once, with its number of occurrences. The terms
// are views into the document's text; the table is kept from one document
// to the next, so counting allocates nothing once it has grown.
class DocumentTermCounter {
 public:
  struct Counted {
    std::u16string_view term;  // into the text last counted
    uint32_t occurrences = 0;
  };

  DocumentTermCounter();

  // Replaces what was counted before with the terms of `text` that pass the
  // filter (in their possibly shortened form), in order of first occurrence.
  void count(std::u16string_view text, const TermFilter& filter);

  std::span<const Counted> terms() const { return kept_; }
  // Occurrences of all accepted terms (the document length weights use).
  uint32_t occurrences() const { return occurrences_; }
  // The posting weight of a counted term in this document.
  float weightOf(const Counted& counted) const;

 private:
  struct Entry {
    std::u16string_view term;
    uint32_t hashBits;  // to skip most comparisons
    // Occurrences as found (the filter decides once per distinct term) and
    // as the cut form of a longer term (already accepted).
    uint32_t asFound;
    uint32_t asCut;
  };

  Entry& entry(std::u16string_view term);
  void grow();

  std::vector<Entry> entries_;
  std::vector<uint32_t> slots_;      // entry index + 1; 0 = empty; size a power of two
  std::vector<uint32_t> usedSlots_;  // cleared before the next document
  std::vector<Counted> kept_;
  uint32_t occurrences_ = 0;
};

}  // namespace brambel
