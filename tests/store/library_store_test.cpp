#include "store/library_store.h"

#include <gtest/gtest.h>

#include "store/content_file.h"
#include "store/little_endian.h"
#include "store/source_result_record.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using testing::readFileBytes;
using testing::TempDir;

bool saveRecord(LibraryStore& library, const SourceResult& result) {
  auto id = library.recordIdFor(result.url);
  if (!id) return false;
  auto path = library.prepareContentPath(*id);
  if (!path) return false;
  auto file = ContentFile::openForWriting(*path);
  return SourceResultRecord(result).WriteTo(file);
}

TEST(LibraryStoreTest, MarkKeysAreUrlsBackwardsInUtf8) {
  EXPECT_EQ(LibraryStore::markKey(u"http://a.org/x"), "x/gro.a//:ptth");
  EXPECT_EQ(LibraryStore::markKey(u"caf\u00e9"), "\xc3\xa9" "fac");
  EXPECT_EQ(LibraryStore::markKey(u"a\U0001F600b"), "b\xf0\x9f\x98\x80" "a");
  EXPECT_EQ(LibraryStore::markKey(u""), "");
  EXPECT_EQ(LibraryStore::markKey(std::u16string(u"a\0b", 3)), "");
  EXPECT_EQ(LibraryStore::urlOfMarkKey(LibraryStore::markKey(u"http://x/\U0001F600\u00e9")), u"http://x/\U0001F600\u00e9");
}

TEST(LibraryStoreTest, MarksAreStoredUnderTheReversedUrl) {
  TempDir dir;
  LibraryStore library(dir.path(), false);
  ASSERT_TRUE(library.isOpen());
  const std::u16string url = u"http://example.org/some/rather/long/path/to/a/page.html";
  EXPECT_EQ(library.readMarks(url), UrlMarks{});
  UrlMarks marks;
  marks.clickDate = 1700000000;
  marks.setPermanent(true);
  marks.setIndexed(true);
  ASSERT_TRUE(library.writeMarks(url, marks));
  EXPECT_EQ(library.readMarks(url), marks);
  auto stored = library.marksFile().Get(LibraryStore::markKey(url));
  ASSERT_TRUE(stored);
  ASSERT_EQ(stored->size(), 28u);
  EXPECT_EQ(loadLe32(&(*stored)[12]), 1700000000u);
  EXPECT_EQ((*stored)[20], 0x04);
  EXPECT_EQ((*stored)[21], 0x01);
  EXPECT_EQ(library.marksFile().keyLength(), 32u);
  EXPECT_EQ(library.marksFile().minimumDegree(), 10u);
}

TEST(LibraryStoreTest, RecordIdsAreNeverZeroNeverSharedAndKeptPerUrl) {
  TempDir dir;
  LibraryStore library(dir.path(), false);
  auto first = library.recordIdFor(u"http://a/");
  auto second = library.recordIdFor(u"http://b/");
  ASSERT_TRUE(first && second);
  EXPECT_NE(*first, 0u);
  EXPECT_NE(*first, *second);
  EXPECT_EQ(library.recordIdFor(u"http://a/"), first);
  EXPECT_EQ(library.readMarks(u"http://b/").recordId, *second);

  // A lost counter must not hand out an id whose content file exists.
  SourceResult result;
  result.url = u"http://c/";
  ASSERT_TRUE(saveRecord(library, result));
  const uint32_t taken = library.readMarks(u"http://c/").recordId;
  std::filesystem::remove(dir.file("recordid.dat"));
  std::filesystem::create_directories(library.contentPath(1).parent_path());
  dir.write(library.contentPath(1).lexically_relative(dir.path()).string(), "");
  auto fresh = library.recordIdFor(u"http://d/");
  ASSERT_TRUE(fresh);
  EXPECT_NE(*fresh, 1u);
  EXPECT_NE(*fresh, taken);
}

TEST(LibraryStoreTest, ContentPathsSpreadOverFolders) {
  TempDir dir;
  LibraryStore library(dir.path(), false);
  EXPECT_EQ(library.contentPath(0x1234abcd), dir.path() / "content" / "cd" / "1234abcd.zdoc");
}

TEST(LibraryStoreTest, KnowsWhichUrlsHoldAStoredRecord) {
  TempDir dir;
  SourceResult result;
  result.url = u"http://example.org/";
  result.title = u"Example";
  result.loadDate = 42;
  {
    LibraryStore library(dir.path(), false);
    ASSERT_TRUE(saveRecord(library, result));
    ASSERT_TRUE(library.recordIdFor(u"http://no-content/"));
    EXPECT_FALSE(library.holdsRecord(u"http://no-content/"));
  }
  LibraryStore reader(dir.path(), true);
  ASSERT_TRUE(reader.isOpen());
  EXPECT_TRUE(reader.holdsRecord(u"http://example.org/"));
  EXPECT_FALSE(reader.holdsRecord(u"http://example.org/other"));
  auto read = reader.readRecord(u"http://example.org/");
  ASSERT_TRUE(read);
  EXPECT_EQ(read->title, u"Example");
  EXPECT_EQ(read->loadDate, 42u);
  EXPECT_FALSE(reader.recordIdFor(u"http://new/"));
  EXPECT_FALSE(reader.writeMarks(u"http://new/", UrlMarks{}));
}

TEST(LibraryStoreTest, WritableLibraryCreatesItsDirectory) {
  TempDir dir;
  LibraryStore library(dir.path() / "new library", false);
  EXPECT_TRUE(library.isOpen());
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "new library" / "main__index.zurl"));
}

TEST(LibraryStoreTest, ReadOnlyLibraryWithoutMarksFileCreatesNothing) {
  TempDir dir;
  LibraryStore library(dir.path(), true);
  EXPECT_FALSE(library.isOpen());
  EXPECT_EQ(library.readMarks(u"http://a/"), UrlMarks{});
  EXPECT_FALSE(std::filesystem::exists(dir.file("main__index.zurl")));
}

TEST(UrlMarksTest, UnknownBytesSurviveARoundTrip) {
  std::string bytes(28, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i + 1);
  auto marks = UrlMarks::decode(bytes);
  ASSERT_TRUE(marks);
  EXPECT_EQ(marks->recordId, loadLe32(&bytes[8]));
  EXPECT_TRUE(marks->isIgnored());    // byte 20 = 0b10101
  EXPECT_TRUE(marks->isIndexed());
  EXPECT_FALSE(marks->isPermanent());  // byte 21 = 0b10110
  EXPECT_EQ(marks->encode(), bytes);
  marks->setPermanent(true);
  marks->setIgnored(false);
  const std::string changed = marks->encode();
  EXPECT_EQ(changed[20], 0b10100);
  EXPECT_EQ(changed[21], 0b10111);
  EXPECT_EQ(changed.substr(22), bytes.substr(22));
  EXPECT_FALSE(UrlMarks::decode(bytes.substr(0, 27)));
}

}  // namespace
}  // namespace brambel
