#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file.h"

namespace brambel {

// The records a key-value file appends behind its nodes. All integers
// little-endian; addresses are byte offsets in the file, 0 = none.
//
// Key record (24 + n bytes), one per key of k bytes or more, chained per prefix:
//   0   u64  address of the key's first data record
//   8   u64  next key record with the same prefix
//   16  u32  n, length of the key's remainder after the first k bytes
//   20  u32  reserved
//   24  n    the remainder
//
// Data record (24 + c bytes, or 24 + the deflated length):
//   0   u64  continuation data record
//   8   u32  L, data bytes held
//   12  u32  c, capacity (>= L)
//   16  u32  deflated length, when deflated
//   20  u32  deflated flag
//   24       the data, or the deflated data
// A value is the data of its first record followed by that of each continuation.

struct KeyRecord {
  uint64_t address = 0;  // 0 until written
  uint64_t firstData = 0;
  uint64_t next = 0;
  std::string remainder;
};

// The file of one store operation with its size, which appends keep current.
class RecordFile {
 public:
  // Values are read whole into memory; a chain claiming more is damage.
  static constexpr uint64_t kMaxValueSize = uint64_t{1} << 28;

  RecordFile(const File& file, uint64_t size) : file_(file), size_(size) {}

  const File& file() const { return file_; }
  uint64_t size() const { return size_; }

  // Exactly `length` bytes at `position`, or nothing when they are not all in the file.
  std::optional<std::string> read(uint64_t position, uint64_t length) const;
  // Writes at the end of the file, or at the next 4 KiB page when that keeps
  // the bytes (or, when they are longer than a page, their 24-byte head) off
  // a page boundary; returns where they start. The kernel copies a write page
  // by page and a killed process can stop between two pages, so only bytes
  // within one page are rewritten in place all or nothing. The gap left is
  // never referenced.
  std::optional<uint64_t> append(std::string_view bytes);
  bool overwrite(uint64_t position, std::string_view bytes);

  std::optional<KeyRecord> readKeyRecord(uint64_t address) const;
  // Appends a record without an address (and gives it one) or rewrites it in place.
  bool writeKeyRecord(KeyRecord& record);

  // The whole value starting at `firstData`; nothing when a record is damaged,
  // lies outside the file, the chain loops, or the value would exceed
  // kMaxValueSize (or inflate beyond what its stored length can hold).
  std::optional<std::string> readValue(uint64_t firstData) const;
  // Stores `value` into the chain at `firstData` (0 = none yet): plain records
  // are reused in place up to their capacity, the rest goes to continuations;
  // a missing or deflated record is replaced by a new one holding all that is
  // left. Returns the chain's first address, which changes only when the
  // first record was replaced; nothing when a write failed.
  std::optional<uint64_t> storeValue(uint64_t firstData, std::string_view value, bool compress);

 private:
  struct DataHead {
    uint64_t next = 0;
    uint32_t length = 0;
    uint32_t capacity = 0;
    uint32_t deflatedLength = 0;
    uint32_t deflated = 0;
  };

  std::optional<DataHead> readDataHead(uint64_t address) const;
  std::optional<uint64_t> appendDataRecord(std::string_view data, bool compress);

  const File& file_;
  uint64_t size_;
};

}  // namespace brambel
