#pragma once

#include <string_view>
#include <vector>

#include "index/document_indexer.h"
#include "index/term_filter.h"

namespace brambel {

// The distinct terms of a text with their posting weights (TermWeight of how
// often each occurs against the number of term occurrences of the text).
// With a filter, terms pass it first (and are counted under their cut form).
std::vector<WeightedTerm> WeightedTermsOf(std::u16string_view text, const TermFilter* filter);

}  // namespace brambel
