#include "store/source_index.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "platform/file.h"
#include "store/archive_collections.h"
#include "store/little_endian.h"

namespace brambel {

namespace {

constexpr char16_t kIdFilePrefix[] = u"src_";
constexpr char16_t kIdFileSuffix[] = u".dat";
constexpr char kTemporarySuffix[] = ".tmp";
// A tick count that names no free file after this many tries means the
// directory is unusable, not crowded.
constexpr int kNameAttempts = 1000;

std::string narrow(std::u16string_view text) { return std::string(text.begin(), text.end()); }

// "src_" digits ".dat": the only names index.dat may point at, so a damaged
// map can never make the index read or write outside its directory.
bool isIdFileName(std::u16string_view name) {
  const std::u16string_view prefix = kIdFilePrefix, suffix = kIdFileSuffix;
  if (name.size() <= prefix.size() + suffix.size() || !name.starts_with(prefix) || !name.ends_with(suffix)) {
    return false;
  }
  const auto digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  return std::all_of(digits.begin(), digits.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

std::optional<std::string> readWholeFile(const std::filesystem::path& path) {
  File file = File::open(path, File::Access::Read);
  auto size = file.size();
  if (!file.isOpen() || !size) return std::nullopt;
  std::string bytes(static_cast<size_t>(*size), '\0');
  if (!file.readExactlyAt(0, bytes.data(), bytes.size())) return std::nullopt;
  return bytes;
}

// Writes `bytes` to a temporary file beside `path`, makes it durable and
// renames it over `path`.
bool replaceFile(const std::filesystem::path& path, std::string_view bytes) {
  std::filesystem::path temporary = path;
  temporary += kTemporarySuffix;
  const int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (descriptor < 0) return false;
  File file(descriptor);
  if (!file.writeAt(0, bytes.data(), bytes.size()) || !file.sync()) {
    file.close();
    std::filesystem::remove(temporary);
    return false;
  }
  file.close();
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    return false;
  }
  syncParentDirectory(path);
  return true;
}

}  // namespace

SourceIndex::SourceIndex(std::filesystem::path libraryDirectory)
    : directory_(std::move(libraryDirectory) / kDirectoryName) {}

bool SourceIndex::load() {
  std::lock_guard<std::mutex> lock(mutex_);
  sources_.clear();
  auto mapBytes = readWholeFile(directory_ / kMapFileName);
  if (!mapBytes) return false;
  ArchiveReader reader(*mapBytes);
  auto map = readStringMap(reader);
  if (!map) return false;
  for (auto& [key, fileName] : *map) {
    Source& source = sources_[key];
    if (!isIdFileName(fileName)) {
      source.changed = true;  // gets a proper id file when saved
      continue;
    }
    source.fileName = fileName;
    auto ids = readWholeFile(directory_ / narrow(fileName));
    if (!ids) continue;
    const size_t count = ids->size() / 4;
    source.ids.reserve(count);
    for (size_t i = 0; i < count; ++i) source.ids.insert(loadLe32(ids->data() + 4 * i));
  }
  return true;
}

bool SourceIndex::add(const std::u16string& sourceKey, uint32_t documentId) {
  std::lock_guard<std::mutex> lock(mutex_);
  Source& source = sources_[sourceKey];
  if (!source.ids.insert(documentId).second) return false;
  source.changed = true;
  return true;
}

bool SourceIndex::contains(const std::u16string& sourceKey, uint32_t documentId) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = sources_.find(sourceKey);
  return it != sources_.end() && it->second.ids.contains(documentId);
}

std::vector<uint32_t> SourceIndex::documentsOf(const std::u16string& sourceKey) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = sources_.find(sourceKey);
  if (it == sources_.end()) return {};
  std::vector<uint32_t> ids(it->second.ids.begin(), it->second.ids.end());
  std::sort(ids.begin(), ids.end());
  return ids;
}

std::vector<std::u16string> SourceIndex::sourceKeys() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::u16string> keys;
  for (const auto& entry : sources_) keys.push_back(entry.first);
  return keys;
}

std::u16string SourceIndex::newIdFileName() {
  auto tick = static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count());
  for (int attempt = 0; attempt < kNameAttempts; ++attempt, ++tick) {
    const std::string name = "src_" + std::to_string(tick) + ".dat";
    // Made new, never over an existing file; another tick is tried when taken.
    const int descriptor = ::open((directory_ / name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (descriptor >= 0) {
      File(descriptor).close();
      return std::u16string(name.begin(), name.end());
    }
    if (errno != EEXIST) return {};
  }
  return {};
}

bool SourceIndex::saveSourceLocked(Source& source, bool& mapChanged) {
  if (source.fileName.empty()) {
    source.fileName = newIdFileName();
    if (source.fileName.empty()) return false;
    mapChanged = true;
  }
  std::vector<uint32_t> ids(source.ids.begin(), source.ids.end());
  std::sort(ids.begin(), ids.end());
  std::string bytes;
  bytes.reserve(ids.size() * 4);
  for (uint32_t id : ids) appendLe32(bytes, id);
  if (!replaceFile(directory_ / narrow(source.fileName), bytes)) return false;
  source.changed = false;
  return true;
}

bool SourceIndex::saveMapLocked() {
  std::map<std::u16string, std::u16string> map;
  for (const auto& [key, source] : sources_) map[key] = source.fileName;
  ArchiveWriter writer;
  writeStringMap(writer, map);
  return replaceFile(directory_ / kMapFileName, writer.bytes());
}

bool SourceIndex::saveSource(const std::u16string& sourceKey) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = sources_.find(sourceKey);
  if (it == sources_.end()) return false;
  std::error_code error;
  std::filesystem::create_directories(directory_, error);
  bool mapChanged = false;
  if (!saveSourceLocked(it->second, mapChanged)) return false;
  return !mapChanged || saveMapLocked();
}

bool SourceIndex::save() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::error_code error;
  std::filesystem::create_directories(directory_, error);
  bool mapChanged = false;
  bool allSaved = true;
  for (auto& entry : sources_) {
    if (entry.second.changed || entry.second.fileName.empty()) allSaved &= saveSourceLocked(entry.second, mapChanged);
  }
  return saveMapLocked() && allSaved;
}

}  // namespace brambel
