#pragma once

#include <string>
#include <string_view>

namespace brambel {

// The blanks of markup and plain text: space, tab, line feed, carriage
// return, form feed and vertical tab. Other white space (no-break space and
// the like) is text.
template <typename Char>
constexpr bool isBlank(Char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// `text` without leading and trailing blanks.
template <typename Char>
std::basic_string_view<Char> trimmed(std::basic_string_view<Char> text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}
inline std::string_view trimmed(std::string_view text) { return trimmed<char>(text); }
inline std::u16string_view trimmed(std::u16string_view text) { return trimmed<char16_t>(text); }

}  // namespace brambel
