#include <gtest/gtest.h>

#include <map>
#include <random>

#include "platform/file.h"
#include "store/btree_cache_object.h"
#include "store/index_file.h"
#include "store/index_file_checker.h"
#include "store/index_session.h"
#include "store/term_section_builder.h"
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

// Terms of every shape a table meets: short keys, a term of exactly p units,
// long terms sharing their first p units (one chain), positions enough for
// chains of several id blocks, and the longest storable term.
std::map<std::u16string, std::vector<Posting>> mixedTerms(size_t count) {
  std::mt19937 random(7);
  std::map<std::u16string, std::vector<Posting>> terms;
  auto positions = [&](size_t n) {
    std::vector<Posting> list;
    for (uint32_t i = 0; i < n; ++i) list.push_back({i * 3 + static_cast<uint32_t>(random() % 3), 0.0f});
    return list;
  };
  while (terms.size() < count) {
    std::u16string term;
    const size_t length = 1 + random() % 9;
    for (size_t i = 0; i < length; ++i) term += static_cast<char16_t>(u'a' + random() % 6);
    terms[term] = positions(1 + random() % 4);
  }
  for (const char16_t* term : {u"international", u"internationalisation", u"internationally", u"abcdefghijkl"})
    terms[term] = positions(2);
  terms[u"frequent"] = positions(1200);
  terms[std::u16string(kMaxStoredTermLength, u'z')] = positions(1);
  return terms;
}

IndexFile writeSection(const std::filesystem::path& path, NodeGeometry geometry, bool compressed,
                       const std::map<std::u16string, std::vector<Posting>>& terms) {
  const uint64_t base = TermSectionBuilder::sectionBaseAt(4080);  // the header would straddle a page
  EXPECT_EQ(base, 4096u);
  TermSectionBuilder builder(base, geometry, false, compressed);
  for (const auto& [term, postings] : terms) EXPECT_TRUE(builder.add(term, postings));
  EXPECT_FALSE(builder.add(u"aaa", {}));                       // out of order
  EXPECT_FALSE(builder.add(std::u16string(u"zz\0z", 4), {}));  // not a key
  File file = File::open(path, File::Access::ReadWrite, File::Disposition::OpenAlways);
  const std::string bytes = builder.finish();
  EXPECT_TRUE(file.writeAt(base, bytes.data(), bytes.size()));
  file.close();
  IndexFileOptions options;
  return IndexFile(path, base, options);
}

TEST(TermSectionBuilderTest, BuiltTablesHoldEveryTermAndStaySoundWhenUpdatedLater) {
  TempDir dir;
  const auto terms = mixedTerms(3000);
  // Degree 4 gives a tree four levels deep; degree 20 is the documents' own.
  for (const auto& [degree, compressed] : {std::pair{4u, false}, std::pair{20u, true}}) {
    SCOPED_TRACE(degree);
    const auto path = dir.file("table" + std::to_string(degree));
    IndexFile table = writeSection(path, NodeGeometry{degree, 12}, compressed, terms);
    ASSERT_TRUE(table.isValid());
    IndexCheckReport report = checkIndexFile(path, table.base(), false);
    EXPECT_TRUE(report.sound()) << (report.damage.empty() ? "" : report.damage.front());
    EXPECT_EQ(report.terms, terms.size());
    if (degree == 4) {
      EXPECT_EQ(report.depth, 4u);
    }
    {
      std::optional<IndexSession> session = table.beginRead();
      ASSERT_TRUE(session);
      std::vector<std::u16string> listed;
      session->forEachTerm(u"", [&](const std::u16string& term, const TermRecord&) {
        listed.push_back(term);
        return true;
      });
      EXPECT_EQ(listed.size(), terms.size());
      EXPECT_TRUE(std::is_sorted(listed.begin(), listed.end()));
      for (const auto& [term, postings] : terms) {
        std::optional<TermRecord> record = session->findTerm(term);
        ASSERT_TRUE(record) << std::string(term.begin(), term.end());
        EXPECT_EQ(session->postingsOf(*record), postings);
      }
    }
    // The section takes further postings and terms like one built term by term.
    {
      std::optional<IndexSession> writer = table.beginWrite();
      ASSERT_TRUE(writer);
      const std::vector<Posting> more{{9999, 0.0f}};
      EXPECT_TRUE(writer->addPostings(u"frequent", more));
      EXPECT_TRUE(writer->addPostings(u"internationalist", more));
      EXPECT_TRUE(writer->addPostings(u"b", more));
    }
    EXPECT_TRUE(checkIndexFile(path, table.base(), false).sound());
    std::optional<IndexSession> session = table.beginRead();
    ASSERT_TRUE(session);
    EXPECT_EQ(session->postingsOf(*session->findTerm(u"frequent")).size(), 1201u);
    EXPECT_TRUE(session->findTerm(u"internationalist"));
  }
}

TEST(BTreeCacheObjectTest, WritesADocumentsTermsWithTheirPositions) {
  TempDir dir;
  const auto path = dir.file("doc");
  TermOffsets offsets;
  for (uint32_t i = 0; i < 200; ++i) offsets.add(u"word" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)), i);
  offsets.add(u"internationalisation", 7);
  uint64_t base = 0;
  {
    auto file = ContentFile::openForWriting(path);
    BTreeCacheObject table(offsets);
    ASSERT_TRUE(table.WriteTo(file));
    base = table.sectionOffset();
  }
  EXPECT_TRUE(checkIndexFile(path, base, false).sound());
  IndexFileOptions options;
  options.readOnly = true;
  IndexFile table(path, base, options);
  std::optional<IndexSession> session = table.beginRead();
  ASSERT_TRUE(session);
  for (const auto& [term, positions] : offsets.terms()) {
    std::optional<TermRecord> record = session->findTerm(term);
    ASSERT_TRUE(record);
    std::vector<uint32_t> stored;
    for (const Posting& posting : session->postingsOf(*record)) stored.push_back(posting.id);
    EXPECT_EQ(stored, positions);
  }
}

}  // namespace
}  // namespace brambel
