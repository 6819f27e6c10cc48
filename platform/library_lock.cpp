#include "platform/library_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>

#include "platform/file_lock.h"

namespace brambel {

namespace {

// A holder releasing at the same moment can make the locked file vanish from
// under us; a few attempts settle that race.
constexpr int kAttempts = 16;

bool namesSameFile(const File& file, const std::filesystem::path& path) {
  struct stat opened {}, named {};
  if (fstat(file.descriptor(), &opened) != 0 || stat(path.c_str(), &named) != 0) return false;
  return opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

bool writeWholeFile(const std::filesystem::path& path, const std::string& bytes) {
  int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (descriptor < 0) return false;
  File file(descriptor);
  return file.writeAt(0, bytes.data(), bytes.size());
}

}  // namespace

LibraryLock::Result LibraryLock::Acquire(const std::filesystem::path& libraryDirectory) {
  Release();
  const std::filesystem::path lockPath = libraryDirectory / kLockFileName;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    int descriptor = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (descriptor < 0) return Result::Failed;
    File file(descriptor);
    switch (tryLockExclusive(file)) {
      case LockResult::Busy:
        return Result::HeldByOther;
      case LockResult::Failed:
        return Result::Failed;
      case LockResult::Acquired:
        break;
    }
    if (!namesSameFile(file, lockPath)) continue;
    directory_ = libraryDirectory;
    lockFile_ = std::move(file);
    // The PID file only helps another instance find this one; the lock
    // holds without it.
    writeWholeFile(libraryDirectory / kPidFileName, EncodePidText(currentProcessIdentity()));
    return Result::Acquired;
  }
  return Result::Failed;
}

void LibraryLock::Release() {
  if (!lockFile_.isOpen()) return;
  // Deleted while still locked, so no other process can take this file's
  // lock and then see its PID file vanish.
  std::error_code ignored;
  std::filesystem::remove(directory_ / kPidFileName, ignored);
  std::filesystem::remove(directory_ / kLockFileName, ignored);
  lockFile_.close();
  directory_.clear();
}

std::string LibraryLock::EncodePidText(const ProcessIdentity& identity) {
  const std::string text = identity.computer + "/" + identity.user + "/" + std::to_string(identity.processId);
  std::string bytes;
  bytes.reserve(text.size() * 2);
  // Host and user names are ASCII here; any other byte is kept as one unit.
  for (unsigned char c : text) {
    bytes.push_back(static_cast<char>(c));
    bytes.push_back('\0');
  }
  return bytes;
}

std::optional<ProcessIdentity> LibraryLock::DecodePidText(const std::string& bytes) {
  if (bytes.size() >= kPidFileLimit || bytes.size() % 2 != 0) return std::nullopt;
  std::string text;
  for (size_t i = 0; i < bytes.size(); i += 2) {
    const unsigned unit = static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
    if (unit == 0 || unit > 0xFF) return std::nullopt;
    text.push_back(static_cast<char>(unit));
  }
  const size_t first = text.find('/');
  const size_t second = first == std::string::npos ? first : text.find('/', first + 1);
  if (second == std::string::npos) return std::nullopt;
  ProcessIdentity identity;
  identity.computer = text.substr(0, first);
  identity.user = text.substr(first + 1, second - first - 1);
  const char* begin = text.data() + second + 1;
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(begin, end, identity.processId);
  if (error != std::errc() || stop != end || begin == end) return std::nullopt;
  return identity;
}

std::optional<ProcessIdentity> LibraryLock::ReadHolder(const std::filesystem::path& libraryDirectory) {
  File file = File::open(libraryDirectory / kPidFileName, File::Access::Read);
  if (!file.isOpen()) return std::nullopt;
  std::string bytes(kPidFileLimit, '\0');
  const int64_t read = file.readAt(0, bytes.data(), bytes.size());
  if (read < 0) return std::nullopt;
  bytes.resize(static_cast<size_t>(read));
  return DecodePidText(bytes);
}

}  // namespace brambel
