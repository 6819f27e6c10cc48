#include "store/library_store.h"

#include <cstdio>

#include "platform/file.h"
#include "store/content_file.h"
#include "store/little_endian.h"
#include "store/source_result_record.h"
#include "toolkit/code_pages.h"

namespace brambel {

namespace {

KeyValueFile::Options marksOptions(bool readOnly) {
  KeyValueFile::Options options;
  options.readOnly = readOnly;
  options.keyLength = LibraryStore::kMarksKeyLength;
  options.minimumDegree = LibraryStore::kMarksMinimumDegree;
  return options;
}

// A writable library's directory is made before its marks file is opened in it.
std::filesystem::path preparedDirectory(std::filesystem::path directory, bool readOnly) {
  std::error_code ignored;
  if (!readOnly) std::filesystem::create_directories(directory, ignored);
  return directory;
}

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Reversed by character, so a surrogate pair stays in its order.
std::u16string reversedByCharacter(std::u16string_view url) {
  std::u16string reversed;
  reversed.reserve(url.size());
  for (size_t end = url.size(); end > 0;) {
    size_t start = end - 1;
    if (start > 0 && isLowSurrogate(url[start]) && isHighSurrogate(url[start - 1])) --start;
    reversed.append(url.substr(start, end - start));
    end = start;
  }
  return reversed;
}

}  // namespace

LibraryStore::LibraryStore(std::filesystem::path directory, bool readOnly)
    : directory_(preparedDirectory(std::move(directory), readOnly)),
      readOnly_(readOnly),
      marks_(directory_ / kMarksFileName, marksOptions(readOnly)) {}

std::string LibraryStore::markKey(std::u16string_view url) {
  if (url.empty() || url.find(u'\0') != std::u16string_view::npos) return {};
  return toNarrow(reversedByCharacter(url), kCodePageAnsi);
}

std::u16string LibraryStore::urlOfMarkKey(std::string_view key) {
  return reversedByCharacter(toWide(std::string(key), kCodePageAnsi));
}

UrlMarks LibraryStore::readMarks(std::u16string_view url) const {
  const std::string key = markKey(url);
  if (key.empty()) return {};
  auto value = marks_.Get(key);
  if (!value) return {};
  return UrlMarks::decode(*value).value_or(UrlMarks{});
}

bool LibraryStore::writeMarks(std::u16string_view url, const UrlMarks& marks) {
  const std::string key = markKey(url);
  return !key.empty() && marks_.Put(key, marks.encode());
}

std::optional<uint32_t> LibraryStore::recordIdFor(std::u16string_view url) {
  if (readOnly_) return std::nullopt;
  UrlMarks marks = readMarks(url);
  if (marks.recordId != 0) return marks.recordId;
  auto id = allocateRecordId();
  if (!id) return std::nullopt;
  marks.recordId = *id;
  if (!writeMarks(url, marks)) return std::nullopt;
  return id;
}

std::optional<uint32_t> LibraryStore::allocateRecordId() {
  std::lock_guard<std::mutex> lock(allocationMutex_);
  const auto counterPath = directory_ / kRecordIdFileName;
  uint32_t last = 0;
  {
    File counter = File::open(counterPath, File::Access::Read);
    uint8_t bytes[4];
    if (counter.isOpen() && counter.readExactlyAt(0, bytes, 4)) last = loadLe32(bytes);
  }
  uint32_t candidate = last;
  do {
    candidate = candidate == UINT32_MAX ? 1 : candidate + 1;
    if (candidate == last) return std::nullopt;  // every id is in use
  } while (std::filesystem::exists(contentPath(candidate)));
  File counter = File::open(counterPath, File::Access::ReadWrite, File::Disposition::OpenAlways);
  uint8_t bytes[4];
  storeLe32(bytes, candidate);
  if (!counter.isOpen() || !counter.writeAt(0, bytes, 4)) return std::nullopt;
  return candidate;
}

std::filesystem::path LibraryStore::contentPath(uint32_t recordId) const {
  char name[16];
  char folder[4];
  std::snprintf(name, sizeof name, "%08x.zdoc", recordId);
  std::snprintf(folder, sizeof folder, "%02x", recordId & 0xFF);
  return directory_ / kContentDirectoryName / folder / name;
}

std::optional<std::filesystem::path> LibraryStore::prepareContentPath(uint32_t recordId) const {
  if (readOnly_ || recordId == 0) return std::nullopt;
  auto path = contentPath(recordId);
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  if (error) return std::nullopt;
  return path;
}

std::optional<SourceResult> LibraryStore::readRecord(uint32_t recordId) const {
  if (recordId == 0) return std::nullopt;
  auto file = ContentFile::openForReading(contentPath(recordId));
  SourceResultRecord record;
  if (!record.ReadFrom(file)) return std::nullopt;
  return record.result;
}

std::optional<SourceResult> LibraryStore::readRecord(std::u16string_view url) const {
  return readRecord(readMarks(url).recordId);
}

bool LibraryStore::holdsRecord(std::u16string_view url) const { return readRecord(url).has_value(); }

}  // namespace brambel
