#include "index/term_extractor.h"

#include <string>

#include "index/term_scanner.h"

namespace brambel {

ExtractedTerms ExtractTerms(std::u16string_view text, const TermFilter* filter) {
  ExtractedTerms extracted;
  TermScanner scanner(text);
  std::u16string_view raw;
  uint32_t position;
  std::u16string term;
  while (scanner.next(raw, position)) {
    if (!filter) {
      extracted.terms.add(raw, position);
      continue;
    }
    term.assign(raw);
    if (filter->AcceptTerm(term)) extracted.terms.add(term, position);
  }
  extracted.separatorsAndPairs = scanner.separatorsAndPairs();
  extracted.wordUnits = scanner.wordUnits();
  return extracted;
}

void FilterTermMap(TermOffsets& map, const TermFilter& filter) {
  TermOffsets kept;
  std::u16string term;
  for (const auto& [key, positions] : map.terms()) {
    term = key;
    if (!filter.AcceptTerm(term)) continue;
    for (uint32_t position : positions) kept.add(term, position);
  }
  map = std::move(kept);
}

}  // namespace brambel
