#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "platform/file.h"
#include "store/block_write_back.h"
#include "store/chain_tail_table.h"
#include "store/id_block.h"
#include "store/record_address.h"

namespace brambel {

// Where the record space of a cached section lies, and how big a slot is.
struct RecordSpace {
  uint64_t firstBlockPosition = 0;  // D
  uint32_t blockSize = 0;           // Z
  uint64_t fileSize = 0;            // the bound for every address read
  bool weighted = true;

  // The record space of the section at `base` with blocks of `blockSize`:
  // the first block starts after the header, on a block boundary.
  static RecordSpace ofSection(uint64_t base, uint32_t blockSize, uint64_t fileSize, bool weighted);

  uint32_t slotWidth() const { return weighted ? 8 : 4; }
  // True when `length` bytes at `address` lie inside one block of the file.
  bool holds(RecordAddress address, uint64_t length) const;
  uint64_t positionOf(RecordAddress address) const {
    return firstBlockPosition + uint64_t{address.block()} * blockSize + address.offsetInBlock();
  }
};

// Writes postings into id-block chains for a batch update, through a
// BlockWriteBack: a new term's chain is written whole, and an existing chain
// gets its new postings written straight into the free slots of its tail
// block (the block is not decoded: the slots and the head's counts are
// patched), growing the chain by blocks of 16 times the last capacity, at
// most a cluster. Tails come from the writer's ChainTailTable, or else from
// a walk over the chain's block heads; every chain written is remembered.
class PostingAppender {
 public:
  static constexpr uint32_t kFirstBlockCapacity = 3;

  PostingAppender(const File& handle, const RecordSpace& space, BlockWriteBack& out, ChainTailTable& tails);

  struct Chain {
    RecordAddress first;
    uint32_t firstCapacity = 0;
  };
  // A new chain holding `postings` (at least one).
  std::optional<Chain> create(std::span<const Posting> postings);
  // Appends to the chain starting at `first`; false when the chain cannot
  // be read (its blocks are then left as they are).
  bool append(RecordAddress first, std::span<const Posting> postings);

 private:
  // The tail of the chain at `first`, walking the heads when it is not remembered.
  std::optional<ChainTailTable::Tail> tailOf(RecordAddress first);
  // Appends blocks holding `postings`, the first of `capacity` slots then
  // growing; gives back the first block and remembers the last as the tail
  // of the chain at `chainFirst` (none: the chain starts with the first new block).
  std::optional<Chain> appendBlocks(std::span<const Posting> postings, uint32_t capacity,
                                    RecordAddress chainFirst);

  const File& handle_;
  RecordSpace space_;
  BlockWriteBack& out_;
  ChainTailTable& tails_;
};

}  // namespace brambel
