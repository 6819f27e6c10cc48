#pragma once

#include <map>
#include <string>

#include "store/cache_object.h"

namespace brambel {

// The links found in a document, link URL to link text.
// Section: u32 count, then per link its key and value as two strings.
class SourceLinks : public CacheObject {
 public:
  bool ReadFrom(const ContentFile& file) override;
  bool WriteTo(ContentFile& file) override;

  std::map<std::u16string, std::u16string> links;
};

}  // namespace brambel
