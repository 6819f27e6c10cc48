#include "store/key_value_file.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <atomic>
#include <thread>

#include "store/key_value_node.h"
#include "store/little_endian.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using testing::readFileBytes;
using testing::TempDir;

KeyValueFile::Options libraryOptions() {
  KeyValueFile::Options options;
  options.keyLength = 32;
  options.minimumDegree = 10;
  return options;
}

std::map<std::string, std::string> walkAll(const KeyValueFile& file) {
  std::map<std::string, std::string> seen;
  std::string previous;
  EXPECT_TRUE(file.Walk([&](std::string_view key, std::string_view value) {
    EXPECT_LT(previous, std::string(key));
    previous = key;
    seen.emplace(key, value);
    return true;
  }));
  return seen;
}

TEST(KeyValueFileTest, NewFileHasHeaderAndEmptyRootOfTheLibraryGeometry) {
  TempDir dir;
  KeyValueFile file(dir.file("main__index.zurl"), libraryOptions());
  ASSERT_TRUE(file.isValid());
  const std::string bytes = readFileBytes(dir.file("main__index.zurl"));
  ASSERT_EQ(bytes.size(), 32u + 920u);
  EXPECT_EQ(loadLe32(&bytes[0]), 0u);
  EXPECT_EQ(loadLe64(&bytes[8]), 32u);  // the root follows the header
  EXPECT_EQ(loadLe32(&bytes[16]), 10u);
  EXPECT_EQ(loadLe32(&bytes[20]), 32u);
  EXPECT_EQ(bytes[25], 0);
  EXPECT_EQ(bytes.substr(32), std::string(920, '\0'));
  EXPECT_FALSE(file.Get("anything"));
}

TEST(KeyValueFileTest, DefaultsFollowTheKeyLength) {
  TempDir dir;
  KeyValueFile file(dir.file("defaults"), {});
  EXPECT_EQ(file.keyLength(), 9u);
  EXPECT_EQ(file.minimumDegree(), 41u);
  EXPECT_EQ(KeyValueNodeLayout(32, 10).nodeSize(), 920u);
  EXPECT_EQ(KeyValueNodeLayout(9, 41).nodeSize(), 32u * 41 + 736 - 8);
}

TEST(KeyValueFileTest, ShortKeyIsStoredInTheNodeWithOnePlainDataRecord) {
  TempDir dir;
  const auto path = dir.file("kv");
  KeyValueFile file(path, libraryOptions());
  const std::string key(31, 'a');
  const std::string marks(28, '\x07');
  ASSERT_TRUE(file.Put(key, marks));
  const std::string bytes = readFileBytes(path);
  // header, root, one data record of 24 + 28 bytes
  ASSERT_EQ(bytes.size(), 32u + 920u + 52u);
  EXPECT_EQ(bytes.substr(32, 31), key);
  EXPECT_EQ(bytes[32 + 31], '\0');
  const size_t valueSlot = 32 + 19 * 32;
  EXPECT_EQ(loadLe64(&bytes[valueSlot]), 952u);
  EXPECT_EQ(loadLe64(&bytes[952]), 0u);       // no continuation
  EXPECT_EQ(loadLe32(&bytes[952 + 8]), 28u);  // length
  EXPECT_EQ(loadLe32(&bytes[952 + 12]), 28u); // capacity
  EXPECT_EQ(loadLe32(&bytes[952 + 20]), 0u);  // not deflated
  EXPECT_EQ(bytes.substr(952 + 24), marks);
  EXPECT_EQ(file.Get(key), marks);
}

