// The B-tree under inserts: root splits, split modes, term chains, posting
// chains, enumeration, and both I/O kinds building the same index.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "store/cached_file_io.h"
#include "store/index_file.h"
#include "store/index_file_checker.h"
#include "store/index_session.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using testing::TempDir;

IndexFileOptions options(bool cached, int minDegree = 0) {
  IndexFileOptions result;
  result.cached = cached;
  result.minDegree = minDegree;
  return result;
}

std::u16string numberedTerm(int n, int width = 6) {
  std::string digits = std::to_string(n);
  digits.insert(0, static_cast<size_t>(std::max(0, width - static_cast<int>(digits.size()))), '0');
  return u"t" + std::u16string(digits.begin(), digits.end());
}

std::vector<std::u16string> allTerms(IndexFile& index, std::u16string_view prefix = u"") {
  std::vector<std::u16string> terms;
  auto session = index.beginRead();
  session->forEachTerm(prefix, [&](const std::u16string& term, const TermRecord&) {
    terms.push_back(term);
    return true;
  });
  return terms;
}

// Key counts of every node, level by level from the root.
std::vector<std::vector<uint32_t>> levels(IndexFile& index) {
  std::vector<std::vector<uint32_t>> result;
  auto session = index.beginRead();
  std::vector<RecordAddress> current{session->root()};
  while (!current.empty()) {
    std::vector<RecordAddress> next;
    result.emplace_back();
    for (RecordAddress address : current) {
      auto node = session->readNode(address);
      result.back().push_back(node->keyCount);
      for (uint32_t i = 0; i < node->childCount; ++i) next.push_back(node->child(i));
    }
    current = next;
  }
  return result;
}

class TreeTest : public ::testing::TestWithParam<bool> {
 protected:
  bool cached() const { return GetParam(); }
  TempDir dir_;
};

TEST_P(TreeTest, TheInsertAfterAFullRootSplitsItAndRewritesTheHeader) {
  const int t = 4;
  IndexFile index(dir_.file("split.zidx"), 0, options(cached(), t));
  ASSERT_TRUE(index.isValid());
  const RecordAddress firstRoot = index.root();
  auto session = index.beginWrite();
  for (int i = 0; i < 2 * t - 1; ++i) ASSERT_TRUE(session->addPostings(numberedTerm(i), std::vector<Posting>{{1, 1}}));
  EXPECT_EQ(index.root(), firstRoot);
  EXPECT_EQ(levels(index), (std::vector<std::vector<uint32_t>>{{7}}));
  ASSERT_TRUE(session->addPostings(numberedTerm(2 * t - 1), std::vector<Posting>{{1, 1}}));
  EXPECT_NE(index.root(), firstRoot);
  EXPECT_EQ(levels(index), (std::vector<std::vector<uint32_t>>{{1}, {3, 4}}));
  session.reset();

  // The header on disk names the new root.
  IndexFileOptions readOnly = options(cached(), t);
  readOnly.readOnly = true;
  IndexFile reopened(dir_.file("split.zidx"), 0, readOnly);
  EXPECT_EQ(reopened.root(), index.root());
  EXPECT_EQ(allTerms(reopened).size(), 8u);
}

TEST_P(TreeTest, AppendModeLeavesEveryNodeButTheRightmostNearlyFull) {
  const int t = 4;
  IndexFile appended(dir_.file("append.zidx"), 0, options(cached(), t));
  IndexFile normal(dir_.file("normal.zidx"), 0, options(cached(), t));
  {
    auto a = appended.beginWrite();
    auto n = normal.beginWrite();
    for (int i = 0; i < 200; ++i) {
      ASSERT_TRUE(a->insertTerm(numberedTerm(i), std::vector<Posting>{{uint32_t(i), 0}}, SplitMode::Append));
      ASSERT_TRUE(n->insertTerm(numberedTerm(i), std::vector<Posting>{{uint32_t(i), 0}}, SplitMode::Normal));
    }
  }
  for (const auto& level : levels(appended)) {
    // A split moves only the last key out and one up, so 2t-3 keys stay behind.
    for (size_t i = 0; i + 1 < level.size(); ++i) EXPECT_EQ(level[i], 2u * t - 3) << "node " << i;
  }
  // Ascending inserts with normal splits leave the left nodes half full.
  auto normalLeaves = levels(normal).back();
  for (size_t i = 0; i + 1 < normalLeaves.size(); ++i) EXPECT_EQ(normalLeaves[i], uint32_t(t - 1));
  EXPECT_LT(levels(appended).back().size(), normalLeaves.size());
  EXPECT_EQ(allTerms(appended), allTerms(normal));
  EXPECT_TRUE(checkIndexFile(dir_.file("append.zidx"), 0, cached()).sound());
}

