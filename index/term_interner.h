#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace brambel {

// Gives every distinct term of a batch a small number, keeping the terms'
// text once in one growing arena: an open-addressing table of numbers over
// that arena, so interning a term already seen allocates nothing.
class TermInterner {
 public:
  TermInterner();

  // The number of `term`, adding it when new. Numbers count up from 0.
  uint32_t intern(std::u16string_view term);
  std::u16string_view term(uint32_t number) const;
  size_t size() const { return entries_.size(); }
  // Bytes held by the arena and the tables (what the batch's memory budget counts).
  size_t memoryBytes() const;
  // Forgets every term but keeps the memory for the next batch.
  void clear();

  static uint64_t hash(std::u16string_view term);

 private:
  struct Entry {
    uint64_t offset;
    uint32_t length;
    uint32_t hashBits;  // low bits of the hash, to skip most comparisons
  };

  void grow();

  std::vector<char16_t> arena_;
  std::vector<Entry> entries_;
  std::vector<uint32_t> slots_;  // number + 1; 0 = empty; size a power of two
};

}  // namespace brambel
