#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brambel {

// The lines of wide text split at LF, each without its LF and trailing CR.
std::vector<std::u16string_view> splitWideLines(std::u16string_view text);

// `text` without trailing blanks.
std::u16string_view trimEnd(std::u16string_view text);

// `text` with its line breaks and zeros made blanks, so that a value written
// on one line of a text file cannot start another line.
std::u16string oneLine(std::u16string text);

}  // namespace brambel
