#include "store/cached_file_io.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "store/index_file.h"
#include "store/little_endian.h"

namespace brambel {
namespace {

constexpr size_t kDefaultCacheBytes = 1048576;
constexpr size_t kSmallestCapacity = 4;

size_t bucketCountFor(size_t capacity) {
  for (size_t prime : {269u, 1193u, 5623u, 16451u, 28669u}) {
    if (prime > capacity) return prime;
  }
  return 28669;
}

}  // namespace

CachedFileIo::CachedFileIo(std::filesystem::path path, uint64_t base, uint32_t blockSize,
                           uint32_t sectorSize, NodeGeometry nodes)
    : path_(std::move(path)),
      blockSize_(blockSize),
      sectorSize_(sectorSize),
      firstBlock_((base + IndexHeader::kSize + blockSize - 1) / blockSize * blockSize),
      nodes_(nodes),
      log_(firstBlock_, blockSize_),
      capacity_(std::max(kSmallestCapacity, kDefaultCacheBytes / blockSize)),
      order_(capacity_),
      fileEnd_(firstBlock_),
      readAhead_(std::make_unique<ReadAhead>(
          path_, [this](const File& handle, uint32_t block, uint32_t priority) {
            loadInBackground(handle, block, priority);
          },
          [this](const File& handle, RecordAddress root) { return childBlocksOf(handle, root); })) {}

CachedFileIo::~CachedFileIo() { readAhead_.reset(); }

uint64_t CachedFileIo::roundToBlock(uint64_t size) const {
  if (size <= firstBlock_) return firstBlock_;
  return firstBlock_ + (size - firstBlock_ + blockSize_ - 1) / blockSize_ * blockSize_;
}

void CachedFileIo::attach(const File& handle, bool writer, const SectionVersion& version) {
  std::lock_guard lock(mutex_);
  // Someone else changed the section since this object last saw it: what is
  // cached may be stale. Blocks with pending writes exist only while this
  // object's own writer is active, and the writer lock keeps others out.
  if (knownVersion_ != version && log_.empty() && activeWriters_ == 0) {
    dropAllBlocks();
    fileEnd_ = roundToBlock(version.size);
    knownVersion_ = version;
  }
  if (writer) {
    ++activeWriters_;
    fileEnd_ = std::max(fileEnd_, roundToBlock(version.size));
  }
}

bool CachedFileIo::release(const File& handle, bool writer, const SectionVersion& version) {
  std::lock_guard lock(mutex_);
  if (!writer) return true;
  bool written = flushPending(handle, SIZE_MAX);
  --activeWriters_;
  knownVersion_ = written ? std::optional(version) : std::nullopt;
  return written;
}

std::vector<uint32_t> CachedFileIo::childBlocksOf(const File& handle, RecordAddress root) {
  IndexNode node(nodes_);
  std::vector<uint32_t> blocks;
  if (!readNode(handle, root, node)) return blocks;
  for (uint32_t i = 0; i < node.childCount; ++i) blocks.push_back(node.child(i).block());
  return blocks;
}

void CachedFileIo::startReadAhead(File handle, RecordAddress root) { readAhead_->walkFrom(std::move(handle), root); }

void CachedFileIo::waitForReadAhead() { readAhead_->waitIdle(); }

void CachedFileIo::loadInBackground(const File& handle, uint32_t number, uint32_t priority) {
  std::unique_lock lock(mutex_);
  if (CacheBlock* block = findBlock(number)) {
    order_.touch(*block);
    return;
  }
  loadOutsideLock(lock, handle, number, priority);
}

CacheBlock* CachedFileIo::findBlock(uint32_t number) {
  auto found = blocks_.find(number);
  return found == blocks_.end() ? nullptr : found->second.get();
}

bool CachedFileIo::readFromDisk(const File& handle, CacheBlock& block) { return readBlock(handle, block, activeWriters_ == 0); }

bool CachedFileIo::readBlock(const File& handle, CacheBlock& block, bool settle) const {
  const uint64_t position = firstBlock_ + uint64_t{block.number} * blockSize_;
  int64_t got = handle.readAt(position, block.data.get(), blockSize_);
  if (got <= 0) return false;
  // Without a writer of our own another process may be rewriting the block
  // right now; read until the content settles.
  if (settle && !handle.readSettledAt(position, block.data.get(), static_cast<size_t>(got))) return false;
  block.valid = static_cast<uint32_t>(got);
  return true;
}

CacheBlock* CachedFileIo::loadOutsideLock(std::unique_lock<std::mutex>& lock, const File& handle, uint32_t number,
                                          uint32_t priority) {
  const uint64_t epoch = contentEpoch_;
  const bool settle = activeWriters_ == 0;
  lock.unlock();
  auto block = std::make_unique<CacheBlock>();
  block->number = number;
  block->data = CacheBlock::allocate(blockSize_);
  const bool read = block->data && readBlock(handle, *block, settle);
  lock.lock();
  if (CacheBlock* raced = findBlock(number)) return raced;
  // Blocks were written or dropped meanwhile: what was read may predate a
  // write, so read again, under the lock this time.
  if (contentEpoch_ != epoch) return loadBlock(handle, number, priority);
  if (!read) return nullptr;
  block->fill = blockSize_;
  block->priority = priority;
  return &insertBlock(std::move(block), &handle);
}

CacheBlock* CachedFileIo::loadBlock(const File& handle, uint32_t number, uint32_t priority) {
  auto block = std::make_unique<CacheBlock>();
  block->number = number;
  block->data = CacheBlock::allocate(blockSize_);
  if (!block->data) return nullptr;
  if (!readFromDisk(handle, *block)) return nullptr;
  block->fill = blockSize_;
  block->priority = priority;
  return &insertBlock(std::move(block), &handle);
}

CacheBlock& CachedFileIo::insertBlock(std::unique_ptr<CacheBlock> block, const File* handle) {
  if (!blockAllocated_) {
    blockAllocated_ = true;
    blocks_.rehash(bucketCountFor(capacity_));
  }
  CacheBlock& inserted = *block;
  order_.add(inserted);
  blocks_[inserted.number] = std::move(block);
  evictIfOverCapacity(handle, &inserted);
  return inserted;
}

void CachedFileIo::evictIfOverCapacity(const File* handle, const CacheBlock* keep) {
  while (blocks_.size() > capacity_) {
    CacheBlock* victim = order_.victim(keep, appendBlock_);
    if (!victim) return;
    if (victim->pendingWrites != 0 && (!handle || !flushThrough(*handle, *victim))) return;
    order_.evicted(*victim);
    blocks_.erase(victim->number);
  }
}

void CachedFileIo::queueWrite(CacheBlock& block, uint32_t offset, size_t length) {
  if (log_.add(block.number, offset, length, block.data.get())) ++block.pendingWrites;
}

bool CachedFileIo::flushPending(const File& handle, size_t blockLimit) {
  return log_.writeBack(handle, blockLimit, [&](uint32_t number) {
    ++contentEpoch_;
    if (CacheBlock* block = findBlock(number)) --block->pendingWrites;
  });
}

bool CachedFileIo::flushThrough(const File& handle, const CacheBlock& block) {
  while (block.pendingWrites != 0) {
    if (!flushPending(handle, 1)) return false;
  }
  return true;
}

void CachedFileIo::limitPending(const File& handle) {
  // Pending writes hold copies of record bytes; keep them within the cache's size.
  if (log_.bytes() > capacity_ * blockSize_) flushPending(handle, SIZE_MAX);
}

void CachedFileIo::dropAllBlocks() {
  ++contentEpoch_;
  blocks_.clear();
  order_.clear();
  appendBlock_ = nullptr;
}

bool CachedFileIo::readRecord(const File& handle, RecordAddress address, void* bytes, size_t length) {
  const uint32_t offset = address.offsetInBlock();
  if (address.isNone() || offset >= blockSize_ || length > blockSize_ - offset) return false;
  std::unique_lock lock(mutex_);
  CacheBlock* block = findBlock(address.block());
  if (block) {
    hits_.fetch_add(1, std::memory_order_relaxed);
    order_.touch(*block);
  } else {
    misses_.fetch_add(1, std::memory_order_relaxed);
    // Other threads keep using the cache while this one waits for the disk.
    block = loadOutsideLock(lock, handle, address.block(), 0);
    if (!block) return false;
  }
  if (offset + length > block->valid) return false;
  std::memcpy(bytes, block->data.get() + offset, length);
  return true;
}

RecordAddress CachedFileIo::writeRecord(const File& handle, RecordAddress address, const std::string& bytes) {
  if (bytes.size() > blockSize_) return RecordAddress::none();
  std::lock_guard lock(mutex_);
  CacheBlock* block = nullptr;
  uint32_t offset = 0;
  if (address.isNone()) {
    if (!appendBlock_ || appendBlock_->fill + bytes.size() > blockSize_) {
      if ((fileEnd_ - firstBlock_) / blockSize_ >= UINT32_MAX) return RecordAddress::none();
      auto fresh = std::make_unique<CacheBlock>();
      fresh->number = static_cast<uint32_t>((fileEnd_ - firstBlock_) / blockSize_);
      fresh->data = CacheBlock::allocate(blockSize_);
      if (!fresh->data) return RecordAddress::none();
      fresh->valid = blockSize_;
      fileEnd_ += blockSize_;
      block = &insertBlock(std::move(fresh), &handle);
      appendBlock_ = block;
      // The whole new block goes to disk, so the file grows by full blocks.
      queueWrite(*block, 0, blockSize_);
    }
    block = appendBlock_;
    offset = block->fill;
    block->fill += static_cast<uint32_t>(bytes.size());
  } else {
    offset = address.offsetInBlock();
    if (offset >= blockSize_ || bytes.size() > blockSize_ - offset) return RecordAddress::none();
    block = findBlock(address.block());
    if (block) {
      hits_.fetch_add(1, std::memory_order_relaxed);
      order_.touch(*block);
    } else {
      misses_.fetch_add(1, std::memory_order_relaxed);
      block = loadBlock(handle, address.block(), 0);
    }
    if (!block || offset + bytes.size() > block->valid) return RecordAddress::none();
  }
  std::memcpy(block->data.get() + offset, bytes.data(), bytes.size());
  queueWrite(*block, offset, bytes.size());
  limitPending(handle);
  return RecordAddress::inBlock(block->number, offset);
}

std::optional<IdBlock> CachedFileIo::readIdBlock(const File& handle, RecordAddress address, uint32_t knownCapacity,
                                                 bool weighted) {
  uint8_t head[IdBlock::kHeadSize];
  if (!readRecord(handle, address, head, sizeof head)) return std::nullopt;
  IdBlock block = [&] {
    // Check the claimed capacity before anything is sized from it.
    uint32_t capacity = loadLe32(head + 12);
    uint64_t stored = IdBlock::kHeadSize + uint64_t{capacity} * (weighted ? 8 : 4);
    if (capacity == 0 || head[24] != 0 || stored > blockSize_ - address.offsetInBlock() ||
        loadLe32(head + 8) > blockSize_) {
      return IdBlock(0, weighted);
    }
    return IdBlock::decodeHead(head, weighted);
  }();
  if (block.capacity() == 0) return std::nullopt;
  std::vector<uint8_t> slots(block.storedSize() - IdBlock::kHeadSize);
  RecordAddress slotsAt = RecordAddress::inBlock(address.block(), address.offsetInBlock() + IdBlock::kHeadSize);
  if (!readRecord(handle, slotsAt, slots.data(), slots.size())) return std::nullopt;
  block.decodeSlots(slots.data());
  block.address = address;
  if (block.hasNext()) prefetch(block.next);
  return block;
}

std::optional<TermRecord> CachedFileIo::readTermRecord(const File& handle, RecordAddress address) {
  uint8_t head[TermRecord::kHeadSize];
  if (!readRecord(handle, address, head, sizeof head)) return std::nullopt;
  uint32_t length = 0;
  TermRecord record = TermRecord::decodeHead(head, length);
  if (record.firstIdBlock.isNullLink() || record.firstBlockCapacity > blockSize_ || 2 * uint64_t{length} > blockSize_) return std::nullopt;
  std::vector<uint8_t> text(2 * size_t{length});
  RecordAddress textAt = RecordAddress::inBlock(address.block(), address.offsetInBlock() + TermRecord::kHeadSize);
  if (length != 0 && !readRecord(handle, textAt, text.data(), text.size())) return std::nullopt;
  record.suffix.resize(length);
  for (uint32_t i = 0; i < length; ++i) record.suffix[i] = loadLe16(text.data() + 2 * i);
  record.address = address;
  return record;
}

bool CachedFileIo::readNode(const File& handle, RecordAddress address, IndexNode& node) {
  std::vector<uint8_t> bytes(node.geometry().nodeSize());
  if (!readRecord(handle, address, bytes.data(), bytes.size())) return false;
  if (!node.decode(bytes.data(), bytes.size())) return false;
  node.address = address;
  return true;
}

RecordAddress CachedFileIo::writeIdBlock(const File& handle, IdBlock& block) {
  block.deflated = false;
  RecordAddress at = writeRecord(handle, block.address, block.encodeHead() + block.encodeSlots());
  if (!at.isNone()) block.address = at;
  return at;
}

RecordAddress CachedFileIo::writeTermRecord(const File& handle, TermRecord& record) {
  RecordAddress at = writeRecord(handle, record.address, record.encode());
  if (!at.isNone()) record.address = at;
  return at;
}

RecordAddress CachedFileIo::writeNode(const File& handle, IndexNode& node) {
  RecordAddress at = writeRecord(handle, node.address, node.encode());
  if (!at.isNone()) node.address = at;
  return at;
}

bool CachedFileIo::reload(const File& handle, RecordAddress address) {
  std::lock_guard lock(mutex_);
  CacheBlock* block = findBlock(address.block());
  if (!block || activeWriters_ != 0 || block->pendingWrites != 0) return false;
  return readFromDisk(handle, *block);
}

void CachedFileIo::forgetBlocks(std::span<const uint32_t> numbers) {
  std::lock_guard lock(mutex_);
  ++contentEpoch_;
  for (uint32_t number : numbers) {
    CacheBlock* block = findBlock(number);
    // A block with writes of its own still to go keeps them (the batch
    // writer runs only when this object has none).
    if (!block || block->pendingWrites != 0) continue;
    if (block == appendBlock_) appendBlock_ = nullptr;
    order_.remove(*block);
    blocks_.erase(number);
  }
}

bool CachedFileIo::writeBackAll(const File& handle) {
  std::lock_guard lock(mutex_);
  return flushPending(handle, SIZE_MAX);
}

bool CachedFileIo::writeBackAndDrop(const File& handle) {
  std::lock_guard lock(mutex_);
  if (!flushPending(handle, SIZE_MAX)) return false;
  dropAllBlocks();
  return true;
}

bool CachedFileIo::writeBackSome(const File& handle) {
  std::lock_guard lock(mutex_);
  flushPending(handle, kWriteBackBatch);
  return !log_.empty();
}

bool CachedFileIo::writeRaw(const File& handle, uint64_t position, const void* bytes, size_t length) {
  std::lock_guard lock(mutex_);
  // The header must not reach the disk before the records it names.
  return flushPending(handle, SIZE_MAX) && handle.writeAt(position, bytes, length);
}

bool CachedFileIo::readRaw(const File& handle, uint64_t position, void* bytes, size_t length) {
  return handle.readExactlyAt(position, bytes, length);
}

void CachedFileIo::setPriority(RecordAddress address, uint32_t priority) {
  if (address.isNone()) return;
  std::lock_guard lock(mutex_);
  // A block that is no longer cached has nothing left to keep.
  if (CacheBlock* block = findBlock(address.block())) block->priority = priority;
}

void CachedFileIo::prefetch(RecordAddress address) {
  if (address.isNullLink()) return;
  {
    std::lock_guard lock(mutex_);
    if (findBlock(address.block())) return;
  }
  readAhead_->prefetch(address.block());
}

bool CachedFileIo::setCacheSize(uint64_t bytes) {
  std::lock_guard lock(mutex_);
  if (blockAllocated_) return false;
  capacity_ = std::max<size_t>(kSmallestCapacity, bytes / blockSize_);
  order_.setCapacity(capacity_);
  return true;
}

size_t CachedFileIo::capacityBlocks() const {
  std::lock_guard lock(mutex_);
  return capacity_;
}

size_t CachedFileIo::cachedBlocks() const {
  std::lock_guard lock(mutex_);
  return blocks_.size();
}

size_t CachedFileIo::dirtyBlocks() const {
  std::lock_guard lock(mutex_);
  return std::count_if(blocks_.begin(), blocks_.end(),
                       [](const auto& entry) { return entry.second->pendingWrites != 0; });
}

}  // namespace brambel
