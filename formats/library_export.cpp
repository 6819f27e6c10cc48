#include "formats/library_export.h"

#include "index/library_listing.h"
#include "store/library_store.h"

namespace brambel {

std::vector<SourceResult> libraryExportResults(const LibraryStore& library, size_t limit) {
  LibraryCriteria criteria;
  criteria.mask = kSelectAll;
  criteria.maximum = limit;
  std::vector<SourceResult> results;
  for (const LibraryEntry& entry : ListLibrary(library, criteria)) {
    std::optional<SourceResult> record = library.readRecord(entry.url);
    if (!record) continue;
    record->position = static_cast<int32_t>(results.size());
    results.push_back(std::move(*record));
  }
  return results;
}

}  // namespace brambel
