#include "pipeline/content_loader.h"

#include <memory>
#include <optional>
#include <string_view>

#include <boost/regex.hpp>

#include "pipeline/url_join.h"
#include "sources/page_walk.h"
#include "toolkit/ascii_case.h"
#include "toolkit/cookies.h"
#include "toolkit/http_body.h"
#include "toolkit/http_client.h"

namespace brambel {

namespace {

constexpr uint32_t kPrefetchPeekBytes = 256;

std::u16string cutAtFragment(const std::u16string& url) {
  size_t hash = url.find(u'#');
  return hash == std::u16string::npos ? url : url.substr(0, hash);
}

bool containsIgnoringCase(std::string_view text, std::string_view lowerWord) {
  for (size_t at = 0; at + lowerWord.size() <= text.size(); ++at)
    if (startsWithIgnoringCase(text, at, lowerWord)) return true;
  return false;
}

bool containsIgnoringCase(std::u16string_view text, std::string_view lowerWord) {
  for (size_t at = 0; at + lowerWord.size() <= text.size(); ++at)
    if (startsWithIgnoringCase(text, at, lowerWord)) return true;
  return false;
}

std::string requestHeaders(const LoadRequest& request, const LoadOptions& options) {
  std::string headers;
  auto line = [&](std::string_view name, const std::u16string& value) {
    if (!headers.empty()) headers += "\r\n";
    headers.append(name).append(toUtf8(value));
  };
  if (options.prefetchHeader && request.prefetch) line("X-moz:", u"prefetch");
  line("Accept-Encoding:", u"gzip");
  if (!request.lastModified.empty()) line("If-Modified-Since:", request.lastModified);
  if (!request.etag.empty()) line("If-None-Match:", request.etag);
  if (!request.referer.empty() && options.sendReferer) line("Referer:", request.referer);
  if (!request.cookies.empty()) line("Cookie:", request.cookies);
  return headers;
}

std::u16string headerValue(const HttpResponse& response, std::string_view name) {
  return fromUtf8(response.header(name).value_or(""));
}

// Counts one more redirect towards the limit; false when it is used up.
bool followTo(LoadRequest& request, const std::u16string& target) {
  if (request.redirects >= LoadOptions::kMaxRedirects || target.empty()) return false;
  request.redirectUrl = target;
  ++request.redirects;
  return true;
}

}  // namespace

bool isExcludedDownload(const std::u16string& url) {
  const std::u16string cut = cutAtFragment(url);
  size_t dot = cut.rfind(u'.');
  if (dot == std::u16string::npos) return false;
  std::u16string_view extension = std::u16string_view(cut).substr(dot + 1);
  if (extension.size() != 3) return false;
  for (std::string_view excluded : {"pdf", "doc", "ppt", "zip"})
    if (startsWithIgnoringCase(extension, 0, excluded)) return true;
  return false;
}

std::u16string metaRefreshTarget(const std::string& body, const std::u16string& pageUrl) {
  static const boost::regex kRefresh(R"(<meta[^>]+http-equiv="?refresh"?.*?content="([0-9]*);?[ ]+url=([^">]+))",
                                     boost::regex::perl | boost::regex::icase);
  boost::smatch match;
  if (!searchText(body, match, kRefresh)) return {};
  const std::string delay = match.str(1);
  // More than two digits is 100 seconds or more, whatever the number.
  size_t digits = delay.find_first_not_of('0') == std::string::npos ? 0 : delay.size() - delay.find_first_not_of('0');
  if (digits > 2 || (digits > 0 && std::stoi(delay) >= LoadOptions::kMaxRefreshDelay)) return {};
  return joinUrl(pageUrl, fromUtf8(match.str(2)));
}

LoadResult loadContent(LoadRequest& request, const LoadOptions& options) {
  for (;;) {
    const std::u16string url = cutAtFragment(request.redirects > 0 ? request.redirectUrl : request.url);
    request.finalUrl = url;
    if (isExcludedDownload(url)) return LoadResult::kSkipped;
    if (!startsWithIgnoringCase(std::u16string_view(url), 0, "http://") &&
        !startsWithIgnoringCase(std::u16string_view(url), 0, "https://"))
      return LoadResult::kFailed;

    HttpRequest http;
    http.url = toUtf8(url);
    http.headers = requestHeaders(request, options);
    http.userAgent = options.userAgent;
    std::unique_ptr<HttpResponse> response = sendHttpRequest(http);
    if (!response) return LoadResult::kFailed;

    std::u16string collected;
    collectCookies(fromUtf8(response->rawHeaders()), collected);
    mergeCookies(request.cookies, collected);
    request.cookies = std::move(collected);
    request.contentType = headerValue(*response, "Content-Type");
    request.answerLastModified = headerValue(*response, "Last-Modified");
    request.answerExpires = headerValue(*response, "Expires");
    request.answerEtag = headerValue(*response, "ETag");
    const std::u16string contentEncoding = headerValue(*response, "Content-Encoding");
    const std::u16string transferEncoding = headerValue(*response, "Transfer-Encoding");

    const int status = response->status();
    if (status == 304) return LoadResult::kNotModified;
    if (status >= 300 && status < 400) {
      if (!followTo(request, joinUrl(url, headerValue(*response, "Location")))) return LoadResult::kFailed;
      continue;
    }
    if (status == 200 && containsIgnoringCase(std::u16string_view(request.contentType), "text")) {
      request.body = readBody(*response, options.maxContentLength, &contentEncoding, &transferEncoding);
      if (response->failed() || request.body.empty()) return LoadResult::kFailed;
      const std::u16string refresh = metaRefreshTarget(request.body, url);
      if (refresh.empty()) return LoadResult::kFetched;
      if (!followTo(request, refresh)) return LoadResult::kFailed;
      request.body.clear();
      continue;
    }
    if (status == 200) {
      // One byte past the limit tells a cut answer, which is not kept.
      request.body = readBody(*response, options.maxImageLength + 1, &contentEncoding, &transferEncoding);
      if (response->failed() || request.body.empty() || request.body.size() > options.maxImageLength ||
          !options.keepNonText || !options.keepNonText(request.body, request.contentType))
        return LoadResult::kSkipped;
      return LoadResult::kFetched;
    }
    if (status == 404 && request.prefetch && options.prefetchHeader) {
      request.body = readBody(*response, kPrefetchPeekBytes, &contentEncoding, &transferEncoding);
      if (containsIgnoringCase(std::string_view(request.body), "prefetch")) return LoadResult::kPrefetchRefused;
    }
    return LoadResult::kFailed;
  }
}

}  // namespace brambel
