#pragma once

#include "store/content_file.h"

namespace brambel {

// A persisted record of a document's content file. Each kind owns one
// section: WriteTo appends a new copy of the section and points the header at
// it; ReadFrom loads the newest copy and reports false when the section is
// absent or unreadable (the object then keeps its defaults).
class CacheObject {
 public:
  virtual ~CacheObject() = default;

  virtual bool ReadFrom(const ContentFile& file) = 0;
  virtual bool WriteTo(ContentFile& file) = 0;
};

}  // namespace brambel
