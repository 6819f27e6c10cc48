#pragma once

#include <string>

namespace brambel {

// Form-style percent encoding of a query value: space becomes "+", the nine
// characters " % & + , / : = ? become "%22" ... "%3f" (lower-case hex), a
// character above 127 becomes its bytes in `codePage`, each escaped the same
// way; everything else is copied.
std::u16string encodeUrl(const std::u16string& text, int codePage);
// encodeUrl with the bytes of UTF-8.
std::u16string encodeUrlUtf8(const std::u16string& text);

// Undoes percent and plus encoding: "+" is a space, "%" with one or two hex
// digits is the UTF-16 unit of that byte value (multi-byte sequences are not
// reassembled), a "%" without a hex digit after it is dropped.
std::u16string decodeUrl(const std::u16string& text);

}  // namespace brambel
