#include "pipeline/main_index_batch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <set>
#include <string>
#include <vector>

#include "index/index_query.h"
#include "index/main_index.h"
#include "store/index_file.h"
#include "store/library_store.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

class MainIndexBatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store_ = std::make_unique<LibraryStore>(dir_.path(), false);
    index_ = OpenMainIndex(dir_.path(), false, 0).index;
    ASSERT_TRUE(index_ && index_->isValid());
  }

  // By default the timer never comes due within a test.
  std::unique_ptr<MainIndexBatch> makeBatch(std::chrono::milliseconds longestWait = std::chrono::hours(1)) {
    MainIndexBatch::Hooks hooks;
    hooks.indexed = [this](const std::u16string& url) {
      std::lock_guard lock(hookMutex_);
      indexed_.push_back(url);
    };
    hooks.written = [this] { ++written_; };
    return std::make_unique<MainIndexBatch>(*index_, *store_, marksMutex_, std::chrono::milliseconds(0), longestWait,
                                            std::move(hooks));
  }

  uint32_t store(const std::u16string& url) { return *store_->recordIdFor(url); }
  bool isIndexed(const std::u16string& url) { return store_->readMarks(url).isIndexed(); }
  std::set<uint32_t> documentsWith(const std::u16string& term) {
    std::set<uint32_t> ids;
    for (const Posting& posting : PostingsOf(*index_, term)) ids.insert(posting.id);
    return ids;
  }

  testing::TempDir dir_;
  std::unique_ptr<LibraryStore> store_;
  std::unique_ptr<IndexFile> index_;
  std::mutex marksMutex_;
  std::mutex hookMutex_;
  std::vector<std::u16string> indexed_;
  std::atomic<int> written_{0};
};

TEST_F(MainIndexBatchTest, UrlsAreMarkedIndexedOnlyOnceTheirBatchIsWritten) {
  auto batch = makeBatch();
  const uint32_t first = store(u"http://a/1");
  const uint32_t second = store(u"http://a/2");
  const std::vector<WeightedTerm> terms{{u"kestrel", 1.0f}, {u"harrier", 2.0f}};
  ASSERT_TRUE(batch->add(u"http://a/1", first, terms));
  ASSERT_TRUE(batch->add(u"http://a/2", second, terms));

  EXPECT_TRUE(batch->holds(first));
  EXPECT_FALSE(isIndexed(u"http://a/1"));
  EXPECT_TRUE(indexed_.empty());
  EXPECT_TRUE(documentsWith(u"kestrel").empty());

  ASSERT_TRUE(batch->flush());
  EXPECT_TRUE(isIndexed(u"http://a/1"));
  EXPECT_TRUE(isIndexed(u"http://a/2"));
  EXPECT_FALSE(batch->holds(first));
  EXPECT_EQ(indexed_, (std::vector<std::u16string>{u"http://a/1", u"http://a/2"}));
  EXPECT_EQ(written_, 1);
  EXPECT_EQ(documentsWith(u"harrier"), (std::set<uint32_t>{first, second}));
}

TEST_F(MainIndexBatchTest, AUrlStoredAgainUnderAnotherRecordKeepsItsMarkAndClosingWritesTheRest) {
  auto batch = makeBatch();
  const uint32_t old = store(u"http://a/moved");
  ASSERT_TRUE(batch->add(u"http://a/moved", old, std::vector<WeightedTerm>{{u"osprey", 1.0f}}));
  // The URL now names another record (it was evicted and saved again).
  UrlMarks marks = store_->readMarks(u"http://a/moved");
  marks.recordId = old + 100;
  store_->writeMarks(u"http://a/moved", marks);
  const uint32_t kept = store(u"http://a/kept");
  ASSERT_TRUE(batch->add(u"http://a/kept", kept, std::vector<WeightedTerm>{{u"osprey", 1.0f}}));

  batch.reset();
  EXPECT_FALSE(isIndexed(u"http://a/moved"));
  EXPECT_TRUE(isIndexed(u"http://a/kept"));
  EXPECT_EQ(documentsWith(u"osprey"), (std::set<uint32_t>{old, kept}));
}

TEST_F(MainIndexBatchTest, ABatchNobodyFlushesIsWrittenOnceItsOldestDocumentIsDue) {
  auto batch = makeBatch(std::chrono::milliseconds(50));
  const uint32_t id = store(u"http://a/late");
  ASSERT_TRUE(batch->add(u"http://a/late", id, std::vector<WeightedTerm>{{u"merlin", 1.0f}}));
  for (int i = 0; i < 1000 && !isIndexed(u"http://a/late"); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(isIndexed(u"http://a/late"));
  EXPECT_EQ(batch->bufferedDocuments(), 0u);
  EXPECT_EQ(documentsWith(u"merlin"), std::set<uint32_t>{id});
}

}  // namespace
}  // namespace brambel