TEST_P(TreeTest, TermsOfPrefixLengthUseTermRecordsAndShorterOnesDoNot) {
  IndexFile index(dir_.file("chains.zidx"), 0, options(cached()));
  auto session = index.beginWrite();
  const std::u16string twelve = u"abcdefghijkl";
  const std::u16string eleven = u"abcdefghijk";
  ASSERT_TRUE(session->addPostings(twelve, std::vector<Posting>{{1, 1}}));
  ASSERT_TRUE(session->addPostings(eleven, std::vector<Posting>{{2, 1}}));
  ASSERT_TRUE(session->addPostings(twelve + u"mnop", std::vector<Posting>{{3, 1}}));
  ASSERT_TRUE(session->addPostings(twelve + u"xyz", std::vector<Posting>{{4, 1}}));

  auto exact = session->findTerm(twelve);
  ASSERT_TRUE(exact);
  EXPECT_FALSE(exact->address.isNone());  // stored record
  EXPECT_TRUE(exact->suffix.empty());
  auto shorter = session->findTerm(eleven);
  ASSERT_TRUE(shorter);
  EXPECT_TRUE(shorter->address.isNone());  // built in memory
  EXPECT_EQ(shorter->firstBlockCapacity, 0u);

  // Three terms share one key and one chain.
  auto head = session->termRecordFor(twelve + u"zzz");
  ASSERT_TRUE(head);
  int chainLength = 0;
  for (std::optional<TermRecord> r = head; r; r = r->next.isNullLink() ? std::nullopt : session->readTermRecord(r->next)) {
    ++chainLength;
  }
  EXPECT_EQ(chainLength, 3);
  EXPECT_EQ(session->postingsOf(*session->findTerm(twelve + u"xyz")), (std::vector<Posting>{{4, 1}}));
  EXPECT_FALSE(session->findTerm(twelve + u"xy"));
  EXPECT_FALSE(session->findTerm(u"abcdefghij"));
  EXPECT_EQ(allTerms(index, u"abcdefghijkl"),
            (std::vector<std::u16string>{twelve, twelve + u"mnop", twelve + u"xyz"}));
}

TEST_P(TreeTest, PostingListsGrowByBlocksOfSixteenTimesTheLast) {
  IndexFile index(dir_.file("grow.zidx"), 0, options(cached()));
  auto session = index.beginWrite();
  std::vector<Posting> expected;
  for (uint32_t id = 1; id <= 1200; ++id) {
    ASSERT_TRUE(session->addPostings(u"often", std::vector<Posting>{{id, id * 0.5f}}));
    expected.push_back({id, id * 0.5f});
  }
  auto record = session->findTerm(u"often");
  ASSERT_TRUE(record);
  EXPECT_EQ(session->postingsOf(*record), expected);
  std::vector<uint32_t> capacities;
  RecordAddress address = record->firstIdBlock;
  while (!address.isNullLink()) {
    IdBlock block = session->readIdBlock(address, 0);
    capacities.push_back(block.capacity());
    address = block.next;
  }
  // 3, 48, then capped by what fits a cluster: (Z - 32) / 8.
  const uint32_t cap = (index.clusterSize() - 32) / 8;
  ASSERT_GE(capacities.size(), 3u);
  EXPECT_EQ(capacities[0], 3u);
  EXPECT_EQ(capacities[1], 48u);
  EXPECT_EQ(capacities[2], std::min(cap, 768u));
  // A long list added at once spreads over the same kind of chain.
  std::vector<Posting> batch;
  for (uint32_t id = 0; id < 100; ++id) batch.push_back({id, 1});
  ASSERT_TRUE(session->addPostings(u"batch", batch));
  EXPECT_EQ(session->postingsOf(*session->findTerm(u"batch")), batch);
}

