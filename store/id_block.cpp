#include "store/id_block.h"

#include <zlib.h>

#include <algorithm>
#include <bit>

#include "store/little_endian.h"

namespace brambel {

IdBlock::IdBlock(uint32_t capacity, bool weighted)
    : capacity_(capacity), freeSlots_(capacity), weighted_(weighted), slots_(capacity) {}

bool IdBlock::add(Posting posting) {
  if (freeSlots_ == 0) return false;
  slots_[usedSlots()] = posting;
  --freeSlots_;
  return true;
}

std::optional<std::string> IdBlock::encodeStored(bool deflate) {
  if (!deflate) return encodeHead() + encodeSlots();
  const std::string slots = encodeSlots();
  uLongf length = compressBound(static_cast<uLong>(slots.size()));
  std::string packed(length, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &length, reinterpret_cast<const Bytef*>(slots.data()),
                static_cast<uLong>(slots.size()), Z_DEFAULT_COMPRESSION) != Z_OK) {
    return std::nullopt;
  }
  packed.resize(length);
  deflated = true;
  deflatedLength = static_cast<uint32_t>(length);
  return encodeHead() + packed;
}

std::string IdBlock::encodeHead() const {
  std::string bytes;
  bytes.reserve(kHeadSize);
  appendLe64(bytes, next.value);
  appendLe32(bytes, nextCapacity);
  appendLe32(bytes, capacity_);
  appendLe32(bytes, deflatedLength);
  appendLe32(bytes, freeSlots_);
  bytes.push_back(deflated ? 1 : 0);
  bytes.append(7, '\0');
  return bytes;
}

std::string IdBlock::encodeSlots() const { return encodePostings(slots_, weighted_); }

std::string IdBlock::encodePostings(std::span<const Posting> postings, bool weighted) {
  // One sizing and direct stores keep this cheap for full-cluster blocks.
  const size_t width = weighted ? 8 : 4;
  std::string bytes(postings.size() * width, '\0');
  auto* at = reinterpret_cast<uint8_t*>(bytes.data());
  for (const Posting& slot : postings) {
    storeLe32(at, slot.id);
    if (weighted) storeLe32(at + 4, std::bit_cast<uint32_t>(slot.weight));
    at += width;
  }
  return bytes;
}

IdBlock IdBlock::decodeHead(const uint8_t* head, bool weighted) {
  IdBlock block(loadLe32(head + 12), weighted);
  block.next = RecordAddress{loadLe64(head)};
  block.nextCapacity = loadLe32(head + 8);
  block.deflatedLength = loadLe32(head + 16);
  block.freeSlots_ = std::min(loadLe32(head + 20), block.capacity_);
  block.deflated = head[24] != 0;
  return block;
}

void IdBlock::decodeSlots(const uint8_t* bytes) {
  for (Posting& slot : slots_) {
    slot.id = loadLe32(bytes);
    slot.weight = weighted_ ? std::bit_cast<float>(loadLe32(bytes + 4)) : 0.0f;
    bytes += slotWidth();
  }
}

}  // namespace brambel
