#pragma once

#include <map>
#include <string>
#include <string_view>

namespace brambel {

// The values a send fills into a destination's templates, by variable name.
using DestinationVariables = std::map<std::u16string, std::u16string, std::less<>>;

// `text` with every placeholder "(*name)" (name made of letters, digits, "_"
// and "-") replaced by the variable's value; an undefined variable gives
// nothing. Values go in as they are: encode them first.
std::u16string ExpandTemplate(std::u16string_view text, const DestinationVariables& variables);

// A value as it goes into a URL or a form body: form-style percent encoding
// of its UTF-8 bytes, with "#" escaped too so that a value never cuts a URL
// short.
std::u16string percentEncode(const std::u16string& value);

// Every value percent-encoded.
DestinationVariables percentEncoded(const DestinationVariables& variables);

// Sets "parse_NAME" to the value of every hidden input NAME of `page`.
void ScrapeHiddenInputs(const std::string& page, DestinationVariables& variables);

}  // namespace brambel