TEST(KeyValueFileTest, LongKeyKeepsItsRemainderInAKeyRecord) {
  TempDir dir;
  const auto path = dir.file("kv");
  KeyValueFile file(path, libraryOptions());
  const std::string key = std::string(32, 'p') + "remainde";
  ASSERT_TRUE(file.Put(key, "value"));
  const std::string bytes = readFileBytes(path);
  EXPECT_EQ(bytes.substr(32, 32), std::string(32, 'p'));
  const uint64_t keyRecord = loadLe64(&bytes[32 + 19 * 32]);
  ASSERT_LT(keyRecord + 32, bytes.size() + 1);
  EXPECT_EQ(loadLe64(&bytes[keyRecord + 8]), 0u);  // end of chain
  EXPECT_EQ(loadLe32(&bytes[keyRecord + 16]), 8u);
  EXPECT_EQ(bytes.substr(keyRecord + 24, 8), "remainde");
  EXPECT_EQ(file.Get(key), "value");
  EXPECT_FALSE(file.Get(std::string(32, 'p')));
  EXPECT_FALSE(file.Get(std::string(32, 'p') + "remaind"));
}

TEST(KeyValueFileTest, KeysSharingAPrefixAreChainedAndWalkedInOrder) {
  TempDir dir;
  KeyValueFile file(dir.file("kv"), libraryOptions());
  const std::string prefix(32, 'm');
  for (const char* tail : {"zeta", "", "alpha", "mid"}) ASSERT_TRUE(file.Put(prefix + tail, tail));
  ASSERT_TRUE(file.Put(prefix + "alpha", "replaced"));
  EXPECT_EQ(file.Get(prefix), "");
  EXPECT_EQ(file.Get(prefix + "alpha"), "replaced");
  EXPECT_EQ(file.Get(prefix + "zeta"), "zeta");
  auto seen = walkAll(file);
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[prefix + "mid"], "mid");
}

TEST(KeyValueFileTest, ValuesGrowThroughContinuationsAndShrinkWithoutStaleBytes) {
  TempDir dir;
  const auto path = dir.file("kv");
  KeyValueFile file(path, libraryOptions());
  ASSERT_TRUE(file.Put("key", "0123456789"));
  const size_t sizeAfterFirst = readFileBytes(path).size();
  ASSERT_TRUE(file.Put("key", "abcdefghij"));  // same size: rewritten in place
  EXPECT_EQ(readFileBytes(path).size(), sizeAfterFirst);
  ASSERT_TRUE(file.Put("key", "ABCDEFGHIJklmnop"));  // grows: 6 bytes go to a continuation
  EXPECT_EQ(readFileBytes(path).size(), sizeAfterFirst + 24 + 6);
  EXPECT_EQ(file.Get("key"), "ABCDEFGHIJklmnop");
  ASSERT_TRUE(file.Put("key", std::string(40, 'x')));  // the continuation overflows again
  EXPECT_EQ(file.Get("key"), std::string(40, 'x'));
  ASSERT_TRUE(file.Put("key", "short"));  // the old continuations must not come back
  EXPECT_EQ(file.Get("key"), "short");
  ASSERT_TRUE(file.Put("key", ""));
  EXPECT_EQ(file.Get("key"), "");
}

TEST(KeyValueFileTest, CompressedFilesDeflateLargeValuesAndAppendThemAnew) {
  TempDir dir;
  const auto path = dir.file("kv");
  auto options = libraryOptions();
  options.compress = true;
  {
    KeyValueFile file(path, options);
    ASSERT_TRUE(file.compresses());
  }
  KeyValueFile file(path, libraryOptions());  // the flag comes from the header
  ASSERT_TRUE(file.compresses());
  std::string large;
  for (int i = 0; i < 5000; ++i) large += "line " + std::to_string(i % 10) + "\n";
  ASSERT_TRUE(file.Put("big", large));
  const std::string bytes = readFileBytes(path);
  EXPECT_LT(bytes.size(), 32 + 920 + large.size() / 10);
  const uint64_t record = loadLe64(&bytes[32 + 19 * 32]);
  EXPECT_EQ(loadLe32(&bytes[record + 8]), large.size());
  EXPECT_EQ(loadLe32(&bytes[record + 20]), 1u);
  EXPECT_EQ(loadLe32(&bytes[record + 16]), bytes.size() - record - 24);
  EXPECT_EQ(file.Get("big"), large);
  ASSERT_TRUE(file.Put("big", large + "more"));
  EXPECT_GT(readFileBytes(path).size(), bytes.size());
  EXPECT_EQ(file.Get("big"), large + "more");
  ASSERT_TRUE(file.Put("small", "tiny"));  // small values stay plain
  EXPECT_EQ(file.Get("small"), "tiny");
}

