#include "pipeline/worker_pool_base.h"

#include <pthread.h>

#include <utility>

namespace brambel {

WorkerPoolBase::WorkerPoolBase(PoolOptions options) : options_(std::move(options)) {}

WorkerPoolBase::~WorkerPoolBase() = default;

void WorkerPoolBase::addThreads(int count) {
  std::lock_guard lock(threadsMutex_);
  for (int i = 0; i < count && running_.load(); ++i) {
    threads_.emplace_back([this] { workerMain(); });
    ++started_;
  }
}

void WorkerPoolBase::workerMain() {
  // Named after the pool, so that profilers and the system's process lists tell the pools apart.
  pthread_setname_np(pthread_self(), options_.name.substr(0, 15).c_str());
  setCurrentThreadPriority(options_.priority);
  ++live_;
  try {
    while (running_.load()) {
      if (!workOne()) break;
      ++handled_;
      if (options_.onDrained && queuedCount() == 0) options_.onDrained();
    }
  } catch (...) {
    // A worker never takes the program down; the pool runs on with one fewer.
  }
  --live_;
}

bool WorkerPoolBase::stopThreads(const KeepWaiting& keepWaiting) {
  running_ = false;
  closeQueue();
  using Clock = std::chrono::steady_clock;
  auto periodEnd = Clock::now() + options_.stopWait;
  while (live_.load() > 0) {
    if (Clock::now() >= periodEnd) {
      if (options_.stopPrompt.empty() || !keepWaiting || !keepWaiting(options_.stopPrompt)) return false;
      periodEnd = Clock::now() + options_.stopWait;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

void WorkerPoolBase::joinThreads() {
  running_ = false;
  closeQueue();
  std::vector<std::thread> threads;
  {
    std::lock_guard lock(threadsMutex_);
    threads.swap(threads_);
  }
  for (std::thread& thread : threads) thread.join();
}

PoolStatistics WorkerPoolBase::statistics() const {
  return PoolStatistics{options_.name, live_.load(), queuedCount(), claimedCount(), handled_.load()};
}

}  // namespace brambel
