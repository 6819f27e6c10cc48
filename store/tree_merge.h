#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/block_write_back.h"
#include "store/id_block.h"
#include "store/index_session.h"
#include "store/posting_appender.h"

namespace brambel {

// One term of a batch with the postings it gets.
struct BatchTerm {
  std::u16string_view term;
  std::span<const Posting> postings;
};

// Merges a sorted batch of terms into the B-tree of a cached section in one
// walk: every node that holds or leads to a term of the batch is read once,
// a stored term gets its postings appended once, a new term is inserted in
// the same walk, and every changed node is written once.
//
// Nothing reachable from the old tree is changed except by adding to it: a
// node that still fits is rewritten in place with the keys or children it
// gains, a node that overflows is replaced by new nodes (the old one stays
// as it was, unreferenced once its parent is rewritten), and a root that
// overflows gets new levels above it (the header then names the new root).
// The writes go through a BlockWriteBack, which orders them.
class TreeMerge {
 public:
  TreeMerge(IndexSession& session, BlockWriteBack& out, PostingAppender& postings);

  // Merges `terms` (ascending code-unit order, each term once); the root
  // after the merge, or nothing when a record could not be written (then
  // nothing may be committed). Terms that cannot be placed safely (their
  // subtree or key chain cannot be read, or they cannot be keys) are left
  // out and counted.
  std::optional<RecordAddress> merge(std::span<const BatchTerm> terms);
  size_t skippedTerms() const { return skipped_; }

 private:
  struct Entry {
    std::u16string key;
    RecordAddress value;
  };
  // What a merged subtree became: its nodes left to right with the keys
  // that separate them (one node when it did not split).
  struct Subtree {
    std::vector<RecordAddress> nodes;
    std::vector<Entry> separators;
  };

  std::optional<Subtree> mergeNode(RecordAddress address, std::span<const BatchTerm> terms,
                                   std::optional<std::u16string> upperBound, int depth);
  // Number of terms from the front of `terms` that share the first one's key.
  size_t keyGroupSize(std::span<const BatchTerm> terms) const;
  // Postings for the terms of one key that is stored with `value`; false
  // only when a write failed.
  bool mergeIntoStoredKey(std::u16string_view key, RecordAddress value, bool keyIsFull,
                          std::span<const BatchTerm> group);
  // The value of a new key holding the terms of `group`; none when a write failed.
  std::optional<RecordAddress> newKeyValue(std::span<const BatchTerm> group);
  // Appends term records (each with its new chain) for `group`, linked in
  // order and ending with `next`; the first record's address.
  std::optional<RecordAddress> appendTermRecords(std::span<const BatchTerm> group, RecordAddress next);
  // Writes `entries` (with `children` between them for an inner node) as
  // one node in place at `address`, or as new nodes when they do not fit.
  std::optional<Subtree> writeNode(RecordAddress address, const std::vector<Entry>& entries,
                                   const std::vector<RecordAddress>& children);
  IndexNode buildNode(std::span<const Entry> entries, std::span<const RecordAddress> children) const;
  std::optional<RecordAddress> appendNode(std::span<const Entry> entries, std::span<const RecordAddress> children);

  IndexSession& session_;
  BlockWriteBack& out_;
  PostingAppender& postings_;
  NodeGeometry geometry_;
  uint32_t blockSize_;
  size_t skipped_ = 0;
};

}  // namespace brambel
