#pragma once

#include <string>

namespace brambel {

// The state of one run of one source, from BeginSearch to EndSearch. Each
// source family derives its own cursor; the search run sees only this part.
class SearchCursor {
 public:
  virtual ~SearchCursor() = default;

  // The URL of the page fetched last; empty when the source fetches none.
  virtual std::u16string GetUrl() const { return {}; }

  // 0 = no error; 1 once a network error has ended a page. The search run
  // lists a source whose run ends with the flag set as failed.
  int errorFlag = 0;
  // Why the run failed, for the user (an HTTP status and where it pointed, a
  // network error); empty when no reason is known.
  std::u16string errorText;
};

}  // namespace brambel
