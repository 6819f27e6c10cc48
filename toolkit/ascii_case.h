#pragma once

#include <string>
#include <string_view>

namespace brambel {

// ASCII-only case folding for markup names and keywords; other units pass unchanged.
template <typename Char>
constexpr Char asciiLower(Char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<Char>(c - 'A' + 'a') : c;
}

// True when `text` at `at` holds `lowerWord` (ASCII, lower case), ignoring case.
template <typename Char>
bool startsWithIgnoringCase(std::basic_string_view<Char> text, size_t at, std::string_view lowerWord) {
  if (at > text.size() || text.size() - at < lowerWord.size()) return false;
  for (size_t i = 0; i < lowerWord.size(); ++i) {
    if (asciiLower(text[at + i]) != static_cast<Char>(static_cast<unsigned char>(lowerWord[i]))) return false;
  }
  return true;
}

template <typename Char>
constexpr bool isAsciiAlnum(Char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// `text` with its ASCII letters in lower case.
inline std::string lowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = asciiLower(c);
  return lower;
}
inline std::u16string lowerAscii(std::u16string_view text) {
  std::u16string lower(text);
  for (char16_t& c : lower) c = asciiLower(c);
  return lower;
}

// True when `a` and `b` are equal but for the case of ASCII letters.
template <typename Char>
bool equalsIgnoringAsciiCase(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  return true;
}
inline bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return equalsIgnoringAsciiCase<char>(a, b);
}
inline bool equalsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  return equalsIgnoringAsciiCase<char16_t>(a, b);
}

}  // namespace brambel
