#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "store/source_result.h"

namespace brambel {

class IndexFile;
class LibraryStore;
class SourceIndex;

// The source ids of each category, in category order. The first category
// shows every result, whatever its sources.
using CategorySourceLists = std::vector<std::vector<std::u16string>>;

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
