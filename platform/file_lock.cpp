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

File openWriter(const std::filesystem::path& path, std::optional<std::chrono::milliseconds> limit,
                File::Disposition disposition) {
  const auto start = std::chrono::steady_clock::now();
  File file = File::open(path, File::Access::ReadWrite, disposition);
  if (!file.isOpen()) return File();
  for (;;) {
    switch (tryLockExclusive(file)) {
      case LockResult::Acquired:
        return file;
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
