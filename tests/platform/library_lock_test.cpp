// The library's one-writer lock and the PID file that names its holder.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/library_lock.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using testing::TempDir;
using testing::readFileBytes;

TEST(LibraryLock, OneHolderAtATimeAndThePidFileNamesIt) {
  TempDir dir;
  LibraryLock first;
  ASSERT_EQ(first.Acquire(dir.path()), LibraryLock::Result::Acquired);
  const ProcessIdentity me = currentProcessIdentity();
  // UTF-16LE "computer/user/pid", no byte-order mark, no terminator.
  std::string expected;
  for (char c : me.computer + "/" + me.user + "/" + std::to_string(getpid())) expected += std::string{c, '\0'};
  EXPECT_EQ(readFileBytes(dir.file(LibraryLock::kPidFileName)), expected);
  EXPECT_EQ(LibraryLock::ReadHolder(dir.path()), me);

  // Another open of the lock file, in this process or another, is refused.
  LibraryLock second;
  EXPECT_EQ(second.Acquire(dir.path()), LibraryLock::Result::HeldByOther);
  pid_t child = fork();
  if (child == 0) {
    LibraryLock other;
    _exit(other.Acquire(dir.path()) == LibraryLock::Result::HeldByOther ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);

  first.Release();
  EXPECT_FALSE(std::filesystem::exists(dir.file(LibraryLock::kLockFileName)));
  EXPECT_FALSE(std::filesystem::exists(dir.file(LibraryLock::kPidFileName)));
  EXPECT_EQ(second.Acquire(dir.path()), LibraryLock::Result::Acquired);
}

TEST(LibraryLock, ALockFileLeftByAKilledProcessIsTakenAgain) {
  TempDir dir;
  pid_t child = fork();
  if (child == 0) {
    LibraryLock lock;
    if (lock.Acquire(dir.path()) != LibraryLock::Result::Acquired) _exit(1);
    kill(getpid(), SIGKILL);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  ASSERT_TRUE(std::filesystem::exists(dir.file(LibraryLock::kLockFileName)));
  EXPECT_EQ(LibraryLock::ReadHolder(dir.path())->processId, child);

  LibraryLock lock;
  EXPECT_EQ(lock.Acquire(dir.path()), LibraryLock::Result::Acquired);
  EXPECT_EQ(LibraryLock::ReadHolder(dir.path())->processId, getpid());
}

TEST(LibraryLock, MissingDirectoryFailsAndBadPidFilesNameNobody) {
  TempDir dir;
  LibraryLock lock;
  EXPECT_EQ(lock.Acquire(dir.file("absent")), LibraryLock::Result::Failed);
  EXPECT_FALSE(lock.isHeld());

  auto utf16 = [](std::string text) {
    std::string bytes;
    for (char c : text) bytes += std::string{c, '\0'};
    return bytes;
  };
  EXPECT_EQ(LibraryLock::DecodePidText(utf16("host/user/42"))->processId, 42);
  EXPECT_FALSE(LibraryLock::DecodePidText(utf16("host/user")));
  EXPECT_FALSE(LibraryLock::DecodePidText(utf16("host/user/4x2")));
  EXPECT_FALSE(LibraryLock::DecodePidText(utf16("host/user/")));
  EXPECT_FALSE(LibraryLock::DecodePidText(utf16("host/user/42") + std::string(1, '\0')));  // odd length
  EXPECT_FALSE(LibraryLock::DecodePidText(utf16("h/u/" + std::string(600, '1'))));  // 1024 bytes or more
  // A byte-order mark is no part of the form.
  dir.write(LibraryLock::kPidFileName, "\xff\xfe" + utf16("h/u/1"));
  EXPECT_FALSE(LibraryLock::ReadHolder(dir.path()));
}

}  // namespace
}  // namespace brambel
