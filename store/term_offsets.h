#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "store/cache_object.h"

namespace brambel {

// A document's terms, each with the positions (UTF-16 unit index in the
// text) where it occurs, in the order they were found.
// Section (header field 40):
//   u32 number of terms, then per term:
//   u32 term length n, n UTF-16 units, u32 count of positions, count x u32
class TermOffsets : public CacheObject {
 public:
  bool ReadFrom(const ContentFile& file) override;
  bool WriteTo(ContentFile& file) override;

  void add(std::u16string_view term, uint32_t position);

  // Every term whose first units equal `prefix`, in code-unit order.
  std::vector<std::u16string> TermsWithPrefix(std::u16string_view prefix) const;
  size_t TermCount() const { return terms_.size(); }
  // The positions of `term`, or null when the document does not hold it.
  const std::vector<uint32_t>* FindTerm(std::u16string_view term) const;

  const std::map<std::u16string, std::vector<uint32_t>, std::less<>>& terms() const { return terms_; }

 private:
  std::map<std::u16string, std::vector<uint32_t>, std::less<>> terms_;
};

}  // namespace brambel
