#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brambel {

// The lines of wide text split at LF, each without its LF and trailing CR.
std::vector<std::u16string_view> splitWideLines(std::u16string_view text);

// `text` without trailing blanks (space, tab, CR, LF).
std::u16string_view trimEnd(std::u16string_view text);
// `text` without leading and trailing blanks.
std::u16string_view trimBoth(std::u16string_view text);

// True when the two texts are equal ignoring ASCII case.
bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b);

}  // namespace brambel
