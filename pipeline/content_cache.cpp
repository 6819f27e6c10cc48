#include "pipeline/content_cache.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "store/content_file.h"
#include "store/library_store.h"
#include "store/source_result_record.h"

namespace brambel {

namespace {

struct StoredFile {
  std::filesystem::path path;
  uint32_t recordId = 0;
  uint64_t size = 0;
  std::filesystem::file_time_type written;
};

// The record id a content file is named by ("0000002a.zdoc"), or 0.
uint32_t recordIdOf(const std::filesystem::path& path) {
  if (path.extension() != ".zdoc") return 0;
  const std::string stem = path.stem().string();
  uint32_t id = 0;
  auto [end, error] = std::from_chars(stem.data(), stem.data() + stem.size(), id, 16);
  return error == std::errc() && end == stem.data() + stem.size() && stem.size() == 8 ? id : 0;
}

std::vector<StoredFile> contentFiles(const std::filesystem::path& directory) {
  std::vector<StoredFile> files;
  std::error_code error;
  for (std::filesystem::recursive_directory_iterator entry(directory, error), end; !error && entry != end;
       entry.increment(error)) {
    if (!entry->is_regular_file(error)) continue;
    const uint32_t id = recordIdOf(entry->path());
    if (id == 0) continue;
    StoredFile file{entry->path(), id, entry->file_size(error), entry->last_write_time(error)};
    if (!error) files.push_back(std::move(file));
    error.clear();
  }
  return files;
}

}  // namespace

ContentCache::ContentCache(LibraryStore& store, uint64_t limitBytes, Removed removed)
    : store_(store), limit_(limitBytes), removed_(std::move(removed)) {}

void ContentCache::added(uint64_t bytes) {
  bool over = false;
  {
    std::lock_guard lock(mutex_);
    if (!scanned_) {
      scanned_ = true;
      total_ = 0;
      for (const StoredFile& file : contentFiles(store_.directory() / LibraryStore::kContentDirectoryName))
        total_ += file.size;
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
  std::vector<StoredFile> files = contentFiles(store_.directory() / LibraryStore::kContentDirectoryName);
  total_ = 0;
  for (const StoredFile& file : files) total_ += file.size;
  const uint64_t lowMark = limit_ / 10 * 9;
  // Oldest load first: a file is last written when its page is loaded or confirmed.
  std::sort(files.begin(), files.end(), [](const StoredFile& a, const StoredFile& b) { return a.written < b.written; });
  size_t evicted = 0;
  for (const StoredFile& file : files) {
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
