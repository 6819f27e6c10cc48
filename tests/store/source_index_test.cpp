#include "store/source_index.h"

#include <gtest/gtest.h>

#include "store/archive_collections.h"
#include "store/little_endian.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using testing::readFileBytes;
using testing::TempDir;

std::map<std::u16string, std::u16string> readMap(const std::filesystem::path& path) {
  const std::string bytes = readFileBytes(path);
  ArchiveReader reader(bytes);
  return readStringMap(reader).value_or(std::map<std::u16string, std::u16string>{});
}

TEST(SourceIndexTest, MissingIndexIsNotLoaded) {
  TempDir dir;
  SourceIndex index(dir.path());
  EXPECT_FALSE(index.load());
}

TEST(SourceIndexTest, SavesAnArchiveMapAndBareIdArrays) {
  TempDir dir;
  {
    SourceIndex index(dir.path());
    EXPECT_TRUE(index.add(u"google", 7));
    EXPECT_TRUE(index.add(u"google", 3));
    EXPECT_FALSE(index.add(u"google", 7));
    EXPECT_TRUE(index.add(u"rss/http://feed", 9));
    ASSERT_TRUE(index.save());
  }
  const auto directory = dir.path() / "srcIndex";
  auto map = readMap(directory / "index.dat");
  ASSERT_EQ(map.size(), 2u);
  const std::u16string googleFile = map[u"google"];
  ASSERT_TRUE(googleFile.starts_with(u"src_") && googleFile.ends_with(u".dat"));
  EXPECT_NE(googleFile, map[u"rss/http://feed"]);
  const std::string ids = readFileBytes(directory / std::string(googleFile.begin(), googleFile.end()));
  ASSERT_EQ(ids.size(), 8u);
  EXPECT_EQ(loadLe32(&ids[0]), 3u);
  EXPECT_EQ(loadLe32(&ids[4]), 7u);

  SourceIndex loaded(dir.path());
  ASSERT_TRUE(loaded.load());
  EXPECT_EQ(loaded.documentsOf(u"google"), (std::vector<uint32_t>{3, 7}));
  EXPECT_TRUE(loaded.contains(u"rss/http://feed", 9));
  EXPECT_FALSE(loaded.contains(u"rss/http://feed", 7));

  // A later save keeps each source's file name.
  loaded.add(u"google", 11);
  ASSERT_TRUE(loaded.saveSource(u"google"));
  EXPECT_EQ(readMap(directory / "index.dat")[u"google"], googleFile);
  SourceIndex again(dir.path());
  ASSERT_TRUE(again.load());
  EXPECT_EQ(again.documentsOf(u"google"), (std::vector<uint32_t>{3, 7, 11}));
}

TEST(SourceIndexTest, NamesOutsideTheDirectoryAndMissingFilesAreNotFollowed) {
  TempDir dir;
  const auto directory = dir.path() / "srcIndex";
  std::filesystem::create_directories(directory);
  dir.write("secret.dat", std::string("\x01\x00\x00\x00", 4));
  ArchiveWriter writer;
  writeStringMap(writer, {{u"evil", u"../secret.dat"}, {u"gone", u"src_5.dat"}});
  dir.write("srcIndex/index.dat", writer.bytes());
  SourceIndex index(dir.path());
  ASSERT_TRUE(index.load());
  EXPECT_TRUE(index.documentsOf(u"evil").empty());
  EXPECT_TRUE(index.documentsOf(u"gone").empty());
  ASSERT_TRUE(index.save());
  EXPECT_NE(readMap(directory / "index.dat")[u"evil"], u"../secret.dat");
  EXPECT_EQ(readFileBytes(dir.file("secret.dat")).size(), 4u);
}

TEST(SourceIndexTest, DamagedMapFailsToLoadAndOddTailBytesAreIgnored) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "srcIndex");
  dir.write("srcIndex/index.dat", "\x05\x00garbage");
  SourceIndex damaged(dir.path());
  EXPECT_FALSE(damaged.load());

  ArchiveWriter writer;
  writeStringMap(writer, {{u"s", u"src_1.dat"}});
  dir.write("srcIndex/index.dat", writer.bytes());
  dir.write("srcIndex/src_1.dat", std::string("\x02\x00\x00\x00\x09", 5));
  SourceIndex index(dir.path());
  ASSERT_TRUE(index.load());
  EXPECT_EQ(index.documentsOf(u"s"), std::vector<uint32_t>{2});
}

}  // namespace
}  // namespace brambel
