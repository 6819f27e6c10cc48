#pragma once

#include <cstdint>

#include "store/source_result.h"
#include "store/url_marks.h"

namespace brambel {

// One element of a displayed result list: a result, its score, and the
// library's marks of its URL as they were when the entry was made. A
// negative score means the result is not shown.
struct ResultEntry {
  SourceResult record;
  int32_t score = 0;
  UrlMarks marks;
  bool pinned = false;
};

}  // namespace brambel
