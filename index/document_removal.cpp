#include "index/document_removal.h"

#include "store/index_session.h"

namespace brambel {

namespace {

// Longest id-block chain followed; longer means a cycle in damaged data.
constexpr int kMaxBlocks = 1 << 24;

// The block with the ids of removed documents set to 0; nothing when no slot changes.
std::optional<IdBlock> withoutRemoved(const IdBlock& block, const DocumentIdSet& removed,
                                      uint64_t& cleared) {
  bool changed = false;
  IdBlock copy(block.capacity(), block.weighted());
  copy.address = block.address;
  copy.next = block.next;
  copy.nextCapacity = block.nextCapacity;
  for (Posting posting : block.postings()) {
    if (posting.id != 0 && removed.count(posting.id) != 0) {
      posting.id = 0;
      ++cleared;
      changed = true;
    }
    copy.add(posting);
  }
  return changed ? std::optional<IdBlock>(std::move(copy)) : std::nullopt;
}

}  // namespace

std::optional<uint64_t> RemoveDocuments(IndexFile& index, const DocumentIdSet& removed) {
  if (!index.isValid() || index.isReadOnly()) return std::nullopt;
  std::optional<IndexSession> session = index.beginWrite();
  if (!session) return std::nullopt;
  uint64_t cleared = 0;
  bool written = true;
  session->forEachTerm(u"", [&](const std::u16string&, const TermRecord& record) {
    RecordAddress address = record.firstIdBlock;
    uint32_t capacity = record.firstBlockCapacity;
    for (int hops = 0; !address.isNullLink() && hops < kMaxBlocks; ++hops) {
      IdBlock block = session->readIdBlock(address, capacity);
      // A damaged block comes back as a fresh one without an address.
      if (block.address.isNone() || block.deflated) break;
      if (std::optional<IdBlock> changed = withoutRemoved(block, removed, cleared))
        written &= session->writeIdBlock(*changed) == block.address;
      address = block.next;
      capacity = block.nextCapacity;
    }
    return true;
  });
  if (!written) return std::nullopt;
  return cleared;
}

}  // namespace brambel
