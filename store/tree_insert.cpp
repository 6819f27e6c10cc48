#include "store/tree_insert.h"

#include "store/index_session.h"

namespace brambel {

TreeInsert::TreeInsert(IndexSession& session, SplitMode mode)
    : session_(session), mode_(mode), geometry_(session.index().geometry()) {}

bool TreeInsert::insert(std::u16string_view term, std::span<const Posting> postings) {
  auto root = session_.readNode(session_.root());
  if (!root) return false;
  if (root->isFull()) {
    IndexNode newRoot(geometry_);
    newRoot.childCount = 1;
    newRoot.setChild(0, root->address);
    if (!splitChild(newRoot, 0, *root)) return false;
    return insertNonFull(newRoot, term, postings, std::nullopt, 0);
  }
  return insertNonFull(*root, term, postings, std::nullopt, 0);
}

bool TreeInsert::insertNonFull(IndexNode& node, std::u16string_view term, std::span<const Posting> postings,
                               std::optional<std::u16string> upperBound, int depth) {
  const uint32_t p = geometry_.prefixLength;
  std::u16string_view key = keyOf(term, p);
  if (depth >= IndexSession::kMaxDepth) return false;
  if (node.isLeaf()) {
    RecordAddress value = session_.createValue(term, postings);
    if (value.isNone()) return false;
    uint32_t i = node.keyCount;
    while (i > 0 && compareKeys(key, node.key(i - 1), p) < 0) {
      node.copyEntry(i, node, i - 1);
      --i;
    }
    node.setKey(i, key);
    node.setValue(i, value);
    ++node.keyCount;
    return !session_.writeNode(node).isNone();
  }
  uint32_t i = node.upperBound(key, node.keyCount);
  if (i >= node.childCount) return false;
  auto child = session_.readNode(node.child(i));
  if (!child) return false;
  std::optional<std::u16string> childUpper = i < node.keyCount ? std::u16string(node.key(i)) : upperBound;
  // Finish a split that was cut short between writing the parent and the
  // child: the child gives up the keys that already moved out.
  uint32_t live = IndexSession::liveKeyCount(*child, childUpper);
  if (live < child->keyCount) {
    for (uint32_t j = live; j < child->keyCount; ++j) child->clearEntry(j);
    if (!child->isLeaf()) {
      for (uint32_t j = live + 1; j < child->childCount; ++j) child->setChild(j, RecordAddress{0});
      child->childCount = live + 1;
    }
    child->keyCount = live;
    if (session_.writeNode(*child).isNone()) return false;
  }
  if (child->isFull()) {
    IndexNode sibling(geometry_);
    if (!splitChild(node, i, *child, &sibling)) return false;
    if (compareKeys(key, node.key(i), p) > 0) {
      childUpper = i + 1 < node.keyCount ? std::optional(std::u16string(node.key(i + 1))) : upperBound;
      return insertNonFull(sibling, term, postings, childUpper, depth + 1);
    }
    childUpper = std::u16string(node.key(i));
  }
  return insertNonFull(*child, term, postings, childUpper, depth + 1);
}

bool TreeInsert::splitChild(IndexNode& parent, uint32_t index, IndexNode& child, IndexNode* siblingOut) {
  const uint32_t t = geometry_.minDegree;
  IndexNode sibling(geometry_);
  uint32_t middle;
  if (mode_ == SplitMode::Normal) {
    for (uint32_t j = 0; j < t - 1; ++j) sibling.copyEntry(j, child, j + t);
    sibling.keyCount = t - 1;
    if (!child.isLeaf()) {
      for (uint32_t j = 0; j < t; ++j) sibling.setChild(j, child.child(j + t));
      sibling.childCount = t;
    }
    middle = t - 1;
  } else {
    sibling.copyEntry(0, child, 2 * t - 2);
    sibling.keyCount = 1;
    if (!child.isLeaf()) {
      sibling.setChild(0, child.child(2 * t - 2));
      sibling.setChild(1, child.child(2 * t - 1));
      sibling.childCount = 2;
    }
    middle = 2 * t - 3;
  }
  // The sibling is new and written first; nothing refers to it yet.
  if (session_.writeNode(sibling).isNone()) return false;

  for (uint32_t j = parent.keyCount; j > index; --j) parent.copyEntry(j, parent, j - 1);
  for (uint32_t j = parent.childCount; j > index + 1; --j) parent.setChild(j, parent.child(j - 1));
  parent.copyEntry(index, child, middle);
  parent.setChild(index + 1, sibling.address);
  ++parent.keyCount;
  ++parent.childCount;
  const bool newRoot = parent.address.isNone();
  if (session_.writeNode(parent).isNone()) return false;
  if (newRoot && !session_.replaceRoot(parent.address)) return false;

  // Only now does the child give up its upper half.
  for (uint32_t j = middle; j < child.keyCount; ++j) child.clearEntry(j);
  if (!child.isLeaf()) {
    for (uint32_t j = middle + 1; j < child.childCount; ++j) child.setChild(j, RecordAddress{0});
    child.childCount = middle + 1;
  }
  child.keyCount = middle;
  if (session_.writeNode(child).isNone()) return false;
  if (siblingOut) *siblingOut = std::move(sibling);
  return true;
}

}  // namespace brambel
