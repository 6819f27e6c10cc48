#pragma once

#include <cstdint>
#include <string>

#include "store/source_result.h"

namespace brambel {

// Where the saved page's answer headers live in the result record of its
// content file (the record's spare fields):
//   text1    the ETag of the answer
//   text4    the content type of the answer
//   number3  the Expires time, seconds since 1970 UTC (0 = none)
//   contentDate  the Last-Modified time (0 = none)
//   loadDate     when the page was last loaded or confirmed
struct StoredPageFields {
  static const std::u16string& etag(const SourceResult& record) { return record.text1; }
  static const std::u16string& contentType(const SourceResult& record) { return record.text4; }
  static uint32_t expires(const SourceResult& record) { return record.number3; }

  static void setEtag(SourceResult& record, std::u16string value) { record.text1 = std::move(value); }
  static void setContentType(SourceResult& record, std::u16string value) { record.text4 = std::move(value); }
  static void setExpires(SourceResult& record, uint32_t value) { record.number3 = value; }
};

}  // namespace brambel
