#include "store/block_write_back.h"

#include <algorithm>
#include <cstring>

namespace brambel {
namespace {

// Appended blocks go to disk in pieces of this size while the update runs,
// so that a large batch never holds all its new blocks in memory.
constexpr size_t kAppendWriteChunk = 4 << 20;

}  // namespace

BlockWriteBack::BlockWriteBack(const File& handle, uint64_t firstBlockPosition, uint32_t blockSize,
                               uint64_t fileSize)
    : handle_(handle), firstBlock_(firstBlockPosition), blockSize_(blockSize) {
  const uint64_t blocks = fileSize <= firstBlock_ ? 0 : (fileSize - firstBlock_ + blockSize_ - 1) / blockSize_;
  firstNewBlock_ = static_cast<uint32_t>(std::min<uint64_t>(blocks, UINT32_MAX));
}

RecordAddress BlockWriteBack::append(std::string_view bytes) {
  if (bytes.size() > blockSize_ || writeFailed_) return RecordAddress::none();
  uint64_t at = appendedBytes_;
  const uint64_t offset = at % blockSize_;
  if (offset + bytes.size() > blockSize_) at += blockSize_ - offset;
  const uint64_t block = firstNewBlock_ + at / blockSize_;
  if (block >= UINT32_MAX) return RecordAddress::none();
  appending_.resize(at + bytes.size() - appendedWritten_, 0);
  std::memcpy(appending_.data() + (at - appendedWritten_), bytes.data(), bytes.size());
  appendedBytes_ = at + bytes.size();
  if (appending_.size() >= kAppendWriteChunk && !writeAppended(false)) writeFailed_ = true;
  return RecordAddress::inBlock(static_cast<uint32_t>(block), static_cast<uint32_t>(at % blockSize_));
}

bool BlockWriteBack::writeAppended(bool includingPartial) {
  // Only whole blocks leave memory early: the last one may still grow.
  size_t length = appending_.size() / blockSize_ * blockSize_;
  if (includingPartial) {
    length = (appending_.size() + blockSize_ - 1) / blockSize_ * blockSize_;
    appending_.resize(length, 0);  // the file grows by whole blocks
  }
  if (length == 0) return true;
  if (!handle_.writeAt(positionOf(firstNewBlock_) + appendedWritten_, appending_.data(), length)) return false;
  appending_.erase(appending_.begin(), appending_.begin() + static_cast<std::ptrdiff_t>(length));
  appendedWritten_ += length;
  return true;
}

void BlockWriteBack::addPatch(RecordAddress address, std::string_view bytes, bool undone) {
  patches_.push_back({address.block(), address.offsetInBlock(), static_cast<uint32_t>(bytes.size()),
                      patchBytes_.size(), undone});
  patchBytes_.insert(patchBytes_.end(), bytes.begin(), bytes.end());
}

bool BlockWriteBack::writePatches() {
  // Later patches of one block apply after earlier ones.
  std::stable_sort(patches_.begin(), patches_.end(),
                   [](const Patch& a, const Patch& b) { return a.block < b.block; });
  std::vector<uint8_t> block(blockSize_);
  for (size_t i = 0; i < patches_.size();) {
    const uint32_t number = patches_[i].block;
    const int64_t read = handle_.readAt(positionOf(number), block.data(), blockSize_);
    if (read < 0) return false;
    std::fill(block.begin() + read, block.end(), 0);
    uint32_t end = static_cast<uint32_t>(read);
    const size_t first = i;
    for (; i < patches_.size() && patches_[i].block == number; ++i) {
      const Patch& patch = patches_[i];
      if (patch.offset > blockSize_ || patch.length > blockSize_ - patch.offset) return false;
    }
    // The originals are taken from the block as it was, before any of its patches.
    for (size_t k = first; k < i; ++k) {
      const Patch& patch = patches_[k];
      if (patch.undone)
        originalBytes_.insert(originalBytes_.end(), block.begin() + patch.offset,
                              block.begin() + patch.offset + patch.length);
    }
    for (size_t k = first; k < i; ++k) {
      const Patch& patch = patches_[k];
      std::memcpy(block.data() + patch.offset, patchBytes_.data() + patch.bytesAt, patch.length);
      end = std::max(end, patch.offset + patch.length);
    }
    rewritten_.push_back(number);
    if (!handle_.writeAt(positionOf(number), block.data(), end)) return false;
  }
  return true;
}

void BlockWriteBack::undoPatches(uint64_t headerPosition, std::span<const uint8_t> previousHeader) {
  // Each piece is tried even when an earlier one failed: whatever is put back helps.
  handle_.writeAt(headerPosition, previousHeader.data(), previousHeader.size());
  std::vector<uint8_t> onDisk(blockSize_);
  std::vector<uint8_t> wanted(blockSize_);
  std::vector<uint64_t> originalAt;
  uint64_t nextOriginal = 0;
  // The patches are sorted by block now (in the order they were made within
  // one); writePatches tried the first rewritten_.size() blocks of them.
  size_t i = 0;
  for (uint32_t number : rewritten_) {
    size_t end = i;
    originalAt.clear();
    for (; end < patches_.size() && patches_[end].block == number; ++end) {
      originalAt.push_back(nextOriginal);
      if (patches_[end].undone) nextOriginal += patches_[end].length;
    }
    const int64_t read = handle_.readAt(positionOf(number), onDisk.data(), blockSize_);
    if (read < 0) {
      i = end;
      continue;
    }
    std::fill(onDisk.begin() + read, onDisk.end(), 0);
    wanted = onDisk;
    for (size_t k = end; k-- > i;) {
      const Patch& patch = patches_[k];
      if (patch.undone)
        std::memcpy(wanted.data() + patch.offset, originalBytes_.data() + originalAt[k - i], patch.length);
    }
    // Only the bytes that did change are written: a write that failed part-way
    // left the rest as it was, and writing there may fail again.
    auto from = std::mismatch(onDisk.begin(), onDisk.end(), wanted.begin()).first - onDisk.begin();
    if (from != blockSize_) {
      auto to = blockSize_ - (std::mismatch(onDisk.rbegin(), onDisk.rend(), wanted.rbegin()).first - onDisk.rbegin());
      handle_.writeAt(positionOf(number) + from, wanted.data() + from, to - from);
    }
    i = end;
  }
  handle_.sync();
}

bool BlockWriteBack::commit(uint64_t headerPosition, std::span<const uint8_t> header,
                            std::span<const uint8_t> previousHeader) {
  // Until the patches start, nothing the old tree reaches has changed.
  if (writeFailed_ || !writeAppended(true)) return false;
  if (appendedWritten_ != 0 && !handle_.sync()) return false;
  if (writePatches() && (patches_.empty() || handle_.sync()) &&
      handle_.writeAt(headerPosition, header.data(), header.size()) && handle_.sync()) {
    return true;
  }
  undoPatches(headerPosition, previousHeader);
  return false;
}

}  // namespace brambel
