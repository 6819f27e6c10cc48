#include <gtest/gtest.h>

#include "store/btree_cache_object.h"
#include "store/index_file.h"
#include "store/little_endian.h"
#include "store/source_result_record.h"
#include "store/term_offsets.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using testing::readFileBytes;
using testing::TempDir;

TEST(TermOffsetsTest, SectionLayoutAndRoundTrip) {
  TempDir dir;
  const auto path = dir.file("doc");
  TermOffsets offsets;
  offsets.add(u"web", 0);
  offsets.add(u"search", 4);
  offsets.add(u"web", 11);
  {
    auto file = ContentFile::openForWriting(path);
    ASSERT_TRUE(offsets.WriteTo(file));
  }
  const std::string bytes = readFileBytes(path);
  EXPECT_EQ(loadLe64(&bytes[40]), 152u);
  EXPECT_EQ(loadLe32(&bytes[152]), 2u);
  // "search" sorts first: length, units, one position
  EXPECT_EQ(loadLe32(&bytes[156]), 6u);
  EXPECT_EQ(utf16FromLe(&bytes[160], 6), u"search");
  EXPECT_EQ(loadLe32(&bytes[172]), 1u);
  EXPECT_EQ(loadLe32(&bytes[176]), 4u);
  TermOffsets read;
  ASSERT_TRUE(read.ReadFrom(ContentFile::openForReading(path)));
  EXPECT_EQ(read.terms(), offsets.terms());
  ASSERT_NE(read.FindTerm(u"web"), nullptr);
  EXPECT_EQ(*read.FindTerm(u"web"), (std::vector<uint32_t>{0, 11}));
  EXPECT_EQ(read.FindTerm(u"we"), nullptr);

  std::string damaged = bytes;
  storeLe32(&damaged[172], 1000000);  // more positions than the file holds
  EXPECT_FALSE(read.ReadFrom(ContentFile::openForReading(dir.write("damaged", damaged))));
}

TEST(TermOffsetsTest, PrefixQueryComparesOverThePrefixLength) {
  TermOffsets offsets;
  for (const char16_t* term : {u"car", u"cart", u"carbon", u"cab", u"dog"}) offsets.add(term, 0);
  EXPECT_EQ(offsets.TermsWithPrefix(u"car"), (std::vector<std::u16string>{u"car", u"carbon", u"cart"}));
  EXPECT_EQ(offsets.TermsWithPrefix(u"").size(), 5u);
  EXPECT_TRUE(offsets.TermsWithPrefix(u"cat").empty());
  EXPECT_EQ(offsets.TermCount(), 5u);
}

TEST(BTreeCacheObjectTest, CreatesAnIndexSectionAtTheEndAndRecordsIt) {
  TempDir dir;
  const auto path = dir.file("doc");
  uint64_t base = 0;
  {
    auto file = ContentFile::openForWriting(path);
    SourceResult result;
    result.url = u"http://example.org/";
    ASSERT_TRUE(SourceResultRecord(result).WriteTo(file));
    const uint64_t end = file.size();
    BTreeCacheObject table;
    ASSERT_TRUE(table.WriteTo(file));
    base = table.sectionOffset();
    EXPECT_EQ(base, end);
  }
  const std::string bytes = readFileBytes(path);
  EXPECT_EQ(loadLe64(&bytes[40]), base);
  EXPECT_EQ(loadLe32(&bytes[base + 16]), 20u);  // t
  EXPECT_EQ(loadLe32(&bytes[base + 20]), 12u);  // p
  EXPECT_EQ(bytes[base + 32], 0);               // unweighted

  BTreeCacheObject read;
  ASSERT_TRUE(read.ReadFrom(ContentFile::openForReading(path)));
  EXPECT_EQ(read.sectionOffset(), base);
  IndexFileOptions options;
  options.readOnly = true;
  IndexFile table(path, base, options);
  EXPECT_TRUE(table.isValid());
  EXPECT_TRUE(table.isEmpty());

  // The result record is still there in front of the table.
  SourceResultRecord record;
  ASSERT_TRUE(record.ReadFrom(ContentFile::openForReading(path)));
  EXPECT_EQ(record.result.url, u"http://example.org/");
}

TEST(BTreeCacheObjectTest, SmallTablesUseDegreeFourAndAbsentTablesReadFalse) {
  TempDir dir;
  const auto path = dir.file("doc");
  {
    auto file = ContentFile::openForWriting(path);
    BTreeCacheObject none;
    EXPECT_FALSE(none.ReadFrom(file));
    BTreeCacheObject small(true, false);
    ASSERT_TRUE(small.WriteTo(file));
  }
  const std::string bytes = readFileBytes(path);
  EXPECT_EQ(loadLe32(&bytes[loadLe64(&bytes[40]) + 16]), 4u);
}

}  // namespace
}  // namespace brambel
