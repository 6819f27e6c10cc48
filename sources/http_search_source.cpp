#include "sources/http_search_source.h"

#include "sources/page_sequence.h"
#include "toolkit/ascii_case.h"
#include "toolkit/code_pages.h"
#include "toolkit/cookies.h"
#include "toolkit/fetch_page.h"
#include "toolkit/guarded_regex.h"
#include "toolkit/http_body.h"
#include "toolkit/url_resolver.h"

namespace brambel {

struct HttpSearchSource::Page {
  std::unique_ptr<HttpResponse> response;
  std::string contentType;
  std::string body;
};

namespace {

std::string utf8(const std::u16string& text) { return toNarrow(text, kCodePageUtf8); }

bool isTextual(const std::string& contentType) {
  std::string lower = lowerAscii(contentType);
  return lower.find("text") != std::string::npos || lower.find("xml") != std::string::npos;
}

HttpRequest makeRequest(const std::string& url) {
  HttpRequest request;
  request.url = url;
  request.userAgent = fetchUserAgent();
  return request;
}

bool isHttpUrl(const std::string& url) { return url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0; }

// Reads the body of `response` up to the page limit; false when the
// connection failed part way.
bool readPageBody(HttpResponse& response, const std::optional<std::string>& contentEncoding,
                  const std::optional<std::string>& transferEncoding, std::string& body) {
  std::u16string encoding = toWide(contentEncoding.value_or(""), kCodePageUtf8);
  std::u16string transfer = toWide(transferEncoding.value_or(""), kCodePageUtf8);
  body = readBody(response, HttpSearchSource::kBodyLimit, contentEncoding ? &encoding : nullptr,
                  transferEncoding ? &transfer : nullptr);
  return !response.failed();
}

// The address the first meta refresh of `body` names. The pattern is tried on
// one tag at a time (from "<meta" to its ">", or to the next "<"), so a page
// of endless unclosed tags costs linear time.
std::optional<std::string> metaRefreshTarget(const std::string& body, const boost::regex& pattern) {
  for (size_t at = 0; at + 5 <= body.size(); ++at) {
    if (body[at] != '<' || !startsWithIgnoringCase<char>(body, at + 1, "meta")) continue;
    size_t end = body.find_first_of("<>", at + 1);
    std::string tag = body.substr(at, end == std::string::npos ? std::string::npos : end + 1 - at);
    boost::smatch match;
    if (guardedSearch(tag, match, pattern)) return match.str(1);
    if (end == std::string::npos) break;
    at = end - 1;
  }
  return std::nullopt;
}

// What the user is told when the service answered a request with a redirect:
// the source's address is out of date, and this is where it points now.
std::u16string movedText(const HttpResponse& response, const std::string& requestUrl) {
  std::string text = "HTTP status " + std::to_string(response.status());
  if (std::optional<std::string> location = response.header("Location"))
    text += ", moved to " + resolveUrl(requestUrl, *location).value_or(*location);
  return toWide(text, kCodePageUtf8);
}

}  // namespace

HttpEndpoint HttpSearchSource::EndpointFor(const ParameterMap& parameters) const {
  HttpEndpoint endpoint{ServiceType::kHttp, defaultHost_, defaultPort_};
  ResolveEndpoint(parameters, endpoint.service, endpoint.host, endpoint.port);
  return endpoint;
}

std::unique_ptr<SearchCursor> HttpSearchSource::BeginSearch(const std::u16string& query, int maxResults,
                                                            const ParameterMap& overrides,
                                                            bool noCacheWrite) {
  ParameterMap effective = overlayParameters(parameters(), overrides);
  HttpEndpoint endpoint = EndpointFor(effective);
  // No connection is held open between pages; a run without a host to talk
  // to cannot start.
  if (endpoint.host.empty()) return nullptr;
  auto cursor = std::make_unique<HttpSearchCursor>(maxResults, std::move(endpoint));
  cursor->noCacheWrite = noCacheWrite;
  cursor->parameters = std::move(effective);
  cursor->query = query;
  OnSearchStarted(*cursor);
  return cursor;
}

std::u16string HttpSearchSource::BuildRequestHeaders(const HttpSearchCursor& cursor) {
  std::u16string headers = u"Accept-Encoding: gzip";
  if (!cursor.cookies.empty()) headers += u"\r\nCookie: " + cursor.cookies;
  if (!cursor.referer.empty()) headers += u"\r\nReferer: " + cursor.referer;
  return headers;
}

std::unique_ptr<HttpResponse> HttpSearchSource::SendRequest(HttpSearchCursor& cursor, const std::string& url) {
  HttpRequest request = makeRequest(url);
  request.headers = utf8(BuildRequestHeaders(cursor));
  if (!cursor.postBody.empty()) {
    request.method = "POST";
    request.headers += "\r\nContent-Type: application/x-www-form-urlencoded";
    request.body = cursor.postBody;
  }
  std::string error;
  std::unique_ptr<HttpResponse> response = sendHttpRequest(request, &error);
  if (!response) cursor.errorText = toWide(error, kCodePageUtf8);
  return response;
}

// A page that asks to be replaced by another at once is replaced by it, once.
// The refreshed page is fetched plainly: no cookies, referer or body.
bool HttpSearchSource::FollowMetaRefresh(HttpSearchCursor& cursor, Page& page) {
  static const boost::regex kRefresh(R"(<meta[^>]+http-equiv="?refresh"?[^>]+url=(http[^">]+))",
                                     boost::regex::perl | boost::regex::icase);
  std::optional<std::string> refresh = metaRefreshTarget(page.body, kRefresh);
  if (!refresh) return true;
  std::optional<std::string> target = resolveUrl(cursor.pageUrl, *refresh);
  if (!target || !isHttpUrl(*target)) return true;

  std::unique_ptr<HttpResponse> refreshed = sendHttpRequest(makeRequest(*target));
  if (!refreshed) return false;
  std::string contentType = refreshed->header("Content-Type").value_or("");
  if (lowerAscii(contentType).find("text") == std::string::npos) return true;
  std::string body;
  if (!readPageBody(*refreshed, std::nullopt, std::nullopt, body)) return false;
  noteRequest(cursor, *target);
  page.response = std::move(refreshed);
  page.contentType = std::move(contentType);
  page.body = std::move(body);
  return true;
}

