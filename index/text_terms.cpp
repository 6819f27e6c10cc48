#include "index/text_terms.h"

#include <string>
#include <unordered_map>

#include "index/term_scanner.h"
#include "index/term_weight.h"

namespace brambel {

std::vector<WeightedTerm> WeightedTermsOf(std::u16string_view text, const TermFilter* filter) {
  std::unordered_map<std::u16string, uint32_t> occurrences;
  uint32_t total = 0;
  TermScanner scanner(text);
  std::u16string_view raw;
  uint32_t position;
  std::u16string term;
  while (scanner.next(raw, position)) {
    term.assign(raw);
    if (filter && !filter->AcceptTerm(term)) continue;
    ++occurrences[term];
    ++total;
  }
  std::vector<WeightedTerm> terms;
  terms.reserve(occurrences.size());
  for (auto& [text, count] : occurrences) terms.push_back({text, TermWeight(count, total)});
  return terms;
}

}  // namespace brambel
