#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <vector>

#include "store/cache_block.h"

namespace brambel {

// Which cached block goes when the cache is full: the least recently used,
// preferring blocks whose priority is in the lower quartile of those cached.
// The quartile is worked out again after every quarter of the capacity
// evicted. The order holds the blocks it is given, not owns them.
class EvictionOrder {
 public:
  // Candidates looked at before the lowest-priority one is taken.
  static constexpr uint32_t kScan = 51;

  explicit EvictionOrder(size_t capacity) : capacity_(capacity) {}
  void setCapacity(size_t capacity) { capacity_ = capacity; }

  // Adds a block as the most recently used.
  void add(CacheBlock& block);
  void touch(CacheBlock& block);
  void remove(CacheBlock& block);
  void clear();
  // The block to evict next, neither `keep` nor `pinned`; null when there is
  // none. Every block it looked at counts as used.
  CacheBlock* victim(const CacheBlock* keep, const CacheBlock* pinned);
  // Tells the order that the victim was evicted.
  void evicted(CacheBlock& block);

 private:
  void recomputeThreshold();

  size_t capacity_;
  std::list<CacheBlock*> lru_;          // least recently used first
  std::vector<uint32_t> scratch_;       // reused by recomputeThreshold
  uint32_t threshold_ = 0;
  size_t evictionsSinceThreshold_ = 0;
  bool thresholdKnown_ = false;
};

}  // namespace brambel
