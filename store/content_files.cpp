#include "store/content_files.h"

#include <charconv>
#include <string>
#include <system_error>

#include "store/library_store.h"

namespace brambel {

namespace {

// The record id a content file is named by ("0000002a.zdoc"), or 0 for any
// other name.
uint32_t recordIdOfContentFile(const std::filesystem::path& path) {
  if (path.extension() != ".zdoc") return 0;
  const std::string stem = path.stem().string();
  uint32_t id = 0;
  auto [end, error] = std::from_chars(stem.data(), stem.data() + stem.size(), id, 16);
  return error == std::errc() && end == stem.data() + stem.size() && stem.size() == 8 ? id : 0;
}

}  // namespace

std::vector<StoredContentFile> listContentFiles(const LibraryStore& library) {
  std::vector<StoredContentFile> files;
  std::error_code error;
  const std::filesystem::path directory = library.directory() / LibraryStore::kContentDirectoryName;
  for (std::filesystem::recursive_directory_iterator entry(directory, error), end; !error && entry != end;
       entry.increment(error)) {
    if (!entry->is_regular_file(error)) continue;
    const uint32_t id = recordIdOfContentFile(entry->path());
    if (id == 0) continue;
    StoredContentFile file{entry->path(), id, entry->file_size(error), entry->last_write_time(error)};
    if (!error) files.push_back(std::move(file));
    error.clear();
  }
  return files;
}

}  // namespace brambel
