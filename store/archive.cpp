#include "store/archive.h"

#include "store/little_endian.h"
#include "toolkit/code_pages.h"

namespace brambel {

namespace {

constexpr uint8_t kLongLength8 = 0xFF;
constexpr uint16_t kUnicodeMarker = 0xFFFE;
constexpr uint16_t kLongLength16 = 0xFFFF;
constexpr uint32_t kLongLength32 = 0xFFFFFFFF;

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
  // Without the marker the characters are bytes in the ANSI code page.
  return toWide(std::string(at, static_cast<size_t>(*length)), kCodePageAnsi);
}

}  // namespace brambel
