#include "toolkit/fetch_page.h"

#include <mutex>

#include "toolkit/code_pages.h"
#include "toolkit/cookies.h"
#include "toolkit/http_body.h"
#include "toolkit/http_client.h"

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
  if (!response) return false;
  if (status) *status = response->status();
  if (cookies) collectCookies(toWide(response->rawHeaders(), kCodePageAnsi), *cookies);

  int code = response->status();
  if (code == 200) {
    std::optional<std::string> encoding = response->header("Content-Encoding");
    std::u16string wideEncoding = encoding ? toWide(*encoding, kCodePageAnsi) : u"";
    std::string answer = readBody(*response, maxBytes, encoding ? &wideEncoding : nullptr);
    if (response->failed()) return false;
    body = std::move(answer);
    return true;
  }
  if (code >= 300 && code < 400) {
    // Callers read an empty body as "no content"; stale bytes must not pass for an answer.
    body.clear();
    return true;
  }
  return false;
}

}  // namespace brambel
