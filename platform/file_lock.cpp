#include "platform/file_lock.h"

#include <fcntl.h>

#include <cerrno>
#include <thread>

namespace brambel {

LockResult tryLockExclusive(const File& file) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;  // the whole file, however far it grows
  while (fcntl(file.descriptor(), F_OFD_SETLK, &lock) != 0) {
    if (errno == EINTR) continue;
    return (errno == EAGAIN || errno == EACCES) ? LockResult::Busy : LockResult::Failed;
  }
  return LockResult::Acquired;
}

namespace {

// Whether `path` still names the file open in `file`.
bool stillNamed(const std::filesystem::path& path, const File& file) {
  auto named = File::identityOf(path);
  return named && named == file.identity();
}

}  // namespace

File openWriter(const std::filesystem::path& path, std::optional<std::chrono::milliseconds> limit,
                File::Disposition disposition) {
  const auto start = std::chrono::steady_clock::now();
  File file = File::open(path, File::Access::ReadWrite, disposition);
  if (!file.isOpen()) return File();
  for (;;) {
    switch (tryLockExclusive(file)) {
      case LockResult::Acquired:
        // The holder may have renamed another file over the name (an index
        // replaced by its compact copy): the lock then guards a file nobody
        // opens any more, so start again on the one the name now gives.
        if (stillNamed(path, file)) return file;
        file = File::open(path, File::Access::ReadWrite, disposition);
        if (!file.isOpen()) return File();
        continue;
      case LockResult::Failed:
        return File();
      case LockResult::Busy:
        break;
    }
    if (limit && std::chrono::steady_clock::now() - start >= *limit) return File();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace brambel
