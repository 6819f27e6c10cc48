#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "store/id_block.h"
#include "store/index_node.h"

namespace brambel {

class IndexSession;

// How a full child is split: normal splits leave two half-full nodes;
// append mode (keys arriving in ascending order) moves only the last key
// out, so every node but the rightmost ends up full.
enum class SplitMode { Normal, Append };

// Inserts one term at a time into the B-tree of a writer session, top-down:
// a full node met on the way is split before it is entered, so an insert
// never goes back up. A split writes the new sibling, then the parent (a new
// root: then the header), then the shrunk child; a child caught between the
// last two is trimmed by the next insert that passes it.
class TreeInsert {
 public:
  TreeInsert(IndexSession& session, SplitMode mode);

  // Inserts a term whose key is not in the tree yet; its value (the posting
  // list, and for a long term its term record) is written at the leaf.
  bool insert(std::u16string_view term, std::span<const Posting> postings);

 private:
  bool insertNonFull(IndexNode& node, std::u16string_view term, std::span<const Posting> postings,
                     std::optional<std::u16string> upperBound, int depth);
  // Splits the full `child` at `index` of `parent`; the new right sibling is
  // handed out through `siblingOut` when given.
  bool splitChild(IndexNode& parent, uint32_t index, IndexNode& child, IndexNode* siblingOut = nullptr);

  IndexSession& session_;
  SplitMode mode_;
  NodeGeometry geometry_;
};

}  // namespace brambel
