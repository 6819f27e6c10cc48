#pragma once

#include <string>

namespace brambel {

// Replaces the character references "&name;", "&#NNN;" and "&#xHH;" in byte
// text. Names of the entity table become their UTF-8 text; numeric references
// below 256 become that single byte (pages are usually in a Latin code page),
// higher ones the UTF-8 bytes of the character (U+FFFD for surrogates and
// values beyond Unicode); references without digits or of value 0, and names
// outside the table, vanish. A reference without its closing ";" is copied
// unchanged.
std::string decodeEntities(const std::string& text);

// Escapes the four markup characters < > " & as "&lt;", "&gt;", "&quot;", "&amp;".
std::u16string escapeMarkup(const std::u16string& text);

}  // namespace brambel
