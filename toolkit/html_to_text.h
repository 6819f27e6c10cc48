#pragma once

#include <string>
#include <string_view>

namespace brambel {

// The plain text of a piece of markup, bytes as they are: each tag becomes
// one space; script, style and select elements and comments vanish with their
// content; CDATA sections keep their text without line feeds. The entities
// amp, lt, gt, quot, ldquo, rdquo, apos, lsquo, rsquo, #39, #039, #146 (also
// without "#"), mdash and ndash become the ASCII character they stand for,
// other entity-like references of 2 to 8 letters or digits one space.
std::string htmlToText(std::string_view markup);

}  // namespace brambel
