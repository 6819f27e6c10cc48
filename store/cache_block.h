#pragma once

#include <cstdint>
#include <cstdlib>
#include <list>
#include <memory>

namespace brambel {

// One block of a section's record space held by the block cache, in a
// page-aligned buffer of its own.
struct CacheBlock {
  struct FreeBuffer {
    void operator()(uint8_t* bytes) const { std::free(bytes); }
  };
  using Buffer = std::unique_ptr<uint8_t, FreeBuffer>;

  // A zeroed buffer of `size` bytes rounded up to whole pages; null when out of memory.
  static Buffer allocate(uint32_t size);

  uint32_t number = 0;
  Buffer data;
  uint32_t valid = 0;        // bytes from the block start that hold file content
  uint32_t fill = 0;         // next free byte of an append block
  size_t pendingWrites = 0;  // entries of the write log for this block
  uint32_t priority = 0;     // postings last written into it; eviction spares high ones
  std::list<CacheBlock*>::iterator lruPosition;  // its place in the EvictionOrder
};

}  // namespace brambel
