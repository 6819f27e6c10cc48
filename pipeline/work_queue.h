#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

#include "pipeline/key_sets.h"
#include "pipeline/work_item.h"

namespace brambel {

// A URL-keyed priority queue of work items.
//
// Items are kept highest priority first. An item of priority 0 goes to the
// end; any other goes before the first item whose priority is not greater,
// so among equal non-zero priorities the newest comes first while priority-0
// items keep their order of arrival.
//
// Two locks, never held together and never held during work: the queue lock
// (items and per-key counts) and the in-progress set's own lock. Payloads
// are owned by the queue while queued; a discarded item's payload is
// destroyed with it.
template <class Payload>
class WorkQueue {
 public:
  static constexpr size_t kHardLimit = 32768;
  using Item = WorkItem<Payload>;

  virtual ~WorkQueue() = default;

  // The soft limit that kWaitForRoom adds wait for.
  virtual size_t capacity() const { return kHardLimit; }

  // Answers whether the item was added. A closed queue takes nothing.
  bool add(std::u16string key, int32_t searchNumber, Payload payload, AddMode mode, int32_t priority) {
    std::unique_lock lock(mutex_);
    if (mode == AddMode::kWaitForRoom) {
      // Nobody would ever make room in a closed queue or one without workers.
      while (!closed_ && items_.size() > capacity() && hasTakers())
        roomMade_.wait_for(lock, std::chrono::milliseconds(100));
    }
    if (closed_) return false;
    if (mode == AddMode::kBounded && items_.size() > kHardLimit) return false;
    auto position = items_.end();
    if (priority != 0) {
      position = items_.begin();
      while (position != items_.end() && position->priority > priority) ++position;
    }
    ++keyCounts_[key];
    items_.insert(position, Item{std::move(key), searchNumber, priority, std::move(payload)});
    lock.unlock();
    itemAdded_.notify_one();
    return true;
  }

  // The first item, or nothing when the queue is empty.
  std::optional<Item> take() {
    std::unique_lock lock(mutex_);
    return takeLocked(lock);
  }

  // Waits for an item; nothing once the queue is closed.
  std::optional<Item> waitAndTake() {
    std::unique_lock lock(mutex_);
    itemAdded_.wait(lock, [&] { return closed_ || !items_.empty(); });
    if (closed_) return std::nullopt;
    return takeLocked(lock);
  }

  // Wakes every waiting taker and adder; later adds are refused. Queued
  // items stay until purged or destroyed.
  void close() {
    {
      std::lock_guard lock(mutex_);
      closed_ = true;
    }
    itemAdded_.notify_all();
    roomMade_.notify_all();
  }
  bool isClosed() const {
    std::lock_guard lock(mutex_);
    return closed_;
  }

  // Removes every queued item whose priority is greater than `priority`
  // (every item for -1); answers how many went.
  size_t purge(int32_t priority) {
    std::list<Item> dropped;  // destroyed outside the lock
    {
      std::lock_guard lock(mutex_);
      for (auto item = items_.begin(); item != items_.end();) {
        if (priority == -1 || item->priority > priority) {
          forgetKeyLocked(item->key);
          auto next = std::next(item);
          dropped.splice(dropped.end(), items_, item);
          item = next;
        } else {
          ++item;
        }
      }
    }
    roomMade_.notify_all();
    return dropped.size();
  }

  bool isQueued(const std::u16string& key) const {
    std::lock_guard lock(mutex_);
    return keyCounts_.count(key) != 0;
  }
  size_t count() const {
    std::lock_guard lock(mutex_);
    return items_.size();
  }

  // The in-progress set: a worker claims a URL before any work on it.
  bool claim(const std::u16string& key) { return inProgress_.insert(key); }
  void release(const std::u16string& key) { inProgress_.erase(key); }
  bool isInProgress(const std::u16string& key) const { return inProgress_.contains(key); }
  size_t inProgressCount() const { return inProgress_.size(); }
  LockedKeySet& inProgress() { return inProgress_; }

  // URLs a worker finished with lately.
  void markHandled(const std::u16string& key) { recentlyHandled_.add(key); }
  bool wasHandled(const std::u16string& key) const { return recentlyHandled_.contains(key); }

 protected:
  // Whether any worker takes from the queue (a blocking add waits only then).
  virtual bool hasTakers() const { return true; }

 private:
  std::optional<Item> takeLocked(std::unique_lock<std::mutex>& lock) {
    if (items_.empty()) return std::nullopt;
    Item item = std::move(items_.front());
    items_.pop_front();
    forgetKeyLocked(item.key);
    lock.unlock();
    roomMade_.notify_all();
    return item;
  }

  void forgetKeyLocked(const std::u16string& key) {
    auto found = keyCounts_.find(key);
    if (found != keyCounts_.end() && --found->second == 0) keyCounts_.erase(found);
  }

  mutable std::mutex mutex_;
  std::condition_variable itemAdded_;
  std::condition_variable roomMade_;
  std::list<Item> items_;
  std::unordered_map<std::u16string, size_t> keyCounts_;
  bool closed_ = false;
  LockedKeySet inProgress_;
  RecentKeySet recentlyHandled_;
};

}  // namespace brambel
