#pragma once

#include <map>
#include <string>
#include <string_view>

namespace brambel {

// Attributes of one tag: name -> value, both as written. A quoted value keeps
// its double quotes. Names compare case-sensitively; the first value inserted
// under a name stays.
using AttributeMap = std::map<std::string, std::string>;

// Inserts the attributes found in `text` (the part of a tag after its name)
// into `attributes`. A name is a run of letters, digits and '_' (so "data-x"
// reads as the two names "data" and "x", the first without a value); its value
// is what follows "=": a double-quoted string with its quotes, else the run of
// non-space characters, else empty.
void parseAttributes(AttributeMap& attributes, std::string_view text);

// An attribute value without the quotes around it: every double or single
// quote at either end goes.
std::string withoutSurroundingQuotes(std::string_view value);

}  // namespace brambel
