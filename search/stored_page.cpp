#include "search/stored_page.h"

#include <algorithm>

#include "index/term_extractor.h"
#include "store/content_file.h"
#include "store/library_store.h"
#include "store/source_index_text.h"

namespace brambel {

namespace {

// Folds ASCII capitals only: one unit stays one unit, so the term positions
// found in the folded copy are positions in the stored text as well.
std::u16string foldedCopy(const std::u16string& text) {
  std::u16string folded = text;
  for (char16_t& unit : folded)
    if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit + 32);
  return folded;
}

}  // namespace

std::optional<StoredPage> ReadStoredPage(const LibraryStore& library, uint32_t recordId,
                                         const TermFilter& filter) {
  if (recordId == 0) return std::nullopt;
  ContentFile file = ContentFile::openForReading(library.contentPath(recordId));
  if (!file.isUsable()) return std::nullopt;
  StoredPage page;
  SourceIndexText text;
  if (!text.ReadFrom(file) || !page.stats.ReadFrom(file)) return std::nullopt;
  page.text = std::move(text.text);
  page.terms = ExtractTerms(foldedCopy(page.text), &filter).terms;
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
