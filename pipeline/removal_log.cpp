#include "pipeline/removal_log.h"

#include <cerrno>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

#include "index/document_removal.h"
#include "platform/thread_priority.h"
#include "store/index_file.h"
#include "store/little_endian.h"

namespace brambel {

namespace {

uint32_t readU32(std::string_view bytes, size_t at) {
  return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) |
         static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24;
}

void appendU32(std::string& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((value >> shift) & 0xff));
}

std::optional<std::string> readWhole(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

}  // namespace

RemovalFileContents parseRemovalFile(std::string_view bytes) {
  RemovalFileContents contents;
  size_t entriesEnd = bytes.size() - bytes.size() % 4;
  if (entriesEnd >= RemovalFileContents::kTrailerSize) {
    const size_t trailer = entriesEnd - RemovalFileContents::kTrailerSize;
    if (readU32(bytes, trailer) == 0) {
      contents.hasTrailer = true;
      contents.progress = readU32(bytes, trailer + 4);
      contents.stamp = uint64_t{readU32(bytes, trailer + 8)} | uint64_t{readU32(bytes, trailer + 12)} << 32;
      entriesEnd = trailer;
    }
  }
  contents.ids.reserve(entriesEnd / 4);
  for (size_t at = 0; at < entriesEnd; at += 4) {
    const uint32_t id = readU32(bytes, at);
    if (id != 0) contents.ids.push_back(id);
  }
  if (contents.progress > contents.ids.size()) contents.progress = static_cast<uint32_t>(contents.ids.size());
  return contents;
}

std::string encodeRemovalTrailer(uint32_t progress, uint64_t stamp) {
  std::string trailer;
  appendU32(trailer, 0);
  appendU32(trailer, progress);
  appendU32(trailer, static_cast<uint32_t>(stamp));
  appendU32(trailer, static_cast<uint32_t>(stamp >> 32));
  return trailer;
}

RemovalLog::RemovalLog(std::filesystem::path directory, IndexFile* index, Hooks hooks)
    : directory_(std::move(directory)), index_(index), hooks_(std::move(hooks)) {
  // Ids waiting in either file are still in the index.
  for (const char* name : {kFileName, kProcessFileName})
    if (std::optional<std::string> bytes = readWhole(directory_ / name))
      for (uint32_t id : parseRemovalFile(*bytes).ids) pending_.insert(id);
}

RemovalLog::~RemovalLog() { stop(); }

bool RemovalLog::append(uint32_t recordId) {
  std::lock_guard lock(mutex_);
  const std::filesystem::path path = directory_ / kFileName;
  std::error_code error;
  uint64_t size = std::filesystem::exists(path, error) ? std::filesystem::file_size(path, error) : 0;
  if (error) size = 0;
  std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out | std::ios::app);
  if (!file) file.open(path, std::ios::binary | std::ios::out | std::ios::app);
  std::string entry;
  appendU32(entry, recordId);
  // An entry cut short by a crash is overwritten, not followed.
  if (size % 4 != 0) std::filesystem::resize_file(path, size - size % 4, error);
  if (!file || !file.write(entry.data(), 4) || !file.flush()) {
    report(u"Cant open removal file");
    return false;
  }
  file.close();
  pending_.insert(recordId);
  if (size - size % 4 + 4 > kPassThreshold && !passRunning_.load() && moveForPass()) launchPass();
  return true;
}

void RemovalLog::startPass(bool evenIfSmall) {
  std::lock_guard lock(mutex_);
  if (passRunning_.load()) return;
  std::error_code error;
  if (std::filesystem::exists(directory_ / kProcessFileName, error)) {
    launchPass();
    return;
  }
  if (evenIfSmall && std::filesystem::file_size(directory_ / kFileName, error) >= 4 && !error && moveForPass())
    launchPass();
}

bool RemovalLog::moveForPass() {
  std::error_code error;
  if (std::filesystem::exists(directory_ / kProcessFileName, error)) return false;
  std::filesystem::rename(directory_ / kFileName, directory_ / kProcessFileName, error);
  return !error;
}

void RemovalLog::launchPass() {
  if (pass_.joinable()) pass_.join();
  stopping_ = false;
  passRunning_ = true;
  pass_ = std::thread([this] { runPass(); });
}

void RemovalLog::stop() {
  stopping_ = true;
  waitForPass();
}

void RemovalLog::waitForPass() {
  std::thread pass;
  {
    std::lock_guard lock(mutex_);
    pass.swap(pass_);
  }
  if (pass.joinable()) pass.join();
}

std::unordered_set<uint32_t> RemovalLog::pending() const {
  std::lock_guard lock(mutex_);
  return pending_;
}

void RemovalLog::runPass() {
  setCurrentThreadPriority(ThreadPriority::kLowest);
  try {
    const std::filesystem::path path = directory_ / kProcessFileName;
    std::optional<std::string> bytes = readWhole(path);
    if (!bytes) {
      const std::string code = std::to_string(errno);
      report(u"An Error occured! Code: " + std::u16string(code.begin(), code.end()));
      passRunning_ = false;
      return;
    }
    RemovalFileContents contents = parseRemovalFile(*bytes);
    const uint64_t stampBefore = hooks_.changeStamp ? hooks_.changeStamp() : 0;
    uint32_t progress = contents.progress;
    if (index_ && !stopping_.load() && progress < contents.ids.size()) {
      DocumentIdSet removed(contents.ids.begin() + progress, contents.ids.end());
      // One write session for the whole set: the index is walked once.
      if (RemoveDocuments(*index_, removed)) progress = static_cast<uint32_t>(contents.ids.size());
    }
    const uint64_t stampAfter = hooks_.changeStamp ? hooks_.changeStamp() : 0;
    if (progress == contents.ids.size()) {
      std::lock_guard lock(mutex_);
      for (uint32_t id : contents.ids) pending_.erase(id);
      std::error_code error;
      std::filesystem::remove(path, error);
    } else {
      std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
      const uint64_t entriesEnd = bytes->size() - bytes->size() % 4 -
                                  (contents.hasTrailer ? RemovalFileContents::kTrailerSize : 0);
      file.seekp(static_cast<std::streamoff>(entriesEnd));
      const std::string trailer = encodeRemovalTrailer(stampAfter == stampBefore ? progress : 0, stampAfter);
      file.write(trailer.data(), static_cast<std::streamsize>(trailer.size()));
    }
  } catch (const std::exception&) {
    // The file stays for the next pass.
  }
  passRunning_ = false;
}

void RemovalLog::report(const std::u16string& text) {
  if (hooks_.message) hooks_.message(text);
}

}  // namespace brambel
