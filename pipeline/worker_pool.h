#pragma once

#include <exception>
#include <functional>
#include <utility>

#include "pipeline/work_queue.h"
#include "pipeline/worker_pool_base.h"

namespace brambel {

// A work queue with the threads that take from it. Each item is handed to
// the pool's step; the step owns the item from then on (it may put it back
// or hand it on). A step that throws loses only its item.
template <class Payload>
class WorkerPool : public WorkerPoolBase, public WorkQueue<Payload> {
 public:
  using Step = std::function<void(WorkItem<Payload>&)>;
  using Capacity = std::function<size_t()>;

  WorkerPool(PoolOptions options, Step step, Capacity capacity = {})
      : WorkerPoolBase(std::move(options)), step_(std::move(step)), capacity_(std::move(capacity)) {}
  ~WorkerPool() override { joinThreads(); }

  size_t capacity() const override { return capacity_ ? capacity_() : WorkQueue<Payload>::kHardLimit; }
  size_t queuedCount() const override { return this->count(); }
  size_t claimedCount() const override { return this->inProgressCount(); }

 protected:
  bool hasTakers() const override { return startedThreads() > 0 && isRunning(); }
  void closeQueue() override { this->close(); }
  bool workOne() override {
    std::optional<WorkItem<Payload>> item = this->waitAndTake();
    if (!item) return false;
    try {
      step_(*item);
    } catch (const std::exception&) {
      // The step's guards have released its claims; the item is dropped.
    }
    return true;
  }

 private:
  Step step_;
  Capacity capacity_;
};

}  // namespace brambel
