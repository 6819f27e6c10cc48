#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace brambel {

// The answer of one load.
enum class LoadResult : int {
  kFetched = 0,          // a text body was read, or a non-text answer was kept
  kFailed = 1,           // network error, empty body, too many redirects, other status
  kNotModified = 2,      // 304 to the conditional request
  kSkipped = 3,          // an excluded kind of file, or a non-text answer not kept
  kPrefetchRefused = 4,  // 404 to a prefetch, with a page that says so
};

// The state of one load across its redirects and refreshes.
struct LoadRequest {
  // In.
  std::u16string url;           // the result's URL
  std::u16string lastModified;  // of the stored copy, sent as If-Modified-Since
  std::u16string etag;          // of the stored copy, sent as If-None-Match
  std::u16string referer;
  bool prefetch = false;        // mark the request "X-moz: prefetch"

  // Carried across redirects.
  std::u16string redirectUrl;   // where the next request goes once redirected
  int redirects = 0;
  std::u16string cookies;

  // Out.
  std::u16string finalUrl;      // the URL the answer came from
  std::u16string contentType;
  std::u16string answerLastModified;
  std::u16string answerExpires;
  std::u16string answerEtag;
  std::string body;             // text page, or the non-text answer when kept
};

struct LoadOptions {
  static constexpr int kMaxRedirects = 7;
  static constexpr int kMaxRefreshDelay = 60;  // seconds; longer refreshes are not followed

  std::string userAgent;
  bool prefetchHeader = true;
  bool sendReferer = true;
  uint32_t maxContentLength = 262144;
  uint32_t maxImageLength = 524288;
  // Keeps a non-text answer (its bytes, at most maxImageLength, and type);
  // false when it cannot. Without one, non-text answers are skipped.
  std::function<bool(const std::string& bytes, const std::u16string& contentType)> keepNonText;
};

// Fetches one URL as the load step does: excluded extensions, conditional
// headers, redirects (relative ones too) and meta refreshes below 60 seconds
// followed up to 7 times in all with cookies carried across, 304, the
// prefetch 404 rule, body limits. Fills `request` and answers the result.
LoadResult loadContent(LoadRequest& request, const LoadOptions& options);

// True when the URL (cut at "#") ends in ".pdf", ".doc", ".ppt" or ".zip", any case.
bool isExcludedDownload(const std::u16string& url);

// The target of a meta refresh in `body` that is followed: delay below 60
// seconds, target resolved against `pageUrl`. Empty when there is none.
std::u16string metaRefreshTarget(const std::string& body, const std::u16string& pageUrl);

}  // namespace brambel
