#include "app/library_statistics.h"

#include <filesystem>

#include "store/library_store.h"

namespace brambel {

LibraryCounts CountLibrary(const LibraryStore& library) {
  LibraryCounts counts;
  library.marksFile().Walk([&](std::string_view, std::string_view value) {
    if (std::optional<UrlMarks> marks = UrlMarks::decode(value)) {
      counts.documents += marks->recordId != 0;
      counts.permanent += marks->isPermanent();
      counts.indexed += marks->isIndexed();
      counts.ignored += marks->isIgnored();
    }
    return true;
  });
  std::error_code error;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(library.directory() / LibraryStore::kContentDirectoryName, error))
    if (entry.is_regular_file(error)) counts.contentBytes += entry.file_size(error);
  return counts;
}

}  // namespace brambel
