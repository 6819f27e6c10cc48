// The structural checker finds damage a reader could trip on and passes
// sound files; damaged files never crash readers.
#include <gtest/gtest.h>

#include <random>

#include "store/index_file.h"
#include "store/index_file_checker.h"
#include "store/index_session.h"
#include "store/little_endian.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using testing::TempDir;
using testing::readFileBytes;

constexpr int kDegree = 4;
const NodeGeometry kGeometry{kDegree, 12};

class CheckerTest : public ::testing::Test {
 protected:
  CheckerTest() : path_(dir_.file("index.zidx")) {
    IndexFileOptions options;
    options.minDegree = kDegree;
    IndexFile index(path_, 0, options);
    auto session = index.beginWrite();
    for (int i = 0; i < 20; ++i) {
      std::string text = "term" + std::to_string(1000 + i) + (i % 4 == 0 ? "-long-enough" : "");
      session->addPostings(std::u16string(text.begin(), text.end()), std::vector<Posting>{{uint32_t(i), 1}});
    }
    good_ = readFileBytes(path_);
  }

  uint64_t root() const { return loadLe64(reinterpret_cast<const uint8_t*>(good_.data()) + 8); }
  IndexNode node(const std::string& bytes, uint64_t at) const {
    IndexNode node(kGeometry);
    node.decode(reinterpret_cast<const uint8_t*>(bytes.data()) + at, kGeometry.nodeSize());
    return node;
  }
  IndexCheckReport checkWith(const std::string& bytes) {
    dir_.write("index.zidx", bytes);
    return checkIndexFile(path_, 0, false);
  }

  TempDir dir_;
  std::filesystem::path path_;
  std::string good_;
};

TEST_F(CheckerTest, ASoundFileHasNoDamageAndAllItsCounts) {
  IndexCheckReport report = checkIndexFile(path_, 0, false);
  EXPECT_TRUE(report.sound());
  EXPECT_EQ(report.terms, 20u);
  EXPECT_EQ(report.keys, 20u);
  EXPECT_EQ(report.termRecords, 5u);
  EXPECT_EQ(report.idBlocks, 20u);
  EXPECT_EQ(report.postings, 20u);
  EXPECT_GE(report.depth, 2u);
  EXPECT_GT(report.nodes, 1u);
}

TEST_F(CheckerTest, KeysOutOfOrderAndAddressesOutsideTheFileAreDamage) {
  IndexNode rootNode = node(good_, root());
  ASSERT_GE(rootNode.keyCount, 2u);
  std::string swapped = good_;
  {
    IndexNode changed = rootNode;
    std::u16string first(rootNode.key(0));
    changed.setKey(0, rootNode.key(1));
    changed.setKey(1, first);
    swapped.replace(root(), kGeometry.nodeSize(), changed.encode());
  }
  EXPECT_FALSE(checkWith(swapped).damage.empty());

  std::string outside = good_;
  {
    IndexNode changed = rootNode;
    changed.setChild(0, RecordAddress{good_.size() + 100});
    outside.replace(root(), kGeometry.nodeSize(), changed.encode());
  }
  IndexCheckReport report = checkWith(outside);
  ASSERT_FALSE(report.damage.empty());
  EXPECT_NE(report.damage.front().find("outside the file"), std::string::npos);

  // A child that points back at the root is a cycle, found once.
  std::string cycle = good_;
  {
    IndexNode changed = rootNode;
    changed.setChild(1, RecordAddress{root()});
    cycle.replace(root(), kGeometry.nodeSize(), changed.encode());
  }
  EXPECT_FALSE(checkWith(cycle).damage.empty());
}

TEST_F(CheckerTest, ASplitCutShortIsANoteNotDamage) {
  // Put back the upper keys a split moved out of the leftmost child.
  IndexNode rootNode = node(good_, root());
  uint64_t leftAt = rootNode.child(0).value;
  uint64_t rightAt = rootNode.child(1).value;
  IndexNode left = node(good_, leftAt);
  IndexNode right = node(good_, rightAt);
  ASSERT_TRUE(left.isLeaf());
  uint32_t k = left.keyCount;
  left.copyEntry(k, rootNode, 0);
  for (uint32_t i = 0; i < right.keyCount && k + 1 + i < kGeometry.maxKeys(); ++i) left.copyEntry(k + 1 + i, right, i);
  left.keyCount = std::min(kGeometry.maxKeys(), k + 1 + right.keyCount);
  std::string stale = good_;
  stale.replace(leftAt, kGeometry.nodeSize(), left.encode());
  IndexCheckReport report = checkWith(stale);
  EXPECT_TRUE(report.sound());
  EXPECT_EQ(report.notes.size(), 1u);
  EXPECT_EQ(report.terms, 20u);

  // A writer finishes the split the next time it passes by.
  IndexFile index(path_, 0, IndexFileOptions{});
  ASSERT_TRUE(index.beginWrite()->addPostings(u"term0000", std::vector<Posting>{{1, 1}}));
  report = checkIndexFile(path_, 0, false);
  EXPECT_TRUE(report.sound());
  EXPECT_TRUE(report.notes.empty());
  EXPECT_EQ(report.terms, 21u);
}

// What a writer descending from a stale root leaves: a key beyond its
// parent's separator that no split copied on. No search can reach it.
TEST_F(CheckerTest, AKeyInTheWrongSubtreeIsDamage) {
  IndexNode rootNode = node(good_, root());
  uint64_t leftAt = rootNode.child(0).value;
  IndexNode left = node(good_, leftAt);
  ASSERT_LT(left.keyCount, kGeometry.maxKeys());
  left.copyEntry(left.keyCount, left, left.keyCount - 1);
  left.setKey(left.keyCount, u"zz-misplaced");
  ++left.keyCount;
  std::string misplaced = good_;
  misplaced.replace(leftAt, kGeometry.nodeSize(), left.encode());
  IndexCheckReport report = checkWith(misplaced);
  ASSERT_FALSE(report.sound());
  EXPECT_NE(report.damage.front().find("zz-misplaced"), std::string::npos);
}

TEST_F(CheckerTest, RandomDamageNeverCrashesReadersOrTheChecker) {
  std::mt19937 random(5);
  for (int round = 0; round < 200; ++round) {
    std::string bytes = good_;
    for (int flips = 0; flips < 1 + round % 20; ++flips) {
      bytes[40 + random() % (bytes.size() - 40)] = static_cast<char>(random());
    }
    if (round % 10 == 0) bytes.resize(40 + random() % (bytes.size() - 40));
    IndexCheckReport report = checkWith(bytes);
    IndexFileOptions readOnly;
    readOnly.readOnly = true;
    IndexFile index(path_, 0, readOnly);
    if (!index.isValid()) continue;
    auto session = index.beginRead();
    size_t seen = 0;
    session->forEachTerm(u"", [&](const std::u16string&, const TermRecord& record) {
      session->postingsOf(record);
      return ++seen < 10000;
    });
    session->findTerm(u"term1010");
    // What the checker passes, a reader walks completely.
    if (report.sound()) {
      EXPECT_EQ(report.terms, seen) << "round " << round;
    }
  }
}

TEST(Checker, AnInvalidHeaderIsReportedAsSuch) {
  TempDir dir;
  auto path = dir.write("bad.zidx", std::string(100, '\x7f'));
  IndexCheckReport report = checkIndexFile(path, 0, true);
  EXPECT_FALSE(report.valid);
  EXPECT_FALSE(report.sound());
  EXPECT_EQ(report.damage.size(), 1u);
}

}  // namespace
}  // namespace brambel
