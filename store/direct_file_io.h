#pragma once

#include <cstdint>

#include "store/file_io.h"

namespace brambel {

// Synchronous positioned transfers; a record's address is its byte offset.
// New records go to the end of the file. With a section whose compression
// flag is set, id blocks above 512 bytes are stored deflated and appended
// anew on every write.
class DirectFileIo final : public FileIo {
 public:
  explicit DirectFileIo(bool compressIdBlocks = false) : compressIdBlocks_(compressIdBlocks) {}

  void attach(const File&, bool, const SectionVersion&) override {}
  bool release(const File&, bool, const SectionVersion&) override { return true; }
  void startReadAhead(File handle, RecordAddress root) override {}

  std::optional<IdBlock> readIdBlock(const File& handle, RecordAddress address, uint32_t knownCapacity,
                                     bool weighted) override;
  std::optional<TermRecord> readTermRecord(const File& handle, RecordAddress address) override;
  bool readNode(const File& handle, RecordAddress address, IndexNode& node) override;

  RecordAddress writeIdBlock(const File& handle, IdBlock& block) override;
  RecordAddress writeTermRecord(const File& handle, TermRecord& record) override;
  RecordAddress writeNode(const File& handle, IndexNode& node) override;

  bool reload(const File&, RecordAddress) override { return false; }
  bool writeBackAll(const File&) override { return true; }
  bool writeBackAndDrop(const File&) override { return true; }
  bool writeBackSome(const File&) override { return false; }

  bool writeRaw(const File& handle, uint64_t position, const void* bytes, size_t length) override;
  bool readRaw(const File& handle, uint64_t position, void* bytes, size_t length) override;

  void setPriority(RecordAddress, uint32_t) override {}
  void prefetch(RecordAddress) override {}
  bool setCacheSize(uint64_t) override { return true; }
  uint64_t hits() const override { return 0; }
  uint64_t misses() const override { return 0; }

  bool compressesIdBlocks() const { return compressIdBlocks_; }

 private:
  // Where a new record of `size` bytes goes: the end of the file, moved to
  // the next page boundary when the record would otherwise straddle one.
  // The kernel may cut a write short between pages when the writer is
  // killed, so a record inside one page is rewritten whole or not at all.
  // None when the file size is unknown.
  std::optional<uint64_t> allocateAtEnd(const File& handle, size_t size) const;

  bool compressIdBlocks_;
};

}  // namespace brambel
