#pragma once

#include <cstdint>

#include "store/cache_object.h"
#include "store/term_offsets.h"

namespace brambel {

// A document's own term table: an index section (index_file.h) at the end of
// the content file, with 12-unit key prefixes, minimum degree 20 (4 for small
// tables) and 4-byte postings holding term positions. Header field 40 holds
// the section's base offset.
//
// WriteTo writes the whole section in one transfer, holding every term of
// the given term map with its positions (an empty section without one), and
// records it. Terms that cannot be keys are left out.
class BTreeCacheObject : public CacheObject {
 public:
  static constexpr int kPrefixLength = 12;
  static constexpr int kMinimumDegree = 20;
  static constexpr int kSmallTableMinimumDegree = 4;

  BTreeCacheObject() = default;
  BTreeCacheObject(bool smallTable, bool compressTable)
      : smallTable_(smallTable), compressTable_(compressTable) {}
  // A table to be written with `terms`, which must outlive the WriteTo call.
  explicit BTreeCacheObject(const TermOffsets& terms) : terms_(&terms) {}

  bool ReadFrom(const ContentFile& file) override;
  bool WriteTo(ContentFile& file) override;

  // Whether the table's id blocks are to be stored deflated.
  bool compressesTable() const { return compressTable_; }
  // The base offset of the section; 0 when there is none.
  uint64_t sectionOffset() const { return sectionOffset_; }

 private:
  bool smallTable_ = false;
  bool compressTable_ = false;
  const TermOffsets* terms_ = nullptr;
  uint64_t sectionOffset_ = 0;
};

}  // namespace brambel
