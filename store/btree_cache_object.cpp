#include "store/btree_cache_object.h"

#include "store/index_file.h"

namespace brambel {

bool BTreeCacheObject::ReadFrom(const ContentFile& file) {
  if (!file.isUsable()) return false;
  sectionOffset_ = file.offset(ContentFile::Field::TermsOffset);
  return sectionOffset_ != 0;
}

bool BTreeCacheObject::WriteTo(ContentFile& file) {
  if (!file.isUsable() || !file.isWritable()) return false;
  auto base = IndexFile::createSectionAtEnd(file.file(), kPrefixLength,
                                            smallTable_ ? kSmallTableMinimumDegree : kMinimumDegree,
                                            /*weighted=*/false, compressTable_);
  if (!base || !file.publishSection(ContentFile::Field::TermsOffset, *base)) return false;
  sectionOffset_ = *base;
  return true;
}

}  // namespace brambel
