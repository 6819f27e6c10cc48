#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brambel {

// One B-tree node of a key-value file. Unlike the index engine's nodes it
// stores no counts: the used keys end at the first key slot whose first byte
// is 0, the used children at the first zero child address.
//
// Layout (N = 32t + round8((2t-1)k) - 8 bytes; 920 for k = 32, t = 10):
//   (2t-1) key slots of k bytes, padded with zeros to a multiple of 8
//   (2t-1) u64 values: the key's first data record (key shorter than k) or
//          the first key record of the chain sharing that prefix (k or more)
//   2t     u64 child addresses (none in a leaf)
struct KeyValueNode {
  uint64_t address = 0;  // 0 until the node is first written
  std::vector<std::string> keys;  // key prefixes: at most k bytes, none containing 0
  std::vector<uint64_t> values;
  std::vector<uint64_t> children;

  bool isLeaf() const { return children.empty(); }
};

class KeyValueNodeLayout {
 public:
  KeyValueNodeLayout(uint32_t keyLength, uint32_t minimumDegree);

  uint32_t keyLength() const { return keyLength_; }
  uint32_t minimumDegree() const { return minimumDegree_; }
  uint32_t maximumKeys() const { return 2 * minimumDegree_ - 1; }
  uint64_t nodeSize() const;

  std::string encode(const KeyValueNode& node) const;
  // Nothing when the node is impossible: an inner node whose child count is
  // not its key count plus one, keys out of order, or values of 0.
  std::optional<KeyValueNode> decode(std::string_view bytes, uint64_t address) const;

 private:
  uint64_t keyArea() const;

  uint32_t keyLength_;
  uint32_t minimumDegree_;
};

// Removes the keys of `node` that are not below `bound`, with their values
// and the children right of them. A split cut short by a crash leaves the
// shortened child still holding the middle key and the upper half, which the
// parent already hands to the middle slot and the new sibling; the parent's
// key right of the child is that bound, and clipping restores the child.
void clipBelow(KeyValueNode& node, std::string_view bound, uint32_t keyLength);

// Orders keys as the file does: byte-wise (unsigned) over at most k bytes.
int compareKeyPrefixes(std::string_view a, std::string_view b, uint32_t keyLength);

}  // namespace brambel
