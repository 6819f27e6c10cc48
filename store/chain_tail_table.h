#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "store/record_address.h"

namespace brambel {

// Where every posting chain a batch writer has seen ends: its last block,
// that block's capacity and how many of its slots are filled. With it an
// append writes the new postings straight into the tail's free slots
// without reading the chain. Keyed by the address of the chain's first
// block, which a term keeps for life.
//
// The table is only as good as the writer's knowledge of the file: its
// owner empties it whenever another writer may have changed the file.
class ChainTailTable {
 public:
  struct Tail {
    RecordAddress address;
    uint32_t capacity = 0;
    uint32_t used = 0;
  };

  ChainTailTable();

  // The remembered tail of the chain starting at `first`, or null.
  const Tail* find(RecordAddress first) const;
  void remember(RecordAddress first, const Tail& tail);
  void clear();
  size_t size() const { return count_; }
  size_t memoryBytes() const { return slots_.capacity() * sizeof(Slot); }

 private:
  struct Slot {
    uint64_t first = kEmpty;
    Tail tail;
  };
  static constexpr uint64_t kEmpty = RecordAddress::kNone;

  size_t slotOf(uint64_t first) const;
  void grow();

  std::vector<Slot> slots_;  // open addressing, size a power of two
  size_t count_ = 0;
};

}  // namespace brambel
