#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace brambel {

// Every integer the library writes to disk is little-endian. These read and
// write one at a byte position without alignment requirements.

inline uint16_t loadLe16(const void* at) {
  const auto* p = static_cast<const uint8_t*>(at);
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t loadLe32(const void* at) {
  const auto* p = static_cast<const uint8_t*>(at);
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

inline uint64_t loadLe64(const void* at) {
  const auto* p = static_cast<const uint8_t*>(at);
  return uint64_t{loadLe32(p)} | (uint64_t{loadLe32(p + 4)} << 32);
}

inline void storeLe16(void* at, uint16_t value) {
  auto* p = static_cast<uint8_t*>(at);
  p[0] = static_cast<uint8_t>(value);
  p[1] = static_cast<uint8_t>(value >> 8);
}

inline void storeLe32(void* at, uint32_t value) {
  auto* p = static_cast<uint8_t*>(at);
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline void storeLe64(void* at, uint64_t value) {
  auto* p = static_cast<uint8_t*>(at);
  storeLe32(p, static_cast<uint32_t>(value));
  storeLe32(p + 4, static_cast<uint32_t>(value >> 32));
}

inline void appendLe16(std::string& out, uint16_t value) {
  char bytes[2];
  storeLe16(bytes, value);
  out.append(bytes, 2);
}

inline void appendLe32(std::string& out, uint32_t value) {
  char bytes[4];
  storeLe32(bytes, value);
  out.append(bytes, 4);
}

inline void appendLe64(std::string& out, uint64_t value) {
  char bytes[8];
  storeLe64(bytes, value);
  out.append(bytes, 8);
}

// UTF-16 code units as little-endian bytes, and back (an odd trailing byte is dropped).
inline void appendUtf16Le(std::string& out, std::u16string_view text) {
  for (char16_t unit : text) appendLe16(out, static_cast<uint16_t>(unit));
}

inline std::u16string utf16FromLe(const void* at, size_t units) {
  std::u16string text(units, u'\0');
  const auto* p = static_cast<const uint8_t*>(at);
  for (size_t i = 0; i < units; ++i) text[i] = static_cast<char16_t>(loadLe16(p + 2 * i));
  return text;
}

}  // namespace brambel
