#include "index/work_yielder.h"

#include <thread>

namespace brambel {

WorkYielder::WorkYielder(std::chrono::milliseconds interval)
    : interval_(interval), lastPause_(Clock::now()) {}

void WorkYielder::maybeYield() {
  if (interval_.count() <= 0) return;
  if (Clock::now() - lastPause_ <= interval_) return;
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
  lastPause_ = Clock::now();
}

}  // namespace brambel
