// One writer and many readers, in threads and in processes; writers that
// exclude each other; and writers killed at random moments.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/select.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <thread>

#include "store/index_file.h"
#include "store/index_file_checker.h"
#include "store/index_session.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using namespace std::chrono_literals;
using testing::TempDir;

IndexFileOptions options(bool cached) {
  IndexFileOptions result;
  result.cached = cached;
  result.cacheSize = 64 * 4096;  // small, so eviction runs during the tests
  return result;
}

std::u16string termFor(uint32_t n) {
  std::string text = "w" + std::to_string(n * 7919 % 100003);
  if (n % 3 == 0) text += "-with-a-longer-tail";
  return std::u16string(text.begin(), text.end());
}

// Runs `body` in a child process and returns its exit status.
template <typename Body>
pid_t spawn(Body body) {
  pid_t child = fork();
  if (child == 0) _exit(body());
  return child;
}

// Walks the terms beginning with `prefix` and reads their postings; false
// when a term comes out of order.
bool walksInOrder(IndexSession& session, std::u16string_view prefix) {
  bool ordered = true;
  std::u16string previous;
  session.forEachTerm(prefix, [&](const std::u16string& term, const TermRecord& record) {
    ordered = term > previous;
    previous = term;
    session.postingsOf(record);
    return ordered;
  });
  return ordered;
}

int exitStatus(pid_t child) {
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class ConcurrencyTest : public ::testing::TestWithParam<bool> {
 protected:
  bool cached() const { return GetParam(); }
  TempDir dir_;
};

TEST_P(ConcurrencyTest, WritersExcludeEachOtherAcrossObjectsAndThreads) {
  auto path = dir_.file("lock.zidx");
  IndexFile first(path, 0, options(cached()));
  IndexFile second(path, 0, options(cached()));
  ASSERT_TRUE(first.isValid() && second.isValid());
  auto holder = first.beginWrite();
  ASSERT_TRUE(holder);
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(second.beginWrite(50ms));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);

  std::atomic<bool> acquired{false};
  std::thread waiter([&] {
    auto session = second.beginWrite();  // no limit: waits for the holder
    acquired = session.has_value();
  });
  std::this_thread::sleep_for(30ms);
  EXPECT_FALSE(acquired);
  holder.reset();
  waiter.join();
  EXPECT_TRUE(acquired);
  // Readers never wait for a writer.
  auto writer = first.beginWrite();
  EXPECT_TRUE(second.beginRead());
}

TEST_P(ConcurrencyTest, AWriterInAnotherProcessExcludesThisOne) {
  auto path = dir_.file("process.zidx");
  { IndexFile create(path, 0, options(cached())); }
  int go[2];
  int ready[2];
  int done[2];
  ASSERT_EQ(pipe(go), 0);
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(done), 0);
  pid_t child = spawn([&] {
    char byte = 0;
    if (read(go[0], &byte, 1) != 1) return 2;
    IndexFile index(path, 0, options(cached()));
    auto session = index.beginWrite();
    byte = session ? 1 : 0;
    if (write(ready[1], &byte, 1) != 1) return 3;
    if (read(done[0], &byte, 1) != 1) return 4;
    return 0;
  });
  {
    // Opened before the other process takes the writer lock: a writable
    // open itself needs the lock for a moment.
    IndexFile index(path, 0, options(cached()));
    ASSERT_TRUE(index.isValid());
    char byte = 1;
    ASSERT_EQ(write(go[1], &byte, 1), 1);
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    ASSERT_EQ(byte, 1);
    EXPECT_FALSE(index.beginWrite(40ms));
    EXPECT_TRUE(index.flushSome());  // could not write: more may remain
    EXPECT_TRUE(index.beginRead());
    ASSERT_EQ(write(done[1], &byte, 1), 1);
    EXPECT_EQ(exitStatus(child), 0);
    EXPECT_TRUE(index.beginWrite(1000ms));
    EXPECT_FALSE(index.flushSome());
  }
  for (int fd : {go[0], go[1], ready[0], ready[1], done[0], done[1]}) close(fd);
}

