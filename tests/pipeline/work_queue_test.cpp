#include "pipeline/work_queue.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace brambel {
namespace {

using Queue = WorkQueue<std::shared_ptr<int>>;

std::vector<int> drain(Queue& queue) {
  std::vector<int> order;
  while (auto item = queue.take()) order.push_back(*item->payload);
  return order;
}

TEST(WorkQueue, NonZeroPrioritiesGoFirstNewestFirstWhileZeroKeepsArrivalOrder) {
  Queue queue;
  queue.add(u"a", kNoSearch, std::make_shared<int>(1), AddMode::kAlways, 0);
  queue.add(u"b", kNoSearch, std::make_shared<int>(2), AddMode::kAlways, 5);
  queue.add(u"c", kNoSearch, std::make_shared<int>(3), AddMode::kAlways, 0);
  queue.add(u"d", kNoSearch, std::make_shared<int>(4), AddMode::kAlways, 5);
  queue.add(u"e", kNoSearch, std::make_shared<int>(5), AddMode::kAlways, 7);
  EXPECT_EQ(drain(queue), (std::vector<int>{5, 4, 2, 1, 3}));
  EXPECT_FALSE(queue.take());
}

TEST(WorkQueue, HardLimitStopsBoundedAddsButNotForcedOnes) {
  Queue queue;
  for (size_t i = 0; i <= Queue::kHardLimit; ++i)
    ASSERT_TRUE(queue.add(u"k" + std::u16string(1, char16_t(i % 50 + 'A')), kNoSearch, nullptr, AddMode::kBounded, 0));
  EXPECT_EQ(queue.count(), Queue::kHardLimit + 1);
  EXPECT_FALSE(queue.add(u"late", kNoSearch, nullptr, AddMode::kBounded, 0));
  EXPECT_TRUE(queue.add(u"late", kNoSearch, nullptr, AddMode::kAlways, 0));
  EXPECT_TRUE(queue.isQueued(u"late"));
}

class SmallQueue : public Queue {
 public:
  size_t capacity() const override { return 4; }
};

TEST(WorkQueue, WaitingAddBlocksWhileOverCapacityUntilAnItemIsTaken) {
  SmallQueue queue;
  for (int i = 0; i < 5; ++i) queue.add(u"k", kNoSearch, std::make_shared<int>(i), AddMode::kWaitForRoom, 0);
  std::atomic<bool> added{false};
  std::thread adder([&] {
    queue.add(u"k", kNoSearch, std::make_shared<int>(9), AddMode::kWaitForRoom, 0);
    added = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(250));
  EXPECT_FALSE(added.load());
  ASSERT_TRUE(queue.take());
  adder.join();
  EXPECT_TRUE(added.load());
  EXPECT_EQ(queue.count(), 5u);
}

TEST(WorkQueue, CloseReleasesWaitersAndRefusesItems) {
  SmallQueue queue;
  for (int i = 0; i < 5; ++i) queue.add(u"k", kNoSearch, nullptr, AddMode::kAlways, 0);
  std::atomic<bool> answered{false}, result{true};
  std::thread adder([&] {
    result = queue.add(u"x", kNoSearch, nullptr, AddMode::kWaitForRoom, 0);
    answered = true;
  });
  std::thread taker([&] {
    Queue empty;
    std::thread closer([&] { empty.close(); });
    EXPECT_FALSE(empty.waitAndTake());
    closer.join();
  });
  queue.close();
  adder.join();
  taker.join();
  EXPECT_TRUE(answered.load());
  EXPECT_FALSE(result.load());
}

TEST(WorkQueue, PurgeDropsItemsAbovePriorityAndReleasesTheirPayloads) {
  Queue queue;
  auto kept = std::make_shared<int>(1);
  auto dropped = std::make_shared<int>(2);
  queue.add(u"low", kNoSearch, kept, AddMode::kAlways, 1);
  queue.add(u"high", kNoSearch, dropped, AddMode::kAlways, 9);
  EXPECT_EQ(queue.purge(5), 1u);
  EXPECT_EQ(dropped.use_count(), 1);
  EXPECT_FALSE(queue.isQueued(u"high"));
  EXPECT_TRUE(queue.isQueued(u"low"));
  EXPECT_EQ(queue.purge(-1), 1u);
  EXPECT_EQ(kept.use_count(), 1);
  EXPECT_EQ(queue.count(), 0u);
}

TEST(WorkQueue, KeyCountsFollowEveryCopyOfAKey) {
  Queue queue;
  queue.add(u"u", kNoSearch, nullptr, AddMode::kAlways, 0);
  queue.add(u"u", kNoSearch, nullptr, AddMode::kAlways, 0);
  queue.take();
  EXPECT_TRUE(queue.isQueued(u"u"));
  queue.take();
  EXPECT_FALSE(queue.isQueued(u"u"));
}

TEST(WorkQueue, ClaimsAreExclusiveAndRecentSetStartsAgainPastTwoHundred) {
  Queue queue;
  EXPECT_TRUE(queue.claim(u"u"));
  EXPECT_FALSE(queue.claim(u"u"));
  EXPECT_TRUE(queue.isInProgress(u"u"));
  queue.release(u"u");
  EXPECT_EQ(queue.inProgressCount(), 0u);

  for (int i = 0; i <= 200; ++i) queue.markHandled(u"h" + std::u16string(1, char16_t(0x100 + i)));
  EXPECT_TRUE(queue.wasHandled(u"h" + std::u16string(1, char16_t(0x100))));
  queue.markHandled(u"last");
  EXPECT_FALSE(queue.wasHandled(u"h" + std::u16string(1, char16_t(0x100))));
  EXPECT_TRUE(queue.wasHandled(u"last"));
}

}  // namespace
}  // namespace brambel
