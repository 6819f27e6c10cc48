// Appending postings to long chains: the writer's remembered chain tails must
// give the same lists as a walk from the start, across write sessions, other
// writers and stored-deflated blocks, and an append must not read the chain.
#include <gtest/gtest.h>

#include <filesystem>

#include "store/index_file.h"
#include "store/index_file_checker.h"
#include "store/index_session.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using testing::TempDir;

IndexFileOptions options(bool cached) {
  IndexFileOptions result;
  result.cached = cached;
  return result;
}

std::vector<Posting> postingsFrom(uint32_t first, uint32_t count) {
  std::vector<Posting> postings;
  for (uint32_t id = first; id < first + count; ++id) postings.push_back({id, id * 0.25f});
  return postings;
}

std::vector<Posting> storedPostings(IndexFile& index, std::u16string_view term) {
  auto session = index.beginRead();
  auto record = session->findTerm(term);
  return record ? session->postingsOf(*record) : std::vector<Posting>{};
}

size_t chainLength(IndexFile& index, std::u16string_view term) {
  auto session = index.beginRead();
  auto record = session->findTerm(term);
  size_t blocks = 0;
  for (RecordAddress at = record->firstIdBlock; !at.isNullLink(); ++blocks) at = session->readIdBlock(at, 0).next;
  return blocks;
}

class PostingAppendTest : public ::testing::TestWithParam<bool> {
 protected:
  bool cached() const { return GetParam(); }
  TempDir dir_;
};

// Many sessions of varied sizes, with short and long (term-record) terms;
// one append per term and session, as a batch of documents adds them.
TEST_P(PostingAppendTest, AppendsAcrossSessionsKeepEveryPostingInOrder) {
  const std::u16string shortTerm = u"often";
  const std::u16string longTerm = u"abcdefghijklmnopqrs";
  IndexFile index(dir_.file("sessions.zidx"), 0, options(cached()));
  std::vector<Posting> expected;
  uint32_t next = 1;
  for (uint32_t session = 0; session < 40; ++session) {
    const uint32_t count = 1 + (session * 37) % 700;
    auto writer = index.beginWrite();
    ASSERT_TRUE(writer);
    const std::vector<Posting> batch = postingsFrom(next, count);
    ASSERT_TRUE(writer->addPostings(shortTerm, batch));
    ASSERT_TRUE(writer->addPostings(longTerm, batch));
    expected.insert(expected.end(), batch.begin(), batch.end());
    next += count;
  }
  EXPECT_EQ(storedPostings(index, shortTerm), expected);
  EXPECT_EQ(storedPostings(index, longTerm), expected);
  EXPECT_GT(chainLength(index, shortTerm), 20u);
  EXPECT_TRUE(checkIndexFile(index.path(), 0, cached()).sound());
}

// Another writer (its own IndexFile, as another process would have) grows
// the chain between two sessions of the first: the first must not append
// behind the block it last saw as the end.
TEST_P(PostingAppendTest, AnotherWriterBetweenSessionsIsNotOverwritten) {
  const auto path = dir_.file("shared.zidx");
  IndexFile first(path, 0, options(cached()));
  std::vector<Posting> expected;
  uint32_t next = 1;
  auto append = [&](IndexFile& index, uint32_t count) {
    auto writer = index.beginWrite();
    ASSERT_TRUE(writer);
    const std::vector<Posting> batch = postingsFrom(next, count);
    ASSERT_TRUE(writer->addPostings(u"shared", batch));
    expected.insert(expected.end(), batch.begin(), batch.end());
    next += count;
  };
  append(first, 600);
  {
    IndexFile second(path, 0, options(cached()));
    append(second, 1500);
    append(second, 2);
  }
  append(first, 900);
  append(first, 1);
  EXPECT_EQ(storedPostings(first, u"shared"), expected);
  IndexFile reopened(path, 0, options(cached()));
  EXPECT_EQ(storedPostings(reopened, u"shared"), expected);
}

// The file replaced by another index between sessions: tails remembered for
// the old file must not be used on the new one.
TEST(PostingAppendReplacedFileTest, TailsOfAReplacedFileAreForgotten) {
  TempDir dir;
  const auto path = dir.file("main.zidx");
  const auto other = dir.file("other.zidx");
  {
    IndexFile replacement(other, 0, options(false));
    auto writer = replacement.beginWrite();
    // "shared" gets its first block where it has it in the file replaced;
    // the old file's tail address lands inside "filler".
    ASSERT_TRUE(writer->addPostings(u"shared", postingsFrom(1, 10)));
    ASSERT_TRUE(writer->addPostings(u"filler", postingsFrom(1, 3000)));
  }
  IndexFile index(path, 0, options(false));
  ASSERT_TRUE(index.beginWrite()->addPostings(u"shared", postingsFrom(100, 2000)));
  std::filesystem::copy_file(other, path, std::filesystem::copy_options::overwrite_existing);
  ASSERT_TRUE(index.beginWrite()->addPostings(u"shared", postingsFrom(11, 600)));
  EXPECT_EQ(storedPostings(index, u"shared"), postingsFrom(1, 610));
  EXPECT_EQ(storedPostings(index, u"filler"), postingsFrom(1, 3000));
}

// Large blocks of a compressed section are stored deflated and move on every
// write; appends then go through the chain from its start and stay whole.
TEST(PostingAppendDeflatedTest, DeflatedTailsAreAppendedThroughTheChain) {
  TempDir dir;
  const auto path = dir.write("packed.dat", "");
  uint64_t base = 0;
  {
    File file = File::open(path, File::Access::ReadWrite);
    ASSERT_TRUE(file.isOpen());
    auto created = IndexFile::createSectionAtEnd(file, 0, 0, true, true);
    ASSERT_TRUE(created);
    base = *created;
  }
  IndexFile index(path, base, options(false));
  ASSERT_TRUE(index.compressed());
  std::vector<Posting> expected;
  for (uint32_t session = 0; session < 12; ++session) {
    const std::vector<Posting> batch = postingsFrom(1 + session * 300, 300);
    ASSERT_TRUE(index.beginWrite()->addPostings(u"packed", batch));
    expected.insert(expected.end(), batch.begin(), batch.end());
  }
  EXPECT_EQ(storedPostings(index, u"packed"), expected);
}

// An append reads the chain's last block, not every block before it: the
// cache counts the block lookups of one more append to a chain of 100 blocks.
TEST(PostingAppendCostTest, AppendingDoesNotReadTheWholeChain) {
  TempDir dir;
  IndexFile index(dir.file("long.zidx"), 0, options(true));
  const uint32_t perBlock = (index.clusterSize() - 32) / 8;
  ASSERT_TRUE(index.beginWrite()->addPostings(u"everywhere", postingsFrom(1, perBlock * 100)));
  ASSERT_GE(chainLength(index, u"everywhere"), 100u);
  const uint64_t before = index.fileIo().hits() + index.fileIo().misses();
  ASSERT_TRUE(index.beginWrite()->addPostings(u"everywhere", postingsFrom(perBlock * 100 + 1, 5)));
  const uint64_t lookups = index.fileIo().hits() + index.fileIo().misses() - before;
  EXPECT_LT(lookups, 20u);
  EXPECT_EQ(storedPostings(index, u"everywhere"), postingsFrom(1, perBlock * 100 + 5));
}

INSTANTIATE_TEST_SUITE_P(BothFileIoKinds, PostingAppendTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Cached" : "Direct"; });

}  // namespace
}  // namespace brambel