TEST_P(ConcurrencyTest, ReadersInThreadsAndProcessesSeeAWholeTreeWhileOneWriterAdds) {
  auto path = dir_.file("shared.zidx");
  constexpr uint32_t kTerms = 1500;
  { IndexFile create(path, 0, options(cached())); }

  // Reader processes walk the file while it grows. A reader may meet the
  // tree halfway through a change (a term not yet or no longer where it
  // looks); what it must never meet is keys out of order or a walk that
  // does not end.
  auto readerProcess = [&] {
    IndexFileOptions readOnly = options(cached());
    readOnly.readOnly = true;
    // One handle for the whole run: each session follows the writer's root.
    IndexFile index(path, 0, readOnly);
    if (!index.isValid()) return 4;
    auto until = std::chrono::steady_clock::now() + 1500ms;
    while (std::chrono::steady_clock::now() < until) {
      auto session = index.beginRead();
      if (!session) return 5;
      if (!walksInOrder(*session, u"")) return 6;
    }
    return 0;
  };
  pid_t readers[] = {spawn(readerProcess), spawn(readerProcess)};

  IndexFile index(path, 0, options(cached()));
  std::atomic<uint32_t> published{0};
  std::atomic<int> lookups{0};
  std::vector<std::thread> readerThreads;
  for (int r = 0; r < 3; ++r) {
    readerThreads.emplace_back([&, r] {
      std::mt19937 random(r);
      // At least one lookup after the writer is done, however the threads ran.
      for (bool last = false; !last;) {
        last = published >= kTerms;
        uint32_t known = published;
        if (known == 0) continue;
        auto session = index.beginRead();
        ASSERT_TRUE(session);
        if (auto record = session->findTerm(termFor(random() % known))) session->postingsOf(*record);
        ++lookups;
      }
    });
  }
  for (uint32_t n = 0; n < kTerms; n += 25) {
    auto session = index.beginWrite();
    ASSERT_TRUE(session);
    for (uint32_t k = n; k < n + 25; ++k) ASSERT_TRUE(session->addPostings(termFor(k), std::vector<Posting>{{k, 1}}));
    published = n + 25;
  }
  for (auto& thread : readerThreads) thread.join();
  EXPECT_GT(lookups, 0);
  // Once the writer is done every reader sees every term.
  auto session = index.beginRead();
  for (uint32_t n = 0; n < kTerms; ++n) {
    auto record = session->findTerm(termFor(n));
    ASSERT_TRUE(record);
    EXPECT_EQ(session->postingsOf(*record), (std::vector<Posting>{{n, 1}})) << n;
  }
  for (pid_t reader : readers) EXPECT_EQ(exitStatus(reader), 0);
  EXPECT_TRUE(checkIndexFile(path, 0, cached()).sound());
}

// A handle that last saw a one-leaf tree goes on from the root another
// handle made by splitting it, instead of inserting into the old leaf.
TEST_P(ConcurrencyTest, AHandleFollowsARootSplitByAnotherHandle) {
  auto path = dir_.file("split.zidx");
  IndexFile first(path, 0, options(cached()));
  IndexFile second(path, 0, options(cached()));
  ASSERT_TRUE(first.beginWrite()->addPostings(termFor(0), std::vector<Posting>{{0, 1}}));
  constexpr uint32_t kTerms = 600;
  for (IndexFile* index : {&second, &first}) {
    auto session = index->beginWrite();
    const uint32_t from = index == &second ? 1 : kTerms / 2;
    for (uint32_t n = from; n < from + kTerms / 2 - (index == &second); ++n) {
      ASSERT_TRUE(session->addPostings(termFor(n), std::vector<Posting>{{n, 1}}));
    }
  }
  IndexFile reader(path, 0, options(cached()));
  auto session = reader.beginRead();
  for (uint32_t n = 0; n < kTerms; ++n) {
    auto record = session->findTerm(termFor(n));
    ASSERT_TRUE(record) << n;
    EXPECT_EQ(session->postingsOf(*record), (std::vector<Posting>{{n, 1}}));
  }
  IndexCheckReport report = checkIndexFile(path, 0, cached());
  EXPECT_TRUE(report.sound()) << report.damage.front();
  EXPECT_EQ(report.terms, kTerms);
}

