#include "store/archive.h"

#include <gtest/gtest.h>

#include "store/archive_collections.h"
#include "store/source_result_archive.h"

namespace brambel {
namespace {

std::string hex(std::string_view bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

TEST(ArchiveTest, CountsUseTheShortAndEscapedForms) {
  const std::pair<uint64_t, const char*> cases[] = {
      {0, "0000"},
      {0xFFFE, "feff"},
      {0xFFFF, "ffffffff0000"},
      {0x12345678, "ffff78563412"},
      {0xFFFFFFFFull, "ffffffffffff" "ffffffff00000000"},
      {0x100000000ull, "ffffffffffff" "0000000001000000"},
  };
  for (const auto& [count, expected] : cases) {
    ArchiveWriter writer;
    writer.writeCount(count);
    EXPECT_EQ(hex(writer.bytes()), expected) << count;
    ArchiveReader reader(writer.bytes());
    EXPECT_EQ(reader.readCount(0), count);
    EXPECT_EQ(reader.remaining(), 0u);
  }
}

TEST(ArchiveTest, StringLengthsCarryTheUnicodeMarkerAndGrowInSteps) {
  const std::pair<size_t, const char*> cases[] = {
      {0, "fffeff00"},
      {3, "fffeff03"},
      {0xFE, "fffefffe"},
      {0xFF, "fffeffffff00"},
      {0xFFFD, "fffeffff" "fdff"},
      {0xFFFE, "fffeffff" "ffff" "feff0000"},
      {70000, "fffeffff" "ffff" "70110100"},
  };
  for (const auto& [length, prefix] : cases) {
    const std::u16string text(length, u'\u00e9');
    ArchiveWriter writer;
    writer.writeString(text);
    const std::string head = std::string(prefix);
    EXPECT_EQ(hex(writer.bytes().substr(0, head.size() / 2)), head) << length;
    EXPECT_EQ(writer.bytes().size(), head.size() / 2 + 2 * length);
    ArchiveReader reader(writer.bytes());
    EXPECT_EQ(reader.readString(), text) << length;
  }
}

TEST(ArchiveTest, ReadsSingleByteStringsAsUtf8) {
  // "caf" + e-acute in UTF-8, stored without the Unicode marker
  const std::string shortBytes("\x05" "caf\xc3\xa9", 6);
  ArchiveReader shortForm(shortBytes);
  EXPECT_EQ(shortForm.readString(), u"caf\u00e9");
  std::string longForm("\xff\x00\x01", 3);
  longForm += std::string(256, 'a');
  ArchiveReader reader(longForm);
  EXPECT_EQ(reader.readString(), std::u16string(256, u'a'));
}

TEST(ArchiveTest, TruncatedOrOverlongInputFailsWithoutAllocating) {
  const std::string truncatedBytes("\xff\xfe\xff\x05" "a\0b\0", 8);
  ArchiveReader truncated(truncatedBytes);
  EXPECT_FALSE(truncated.readString());
  EXPECT_TRUE(truncated.failed());
  EXPECT_FALSE(truncated.readU8());

  const std::string hugeBytes("\xff\xfe\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\x7f", 16);
  ArchiveReader huge(hugeBytes);
  EXPECT_FALSE(huge.readString());

  const std::string countBytes("\xff\xff\x00\x00\x00\x10", 6);
  ArchiveReader count(countBytes);
  EXPECT_FALSE(count.readCount(1));
}

TEST(ArchiveTest, MapsAndListsRoundTrip) {
  std::map<std::u16string, std::u16string> map{{u"google", u"src_123.dat"}, {u"rss/x", u"src_9.dat"}};
  ArchiveWriter writer;
  writeStringMap(writer, map);
  writeStringList(writer, {u"a", u"b"});
  ArchiveReader reader(writer.bytes());
  EXPECT_EQ(readStringMap(reader), map);
  EXPECT_EQ(readStringList(reader), (std::vector<std::u16string>{u"a", u"b"}));
  EXPECT_EQ(reader.remaining(), 0u);
  EXPECT_EQ(hex(writer.bytes().substr(0, 2)), "0200");
}

TEST(ArchiveTest, SavedTermsArchiveHasAVersionBelowTwo) {
  const std::vector<std::u16string> terms{u"first term", u"second"};
  const std::string bytes = writeSavedTermsArchive(terms);
  EXPECT_EQ(hex(bytes.substr(0, 6)), "010000000200");
  EXPECT_EQ(readSavedTermsArchive(bytes), terms);
  std::string newer = bytes;
  newer[0] = 2;
  EXPECT_FALSE(readSavedTermsArchive(newer));
  EXPECT_FALSE(readSavedTermsArchive("plain text\r\nterms"));
}

TEST(ArchiveTest, SourceResultArchiveFormKeepsFiveFields) {
  SourceResult result;
  result.description = u"desc";
  result.position = 7;
  result.text2 = u"two";
  result.title = u"title";
  result.url = u"http://x/";
  result.loadDate = 99;  // not part of this form
  ArchiveWriter writer;
  writeSourceResultArchive(writer, result);
  ArchiveReader reader(writer.bytes());
  auto read = readSourceResultArchive(reader);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->description, u"desc");
  EXPECT_EQ(read->position, 7);
  EXPECT_EQ(read->text2, u"two");
  EXPECT_EQ(read->title, u"title");
  EXPECT_EQ(read->url, u"http://x/");
  EXPECT_EQ(read->loadDate, 0u);

  SourceResult untitled;
  untitled.url = u"http://y/";
  ArchiveWriter blankWriter;
  writeSourceResultArchive(blankWriter, untitled);
  ArchiveReader blankReader(blankWriter.bytes());
  auto blank = readSourceResultArchive(blankReader);
  ASSERT_TRUE(blank);
  EXPECT_EQ(blank->title, u"<blank>");
  EXPECT_EQ(blank->description, u"<blank>");

  ArchiveReader cut(std::string_view(writer.bytes()).substr(0, writer.bytes().size() - 1));
  EXPECT_FALSE(readSourceResultArchive(cut));
}

}  // namespace
}  // namespace brambel
