#pragma once

#include <cstdint>
#include <string>

namespace brambel {

// The User-Agent of one-shot fetches until the application sets its own.
inline constexpr char kDefaultBrowserId[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; brambel)";

// The User-Agent that fetchPage sends (the application's "browserId").
// Process-wide; safe to change while fetches run.
void setFetchUserAgent(const std::string& userAgent);
// The User-Agent every request of the program sends (fetches, sources, the
// content loader): the application's "browserId". Empty sends none.
std::string fetchUserAgent();

// One HTTP GET, or a POST of `postData` (form-encoded, sent as UTF-8) when it
// is given, with 30-second connect and receive time-outs.
//  - Only http and https URLs are fetched.
//  - Sends "Accept-Encoding: gzip", "Cookie:" followed by `*cookies` when
//    that is not empty, and for a POST the form content type.
//  - When `cookies` is given it afterwards holds only the cookies this
//    response set (collected form, see cookies.h).
//  - Status 200: `body` receives the decoded body, at most `maxBytes` bytes
//    (0 = no limit); true.
//  - Status 3xx: true with an empty `body`; redirects are not followed.
//  - Anything else, a bad URL, a failed connection or a body that broke off:
//    false, with `body` untouched.
// `status`, when given, receives the answer's status code (0 when none came).
bool fetchPage(const std::u16string& url, std::string& body, uint32_t maxBytes = 0,
               std::u16string* cookies = nullptr, const std::u16string* postData = nullptr,
               int* status = nullptr);

}  // namespace brambel