// A handle whose cached blocks another handle changed within one tick of
// the file clock (same size, same modification time) still sees the change.
// The test sets the time back to play the coarse clock of some file systems.
TEST_P(ConcurrencyTest, ChangesByAnotherHandleAreSeenWithinOneClockTick) {
  auto path = dir_.file("tick.zidx");
  IndexFile first(path, 0, options(cached()));
  IndexFile second(path, 0, options(cached()));
  for (uint32_t round = 0; round < 20; ++round) {
    const std::u16string term = u"tick" + termFor(round);
    ASSERT_TRUE(first.beginWrite()->addPostings(term, std::vector<Posting>{{1, 1}}));
    const auto modified = std::filesystem::last_write_time(path);
    // Fills a free slot of the block the first handle holds cached.
    ASSERT_TRUE(second.beginWrite()->addPostings(term, std::vector<Posting>{{2, 1}}));
    std::filesystem::last_write_time(path, modified);
    ASSERT_TRUE(first.beginWrite()->addPostings(term, std::vector<Posting>{{3, 1}}));
    auto session = second.beginRead();
    auto record = session->findTerm(term);
    ASSERT_TRUE(record);
    EXPECT_EQ(session->postingsOf(*record), (std::vector<Posting>{{1, 1}, {2, 1}, {3, 1}})) << "round " << round;
  }
}

// Two processes add documents at once, each through one handle kept open,
// while a third process queries throughout. Afterwards the file checks
// sound and every document a writer saw committed is found under each of
// its terms.
TEST_P(ConcurrencyTest, TwoWriterProcessesAndAReaderShareOneFile) {
  auto path = dir_.file("two-writers.zidx");
  { IndexFile create(path, 0, options(cached())); }
  constexpr uint32_t kDocuments = 400;
  constexpr uint32_t kTermsPerDocument = 6;
  auto termsOf = [](uint32_t document) {
    std::vector<std::u16string> terms;
    for (uint32_t k = 0; k < kTermsPerDocument; ++k) terms.push_back(termFor((document * 31 + k * 977) % 2000));
    return terms;
  };
  int acknowledged[2];
  int ready[2];
  int go[2];
  for (int* ends : {acknowledged, ready, go}) ASSERT_EQ(pipe(ends), 0);
  auto writerProcess = [&](uint32_t first) {
    return [&, first] {
      // Both handles are open before either writes, so each meets the
      // other's splits.
      IndexFile index(path, 0, options(cached()));
      char byte = 1;
      if (write(ready[1], &byte, 1) != 1 || read(go[0], &byte, 1) != 1) return 1;
      for (uint32_t document = first; document < first + kDocuments; ++document) {
        // The other writer gets its turn in between, as with real documents.
        std::this_thread::sleep_for(std::chrono::microseconds(300));
        {
          auto session = index.beginWrite();
          if (!session) return 2;
          for (const auto& term : termsOf(document)) {
            if (!session->addPostings(term, std::vector<Posting>{{document, 1}})) return 3;
          }
          if (!session->finish()) return 4;
        }
        if (write(acknowledged[1], &document, sizeof document) != sizeof document) return 5;
      }
      return 0;
    };
  };
  // The reader stops when the parent closes its end of this pipe.
  int stopPipe[2];
  ASSERT_EQ(pipe(stopPipe), 0);
  pid_t reader = spawn([&] {
    IndexFileOptions readOnly = options(cached());
    readOnly.readOnly = true;
    IndexFile index(path, 0, readOnly);
    close(stopPipe[1]);
    for (int queries = 0;; ++queries) {
      auto session = index.beginRead();
      if (!session) return 6;
      if (!walksInOrder(*session, u"w1")) return 7;
      fd_set ready;
      FD_ZERO(&ready);
      FD_SET(stopPipe[0], &ready);
      timeval none{};
      if (select(stopPipe[0] + 1, &ready, nullptr, nullptr, &none) > 0) return queries > 0 ? 0 : 8;
    }
  });
  close(stopPipe[0]);
  pid_t writers[] = {spawn(writerProcess(1)), spawn(writerProcess(1 + kDocuments))};
  close(acknowledged[1]);
  char byte = 1;
  for (int i = 0; i < 2; ++i) ASSERT_EQ(read(ready[0], &byte, 1), 1);
  for (int i = 0; i < 2; ++i) ASSERT_EQ(write(go[1], &byte, 1), 1);
  for (int* ends : {ready, go}) close(ends[0]), close(ends[1]);
  for (pid_t writer : writers) EXPECT_EQ(exitStatus(writer), 0);
  close(stopPipe[1]);
  EXPECT_EQ(exitStatus(reader), 0);
  std::vector<uint32_t> documents;
  uint32_t document;
  while (read(acknowledged[0], &document, sizeof document) == sizeof document) documents.push_back(document);
  close(acknowledged[0]);
  EXPECT_EQ(documents.size(), 2 * kDocuments);

  IndexCheckReport report = checkIndexFile(path, 0, cached());
  ASSERT_TRUE(report.sound()) << report.damage.front();
  IndexFile index(path, 0, options(cached()));
  auto session = index.beginRead();
  for (uint32_t acknowledgedDocument : documents) {
    for (const auto& term : termsOf(acknowledgedDocument)) {
      auto record = session->findTerm(term);
      ASSERT_TRUE(record);
      auto postings = session->postingsOf(*record);
      EXPECT_TRUE(std::any_of(postings.begin(), postings.end(),
                              [&](const Posting& p) { return p.id == acknowledgedDocument; }))
          << "document " << acknowledgedDocument;
    }
  }
}

