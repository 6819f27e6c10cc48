#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace brambel {

class LibraryStore;

// One content file found in the library's content directory.
struct StoredContentFile {
  std::filesystem::path path;
  uint32_t recordId = 0;  // from the file's name
  uint64_t size = 0;
  std::filesystem::file_time_type written;
};

// Every content file of the library, in no particular order; files of other
// names and entries that vanish during the walk are left out. Directory links
// are not followed, so the walk ends on any tree.
std::vector<StoredContentFile> listContentFiles(const LibraryStore& library);

}  // namespace brambel
