#include "toolkit/fetch_page.h"

#include <mutex>

#include "toolkit/code_pages.h"
#include "toolkit/cookies.h"
#include "toolkit/http_body.h"
#include "toolkit/http_client.h"
#include "toolkit/url_resolver.h"

namespace brambel {
namespace {

std::mutex userAgentMutex;
std::string& userAgentSetting() {
  static std::string userAgent = kDefaultBrowserId;
  return userAgent;
}

}  // namespace

std::string fetchUserAgent() {
  std::lock_guard lock(userAgentMutex);
  return userAgentSetting();
}

void setFetchUserAgent(const std::string& userAgent) {
  std::lock_guard lock(userAgentMutex);
  userAgentSetting() = userAgent;
}

namespace {

constexpr int kMaxRedirects = 7;

bool isRedirect(int status) { return status >= 300 && status < 400; }

// Where a redirect answer to `request` points, as an http(s) URL; nothing
// when it names no such place.
std::optional<std::string> redirectTarget(const HttpRequest& request, const HttpResponse& response) {
  std::optional<std::string> location = response.header("Location");
  if (!location) return std::nullopt;
  std::optional<std::string> target = resolveUrl(request.url, *location);
  if (!target || (target->rfind("http://", 0) != 0 && target->rfind("https://", 0) != 0)) return std::nullopt;
  return target;
}

// The request that follows a redirect: 307 and 308 repeat it as it was;
// the others ask for the new place with a plain GET.
void redirect(HttpRequest& request, int status, std::string target) {
  request.url = std::move(target);
  if (status == 307 || status == 308) return;
  request.method = "GET";
  request.body.clear();
  request.headers = "Accept-Encoding: gzip";
}

}  // namespace

bool fetchPage(const std::u16string& url, std::string& body, uint32_t maxBytes, std::u16string* cookies,
               const std::u16string* postData, int* status) {
  HttpRequest request;
  request.url = toNarrow(url, kCodePageAnsi);
  request.userAgent = fetchUserAgent();
  request.headers = "Accept-Encoding: gzip";
  if (cookies && !cookies->empty()) request.headers += "\r\nCookie:" + toNarrow(*cookies, kCodePageAnsi);
  if (postData) {
    request.method = "POST";
    request.headers += "\r\nContent-Type: application/x-www-form-urlencoded";
    request.body = toNarrow(*postData, kCodePageAnsi);
  }

  if (status) *status = 0;
  std::unique_ptr<HttpResponse> response = sendHttpRequest(request);
  // A caller that keeps cookies sees every answer itself; for the others the
  // fetch follows redirects, as far as kMaxRedirects.
  for (int redirects = 0; response && !cookies && isRedirect(response->status()) && redirects < kMaxRedirects;
       ++redirects) {
    std::optional<std::string> target = redirectTarget(request, *response);
    if (!target) break;
    redirect(request, response->status(), std::move(*target));
    response = sendHttpRequest(request);
  }
  if (!response) return false;
  if (status) *status = response->status();
  if (cookies) collectCookies(toWide(response->rawHeaders(), kCodePageAnsi), *cookies);

  int code = response->status();
  if (code == 200) {
    std::optional<std::string> encoding = response->header("Content-Encoding");
    std::u16string wideEncoding = encoding ? toWide(*encoding, kCodePageAnsi) : u"";
    bool inflationCut = false;
    std::string answer = readBody(*response, maxBytes, encoding ? &wideEncoding : nullptr, nullptr, &inflationCut);
    // A body that unpacks into a flood is no page the program wants.
    if (response->failed() || inflationCut) return false;
    body = std::move(answer);
    return true;
  }
  if (isRedirect(code)) {
    // Callers read an empty body as "no content"; stale bytes must not pass for an answer.
    body.clear();
    return true;
  }
  return false;
}

}  // namespace brambel