TEST_P(TreeTest, RandomAndSortedInsertsGiveTheSameIndex) {
  std::vector<std::u16string> terms;
  std::mt19937 random(7);
  for (int i = 0; i < 3000; ++i) {
    std::u16string term;
    int length = 2 + static_cast<int>(random() % 18);
    for (int j = 0; j < length; ++j) term.push_back(static_cast<char16_t>(u'a' + random() % 6));
    terms.push_back(term);
  }
  std::map<std::u16string, std::vector<Posting>> expected;
  for (size_t i = 0; i < terms.size(); ++i) expected[terms[i]].push_back({uint32_t(i), 1.0f});

  IndexFile shuffled(dir_.file("random.zidx"), 0, options(cached()));
  IndexFile sorted(dir_.file("sorted.zidx"), 0, options(cached()));
  {
    auto a = shuffled.beginWrite();
    for (size_t i = 0; i < terms.size(); ++i) ASSERT_TRUE(a->addPostings(terms[i], std::vector<Posting>{{uint32_t(i), 1.0f}}));
    auto b = sorted.beginWrite();
    for (const auto& [term, postings] : expected) ASSERT_TRUE(b->addPostings(term, postings));
  }
  std::vector<std::u16string> keys;
  for (const auto& [term, postings] : expected) keys.push_back(term);
  EXPECT_EQ(allTerms(shuffled), keys);
  EXPECT_EQ(allTerms(sorted), keys);
  auto session = shuffled.beginRead();
  for (const auto& [term, postings] : expected) {
    auto record = session->findTerm(term);
    ASSERT_TRUE(record) << std::string(term.begin(), term.end());
    EXPECT_EQ(session->postingsOf(*record), postings);
  }
  auto report = checkIndexFile(dir_.file("random.zidx"), 0, cached());
  EXPECT_TRUE(report.sound()) << (report.damage.empty() ? "" : report.damage.front());
  EXPECT_EQ(report.terms, expected.size());
  EXPECT_EQ(report.postings, terms.size());
  EXPECT_TRUE(report.notes.empty());
}

