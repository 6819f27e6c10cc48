#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>

namespace brambel {

class LibraryStore;

// Keeps the library's content files within "contentCacheSize" MB. When a
// save pushes the total over the limit, documents that are not permanent go,
// oldest load first, until the total is back under 90% of it: the content
// file is deleted, the URL's marks forget the record (and its indexed flag),
// and the id goes to the removal log.
class ContentCache {
 public:
  using Removed = std::function<void(uint32_t recordId)>;

  ContentCache(LibraryStore& store, uint64_t limitBytes, Removed removed);

  // Counts a content file written (or grown) by `bytes`; evicts when over.
  void added(uint64_t bytes);
  // Walks the content directory to learn the total; then evicts when over.
  void rescan();
  // Evicts until the total is under the low mark; answers how many went.
  size_t evict();
  uint64_t totalBytes() const;

 private:
  LibraryStore& store_;
  uint64_t limit_;
  Removed removed_;
  mutable std::mutex mutex_;
  uint64_t total_ = 0;
  bool scanned_ = false;
};

}  // namespace brambel
