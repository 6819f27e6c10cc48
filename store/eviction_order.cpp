#include "store/eviction_order.h"

#include <algorithm>

namespace brambel {

void EvictionOrder::add(CacheBlock& block) {
  lru_.push_back(&block);
  block.lruPosition = std::prev(lru_.end());
}

void EvictionOrder::touch(CacheBlock& block) { lru_.splice(lru_.end(), lru_, block.lruPosition); }

void EvictionOrder::remove(CacheBlock& block) { lru_.erase(block.lruPosition); }

void EvictionOrder::clear() {
  lru_.clear();
  thresholdKnown_ = false;
}

void EvictionOrder::evicted(CacheBlock& block) {
  remove(block);
  ++evictionsSinceThreshold_;
}

void EvictionOrder::recomputeThreshold() {
  scratch_.clear();
  for (const CacheBlock* block : lru_) scratch_.push_back(block->priority);
  const size_t quarter = std::max<size_t>(1, std::min(scratch_.size(), capacity_ / 4));
  std::nth_element(scratch_.begin(), scratch_.begin() + (quarter - 1), scratch_.end());
  threshold_ = scratch_.empty() ? 0 : scratch_[quarter - 1];
  thresholdKnown_ = true;
  evictionsSinceThreshold_ = 0;
}

CacheBlock* EvictionOrder::victim(const CacheBlock* keep, const CacheBlock* pinned) {
  if (!thresholdKnown_ || evictionsSinceThreshold_ >= std::max<size_t>(1, capacity_ / 4)) recomputeThreshold();
  CacheBlock* lowest = nullptr;
  uint32_t candidates = 0;
  // Each block is looked at once at most; protected ones go to the back.
  for (size_t looked = 0, total = lru_.size(); looked < total && candidates < kScan; ++looked) {
    CacheBlock* block = lru_.front();
    const bool spared = block == keep || block == pinned;
    if (!spared && block->priority <= threshold_) return block;
    touch(*block);
    if (spared) continue;
    ++candidates;
    if (!lowest || block->priority < lowest->priority) lowest = block;
  }
  return lowest;
}

}  // namespace brambel
