#include "toolkit/tag_attribute.h"

#include "toolkit/markup_scanning.h"

namespace brambel {

namespace {

bool isAttributeNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
         c == ':' || c == '.';
}

bool isSpaceOrVerticalTab(char c) { return isScannerSpace(c) || c == '\v'; }

}  // namespace

std::string_view tagAttributeValue(std::string_view tag, std::string_view name) {
  if (name.empty()) return {};
  // The tag ends at its ">"; a value never runs past it.
  if (!tag.empty() && tag.back() == '>') tag.remove_suffix(1);
  for (size_t at = 0; at + name.size() <= tag.size(); ++at) {
    // Only whole attribute names count: "url" inside "data-url" does not.
    if (at > 0 && isAttributeNameChar(tag[at - 1])) continue;
    bool sameName = true;
    for (size_t i = 0; i < name.size() && sameName; ++i)
      sameName = asciiLower(tag[at + i]) == asciiLower(name[i]);
    if (!sameName) continue;
    size_t pos = at + name.size();
    while (pos < tag.size() && isSpaceOrVerticalTab(tag[pos])) ++pos;
    if (pos >= tag.size() || tag[pos] != '=') continue;
    ++pos;
    while (pos < tag.size() && isSpaceOrVerticalTab(tag[pos])) ++pos;
    if (pos < tag.size() && (tag[pos] == '"' || tag[pos] == '\'')) {
      size_t end = tag.find(tag[pos], pos + 1);
      if (end == std::string_view::npos) end = tag.size();
      return tag.substr(pos + 1, end - pos - 1);
    }
    size_t end = pos;
    while (end < tag.size() && !isSpaceOrVerticalTab(tag[end])) ++end;
    return tag.substr(pos, end - pos);
  }
  return {};
}

}  // namespace brambel
