#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "platform/file.h"
#include "store/record_address.h"

namespace brambel {

// Collects what one batch update of a cached section writes, and writes it
// in an order that keeps the tree on disk whole if the process dies at any
// moment:
//   1. appended blocks (new records, past the old end of the file), synced;
//   2. rewritten blocks of the old file, in file order, each read, patched
//      and written whole, synced;
//   3. the header, synced.
// The update is built so that every rewrite only adds to what the old tree
// holds (free slots filled, a link set, a key or a child added), and each
// rewritten record points only at records written in step 1: whatever subset
// of step 2 reaches the disk, readers see the old tree or more of the new.
//
// A failure in step 2 or 3 (the disk fills, a write or sync fails) puts the
// old bytes back: the previous header, then every patched range that reached
// the disk and that the old tree reaches, so that a writer retrying the same
// batch does not add its postings twice. Bytes no reader reaches (free slots
// beyond a block's count) are left as written. Only a process that dies
// part-way, or a disk that takes none of the old bytes back either, leaves a
// part of step 2 on disk.
//
// Addresses are those of the cached kind: block n starts at byte D + n·Z.
class BlockWriteBack {
 public:
  // `fileSize` is the size of the file as the update found it; new blocks
  // start at the first block boundary at or after it.
  BlockWriteBack(const File& handle, uint64_t firstBlockPosition, uint32_t blockSize, uint64_t fileSize);

  // Appends a record to the new blocks, starting a new block when it does
  // not fit into the rest of the current one. None when it is larger than a
  // block or the file would outgrow the 32-bit block numbers.
  RecordAddress append(std::string_view bytes);
  // Replaces bytes of a record already in the file (written in step 2).
  void patch(RecordAddress address, std::string_view bytes) { addPatch(address, bytes, true); }
  // Like patch, for bytes that nothing reaches until a later patch of this
  // update (the free slots of an id block before its count changes): a
  // failed commit needs no copy of what they replaced.
  void patchUnreached(RecordAddress address, std::string_view bytes) { addPatch(address, bytes, false); }

  // True when nothing was appended or patched.
  bool empty() const { return appendedBytes_ == 0 && patches_.empty(); }
  // The blocks step 2 rewrote, ascending (cached copies of them are stale).
  const std::vector<uint32_t>& rewrittenBlocks() const { return rewritten_; }

  // Runs the three steps; `header` is written at `headerPosition`, where
  // `previousHeader` is now. False when any write or sync failed: the old
  // tree is then still what the header names, and the file holds nothing of
  // the update that it can reach.
  bool commit(uint64_t headerPosition, std::span<const uint8_t> header, std::span<const uint8_t> previousHeader);

 private:
  struct Patch {
    uint32_t block;
    uint32_t offset;
    uint32_t length;
    uint64_t bytesAt;  // into patchBytes_
    bool undone;       // put back when the commit fails
  };

  void addPatch(RecordAddress address, std::string_view bytes, bool undone);

  uint64_t positionOf(uint32_t block) const { return firstBlock_ + uint64_t{block} * blockSize_; }
  // Writes the complete appended blocks held in memory.
  bool writeAppended(bool includingPartial);
  bool writePatches();
  // Puts back the previous header and the original bytes of every patched
  // range that differs on disk, as far as the disk takes them.
  void undoPatches(uint64_t headerPosition, std::span<const uint8_t> previousHeader);

  const File& handle_;
  uint64_t firstBlock_;
  uint32_t blockSize_;
  uint32_t firstNewBlock_;
  uint64_t appendedBytes_ = 0;       // from the start of the first new block
  uint64_t appendedWritten_ = 0;     // bytes of whole blocks already on disk
  std::vector<uint8_t> appending_;   // appended bytes not yet written
  bool writeFailed_ = false;
  std::vector<Patch> patches_;
  std::vector<uint8_t> patchBytes_;
  // What the undone patches replaced, in the order writePatches met them.
  std::vector<uint8_t> originalBytes_;
  std::vector<uint32_t> rewritten_;
};

}  // namespace brambel
