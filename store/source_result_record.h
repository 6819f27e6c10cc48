#pragma once

#include "store/cache_object.h"
#include "store/source_result.h"

namespace brambel {

// The result record section of a content file:
//   URL, title, description, text4          four strings
//   content date, load date, number3        three u32
//   text1, image URL, text7                 trailing strings
// Header field 16 tells how many trailing strings follow (written as 3; older
// files may hold fewer). The source list is a section of its own
// (source_list.h); text2, search URL, position and marker are not stored.
class SourceResultRecord : public CacheObject {
 public:
  static constexpr uint32_t kTrailingStrings = 3;

  SourceResultRecord() = default;
  explicit SourceResultRecord(SourceResult value) : result(std::move(value)) {}

  bool ReadFrom(const ContentFile& file) override;
  bool WriteTo(ContentFile& file) override;

  SourceResult result;
};

// Reads only the URL of the result record section.
class URLResult : public CacheObject {
 public:
  bool ReadFrom(const ContentFile& file) override;
  // The URL belongs to the result record; this writes nothing.
  bool WriteTo(ContentFile& file) override { return false; }

  std::u16string url;
};

}  // namespace brambel
