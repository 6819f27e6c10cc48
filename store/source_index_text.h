#pragma once

#include <cstdint>
#include <string>

#include "store/cache_object.h"

namespace brambel {

// The plain text of a document as it was indexed. Section: one string;
// header field 72 holds its byte size (2n + 4).
//
// Reading can be limited to a window of the stored text: `windowStart` and
// `windowLength` in UTF-16 units; both 0 reads the whole text. A window that
// starts at or past the end yields an empty text, so callers can page through
// a long text without loading all of it.
class SourceIndexText : public CacheObject {
 public:
  SourceIndexText() = default;
  explicit SourceIndexText(std::u16string indexed) : text(std::move(indexed)) {}
  SourceIndexText(uint32_t start, uint32_t length) : windowStart(start), windowLength(length) {}

  bool ReadFrom(const ContentFile& file) override;
  bool WriteTo(ContentFile& file) override;

  std::u16string text;
  uint32_t windowStart = 0;
  uint32_t windowLength = 0;
};

}  // namespace brambel
