// A writer killed at random moments must leave a file that opens, walks,
// still holds every value whose Put had returned, and takes further Puts.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "store/key_value_file.h"
#include "platform/file.h"
#include "store/key_value_node.h"
#include "store/key_value_records.h"
#include "store/little_endian.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

KeyValueFile::Options smallNodes() {
  KeyValueFile::Options options;
  options.keyLength = 8;  // long keys go through key record chains
  options.minimumDegree = 3;  // splits happen every few inserts
  return options;
}

std::string keyOf(int i) { return "key/" + std::to_string(i * 7919 % 100000) + (i % 4 == 0 ? "/long" : ""); }
std::string valueOf(int i) { return std::string(static_cast<size_t>(i % 50), 'v') + std::to_string(i); }

// Runs a child that puts keys from `first` on, reporting each finished Put
// on the pipe, and kills it after `delay`. Returns the indexes reported.
std::set<int> runAndKill(const std::filesystem::path& path, int first, std::chrono::microseconds delay) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    KeyValueFile file(path, smallNodes());
    for (int i = first;; ++i) {
      if (!file.Put(keyOf(i), valueOf(i))) _exit(3);
      if (write(fds[1], &i, sizeof i) != sizeof i) _exit(4);
    }
  }
  close(fds[1]);
  std::this_thread::sleep_for(delay);
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  std::set<int> done;
  int index = 0;
  while (read(fds[0], &index, sizeof index) == sizeof index) done.insert(index);
  close(fds[0]);
  return done;
}

uint64_t rootAddress(const std::filesystem::path& path) {
  return loadLe64(testing::readFileBytes(path).data() + 8);
}

void overwriteBytes(const std::filesystem::path& path, uint64_t at, const std::string& bytes) {
  std::fstream out(path, std::ios::in | std::ios::out | std::ios::binary);
  out.seekp(static_cast<std::streamoff>(at));
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A root split whose last write (the shortened old root) never happened
// leaves that node full, its upper half also in the new sibling and its
// middle key also in the new root. Later inserts below that node must not
// split it again (a second copy of the middle key would wreck the root),
// and every key must stay reachable, once, in order.
TEST(KeyValueCrashTest, SplitsCutShortBeforeTheChildIsShortenedLoseNothing) {
  testing::TempDir dir;
  const auto path = dir.file("marks.zurl");
  KeyValueFile file(path, smallNodes());
  const uint64_t nodeSize = KeyValueNodeLayout(8, 3).nodeSize();
  std::map<std::string, std::string> expected;
  int cutShort = 0;
  // Puts `key`; when that split the root and the key went right of the new
  // root's middle key, the old root was last written by the split itself,
  // so restoring its bytes is exactly a crash before that write.
  auto put = [&](const std::string& key) {
    const uint64_t oldRoot = rootAddress(path);
    const std::string oldRootBytes = testing::readFileBytes(path).substr(oldRoot, nodeSize);
    ASSERT_TRUE(file.Put(key, "value of " + key)) << key;
    expected[key] = "value of " + key;
    const uint64_t newRoot = rootAddress(path);
    if (newRoot == oldRoot) return;
    const std::string middle = testing::readFileBytes(path).substr(newRoot, 8).c_str();
    if (key <= middle) return;
    overwriteBytes(path, oldRoot, oldRootBytes);
    ++cutShort;
  };
  std::mt19937 random(5);
  char key[16];
  for (int i = 0; i < 600; ++i) {
    snprintf(key, sizeof key, "k%04d", i);
    put(key);
    if (i % 3 == 0) {  // keys between earlier ones, left of the middle keys too
      snprintf(key, sizeof key, "k%04dx", static_cast<int>(random() % static_cast<unsigned>(i + 1)));
      put(key);
    }
  }
  ASSERT_GE(cutShort, 3);  // leaf and inner roots
  for (const auto& [k, v] : expected) ASSERT_EQ(file.Get(k), v) << k;
  std::vector<std::string> walked;
  ASSERT_TRUE(file.Walk([&](std::string_view k, std::string_view v) {
    EXPECT_EQ(expected.at(std::string(k)), v);
    walked.emplace_back(k);
    return true;
  }));
  std::vector<std::string> keys;
  for (const auto& entry : expected) keys.push_back(entry.first);
  EXPECT_EQ(walked, keys);
}

TEST(KeyValueCrashTest, KilledWritersLoseNothingThatWasAcknowledged) {
  testing::TempDir dir;
  const auto path = dir.file("marks.zurl");
  std::mt19937 random(17);
  std::set<int> acknowledged;
  int next = 0;
  for (int round = 0; round < 25; ++round) {
    const auto done = runAndKill(path, next, std::chrono::microseconds(2000 + random() % 30000));
    acknowledged.insert(done.begin(), done.end());
    next = (done.empty() ? next : *done.rbegin() + 1) + 1;  // the killed Put may or may not have landed
    KeyValueFile file(path, smallNodes());
    ASSERT_TRUE(file.isValid()) << "round " << round;
    size_t walked = 0;
    ASSERT_TRUE(file.Walk([&](std::string_view, std::string_view) { return ++walked, true; }));
    EXPECT_GE(walked, acknowledged.size());
    for (int i : acknowledged) ASSERT_EQ(file.Get(keyOf(i)), valueOf(i)) << "round " << round << " key " << i;
  }
  EXPECT_GT(acknowledged.size(), 100u);
  KeyValueFile file(path, smallNodes());
  ASSERT_TRUE(file.Put("after/all/the/crashes", "fine"));
  EXPECT_EQ(file.Get("after/all/the/crashes"), "fine");
}

// A write is cut by a kill only between pages, so appended records keep
// within one page whatever is later rewritten in place.
TEST(KeyValueCrashTest, AppendedRecordsKeepOffPageBoundaries) {
  testing::TempDir dir;
  File file = File::open(dir.write("records", std::string(4000, 'x')), File::Access::ReadWrite);
  ASSERT_TRUE(file.isOpen());
  RecordFile records(file, 4000);
  EXPECT_EQ(records.append(std::string(96, 'a')), 4000u);  // ends exactly at the boundary
  EXPECT_EQ(records.append(std::string(200, 'b')), 4096u);  // would straddle it
  EXPECT_EQ(records.append(std::string(5000, 'c')), 4296u);  // longer than a page: its head fits here
  EXPECT_EQ(records.size(), 9296u);
  EXPECT_EQ(records.append(std::string(3000, 'd')), 12288u);
  EXPECT_EQ(records.append(std::string(5000, 'e')), 15288u);
  EXPECT_EQ(records.append(std::string(180, 'f')), 20288u);
  EXPECT_EQ(records.append(std::string(5000, 'f')), 20480u);  // its head would straddle 20480
  EXPECT_EQ(records.read(4096, 200), std::string(200, 'b'));
  EXPECT_EQ(records.read(20480, 5000), std::string(5000, 'f'));
}

}  // namespace
}  // namespace brambel
