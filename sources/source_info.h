#pragma once

#include <map>
#include <string>

namespace brambel {

// How a source presents itself to the source editor and to listings.
struct SourceInfo {
  // The source's display name followed by the service label in parentheses,
  // or the bare service label when the source has no display name.
  std::u16string displayName;
  std::u16string description;
  std::u16string homeUrl;  // a page describing the service
  // Parameter name → one-line description shown next to its value.
  std::map<std::u16string, std::u16string> parameterDescriptions;
};

}  // namespace brambel
