#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/file.h"
#include "platform/process_identity.h"

namespace brambel {

// The one-writer lock of a library directory.
//
// The lock file "main__index.lock" carries an exclusive open-file-description
// lock for as long as the library is open for writing; the kernel drops it
// when the process ends, so a lock file left behind by a killed process is
// simply taken again. Beside it, "main__index.lock.pid" names the holder:
// computer "/" user "/" process id in decimal, UTF-16LE, no byte order mark,
// no terminator.
//
// Release deletes both files. A process that opened the lock file just before
// the holder deleted it would otherwise lock a file no longer in the
// directory while a third process creates and locks a new one; so a lock only
// counts once the locked file is still the one the directory names.
class LibraryLock {
 public:
  static constexpr char kLockFileName[] = "main__index.lock";
  static constexpr char kPidFileName[] = "main__index.lock.pid";
  // A PID file this large or larger is not read.
  static constexpr size_t kPidFileLimit = 1024;

  enum class Result {
    Acquired,
    HeldByOther,  // another process writes to the library
    Failed,       // the lock file cannot be opened (no such directory, no permission)
  };

  LibraryLock() = default;
  ~LibraryLock() { Release(); }
  LibraryLock(const LibraryLock&) = delete;
  LibraryLock& operator=(const LibraryLock&) = delete;

  // Releases a lock still held, then takes the lock of `libraryDirectory` and
  // writes the PID file. Never blocks.
  Result Acquire(const std::filesystem::path& libraryDirectory);
  // Deletes the PID and lock files and lets the lock go. Does nothing when
  // no lock is held.
  void Release();
  bool isHeld() const { return lockFile_.isOpen(); }

  // The holder named by the PID file of `libraryDirectory`; nothing when the
  // file is missing, too large or not of the form computer/user/id.
  static std::optional<ProcessIdentity> ReadHolder(const std::filesystem::path& libraryDirectory);
  // The PID file's bytes for `identity`, and back.
  static std::string EncodePidText(const ProcessIdentity& identity);
  static std::optional<ProcessIdentity> DecodePidText(const std::string& bytes);

 private:
  std::filesystem::path directory_;
  File lockFile_;
};

}  // namespace brambel
