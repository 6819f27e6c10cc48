#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/thread_priority.h"
#include "pipeline/pool_statistics.h"

namespace brambel {

// Asked with a prompt's text after each wait period of a pool that will not
// give up by itself; answers whether to go on waiting.
using KeepWaiting = std::function<bool(const std::u16string& prompt)>;

struct PoolOptions {
  std::string name;
  ThreadPriority priority = ThreadPriority::kLowest;
  std::chrono::milliseconds stopWait{30000};
  // Empty: stopping gives up after one wait period. Otherwise the user is
  // asked with this text after each period whether to wait on.
  std::u16string stopPrompt;
  // Called when a worker finishes an item and finds the queue empty.
  std::function<void()> onDrained;
};

// The threads of one pool, whatever its payload: start, the worker frame,
// stop and the figures of the statistics window.
class WorkerPoolBase {
 public:
  explicit WorkerPoolBase(PoolOptions options);
  virtual ~WorkerPoolBase();
  WorkerPoolBase(const WorkerPoolBase&) = delete;
  WorkerPoolBase& operator=(const WorkerPoolBase&) = delete;

  // Starts `count` more worker threads (none for a count below 1).
  void addThreads(int count);
  // Stops taking items, wakes every worker and waits, polling every 100 ms,
  // until none runs. A pool without a prompt gives up after its wait period;
  // one with a prompt asks `keepWaiting` after each period. Answers whether
  // every worker ended. Threads that outlive it are joined when the pool is
  // destroyed (a worker's network read ends by its own time-out).
  bool stopThreads(const KeepWaiting& keepWaiting = {});

  const std::string& name() const { return options_.name; }
  int liveThreads() const { return live_.load(); }
  int startedThreads() const { return started_.load(); }
  bool isRunning() const { return running_.load(); }
  PoolStatistics statistics() const;

  virtual size_t queuedCount() const = 0;
  virtual size_t claimedCount() const = 0;

 protected:
  // Takes and works one item; false once the queue is closed.
  virtual bool workOne() = 0;
  // Wakes the workers and refuses further items.
  virtual void closeQueue() = 0;
  // Stops and joins every thread; each derived pool calls it from its
  // destructor, before its queue goes away.
  void joinThreads();

 private:
  void workerMain();

  PoolOptions options_;
  std::atomic<bool> running_{true};
  std::atomic<int> live_{0};
  std::atomic<int> started_{0};
  std::atomic<uint64_t> handled_{0};
  mutable std::mutex threadsMutex_;
  std::vector<std::thread> threads_;
};

}  // namespace brambel
