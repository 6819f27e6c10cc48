// A writer killed at any moment must leave an index that opens, checks sound,
// answers queries and takes further documents; readers in other threads and
// processes run alongside the writer without tripping.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "index/document_indexer.h"
#include "index/index_optimiser.h"
#include "index/index_query.h"
#include "index/main_index.h"
#include "index/term_extractor.h"
#include "index/term_table.h"
#include "store/index_file_checker.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

// A document of `id`: a few common words, some rarer ones and long words that
// share their key prefix, so that every kind of record is written.
std::u16string documentText(uint32_t id) {
  std::u16string text = u"common shared ";
  std::mt19937 random(id);
  for (int i = 0; i < 60; ++i) {
    const uint32_t word = random() % 3000;
    text += u"w";
    for (uint32_t rest = word; rest; rest /= 26) text += static_cast<char16_t>(u'a' + rest % 26);
    text += u' ';
  }
  text += u"internationalisation" + std::u16string(1, static_cast<char16_t>(u'a' + id % 26)) + u" ";
  return text;
}

bool addDocument(IndexFile& index, uint32_t id) {
  static const TermFilter filter;
  ExtractedTerms extracted = ExtractTerms(documentText(id), &filter);
  return AddDocument(index, DocumentTermTable(extracted.terms), id);
}

// Runs in a child process: adds documents from `firstId` on until killed.
[[noreturn]] void keepAdding(const std::filesystem::path& directory, uint32_t firstId) {
  OpenedMainIndex opened = OpenMainIndex(directory, false, 512);
  for (uint32_t id = firstId;; ++id)
    if (!opened.index || !addDocument(*opened.index, id)) _exit(3);
}

// Runs in a child process: queries until killed; exits 4 on a failed query.
[[noreturn]] void keepQuerying(const std::filesystem::path& directory) {
  // One handle for the whole run: each query follows the writer's changes.
  OpenedMainIndex opened = OpenMainIndex(directory, true, 0);
  for (;;) {
    std::vector<ScoredHit> hits;
    std::vector<std::u16string> terms{u"common", u"shared"};
    if (!QueryIndex(*opened.index, terms, hits, 50)) _exit(4);
    ListStoredTerms(*opened.index, u"inter", 20, true);
  }
}

pid_t spawn(const std::function<void()>& child) {
  const pid_t pid = fork();
  if (pid == 0) {
    child();
    _exit(0);
  }
  return pid;
}

int killAndReap(pid_t pid) {
  kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  return status;
}

TEST(CrashSafety, WriterKilledAtRandomMomentsLeavesAUsableIndex) {
  testing::TempDir dir;
  {
    OpenedMainIndex opened = OpenMainIndex(dir.path(), false, 512);
    for (uint32_t id = 1; id <= 20; ++id) ASSERT_TRUE(addDocument(*opened.index, id));
  }
  std::mt19937 random(20261206);
  uint32_t nextId = 1000;
  size_t documentsSeen = 0;
  for (int round = 0; round < 24; ++round) {
    const pid_t writer = spawn([&] { keepAdding(dir.path(), nextId); });
    ASSERT_GT(writer, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20 + random() % 150));
    const int status = killAndReap(writer);
    ASSERT_TRUE(WIFSIGNALED(status)) << "round " << round << ": the writer stopped by itself, status "
                                     << status;
    nextId += 100000;

    const std::filesystem::path path = dir.file(kMainIndexFileName);
    IndexCheckReport report = checkIndexFile(path, 0, true);
    ASSERT_TRUE(report.sound()) << "round " << round << ": "
                                << (report.damage.empty() ? "invalid header" : report.damage.front());
    OpenedMainIndex opened = OpenMainIndex(dir.path(), false, 512);
    ASSERT_FALSE(opened.invalidHeader) << "round " << round;
    std::vector<ScoredHit> hits;
    std::vector<std::u16string> terms{u"common"};
    ASSERT_TRUE(QueryIndex(*opened.index, terms, hits, 100000));
    documentsSeen = hits.size();
    EXPECT_GE(hits.size(), 20u) << "round " << round << ": documents added before any crash were lost";
    ASSERT_TRUE(addDocument(*opened.index, 500 + round)) << "round " << round;
    terms = {u"common", u"shared"};
    ASSERT_TRUE(QueryIndex(*opened.index, terms, hits, 100000));
    EXPECT_TRUE(std::any_of(hits.begin(), hits.end(), [&](const ScoredHit& h) { return h.id == 500u + round; }));
  }
  // The killed writers did get documents in, so the kills hit real work.
  EXPECT_GT(documentsSeen, 20u + 24u);
}