TEST(KeyValueFileTest, ManyKeysSplitNodesAndSurviveReopening) {
  TempDir dir;
  const auto path = dir.file("kv");
  std::map<std::string, std::string> expected;
  std::mt19937 random(7);
  {
    KeyValueFile file(path, libraryOptions());
    for (int i = 0; i < 3000; ++i) {
      std::string key = "http://example.org/" + std::to_string(random() % 100000);
      if (i % 3 == 0) key += "/a/much/longer/path/that/passes/the/prefix";
      const std::string value = std::to_string(i);
      ASSERT_TRUE(file.Put(key, value)) << key;
      expected[key] = value;
    }
  }
  KeyValueFile reopened(path, libraryOptions());
  for (const auto& [key, value] : expected) ASSERT_EQ(reopened.Get(key), value) << key;
  EXPECT_EQ(walkAll(reopened), expected);
  const std::string bytes = readFileBytes(path);
  EXPECT_NE(loadLe64(&bytes[8]), 32u);  // the root has moved

  // Every node holds at most 2t - 1 = 19 keys and 20 children.
  KeyValueNodeLayout layout(32, 10);
  auto root = layout.decode(std::string_view(bytes).substr(loadLe64(&bytes[8]), 920), 0);
  ASSERT_TRUE(root);
  EXPECT_FALSE(root->isLeaf());
  EXPECT_LE(root->keys.size(), 19u);
}

TEST(KeyValueFileTest, AscendingInsertsKeepTheTreeBalanced) {
  TempDir dir;
  KeyValueFile file(dir.file("kv"), {.keyLength = 4, .minimumDegree = 2});
  for (int i = 0; i < 500; ++i) {
    char key[8];
    snprintf(key, sizeof key, "%05d", i);
    ASSERT_TRUE(file.Put(key, key));
  }
  auto seen = walkAll(file);
  ASSERT_EQ(seen.size(), 500u);
  EXPECT_EQ(seen.begin()->first, "00000");
  EXPECT_EQ(file.Get("00499"), "00499");
}