bool HttpSearchSource::TakeAnswer(HttpSearchCursor& cursor, std::unique_ptr<HttpResponse> response,
                                  ResultGroups& groups) {
  if (!response) return false;
  std::u16string collected;
  collectCookies(toWide(response->rawHeaders(), kCodePageUtf8), collected);
  if (!collected.empty()) {
    mergeCookies(cursor.cookies, collected);
    cursor.cookies = std::move(collected);
  }
  // A redirect means the source's address has moved: the run fails and says where to.
  if (response->status() >= 300 && response->status() < 400) {
    cursor.errorText = movedText(*response, cursor.pageUrl);
    return false;
  }

  Page page;
  page.contentType = response->header("Content-Type").value_or("");
  // An answer that is neither text nor XML counts as fetched, without items
  // and so without a following page.
  if (!page.contentType.empty() && !isTextual(page.contentType)) {
    cursor.nextLink.clear();
    return true;
  }
  if (!readPageBody(*response, response->header("Content-Encoding"), response->header("Transfer-Encoding"),
                    page.body)) {
    cursor.errorText = toWide(response->error(), kCodePageUtf8);
    return false;
  }
  page.response = std::move(response);
  if (!FollowMetaRefresh(cursor, page)) return false;

  size_t groupsBefore = groups.size();
  int countBefore = cursor.resultCount;
  ParsePage(page.body, groups, *page.response, cursor, page.contentType);
  for (size_t i = groupsBefore; i < groups.size(); ++i)
    if (groups[i].name == kSearchGroup) cursor.resultCount += static_cast<int>(groups[i].items.size());
  // A page without results ends the run, whatever it links to.
  if (cursor.resultCount == countBefore) cursor.nextLink.clear();
  return true;
}

bool HttpSearchSource::NextPage(SearchCursor& baseCursor, ResultGroups& groups) {
  auto& cursor = static_cast<HttpSearchCursor&>(baseCursor);
  cursor.endpoint = EndpointFor(cursor.parameters);
  if (cursor.resultCount >= cursor.maxResults) return false;

  std::string url;
  if (!cursor.firstPageDone) {
    std::u16string path = BuildRequestPath(cursor);
    if (path.empty() || path[0] != u'/') path.insert(0, u"/");
    cursor.url = cursor.endpoint.baseUrl() + path;
    cursor.firstPageDone = true;
    url = utf8(cursor.url);
  } else {
    std::optional<std::string> following = followingPageUrl(cursor);
    if (!following) return false;
    url = std::move(*following);
  }
  noteRequest(cursor, url);
  if (!TakeAnswer(cursor, SendRequest(cursor, url), groups)) {
    cursor.errorFlag = 1;
    return false;
  }
  return true;
}

SourceInfo HttpSearchSource::GetInfo() const {
  SourceInfo info;
  info.displayName = displayName();
  info.description = description();
  info.parameterDescriptions[u"queryEncoding"] = u"euc-jp, euc-kr,shift-jis, big5, gb2312 or windows-xxxx";
  return info;
}

bool HttpSearchSource::AcceptsEmptyQuery() const { return isParameterSet(parameters(), u"terms"); }

}  // namespace brambel
