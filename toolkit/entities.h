#pragma once

#include <string>

namespace brambel {

// Replaces the character references "&name;", "&#NNN;" and "&#xHH;" in byte
// text. Names of the entity table become their UTF-8 text; numeric references
// below 256 become that single byte (pages are usually in a Latin code page),
// higher ones the UTF-8 bytes of the character; other names vanish. A
// reference without its closing ";" is copied unchanged.
std::string decodeEntities(const std::string& text);

// Escapes the four markup characters < > " & as "&lt;", "&gt;", "&quot;", "&amp;".
std::u16string escapeMarkup(const std::u16string& text);

}  // namespace brambel
