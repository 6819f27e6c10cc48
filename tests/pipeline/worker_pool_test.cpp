#include "pipeline/worker_pool.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include <gtest/gtest.h>

namespace brambel {
namespace {

using namespace std::chrono_literals;

PoolOptions options(std::chrono::milliseconds stopWait = 30000ms, std::u16string prompt = {}) {
  PoolOptions result;
  result.name = "test";
  result.stopWait = stopWait;
  result.stopPrompt = std::move(prompt);
  return result;
}

TEST(WorkerPool, ThreadsWorkEveryItemOnceAtLowestPriorityAndReportDrained) {
  std::mutex mutex;
  std::multiset<int> seen;
  std::atomic<int> lowest{0}, drained{0};
  PoolOptions pool = options();
  pool.onDrained = [&] { ++drained; };
  WorkerPool<int> workers(pool, [&](WorkItem<int>& item) {
    if (currentThreadNiceValue() == 19) ++lowest;
    std::lock_guard lock(mutex);
    seen.insert(item.payload);
  });
  workers.addThreads(3);
  for (int i = 0; i < 100; ++i) workers.add(u"k", kNoSearch, i, AddMode::kAlways, 0);
  for (int waited = 0; workers.count() != 0 && waited < 500; ++waited) std::this_thread::sleep_for(10ms);
  ASSERT_TRUE(workers.stopThreads());
  EXPECT_EQ(seen.size(), 100u);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(seen.count(i), 1u);
  EXPECT_EQ(lowest.load(), 100);
  EXPECT_GE(drained.load(), 1);
  EXPECT_EQ(workers.statistics().handled, 100u);
  EXPECT_EQ(workers.liveThreads(), 0);
}

TEST(WorkerPool, AThrowingStepLosesOnlyItsItem) {
  std::atomic<int> worked{0};
  WorkerPool<int> workers(options(), [&](WorkItem<int>& item) {
    if (item.payload == 0) throw std::runtime_error("bad page");
    ++worked;
  });
  workers.addThreads(1);
  workers.add(u"a", kNoSearch, 0, AddMode::kAlways, 0);
  workers.add(u"b", kNoSearch, 1, AddMode::kAlways, 0);
  for (int waited = 0; worked.load() == 0 && waited < 500; ++waited) std::this_thread::sleep_for(10ms);
  EXPECT_EQ(worked.load(), 1);
  EXPECT_EQ(workers.liveThreads(), 1);
}

TEST(WorkerPool, StopGivesUpAfterItsWaitOrAsksWhenItHasAPrompt) {
  std::atomic<bool> release{false};
  auto blockingStep = [&](WorkItem<int>&) {
    while (!release.load()) std::this_thread::sleep_for(5ms);
  };
  {
    WorkerPool<int> quiet(options(200ms), blockingStep);
    quiet.addThreads(1);
    quiet.add(u"a", kNoSearch, 0, AddMode::kAlways, 0);
    std::this_thread::sleep_for(50ms);
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(quiet.stopThreads([](const std::u16string&) { return true; }));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    release = true;
  }
  release = false;
  WorkerPool<int> asking(options(100ms, u"Continue waiting?"), blockingStep);
  asking.addThreads(1);
  asking.add(u"a", kNoSearch, 0, AddMode::kAlways, 0);
  std::this_thread::sleep_for(50ms);
  int asked = 0;
  EXPECT_TRUE(asking.stopThreads([&](const std::u16string& prompt) {
    EXPECT_EQ(prompt, u"Continue waiting?");
    if (++asked == 2) release = true;
    return true;
  }));
  EXPECT_EQ(asked, 2);
}

TEST(WorkerPool, APoolWithoutThreadsKeepsItemsAndDoesNotBlockWaitingAdds) {
  WorkerPool<int> idle(options(), [](WorkItem<int>&) {}, [] { return size_t(0); });
  EXPECT_TRUE(idle.add(u"a", kNoSearch, 0, AddMode::kWaitForRoom, 0));
  EXPECT_TRUE(idle.add(u"b", kNoSearch, 0, AddMode::kWaitForRoom, 0));
  EXPECT_EQ(idle.statistics().queued, 2u);
}

}  // namespace
}  // namespace brambel
