#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "store/key_value_file.h"
#include "store/source_result.h"
#include "store/url_marks.h"

namespace brambel {

// The library's stored documents as a whole: per-URL marks in the key-value
// file "main__index.zurl" (k = 32, t = 10; key = the URL written backwards,
// in UTF-8; value = the 28-byte UrlMarks), and one content file per
// document, named by its record id.
//
// Record ids are unsigned 32-bit and never 0. The last id handed out is kept
// in "recordid.dat" (u32, little-endian); a new id also skips any id whose
// content file already exists, so a lost or stale counter cannot make two
// documents share a file.
//
// Content files: <library>/content/<hh>/<id>.zdoc with <id> as 8 hex digits
// and <hh> its last two, so no directory grows beyond 1/256 of the library.
class LibraryStore {
 public:
  static constexpr char kMarksFileName[] = "main__index.zurl";
  static constexpr char kRecordIdFileName[] = "recordid.dat";
  static constexpr char kContentDirectoryName[] = "content";
  static constexpr int32_t kMarksKeyLength = 32;
  static constexpr int32_t kMarksMinimumDegree = 10;

  // Opens the marks file of `directory`; a writable library creates the
  // directory and the file when they are missing.
  LibraryStore(std::filesystem::path directory, bool readOnly);

  bool isOpen() const { return marks_.isValid(); }
  bool isReadOnly() const { return readOnly_; }
  const std::filesystem::path& directory() const { return directory_; }
  const KeyValueFile& marksFile() const { return marks_; }

  // The key of a URL in the marks file: its characters last to first, in
  // UTF-8. Empty for an empty URL or one holding a 0 character.
  static std::string markKey(std::u16string_view url);
  // The URL a marks key stands for (for walks over the marks file).
  static std::u16string urlOfMarkKey(std::string_view key);

  // The URL's marks; all zero when the library does not know the URL.
  UrlMarks readMarks(std::u16string_view url) const;
  bool writeMarks(std::u16string_view url, const UrlMarks& marks);

  // The URL's record id, giving it a new one (recorded in its marks) when it
  // has none. Nothing when the library is read-only or a write failed.
  std::optional<uint32_t> recordIdFor(std::u16string_view url);

  std::filesystem::path contentPath(uint32_t recordId) const;
  // The content file path for writing, its directory created.
  std::optional<std::filesystem::path> prepareContentPath(uint32_t recordId) const;

  // Whether the library holds a readable result record for the URL.
  bool holdsRecord(std::u16string_view url) const;
  // The stored result record of the URL or of a record id.
  std::optional<SourceResult> readRecord(std::u16string_view url) const;
  std::optional<SourceResult> readRecord(uint32_t recordId) const;

 private:
  std::optional<uint32_t> allocateRecordId();

  std::filesystem::path directory_;
  bool readOnly_;
  KeyValueFile marks_;
  std::mutex allocationMutex_;
};

}  // namespace brambel
