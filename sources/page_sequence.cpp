#include "sources/page_sequence.h"

#include "sources/page_text.h"
#include "toolkit/url_resolver.h"

namespace brambel {
namespace {

// One spelling per URL, so that the same page always compares equal.
std::string canonical(const std::string& url) { return resolveUrl(url, "").value_or(url); }

}  // namespace

std::optional<std::string> nextPageUrl(const HttpEndpoint& endpoint, const std::string& pageUrl,
                                       const std::u16string& link) {
  std::string ownSite = toUtf8(endpoint.baseUrl()) + "/";
  std::optional<std::string> resolved =
      resolveUrl(pageUrl.empty() ? ownSite : pageUrl, toUtf8(withPlainAmpersands(link)));
  if (!resolved) return std::nullopt;
  std::optional<std::string> target = requestTarget(*resolved);
  if (!target) return std::nullopt;
  return canonical(toUtf8(endpoint.baseUrl()) + *target);
}

void noteRequest(HttpSearchCursor& cursor, const std::string& url) {
  cursor.pageUrl = canonical(url);
  cursor.requestedUrls.insert(cursor.pageUrl);
}

std::optional<std::string> followingPageUrl(const HttpSearchCursor& cursor) {
  if (cursor.nextLink.empty()) return std::nullopt;
  std::optional<std::string> url = nextPageUrl(cursor.endpoint, cursor.pageUrl, cursor.nextLink);
  if (!url || cursor.requestedUrls.count(*url)) return std::nullopt;
  return url;
}

}  // namespace brambel
