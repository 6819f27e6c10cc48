#include "store/chain_tail_table.h"

namespace brambel {
namespace {

constexpr size_t kInitialSlots = 4096;

uint64_t mix(uint64_t value) {
  value ^= value >> 31;
  value *= 0x7fb5d329728ea185ull;
  return value ^ (value >> 27);
}

}  // namespace

ChainTailTable::ChainTailTable() : slots_(kInitialSlots) {}

size_t ChainTailTable::slotOf(uint64_t first) const {
  const size_t mask = slots_.size() - 1;
  size_t slot = mix(first) & mask;
  while (slots_[slot].first != kEmpty && slots_[slot].first != first) slot = (slot + 1) & mask;
  return slot;
}

const ChainTailTable::Tail* ChainTailTable::find(RecordAddress first) const {
  if (first.isNone()) return nullptr;
  const Slot& slot = slots_[slotOf(first.value)];
  return slot.first == kEmpty ? nullptr : &slot.tail;
}

void ChainTailTable::remember(RecordAddress first, const Tail& tail) {
  if (first.isNone()) return;
  Slot& slot = slots_[slotOf(first.value)];
  if (slot.first == kEmpty) {
    slot.first = first.value;
    if (++count_ * 2 > slots_.size()) {
      slot.tail = tail;
      grow();
      return;
    }
  }
  slot.tail = tail;
}

void ChainTailTable::grow() {
  std::vector<Slot> old(slots_.size() * 2);
  old.swap(slots_);
  for (const Slot& slot : old)
    if (slot.first != kEmpty) slots_[slotOf(slot.first)] = slot;
}

void ChainTailTable::clear() {
  std::vector<Slot>(kInitialSlots).swap(slots_);
  count_ = 0;
}

}  // namespace brambel
