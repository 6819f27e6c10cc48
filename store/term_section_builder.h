#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/id_block.h"
#include "store/index_node.h"
#include "store/record_address.h"

namespace brambel {

// Lays out a whole index section of the direct kind (index_file.h) in memory
// from terms given in ascending code-unit order, for a section that reaches
// its file in one write: a document's term table, or a new empty section.
//
// The section holds what adding the terms one at a time would leave: the
// same keys, the same term-record chains for terms that share their first p
// units, and id-block chains of the same shape (3 slots, then growing 16
// times up to a cluster). Only the tree is built differently: bottom up, each
// node written once after its children and the root last, with every leaf at
// the same depth and the entries spread evenly over the nodes of a level.
//
// Records keep the placement of direct writes (a record that fits a page
// never straddles one, so a later in-place rewrite is whole or not at all),
// and the header does not straddle a page either: the section can be updated
// afterwards like any other.
class TermSectionBuilder {
 public:
  static constexpr uint32_t kClusterSize = 4096;
  static constexpr uint32_t kSectorSize = 512;

  // `base` is where the section will start in its file (addresses inside a
  // direct section are absolute); sectionBaseAt gives a suitable one.
  TermSectionBuilder(uint64_t base, NodeGeometry geometry, bool weighted, bool compressIdBlocks);

  // The first position at or after `fileEnd` whose page holds the whole header.
  static uint64_t sectionBaseAt(uint64_t fileEnd);

  // Adds a term after all terms added so far; false, and nothing added, when
  // the term cannot be stored or does not sort after the previous one.
  bool add(std::u16string_view term, std::span<const Posting> postings);

  // The bytes of the section from `base` on. The builder is spent afterwards.
  std::string finish();

 private:
  struct Entry {
    std::u16string key;
    RecordAddress value;
  };

  // Appends a record of `size` bytes where a direct write would put it; its address.
  RecordAddress place(std::string_view bytes, bool rewritable);
  RecordAddress nextAddress() const { return RecordAddress::atByte(base_ + bytes_.size()); }
  // Writes the id-block chain of `postings`, tail first so that each block
  // knows its successor; the first block's address and capacity.
  RecordAddress writeChain(std::span<const Posting> postings, uint32_t& firstCapacity);
  RecordAddress writeIdBlock(IdBlock& block);
  // Writes the subtree holding `entries` whose leaves lie `height` levels down.
  RecordAddress writeSubtree(std::span<const Entry> entries, int height);
  // Entries a subtree of `height` levels can hold when every node is full.
  uint64_t subtreeCapacity(int height) const;

  uint64_t base_;
  NodeGeometry geometry_;
  bool weighted_;
  bool compressIdBlocks_;
  std::string bytes_;
  std::vector<Entry> entries_;
  std::u16string lastTerm_;
  // Where the newest term record of the last key starts in bytes_ (its
  // next link is set when another term with the same key follows); none
  // when the last key belongs to a term shorter than p.
  std::optional<size_t> lastRecordAt_;
};

}  // namespace brambel
