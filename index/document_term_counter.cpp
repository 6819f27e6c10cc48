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
  terms_.clear();
  hashBits_.clear();
  occurrences_ = 0;
  TermScanner scanner(text);
  std::u16string_view raw;
  uint32_t position;
  while (scanner.next(raw, position)) {
    if (std::optional<std::u16string_view> kept = filter.acceptedForm(raw)) add(*kept);
  }
}

void DocumentTermCounter::add(std::u16string_view term) {
  ++occurrences_;
  const uint64_t h = TermInterner::hash(term);
  const uint32_t bits = static_cast<uint32_t>(h >> 32);
  const size_t mask = slots_.size() - 1;
  for (size_t slot = h & mask;; slot = (slot + 1) & mask) {
    const uint32_t held = slots_[slot];
    if (held == 0) {
      terms_.push_back({term, 1});
      hashBits_.push_back(bits);
      slots_[slot] = static_cast<uint32_t>(terms_.size());
      usedSlots_.push_back(static_cast<uint32_t>(slot));
      if (terms_.size() * 2 > slots_.size()) grow();
      return;
    }
    if (hashBits_[held - 1] == bits && terms_[held - 1].term == term) {
      ++terms_[held - 1].occurrences;
      return;
    }
  }
}

void DocumentTermCounter::grow() {
  std::vector<uint32_t>(slots_.size() * 2, 0).swap(slots_);
  usedSlots_.clear();
  const size_t mask = slots_.size() - 1;
  for (uint32_t i = 0; i < terms_.size(); ++i) {
    size_t slot = TermInterner::hash(terms_[i].term) & mask;
    while (slots_[slot] != 0) slot = (slot + 1) & mask;
    slots_[slot] = i + 1;
    usedSlots_.push_back(static_cast<uint32_t>(slot));
  }
}

float DocumentTermCounter::weightOf(const Counted& counted) const {
  return TermWeight(counted.occurrences, occurrences_);
}

}  // namespace brambel
