#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace brambel {

// One row of the pipeline's statistics, read by the debug window and
// `library stats`.
struct PoolStatistics {
  std::string name;           // "load", "render", "index", "save", "thumb"
  int threads = 0;            // live worker threads
  size_t queued = 0;          // items waiting
  size_t processing = 0;      // URLs claimed by a worker now
  uint64_t handled = 0;       // items finished since the pool started
};

// The indexing counters since they were last read.
struct IndexingRates {
  uint64_t items = 0;  // count values of the indexed items
  uint64_t terms = 0;  // distinct terms of the indexed documents
};

}  // namespace brambel