TEST(KeyValueFileTest, RejectsKeysItCannotStoreAndWritesToReadOnlyFiles) {
  TempDir dir;
  const auto path = dir.file("kv");
  KeyValueFile file(path, libraryOptions());
  EXPECT_FALSE(file.Put("", "v"));
  EXPECT_FALSE(file.Put(std::string("a\0b", 3), "v"));
  ASSERT_TRUE(file.Put("a", "v"));
  auto options = libraryOptions();
  options.readOnly = true;
  KeyValueFile reader(path, options);
  EXPECT_EQ(reader.Get("a"), "v");
  EXPECT_FALSE(reader.Put("b", "v"));
  KeyValueFile missing(dir.file("missing"), options);
  EXPECT_FALSE(missing.isValid());
  EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

TEST(KeyValueFileTest, DamagedHeadersAndRecordsReadAsAbsent) {
  TempDir dir;
  const auto path = dir.file("kv");
  {
    KeyValueFile file(path, libraryOptions());
    ASSERT_TRUE(file.Put("key", "value"));
  }
  std::string bytes = readFileBytes(path);

  std::string otherVersion = bytes;
  otherVersion[0] = 1;
  const auto versioned = dir.write("versioned", otherVersion);
  KeyValueFile newer(versioned, libraryOptions());
  EXPECT_FALSE(newer.isValid());
  EXPECT_FALSE(newer.Put("key", "x"));
  EXPECT_EQ(readFileBytes(versioned), otherVersion);  // left untouched

  std::string badValue = bytes;
  storeLe32(&badValue[32 + 920 + 12], 0xFFFFFF);  // capacity beyond the file
  KeyValueFile damaged(dir.write("damaged", badValue), libraryOptions());
  EXPECT_FALSE(damaged.Get("key"));

  std::string loop = bytes;
  storeLe64(&loop[32 + 920], 32 + 920);  // the value continues with itself
  KeyValueFile looping(dir.write("loop", loop), libraryOptions());
  EXPECT_FALSE(looping.Get("key"));
  EXPECT_TRUE(looping.Walk([](std::string_view, std::string_view) { return true; }));
}

// Chains that come back to themselves in a large file: a reader gives up at
// once instead of repeating a large record for every byte of the file, and
// the check reports what a walk had to skip.
TEST(KeyValueFileTest, LoopingChainsInLargeFilesEndAndAreReported) {
  TempDir dir;
  const auto path = dir.file("kv");
  const std::string longKey = std::string(32, 'k') + std::string(30000, 'r');
  {
    KeyValueFile file(path, libraryOptions());
    ASSERT_TRUE(file.Put("value", std::string(200000, 'v')));
    ASSERT_TRUE(file.Put(longKey, "short"));
  }
  const std::string bytes = readFileBytes(path);
  KeyValueFile sound(path, libraryOptions());
  EXPECT_EQ(sound.Check(), std::vector<std::string>{});
  const uint64_t values = 32 + 19 * 32;  // the root's values, behind its 19 key slots
  // Keys in order: the long key, then "value".
  const uint64_t keyRecord = loadLe64(&bytes[values]);
  const uint64_t dataRecord = loadLe64(&bytes[values + 8]);

  std::string loops = bytes;
  storeLe64(&loops[dataRecord], dataRecord);  // the value continues with itself
  storeLe64(&loops[keyRecord + 8], keyRecord);  // the key chain too
  KeyValueFile looping(dir.write("kv", loops), libraryOptions());
  EXPECT_FALSE(looping.Get("value"));
  EXPECT_EQ(looping.Get(longKey), "short");
  EXPECT_FALSE(looping.Get(std::string(32, 'k') + "other"));
  size_t visited = 0;
  EXPECT_TRUE(looping.Walk([&](std::string_view, std::string_view) { return ++visited, true; }));
  EXPECT_EQ(visited, 1u);
  auto damage = looping.Check();
  ASSERT_TRUE(damage);
  ASSERT_EQ(damage->size(), 2u);
  EXPECT_NE((*damage)[0].find("key chain loops"), std::string::npos);
  EXPECT_NE((*damage)[1].find("unreadable value"), std::string::npos);
}

TEST(KeyValueFileTest, InterruptedCreationIsCompletedByTheNextWriter) {
  TempDir dir;
  std::string header(32, '\0');
  storeLe32(&header[16], 10);
  storeLe32(&header[20], 32);
  const auto path = dir.write("kv", header);
  KeyValueFile file(path, libraryOptions());
  ASSERT_TRUE(file.isValid());
  ASSERT_TRUE(file.Put("k", "v"));
  EXPECT_EQ(file.Get("k"), "v");
}

TEST(KeyValueFileTest, WritersOnSeparateHandlesExcludeEachOtherWhileReadersWalk) {
  TempDir dir;
  const auto path = dir.file("kv");
  KeyValueFile first(path, libraryOptions());
  KeyValueFile second(path, libraryOptions());  // as another process would open it
  constexpr int kKeysPerWriter = 300;
  auto write = [&](KeyValueFile& file, const std::string& tag) {
    for (int i = 0; i < kKeysPerWriter; ++i) {
      const std::string key = "http://" + tag + ".example/" + std::to_string(i * 7919 % 1000);
      EXPECT_TRUE(file.Put(key, key + "=" + std::to_string(i)));
    }
  };
  std::atomic<bool> done{false};
  std::thread reader([&] {
    KeyValueFile::Options options = libraryOptions();
    options.readOnly = true;
    KeyValueFile file(path, options);
    while (!done) file.Walk([](std::string_view, std::string_view) { return true; });
  });
  std::thread a(write, std::ref(first), "a");
  std::thread b(write, std::ref(second), "b");
  a.join();
  b.join();
  done = true;
  reader.join();
  const auto seen = walkAll(first);
  EXPECT_EQ(seen.size(), 2u * kKeysPerWriter);
  for (const auto& [key, value] : seen) EXPECT_EQ(value.substr(0, key.size()), key);
}

}  // namespace
}  // namespace brambel
