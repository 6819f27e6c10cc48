#pragma once

#include <optional>
#include <string>

#include "sources/http_search_cursor.h"

namespace brambel {

// How a run moves from page to page. A run ends on a page that yields no
// item, on a next link it cannot read, and on a next link it has already
// requested: a hostile or changed site can never keep it paging for ever.

// The URL that the next link `link`, found on the page at `pageUrl`, asks
// for: read against that page (RFC 3986), with "&amp;" left over from the
// markup turned into "&". Whatever host the link names, its path and query
// go to the run's own endpoint, so a run's cookies and referer never leave
// it. Nothing when the link is no URL.
std::optional<std::string> nextPageUrl(const HttpEndpoint& endpoint, const std::string& pageUrl,
                                       const std::u16string& link);

// Notes that the run is about to request `url` (absolute, UTF-8): its page is
// the base of the next link, and the URL may not be requested again.
void noteRequest(HttpSearchCursor& cursor, const std::string& url);

// The URL of the run's following page, from its next link; nothing when the
// run is over (no link, an unreadable one, or one requested before).
std::optional<std::string> followingPageUrl(const HttpSearchCursor& cursor);

}  // namespace brambel