INSTANTIATE_TEST_SUITE_P(BothIoKinds, TreeTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Cached" : "Direct"; });

TEST(IoKinds, DirectAndCachedSectionsHoldTheSameTermsAndPostings) {
  TempDir dir;
  IndexFile direct(dir.file("direct.zidx"), 0, options(false));
  IndexFile cached(dir.file("cached.zidx"), 0, options(true));
  std::mt19937 random(11);
  {
    auto a = direct.beginWrite();
    auto b = cached.beginWrite();
    for (uint32_t doc = 1; doc <= 300; ++doc) {
      std::u16string term = numberedTerm(static_cast<int>(random() % 700), 3 + static_cast<int>(random() % 12));
      std::vector<Posting> posting{{doc, float(doc % 7)}};
      ASSERT_TRUE(a->addPostings(term, posting));
      ASSERT_TRUE(b->addPostings(term, posting));
    }
  }
  auto terms = allTerms(direct);
  ASSERT_EQ(terms, allTerms(cached));
  auto a = direct.beginRead();
  auto b = cached.beginRead();
  for (const auto& term : terms) EXPECT_EQ(a->postingsOf(*a->findTerm(term)), b->postingsOf(*b->findTerm(term)));
  // The addresses differ in kind: byte offsets versus (block, offset).
  EXPECT_EQ(a->readNode(cached.root()).has_value(), false);
  EXPECT_LT(cached.root().offsetInBlock(), cached.clusterSize());
}

TEST(CompressedSections, LargeIdBlocksAreStoredDeflatedAndMovedOnEveryWrite) {
  TempDir dir;
  auto path = dir.write("content.dat", "");
  uint64_t base;
  {
    File file = File::open(path, File::Access::ReadWrite);
    base = *IndexFile::createSectionAtEnd(file, 0, 0, true, true);
  }
  IndexFile index(path, base, IndexFileOptions{});
  ASSERT_TRUE(index.compressed());
  auto session = index.beginWrite();
  // 60 weighted slots are 32 + 480 = 512 bytes: plain. 61 slots: deflated.
  IdBlock plain(60, true);
  IdBlock packed(61, true);
  for (uint32_t i = 0; i < 10; ++i) {
    plain.add({i, 1});
    packed.add({i, 1});
  }
  RecordAddress plainAt = session->writeIdBlock(plain);
  RecordAddress packedAt = session->writeIdBlock(packed);
  EXPECT_FALSE(plain.deflated);
  EXPECT_TRUE(packed.deflated);
  EXPECT_LT(packed.deflatedLength, 488u);
  packed.add({99, 2});
  plain.add({99, 2});
  EXPECT_EQ(session->writeIdBlock(plain), plainAt);
  RecordAddress movedTo = session->writeIdBlock(packed);
  EXPECT_NE(movedTo, packedAt);
  IdBlock back = session->readIdBlock(movedTo, 0);
  EXPECT_EQ(back.usedSlots(), 11u);
  EXPECT_EQ(back.postings().back(), (Posting{99, 2}));
  // Long posting lists in such a section survive the moves.
  std::vector<Posting> many;
  for (uint32_t id = 0; id < 700; ++id) {
    ASSERT_TRUE(session->addPostings(u"common", std::vector<Posting>{{id, 0.5f}}));
    many.push_back({id, 0.5f});
  }
  EXPECT_EQ(session->postingsOf(*session->findTerm(u"common")), many);
}

TEST(TermValidation, EmptyTermsAndTermsWithZeroUnitsAreRefused) {
  TempDir dir;
  IndexFile index(dir.file("bad.zidx"), 0, options(false));
  auto session = index.beginWrite();
  EXPECT_FALSE(session->addPostings(u"", std::vector<Posting>{{1, 1}}));
  EXPECT_FALSE(session->addPostings(std::u16string(u"a\0b", 3), std::vector<Posting>{{1, 1}}));
  EXPECT_TRUE(allTerms(index).empty());
}

// A key whose chain cannot be read may hold the term: adding to it fails
// instead of storing the key a second time.
TEST(DamagedChains, AnUnreadableChainHeadIsNotInsertedAgain) {
  TempDir dir;
  auto path = dir.file("chain.zidx");
  const std::u16string term = u"a-term-longer-than-the-prefix";
  RecordAddress head;
  {
    IndexFile index(path, 0, options(false));
    auto session = index.beginWrite();
    ASSERT_TRUE(session->addPostings(term, std::vector<Posting>{{1, 1}}));
    head = session->termRecordFor(term)->address;
  }
  {
    // The record's suffix length now reaches far beyond the file.
    File file = File::open(path, File::Access::ReadWrite);
    const uint8_t huge[4] = {0xff, 0xff, 0xff, 0x7f};
    ASSERT_TRUE(file.writeAt(head.value + 20, huge, sizeof huge));
  }
  IndexFile index(path, 0, options(false));
  auto session = index.beginWrite();
  EXPECT_EQ(session->lookupKey(term).state, IndexSession::KeyState::Unreadable);
  EXPECT_FALSE(session->addPostings(term, std::vector<Posting>{{2, 1}}));
  EXPECT_EQ(session->readNode(session->root())->keyCount, 1u);
}

TEST(ReadOnlySections, RefuseWritersAndStillAnswerQueries) {
  TempDir dir;
  auto path = dir.file("ro.zidx");
  {
    IndexFile index(path, 0, options(true));
    ASSERT_TRUE(index.beginWrite()->addPostings(u"kept", std::vector<Posting>{{3, 1}}));
  }
  IndexFileOptions readOnly = options(true);
  readOnly.readOnly = true;
  IndexFile index(path, 0, readOnly);
  EXPECT_FALSE(index.beginWrite());
  EXPECT_FALSE(index.isEmpty());
  auto record = index.termRecordFor(u"kept");
  ASSERT_TRUE(record);
  EXPECT_EQ(index.beginRead()->postingsOf(*record), (std::vector<Posting>{{3, 1}}));
}

}  // namespace
}  // namespace brambel
