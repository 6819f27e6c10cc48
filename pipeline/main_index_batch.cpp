#include "pipeline/main_index_batch.h"

#include <pthread.h>

#include <utility>
#include <vector>

#include "platform/thread_priority.h"
#include "store/library_store.h"
#include "store/url_marks.h"

namespace brambel {

namespace {

IndexWriterOptions writerOptions(std::chrono::milliseconds yieldInterval) {
  IndexWriterOptions options;
  options.yieldInterval = yieldInterval;
  return options;
}

}  // namespace

MainIndexBatch::MainIndexBatch(IndexFile& index, LibraryStore& store, std::mutex& marksMutex,
                               std::chrono::milliseconds yieldInterval, std::chrono::milliseconds longestWait,
                               Hooks hooks)
    : store_(store),
      marksMutex_(marksMutex),
      hooks_(std::move(hooks)),
      longestWait_(longestWait),
      writer_(index, writerOptions(yieldInterval), [this](std::span<const uint32_t> ids) { markIndexed(ids); }) {
  timer_ = std::thread([this] { writeWhenDue(); });
}

MainIndexBatch::~MainIndexBatch() {
  {
    std::lock_guard lock(pendingMutex_);
    stopping_ = true;
  }
  pendingAdded_.notify_all();
  timer_.join();
}

void MainIndexBatch::writeWhenDue() {
  pthread_setname_np(pthread_self(), kTimerThreadName);
  setCurrentThreadPriority(ThreadPriority::kLowest);
  try {
    std::unique_lock lock(pendingMutex_);
    while (!stopping_) {
      if (pendingUrls_.empty()) {
        pendingAdded_.wait(lock);
        continue;
      }
      const auto due = oldestPending_ + longestWait_;
      if (std::chrono::steady_clock::now() < due) {
        pendingAdded_.wait_until(lock, due);
        continue;
      }
      lock.unlock();
      const bool written = flush();
      lock.lock();
      // A batch that could not be written is tried again after another wait.
      if (!written) oldestPending_ = std::chrono::steady_clock::now();
    }
  } catch (...) {
    // Whatever is left is written by the owner's flush or the destructor.
  }
}

bool MainIndexBatch::add(const std::u16string& url, uint32_t documentId, std::span<const WeightedTerm> terms) {
  {
    std::lock_guard lock(pendingMutex_);
    if (pendingUrls_.empty()) oldestPending_ = std::chrono::steady_clock::now();
    pendingUrls_[documentId] = url;
  }
  pendingAdded_.notify_one();
  return writer_.addTerms(documentId, terms);
}

bool MainIndexBatch::holds(uint32_t documentId) const {
  std::lock_guard lock(pendingMutex_);
  return pendingUrls_.contains(documentId);
}

bool MainIndexBatch::flush() { return writer_.flush(); }

void MainIndexBatch::markIndexed(std::span<const uint32_t> documentIds) {
  std::vector<std::pair<uint32_t, std::u16string>> flushed;
  {
    std::lock_guard lock(pendingMutex_);
    flushed.reserve(documentIds.size());
    for (uint32_t id : documentIds) {
      auto found = pendingUrls_.find(id);
      if (found != pendingUrls_.end()) flushed.emplace_back(id, std::move(found->second));
      pendingUrls_.erase(id);
    }
  }
  {
    std::lock_guard marksLock(marksMutex_);
    for (const auto& [id, url] : flushed) {
      UrlMarks marks = store_.readMarks(url);
      // A URL saved again meanwhile under another record keeps that record's mark.
      if (marks.recordId == id && !marks.isIndexed()) {
        marks.setIndexed(true);
        store_.writeMarks(url, marks);
      }
    }
  }
  if (hooks_.written) hooks_.written();
  if (hooks_.indexed)
    for (const auto& [id, url] : flushed) hooks_.indexed(url);
}

}  // namespace brambel
