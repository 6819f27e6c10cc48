#include "store/content_file.h"

#include <gtest/gtest.h>

#include <random>

#include "store/little_endian.h"
#include "store/source_index_text.h"
#include "store/source_links.h"
#include "store/source_list.h"
#include "store/source_result_record.h"
#include "store/source_stats.h"
#include "store/source_text.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using testing::readFileBytes;
using testing::TempDir;

SourceResult sampleResult() {
  SourceResult result;
  result.url = u"http://example.org/page";
  result.title = u"Title";
  result.description = u"Summary";
  result.text4 = u"four";
  result.contentDate = 1000;
  result.loadDate = 2000;
  result.number3 = 3;
  result.text1 = u"one";
  result.imageUrl = u"http://example.org/i.png";
  result.text7 = u"seven";
  return result;
}

TEST(ContentFileTest, EmptyFileGetsAZeroHeaderAndReportsEverySectionAbsent) {
  TempDir dir;
  const auto path = dir.write("doc", "");
  auto file = ContentFile::openForWriting(path);
  ASSERT_TRUE(file.isUsable());
  EXPECT_EQ(readFileBytes(path), std::string(152, '\0'));
  SourceResultRecord record;
  SourceText text;
  SourceStats stats;
  SourceLinks links;
  SourceIndexText indexText;
  EXPECT_FALSE(record.ReadFrom(file));
  EXPECT_FALSE(text.ReadFrom(file));
  EXPECT_FALSE(stats.ReadFrom(file));
  EXPECT_FALSE(links.ReadFrom(file));
  EXPECT_FALSE(indexText.ReadFrom(file));
  EXPECT_EQ(record.result, SourceResult{});
}

TEST(ContentFileTest, CutHeaderOrOtherVersionIsLeftAlone) {
  TempDir dir;
  const auto cut = dir.write("cut", std::string(100, '\0'));
  auto shortFile = ContentFile::openForWriting(cut);
  EXPECT_FALSE(shortFile.isUsable());
  EXPECT_FALSE(SourceResultRecord(sampleResult()).WriteTo(shortFile));
  EXPECT_EQ(readFileBytes(cut).size(), 100u);

  std::string newer(152, '\0');
  newer[0] = 2;
  const auto newerPath = dir.write("newer", newer);
  auto newerFile = ContentFile::openForWriting(newerPath);
  EXPECT_FALSE(newerFile.isUsable());
  EXPECT_FALSE(SourceText{"page"}.WriteTo(newerFile));
  EXPECT_EQ(readFileBytes(newerPath), newer);

  EXPECT_FALSE(ContentFile::openForReading(dir.file("missing")).isUsable());
}

TEST(ContentFileTest, ResultRecordSectionLayout) {
  TempDir dir;
  const auto path = dir.file("doc");
  {
    auto file = ContentFile::openForWriting(path);
    ASSERT_TRUE(SourceResultRecord(sampleResult()).WriteTo(file));
  }
  const std::string bytes = readFileBytes(path);
  EXPECT_EQ(loadLe64(&bytes[8]), 152u);
  EXPECT_EQ(loadLe32(&bytes[16]), 3u);
  size_t at = 152;
  auto expectString = [&](std::u16string_view text) {
    ASSERT_EQ(loadLe32(&bytes[at]), text.size());
    EXPECT_EQ(utf16FromLe(&bytes[at + 4], text.size()), text);
    at += 4 + 2 * text.size();
  };
  expectString(u"http://example.org/page");
  expectString(u"Title");
  expectString(u"Summary");
  expectString(u"four");
  EXPECT_EQ(loadLe32(&bytes[at]), 1000u);
  EXPECT_EQ(loadLe32(&bytes[at + 4]), 2000u);
  EXPECT_EQ(loadLe32(&bytes[at + 8]), 3u);
  at += 12;
  expectString(u"one");
  expectString(u"http://example.org/i.png");
  expectString(u"seven");
  EXPECT_EQ(at, bytes.size());
}

TEST(ContentFileTest, NewestCopyWinsAndOlderCopiesStay) {
  TempDir dir;
  const auto path = dir.file("doc");
  auto first = sampleResult();
  auto second = sampleResult();
  second.title = u"Second title";
  second.description = std::u16string(u"cut here\0ignored", 16);
  {
    auto file = ContentFile::openForWriting(path);
    ASSERT_TRUE(SourceResultRecord(first).WriteTo(file));
    ASSERT_TRUE(SourceResultRecord(second).WriteTo(file));
  }
  const std::string bytes = readFileBytes(path);
  EXPECT_NE(bytes.find(std::string("T\0i\0t\0l\0e\0", 10)), std::string::npos);
  auto file = ContentFile::openForReading(path);
  SourceResultRecord record;
  record.result.sources = {u"kept"};
  ASSERT_TRUE(record.ReadFrom(file));
  EXPECT_EQ(record.result.title, u"Second title");
  EXPECT_EQ(record.result.description, u"cut here");
  EXPECT_EQ(record.result.sources, std::vector<std::u16string>{u"kept"});
  URLResult url;
  ASSERT_TRUE(url.ReadFrom(file));
  EXPECT_EQ(url.url, u"http://example.org/page");
}

