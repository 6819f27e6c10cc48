#pragma once

#include <string>
#include <string_view>

namespace brambel {

// How the web engines' pages name their result and next-page addresses.

// The address an engine's result anchor points at. An absolute href is used
// as it stands; a relative one that embeds an absolute address after "=" or
// "-" (a redirect link) yields that address, percent-decoded; any other
// relative href is put after `baseUrl`. Surrounding quotes are dropped.
std::u16string engineResultLink(std::string href, std::u16string_view baseUrl);

// The href of the last anchor in `text` whose plain text equals `label`
// (ignoring case and surrounding blanks), with "&amp;" turned into "&";
// empty when there is none.
std::u16string findLabelledLink(std::string_view text, std::string_view label);

}  // namespace brambel
