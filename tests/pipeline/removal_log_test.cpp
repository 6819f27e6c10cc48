#include "pipeline/removal_log.h"

#include <fstream>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "index/document_indexer.h"
#include "index/index_query.h"
#include "index/main_index.h"
#include "store/index_file.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

std::string entries(std::initializer_list<uint32_t> ids) {
  std::string bytes;
  for (uint32_t id : ids)
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(id >> shift));
  return bytes;
}

TEST(RemovalFile, EntriesTrailerAndCutEntriesAreReadAsWritten) {
  RemovalFileContents plain = parseRemovalFile(entries({7, 8, 9, 10, 11}) + "\x01\x02");
  EXPECT_EQ(plain.ids, (std::vector<uint32_t>{7, 8, 9, 10, 11}));
  EXPECT_FALSE(plain.hasTrailer);

  RemovalFileContents resumed = parseRemovalFile(entries({7, 8, 9}) + encodeRemovalTrailer(2, 0x123456789ull));
  EXPECT_EQ(resumed.ids, (std::vector<uint32_t>{7, 8, 9}));
  EXPECT_TRUE(resumed.hasTrailer);
  EXPECT_EQ(resumed.progress, 2u);
  EXPECT_EQ(resumed.stamp, 0x123456789ull);

  EXPECT_EQ(parseRemovalFile(entries({7}) + encodeRemovalTrailer(99, 0)).progress, 1u);
  EXPECT_TRUE(parseRemovalFile("").ids.empty());
}

class RemovalLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    index_ = OpenMainIndex(dir_.path(), false, 0).index;
    for (uint32_t id = 1; id <= 700; ++id) ASSERT_TRUE(AddDocument(*index_, {{u"word", 1.0f}}, id));
  }
  std::set<uint32_t> indexed() {
    std::set<uint32_t> ids;
    for (const Posting& posting : PostingsOf(*index_, u"word")) ids.insert(posting.id);
    return ids;
  }

  testing::TempDir dir_;
  std::unique_ptr<IndexFile> index_;
};

TEST_F(RemovalLogTest, APassStartsPastTheThresholdAndClearsTheIdsFromTheIndex) {
  RemovalLog log(dir_.path(), index_.get(), {});
  for (uint32_t id = 1; id <= 600; ++id) ASSERT_TRUE(log.append(id));
  EXPECT_FALSE(log.isPassRunning());
  EXPECT_EQ(log.pending().size(), 600u);
  EXPECT_EQ(indexed().size(), 700u);
  ASSERT_TRUE(log.append(601));  // 2404 bytes
  log.waitForPass();
  EXPECT_TRUE(log.pending().empty());
  const std::set<uint32_t> left = indexed();
  EXPECT_EQ(left.size(), 99u);
  EXPECT_EQ(*left.begin(), 602u);
  EXPECT_FALSE(std::filesystem::exists(dir_.file(RemovalLog::kFileName)));
  EXPECT_FALSE(std::filesystem::exists(dir_.file(RemovalLog::kProcessFileName)));
}

TEST_F(RemovalLogTest, ALeftOverProcessFileResumesWhereItsTrailerSaysAndIsPendingUntilThen) {
  dir_.write(RemovalLog::kProcessFileName, entries({1, 2, 3}) + encodeRemovalTrailer(1, 0));
  RemovalLog log(dir_.path(), index_.get(), {});
  EXPECT_EQ(log.pending(), (std::unordered_set<uint32_t>{1, 2, 3}));
  log.startPass(false);
  log.waitForPass();
  const std::set<uint32_t> left = indexed();
  EXPECT_EQ(left.count(1), 1u);
  EXPECT_EQ(left.count(2), 0u);
  EXPECT_EQ(left.count(3), 0u);
  EXPECT_FALSE(std::filesystem::exists(dir_.file(RemovalLog::kProcessFileName)));
}

TEST_F(RemovalLogTest, AnUnwritableLogSaysSoAndAReadOnlyIndexKeepsTheFileForLater) {
  std::u16string message;
  RemovalLog broken(dir_.file("missing"), index_.get(), {[&](const std::u16string& text) { message = text; }, {}});
  EXPECT_FALSE(broken.append(5));
  EXPECT_EQ(message, u"Cant open removal file");

  RemovalLog noIndex(dir_.path(), nullptr, {[](const std::u16string&) {}, [] { return uint64_t{42}; }});
  ASSERT_TRUE(noIndex.append(4));
  noIndex.startPass(true);
  noIndex.waitForPass();
  std::ifstream in(dir_.file(RemovalLog::kProcessFileName), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const RemovalFileContents contents = parseRemovalFile(bytes);
  EXPECT_EQ(contents.ids, (std::vector<uint32_t>{4}));
  EXPECT_TRUE(contents.hasTrailer);
  EXPECT_EQ(contents.progress, 0u);
  EXPECT_EQ(contents.stamp, 42u);
  EXPECT_EQ(noIndex.pending().count(4), 1u);
}

}  // namespace
}  // namespace brambel
