#pragma once

#include <cstdint>
#include <string_view>

#include "index/term_filter.h"
#include "store/term_offsets.h"

namespace brambel {

// A document's term map with the counts taken while it was extracted.
struct ExtractedTerms {
  TermOffsets terms;
  uint32_t separatorsAndPairs = 0;  // separators passed plus wide-script pairs emitted
  uint32_t wordUnits = 0;           // units that were not separators
};

// The terms of `text` with their positions (see TermScanner). With a filter
// every term passes it first and is recorded in its possibly shortened form.
ExtractedTerms ExtractTerms(std::u16string_view text, const TermFilter* filter);

// Applies the filter to an existing term map: rejected terms go, shortened
// ones move to their cut form, their positions appended to any entry
// already there.
void FilterTermMap(TermOffsets& map, const TermFilter& filter);

}  // namespace brambel
