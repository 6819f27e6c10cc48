#pragma once

#include <cstdint>

#include "store/cache_object.h"

namespace brambel {

// Three counts of a document's stored text, used as divisors by term scoring.
// Section: T, W, L as three u32 (in that order); header field 48 is set to 8.
class SourceStats : public CacheObject {
 public:
  bool ReadFrom(const ContentFile& file) override;
  bool WriteTo(ContentFile& file) override;

  uint32_t w = 0;  // adjacency divisor
  uint32_t t = 0;  // occurrence-density divisor
  uint32_t l = 0;  // extent of the text in positions
};

}  // namespace brambel
