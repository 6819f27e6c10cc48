// Positioned file transfers, the writer lock between opens and processes,
// and the volume queries.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "platform/file.h"
#include "platform/file_lock.h"
#include "platform/volume.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using namespace std::chrono_literals;
using testing::TempDir;

TEST(File, PositionedTransfersLeaveNoSharedSeekPosition) {
  TempDir dir;
  auto path = dir.write("data.bin", "0123456789");
  File file = File::open(path, File::Access::ReadWrite);
  ASSERT_TRUE(file.isOpen());
  ASSERT_TRUE(file.writeAt(3, "abc", 3));
  ASSERT_TRUE(file.writeAt(12, "z", 1));  // beyond the end: a zero gap
  char bytes[13];
  EXPECT_TRUE(file.readExactlyAt(0, bytes, 13));
  EXPECT_EQ(std::string(bytes, 13), std::string("012abc6789\0\0z", 13));
  EXPECT_EQ(file.readAt(10, bytes, 10), 3);
  EXPECT_FALSE(file.readExactlyAt(10, bytes, 4));  // short
  EXPECT_TRUE(file.readSettledAt(2, bytes, 4));
  EXPECT_EQ(std::string(bytes, 4), "2abc");
  EXPECT_EQ(file.size(), 13u);
  // Writing keeps the identity; a file renamed over the name has another.
  auto before = file.identity();
  ASSERT_TRUE(file.writeAt(13, "y", 1));
  EXPECT_EQ(file.identity(), before);
  auto other = dir.write("other.bin", "x");
  std::filesystem::rename(other, path);
  EXPECT_NE(File::open(path, File::Access::Read).identity(), before);
  EXPECT_TRUE(file.sync());
  EXPECT_TRUE(syncParentDirectory(path));
}

TEST(File, OpeningFollowsTheDispositionAndRefusesDirectories) {
  TempDir dir;
  int error = 0;
  EXPECT_FALSE(File::open(dir.file("missing"), File::Access::Read, File::Disposition::OpenExisting, &error).isOpen());
  EXPECT_EQ(error, ENOENT);
  EXPECT_TRUE(File::open(dir.file("made"), File::Access::ReadWrite, File::Disposition::OpenAlways).isOpen());
  EXPECT_TRUE(std::filesystem::exists(dir.file("made")));
  EXPECT_FALSE(File::open(dir.path(), File::Access::Read).isOpen());
  File readOnly = File::open(dir.file("made"), File::Access::Read);
  EXPECT_FALSE(readOnly.writeAt(0, "x", 1));
  File moved = std::move(readOnly);
  EXPECT_TRUE(moved.isOpen());
  EXPECT_FALSE(readOnly.isOpen());
}

TEST(WriterLock, TwoOpensOfOneFileExcludeEachOtherUntilTheFirstCloses) {
  TempDir dir;
  auto path = dir.write("locked", "");
  File first = openWriter(path, 0ms);
  ASSERT_TRUE(first.isOpen());
  File other = File::open(path, File::Access::ReadWrite);
  EXPECT_EQ(tryLockExclusive(other), LockResult::Busy);
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(openWriter(path, 30ms).isOpen());
  EXPECT_GE(std::chrono::steady_clock::now() - start, 30ms);
  // Readers take no lock and are never refused.
  EXPECT_TRUE(File::open(path, File::Access::Read).isOpen());
  first.close();
  EXPECT_EQ(tryLockExclusive(other), LockResult::Acquired);
  // A missing file ends the wait at once under OpenExisting.
  start = std::chrono::steady_clock::now();
  EXPECT_FALSE(openWriter(dir.file("absent"), std::nullopt).isOpen());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  EXPECT_TRUE(openWriter(dir.file("absent"), 0ms, File::Disposition::OpenAlways).isOpen());
}

TEST(WriterLock, AWaitingWriterGetsTheLockWhenAnotherProcessLetsGo) {
  TempDir dir;
  auto path = dir.write("shared", "");
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t child = fork();
  if (child == 0) {
    File held = openWriter(path, 0ms);
    char byte = held.isOpen() ? 1 : 0;
    if (write(ready[1], &byte, 1) != 1) _exit(2);
    std::this_thread::sleep_for(150ms);
    _exit(0);  // the lock goes with the process
  }
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  ASSERT_EQ(byte, 1);
  EXPECT_FALSE(openWriter(path, 20ms).isOpen());
  File waited = openWriter(path, 5000ms);
  EXPECT_TRUE(waited.isOpen());
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  close(ready[0]);
  close(ready[1]);
}

// The holder renames another file over the name before it lets go: the
// waiter ends up holding the lock of the file the name now gives.
TEST(WriterLock, AWaiterFollowsAFileRenamedOverTheName) {
  TempDir dir;
  auto path = dir.write("index", "old");
  File holder = openWriter(path, std::chrono::milliseconds(0));
  ASSERT_TRUE(holder.isOpen());
  File waiter;
  std::thread waiting([&] { waiter = openWriter(path, std::chrono::milliseconds(5000)); });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::filesystem::rename(dir.write("copy", "new"), path);
  holder.close();
  waiting.join();
  ASSERT_TRUE(waiter.isOpen());
  EXPECT_EQ(waiter.identity(), File::identityOf(path));
  char bytes[3];
  ASSERT_TRUE(waiter.readExactlyAt(0, bytes, 3));
  EXPECT_EQ(std::string(bytes, 3), "new");
}

TEST(Volume, GeometryAndFreeSpaceOfTheTemporaryFolder) {
  TempDir dir;
  auto geometry = queryVolumeGeometry(dir.file("not/yet/there.zidx"));
  ASSERT_TRUE(geometry);
  EXPECT_GE(geometry->clusterSize, 512u);
  EXPECT_EQ(geometry->clusterSize & (geometry->clusterSize - 1), 0u);
  EXPECT_EQ(geometry->sectorSize, 512u);
  auto free = freeSpaceFor(dir.path());
  ASSERT_TRUE(free);
  EXPECT_GT(*free, 0u);
}

}  // namespace
}  // namespace brambel
