#pragma once

#include <string>
#include <vector>

#include "store/cache_object.h"

namespace brambel {

// The instance ids of the search sources that returned a document, so that
// the source index can be built again from the content files alone.
// Section: u32 count, then each id as a string. A file written before the
// section existed has none: ReadFrom reports false and the list stays empty.
class SourceList : public CacheObject {
 public:
  SourceList() = default;
  explicit SourceList(std::vector<std::u16string> sourceIds) : ids(std::move(sourceIds)) {}

  bool ReadFrom(const ContentFile& file) override;
  bool WriteTo(ContentFile& file) override;

  // Adds the ids not yet in the list, keeping the order they come in.
  void merge(const std::vector<std::u16string>& more);

  std::vector<std::u16string> ids;
};

}  // namespace brambel
