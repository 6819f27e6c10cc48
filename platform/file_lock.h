#pragma once

#include <chrono>
#include <filesystem>
#include <optional>

#include "platform/file.h"

namespace brambel {

// Writers of a file exclude each other with an exclusive open-file-description
// lock (fcntl F_OFD_SETLK) over the whole file. Such locks belong to the open
// file, so two opens in one process exclude each other just as two processes
// do. Readers take no lock and are never blocked.

enum class LockResult { Acquired, Busy, Failed };

// Tries once to take the exclusive lock on a file opened for writing.
LockResult tryLockExclusive(const File& file);

// Opens `path` for reading and writing and takes its writer lock. While
// another writer holds the lock it retries every millisecond, giving up when
// `limit` has passed (no limit when empty). Any other failure (missing file
// under OpenExisting, no permission) ends at once. The result is not open on
// failure. The lock is released when the returned File is closed. The file
// returned is the one `path` names once the lock is held, even when the
// previous holder renamed another file over it.
File openWriter(const std::filesystem::path& path, std::optional<std::chrono::milliseconds> limit,
                File::Disposition disposition = File::Disposition::OpenExisting);

}  // namespace brambel
