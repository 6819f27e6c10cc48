#include "index/document_term_counter.h"

#include "index/term_interner.h"
#include "index/term_scanner.h"
#include "index/term_weight.h"

namespace brambel {
namespace {

constexpr size_t kInitialSlots = 1024;

}  // namespace

DocumentTermCounter::DocumentTermCounter() : slots_(kInitialSlots, 0) {}

void DocumentTermCounter::count(std::u16string_view text, const TermFilter& filter) {
  for (uint32_t slot : usedSlots_) slots_[slot] = 0;
  usedSlots_.clear();
  entries_.clear();
  kept_.clear();
  occurrences_ = 0;
  const size_t longest = static_cast<size_t>(filter.maxTermLength());
  TermScanner scanner(text);
  std::u16string_view raw;
  uint32_t position;
  while (scanner.next(raw, position)) {
    if (raw.size() <= longest) {
      ++entry(raw).asFound;
    } else if (std::optional<std::u16string_view> cut = filter.acceptedForm(raw)) {
      // A long term is filtered as it stands, then counted under its cut form.
      ++entry(*cut).asCut;
    }
  }
  // Terms short enough to be kept whole pass the filter once each.
  for (const Entry& counted : entries_) {
    const uint32_t occurrences = counted.asCut + (counted.asFound != 0 && filter.acceptedForm(counted.term) ? counted.asFound : 0);
    if (occurrences == 0) continue;
    kept_.push_back({counted.term, occurrences});
    occurrences_ += occurrences;
  }
}

DocumentTermCounter::Entry& DocumentTermCounter::entry(std::u16string_view term) {
  const uint64_t h = TermInterner::hash(term);
  const uint32_t bits = static_cast<uint32_t>(h >> 32);
  const size_t mask = slots_.size() - 1;
  for (size_t slot = h & mask;; slot = (slot + 1) & mask) {
    const uint32_t held = slots_[slot];
    if (held == 0) {
      entries_.push_back({term, bits, 0, 0});
      slots_[slot] = static_cast<uint32_t>(entries_.size());
      usedSlots_.push_back(static_cast<uint32_t>(slot));
      if (entries_.size() * 2 > slots_.size()) grow();
      return entries_.back();
    }
    Entry& found = entries_[held - 1];
    if (found.hashBits == bits && found.term == term) return found;
  }
}

void DocumentTermCounter::grow() {
  std::vector<uint32_t>(slots_.size() * 2, 0).swap(slots_);
  usedSlots_.clear();
  const size_t mask = slots_.size() - 1;
  for (uint32_t i = 0; i < entries_.size(); ++i) {
    size_t slot = TermInterner::hash(entries_[i].term) & mask;
    while (slots_[slot] != 0) slot = (slot + 1) & mask;
    slots_[slot] = i + 1;
    usedSlots_.push_back(static_cast<uint32_t>(slot));
  }
}

float DocumentTermCounter::weightOf(const Counted& counted) const {
  return TermWeight(counted.occurrences, occurrences_);
}

}  // namespace brambel
