#include "store/btree_cache_object.h"

#include <vector>

#include "store/term_section_builder.h"

namespace brambel {

bool BTreeCacheObject::ReadFrom(const ContentFile& file) {
  if (!file.isUsable()) return false;
  sectionOffset_ = file.offset(ContentFile::Field::TermsOffset);
  return sectionOffset_ != 0;
}

bool BTreeCacheObject::WriteTo(ContentFile& file) {
  if (!file.isUsable() || !file.isWritable()) return false;
  const uint64_t end = file.size();
  if (end < ContentFile::kHeaderSize) return false;
  const uint64_t base = TermSectionBuilder::sectionBaseAt(end);
  const NodeGeometry geometry{static_cast<uint32_t>(smallTable_ ? kSmallTableMinimumDegree : kMinimumDegree),
                              static_cast<uint32_t>(kPrefixLength)};
  TermSectionBuilder builder(base, geometry, /*weighted=*/false, compressTable_);
  if (terms_) {
    std::vector<Posting> postings;
    for (const auto& [term, positions] : terms_->terms()) {
      postings.clear();
      for (uint32_t position : positions) postings.push_back({position, 0.0f});
      builder.add(term, postings);
    }
  }
  const std::string bytes = builder.finish();
  if (!file.writeAt(base, bytes) || !file.publishSection(ContentFile::Field::TermsOffset, base)) return false;
  sectionOffset_ = base;
  return true;
}

}  // namespace brambel
