#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>

namespace brambel {

// Tests the free space of the library disk before anything is written. The
// first time it is short the program is told (once per run); it is asked
// again at most once a second.
class DiskSpaceGuard {
 public:
  DiskSpaceGuard(std::filesystem::path directory, uint32_t thresholdMb, std::function<void(uint32_t)> lowSpace);

  // True when there is room to write.
  bool hasRoom();

 private:
  std::filesystem::path directory_;
  uint64_t thresholdBytes_;
  uint32_t thresholdMb_;
  std::function<void(uint32_t)> lowSpace_;
  std::atomic<bool> reported_{false};
  std::atomic<bool> lastAnswer_{true};
  std::atomic<int64_t> lastCheck_{0};
};

}  // namespace brambel
