#include "sources/http_endpoint.h"

#include "toolkit/ascii_case.h"

#include <string>

namespace brambel {
std::u16string HttpEndpoint::baseUrl() const {
  std::u16string url = secure() ? u"https://" : u"http://";
  url += host;
  if (port != (secure() ? 443 : 80)) {
    url += u':';
    for (char c : std::to_string(port)) url += static_cast<char16_t>(c);
  }
  return url;
}

bool splitHttpUrl(const std::u16string& url, HttpEndpoint& endpoint, std::u16string& pathAndQuery) {
  size_t hostStart;
  HttpEndpoint result;
  if (startsWithIgnoringCase<char16_t>(url, 0, "http://")) {
    hostStart = 7;
    result.service = ServiceType::kHttp;
    result.port = 80;
  } else if (startsWithIgnoringCase<char16_t>(url, 0, "https://")) {
    hostStart = 8;
    result.service = ServiceType::kHttps;
    result.port = 443;
  } else {
    return false;
  }
  size_t hostEnd = url.find_first_of(u"/?#", hostStart);
  if (hostEnd == std::u16string::npos) hostEnd = url.size();
  std::u16string authority = url.substr(hostStart, hostEnd - hostStart);
  // User information before "@" is not part of the host.
  if (size_t at = authority.rfind(u'@'); at != std::u16string::npos) authority.erase(0, at + 1);
  size_t colon = authority.rfind(u':');
  if (colon != std::u16string::npos && authority.find(u']', colon) == std::u16string::npos) {
    std::u16string digits = authority.substr(colon + 1);
    authority.erase(colon);
    if (!digits.empty()) {
      long port = 0;
      for (char16_t c : digits) {
        if (c < u'0' || c > u'9') return false;
        port = port * 10 + (c - u'0');
        if (port > 65535) return false;
      }
      result.port = static_cast<int>(port);
    }
  }
  if (authority.empty()) return false;
  result.host = authority;
  pathAndQuery = url.substr(hostEnd);
  // A fragment is never sent.
  if (size_t hash = pathAndQuery.find(u'#'); hash != std::u16string::npos) pathAndQuery.erase(hash);
  if (pathAndQuery.empty() || pathAndQuery[0] != u'/') pathAndQuery.insert(0, u"/");
  endpoint = std::move(result);
  return true;
}

}  // namespace brambel
