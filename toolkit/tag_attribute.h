#pragma once

#include <string_view>

namespace brambel {

// The value of attribute `name` in the text of one tag ("<enclosure url=...>"),
// found by a plain search rather than a full attribute parse: the first
// occurrence of the name (any case) that starts an attribute name and is
// followed by "=" (white space allowed around it). The value is the text
// between the quotes when a double or single quote follows (to the end of the
// tag when the quote is not closed), else the text up to white space or ">".
// Empty when the tag has no such attribute.
std::string_view tagAttributeValue(std::string_view tag, std::string_view name);

}  // namespace brambel
