#pragma once

#include <string>

namespace brambel {

// One "<a>" element of a page: its href as written (empty when the anchor
// has none or is marked nofollow) and its anchor text with inner tags removed.
struct PageLink {
  std::string href;
  std::string text;

  bool operator==(const PageLink&) const = default;
};

}  // namespace brambel
