#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>

#include "platform/file.h"
#include "store/chain_tails.h"
#include "store/file_io.h"
#include "store/index_node.h"
#include "store/record_address.h"
#include "store/term_record.h"

namespace brambel {

class IndexSession;

// How a section is opened, and the shape it gets if it has to be created
// (an existing section keeps the parameters of its header).
struct IndexFileOptions {
  bool readOnly = false;
  bool open = true;          // when false nothing is opened and the section stays invalid
  int prefixLength = 0;      // p; below 1 selects 12
  int minDegree = 0;         // t; below 1 selects the degree whose node fills one cluster
  bool weighted = true;      // 8-byte (id, weight) slots instead of 4-byte ids
  bool cached = false;       // CachedFileIo instead of DirectFileIo
  uint64_t cacheSize = 0;    // bytes; 0 chooses from the file size
  // Closing a writable section makes it durable. A table inside a
  // document's content file needs no flush of its own: the file is
  // rewritten whenever the page is saved again.
  bool syncOnClose = true;
};

// Header of a section, 40 bytes at its base offset B:
//   0   u32  format version, 0
//   4   u32  change counter (see SectionVersion); a field the format leaves
//            reserved, so readers that do not know it never look at it
//   8   u64  RecordAddress of the root node
//   16  u32  minimum degree t
//   20  u32  key prefix length p
//   24  u32  cluster size Z at creation
//   28  u32  sector size S at creation
//   32  u8   weighted postings flag
//   33  u8   compression flag
//   34  6    reserved
struct IndexHeader {
  static constexpr size_t kSize = 40;

  uint32_t version = 0;
  uint32_t changeCount = 0;
  RecordAddress root = RecordAddress::none();
  uint32_t minDegree = 0;
  uint32_t prefixLength = 0;
  uint32_t clusterSize = 0;
  uint32_t sectorSize = 0;
  bool weighted = false;
  bool compressed = false;

  // The header of a section of this shape whose tree starts at `root`.
  static IndexHeader describing(NodeGeometry geometry, uint32_t clusterSize, uint32_t sectorSize, bool weighted,
                                bool compressed, RecordAddress root);
  std::array<uint8_t, kSize> encode() const;
  static IndexHeader decode(const uint8_t* bytes);
};

// One self-contained B-tree term section of a file: a header at offset B, a
// B-tree keyed by the first p units of each term, chains of term records for
// longer terms and chains of id blocks holding each term's postings.
//
// No file handle stays open between operations: every read or update runs
// in an IndexSession that opens its own handle and reads the header afresh,
// so that it follows what other handles (in this or another process) did to
// the tree since. One writer at a time holds the file (across threads and
// processes); readers take no lock.
class IndexFile {
 public:
  static constexpr std::chrono::milliseconds kOpenWriterLimit{30000};
  static constexpr std::chrono::milliseconds kFlushWriterLimit{500};

  IndexFile(std::filesystem::path path, uint64_t base, const IndexFileOptions& options);
  // A valid writable section writes back everything first (waiting for the
  // writer lock without limit) and makes it durable.
  ~IndexFile();
  IndexFile(const IndexFile&) = delete;
  IndexFile& operator=(const IndexFile&) = delete;

  // Creates an empty section at the current end of an open, writable file
  // (a table inside another file) and returns its base offset. Direct I/O;
  // p and t below 1 select 12 and the degree for 4096-byte clusters.
  static std::optional<uint64_t> createSectionAtEnd(const File& file, int prefixLength, int minDegree,
                                                    bool weighted, bool compressed);

  bool isValid() const { return !root().isNone(); }
  // True when the file cannot be read or the root node has no keys.
  bool isEmpty();
  bool isReadOnly() const { return readOnly_; }

  const std::filesystem::path& path() const { return path_; }
  uint64_t base() const { return base_; }
  // The root as this object last saw it (each session reads its own).
  RecordAddress root() const;
  NodeGeometry geometry() const { return geometry_; }
  uint32_t prefixLength() const { return geometry_.prefixLength; }
  uint32_t clusterSize() const { return clusterSize_; }
  uint32_t sectorSize() const { return sectorSize_; }
  bool weighted() const { return weighted_; }
  bool compressed() const { return compressed_; }
  bool cached() const { return cached_; }
  FileIo& fileIo() { return *io_; }

  // Terms per second of the last batch update: collected, looked up, stored.
  // Read by the statistics display while index workers set them.
  std::array<float, 3> rates() const {
    return {rates_[0].load(std::memory_order_relaxed), rates_[1].load(std::memory_order_relaxed),
            rates_[2].load(std::memory_order_relaxed)};
  }
  void setRates(const std::array<float, 3>& rates) {
    for (size_t i = 0; i < rates.size(); ++i) rates_[i].store(rates[i], std::memory_order_relaxed);
  }

  // The term record of a B-tree key (a term's first p units); for a key
  // shorter than p the record is built in memory. Runs its own read session.
  std::optional<TermRecord> termRecordFor(std::u16string_view key);

  // A read session; empty when the section is invalid or the file cannot be opened.
  std::optional<IndexSession> beginRead();
  // A write session holding the writer lock; waits at most `limit` for
  // another writer (without limit when empty). Empty when read-only,
  // invalid, or the lock was not obtained.
  std::optional<IndexSession> beginWrite(std::optional<std::chrono::milliseconds> limit = std::nullopt);

  // Writes back a little of the cache when the writer lock is free within
  // 500 ms; true when more remains to be written.
  bool flushSome();

 private:
  friend class IndexSession;

  File acquireWriter(std::optional<std::chrono::milliseconds> limit);
  bool readHeader(const File& handle);
  bool createSection(const File& handle);
  // The header as a session finds it: none when it cannot be read or no
  // longer describes the section this object opened.
  std::optional<IndexHeader> readSessionHeader(const File& handle);
  bool writeHeader(const File& handle, const IndexHeader& header);
  void setRoot(RecordAddress root);
  IndexHeader header() const;
  std::optional<IndexSession> beginSession(File handle, bool writer);
  // A writer borrows the chain tails for its operation and hands them back
  // with the section's version as it leaves it (none when writing failed);
  // tails outlive the operation only while nobody else changes the section.
  ChainTails borrowChainTails(const SectionVersion& version);
  void returnChainTails(ChainTails tails, std::optional<SectionVersion> version);

  std::filesystem::path path_;
  uint64_t base_;
  bool readOnly_;
  bool weighted_;
  bool compressed_ = false;
  bool cached_;
  bool syncOnClose_;
  uint32_t clusterSize_ = 4096;
  uint32_t sectorSize_ = 512;
  NodeGeometry geometry_;
  mutable std::mutex rootMutex_;
  RecordAddress root_ = RecordAddress::none();
  std::unique_ptr<FileIo> io_;
  std::unique_ptr<std::mutex> writerMutex_;  // writable sections only
  std::mutex chainTailsMutex_;
  ChainTails chainTails_;
  std::optional<SectionVersion> chainTailsVersion_;  // the section as the last writer left it
  std::array<std::atomic<float>, 3> rates_{};
};

// The cache size chosen for a file of `fileSize` bytes (none: size unknown).
uint64_t defaultCacheSize(std::optional<uint64_t> fileSize);

// The version a handle sees of a section with `header`.
SectionVersion sectionVersion(const File& handle, const IndexHeader& header);

}  // namespace brambel
