#include "store/tree_merge.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "store/index_file.h"
#include "store/little_endian.h"

namespace brambel {
namespace {

// Offset of the next link inside a term record.
constexpr uint32_t kTermNextField = 8;

}  // namespace

TreeMerge::TreeMerge(IndexSession& session, BlockWriteBack& out, PostingAppender& postings)
    : session_(session),
      out_(out),
      postings_(postings),
      geometry_(session.index().geometry()),
      blockSize_(session.index().clusterSize()) {}

std::optional<RecordAddress> TreeMerge::merge(std::span<const BatchTerm> terms) {
  const RecordAddress root = session_.root();
  if (terms.empty()) return root;
  std::optional<Subtree> merged = mergeNode(root, terms, std::nullopt, 0);
  // A root that overflowed gets new levels above it until one node holds the top.
  while (merged && merged->nodes.size() > 1) {
    std::vector<Entry> separators = std::move(merged->separators);
    std::vector<RecordAddress> children = std::move(merged->nodes);
    merged = writeNode(RecordAddress::none(), separators, children);
  }
  if (!merged) return std::nullopt;
  return merged->nodes.front();
}

size_t TreeMerge::keyGroupSize(std::span<const BatchTerm> terms) const {
  const uint32_t p = geometry_.prefixLength;
  const std::u16string_view key = keyOf(terms.front().term, p);
  size_t size = 1;
  while (size < terms.size() && compareKeys(keyOf(terms[size].term, p), key, p) == 0) ++size;
  return size;
}

std::optional<TreeMerge::Subtree> TreeMerge::mergeNode(RecordAddress address, std::span<const BatchTerm> terms,
                                                       std::optional<std::u16string> upperBound, int depth) {
  const Subtree unchanged{{address}, {}};
  std::optional<IndexNode> node;
  if (depth < IndexSession::kMaxDepth) node = session_.readNode(address);
  const uint32_t p = geometry_.prefixLength;
  const uint32_t live = node ? IndexSession::liveKeyCount(*node, upperBound) : 0;
  // A subtree that cannot be read cannot take keys without breaking the order.
  if (!node || (!node->isLeaf() && node->childCount < live + 1)) {
    skipped_ += terms.size();
    return unchanged;
  }

  std::vector<Entry> entries;
  std::vector<RecordAddress> children;
  entries.reserve(live + (node->isLeaf() ? terms.size() : 1));
  bool changed = false;
  size_t next = 0;
  for (uint32_t i = 0; i <= live; ++i) {
    // The terms that sort before key i (all that are left after the last key).
    size_t end = next;
    if (i == live) {
      end = terms.size();
    } else {
      while (end < terms.size() && compareKeys(keyOf(terms[end].term, p), node->key(i), p) < 0) ++end;
    }
    std::span<const BatchTerm> below = terms.subspan(next, end - next);
    next = end;
    if (node->isLeaf()) {
      for (size_t k = 0; k < below.size();) {
        const size_t group = keyGroupSize(below.subspan(k));
        std::optional<RecordAddress> value = newKeyValue(below.subspan(k, group));
        if (!value) return std::nullopt;
        if (!value->isNone()) {
          entries.push_back({std::u16string(keyOf(below[k].term, p)), *value});
          changed = true;
        }
        k += group;
      }
    } else if (below.empty()) {
      children.push_back(node->child(i));
    } else {
      std::optional<std::u16string> childUpper = i < live ? std::optional(std::u16string(node->key(i))) : upperBound;
      std::optional<Subtree> merged = mergeNode(node->child(i), below, std::move(childUpper), depth + 1);
      if (!merged) return std::nullopt;
      changed |= merged->nodes.size() != 1 || merged->nodes.front() != node->child(i);
      for (size_t piece = 0; piece < merged->nodes.size(); ++piece) {
        if (piece > 0) entries.push_back(std::move(merged->separators[piece - 1]));
        children.push_back(merged->nodes[piece]);
      }
    }
    if (i == live) break;
    size_t same = next;
    while (same < terms.size() && compareKeys(keyOf(terms[same].term, p), node->key(i), p) == 0) ++same;
    if (same > next &&
        !mergeIntoStoredKey(node->key(i), node->value(i), node->keyIsFull(i), terms.subspan(next, same - next))) {
      return std::nullopt;
    }
    next = same;
    entries.push_back({std::u16string(node->key(i)), node->value(i)});
  }
  if (!changed) return unchanged;
  return writeNode(address, entries, children);
}

bool TreeMerge::mergeIntoStoredKey(std::u16string_view key, RecordAddress value, bool keyIsFull,
                                   std::span<const BatchTerm> group) {
  if (!keyIsFull) {
    // A short key is the whole term; its value is the term's chain.
    for (const BatchTerm& term : group) skipped_ += !postings_.append(value, term.postings);
    return true;
  }
  // The key's chain of term records, read once for the whole group.
  std::vector<TermRecord> chain;
  std::unordered_map<std::u16string, size_t> bySuffix;
  std::unordered_set<uint64_t> seen;
  bool whole = false;
  for (RecordAddress at = value; seen.insert(at.value).second;) {
    std::optional<TermRecord> record = session_.readTermRecord(at);
    if (!record) break;
    bySuffix.try_emplace(record->suffix, chain.size());
    at = record->next;
    chain.push_back(std::move(*record));
    if (at.isNullLink()) {
      whole = true;
      break;
    }
  }
  const uint32_t p = geometry_.prefixLength;
  std::vector<BatchTerm> added;
  for (const BatchTerm& term : group) {
    auto found = bySuffix.find(std::u16string(term.term.substr(p)));
    if (found != bySuffix.end()) {
      skipped_ += !postings_.append(chain[found->second].firstIdBlock, term.postings);
    } else if (!whole || !isStorableTerm(term.term, geometry_.prefixLength, blockSize_)) {
      // Not in the part of the chain that could be read: adding it might store it twice.
      ++skipped_;
    } else {
      added.push_back(term);
    }
  }
  if (added.empty()) return true;
  std::optional<RecordAddress> first = appendTermRecords(added, RecordAddress{0});
  if (!first) return false;
  std::string link;
  appendLe64(link, first->value);
  out_.patch(RecordAddress{chain.back().address.value + kTermNextField}, link);
  return true;
}

std::optional<RecordAddress> TreeMerge::newKeyValue(std::span<const BatchTerm> group) {
  std::vector<BatchTerm> kept;
  for (const BatchTerm& term : group) {
    if (isStorableTerm(term.term, geometry_.prefixLength, blockSize_) && !term.postings.empty())
      kept.push_back(term);
    else
      ++skipped_;
  }
  if (kept.empty()) return RecordAddress::none();
  if (kept.front().term.size() < geometry_.prefixLength) {
    std::optional<PostingAppender::Chain> chain = postings_.create(kept.front().postings);
    if (!chain) return std::nullopt;
    return chain->first;
  }
  return appendTermRecords(kept, RecordAddress{0});
}

std::optional<RecordAddress> TreeMerge::appendTermRecords(std::span<const BatchTerm> group, RecordAddress next) {
  // Last to first, so that each record is written once with its link.
  for (size_t i = group.size(); i-- > 0;) {
    std::optional<PostingAppender::Chain> chain = postings_.create(group[i].postings);
    if (!chain) return std::nullopt;
    TermRecord record;
    record.firstIdBlock = chain->first;
    record.firstBlockCapacity = chain->firstCapacity;
    record.next = next;
    record.suffix = std::u16string(group[i].term.substr(geometry_.prefixLength));
    next = out_.append(record.encode());
    if (next.isNone()) return std::nullopt;
  }
  return next;
}

IndexNode TreeMerge::buildNode(std::span<const Entry> entries, std::span<const RecordAddress> children) const {
  IndexNode node(geometry_);
  for (uint32_t i = 0; i < entries.size(); ++i) {
    node.setKey(i, entries[i].key);
    node.setValue(i, entries[i].value);
  }
  for (uint32_t i = 0; i < children.size(); ++i) node.setChild(i, children[i]);
  node.keyCount = static_cast<uint32_t>(entries.size());
  node.childCount = static_cast<uint32_t>(children.size());
  return node;
}

std::optional<RecordAddress> TreeMerge::appendNode(std::span<const Entry> entries,
                                                   std::span<const RecordAddress> children) {
  const RecordAddress at = out_.append(buildNode(entries, children).encode());
  if (at.isNone()) return std::nullopt;
  return at;
}

std::optional<TreeMerge::Subtree> TreeMerge::writeNode(RecordAddress address, const std::vector<Entry>& entries,
                                                       const std::vector<RecordAddress>& children) {
  const size_t count = entries.size();
  if (count <= geometry_.maxKeys()) {
    if (address.isNone()) {
      std::optional<RecordAddress> at = appendNode(entries, children);
      if (!at) return std::nullopt;
      return Subtree{{*at}, {}};
    }
    out_.patch(address, buildNode(entries, children).encode());
    return Subtree{{address}, {}};
  }
  // Too many for one node: new nodes filled to three quarters, so that
  // later batches find room, with one key between each two going up.
  const size_t fill = std::max<size_t>(1, geometry_.maxKeys() * 3 / 4);
  const size_t pieces = (count + 1 + fill) / (fill + 1);
  const size_t keys = count - (pieces - 1);
  Subtree subtree;
  size_t start = 0;
  const bool inner = !children.empty();
  for (size_t piece = 0; piece < pieces; ++piece) {
    const size_t size = keys / pieces + (piece < keys % pieces ? 1 : 0);
    std::span<const Entry> pieceEntries(entries.data() + start, size);
    std::span<const RecordAddress> pieceChildren;
    if (inner) pieceChildren = std::span<const RecordAddress>(children.data() + start, size + 1);
    std::optional<RecordAddress> at = appendNode(pieceEntries, pieceChildren);
    if (!at) return std::nullopt;
    subtree.nodes.push_back(*at);
    start += size;
    if (piece + 1 < pieces) subtree.separators.push_back(entries[start++]);
  }
  return subtree;
}

}  // namespace brambel
