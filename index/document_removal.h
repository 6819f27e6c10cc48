#pragma once

#include <cstdint>
#include <optional>

#include "index/index_query.h"
#include "store/index_file.h"

namespace brambel {

// Takes documents out of the index without copying it: every posting of a
// removed document gets id 0, in place, so queries skip it at once and the
// next optimise drops it. Returns the number of postings cleared, or nothing
// when the index is invalid, read-only or could not be written.
std::optional<uint64_t> RemoveDocuments(IndexFile& index, const DocumentIdSet& removed);

}  // namespace brambel
