#pragma once

#include <cstdint>
#include <string>

namespace brambel {

// Seconds since 1970-01-01 00:00 UTC of the first HTTP date in the text, in
// any of its three layouts ("Sun, 06 Nov 1994 08:49:37 GMT",
// "Sunday, 06-Nov-94 08:49:37 GMT", "Sun Nov  6 08:49:37 1994"); the date is
// always read as GMT. 0 when no layout matches or the date is not a real one
// that fits the 32-bit date fields.
std::uint32_t parseHttpDate(const std::u16string& text);

// The HTTP date of `seconds`: "Sun, 06 Nov 1994 08:49:37 GMT".
std::string formatHttpDate(std::uint32_t seconds);

}  // namespace brambel
