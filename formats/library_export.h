#pragma once

#include <vector>

#include "store/source_result.h"

namespace brambel {

class LibraryStore;

// The most documents an export of the whole library lists.
inline constexpr size_t kLibraryExportLimit = 5000;

// The result records of the library's documents for an export: every
// document with a mark record, in the order of the mark file, at most
// `limit`; documents whose record cannot be read are left out. Positions
// count from 0.
std::vector<SourceResult> libraryExportResults(const LibraryStore& library, size_t limit = kLibraryExportLimit);

}  // namespace brambel
