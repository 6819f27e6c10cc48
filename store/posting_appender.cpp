#include "store/posting_appender.h"

#include <algorithm>
#include <string>
#include <unordered_set>
#include <vector>

#include "store/index_file.h"
#include "store/little_endian.h"

namespace brambel {
namespace {

// Offsets of the head fields an append changes.
constexpr uint32_t kNextField = 0;       // u64 next block, u32 its capacity
constexpr uint32_t kFreeSlotsField = 20;  // u32
constexpr uint32_t kDeflatedField = 24;  // u8

}  // namespace

RecordSpace RecordSpace::ofSection(uint64_t base, uint32_t blockSize, uint64_t fileSize, bool weighted) {
  const uint64_t headerEnd = base + IndexHeader::kSize;
  return {(headerEnd + blockSize - 1) / blockSize * blockSize, blockSize, fileSize, weighted};
}


bool RecordSpace::holds(RecordAddress address, uint64_t length) const {
  if (address.isNullLink() || address.offsetInBlock() >= blockSize) return false;
  if (length > blockSize - address.offsetInBlock()) return false;
  return positionOf(address) + length <= fileSize;
}

PostingAppender::PostingAppender(const File& handle, const RecordSpace& space, BlockWriteBack& out,
                                 ChainTailTable& tails)
    : handle_(handle), space_(space), out_(out), tails_(tails) {}

std::optional<PostingAppender::Chain> PostingAppender::create(std::span<const Posting> postings) {
  if (postings.empty()) return std::nullopt;
  return appendBlocks(postings, kFirstBlockCapacity, RecordAddress::none());
}

std::optional<PostingAppender::Chain> PostingAppender::appendBlocks(std::span<const Posting> postings,
                                                                   uint32_t capacity, RecordAddress chainFirst) {
  // Cut the postings into blocks first; they are appended last to first so
  // that each block is written once, already linked to its successor.
  std::vector<std::pair<uint32_t, std::span<const Posting>>> blocks;
  while (!postings.empty()) {
    const size_t taken = std::min<size_t>(capacity, postings.size());
    blocks.emplace_back(capacity, postings.subspan(0, taken));
    postings = postings.subspan(taken);
    capacity = IdBlock::grownCapacity(capacity, space_.blockSize);
  }
  RecordAddress next{0};
  uint32_t nextCapacity = 0;
  RecordAddress last = RecordAddress::none();
  for (size_t i = blocks.size(); i-- > 0;) {
    IdBlock block(blocks[i].first, space_.weighted);
    for (const Posting& posting : blocks[i].second) block.add(posting);
    block.next = next;
    block.nextCapacity = nextCapacity;
    const RecordAddress at = out_.append(block.encodeHead() + block.encodeSlots());
    if (at.isNone()) return std::nullopt;
    if (last.isNone()) last = at;
    next = at;
    nextCapacity = block.capacity();
  }
  if (blocks.empty()) return std::nullopt;
  tails_.remember(chainFirst.isNone() ? next : chainFirst,
                  {last, blocks.back().first, static_cast<uint32_t>(blocks.back().second.size())});
  return Chain{next, nextCapacity};
}

std::optional<ChainTailTable::Tail> PostingAppender::tailOf(RecordAddress first) {
  if (const ChainTailTable::Tail* known = tails_.find(first)) return *known;
  // Walk the heads only; a chain that loops or leaves the file is damaged.
  std::unordered_set<uint64_t> seen;
  RecordAddress address = first;
  for (;;) {
    uint8_t head[IdBlock::kHeadSize];
    if (!space_.holds(address, sizeof head) || !seen.insert(address.value).second ||
        !handle_.readExactlyAt(space_.positionOf(address), head, sizeof head)) {
      return std::nullopt;
    }
    const uint32_t capacity = loadLe32(head + 12);
    const uint32_t freeSlots = loadLe32(head + kFreeSlotsField);
    const uint64_t stored = IdBlock::kHeadSize + uint64_t{capacity} * space_.slotWidth();
    if (capacity == 0 || freeSlots > capacity || head[kDeflatedField] != 0 || !space_.holds(address, stored))
      return std::nullopt;
    const RecordAddress next{loadLe64(head + kNextField)};
    if (next.isNullLink()) return ChainTailTable::Tail{address, capacity, capacity - freeSlots};
    address = next;
  }
}

bool PostingAppender::append(RecordAddress first, std::span<const Posting> postings) {
  if (postings.empty()) return true;
  std::optional<ChainTailTable::Tail> tail = tailOf(first);
  if (!tail || tail->used > tail->capacity) return false;
  const size_t fitting = std::min<size_t>(tail->capacity - tail->used, postings.size());
  const std::span<const Posting> rest = postings.subspan(fitting);
  std::optional<Chain> grown;
  if (!rest.empty()) {
    grown = appendBlocks(rest, IdBlock::grownCapacity(tail->capacity, space_.blockSize), first);
    if (!grown) return false;
  }
  if (fitting != 0) {
    const RecordAddress slots = RecordAddress::inBlock(
        tail->address.block(), tail->address.offsetInBlock() + IdBlock::kHeadSize + tail->used * space_.slotWidth());
    out_.patchUnreached(slots, IdBlock::encodePostings(postings.subspan(0, fitting), space_.weighted));
    std::string freeSlots;
    appendLe32(freeSlots, tail->capacity - tail->used - static_cast<uint32_t>(fitting));
    out_.patch(RecordAddress::inBlock(tail->address.block(), tail->address.offsetInBlock() + kFreeSlotsField),
               freeSlots);
  }
  if (grown) {
    std::string link;
    appendLe64(link, grown->first.value);
    appendLe32(link, grown->firstCapacity);
    out_.patch(RecordAddress::inBlock(tail->address.block(), tail->address.offsetInBlock() + kNextField), link);
  } else {
    tails_.remember(first, {tail->address, tail->capacity, tail->used + static_cast<uint32_t>(fitting)});
  }
  return true;
}

}  // namespace brambel
