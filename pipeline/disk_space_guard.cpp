#include "pipeline/disk_space_guard.h"

#include <chrono>
#include <optional>
#include <utility>

#include "platform/volume.h"

namespace brambel {

DiskSpaceGuard::DiskSpaceGuard(std::filesystem::path directory, uint32_t thresholdMb,
                               std::function<void(uint32_t)> lowSpace)
    : directory_(std::move(directory)),
      thresholdBytes_(uint64_t{thresholdMb} * 1024 * 1024),
      thresholdMb_(thresholdMb),
      lowSpace_(std::move(lowSpace)) {}

bool DiskSpaceGuard::hasRoom() {
  const int64_t now =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
          .count();
  int64_t last = lastCheck_.load();
  if (last != 0 && now - last < 1000) return lastAnswer_.load();
  lastCheck_ = now;
  // A disk that cannot be asked is not taken for a full one.
  std::optional<uint64_t> free = freeSpaceFor(directory_);
  const bool room = !free || *free >= thresholdBytes_;
  lastAnswer_ = room;
  if (!room && !reported_.exchange(true) && lowSpace_) lowSpace_(thresholdMb_);
  return room;
}

}  // namespace brambel
