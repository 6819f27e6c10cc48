#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace brambel {

File::~File() { close(); }

File::File(File&& other) noexcept : descriptor_(other.descriptor_) { other.descriptor_ = -1; }

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    descriptor_ = other.descriptor_;
    other.descriptor_ = -1;
  }
  return *this;
}

File File::open(const std::filesystem::path& path, Access access, Disposition disposition, int* error) {
  int flags = O_CLOEXEC | (access == Access::Read ? O_RDONLY : O_RDWR);
  if (disposition == Disposition::OpenAlways) flags |= O_CREAT;
  int descriptor;
  do {
    descriptor = ::open(path.c_str(), flags, 0644);
  } while (descriptor < 0 && errno == EINTR);
  if (descriptor < 0) {
    if (error) *error = errno;
    return File();
  }
  // Directories open read-only but are not files to read records from.
  struct stat status;
  if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
    if (error) *error = EISDIR;
    ::close(descriptor);
    return File();
  }
  if (error) *error = 0;
  return File(descriptor);
}

void File::close() {
  if (descriptor_ >= 0) {
    ::close(descriptor_);
    descriptor_ = -1;
  }
}

int64_t File::readAt(uint64_t position, void* bytes, size_t length) const {
  auto* at = static_cast<char*>(bytes);
  size_t done = 0;
  while (done < length) {
    ssize_t got = ::pread(descriptor_, at + done, length - done, static_cast<off_t>(position + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return static_cast<int64_t>(done);
}

bool File::readExactlyAt(uint64_t position, void* bytes, size_t length) const {
  return readAt(position, bytes, length) == static_cast<int64_t>(length);
}

bool File::readSettledAt(uint64_t position, void* bytes, size_t length) const {
  constexpr int kAttempts = 8;
  if (!readExactlyAt(position, bytes, length)) return false;
  std::vector<char> again(length);
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (!readExactlyAt(position, again.data(), length)) return false;
    if (std::memcmp(again.data(), bytes, length) == 0) return true;
    std::memcpy(bytes, again.data(), length);
  }
  return false;
}

bool File::writeAt(uint64_t position, const void* bytes, size_t length) const {
  const auto* at = static_cast<const char*>(bytes);
  size_t done = 0;
  while (done < length) {
    ssize_t put = ::pwrite(descriptor_, at + done, length - done, static_cast<off_t>(position + done));
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (put == 0) return false;
    done += static_cast<size_t>(put);
  }
  return true;
}

std::optional<uint64_t> File::size() const {
  struct stat status;
  if (fstat(descriptor_, &status) != 0) return std::nullopt;
  return static_cast<uint64_t>(status.st_size);
}

std::optional<File::Identity> File::identity() const {
  struct stat status;
  if (fstat(descriptor_, &status) != 0) return std::nullopt;
  return Identity{static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
}

std::optional<File::Identity> File::identityOf(const std::filesystem::path& path) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return Identity{static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
}

bool File::sync() const { return ::fdatasync(descriptor_) == 0; }

bool syncParentDirectory(const std::filesystem::path& path) {
  std::filesystem::path parent = path.parent_path();
  if (parent.empty()) parent = ".";
  int descriptor = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return false;
  bool synced = ::fsync(descriptor) == 0;
  ::close(descriptor);
  return synced;
}

}  // namespace brambel
