#include "store/index_node.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "store/little_endian.h"

namespace brambel {

uint32_t NodeGeometry::defaultMinDegree(uint32_t clusterSize, uint32_t prefixLength) {
  return (clusterSize + 2 * prefixLength) / (4 * prefixLength + 32);
}

uint32_t NodeGeometry::keyBytes() const {
  uint64_t raw = uint64_t{maxKeys()} * 2 * prefixLength;
  return static_cast<uint32_t>((raw + 7) / 8 * 8);
}

uint32_t NodeGeometry::nodeSize() const { return 32 * minDegree + keyBytes(); }

bool NodeGeometry::isPlausible() const {
  constexpr uint64_t kLargestNode = 1 << 20;
  if (minDegree < 2 || prefixLength < 1) return false;
  if (minDegree > kLargestNode || prefixLength > kLargestNode) return false;
  uint64_t size = 32 * uint64_t{minDegree} + (uint64_t{2 * minDegree - 1} * 2 * prefixLength + 7) / 8 * 8;
  return size <= kLargestNode;
}

int compareKeys(std::u16string_view a, std::u16string_view b, uint32_t prefixLength) {
  for (size_t i = 0; i < prefixLength; ++i) {
    char16_t x = i < a.size() ? a[i] : 0;
    char16_t y = i < b.size() ? b[i] : 0;
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
  return 0;
}

std::u16string_view keyOf(std::u16string_view term, uint32_t prefixLength) {
  return term.substr(0, std::min<size_t>(term.size(), prefixLength));
}

IndexNode::IndexNode(NodeGeometry geometry)
    : geometry_(geometry),
      keys_(size_t{geometry.maxKeys()} * geometry.prefixLength, 0),
      values_(geometry.maxKeys(), RecordAddress{0}),
      children_(geometry.maxChildren(), RecordAddress{0}) {}

std::u16string_view IndexNode::key(uint32_t i) const {
  std::u16string_view slot(keys_.data() + size_t{i} * geometry_.prefixLength, geometry_.prefixLength);
  size_t end = slot.find(u'\0');
  return end == std::u16string_view::npos ? slot : slot.substr(0, end);
}

bool IndexNode::keyIsFull(uint32_t i) const { return key(i).size() == geometry_.prefixLength; }

void IndexNode::setKey(uint32_t i, std::u16string_view key) {
  char16_t* slot = keys_.data() + size_t{i} * geometry_.prefixLength;
  std::fill(slot, slot + geometry_.prefixLength, 0);
  std::copy_n(key.data(), std::min<size_t>(key.size(), geometry_.prefixLength), slot);
}

void IndexNode::copyEntry(uint32_t to, const IndexNode& source, uint32_t from) {
  const char16_t* slot = source.keys_.data() + size_t{from} * geometry_.prefixLength;
  std::copy_n(slot, geometry_.prefixLength, keys_.data() + size_t{to} * geometry_.prefixLength);
  values_[to] = source.values_[from];
}

void IndexNode::clearEntry(uint32_t i) {
  char16_t* slot = keys_.data() + size_t{i} * geometry_.prefixLength;
  std::fill(slot, slot + geometry_.prefixLength, 0);
  values_[i] = RecordAddress{0};
}

// On little-endian hosts the arrays are copied as they stand.
constexpr bool kLittleEndianHost = std::endian::native == std::endian::little;

std::string IndexNode::encode() const {
  std::string bytes(geometry_.nodeSize(), '\0');
  auto* out = reinterpret_cast<uint8_t*>(bytes.data());
  storeLe32(out, keyCount);
  storeLe32(out + 4, childCount);
  uint8_t* at = out + 8;
  if constexpr (kLittleEndianHost) {
    std::memcpy(at, keys_.data(), keys_.size() * 2);
    at = out + 8 + geometry_.keyBytes();
    std::memcpy(at, values_.data(), values_.size() * 8);
    std::memcpy(at + values_.size() * 8, children_.data(), children_.size() * 8);
    return bytes;
  }
  for (char16_t unit : keys_) {
    storeLe16(at, unit);
    at += 2;
  }
  at = out + 8 + geometry_.keyBytes();
  for (RecordAddress value : values_) {
    storeLe64(at, value.value);
    at += 8;
  }
  for (RecordAddress child : children_) {
    storeLe64(at, child.value);
    at += 8;
  }
  return bytes;
}

bool IndexNode::decode(const uint8_t* bytes, size_t length) {
  if (length < geometry_.nodeSize()) return false;
  uint32_t keys = loadLe32(bytes);
  uint32_t children = loadLe32(bytes + 4);
  if (keys > geometry_.maxKeys()) return false;
  if (children != 0 && children != keys + 1) return false;
  keyCount = keys;
  childCount = children;
  const uint8_t* at = bytes + 8;
  if constexpr (kLittleEndianHost) {
    std::memcpy(keys_.data(), at, keys_.size() * 2);
    at = bytes + 8 + geometry_.keyBytes();
    std::memcpy(values_.data(), at, values_.size() * 8);
    std::memcpy(children_.data(), at + values_.size() * 8, children_.size() * 8);
    return true;
  }
  for (char16_t& unit : keys_) {
    unit = loadLe16(at);
    at += 2;
  }
  at = bytes + 8 + geometry_.keyBytes();
  for (RecordAddress& value : values_) {
    value.value = loadLe64(at);
    at += 8;
  }
  for (RecordAddress& child : children_) {
    child.value = loadLe64(at);
    at += 8;
  }
  return true;
}

uint32_t IndexNode::lowerBound(std::u16string_view key, uint32_t end) const {
  uint32_t low = 0;
  while (low < end) {
    uint32_t middle = low + (end - low) / 2;
    if (compareKeys(this->key(middle), key, geometry_.prefixLength) < 0) {
      low = middle + 1;
    } else {
      end = middle;
    }
  }
  return low;
}

uint32_t IndexNode::upperBound(std::u16string_view key, uint32_t end) const {
  uint32_t low = 0;
  while (low < end) {
    uint32_t middle = low + (end - low) / 2;
    if (compareKeys(this->key(middle), key, geometry_.prefixLength) <= 0) {
      low = middle + 1;
    } else {
      end = middle;
    }
  }
  return low;
}

}  // namespace brambel
