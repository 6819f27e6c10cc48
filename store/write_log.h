#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "platform/file.h"

namespace brambel {

// The writes a block cache made into its blocks and has not put on disk yet,
// in the order they were made. Replaying them in that order keeps the file
// on disk a prefix of the writer's history. Each entry holds a copy of the
// bytes written, so that a block may be evicted once its entries are out.
class WriteLog {
 public:
  // Block n of the record space starts at `firstBlockPosition` + n·`blockSize`.
  WriteLog(uint64_t firstBlockPosition, uint32_t blockSize);

  // Logs that `length` bytes at `offset` of block `block` changed; `blockBytes`
  // is the whole block as it is now. A write into the block of the latest
  // entry merges with it (the merged range is taken from `blockBytes`, which
  // holds both). True when a new entry was made.
  bool add(uint32_t block, uint32_t offset, size_t length, const uint8_t* blockBytes);

  // Writes entries oldest first until the log is empty or the next entry
  // would touch one more than `blockLimit` distinct blocks; `written` is told
  // the block of each entry on disk. False when a write failed (the entry
  // stays).
  bool writeBack(const File& handle, size_t blockLimit, const std::function<void(uint32_t block)>& written);

  bool empty() const { return entries_.empty(); }
  // Bytes the entries hold.
  size_t bytes() const { return bytes_; }

 private:
  struct Entry {
    uint32_t block;
    uint32_t offset;
    std::string bytes;
  };

  uint64_t firstBlock_;
  uint32_t blockSize_;
  std::deque<Entry> entries_;
  size_t bytes_ = 0;
};

}  // namespace brambel
