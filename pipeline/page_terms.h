#pragma once

#include <string>
#include <vector>

#include "index/document_indexer.h"
#include "index/term_extractor.h"

namespace brambel {

class TermFilter;

// The terms of a page's indexed text, through `filter` (the default filter when null).
ExtractedTerms extractPageTerms(const std::u16string& text, const TermFilter* filter);
// Every term with the weight its posting gets.
std::vector<WeightedTerm> weightedPageTerms(const TermOffsets& terms);

}  // namespace brambel
