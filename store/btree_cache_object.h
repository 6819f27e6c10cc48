#pragma once

#include <cstdint>

#include "store/cache_object.h"

namespace brambel {

// A document's own term table: an index section (index_file.h) created at the
// end of the content file, with 12-unit key prefixes, minimum degree 20 (4
// for small tables) and 4-byte postings holding term positions. Header field
// 40 holds the section's base offset.
//
// WriteTo only creates the empty section and records it; the terms are added
// afterwards by opening an IndexFile at sectionOffset() on the same path,
// once this ContentFile has been closed (both take the file's writer lock).
class BTreeCacheObject : public CacheObject {
 public:
  static constexpr int kPrefixLength = 12;
  static constexpr int kMinimumDegree = 20;
  static constexpr int kSmallTableMinimumDegree = 4;

  BTreeCacheObject() = default;
  BTreeCacheObject(bool smallTable, bool compressTable)
      : smallTable_(smallTable), compressTable_(compressTable) {}

  bool ReadFrom(const ContentFile& file) override;
  bool WriteTo(ContentFile& file) override;

  // Whether the table's id blocks are to be stored deflated.
  bool compressesTable() const { return compressTable_; }
  // The base offset of the section; 0 when there is none.
  uint64_t sectionOffset() const { return sectionOffset_; }

 private:
  bool smallTable_ = false;
  bool compressTable_ = false;
  uint64_t sectionOffset_ = 0;
};

}  // namespace brambel
