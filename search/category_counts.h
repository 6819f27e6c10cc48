#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "index/index_query.h"
#include "store/source_index.h"
#include "store/source_result.h"

namespace brambel {

class IndexFile;
class LibraryStore;

// The source ids of each category, in category order. The first category
// shows every result, whatever its sources.
using CategorySourceLists = std::vector<std::vector<std::u16string>>;

// The documents the source index files under any of `sources`.
template <typename Sources>
DocumentIdSet DocumentsOfSources(const SourceIndex& index, const Sources& sources) {
  DocumentIdSet documents;
  for (const std::u16string& source : sources)
    for (uint32_t id : index.documentsOf(source)) documents.insert(id);
  return documents;
}

// The hits of a library search per category: `terms` looked up in the main
// index among the documents the source index files under the category's
// sources, at most 5000 each, leaving out documents whose saved content is
// missing or empty.
std::vector<size_t> CategoryHitCounts(IndexFile& index, const LibraryStore& store, const SourceIndex& sources,
                                      std::span<const std::u16string> terms, const CategorySourceLists& categories);

// The loaded results per category: the distinct URLs one of whose sources
// belongs to the category.
std::vector<size_t> LoadedCategoryCounts(const std::vector<SourceResult>& raw, const CategorySourceLists& categories);

// The results view's caption for a library search with `hits` hits:
// "12 entries found in library", "1 entry found in library", "200+ entries
// found in library" once the hits reach `displayMax`; empty without hits.
std::u16string CountCaption(size_t hits, size_t displayMax);

}  // namespace brambel
