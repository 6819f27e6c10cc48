#pragma once

#include <chrono>

namespace brambel {

// Keeps a long batch from monopolising the processor: sleeps 1 ms whenever
// more than `interval` has passed since the last pause (never for 0).
class WorkYielder {
 public:
  explicit WorkYielder(std::chrono::milliseconds interval);
  void maybeYield();

 private:
  using Clock = std::chrono::steady_clock;
  std::chrono::milliseconds interval_;
  Clock::time_point lastPause_;
};

}  // namespace brambel
