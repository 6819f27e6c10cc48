#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brambel {

// The serialized form that the Windows program's class framework writes for
// counts and strings, so archive files made there stay readable here.
// All integers are little-endian.
//
// Count (collections' element counts):
//   n < 0xFFFF                    u16 n
//   n < 0xFFFFFFFF                u16 0xFFFF, u32 n
//   otherwise                     u16 0xFFFF, u32 0xFFFFFFFF, u64 n
//
// String: an optional Unicode marker, a length in characters, the characters.
//   Unicode marker                u8 0xFF, u16 0xFFFE  (the characters are UTF-16LE units)
//   without the marker the characters are single bytes in the ANSI code page (UTF-8 here)
//   length n < 0xFF               u8 n
//   n < 0xFFFE                    u8 0xFF, u16 n
//   n < 0xFFFFFFFF                u8 0xFF, u16 0xFFFF, u32 n
//   otherwise                     u8 0xFF, u16 0xFFFF, u32 0xFFFFFFFF, u64 n
// Strings are always written with the marker and read in either form. A reader
// accepts a u16 length up to 0xFFFE, as the Windows reader does.
class ArchiveWriter {
 public:
  void writeU8(uint8_t value);
  void writeU16(uint16_t value);
  void writeU32(uint32_t value);
  void writeU64(uint64_t value);
  void writeCount(uint64_t count);
  void writeString(std::u16string_view text);

  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// Reads the forms above from a byte buffer. Every read checks the bytes left;
// the first read that runs past the end or meets a malformed value fails, and
// so does every read after it.
class ArchiveReader {
 public:
  // Reads from `bytes`, which must outlive the reader.
  explicit ArchiveReader(std::string_view bytes) : bytes_(bytes) {}

  std::optional<uint8_t> readU8();
  std::optional<uint16_t> readU16();
  std::optional<uint32_t> readU32();
  std::optional<uint64_t> readU64();
  // A count is accepted only when `minimumElementSize` bytes per element are
  // still left, so a damaged count cannot make the caller allocate or loop.
  std::optional<uint64_t> readCount(size_t minimumElementSize);
  std::optional<std::u16string> readString();

  bool failed() const { return failed_; }
  size_t remaining() const { return failed_ ? 0 : bytes_.size() - position_; }

 private:
  const char* take(size_t size);

  std::string_view bytes_;
  size_t position_ = 0;
  bool failed_ = false;
};

}  // namespace brambel
