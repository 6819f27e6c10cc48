#include "index/term_interner.h"

#include <algorithm>

namespace brambel {
namespace {

constexpr size_t kInitialSlots = 1024;

}  // namespace

TermInterner::TermInterner() : slots_(kInitialSlots, 0) {}

uint64_t TermInterner::hash(std::u16string_view term) {
  // FNV-1a over the units, with a final mix so that the low bits (the slot)
  // depend on every unit.
  uint64_t h = 14695981039346656037ull;
  for (char16_t unit : term) h = (h ^ unit) * 1099511628211ull;
  h ^= h >> 29;
  h *= 0xbf58476d1ce4e5b9ull;
  return h ^ (h >> 32);
}

std::u16string_view TermInterner::term(uint32_t number) const {
  const Entry& entry = entries_[number];
  return {arena_.data() + entry.offset, entry.length};
}

uint32_t TermInterner::intern(std::u16string_view term) {
  const uint64_t h = hash(term);
  const uint32_t bits = static_cast<uint32_t>(h >> 32);
  const size_t mask = slots_.size() - 1;
  for (size_t slot = h & mask;; slot = (slot + 1) & mask) {
    const uint32_t held = slots_[slot];
    if (held == 0) {
      const uint32_t number = static_cast<uint32_t>(entries_.size());
      entries_.push_back({arena_.size(), static_cast<uint32_t>(term.size()), bits});
      arena_.insert(arena_.end(), term.begin(), term.end());
      slots_[slot] = number + 1;
      // Keep the table at most half full so that probes stay short.
      if (entries_.size() * 2 > slots_.size()) grow();
      return number;
    }
    const Entry& entry = entries_[held - 1];
    if (entry.hashBits == bits && this->term(held - 1) == term) return held - 1;
  }
}

void TermInterner::grow() {
  std::vector<uint32_t> slots(slots_.size() * 2, 0);
  const size_t mask = slots.size() - 1;
  for (uint32_t number = 0; number < entries_.size(); ++number) {
    size_t slot = hash(term(number)) & mask;
    while (slots[slot] != 0) slot = (slot + 1) & mask;
    slots[slot] = number + 1;
  }
  slots_.swap(slots);
}

size_t TermInterner::memoryBytes() const {
  return arena_.capacity() * sizeof(char16_t) + entries_.capacity() * sizeof(Entry) +
         slots_.capacity() * sizeof(uint32_t);
}

void TermInterner::clear() {
  arena_.clear();
  entries_.clear();
  std::fill(slots_.begin(), slots_.end(), 0);
}

}  // namespace brambel