std::vector<ScoredHit> documentsWith(IndexFile& index, std::u16string term) {
  std::vector<ScoredHit> hits;
  std::vector<std::u16string> terms{std::move(term)};
  EXPECT_TRUE(QueryIndex(index, terms, hits, 100000));
  return hits;
}

// An optimise killed at any moment leaves an index that opens with every
// document, whatever files the swap had got to.
TEST(CrashSafety, OptimiseKilledAtRandomMomentsNeverLosesTheIndex) {
  testing::TempDir dir;
  constexpr uint32_t kDocuments = 600;
  {
    OpenedMainIndex opened = OpenMainIndex(dir.path(), false, 512);
    for (uint32_t id = 1; id <= kDocuments; ++id) ASSERT_TRUE(addDocument(*opened.index, id));
  }
  const std::filesystem::path path = dir.file(kMainIndexFileName);
  auto optimise = [&] { _exit(Optimise(path, mainIndexOptions(false, 512), {}).status == OptimiseStatus::Done ? 0 : 5); };
  const auto start = std::chrono::steady_clock::now();
  const pid_t timed = spawn(optimise);
  int status = 0;
  waitpid(timed, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const auto length = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);

  std::mt19937 random(99);
  int killedMidway = 0;
  for (int round = 0; round < 20; ++round) {
    const pid_t optimiser = spawn(optimise);
    std::this_thread::sleep_for(std::chrono::microseconds(random() % (length.count() + 1)));
    killedMidway += WIFSIGNALED(killAndReap(optimiser));
    OpenedMainIndex opened = OpenMainIndex(dir.path(), false, 512);
    ASSERT_FALSE(opened.invalidHeader) << "round " << round;
    EXPECT_EQ(documentsWith(*opened.index, u"common").size(), kDocuments) << "round " << round;
    EXPECT_FALSE(std::filesystem::exists(path.string() + ".bak")) << "round " << round;
    EXPECT_FALSE(std::filesystem::exists(path.string() + ".tmp")) << "round " << round;
    opened.index.reset();
    IndexCheckReport report = checkIndexFile(path, 0, true);
    ASSERT_TRUE(report.sound()) << "round " << round << ": " << (report.damage.empty() ? "invalid" : report.damage.front());
  }
  // Timing on a busy machine varies; enough kills must still land mid-run.
  EXPECT_GE(killedMidway, 5);
}

TEST(CrashSafety, ReadersInThreadsAndProcessesRunBesideOneWriter) {
  testing::TempDir dir;
  {
    OpenedMainIndex opened = OpenMainIndex(dir.path(), false, 512);
    ASSERT_TRUE(addDocument(*opened.index, 1));
  }
  std::vector<pid_t> readers;
  for (int i = 0; i < 2; ++i) readers.push_back(spawn([&] { keepQuerying(dir.path()); }));

  std::atomic<bool> writing{true};
  std::atomic<int> failedQueries{0}, queries{0};
  OpenedMainIndex shared = OpenMainIndex(dir.path(), false, 512);
  ASSERT_TRUE(shared.index);
  std::vector<std::thread> threads;
  for (int i = 0; i < 2; ++i)
    threads.emplace_back([&] {
      std::vector<std::u16string> terms{u"common", u"shared"};
      while (writing) {
        std::vector<ScoredHit> hits;
        if (!QueryIndex(*shared.index, terms, hits, 50) || hits.empty()) ++failedQueries;
        ++queries;
      }
    });
  for (uint32_t id = 2; id <= 300; ++id) ASSERT_TRUE(addDocument(*shared.index, id));
  writing = false;
  for (std::thread& thread : threads) thread.join();
  for (pid_t reader : readers) {
    int status = killAndReap(reader);
    EXPECT_TRUE(WIFSIGNALED(status)) << "a reader process failed with status " << status;
  }
  EXPECT_GT(queries.load(), 0);
  EXPECT_EQ(failedQueries.load(), 0);
  std::vector<ScoredHit> hits;
  std::vector<std::u16string> terms{u"common"};
  ASSERT_TRUE(QueryIndex(*shared.index, terms, hits, 100000));
  EXPECT_EQ(hits.size(), 300u);
}

}  // namespace
}  // namespace brambel
