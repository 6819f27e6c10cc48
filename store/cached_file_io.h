#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "store/cache_block.h"
#include "store/eviction_order.h"
#include "store/file_io.h"
#include "store/read_ahead.h"
#include "store/write_log.h"

namespace brambel {

// A block cache over the record space of a section. Block n of Z bytes starts
// at byte D + n·Z, D being the section base plus the 40-byte header rounded
// up to Z; a record's address is (block, offset inside the block), so every
// record fits in one block.
//
// Writes go into cached blocks and into the write log (see WriteLog).
// Write-back replays the log in the order the writes were made, so the file
// on disk always shows a prefix of the writer's history: a process killed
// mid-update leaves a tree that the engine's write order keeps whole. A
// block with pending writes stays cached until they are on disk. A writer's
// release writes everything back.
//
// Eviction follows an EvictionOrder: least-recently-used, but preferring
// blocks whose priority (the number of postings last written into them) is
// in the lower quartile. A priority lives with its cached block and is
// forgotten when the block is evicted, so bookkeeping stays within the
// cache's capacity. Blocks below the root and prefetched blocks are loaded
// by a ReadAhead thread.
class CachedFileIo final : public FileIo {
 public:
  static constexpr uint32_t kWriteBackBatch = 20;

  // `path` is the file the read-ahead thread opens for its own reads;
  // `nodes` tells it how to read the root node.
  CachedFileIo(std::filesystem::path path, uint64_t base, uint32_t blockSize, uint32_t sectorSize,
               NodeGeometry nodes);
  // Writes nothing back; stops the read-ahead thread and frees the blocks.
  ~CachedFileIo() override;
  CachedFileIo(const CachedFileIo&) = delete;
  CachedFileIo& operator=(const CachedFileIo&) = delete;

  void attach(const File& handle, bool writer, const SectionVersion& version) override;
  bool release(const File& handle, bool writer, const SectionVersion& version) override;
  void startReadAhead(File handle, RecordAddress root) override;

  std::optional<IdBlock> readIdBlock(const File& handle, RecordAddress address, uint32_t knownCapacity,
                                     bool weighted) override;
  std::optional<TermRecord> readTermRecord(const File& handle, RecordAddress address) override;
  bool readNode(const File& handle, RecordAddress address, IndexNode& node) override;

  RecordAddress writeIdBlock(const File& handle, IdBlock& block) override;
  RecordAddress writeTermRecord(const File& handle, TermRecord& record) override;
  RecordAddress writeNode(const File& handle, IndexNode& node) override;

  bool reload(const File& handle, RecordAddress address) override;
  void forgetBlocks(std::span<const uint32_t> blocks) override;
  bool writeBackAll(const File& handle) override;
  bool writeBackAndDrop(const File& handle) override;
  bool writeBackSome(const File& handle) override;

  bool writeRaw(const File& handle, uint64_t position, const void* bytes, size_t length) override;
  bool readRaw(const File& handle, uint64_t position, void* bytes, size_t length) override;

  void setPriority(RecordAddress address, uint32_t priority) override;
  void prefetch(RecordAddress address) override;
  bool setCacheSize(uint64_t bytes) override;

  uint64_t hits() const override { return hits_.load(std::memory_order_relaxed); }
  uint64_t misses() const override { return misses_.load(std::memory_order_relaxed); }

  uint32_t blockSize() const { return blockSize_; }
  uint64_t firstBlockPosition() const { return firstBlock_; }  // D
  size_t capacityBlocks() const;
  size_t cachedBlocks() const;
  size_t dirtyBlocks() const;
  // Waits until the read-ahead and prefetch work queued so far is done.
  void waitForReadAhead();

 private:
  // Loads a block for the read-ahead thread unless it is cached (then touches it).
  void loadInBackground(const File& handle, uint32_t number, uint32_t priority);
  // The blocks of the children of the node at `root`, for the read-ahead.
  std::vector<uint32_t> childBlocksOf(const File& handle, RecordAddress root);
  // The helpers from here to readRecord expect mutex_ to be held.
  CacheBlock* findBlock(uint32_t number);
  CacheBlock* loadBlock(const File& handle, uint32_t number, uint32_t priority);
  bool readFromDisk(const File& handle, CacheBlock& block);
  bool readBlock(const File& handle, CacheBlock& block, bool settle) const;
  // Reads a missing block with `lock` released, and inserts it; `lock` is held again on return.
  CacheBlock* loadOutsideLock(std::unique_lock<std::mutex>& lock, const File& handle, uint32_t number, uint32_t priority);
  CacheBlock& insertBlock(std::unique_ptr<CacheBlock> block, const File* handle);
  void evictIfOverCapacity(const File* handle, const CacheBlock* keep);
  bool flushPending(const File& handle, size_t blockLimit);
  bool flushThrough(const File& handle, const CacheBlock& block);
  void dropAllBlocks();
  void queueWrite(CacheBlock& block, uint32_t offset, size_t length);
  void limitPending(const File& handle);
  uint64_t roundToBlock(uint64_t size) const;

  bool readRecord(const File& handle, RecordAddress address, void* bytes, size_t length);
  RecordAddress writeRecord(const File& handle, RecordAddress address, const std::string& bytes);

  std::filesystem::path path_;
  uint32_t blockSize_;
  uint32_t sectorSize_;
  uint64_t firstBlock_;
  NodeGeometry nodes_;

  mutable std::mutex mutex_;
  std::unordered_map<uint32_t, std::unique_ptr<CacheBlock>> blocks_;
  WriteLog log_;
  size_t capacity_;
  EvictionOrder order_;
  bool blockAllocated_ = false;
  uint64_t fileEnd_;  // end of the record space, on a block boundary
  CacheBlock* appendBlock_ = nullptr;
  int activeWriters_ = 0;
  // Counts writes to the file and dropped blocks, so that a block read
  // without the lock is not inserted when it may predate one of them.
  uint64_t contentEpoch_ = 0;
  // The section as this object last saw it; what is cached belongs to it.
  std::optional<SectionVersion> knownVersion_;

  std::atomic<uint64_t> hits_{0};
  std::atomic<uint64_t> misses_{0};

  std::unique_ptr<ReadAhead> readAhead_;
};

}  // namespace brambel
