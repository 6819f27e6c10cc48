#include "store/term_section_builder.h"

#include <algorithm>
#include <limits>

#include "platform/file.h"
#include "store/index_file.h"
#include "store/little_endian.h"
#include "store/term_record.h"

namespace brambel {

namespace {

// A new term's first id block; later blocks grow from it.
constexpr uint32_t kFirstBlockCapacity = 3;

}  // namespace

TermSectionBuilder::TermSectionBuilder(uint64_t base, NodeGeometry geometry, bool weighted,
                                       bool compressIdBlocks)
    : base_(base), geometry_(geometry), weighted_(weighted), compressIdBlocks_(compressIdBlocks) {
  // The header goes first; the root's address is filled in by finish().
  bytes_.assign(IndexHeader::kSize, '\0');
}

uint64_t TermSectionBuilder::sectionBaseAt(uint64_t fileEnd) {
  if (fileEnd % kPageSize + IndexHeader::kSize > kPageSize) return (fileEnd / kPageSize + 1) * kPageSize;
  return fileEnd;
}

RecordAddress TermSectionBuilder::place(std::string_view bytes, bool rewritable) {
  const uint64_t at = base_ + bytes_.size();
  if (rewritable && bytes.size() <= kPageSize && at % kPageSize + bytes.size() > kPageSize)
    bytes_.append(kPageSize - at % kPageSize, '\0');
  const RecordAddress address = nextAddress();
  bytes_.append(bytes);
  return address;
}

RecordAddress TermSectionBuilder::writeIdBlock(IdBlock& block) {
  const bool deflate = compressIdBlocks_ && block.storedSize() > IdBlock::kDeflateThreshold;
  std::optional<std::string> bytes = block.encodeStored(deflate);
  if (!bytes) return RecordAddress::none();
  // A deflated block is appended anew whenever it changes, never rewritten in place.
  block.address = place(*bytes, !deflate);
  return block.address;
}

RecordAddress TermSectionBuilder::writeChain(std::span<const Posting> postings, uint32_t& firstCapacity) {
  std::vector<IdBlock> chain;
  chain.emplace_back(kFirstBlockCapacity, weighted_);
  for (size_t next = 0;;) {
    IdBlock& block = chain.back();
    while (next < postings.size() && block.add(postings[next])) ++next;
    if (next == postings.size()) break;
    chain.emplace_back(IdBlock::grownCapacity(block.capacity(), kClusterSize), weighted_);
  }
  for (size_t i = chain.size(); i-- > 0;) {
    if (i + 1 < chain.size()) {
      chain[i].next = chain[i + 1].address;
      chain[i].nextCapacity = chain[i + 1].capacity();
    }
    if (writeIdBlock(chain[i]).isNone()) return RecordAddress::none();
  }
  firstCapacity = chain.front().capacity();
  return chain.front().address;
}

bool TermSectionBuilder::add(std::u16string_view term, std::span<const Posting> postings) {
  const uint32_t p = geometry_.prefixLength;
  if (!isStorableTerm(term, p, kClusterSize)) return false;
  if (!entries_.empty() && !(lastTerm_ < term)) return false;
  uint32_t capacity = 0;
  const RecordAddress first = writeChain(postings, capacity);
  if (first.isNone()) return false;
  const std::u16string_view key = keyOf(term, p);
  lastTerm_.assign(term);
  if (term.size() < p) {
    entries_.push_back({std::u16string(key), first});
    lastRecordAt_.reset();
    return true;
  }
  TermRecord record;
  record.firstIdBlock = first;
  record.firstBlockCapacity = capacity;
  record.suffix = std::u16string(term.substr(p));
  const RecordAddress at = place(record.encode(), true);
  // Terms sharing their first p units hang in one chain from their key, in the order added.
  if (lastRecordAt_ && entries_.back().key == key) {
    storeLe64(&bytes_[*lastRecordAt_ + 8], at.value);
  } else {
    entries_.push_back({std::u16string(key), at});
  }
  lastRecordAt_ = static_cast<size_t>(at.value - base_);
  return true;
}

uint64_t TermSectionBuilder::subtreeCapacity(int height) const {
  const uint64_t keys = geometry_.maxKeys();
  uint64_t capacity = keys;
  for (int level = 0; level < height; ++level) {
    if (capacity > std::numeric_limits<uint32_t>::max()) return capacity;  // beyond any section
    capacity = keys + (keys + 1) * capacity;
  }
  return capacity;
}

RecordAddress TermSectionBuilder::writeSubtree(std::span<const Entry> entries, int height) {
  IndexNode node(geometry_);
  if (height == 0) {
    for (const Entry& entry : entries) {
      node.setKey(node.keyCount, entry.key);
      node.setValue(node.keyCount++, entry.value);
    }
  } else {
    // As few children as hold the entries, with the entries spread evenly
    // over them and one separator between each two.
    const uint64_t below = subtreeCapacity(height - 1);
    const size_t children = static_cast<size_t>((entries.size() + 1 + below) / (below + 1));
    const size_t inChildren = entries.size() - (children - 1);
    size_t start = 0;
    for (size_t child = 0; child < children; ++child) {
      const size_t size = inChildren / children + (child < inChildren % children ? 1 : 0);
      node.setChild(node.childCount++, writeSubtree(entries.subspan(start, size), height - 1));
      start += size;
      if (child + 1 < children) {
        node.setKey(node.keyCount, entries[start].key);
        node.setValue(node.keyCount++, entries[start].value);
        ++start;
      }
    }
  }
  node.address = place(node.encode(), true);
  return node.address;
}

std::string TermSectionBuilder::finish() {
  int height = 0;
  while (subtreeCapacity(height) < entries_.size()) ++height;
  const RecordAddress root = writeSubtree(entries_, height);
  const IndexHeader header =
      IndexHeader::describing(geometry_, kClusterSize, kSectorSize, weighted_, compressIdBlocks_, root);
  const auto encoded = header.encode();
  std::copy(encoded.begin(), encoded.end(), bytes_.begin());
  entries_.clear();
  return std::move(bytes_);
}

}  // namespace brambel
