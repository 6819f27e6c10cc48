#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/file.h"
#include "store/block_write_back.h"
#include "store/chain_tails.h"
#include "store/file_io.h"
#include "store/index_file.h"
#include "store/id_block.h"
#include "store/index_node.h"
#include "store/record_address.h"
#include "store/term_record.h"
#include "store/tree_insert.h"

namespace brambel {

class IndexFile;

// One store operation on an IndexFile: owns the handle (and, for a writer,
// the writer lock) from start to end, and gives access to the records and
// the tree. It works from the header as it found it at its start (the root
// another handle may have split since this object last looked). Moving
// only; the handle is released and closed on destruction.
//
// A writer session that changes the section bumps the header's change
// counter before its first write and again once all its writes are on disk
// (finish), so that every other handle drops what it cached meanwhile.
//
// Write order keeps the file readable at every step, so a writer killed at
// any moment leaves a tree readers can walk: new records are written before
// anything refers to them, and a split writes the new sibling, then the
// parent, then the shrunk child. A child caught between the last two still
// holds the keys that moved out; readers and writers treat the keys at or
// beyond the parent's separator as not there (see liveKeyCount).
//
// The session holds the record I/O, the lookups and the walks; inserting
// into the tree is TreeInsert's job, appending to id-block chains
// ChainAppend's, and batch updates TreeMerge's.
class IndexSession {
 public:
  IndexSession(IndexSession&& other) noexcept;
  IndexSession& operator=(IndexSession&&) = delete;
  ~IndexSession();

  bool isWriter() const { return writer_; }
  IndexFile& index() { return *index_; }
  const File& handle() const { return handle_; }
  RecordAddress root() const { return header_.root; }
  // The section's version when the session started.
  const SectionVersion& startVersion() const { return startVersion_; }

  // A writer calls this before its first write reaches the file (the record
  // writes below do it themselves); false when the header cannot be written.
  bool beginChange();
  // Ends the session: writes back everything a writer changed, then the
  // header with the counter bumped. True when all of it is on disk (a reader:
  // always). The destructor finishes a session not finished yet.
  bool finish();
  // Commits a batch update that a writer built outside the record writes
  // below (see BlockWriteBack): bumps the change counter, writes the batch
  // in its safe order with a header naming `root` and the counter bumped
  // again, and takes `root` as the root. False when anything failed; the
  // header on disk then still names the old root.
  bool commitBatch(BlockWriteBack& writes, RecordAddress root);
  // The section's version as this session has left it so far.
  SectionVersion currentVersion() const;
  // Size of the file when the session started (the bound for every address and count).
  uint64_t fileSize() const { return fileSize_; }

  // Records. Reads return nothing for a damaged or out-of-file record.
  std::optional<IndexNode> readNode(RecordAddress address);
  std::optional<TermRecord> readTermRecord(RecordAddress address);
  // A block that cannot be read, has capacity 0 or capacities beyond the
  // file size is replaced by a fresh empty block (capacity as known, else 3)
  // without an address.
  IdBlock readIdBlock(RecordAddress address, uint32_t knownCapacity);
  RecordAddress writeNode(IndexNode& node);
  RecordAddress writeTermRecord(TermRecord& record);
  RecordAddress writeIdBlock(IdBlock& block);
  void setPriority(RecordAddress address, uint32_t priority);

  // Lookup. lookupKey descends to a B-tree key (the first p units of a
  // term) and tells a key that is not there from one whose node or chain
  // head cannot be read (which must not be inserted a second time);
  // termRecordFor gives the record of a key that was found; findTerm also
  // follows the chain of a long term to its own record.
  enum class KeyState { Absent, Found, Unreadable };
  struct KeyLookup {
    KeyState state = KeyState::Absent;
    TermRecord record;
  };
  KeyLookup lookupKey(std::u16string_view key);
  std::optional<TermRecord> termRecordFor(std::u16string_view key);
  std::optional<TermRecord> findTerm(std::u16string_view term);
  // Every posting of a term, following its id-block chain.
  std::vector<Posting> postingsOf(const TermRecord& term);

  // Adds postings to a term, inserting the term when it is new.
  bool addPostings(std::u16string_view term, std::span<const Posting> postings,
                   SplitMode mode = SplitMode::Normal);
  // Inserts a term whose key is not in the tree yet with a first posting
  // list; the B-tree root may change (root() tells the new one).
  bool insertTerm(std::u16string_view term, std::span<const Posting> postings, SplitMode mode);
  // Appends a new term record to the end of a key's chain: `last` is the
  // chain's stored last record, which gets linked to the new one.
  std::optional<TermRecord> appendToChain(TermRecord& last, std::u16string_view term,
                                          std::span<const Posting> postings);
  // Appends postings to a term's id-block chain (see ChainAppend).
  bool appendPostings(const TermRecord& term, std::span<const Posting> postings);

  // Visits every stored term beginning with `prefix`, in key order and along
  // each chain, until `visit` returns false.
  using TermVisitor = std::function<bool(const std::u16string& term, const TermRecord& record)>;
  void forEachTerm(std::u16string_view prefix, const TermVisitor& visit);

  // Keys of `node` that count: those below the separator `upperBound` its
  // parent holds for it (all keys when there is none).
  static uint32_t liveKeyCount(const IndexNode& node, std::optional<std::u16string_view> upperBound);

  // Capacity of the first id block of a new term.
  static constexpr uint32_t kFirstBlockCapacity = 3;
  // Deepest tree walked; deeper means a cycle in damaged data.
  static constexpr int kMaxDepth = 48;

 private:
  friend class IndexFile;
  IndexSession(IndexFile& index, File handle, bool writer, const IndexHeader& header);

  friend class TreeInsert;

  // Writes the value of a new term: its posting list, and for a long term its term record.
  RecordAddress createValue(std::u16string_view term, std::span<const Posting> postings);
  // Makes `root` the root: the header names it from now on.
  bool replaceRoot(RecordAddress root);
  bool walk(RecordAddress address, std::u16string_view prefix, std::optional<std::u16string> upperBound,
            int depth, const TermVisitor& visit, std::unordered_set<uint64_t>& visited);

  IndexFile* index_;
  File handle_;
  bool writer_;
  IndexHeader header_;
  SectionVersion startVersion_;
  bool changing_ = false;  // the counter was bumped for this session's changes
  uint64_t fileSize_ = 0;
  ChainTails chainTails_;  // a writer's, borrowed from the index for the session
};

}  // namespace brambel
