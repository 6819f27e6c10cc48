// The block cache: append blocks, block bounds, counters, eviction by
// priority, write-back, cache sizing and the read-ahead below the root.
#include <gtest/gtest.h>

#include "platform/file.h"
#include "store/cached_file_io.h"
#include "store/index_file.h"
#include "store/index_session.h"
#include "store/little_endian.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using testing::TempDir;
using testing::readFileBytes;

constexpr uint32_t kBlock = 4096;
const NodeGeometry kNodes{51, 12};

class CachedFileIoTest : public ::testing::Test {
 protected:
  CachedFileIoTest() : path_(dir_.write("cache.zidx", std::string(40, '\0'))) {
    handle_ = File::open(path_, File::Access::ReadWrite);
  }

  std::unique_ptr<CachedFileIo> makeIo(uint64_t cacheBytes) {
    auto io = std::make_unique<CachedFileIo>(path_, 0, kBlock, 512, kNodes);
    EXPECT_TRUE(io->setCacheSize(cacheBytes));
    io->attach(handle_, true, version());
    return io;
  }

  SectionVersion version() const { return SectionVersion{*handle_.identity(), 0, *handle_.size()}; }

  // A term record of `units` suffix units: 24 + 2·units bytes.
  static TermRecord recordOf(size_t units, char16_t fill = u'q') {
    TermRecord record;
    record.firstIdBlock = RecordAddress::inBlock(0, 8);  // a record always names its postings
    record.firstBlockCapacity = 3;
    record.suffix.assign(units, fill);
    return record;
  }

  TempDir dir_;
  std::filesystem::path path_;
  File handle_;
};

TEST_F(CachedFileIoTest, RecordsPackIntoBlocksAndANewBlockStartsAtOffsetZero) {
  auto io = makeIo(1 << 20);
  EXPECT_EQ(io->firstBlockPosition(), 4096u);
  TermRecord first = recordOf(1000);  // 2024 bytes
  TermRecord second = recordOf(1000);
  TermRecord third = recordOf(100);   // 224 bytes: no room left after 4048
  EXPECT_EQ(io->writeTermRecord(handle_, first), RecordAddress::inBlock(0, 0));
  EXPECT_EQ(io->writeTermRecord(handle_, second), RecordAddress::inBlock(0, 2024));
  EXPECT_EQ(io->writeTermRecord(handle_, third), RecordAddress::inBlock(1, 0));
  // A record as large as a block fits an empty one.
  IdBlock whole((kBlock - 32) / 8, true);
  EXPECT_EQ(io->writeIdBlock(handle_, whole), RecordAddress::inBlock(2, 0));
  ASSERT_TRUE(io->readIdBlock(handle_, whole.address, 0, true));
  EXPECT_TRUE(io->release(handle_, true, version()));

  std::string bytes = readFileBytes(path_);
  ASSERT_EQ(bytes.size(), 4096u + 3 * kBlock);
  EXPECT_EQ(loadLe32(reinterpret_cast<const uint8_t*>(bytes.data()) + 4096 + 2024 + 20), 1000u);
  EXPECT_EQ(loadLe32(reinterpret_cast<const uint8_t*>(bytes.data()) + 4096 + kBlock + 20), 100u);
}

TEST_F(CachedFileIoTest, ReadsReachingPastTheBlockFail) {
  auto io = makeIo(1 << 20);
  TermRecord record = recordOf(4);
  io->writeTermRecord(handle_, record);
  EXPECT_FALSE(io->readTermRecord(handle_, RecordAddress::inBlock(0, kBlock)));
  EXPECT_FALSE(io->readTermRecord(handle_, RecordAddress::inBlock(0, kBlock + 5)));
  EXPECT_FALSE(io->readTermRecord(handle_, RecordAddress::inBlock(0, kBlock - 10)));
  EXPECT_FALSE(io->readTermRecord(handle_, RecordAddress::inBlock(7, 0)));  // never written
  IndexNode node(kNodes);
  EXPECT_FALSE(io->readNode(handle_, RecordAddress::inBlock(0, 100), node));  // 100 + 4056 > Z
  auto back = io->readTermRecord(handle_, RecordAddress::inBlock(0, 0));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->suffix, u"qqqq");
}

TEST_F(CachedFileIoTest, CountsHitsAndMissesAndKeepsToItsCapacity) {
  {
    auto io = makeIo(1 << 20);
    for (int i = 0; i < 40; ++i) {
      TermRecord record = recordOf(2000);  // one block each
      io->writeTermRecord(handle_, record);
    }
    io->release(handle_, true, version());
  }
  auto io = std::make_unique<CachedFileIo>(path_, 0, kBlock, 512, kNodes);
  ASSERT_TRUE(io->setCacheSize(8 * kBlock));
  io->attach(handle_, false, version());
  for (uint32_t block = 0; block < 40; ++block) ASSERT_TRUE(io->readTermRecord(handle_, RecordAddress::inBlock(block, 0)));
  EXPECT_EQ(io->misses(), 40u);  // the head loads the block, the text then hits it
  EXPECT_EQ(io->hits(), 40u);
  EXPECT_LE(io->cachedBlocks(), 8u);
  EXPECT_FALSE(io->setCacheSize(1 << 20));  // fixed once blocks exist
  EXPECT_EQ(io->capacityBlocks(), 8u);
  uint64_t hitsBefore = io->hits();
  ASSERT_TRUE(io->readTermRecord(handle_, RecordAddress::inBlock(39, 0)));
  EXPECT_EQ(io->hits(), hitsBefore + 2);
}

