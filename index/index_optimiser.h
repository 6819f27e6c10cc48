#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>

#include "index/index_query.h"
#include "store/index_file.h"

namespace brambel {

enum class OptimiseStatus {
  Done,          // the index file was replaced by its compact copy
  Missing,       // the index file cannot be opened or is not a valid index
  NoSpace,       // the volume lacks room for the copy (see shortfallBytes)
  Failed,        // the copy could not be made; the index is unchanged
};

struct OptimiseResult {
  OptimiseStatus status = OptimiseStatus::Failed;
  uint64_t shortfallBytes = 0;  // NoSpace: bytes still needed
  uint64_t termsCopied = 0;
  uint64_t postingsCopied = 0;
  uint64_t postingsDropped = 0;
};

// Rewrites the index file at `path` into a compact copy: terms in key order
// with append-mode splits (full nodes), without postings of id 0 or of
// `removed` documents, and without terms left with no posting. The copy is
// built beside the file ("<name>.tmp"), made durable, checked, and renamed
// over the original, which is kept as "<name>.bak" until the copy has been
// reopened as a valid index. No IndexFile of `path` may be open meanwhile;
// `options` are those the index is normally opened with (I/O kind, cache
// size). `progress` hears 0 … 100.
OptimiseResult Optimise(const std::filesystem::path& path, const IndexFileOptions& options,
                        const DocumentIdSet& removed,
                        const std::function<void(int percent)>& progress = {});

}  // namespace brambel
