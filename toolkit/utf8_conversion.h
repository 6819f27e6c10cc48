#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brambel {

// UTF-8 to UTF-16 without a converter object, for the many short strings the
// program converts; invalid bytes become U+FFFD. Nothing when too long.
std::optional<std::u16string> utf8ToUtf16(std::string_view bytes);

// UTF-16 to UTF-8; a lone surrogate becomes "?". Nothing when too long.
std::optional<std::string> utf16ToUtf8(std::u16string_view text);

// Appends the UTF-8 bytes of one code point (at most U+10FFFF).
void appendUtf8(std::string& out, char32_t codePoint);

}  // namespace brambel