TEST(ContentFileTest, OlderWritersWithoutTrailingStringsReadEmpty) {
  TempDir dir;
  const auto path = dir.file("doc");
  {
    auto file = ContentFile::openForWriting(path);
    ASSERT_TRUE(SourceResultRecord(sampleResult()).WriteTo(file));
    file.setU32(ContentFile::Field::ResultTrailingStrings, 0);
    ASSERT_TRUE(file.writeHeader());
  }
  auto file = ContentFile::openForReading(path);
  SourceResultRecord record;
  ASSERT_TRUE(record.ReadFrom(file));
  EXPECT_EQ(record.result.url, u"http://example.org/page");
  EXPECT_EQ(record.result.number3, 3u);
  EXPECT_TRUE(record.result.text1.empty());
  EXPECT_TRUE(record.result.imageUrl.empty());
}

TEST(ContentFileTest, PageBytesRoundTripThroughPiecesIncludingZeroBytes) {
  TempDir dir;
  const auto path = dir.file("doc");
  std::mt19937 random(3);
  std::string page(100000, '\0');
  for (char& c : page) c = static_cast<char>(random() % 7);  // compresses, holds 0 bytes
  std::string incompressible(200000, '\0');
  for (char& c : incompressible) c = static_cast<char>(random());
  {
    auto file = ContentFile::openForWriting(path);
    ASSERT_TRUE(SourceText{page}.WriteTo(file));
    SourceText read;
    ASSERT_TRUE(read.ReadFrom(file));
    EXPECT_EQ(read.bytes, page);
    ASSERT_TRUE(SourceText{incompressible}.WriteTo(file));  // more than one 32 KiB piece
  }
  const std::string bytes = readFileBytes(path);
  const uint64_t offset = loadLe64(&bytes[24]);
  EXPECT_EQ(offset + loadLe32(&bytes[32]), bytes.size());
  EXPECT_GT(loadLe32(&bytes[32]), 3 * SourceText::kPieceSize);
  auto file = ContentFile::openForReading(path);
  SourceText read;
  ASSERT_TRUE(read.ReadFrom(file));
  EXPECT_EQ(read.bytes, incompressible);
}

TEST(ContentFileTest, DamagedOrCutPageStreamIsAnError) {
  TempDir dir;
  const auto path = dir.file("doc");
  {
    auto file = ContentFile::openForWriting(path);
    ASSERT_TRUE(SourceText{std::string(5000, 'x') + "end"}.WriteTo(file));
  }
  std::string bytes = readFileBytes(path);
  std::string cut = bytes;
  storeLe32(&cut[32], loadLe32(&cut[32]) - 4);
  SourceText text;
  EXPECT_FALSE(text.ReadFrom(ContentFile::openForReading(dir.write("cut", cut))));
  std::string garbled = bytes;
  garbled[152] ^= 0x55;
  EXPECT_FALSE(text.ReadFrom(ContentFile::openForReading(dir.write("garbled", garbled))));
  std::string beyond = bytes;
  storeLe32(&beyond[32], 1u << 30);
  EXPECT_FALSE(text.ReadFrom(ContentFile::openForReading(dir.write("beyond", beyond))));
  EXPECT_TRUE(text.bytes.empty());
}

// A small stream that would inflate beyond any saved page is refused before
// it fills memory.
TEST(ContentFileTest, PageStreamsInflatingBeyondTheCapAreRefused) {
  TempDir dir;
  const auto path = dir.file("doc");
  {
    auto file = ContentFile::openForWriting(path);
    ASSERT_TRUE(SourceText{std::string(SourceText::kMaxPageBytes + 1, 'a')}.WriteTo(file));
  }
  EXPECT_LT(std::filesystem::file_size(path), SourceText::kMaxPageBytes / 500);
  SourceText text;
  EXPECT_FALSE(text.ReadFrom(ContentFile::openForReading(path)));
  EXPECT_TRUE(text.bytes.empty());
}

TEST(ContentFileTest, StatisticsAreStoredSecondFirstThird) {
  TempDir dir;
  const auto path = dir.file("doc");
  {
    auto file = ContentFile::openForWriting(path);
    SourceStats stats;
    stats.w = 11;
    stats.t = 22;
    stats.l = 33;
    ASSERT_TRUE(stats.WriteTo(file));
  }
  const std::string bytes = readFileBytes(path);
  EXPECT_EQ(loadLe32(&bytes[48]), 8u);
  EXPECT_EQ(loadLe64(&bytes[56]), 152u);
  EXPECT_EQ(loadLe32(&bytes[152]), 22u);
  EXPECT_EQ(loadLe32(&bytes[156]), 11u);
  EXPECT_EQ(loadLe32(&bytes[160]), 33u);
  SourceStats read;
  ASSERT_TRUE(read.ReadFrom(ContentFile::openForReading(path)));
  EXPECT_EQ(read.w, 11u);
  EXPECT_EQ(read.t, 22u);
  EXPECT_EQ(read.l, 33u);
}

