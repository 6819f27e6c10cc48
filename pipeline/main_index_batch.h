#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <unordered_map>

#include "index/index_writer.h"

namespace brambel {

class LibraryStore;

// The main index as the index step writes it: one batched writer for the
// open library. Documents are buffered and reach the index in batches: when
// the owner flushes (its work has run out), or on a thread of its own once
// the oldest buffered document has waited `longestWait` (each write makes the
// index durable, which costs far more than adding a page to the batch). A URL
// is marked indexed only once the batch that holds its document is durable,
// so a process killed before that leaves the URL unmarked and its next load
// indexes the stored text again.
class MainIndexBatch {
 public:
  static constexpr char kTimerThreadName[] = "index-writer";

  struct Hooks {
    // A URL's document is in the index (called after its mark is set).
    std::function<void(const std::u16string& url)> indexed;
    // A batch was written to the index file.
    std::function<void()> written;
  };

  // `index` must be writable; `marksMutex` guards every read-modify-write
  // of a URL's marks.
  MainIndexBatch(IndexFile& index, LibraryStore& store, std::mutex& marksMutex,
                 std::chrono::milliseconds yieldInterval, std::chrono::milliseconds longestWait, Hooks hooks);
  // Stops the timer, then writes what is still buffered.
  ~MainIndexBatch();
  MainIndexBatch(const MainIndexBatch&) = delete;
  MainIndexBatch& operator=(const MainIndexBatch&) = delete;

  // Buffers the document stored for `url`; false when a flush that the
  // buffer's size called for failed (the documents stay buffered).
  bool add(const std::u16string& url, uint32_t documentId, std::span<const WeightedTerm> terms);
  // Writes every buffered document; false when the write failed (they stay
  // buffered for the next try).
  bool flush();
  // Whether the document is buffered, waiting for its batch to be written.
  bool holds(uint32_t documentId) const;
  size_t bufferedDocuments() const { return writer_.bufferedDocuments(); }

 private:
  // The writer's flushed callback: marks the documents' URLs indexed.
  void markIndexed(std::span<const uint32_t> documentIds);
  // The timer thread: writes the batch whenever its oldest document is due.
  void writeWhenDue();

  LibraryStore& store_;
  std::mutex& marksMutex_;
  Hooks hooks_;
  mutable std::mutex pendingMutex_;
  std::unordered_map<uint32_t, std::u16string> pendingUrls_;  // buffered document -> its URL
  std::chrono::steady_clock::time_point oldestPending_;       // when the first of them came
  const std::chrono::milliseconds longestWait_;
  std::condition_variable pendingAdded_;
  bool stopping_ = false;
  // Declared last: its destructor's flush still reports to the members above.
  IndexWriter writer_;
  std::thread timer_;
};

}  // namespace brambel
