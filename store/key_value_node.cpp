#include "store/key_value_node.h"

#include <algorithm>
#include <cstring>

#include "store/little_endian.h"

namespace brambel {

KeyValueNodeLayout::KeyValueNodeLayout(uint32_t keyLength, uint32_t minimumDegree)
    : keyLength_(keyLength), minimumDegree_(minimumDegree) {}

uint64_t KeyValueNodeLayout::keyArea() const {
  return (uint64_t{maximumKeys()} * keyLength_ + 7) / 8 * 8;
}

uint64_t KeyValueNodeLayout::nodeSize() const {
  return keyArea() + uint64_t{maximumKeys()} * 8 + uint64_t{2} * minimumDegree_ * 8;
}

std::string KeyValueNodeLayout::encode(const KeyValueNode& node) const {
  std::string bytes(static_cast<size_t>(nodeSize()), '\0');
  for (size_t i = 0; i < node.keys.size(); ++i) {
    const std::string& key = node.keys[i];
    std::memcpy(&bytes[i * keyLength_], key.data(), std::min<size_t>(key.size(), keyLength_));
  }
  char* values = &bytes[static_cast<size_t>(keyArea())];
  for (size_t i = 0; i < node.values.size(); ++i) storeLe64(values + 8 * i, node.values[i]);
  char* children = values + 8 * size_t{maximumKeys()};
  for (size_t i = 0; i < node.children.size(); ++i) storeLe64(children + 8 * i, node.children[i]);
  return bytes;
}

std::optional<KeyValueNode> KeyValueNodeLayout::decode(std::string_view bytes, uint64_t address) const {
  if (bytes.size() != nodeSize()) return std::nullopt;
  KeyValueNode node;
  node.address = address;
  const char* values = bytes.data() + keyArea();
  for (uint32_t i = 0; i < maximumKeys(); ++i) {
    const char* slot = bytes.data() + size_t{i} * keyLength_;
    if (*slot == 0) break;
    node.keys.emplace_back(slot, strnlen(slot, keyLength_));
    node.values.push_back(loadLe64(values + 8 * i));
    if (node.values.back() == 0) return std::nullopt;
    if (i > 0 && compareKeyPrefixes(node.keys[i - 1], node.keys[i], keyLength_) >= 0) return std::nullopt;
  }
  const char* children = values + 8 * size_t{maximumKeys()};
  for (uint32_t i = 0; i < 2 * minimumDegree_; ++i) {
    const uint64_t child = loadLe64(children + 8 * i);
    if (child == 0) break;
    node.children.push_back(child);
  }
  if (!node.children.empty() && node.children.size() != node.keys.size() + 1) return std::nullopt;
  return node;
}

void clipBelow(KeyValueNode& node, std::string_view bound, uint32_t keyLength) {
  const auto it = std::find_if(node.keys.begin(), node.keys.end(), [&](const std::string& key) {
    return compareKeyPrefixes(key, bound, keyLength) >= 0;
  });
  const auto kept = static_cast<size_t>(it - node.keys.begin());
  if (kept == node.keys.size()) return;
  node.keys.resize(kept);
  node.values.resize(kept);
  if (!node.isLeaf()) node.children.resize(kept + 1);
}

int compareKeyPrefixes(std::string_view a, std::string_view b, uint32_t keyLength) {
  return a.substr(0, keyLength).compare(b.substr(0, keyLength));
}

}  // namespace brambel
