// Byte layout of index sections: header, node geometry, records, and a known
// small tree read back from the raw file.
#include <gtest/gtest.h>

#include "platform/file.h"
#include "store/id_block.h"
#include "store/index_file.h"
#include "store/index_node.h"
#include "store/index_session.h"
#include "store/little_endian.h"
#include "store/term_record.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using testing::TempDir;
using testing::readFileBytes;

const uint8_t* at(const std::string& bytes, uint64_t offset) {
  return reinterpret_cast<const uint8_t*>(bytes.data()) + offset;
}

IndexFileOptions directOptions(int minDegree = 0) {
  IndexFileOptions options;
  options.minDegree = minDegree;
  return options;
}

TEST(NodeGeometry, FourKilobyteClustersGiveDegree51AndNodesOf4056Bytes) {
  EXPECT_EQ(NodeGeometry::defaultMinDegree(4096, 12), 51u);
  NodeGeometry geometry{51, 12};
  EXPECT_EQ(geometry.keyBytes(), 2424u);
  EXPECT_EQ(geometry.nodeSize(), 4056u);
  // K is rounded up to a multiple of 8: t = 20, p = 12 gives 39·24 = 936.
  EXPECT_EQ((NodeGeometry{20, 12}.nodeSize()), 32u * 20 + 936);
  EXPECT_EQ((NodeGeometry{4, 5}.keyBytes()), 72u);  // 7·10 = 70 → 72
  EXPECT_FALSE((NodeGeometry{1, 12}.isPlausible()));
  EXPECT_FALSE((NodeGeometry{51, 0}.isPlausible()));
  EXPECT_FALSE((NodeGeometry{4000000, 12}.isPlausible()));
}

TEST(IndexNodeEncoding, FieldsSitWhereTheLayoutSays) {
  NodeGeometry geometry{4, 3};  // K = 7·6 = 42 → 48, N = 128 + 48
  IndexNode node(geometry);
  node.keyCount = 2;
  node.childCount = 3;
  node.setKey(0, u"ab");
  node.setKey(1, u"xyz");
  node.setValue(0, RecordAddress{0x1122});
  node.setValue(1, RecordAddress{0x3344});
  node.setChild(2, RecordAddress{0x5566});
  std::string bytes = node.encode();
  ASSERT_EQ(bytes.size(), 176u);
  EXPECT_EQ(loadLe32(at(bytes, 0)), 2u);
  EXPECT_EQ(loadLe32(at(bytes, 4)), 3u);
  EXPECT_EQ(loadLe16(at(bytes, 8)), u'a');
  EXPECT_EQ(loadLe16(at(bytes, 10)), u'b');
  EXPECT_EQ(loadLe16(at(bytes, 12)), 0);   // a short key ends with a 0 unit
  EXPECT_EQ(loadLe16(at(bytes, 14)), u'x');  // a full key has none
  EXPECT_EQ(loadLe16(at(bytes, 18)), u'z');
  EXPECT_EQ(loadLe64(at(bytes, 8 + 48)), 0x1122u);
  EXPECT_EQ(loadLe64(at(bytes, 8 + 48 + 8)), 0x3344u);
  EXPECT_EQ(loadLe64(at(bytes, 8 + 48 + 7 * 8 + 2 * 8)), 0x5566u);

  IndexNode back(geometry);
  ASSERT_TRUE(back.decode(at(bytes, 0), bytes.size()));
  EXPECT_EQ(back.key(0), u"ab");
  EXPECT_EQ(back.key(1), u"xyz");
  EXPECT_FALSE(back.keyIsFull(0));
  EXPECT_TRUE(back.keyIsFull(1));
  EXPECT_EQ(back.child(2).value, 0x5566u);

  storeLe32(reinterpret_cast<uint8_t*>(bytes.data()), 8);  // more keys than 2t-1
  EXPECT_FALSE(back.decode(at(bytes, 0), bytes.size()));
  storeLe32(reinterpret_cast<uint8_t*>(bytes.data()), 2);
  storeLe32(reinterpret_cast<uint8_t*>(bytes.data()) + 4, 2);  // children neither 0 nor k+1
  EXPECT_FALSE(back.decode(at(bytes, 0), bytes.size()));
}

TEST(KeyComparison, StopsAtPrefixLengthAndAtZeroUnits) {
  EXPECT_EQ(compareKeys(u"abc", u"abd", 12), -1);
  EXPECT_EQ(compareKeys(u"abcdef", u"abcxyz", 3), 0);
  EXPECT_EQ(compareKeys(u"ab", u"abc", 12), -1);
  EXPECT_EQ(compareKeys(u"\uffff", u"a", 12), 1);  // code-unit order
  EXPECT_EQ(keyOf(u"abcdef", 4), u"abcd");
  EXPECT_EQ(keyOf(u"ab", 4), u"ab");
}

