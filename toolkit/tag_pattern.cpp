#include "toolkit/tag_pattern.h"

namespace brambel {

namespace {

// "\s" of the expression: the scanners' white space and vertical tab.
bool isRegexSpace(char c) { return isScannerSpace(c) || c == '\v'; }

}  // namespace

TagPattern::TagPattern(std::string_view html, std::string_view name)
    : html_(html), greaterThan_(html, '>'), lessThan_(html, '<') {
  leadingSpaces_ = name.find_first_not_of(' ');
  if (leadingSpaces_ == std::string_view::npos) leadingSpaces_ = name.size();
  for (char c : name.substr(leadingSpaces_)) core_ += asciiLower(c);
}

std::optional<TagMatch> TagPattern::findNext(size_t from) {
  for (size_t start = lessThan_.find(from); start != std::string_view::npos;
       start = lessThan_.find(start + 1)) {
    if (auto opening = matchOpening(start)) return opening;
    if (auto closing = matchClosing(start)) return closing;
  }
  return std::nullopt;
}

// "[ ]*NAME" at `pos`. The spaces before the name are taken greedily; when
// the name has nothing after its own leading spaces, the spaces beyond those
// are spare, and the expression may hand one back to a following "\s+".
std::optional<TagPattern::NameEnd> TagPattern::matchName(size_t pos) const {
  size_t spacesEnd = pos;
  while (spacesEnd < html_.size() && html_[spacesEnd] == ' ') ++spacesEnd;
  size_t spaces = spacesEnd - pos;
  if (spaces < leadingSpaces_) return std::nullopt;
  if (core_.empty()) return NameEnd{spacesEnd, spaces - leadingSpaces_};
  if (!startsWithIgnoringCase(html_, spacesEnd, core_)) return std::nullopt;
  return NameEnd{spacesEnd + core_.size(), 0};
}

std::optional<size_t> TagPattern::whiteSpaceStart(const NameEnd& name) const {
  if (name.end < html_.size() && isRegexSpace(html_[name.end])) return name.end;
  if (name.spareSpaces > 0) return name.end - 1;
  return std::nullopt;
}

std::optional<TagMatch> TagPattern::matchOpening(size_t start) {
  auto name = matchName(start + 1);
  if (!name) return std::nullopt;
  size_t at = name->end;
  bool spaceFollows = at < html_.size() && isRegexSpace(html_[at]);
  if (!spaceFollows) {
    // "(/?)>" straight after the name is tried before giving back a space.
    if (at + 1 < html_.size() && html_[at] == '/' && html_[at + 1] == '>')
      return TagMatch{start, at + 2, false, true, {}};
    if (at < html_.size() && html_[at] == '>') return TagMatch{start, at + 1, false, false, {}};
  }
  auto attributesStart = whiteSpaceStart(*name);
  if (!attributesStart) return std::nullopt;
  // "\s+[^>]*?" then "(/?)>": the lazy run stops at the first ">", and the
  // slash is taken when it stands right before it.
  size_t close = greaterThan_.find(*attributesStart + 1);
  if (close == std::string_view::npos) return std::nullopt;
  bool selfClosing = html_[close - 1] == '/';
  size_t attributesEnd = selfClosing ? close - 1 : close;
  return TagMatch{start, close + 1, false, selfClosing,
                  html_.substr(*attributesStart, attributesEnd - *attributesStart)};
}

std::optional<TagMatch> TagPattern::matchClosing(size_t start) {
  size_t at = start + 1;
  while (at < html_.size() && html_[at] == ' ') ++at;
  if (at >= html_.size() || html_[at] != '/') return std::nullopt;
  auto name = matchName(at + 1);
  if (!name) return std::nullopt;
  if (name->end < html_.size() && html_[name->end] == '>')
    return TagMatch{start, name->end + 1, true, false, {}};
  auto rest = whiteSpaceStart(*name);
  if (!rest) return std::nullopt;
  size_t close = greaterThan_.find(*rest + 1);
  if (close == std::string_view::npos) return std::nullopt;
  return TagMatch{start, close + 1, true, false, {}};
}

}  // namespace brambel
