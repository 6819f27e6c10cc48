#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/file.h"

namespace brambel {

// One document's content file, open for the length of one store operation.
//
// Layout: a 152-byte header at offset 0, then sections appended one after
// another. The header holds the offset of the newest copy of each section
// (0 = absent) and a few size fields; all integers little-endian:
//
//   offset  width  field
//   0       u32    format version, 0 (a file with another value is left alone)
//   8       u64    result record section
//   16      u32    number of optional trailing strings in the result record
//   24      u64    page bytes section (deflated)
//   32      u32    length of the deflated page bytes
//   40      u64    term section (per-document term table or term offsets)
//   48      u32    8 when the statistics section is written
//   56      u64    statistics section
//   72      u32    byte size of the index-text section (2n + 4)
//   80      u64    index-text section
//   112     u64    links section
//   120     u64    source list section (ids of the sources that returned
//                  the document); files written before it hold 0 here,
//                  which reads as "no list"
//   others         zero
//
// Sections are never rewritten: writing one again appends a new copy and
// points the header at it, so the newest copy wins. An empty file gets a zero
// header on first access. Strings inside sections are u32 n followed by n
// UTF-16LE units, no terminator.
class ContentFile {
 public:
  static constexpr size_t kHeaderSize = 152;

  enum class Field : size_t {
    ResultOffset = 8,
    ResultTrailingStrings = 16,
    PageOffset = 24,
    PageLength = 32,
    TermsOffset = 40,
    StatsFlag = 48,
    StatsOffset = 56,
    IndexTextSize = 72,
    IndexTextOffset = 80,
    LinksOffset = 112,
    SourceListOffset = 120,
  };

  // Opens an existing file for reading. A missing file is not usable.
  static ContentFile openForReading(const std::filesystem::path& path);
  // Opens or creates the file for writing, holding the writer lock until closed.
  static ContentFile openForWriting(const std::filesystem::path& path);

  // True when the header was read (or created) and its version is 0; every
  // section read and write fails otherwise and leaves the file untouched.
  bool isUsable() const { return usable_; }
  bool isWritable() const { return writable_; }

  uint32_t u32(Field field) const;
  uint64_t offset(Field field) const;
  void setU32(Field field, uint32_t value);
  void setOffset(Field field, uint64_t value);
  const std::array<uint8_t, kHeaderSize>& header() const { return header_; }

  // Rewrites the header at offset 0.
  bool writeHeader();
  // Appends a whole section, points `offsetField` at it, sets the given size
  // fields and rewrites the header. False (header unchanged on disk) when the
  // file is not writable or a write fails.
  bool appendSection(Field offsetField, std::string_view bytes,
                     std::initializer_list<std::pair<Field, uint32_t>> sizeFields = {});
  // Points `offsetField` at a section already written at `start`, sets the
  // size fields and rewrites the header; on failure the header stays as it was.
  bool publishSection(Field offsetField, uint64_t start,
                      std::initializer_list<std::pair<Field, uint32_t>> sizeFields = {});
  // Writes `bytes` at the end of the file; returns where they start.
  std::optional<uint64_t> append(std::string_view bytes);
  // Writes at a position inside the file (for sections written in pieces).
  bool writeAt(uint64_t position, std::string_view bytes);

  // Current size of the file in bytes; 0 when it cannot be read.
  uint64_t size() const;
  // Exactly `length` bytes at `position`, or nothing when they are not all
  // inside the file.
  std::optional<std::string> readAt(uint64_t position, uint64_t length) const;

  const File& file() const { return file_; }

 private:
  ContentFile(File file, bool writable);
  void loadHeader();

  File file_;
  bool writable_ = false;
  bool usable_ = false;
  std::array<uint8_t, kHeaderSize> header_{};
};

// Reads the primitives of a section from a position on, checking each one
// against the file size. After the first failed read every read fails.
class SectionReader {
 public:
  SectionReader(const ContentFile& file, uint64_t position);

  std::optional<uint32_t> readU32();
  std::optional<uint64_t> readU64();
  // u32 length then UTF-16LE units; nothing when the units run past the end.
  std::optional<std::u16string> readString();
  std::optional<std::string> readBytes(uint64_t length);

  bool failed() const { return failed_; }
  uint64_t position() const { return position_; }
  // Bytes left between the position and the end of the file.
  uint64_t remaining() const { return position_ < fileSize_ ? fileSize_ - position_ : 0; }

 private:
  const ContentFile& file_;
  uint64_t position_;
  uint64_t fileSize_;
  bool failed_ = false;
};

// A reader at the start of the section `offsetField` points to; nothing when
// the file is unusable or the section absent.
std::optional<SectionReader> sectionReader(const ContentFile& file, ContentFile::Field offsetField);

// Builds a section in memory before it is appended.
class SectionWriter {
 public:
  void writeU32(uint32_t value);
  void writeU64(uint64_t value);
  // Writes the text up to its first 0 unit.
  void writeString(std::u16string_view text);

  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

}  // namespace brambel
