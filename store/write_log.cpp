#include "store/write_log.h"

#include <algorithm>
#include <unordered_set>

namespace brambel {

WriteLog::WriteLog(uint64_t firstBlockPosition, uint32_t blockSize)
    : firstBlock_(firstBlockPosition), blockSize_(blockSize) {}

bool WriteLog::add(uint32_t block, uint32_t offset, size_t length, const uint8_t* blockBytes) {
  const char* bytes = reinterpret_cast<const char*>(blockBytes);
  if (!entries_.empty() && entries_.back().block == block) {
    Entry& last = entries_.back();
    const uint32_t start = std::min(last.offset, offset);
    const uint32_t end = std::max<uint32_t>(last.offset + static_cast<uint32_t>(last.bytes.size()),
                                            offset + static_cast<uint32_t>(length));
    bytes_ -= last.bytes.size();
    last.offset = start;
    last.bytes.assign(bytes + start, end - start);
    bytes_ += last.bytes.size();
    return false;
  }
  entries_.push_back({block, offset, std::string(bytes + offset, length)});
  bytes_ += length;
  return true;
}

bool WriteLog::writeBack(const File& handle, size_t blockLimit, const std::function<void(uint32_t block)>& written) {
  std::unordered_set<uint32_t> blocks;
  while (!entries_.empty()) {
    Entry& entry = entries_.front();
    if (!blocks.count(entry.block) && blocks.size() == blockLimit) break;
    const uint64_t position = firstBlock_ + uint64_t{entry.block} * blockSize_ + entry.offset;
    if (!handle.writeAt(position, entry.bytes.data(), entry.bytes.size())) return false;
    blocks.insert(entry.block);
    bytes_ -= entry.bytes.size();
    const uint32_t block = entry.block;
    entries_.pop_front();
    written(block);
  }
  return true;
}

}  // namespace brambel