TEST(RecordEncoding, TermRecordAndIdBlockLayouts) {
  TermRecord record;
  record.firstIdBlock = RecordAddress{0x0102030405060708};
  record.next = RecordAddress{0x99};
  record.firstBlockCapacity = 3;
  record.suffix = u"xy";
  std::string bytes = record.encode();
  ASSERT_EQ(bytes.size(), 28u);
  EXPECT_EQ(loadLe64(at(bytes, 0)), 0x0102030405060708u);
  EXPECT_EQ(loadLe64(at(bytes, 8)), 0x99u);
  EXPECT_EQ(loadLe32(at(bytes, 16)), 3u);
  EXPECT_EQ(loadLe32(at(bytes, 20)), 2u);
  EXPECT_EQ(loadLe16(at(bytes, 24)), u'x');

  IdBlock weighted(3, true);
  weighted.add({7, 1.5f});
  weighted.next = RecordAddress{0x40};
  weighted.nextCapacity = 48;
  std::string head = weighted.encodeHead();
  std::string slots = weighted.encodeSlots();
  ASSERT_EQ(head.size(), 32u);
  ASSERT_EQ(slots.size(), 24u);
  EXPECT_EQ(loadLe64(at(head, 0)), 0x40u);
  EXPECT_EQ(loadLe32(at(head, 8)), 48u);
  EXPECT_EQ(loadLe32(at(head, 12)), 3u);
  EXPECT_EQ(loadLe32(at(head, 20)), 2u);  // free slots
  EXPECT_EQ(head[24], 0);
  EXPECT_EQ(loadLe32(at(slots, 0)), 7u);
  EXPECT_EQ(loadLe32(at(slots, 4)), 0x3fc00000u);  // 1.5f

  IdBlock ids(5, false);
  ids.add({9, 0});
  EXPECT_EQ(ids.encodeSlots().size(), 20u);
  EXPECT_EQ(ids.storedSize(), 52u);
  IdBlock back = IdBlock::decodeHead(at(head, 0), true);
  back.decodeSlots(at(slots, 0));
  EXPECT_EQ(back.capacity(), 3u);
  EXPECT_EQ(back.usedSlots(), 1u);
  EXPECT_EQ(back.postings()[0], (Posting{7, 1.5f}));
}

TEST(IndexHeader, CreationWritesAllFieldsAndAnEmptyRoot) {
  TempDir dir;
  auto path = dir.file("main.zidx");
  {
    IndexFile index(path, 0, directOptions());
    ASSERT_TRUE(index.isValid());
    EXPECT_TRUE(index.isEmpty());
  }
  std::string bytes = readFileBytes(path);
  ASSERT_GE(bytes.size(), 40u + 4056u);
  EXPECT_EQ(loadLe32(at(bytes, 0)), 0u);
  EXPECT_EQ(loadLe64(at(bytes, 8)), 40u);  // the root follows the header
  EXPECT_EQ(loadLe32(at(bytes, 16)), NodeGeometry::defaultMinDegree(loadLe32(at(bytes, 24)), 12));
  EXPECT_EQ(loadLe32(at(bytes, 20)), 12u);
  EXPECT_EQ(bytes[32], 1);  // weighted
  EXPECT_EQ(bytes[33], 0);  // compression is off for new sections
  EXPECT_EQ(loadLe32(at(bytes, 40)), 0u);
  EXPECT_EQ(loadLe32(at(bytes, 44)), 0u);
}

TEST(IndexHeader, AnyVersionButZeroOrZeroFieldsMakeTheSectionInvalid) {
  TempDir dir;
  auto path = dir.file("main.zidx");
  { IndexFile index(path, 0, directOptions()); }
  std::string good = readFileBytes(path);
  IndexFileOptions readOnly;
  readOnly.readOnly = true;
  auto reopenWith = [&](size_t offset, uint32_t value) {
    std::string bytes = good;
    storeLe32(reinterpret_cast<uint8_t*>(bytes.data()) + offset, value);
    dir.write("main.zidx", bytes);
    return IndexFile(path, 0, readOnly).isValid();
  };
  EXPECT_TRUE(reopenWith(4, 77));    // reserved
  EXPECT_FALSE(reopenWith(0, 1));    // version
  EXPECT_FALSE(reopenWith(20, 0));   // p
  EXPECT_FALSE(reopenWith(24, 0));   // Z
  EXPECT_FALSE(reopenWith(16, 1));   // t too small to split
  dir.write("main.zidx", good.substr(0, 30));
  EXPECT_FALSE(IndexFile(path, 0, readOnly).isValid());
  // A read-only open never creates a file.
  EXPECT_FALSE(IndexFile(dir.file("absent.zidx"), 0, readOnly).isValid());
  EXPECT_FALSE(std::filesystem::exists(dir.file("absent.zidx")));
}

