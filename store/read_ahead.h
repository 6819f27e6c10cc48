#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "platform/file.h"
#include "store/record_address.h"

namespace brambel {

// Loads blocks into a block cache on a thread of its own: the blocks below
// the root after open, and blocks prefetched ahead of a reader. It opens a
// read-only handle of its own only while it has prefetching to do.
class ReadAhead {
 public:
  // Blocks loaded by the walk below the root keep this priority, so that the
  // top of the tree outlives ordinary blocks.
  static constexpr uint32_t kBelowRootPriority = 2000;

  // Loads block `block` into the cache with `priority` unless it is cached.
  using LoadBlock = std::function<void(const File& handle, uint32_t block, uint32_t priority)>;
  // The blocks of the root's children.
  using ChildBlocks = std::function<std::vector<uint32_t>(const File& handle, RecordAddress root)>;

  ReadAhead(std::filesystem::path path, LoadBlock load, ChildBlocks childrenOf);
  // Stops the thread after the block it is loading.
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  void walkFrom(File handle, RecordAddress root);
  void prefetch(uint32_t block);
  // Waits until the work queued so far is done.
  void waitIdle();

 private:
  void run();
  // Loads the prefetched blocks queued until none are left.
  void prefetchQueued();

  std::filesystem::path path_;
  LoadBlock load_;
  ChildBlocks childrenOf_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::optional<std::pair<File, RecordAddress>> walk_;
  std::deque<uint32_t> blocks_;
  bool busy_ = false;
  bool stopping_ = false;
  std::thread thread_;  // last: it starts once everything above is ready
};

}  // namespace brambel
