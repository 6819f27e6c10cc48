#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/record_address.h"

namespace brambel {

// Shape of the nodes of one section, fixed at its creation: minimum degree t
// and key prefix length p. A node holds at most 2t-1 keys of p UTF-16 units.
//
// On-disk node of N = 32·t + K bytes, K = (2t-1)·2p rounded up to 8:
//   0      u32  number of keys k (0 … 2t-1)
//   4      u32  number of children: 0 for a leaf, k+1 for an inner node
//   8      K    2t-1 key slots of p units; a shorter key ends with a 0 unit
//   8+K    (2t-1)·8  value RecordAddress of each key
//   …      2t·8      child RecordAddress of each child slot
struct NodeGeometry {
  uint32_t minDegree = 0;     // t
  uint32_t prefixLength = 0;  // p

  static constexpr uint32_t kDefaultPrefixLength = 12;
  // t = (Z + 2p) div (4p + 32), the largest degree whose node fits a cluster of Z bytes.
  static uint32_t defaultMinDegree(uint32_t clusterSize, uint32_t prefixLength);

  uint32_t maxKeys() const { return 2 * minDegree - 1; }
  uint32_t maxChildren() const { return 2 * minDegree; }
  uint32_t keyBytes() const;  // K
  uint32_t nodeSize() const;  // N
  // Degrees and prefix lengths a reader accepts: a node must not exceed
  // 1 MiB so that a corrupt header cannot ask for huge buffers.
  bool isPlausible() const;
};

// Compares two keys as UTF-16 code-unit strings over at most `prefixLength`
// units, stopping at a 0 unit.
int compareKeys(std::u16string_view a, std::u16string_view b, uint32_t prefixLength);

// The first p units of a term: its B-tree key.
std::u16string_view keyOf(std::u16string_view term, uint32_t prefixLength);

// One B-tree node in memory.
class IndexNode {
 public:
  explicit IndexNode(NodeGeometry geometry);

  const NodeGeometry& geometry() const { return geometry_; }

  RecordAddress address = RecordAddress::none();  // none until first written
  uint32_t keyCount = 0;
  uint32_t childCount = 0;

  bool isLeaf() const { return childCount == 0; }
  bool isFull() const { return keyCount == geometry_.maxKeys(); }

  // The key in slot i without its padding.
  std::u16string_view key(uint32_t i) const;
  // True when the key in slot i fills all p units (its term has p units or more).
  bool keyIsFull(uint32_t i) const;
  void setKey(uint32_t i, std::u16string_view key);
  RecordAddress value(uint32_t i) const { return values_[i]; }
  void setValue(uint32_t i, RecordAddress address) { values_[i] = address; }
  RecordAddress child(uint32_t i) const { return children_[i]; }
  void setChild(uint32_t i, RecordAddress address) { children_[i] = address; }

  // Moves key and value from slot `from` of `source` into slot `to`.
  void copyEntry(uint32_t to, const IndexNode& source, uint32_t from);
  // Clears key slot i and its value (unused slots are 0 on disk).
  void clearEntry(uint32_t i);

  // Binary searches over the first `end` keys: the first slot whose key is
  // not less than (lowerBound) or greater than (upperBound) `key`.
  uint32_t lowerBound(std::u16string_view key, uint32_t end) const;
  uint32_t upperBound(std::u16string_view key, uint32_t end) const;

  // Exactly nodeSize() bytes.
  std::string encode() const;
  // Fills this node from nodeSize() bytes; false when the counts are
  // impossible (k > 2t-1, or children neither 0 nor k+1).
  bool decode(const uint8_t* bytes, size_t length);

 private:
  NodeGeometry geometry_;
  std::vector<char16_t> keys_;  // maxKeys × p units
  std::vector<RecordAddress> values_;
  std::vector<RecordAddress> children_;
};

}  // namespace brambel
