#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "store/record_address.h"

namespace brambel {

// The record of one term of p units or more; all terms sharing their first p
// units hang in one chain from their B-tree key. For a shorter term the
// engine builds an equivalent record in memory (empty suffix, capacity 0, no
// next link) so callers see one shape.
//
// On disk, 24 + 2·L bytes:
//   0   u64  address of the term's first IdBlock
//   8   u64  address of the next TermRecord with the same prefix; 0 = end
//   16  u32  capacity (slots) of the first IdBlock
//   20  u32  L, length of the suffix in UTF-16 units
//   24  2·L  the term's units after the first p, no terminator
// The longest term a section stores: its term record (24 bytes and 2 per
// unit) then fits the smallest cache block.
inline constexpr size_t kMaxStoredTermLength = 1024;

// Whether a term can be a key: not empty, no 0 unit (keys end at one) and
// no longer than kMaxStoredTermLength.
bool isStorableTerm(std::u16string_view term);
// Whether a term can be stored in a section whose keys are the first
// `prefixLength` units of a term and whose records are at most `clusterSize`
// bytes: a key, and the record holding the rest of it fits a cluster.
bool isStorableTerm(std::u16string_view term, uint32_t prefixLength, uint32_t clusterSize);

struct TermRecord {
  static constexpr size_t kHeadSize = 24;

  RecordAddress address = RecordAddress::none();  // where it is stored; none if built in memory
  RecordAddress firstIdBlock = RecordAddress::none();
  RecordAddress next = RecordAddress{0};
  uint32_t firstBlockCapacity = 0;
  std::u16string suffix;

  size_t storedSize() const { return kHeadSize + 2 * suffix.size(); }
  std::string encode() const;
  // Parses the 24-byte head; the suffix length is returned through `length`.
  static TermRecord decodeHead(const uint8_t* head, uint32_t& length);
};

}  // namespace brambel
