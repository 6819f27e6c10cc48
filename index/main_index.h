#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>

#include "store/index_file.h"

namespace brambel {

// The library's full-text index file, in the library directory.
inline constexpr const char* kMainIndexFileName = "main__index.zidx";

// How the main index is opened: cached I/O, weighted postings, default key
// prefix and degree. A writable library gives "indexCacheSize" KB of cache
// (0 lets the file size decide); a read-only one 256 KB.
IndexFileOptions mainIndexOptions(bool readOnly, uint32_t indexCacheSizeKb);

struct OpenedMainIndex {
  std::unique_ptr<IndexFile> index;
  // The file's header was not valid: the index was reopened read-only and
  // must not be written while the library stays open.
  bool invalidHeader = false;
};

// Opens (creating when needed) the main index of the library in `directory`.
// An invalid file is reopened read-only rather than overwritten.
OpenedMainIndex OpenMainIndex(const std::filesystem::path& directory, bool readOnly,
                              uint32_t indexCacheSizeKb);

}  // namespace brambel