// A writer killed at random moments leaves a file that opens, checks sound,
// answers queries and takes further terms.
TEST_P(ConcurrencyTest, AWriterKilledAtAnyMomentLeavesAUsableIndex) {
  auto path = dir_.file("killed.zidx");
  std::mt19937 random(42);
  uint32_t next = 0;
  for (int round = 0; round < 24; ++round) {
    const uint32_t start = next;
    pid_t child = spawn([&] {
      IndexFile index(path, 0, options(cached()));
      for (uint32_t n = start;; n += 10) {
        auto session = index.beginWrite();
        if (!session) return 7;
        for (uint32_t k = n; k < n + 10; ++k) session->addPostings(termFor(k % 4000), std::vector<Posting>{{k % 4000, 1}});
      }
    });
    std::this_thread::sleep_for(std::chrono::microseconds(2000 + random() % 40000));
    kill(child, SIGKILL);
    ASSERT_EQ(exitStatus(child), 128 + SIGKILL);
    next += 400;

    IndexCheckReport report = checkIndexFile(path, 0, cached());
    if (!report.valid) {
      // Killed before the section was ever complete: a writer creates it anew.
      ASSERT_EQ(round, 0);
      continue;
    }
    ASSERT_TRUE(report.sound()) << "round " << round << ": " << report.damage.front();
  }
  IndexFile index(path, 0, options(cached()));
  ASSERT_TRUE(index.isValid());
  {
    auto session = index.beginWrite();
    ASSERT_TRUE(session);
    ASSERT_TRUE(session->addPostings(u"afterwards", std::vector<Posting>{{9, 1}}));
    // Every term found carries postings of its own number only.
    session->forEachTerm(u"w", [&](const std::u16string& term, const TermRecord& record) {
      for (const Posting& posting : session->postingsOf(record)) EXPECT_EQ(termFor(posting.id), term);
      return true;
    });
  }
  EXPECT_TRUE(index.termRecordFor(u"afterwards"));
  EXPECT_TRUE(checkIndexFile(path, 0, cached()).sound());
}

INSTANTIATE_TEST_SUITE_P(BothIoKinds, ConcurrencyTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Cached" : "Direct"; });

}  // namespace
}  // namespace brambel