TEST(ContentFileTest, IndexTextReadsWholeOrAWindow) {
  TempDir dir;
  const auto path = dir.file("doc");
  {
    auto file = ContentFile::openForWriting(path);
    ASSERT_TRUE(SourceIndexText(u"hello brave world").WriteTo(file));
  }
  const std::string bytes = readFileBytes(path);
  EXPECT_EQ(loadLe32(&bytes[72]), 2u * 17 + 4);
  EXPECT_EQ(loadLe64(&bytes[80]), 152u);
  auto file = ContentFile::openForReading(path);
  SourceIndexText whole;
  ASSERT_TRUE(whole.ReadFrom(file));
  EXPECT_EQ(whole.text, u"hello brave world");
  SourceIndexText window(6, 5);
  ASSERT_TRUE(window.ReadFrom(file));
  EXPECT_EQ(window.text, u"brave");
  SourceIndexText tail(12, 100);
  ASSERT_TRUE(tail.ReadFrom(file));
  EXPECT_EQ(tail.text, u"world");
  SourceIndexText past(17, 3);
  past.text = u"old";
  ASSERT_TRUE(past.ReadFrom(file));
  EXPECT_TRUE(past.text.empty());
}

TEST(ContentFileTest, LinksKeepKeysAndValues) {
  TempDir dir;
  const auto path = dir.file("doc");
  SourceLinks links;
  links.links = {{u"http://a/", u"A"}, {u"http://b/", u""}};
  {
    auto file = ContentFile::openForWriting(path);
    ASSERT_TRUE(links.WriteTo(file));
  }
  const std::string bytes = readFileBytes(path);
  EXPECT_EQ(loadLe64(&bytes[112]), 152u);
  EXPECT_EQ(loadLe32(&bytes[152]), 2u);
  SourceLinks read;
  ASSERT_TRUE(read.ReadFrom(ContentFile::openForReading(path)));
  EXPECT_EQ(read.links, links.links);

  std::string huge = bytes;
  storeLe32(&huge[152], 0x7FFFFFFF);  // a count the file cannot hold
  EXPECT_FALSE(read.ReadFrom(ContentFile::openForReading(dir.write("huge", huge))));
}

TEST(ContentFileTest, SourceListsMergeWithoutDuplicatesAndOlderFilesHaveNone) {
  TempDir dir;
  const auto path = dir.file("doc");
  {
    auto file = ContentFile::openForWriting(path);
    ASSERT_TRUE(SourceResultRecord(sampleResult()).WriteTo(file));
  }
  SourceList read;
  EXPECT_FALSE(read.ReadFrom(ContentFile::openForReading(path))) << "written before lists were kept";
  EXPECT_EQ(loadLe64(&readFileBytes(path)[120]), 0u);

  SourceList list({u"rss/a", u"web/b"});
  list.merge({u"web/b", u"rss/c", u"rss/c"});
  EXPECT_EQ(list.ids, (std::vector<std::u16string>{u"rss/a", u"web/b", u"rss/c"}));
  {
    auto file = ContentFile::openForWriting(path);
    ASSERT_TRUE(list.WriteTo(file));
  }
  const std::string bytes = readFileBytes(path);
  const uint64_t start = loadLe64(&bytes[120]);
  ASSERT_GT(start, 152u);
  EXPECT_EQ(loadLe32(&bytes[start]), 3u);
  ASSERT_TRUE(read.ReadFrom(ContentFile::openForReading(path)));
  EXPECT_EQ(read.ids, list.ids);
}

TEST(ContentFileTest, StringsRunningPastTheEndAreRejected) {
  TempDir dir;
  const auto path = dir.file("doc");
  {
    auto file = ContentFile::openForWriting(path);
    ASSERT_TRUE(SourceResultRecord(sampleResult()).WriteTo(file));
  }
  std::string bytes = readFileBytes(path);
  storeLe32(&bytes[152], 0xFFFFFFF0);
  SourceResultRecord record;
  EXPECT_FALSE(record.ReadFrom(ContentFile::openForReading(dir.write("bad", bytes))));
  std::string pointsAway = readFileBytes(path);
  storeLe64(&pointsAway[8], uint64_t{1} << 40);
  EXPECT_FALSE(record.ReadFrom(ContentFile::openForReading(dir.write("away", pointsAway))));
}

}  // namespace
}  // namespace brambel