TEST(IndexHeader, EmptyFileOrCutShortCreationIsCreatedByAWriter) {
  TempDir dir;
  auto empty = dir.write("empty.zidx", "");
  EXPECT_TRUE(IndexFile(empty, 0, directOptions()).isValid());
  auto zeros = dir.write("zeros.zidx", std::string(40, '\0'));
  IndexFileOptions readOnly;
  readOnly.readOnly = true;
  EXPECT_FALSE(IndexFile(zeros, 0, readOnly).isValid());
  IndexFile created(zeros, 0, directOptions());
  ASSERT_TRUE(created.isValid());
  EXPECT_EQ(created.root().value, 40u);
}

TEST(SectionInsideAnotherFile, CreatedAtTheEndAndReadBackAtItsBase) {
  TempDir dir;
  auto path = dir.write("content.dat", std::string(152, 'x'));
  std::optional<uint64_t> base;
  {
    File file = File::open(path, File::Access::ReadWrite);
    base = IndexFile::createSectionAtEnd(file, 0, 20, false, true);
  }
  ASSERT_EQ(base, 152u);
  std::string bytes = readFileBytes(path);
  EXPECT_EQ(bytes.substr(0, 152), std::string(152, 'x'));
  EXPECT_EQ(loadLe64(at(bytes, 152 + 8)), 192u);
  EXPECT_EQ(loadLe32(at(bytes, 152 + 16)), 20u);
  EXPECT_EQ(loadLe32(at(bytes, 152 + 24)), 4096u);
  EXPECT_EQ(bytes[152 + 32], 0);
  EXPECT_EQ(bytes[152 + 33], 1);
  EXPECT_EQ(bytes.size(), 192u + (NodeGeometry{20, 12}.nodeSize()));

  IndexFileOptions options;
  options.weighted = true;  // ignored: the header says unweighted
  IndexFile index(path, *base, options);
  ASSERT_TRUE(index.isValid());
  EXPECT_FALSE(index.weighted());
  EXPECT_TRUE(index.compressed());
  EXPECT_EQ(index.geometry().minDegree, 20u);
  {
    auto session = index.beginWrite();
    ASSERT_TRUE(session);
    ASSERT_TRUE(session->addPostings(u"word", std::vector<Posting>{{4, 0}, {17, 0}}));
  }
  auto session = index.beginRead();
  auto record = session->findTerm(u"word");
  ASSERT_TRUE(record);
  EXPECT_EQ(session->postingsOf(*record), (std::vector<Posting>{{4, 0}, {17, 0}}));
}

TEST(KnownSmallTree, ShortAndLongTermsLandAsTheLayoutSays) {
  TempDir dir;
  auto path = dir.file("tree.zidx");
  {
    IndexFile index(path, 0, directOptions(4));
    auto session = index.beginWrite();
    ASSERT_TRUE(session);
    ASSERT_TRUE(session->addPostings(u"cat", std::vector<Posting>{{5, 0.25f}}));
    ASSERT_TRUE(session->addPostings(u"abcdefghijklmnop", std::vector<Posting>{{6, 2.0f}}));
  }
  std::string bytes = readFileBytes(path);
  const NodeGeometry geometry{4, 12};
  const uint64_t root = loadLe64(at(bytes, 8));
  ASSERT_EQ(root, 40u);
  IndexNode node(geometry);
  ASSERT_TRUE(node.decode(at(bytes, root), geometry.nodeSize()));
  ASSERT_EQ(node.keyCount, 2u);
  EXPECT_EQ(node.childCount, 0u);
  EXPECT_EQ(node.key(0), u"abcdefghijkl");
  EXPECT_EQ(node.key(1), u"cat");

  // "cat" is shorter than p: its value is its first id block.
  const uint64_t catBlock = node.value(1).value;
  EXPECT_EQ(loadLe32(at(bytes, catBlock + 12)), 3u);  // first blocks hold 3 slots
  EXPECT_EQ(loadLe32(at(bytes, catBlock + 20)), 2u);
  EXPECT_EQ(loadLe32(at(bytes, catBlock + 32)), 5u);
  EXPECT_EQ(loadLe32(at(bytes, catBlock + 36)), 0x3e800000u);  // 0.25f

  // The long term goes through a term record holding the rest of the term.
  const uint64_t record = node.value(0).value;
  EXPECT_EQ(loadLe32(at(bytes, record + 16)), 3u);
  EXPECT_EQ(loadLe32(at(bytes, record + 20)), 4u);
  EXPECT_EQ(loadLe16(at(bytes, record + 24)), u'm');
  EXPECT_EQ(loadLe64(at(bytes, record + 8)), 0u);
  const uint64_t longBlock = loadLe64(at(bytes, record));
  EXPECT_EQ(loadLe32(at(bytes, longBlock + 32)), 6u);
}

}  // namespace
}  // namespace brambel
