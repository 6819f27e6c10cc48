#include "pipeline/page_terms.h"

#include "index/term_filter.h"
#include "index/term_table.h"

namespace brambel {

ExtractedTerms extractPageTerms(const std::u16string& text, const TermFilter* filter) {
  static const TermFilter defaultFilter;
  return ExtractTerms(text, filter ? filter : &defaultFilter);
}

std::vector<WeightedTerm> weightedPageTerms(const TermOffsets& terms) {
  return DocumentTermTable(terms).WeightedTerms();
}

}  // namespace brambel
