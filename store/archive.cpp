#include "store/archive.h"

#include <unicode/ustring.h>

#include "store/little_endian.h"

namespace brambel {

namespace {

constexpr uint8_t kLongLength8 = 0xFF;
constexpr uint16_t kUnicodeMarker = 0xFFFE;
constexpr uint16_t kLongLength16 = 0xFFFF;
constexpr uint32_t kLongLength32 = 0xFFFFFFFF;

// Characters of a string stored without the Unicode marker are ANSI bytes,
// which on this system means UTF-8; malformed bytes become U+FFFD.
std::u16string wideFromAnsi(std::string_view bytes) {
  if (bytes.empty()) return {};
  std::u16string text(bytes.size(), u'\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(reinterpret_cast<UChar*>(text.data()), static_cast<int32_t>(text.size()), &length,
                       bytes.data(), static_cast<int32_t>(bytes.size()), 0xFFFD, nullptr, &status);
  if (U_FAILURE(status)) return {};
  text.resize(static_cast<size_t>(length));
  return text;
}

}  // namespace

void ArchiveWriter::writeU8(uint8_t value) { bytes_.push_back(static_cast<char>(value)); }
void ArchiveWriter::writeU16(uint16_t value) { appendLe16(bytes_, value); }
void ArchiveWriter::writeU32(uint32_t value) { appendLe32(bytes_, value); }
void ArchiveWriter::writeU64(uint64_t value) { appendLe64(bytes_, value); }

void ArchiveWriter::writeCount(uint64_t count) {
  if (count < kLongLength16) {
    writeU16(static_cast<uint16_t>(count));
    return;
  }
  writeU16(kLongLength16);
  if (count < kLongLength32) {
    writeU32(static_cast<uint32_t>(count));
    return;
  }
  writeU32(kLongLength32);
  writeU64(count);
}

void ArchiveWriter::writeString(std::u16string_view text) {
  writeU8(kLongLength8);
  writeU16(kUnicodeMarker);
  const uint64_t length = text.size();
  if (length < kLongLength8) {
    writeU8(static_cast<uint8_t>(length));
  } else {
    writeU8(kLongLength8);
    if (length < kUnicodeMarker) {
      writeU16(static_cast<uint16_t>(length));
    } else {
      writeU16(kLongLength16);
      if (length < kLongLength32) {
        writeU32(static_cast<uint32_t>(length));
      } else {
        writeU32(kLongLength32);
        writeU64(length);
      }
    }
  }
  appendUtf16Le(bytes_, text);
}

const char* ArchiveReader::take(size_t size) {
  if (failed_ || bytes_.size() - position_ < size) {
    failed_ = true;
    return nullptr;
  }
  const char* at = bytes_.data() + position_;
  position_ += size;
  return at;
}

std::optional<uint8_t> ArchiveReader::readU8() {
  const char* at = take(1);
  if (!at) return std::nullopt;
  return static_cast<uint8_t>(*at);
}

std::optional<uint16_t> ArchiveReader::readU16() {
  const char* at = take(2);
  if (!at) return std::nullopt;
  return loadLe16(at);
}

std::optional<uint32_t> ArchiveReader::readU32() {
  const char* at = take(4);
  if (!at) return std::nullopt;
  return loadLe32(at);
}

std::optional<uint64_t> ArchiveReader::readU64() {
  const char* at = take(8);
  if (!at) return std::nullopt;
  return loadLe64(at);
}

std::optional<uint64_t> ArchiveReader::readCount(size_t minimumElementSize) {
  std::optional<uint64_t> count;
  if (auto small = readU16(); small && *small != kLongLength16) {
    count = *small;
  } else if (auto medium = readU32(); medium && *medium != kLongLength32) {
    count = *medium;
  } else {
    count = readU64();
  }
  if (!count) return std::nullopt;
  if (minimumElementSize > 0 && *count > remaining() / minimumElementSize) {
    failed_ = true;
    return std::nullopt;
  }
  return count;
}

std::optional<std::u16string> ArchiveReader::readString() {
  bool unicode = false;
  std::optional<uint64_t> length;
  auto first = readU8();
  if (!first) return std::nullopt;
  if (*first < kLongLength8) {
    length = *first;
  } else {
    auto word = readU16();
    if (word && *word == kUnicodeMarker) {
      unicode = true;
      auto second = readU8();
      if (second && *second < kLongLength8) {
        length = *second;
      } else {
        word = readU16();
      }
    }
    if (!length && word) {
      if (*word < kLongLength16) {
        length = *word;
      } else if (auto dword = readU32(); dword && *dword < kLongLength32) {
        length = *dword;
      } else {
        length = readU64();
      }
    }
  }
  if (!length || failed_) {
    failed_ = true;
    return std::nullopt;
  }
  const uint64_t unitSize = unicode ? 2 : 1;
  if (*length > remaining() / unitSize) {
    failed_ = true;
    return std::nullopt;
  }
  const char* at = take(static_cast<size_t>(*length * unitSize));
  if (unicode) return utf16FromLe(at, static_cast<size_t>(*length));
  return wideFromAnsi(std::string_view(at, static_cast<size_t>(*length)));
}

}  // namespace brambel