TEST_F(CachedFileIoTest, HighPriorityBlocksOutliveOlderUseless) {
  {
    auto io = makeIo(1 << 20);
    for (int i = 0; i < 64; ++i) {
      TermRecord record = recordOf(2000);
      io->writeTermRecord(handle_, record);
    }
    io->release(handle_, true, version());
  }
  auto io = std::make_unique<CachedFileIo>(path_, 0, kBlock, 512, kNodes);
  ASSERT_TRUE(io->setCacheSize(16 * kBlock));
  io->attach(handle_, false, version());
  // Block 0 is read first (least recent) but carries a high priority.
  ASSERT_TRUE(io->readTermRecord(handle_, RecordAddress::inBlock(0, 0)));
  io->setPriority(RecordAddress::inBlock(0, 0), 500);
  for (uint32_t block = 1; block < 64; ++block) {
    ASSERT_TRUE(io->readTermRecord(handle_, RecordAddress::inBlock(block, 0)));
    io->setPriority(RecordAddress::inBlock(block, 0), 1);
  }
  uint64_t missesBefore = io->misses();
  ASSERT_TRUE(io->readTermRecord(handle_, RecordAddress::inBlock(0, 0)));
  EXPECT_EQ(io->misses(), missesBefore);  // still cached
  ASSERT_TRUE(io->readTermRecord(handle_, RecordAddress::inBlock(1, 0)));
  EXPECT_GT(io->misses(), missesBefore);  // evicted long ago
}

TEST_F(CachedFileIoTest, WriteBackSomeAllAndDrop) {
  auto io = makeIo(1 << 20);
  std::vector<TermRecord> records;
  for (int i = 0; i < 50; ++i) {
    records.push_back(recordOf(2000, static_cast<char16_t>(u'a' + i % 26)));
    io->writeTermRecord(handle_, records.back());
  }
  EXPECT_EQ(io->dirtyBlocks(), 50u);
  EXPECT_EQ(readFileBytes(path_).size(), 40u);  // nothing written yet
  EXPECT_TRUE(io->writeBackSome(handle_));
  EXPECT_EQ(io->dirtyBlocks(), 30u);
  EXPECT_EQ(readFileBytes(path_).size(), 4096u + 20 * kBlock);
  EXPECT_TRUE(io->writeBackSome(handle_));
  EXPECT_FALSE(io->writeBackSome(handle_));
  EXPECT_EQ(io->dirtyBlocks(), 0u);

  // A rewrite in place dirties the block again; write-back-and-drop empties the cache.
  records[3].next = RecordAddress{0x77};
  io->writeTermRecord(handle_, records[3]);
  EXPECT_EQ(io->dirtyBlocks(), 1u);
  EXPECT_TRUE(io->writeBackAndDrop(handle_));
  EXPECT_EQ(io->cachedBlocks(), 0u);
  std::string bytes = readFileBytes(path_);
  EXPECT_EQ(loadLe64(reinterpret_cast<const uint8_t*>(bytes.data()) + 4096 + 3 * kBlock + 8), 0x77u);
  // After the drop new records start a fresh block.
  TermRecord later = recordOf(1);
  EXPECT_EQ(io->writeTermRecord(handle_, later), RecordAddress::inBlock(50, 0));
}

TEST_F(CachedFileIoTest, EvictingADirtyBlockWritesItsPendingWritesInOrder) {
  auto io = makeIo(4 * kBlock);
  for (int i = 0; i < 12; ++i) {
    TermRecord record = recordOf(2000, static_cast<char16_t>(u'a' + i));
    io->writeTermRecord(handle_, record);
  }
  EXPECT_LE(io->cachedBlocks(), 4u);
  // Everything that had to leave the cache is on disk, in block order.
  std::string bytes = readFileBytes(path_);
  ASSERT_GE(bytes.size(), 4096u + 8 * kBlock);
  for (uint32_t block = 0; block < 8; ++block) {
    EXPECT_EQ(loadLe16(reinterpret_cast<const uint8_t*>(bytes.data()) + 4096 + block * kBlock + 24), u'a' + block);
  }
  for (uint32_t block = 0; block < 12; ++block) {
    auto record = io->readTermRecord(handle_, RecordAddress::inBlock(block, 0));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->suffix[0], u'a' + block);
  }
}

TEST(CachedIndex, ReadAheadLoadsTheBlocksBelowTheRoot) {
  TempDir dir;
  auto path = dir.file("main.zidx");
  IndexFileOptions options;
  options.cached = true;
  {
    IndexFile index(path, 0, options);
    auto session = index.beginWrite();
    for (int i = 0; i < 3000; ++i) {
      std::string digits = std::to_string(100000 + i);
      ASSERT_TRUE(session->addPostings(std::u16string(digits.begin(), digits.end()), std::vector<Posting>{{1, 1}}));
    }
  }
  IndexFile index(path, 0, options);
  auto& io = static_cast<CachedFileIo&>(index.fileIo());
  io.waitForReadAhead();
  auto session = index.beginRead();
  auto root = session->readNode(session->root());
  ASSERT_TRUE(root);
  ASSERT_GT(root->childCount, 1u);
  uint64_t misses = io.misses();
  for (uint32_t i = 0; i < root->childCount; ++i) ASSERT_TRUE(session->readNode(root->child(i)));
  EXPECT_EQ(io.misses(), misses);
}

TEST(CachedIndex, CacheSizeFollowsTheFileSizeWhenNotGiven) {
  EXPECT_EQ(defaultCacheSize(std::nullopt), 1048576u);
  EXPECT_EQ(defaultCacheSize(1000), 4194304u);
  EXPECT_EQ(defaultCacheSize(uint64_t{60000} * 1024), 8388608u);
  EXPECT_EQ(defaultCacheSize(uint64_t{150000} * 1024), 12582912u);
  EXPECT_EQ(defaultCacheSize(uint64_t{250000} * 1024), 16777216u);
}

}  // namespace
}  // namespace brambel
