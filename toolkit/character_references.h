#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace brambel {

// The entity table: the thirteen names markup scanning replaces, each by one
// UTF-16 unit. Lookup is case-sensitive ("AMP" is not known). Besides the
// named entities it holds "#039" and "#146", both the apostrophe.
std::optional<char16_t> entityReplacement(std::u16string_view name);
std::optional<char16_t> entityReplacement(std::string_view name);

// The code point of the digits of a numeric reference (what follows "&#"):
// hexadecimal after a leading "x" or "X", else decimal, reading up to the
// first character that is not a digit. Answers 0 when there is no digit or the
// value is 0, and U+FFFD for surrogates and values beyond U+10FFFF.
template <typename Char>
char32_t numericReferenceValue(std::basic_string_view<Char> digits) {
  constexpr char32_t kReplacement = 0xFFFD;
  constexpr char32_t kTooLarge = 0x110000;
  unsigned base = 10;
  size_t at = 0;
  if (!digits.empty() && (digits[0] == 'x' || digits[0] == 'X')) {
    base = 16;
    at = 1;
  }
  char32_t value = 0;
  for (; at < digits.size(); ++at) {
    Char c = digits[at];
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      break;
    }
    // Saturate rather than overflow on absurdly long digit runs.
    value = value >= kTooLarge ? kTooLarge : value * base + digit;
  }
  if (value >= kTooLarge || (value >= 0xD800 && value <= 0xDFFF)) return kReplacement;
  return value;
}

}  // namespace brambel
