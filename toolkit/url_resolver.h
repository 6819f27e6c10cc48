#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brambel {

// The absolute URL that `reference` (an href, a next link, a Location or
// refresh target) names when read on the page at `base`, joined by the rules
// of RFC 3986 through libcurl's URL parser. Blanks around the reference are
// dropped; blanks, controls and bytes above ASCII inside it go percent-encoded.
// Nothing when `base` is not absolute or the joined URL is not valid.
std::optional<std::string> resolveUrl(std::string_view base, std::string_view reference);

// The host an absolute URL names, in lower case; nothing when it names none.
std::optional<std::string> urlHost(std::string_view url);

// The path and query of an absolute URL as sent in a request ("/" when the
// path is empty; the fragment dropped); nothing when `url` is not absolute.
std::optional<std::string> requestTarget(std::string_view url);

// Whether two absolute URLs name the same host. What belongs to one site's
// run (its cookies, its Referer) is only ever sent where this holds.
bool sameHost(std::string_view url, std::string_view otherUrl);

// `url` with every blank, control and byte above ASCII percent-encoded, the
// form in which URLs are handed to libcurl (which refuses them raw).
std::string percentEncodeUnsafeBytes(std::string_view url);

}  // namespace brambel
