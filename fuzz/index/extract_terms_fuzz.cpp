// Term extraction on arbitrary bytes (read as UTF-16 units): no crash, every
// term is a non-empty piece of the text at its stated position, and the
// filtered map holds only terms the filter keeps unchanged. The index
// writer's term counter finds the same terms with as many occurrences.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "index/document_term_counter.h"
#include "index/term_extractor.h"
#include "index/term_scanner.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 8192) return 0;
  std::u16string text(size / 2, u'\0');
  for (size_t i = 0; i + 1 < size; i += 2) text[i / 2] = static_cast<char16_t>(data[i] | data[i + 1] << 8);

  brambel::TermScanner scanner(text);
  std::u16string_view term;
  uint32_t position;
  while (scanner.next(term, position)) {
    if (term.empty() || position + term.size() > text.size()) abort();
    if (std::u16string_view(text).substr(position, term.size()) != term) abort();
  }

  static const brambel::TermFilter filter;
  brambel::ExtractedTerms extracted = brambel::ExtractTerms(text, &filter);
  for (const auto& [key, positions] : extracted.terms.terms()) {
    std::u16string again = key;
    if (positions.empty() || !filter.AcceptTerm(again) || again != key) abort();
    for (uint32_t at : positions)
      if (at >= text.size()) abort();
  }

  static brambel::DocumentTermCounter counter;
  counter.count(text, filter);
  if (counter.terms().size() != extracted.terms.TermCount()) abort();
  for (const auto& counted : counter.terms()) {
    const std::vector<uint32_t>* positions = extracted.terms.FindTerm(counted.term);
    if (!positions || positions->size() != counted.occurrences) abort();
  }
  return 0;
}
