#pragma once

#include <compare>
#include <cstdint>

namespace brambel {

// The 64-bit name of a record inside an index section. Under direct I/O it is
// the absolute byte offset in the file; under cached I/O the high 32 bits are
// a block number and the low 32 bits an offset inside that block. All bits set
// means "none"; inside records (links) the value 0 means "none" as well.
struct RecordAddress {
  static constexpr uint64_t kNone = ~uint64_t{0};

  uint64_t value = kNone;

  static constexpr RecordAddress none() { return RecordAddress{kNone}; }
  static constexpr RecordAddress atByte(uint64_t offset) { return RecordAddress{offset}; }
  static constexpr RecordAddress inBlock(uint32_t block, uint32_t offset) {
    return RecordAddress{(uint64_t{block} << 32) | offset};
  }

  constexpr bool isNone() const { return value == kNone; }
  // For link fields read from disk, where 0 also ends a chain.
  constexpr bool isNullLink() const { return value == 0 || value == kNone; }

  constexpr uint32_t block() const { return static_cast<uint32_t>(value >> 32); }
  constexpr uint32_t offsetInBlock() const { return static_cast<uint32_t>(value); }

  friend constexpr auto operator<=>(RecordAddress, RecordAddress) = default;
};

}  // namespace brambel
