#include "search/stored_page.h"

#include <algorithm>

#include "index/term_extractor.h"
#include "store/content_file.h"
#include "store/library_store.h"
#include "store/source_index_text.h"

namespace brambel {

std::optional<StoredPage> ReadStoredPage(const LibraryStore& library, uint32_t recordId,
                                         const TermFilter& filter) {
  if (recordId == 0) return std::nullopt;
  ContentFile file = ContentFile::openForReading(library.contentPath(recordId));
  if (!file.isUsable()) return std::nullopt;
  StoredPage page;
  SourceIndexText text;
  if (!text.ReadFrom(file) || !page.stats.ReadFrom(file)) return std::nullopt;
  page.text = std::move(text.text);
  page.terms = ExtractTerms(page.text, &filter).terms;
  return page;
}

std::vector<uint32_t> PagePositions::positionsOf(std::u16string_view term) const {
  const std::vector<uint32_t>* found = terms_.FindTerm(term);
  if (!found) return {};
  std::vector<uint32_t> sorted = *found;
  std::sort(sorted.begin(), sorted.end());
  return sorted;
}

}  // namespace brambel
