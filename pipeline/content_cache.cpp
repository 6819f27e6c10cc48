#include "pipeline/content_cache.h"

#include <algorithm>
#include <system_error>
#include <utility>
#include <vector>

#include "store/content_file.h"
#include "store/content_files.h"
#include "store/library_store.h"
#include "store/source_result_record.h"

namespace brambel {

ContentCache::ContentCache(LibraryStore& store, uint64_t limitBytes, Removed removed)
    : store_(store), limit_(limitBytes), removed_(std::move(removed)) {}

void ContentCache::added(uint64_t bytes) {
  bool over = false;
  {
    std::lock_guard lock(mutex_);
    if (!scanned_) {
      scanned_ = true;
      total_ = 0;
      for (const StoredContentFile& file : listContentFiles(store_)) total_ += file.size;
    } else {
      total_ += bytes;
    }
    over = limit_ != 0 && total_ > limit_;
  }
  if (over) evict();
}

void ContentCache::rescan() {
  {
    std::lock_guard lock(mutex_);
    scanned_ = false;
  }
  added(0);
}

uint64_t ContentCache::totalBytes() const {
  std::lock_guard lock(mutex_);
  return total_;
}

size_t ContentCache::evict() {
  std::lock_guard lock(mutex_);
  std::vector<StoredContentFile> files = listContentFiles(store_);
  total_ = 0;
  for (const StoredContentFile& file : files) total_ += file.size;
  const uint64_t lowMark = limit_ / 10 * 9;
  // Oldest load first: a file is last written when its page is loaded or confirmed.
  std::sort(files.begin(), files.end(),
            [](const StoredContentFile& a, const StoredContentFile& b) { return a.written < b.written; });
  size_t evicted = 0;
  for (const StoredContentFile& file : files) {
    if (total_ <= lowMark) break;
    URLResult owner;
    {
      ContentFile content = ContentFile::openForReading(file.path);
      owner.ReadFrom(content);
    }
    UrlMarks marks = owner.url.empty() ? UrlMarks{} : store_.readMarks(owner.url);
    if (marks.recordId == file.recordId && marks.isPermanent()) continue;
    std::error_code error;
    if (!std::filesystem::remove(file.path, error)) continue;
    if (marks.recordId == file.recordId) {
      marks.recordId = 0;
      marks.setIndexed(false);
      store_.writeMarks(owner.url, marks);
    }
    total_ -= file.size;
    ++evicted;
    if (removed_) removed_(file.recordId);
  }
  return evicted;
}

}  // namespace brambel
