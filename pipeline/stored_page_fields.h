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
//   text7    "possible-crash" while a preview of the page is being drawn: a
//            record left so means the program ended during the drawing
//   contentDate  the Last-Modified time (0 = none)
//   loadDate     when the page was last loaded or confirmed
struct StoredPageFields {
  static const std::u16string& etag(const SourceResult& record) { return record.text1; }
  static const std::u16string& contentType(const SourceResult& record) { return record.text4; }
  static uint32_t expires(const SourceResult& record) { return record.number3; }
  static bool possibleCrash(const SourceResult& record) { return record.text7 == kPossibleCrash; }

  static void setEtag(SourceResult& record, std::u16string value) { record.text1 = std::move(value); }
  static void setContentType(SourceResult& record, std::u16string value) { record.text4 = std::move(value); }
  static void setExpires(SourceResult& record, uint32_t value) { record.number3 = value; }
  static void setPossibleCrash(SourceResult& record, bool value) {
    if (value) record.text7 = kPossibleCrash;
    else if (possibleCrash(record)) record.text7.clear();
  }

 private:
  static constexpr char16_t kPossibleCrash[] = u"possible-crash";
};

}  // namespace brambel
