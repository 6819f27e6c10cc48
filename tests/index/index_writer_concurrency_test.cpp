// One batch writer fed by several threads, with readers of the same index
// object querying while it flushes: nothing is lost, readers always find
// what earlier flushes made durable, and (under the thread sanitizer) the
// shared block cache is used without races.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "index/index_query.h"
#include "index/index_writer.h"
#include "index/main_index.h"
#include "store/index_file_checker.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

std::u16string documentText(uint32_t id) {
  std::u16string text = u"shared ";
  for (uint32_t word = id % 97; word < 400; word += 37) text += u"word" + std::u16string(1, u'a' + word % 26) +
                                                             std::u16string(1, u'a' + word / 26 % 26) + u" ";
  return text;
}

TEST(IndexWriterConcurrency, ThreadsAddWhileReadersQueryTheSameIndex) {
  testing::TempDir dir;
  OpenedMainIndex opened = OpenMainIndex(dir.path(), false, 64);
  ASSERT_TRUE(opened.index);
  std::atomic<uint32_t> acknowledged{0};
  IndexWriterOptions options;
  options.memoryBudget = 32 << 10;  // many flushes
  IndexWriter writer(*opened.index, options, [&](std::span<const uint32_t> ids) { acknowledged += ids.size(); });

  std::atomic<bool> writing{true};
  std::atomic<int> shortfalls{0};
  std::vector<std::thread> readers;
  for (int r = 0; r < 2; ++r) {
    readers.emplace_back([&] {
      while (writing) {
        // Whatever was acknowledged before the query started must be found.
        const uint32_t before = acknowledged;
        std::vector<ScoredHit> hits;
        std::vector<std::u16string> terms{u"shared"};
        if (!QueryIndex(*opened.index, terms, hits, 1000000) || hits.size() < before) ++shortfalls;
      }
    });
  }
  std::vector<std::thread> adders;
  for (uint32_t t = 0; t < 2; ++t) {
    adders.emplace_back([&, t] {
      for (uint32_t id = 1 + t * 1000; id <= 300 + t * 1000; ++id) writer.addText(id, documentText(id));
    });
  }
  for (std::thread& adder : adders) adder.join();
  ASSERT_TRUE(writer.flush());
  writing = false;
  for (std::thread& reader : readers) reader.join();

  EXPECT_EQ(shortfalls.load(), 0);
  EXPECT_EQ(acknowledged.load(), 600u);
  std::vector<ScoredHit> hits;
  std::vector<std::u16string> terms{u"shared"};
  ASSERT_TRUE(QueryIndex(*opened.index, terms, hits, 1000000));
  EXPECT_EQ(hits.size(), 600u);
  opened.index.reset();
  EXPECT_TRUE(checkIndexFile(dir.file(kMainIndexFileName), 0, true).sound());
}

}  // namespace
}  // namespace brambel
