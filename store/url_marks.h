#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brambel {

// The per-URL mark record kept in the library's key-value file, 28 bytes:
//
//   offset  width  field
//   0       8      not interpreted here, kept as read
//   8       u32    library record id of the URL (0 = no stored document)
//   12      u32    click date, seconds since 1970 UTC (0 = never)
//   16      u32    hover date, seconds since 1970 UTC (0 = never)
//   20      u8     flags: bit 0 ignored, bit 2 the URL's text is in the main index
//   21      u8     bit 0 permanent, bit 1 read (the user marked it read)
//   22      6      not interpreted here, kept as read
//
// Integers are little-endian. A URL without a record reads as all zero.
struct UrlMarks {
  static constexpr size_t kSize = 28;
  static constexpr uint8_t kIgnoredBit = 0x01;
  static constexpr uint8_t kIndexedBit = 0x04;
  static constexpr uint8_t kPermanentBit = 0x01;
  static constexpr uint8_t kReadBit = 0x02;

  std::array<uint8_t, 8> leading{};
  uint32_t recordId = 0;
  uint32_t clickDate = 0;
  uint32_t hoverDate = 0;
  uint8_t flags = 0;
  uint8_t permanentFlags = 0;
  std::array<uint8_t, 6> trailing{};

  bool isIgnored() const { return (flags & kIgnoredBit) != 0; }
  bool isIndexed() const { return (flags & kIndexedBit) != 0; }
  bool isPermanent() const { return (permanentFlags & kPermanentBit) != 0; }
  bool isRead() const { return (permanentFlags & kReadBit) != 0; }
  void setIgnored(bool value);
  void setIndexed(bool value);
  void setPermanent(bool value);
  void setRead(bool value);

  // The 28-byte stored form.
  std::string encode() const;
  // Nothing when `bytes` is shorter than 28; bytes beyond 28 are ignored.
  static std::optional<UrlMarks> decode(std::string_view bytes);

  bool operator==(const UrlMarks&) const = default;
};

}  // namespace brambel
