#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/file.h"
#include "store/id_block.h"
#include "store/index_node.h"
#include "store/record_address.h"
#include "store/term_record.h"

namespace brambel {

// What a cached copy of a section rests on. Every writer session that
// changes the section bumps the change counter of its header, once before
// its first change reaches the file and once after its last one did, so a
// handle that finds the counter (or the file, or its size) other than it
// left it knows that what it cached may be stale. The size also catches
// writers that do not keep the counter.
struct SectionVersion {
  File::Identity file;
  uint32_t changeCount = 0;
  uint64_t size = 0;
  friend bool operator==(const SectionVersion&, const SectionVersion&) = default;
};

// How an index section reaches its file. The two kinds address records
// differently (see RecordAddress), so a section is always opened with the
// kind that wrote it. Every operation is given the handle of the store
// operation that calls it; no handle is kept between operations except the
// read-ahead handle handed over by startReadAhead.
//
// Reads validate every address and length against the file before any
// buffer is sized from it, so arbitrary bytes never cause a crash or a huge
// allocation: a damaged record reads as absent.
class FileIo {
 public:
  virtual ~FileIo() = default;

  // Called when a store operation starts with `handle` (writer: holding the
  // writer lock) on the section as `version` shows it. Learns the end of the
  // file and drops cached blocks when the version is not the one this object
  // last saw (someone else may have changed them).
  virtual void attach(const File& handle, bool writer, const SectionVersion& version) = 0;
  // Called when the operation ends, before the handle is closed. A writer's
  // changes are all on disk when it returns true, and `version` (the section
  // as the writer leaves it) is what the cache now shows.
  virtual bool release(const File& handle, bool writer, const SectionVersion& version) = 0;

  // Takes over a read-only handle to load the top of the tree in the
  // background; the direct kind just closes it.
  virtual void startReadAhead(File handle, RecordAddress root) = 0;

  // A block whose capacity is not known (0) is read head first.
  virtual std::optional<IdBlock> readIdBlock(const File& handle, RecordAddress address,
                                             uint32_t knownCapacity, bool weighted) = 0;
  virtual std::optional<TermRecord> readTermRecord(const File& handle, RecordAddress address) = 0;
  // Fills `node` (whose geometry says how many bytes to read); false when the
  // address is outside the file or the node's counts are impossible.
  virtual bool readNode(const File& handle, RecordAddress address, IndexNode& node) = 0;

  // Each write appends a record that has no address yet (and gives it one) or
  // rewrites it in place; the result is the record's address, or none when
  // the write failed (the record then keeps its previous address).
  virtual RecordAddress writeIdBlock(const File& handle, IdBlock& block) = 0;
  virtual RecordAddress writeTermRecord(const File& handle, TermRecord& record) = 0;
  virtual RecordAddress writeNode(const File& handle, IndexNode& node) = 0;

  // Reads the block holding `address` again from disk when a cached copy
  // may be stale (another process writing the file) and nothing of this
  // object is waiting to be written; true when it did.
  virtual bool reload(const File& handle, RecordAddress address) = 0;

  // Drops cached copies of blocks that were rewritten on disk without this
  // object (a batch update writes its blocks itself); the direct kind caches nothing.
  virtual void forgetBlocks(std::span<const uint32_t> blocks) {}

  // Write-back of cached changes; the direct kind has nothing to write.
  virtual bool writeBackAll(const File& handle) = 0;
  virtual bool writeBackAndDrop(const File& handle) = 0;
  // Writes at most 20 dirty blocks; true when changes remain to be written.
  virtual bool writeBackSome(const File& handle) = 0;

  // Positioned transfers outside the record space (the section header);
  // readRaw is true only if every byte arrived. A raw write lands after every
  // record write issued before it.
  virtual bool writeRaw(const File& handle, uint64_t position, const void* bytes, size_t length) = 0;
  virtual bool readRaw(const File& handle, uint64_t position, void* bytes, size_t length) = 0;

  // The cached kind keeps blocks holding frequent terms longer.
  virtual void setPriority(RecordAddress address, uint32_t priority) = 0;
  // Asks for the block holding `address` to be loaded in the background.
  virtual void prefetch(RecordAddress address) = 0;
  // Sizes the cache; false (size unchanged) once a block has been allocated.
  virtual bool setCacheSize(uint64_t bytes) = 0;

  virtual uint64_t hits() const = 0;
  virtual uint64_t misses() const = 0;
};

}  // namespace brambel
