#pragma once

#include <cstdint>

namespace brambel {

class LibraryStore;

// What a library holds, counted from its per-URL marks and its content
// directory: the figures of the statistics window and `library stats`.
struct LibraryCounts {
  uint64_t documents = 0;  // URLs with a stored record
  uint64_t permanent = 0;
  uint64_t indexed = 0;
  uint64_t ignored = 0;
  uint64_t contentBytes = 0;  // the saved pages and their files
};

// Walks every mark record and every content file; for a window that asks
// now and then, not for every refresh.
LibraryCounts CountLibrary(const LibraryStore& library);

}  // namespace brambel
