#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "store/record_address.h"

namespace brambel {

// One posting: a document id (or, in a per-document table, a position) and
// its weight (0 and not stored without weighted postings).
struct Posting {
  uint32_t id = 0;
  float weight = 0.0f;
  friend bool operator==(const Posting&, const Posting&) = default;
};

// One block of a term's posting chain.
//
// On disk, 32 + c·w bytes (w = 8 with weighted postings, else 4):
//   0   u64  address of the next IdBlock of the term; 0 or all ones = none
//   8   u32  capacity of that next block
//   12  u32  capacity c of this block (slots)
//   16  u32  length in bytes of the deflated slots, when stored deflated
//   20  u32  number of free slots
//   24  u8   stored-deflated flag
//   25  7    reserved, zero
//   32  c·w  slots: u32 id, then f32 weight when weighted; filled in order
// A deflated block holds the head followed by the deflated c·w slot bytes.
class IdBlock {
 public:
  static constexpr size_t kHeadSize = 32;
  // Blocks larger than this are stored deflated when the section asks for it.
  static constexpr size_t kDeflateThreshold = 512;

  // The capacity chains grow to, (Z − 32) / 8 for clusters of Z bytes: a
  // block of the largest size still fits one cache block (at least 1).
  static uint32_t largestCapacity(uint32_t clusterSize) {
    return clusterSize >= kHeadSize + 8 ? (clusterSize - static_cast<uint32_t>(kHeadSize)) / 8 : 1;
  }
  // Capacity of the block that follows one of `capacity` slots in a chain:
  // 16 times as many, at most the largest.
  static uint32_t grownCapacity(uint32_t capacity, uint32_t clusterSize) {
    return static_cast<uint32_t>(std::min<uint64_t>(largestCapacity(clusterSize), uint64_t{capacity} * 16));
  }

  IdBlock(uint32_t capacity, bool weighted);

  RecordAddress address = RecordAddress::none();  // none until first written
  RecordAddress next = RecordAddress{0};
  uint32_t nextCapacity = 0;
  uint32_t deflatedLength = 0;
  bool deflated = false;

  uint32_t capacity() const { return capacity_; }
  bool weighted() const { return weighted_; }
  uint32_t slotWidth() const { return weighted_ ? 8 : 4; }
  uint32_t freeSlots() const { return freeSlots_; }
  uint32_t usedSlots() const { return capacity_ - freeSlots_; }
  size_t storedSize() const { return kHeadSize + size_t{capacity_} * slotWidth(); }
  bool hasNext() const { return !next.isNullLink(); }

  // The filled slots, in the order they were written.
  std::span<const Posting> postings() const { return {slots_.data(), usedSlots()}; }
  // Puts the posting into the first free slot; false when the block is full.
  bool add(Posting posting);

  std::string encodeHead() const;
  std::string encodeSlots() const;  // c·w bytes
  // The block as it is stored: head and slots, or, when `deflate` is set,
  // head and deflated slots (deflated and deflatedLength are set). None
  // when deflating failed.
  std::optional<std::string> encodeStored(bool deflate);
  // The slot bytes of `postings`, as they are stored from a block's first free slot on.
  static std::string encodePostings(std::span<const Posting> postings, bool weighted);
  // Reads the 32-byte head into a block whose slots are all empty; capacity
  // and free count come from the head (the free count is clamped to it).
  // The caller checks the capacity first: the slots are allocated from it.
  static IdBlock decodeHead(const uint8_t* head, bool weighted);
  // Fills the slots from c·w bytes.
  void decodeSlots(const uint8_t* bytes);

 private:
  uint32_t capacity_;
  uint32_t freeSlots_;
  bool weighted_;
  std::vector<Posting> slots_;
};

}  // namespace brambel
