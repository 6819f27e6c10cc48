#pragma once

#include <string>
#include <string_view>

namespace brambel {

// Text taken from fetched pages: raw narrow bytes, UTF-8 unless a source
// knows better, turned into the wide text of result attributes.

std::u16string fromUtf8(std::string_view bytes);
std::string toUtf8(const std::u16string& text);

// The plain text of a piece of markup with every run of blanks folded to one
// blank and the ends trimmed, as wide text.
std::u16string plainText(std::string_view markup);

// `text` with every "&amp;" replaced by "&".
std::u16string withPlainAmpersands(std::u16string text);

// `text` from the start up to the first `marker` (any case); all of it when
// the marker does not occur.
std::string_view cutAt(std::string_view text, std::string_view marker);

}  // namespace brambel
