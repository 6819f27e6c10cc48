// A batch writer killed in the middle of its flushes must leave an index
// that opens, checks sound and finds every document whose flush was
// acknowledged (the point where the caller marks a document indexed); two
// writer processes taking turns on one index must not lose each other's
// documents.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "index/index_writer.h"
#include "index/main_index.h"
#include "store/index_file_checker.h"
#include "store/index_session.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

// The one term only document `id` holds.
std::u16string uniqueTerm(uint32_t id) {
  std::u16string term = u"doc";
  for (; id; id /= 26) term += static_cast<char16_t>(u'a' + id % 26);
  return term;
}

std::u16string documentText(uint32_t id) {
  std::u16string text = u"common shared " + uniqueTerm(id) + u" ";
  std::mt19937 random(id);
  for (int i = 0; i < 60; ++i) {
    text += u"w";
    for (uint32_t rest = random() % 5000; rest; rest /= 26) text += static_cast<char16_t>(u'a' + rest % 26);
    text += u' ';
  }
  text += u"internationalisation" + std::u16string(1, static_cast<char16_t>(u'a' + id % 26)) + u" ";
  return text;
}

// Shared with the writer process: whether it is inside a flush right now.
struct WriterState {
  std::atomic<int> flushing{0};
};

// Runs in a child process until killed: adds documents from `firstId` on,
// flushing every few dozen, and appends the ids of every acknowledged
// document to the marks file.
[[noreturn]] void keepWriting(const std::filesystem::path& directory, const std::filesystem::path& marks,
                              uint32_t firstId, WriterState& state) {
  const int marksFile = ::open(marks.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644);
  OpenedMainIndex opened = OpenMainIndex(directory, false, 512);
  if (marksFile < 0 || !opened.index || opened.invalidHeader) _exit(3);
  IndexWriter writer(*opened.index, {}, [&](std::span<const uint32_t> ids) {
    std::string lines;
    for (uint32_t id : ids) lines += std::to_string(id) + "\n";
    if (::write(marksFile, lines.data(), lines.size()) != static_cast<ssize_t>(lines.size())) _exit(5);
  });
  for (uint32_t id = firstId;; ++id) {
    writer.addText(id, documentText(id));
    if (id % 40 == 0) {
      state.flushing = 1;
      const bool flushed = writer.flush();
      state.flushing = 0;
      if (!flushed) _exit(4);
    }
  }
}

std::vector<uint32_t> markedIds(const std::filesystem::path& marks) {
  std::istringstream lines(testing::readFileBytes(marks));
  std::vector<uint32_t> ids;
  for (uint32_t id; lines >> id;) ids.push_back(id);
  return ids;
}

TEST(IndexWriterCrash, KillsDuringFlushesLoseNoAcknowledgedDocument) {
  testing::TempDir dir;
  const std::filesystem::path marks = dir.file("marks");
  auto* state = static_cast<WriterState*>(
      mmap(nullptr, sizeof(WriterState), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(state, MAP_FAILED);
  new (state) WriterState;

  std::mt19937 random(20261206);
  uint32_t nextId = 1;
  int killsInFlush = 0;
  for (int round = 0; round < 200 && killsInFlush < 20; ++round) {
    const pid_t writer = fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) keepWriting(dir.path(), marks, nextId, *state);
    nextId += 1000000;
    // Let it work a while, then catch it inside a flush.
    std::this_thread::sleep_for(std::chrono::milliseconds(30 + random() % 200));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (state->flushing == 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
    killsInFlush += state->flushing != 0;
    kill(writer, SIGKILL);
    int status = 0;
    waitpid(writer, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "round " << round << ": the writer stopped by itself, status " << status;
    state->flushing = 0;

    const std::filesystem::path path = dir.file(kMainIndexFileName);
    IndexCheckReport report = checkIndexFile(path, 0, true);
    ASSERT_TRUE(report.sound()) << "round " << round << ": "
                                << (report.damage.empty() ? "invalid header" : report.damage.front());
    OpenedMainIndex opened = OpenMainIndex(dir.path(), false, 512);
    ASSERT_FALSE(opened.invalidHeader) << "round " << round;
    std::optional<IndexSession> session = opened.index->beginRead();
    ASSERT_TRUE(session);
    for (uint32_t id : markedIds(marks)) {
      std::optional<TermRecord> record = session->findTerm(uniqueTerm(id));
      ASSERT_TRUE(record) << "round " << round << ": acknowledged document " << id << " is not in the index";
      std::vector<Posting> postings = session->postingsOf(*record);
      ASSERT_TRUE(std::any_of(postings.begin(), postings.end(), [&](const Posting& p) { return p.id == id; }))
          << "round " << round << ": document " << id;
    }
  }
  EXPECT_EQ(killsInFlush, 20);
  EXPECT_GT(markedIds(marks).size(), 100u) << "the writers acknowledged hardly any work";
  munmap(state, sizeof(WriterState));
}

TEST(IndexWriterCrash, TwoWriterProcessesTakingTurnsKeepEveryDocument) {
  testing::TempDir dir;
  std::vector<pid_t> writers;
  for (uint32_t first : {1u, 100001u}) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      OpenedMainIndex opened = OpenMainIndex(dir.path(), false, 512);
      if (!opened.index) _exit(3);
      IndexWriter writer(*opened.index);
      for (uint32_t id = first; id < first + 400; ++id) {
        writer.addText(id, documentText(id));
        if (id % 25 == 0 && !writer.flush()) _exit(4);
      }
      _exit(writer.flush() ? 0 : 4);
    }
    writers.push_back(pid);
  }
  for (pid_t pid : writers) {
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer failed, status " << status;
  }
  ASSERT_TRUE(checkIndexFile(dir.file(kMainIndexFileName), 0, true).sound());
  OpenedMainIndex opened = OpenMainIndex(dir.path(), true, 0);
  std::optional<IndexSession> session = opened.index->beginRead();
  ASSERT_TRUE(session);
  std::optional<TermRecord> common = session->findTerm(u"common");
  ASSERT_TRUE(common);
  EXPECT_EQ(session->postingsOf(*common).size(), 800u);
  for (uint32_t first : {1u, 100001u}) {
    for (uint32_t id = first; id < first + 400; ++id) {
      std::optional<TermRecord> record = session->findTerm(uniqueTerm(id));
      ASSERT_TRUE(record) << "document " << id << " was lost";
      EXPECT_EQ(session->postingsOf(*record), (std::vector<Posting>{{id, session->postingsOf(*record).front().weight}}));
    }
  }
}

}  // namespace
}  // namespace brambel
