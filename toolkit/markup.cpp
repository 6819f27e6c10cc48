#include "toolkit/markup.h"

#include <algorithm>
#include <string_view>

#include "toolkit/ascii_case.h"
#include "toolkit/character_references.h"
#include "toolkit/markup_scanning.h"

namespace brambel {
namespace {

constexpr size_t kShortestEntityName = 2;
constexpr size_t kLongestEntityName = 8;

// The characters that may close an entity reference in markup text: ";" and
// ":" and the letters of "space", any case. A closing letter or ":" stays part
// of the name, so "&amp" followed by a blank still reads as "amp".
bool closesEntity(char16_t c) {
  switch (asciiLower(c)) {
    case u';': case u':': case u's': case u'p': case u'a': case u'c': case u'e':
      return true;
    default:
      return false;
  }
}

// Length of the entity reference at `at` ("&", optional "#", two to eight
// letters or digits, a closing character), preferring the longest; 0 if none.
size_t entityAt(std::u16string_view text, size_t at) {
  size_t nameStart = at + 1;
  if (nameStart < text.size() && text[nameStart] == u'#') ++nameStart;
  size_t run = 0;
  while (nameStart + run < text.size() && run <= kLongestEntityName && isAsciiAlnum(text[nameStart + run])) ++run;
  for (size_t length = std::min(run, kLongestEntityName); length >= kShortestEntityName; --length) {
    size_t closing = nameStart + length;
    if (closing < text.size() && closesEntity(text[closing])) return closing + 1 - at;
  }
  return 0;
}

void appendCodePoint(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  }
}

// `reference` is the whole match, "&" and closing character included.
void appendEntity(std::u16string& out, std::u16string_view reference) {
  bool closedBySemicolon = reference.back() == u';';
  std::u16string_view name = reference.substr(1, reference.size() - (closedBySemicolon ? 2 : 1));
  if (auto replacement = entityReplacement(name)) {
    out += *replacement;
  } else if (closedBySemicolon && name[0] == u'#') {
    // A complete numeric reference is the character itself; only the named
    // entities outside the table are dropped.
    if (char32_t value = numericReferenceValue(name.substr(1))) appendCodePoint(out, value);
  }
}

template <typename Char>
std::basic_string<Char> removeMatches(const std::basic_string<Char>& text, size_t (RemovableMarkup<Char>::*pieceAt)(size_t)) {
  std::basic_string_view<Char> view(text);
  RemovableMarkup<Char> scanner(view);
  std::basic_string<Char> out;
  out.reserve(text.size());
  size_t copied = 0;
  for (size_t at = view.find('<'); at != view.npos;) {
    size_t length = (scanner.*pieceAt)(at);
    if (length > 0) {
      out.append(view.substr(copied, at - copied));
      copied = at + length;
    }
    at = view.find('<', at + std::max<size_t>(length, 1));
  }
  out.append(view.substr(copied));
  return out;
}

}  // namespace

std::u16string stripMarkup(const std::u16string& text) {
  std::u16string_view view(text);
  RemovableMarkup<char16_t> scanner(view);
  std::u16string out;
  out.reserve(text.size());
  size_t copied = 0;
  for (size_t at = view.find_first_of(u"<&"); at != view.npos;) {
    size_t length;
    if (view[at] == u'&') {
      length = entityAt(view, at);
      if (length > 0) {
        out.append(view.substr(copied, at - copied));
        appendEntity(out, view.substr(at, length));
      }
    } else {
      length = scanner.scriptAt(at);
      if (!length) length = scanner.styleAt(at);
      if (!length) length = scanner.commentAt(at);
      if (!length) length = scanner.tagAt(at);
      if (length > 0) out.append(view.substr(copied, at - copied));
    }
    if (length > 0) copied = at + length;
    at = view.find_first_of(u"<&", at + std::max<size_t>(length, 1));
  }
  out.append(view.substr(copied));
  return out;
}

std::string removeScripts(const std::string& text) {
  return removeMatches(text, &RemovableMarkup<char>::scriptAt);
}

std::string removeComments(const std::string& text) {
  return removeMatches(text, &RemovableMarkup<char>::commentAt);
}

std::string unwrapCdata(const std::string& text) {
  constexpr std::string_view kOpen = "![CDATA[";
  ForwardFinder<char> bracket(text, "]");
  for (size_t open = text.find(kOpen); open != std::string::npos; open = text.find(kOpen, open + 1)) {
    size_t contentStart = open + kOpen.size();
    size_t close = bracket.find(contentStart);
    if (close == std::string::npos) break;  // no "]" anywhere further on
    if (close + 1 < text.size() && text[close + 1] == ']') return text.substr(contentStart, close - contentStart);
  }
  return text;
}

}  // namespace brambel
