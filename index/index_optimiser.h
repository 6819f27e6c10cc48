#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

#include "index/index_query.h"
#include "platform/maintenance_prompter.h"
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
// `removed` documents; a term left without postings stays, with an empty
// list. The writer lock of the index is held from the start of the copy to
// the end of the swap, so nothing added meanwhile is lost: other writers wait
// and then continue on the copy.
//
// The copy is built beside the file ("<name>.tmp") and made durable before
// it is renamed over the original in one step, so the name always gives a
// whole index. Until the copy has been reopened as a valid index the
// original keeps a second name ("<name>.bak") to return to. `options` are
// those the index is normally opened with (I/O kind, cache size).
// `progress` hears 0 … 100.
OptimiseResult Optimise(const std::filesystem::path& path, const IndexFileOptions& options,
                        const DocumentIdSet& removed,
                        const std::function<void(int percent)>& progress = {});

// The library command: tells the user when the index is missing or the disk
// too full, asks before it starts, and shows progress while it runs.
// Nothing when the user declined.
std::optional<OptimiseResult> OptimiseWithPrompts(const std::filesystem::path& path, const IndexFileOptions& options,
                                   const DocumentIdSet& removed, MaintenancePrompter& prompter);

// Puts right what an optimise cut short left behind: an index renamed away
// without its copy taking its place comes back; a finished swap's second
// name and an unfinished copy go (only when no optimise runs now, that is
// when the index's writer lock is free). Called before a writable open.
void RecoverInterruptedOptimise(const std::filesystem::path& path);

}  // namespace brambel
