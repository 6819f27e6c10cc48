#include "store/read_ahead.h"

namespace brambel {

ReadAhead::ReadAhead(std::filesystem::path path, LoadBlock load, ChildBlocks childrenOf)
    : path_(std::move(path)), load_(std::move(load)), childrenOf_(std::move(childrenOf)), thread_([this] { run(); }) {}

ReadAhead::~ReadAhead() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void ReadAhead::walkFrom(File handle, RecordAddress root) {
  {
    std::lock_guard lock(mutex_);
    walk_.emplace(std::move(handle), root);
  }
  wake_.notify_all();
}

void ReadAhead::prefetch(uint32_t block) {
  {
    std::lock_guard lock(mutex_);
    blocks_.push_back(block);
  }
  wake_.notify_all();
}

void ReadAhead::waitIdle() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [&] { return !busy_ && !walk_ && blocks_.empty(); });
}

void ReadAhead::run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return stopping_ || walk_ || !blocks_.empty(); });
    if (stopping_) return;
    busy_ = true;
    std::optional<std::pair<File, RecordAddress>> walk = std::exchange(walk_, std::nullopt);
    lock.unlock();
    // Reading ahead only saves time: what it fails to load, readers load themselves.
    try {
      if (walk) {
        for (uint32_t block : childrenOf_(walk->first, walk->second)) load_(walk->first, block, kBelowRootPriority);
      } else {
        prefetchQueued();
      }
    } catch (...) {
    }
    lock.lock();
    busy_ = false;
    idle_.notify_all();
  }
}

void ReadAhead::prefetchQueued() {
  File handle = File::open(path_, File::Access::Read);
  std::unique_lock lock(mutex_);
  while (!blocks_.empty() && !stopping_) {
    const uint32_t block = blocks_.front();
    blocks_.pop_front();
    lock.unlock();
    if (handle.isOpen()) load_(handle, block, 0);
    lock.lock();
  }
}

}  // namespace brambel
