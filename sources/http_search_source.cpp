#include "sources/http_search_source.h"

#include <boost/regex.hpp>

#include "toolkit/fetch_page.h"
#include "toolkit/ascii_case.h"
#include "toolkit/code_pages.h"
#include "toolkit/cookies.h"
#include "toolkit/http_body.h"

namespace brambel {

struct HttpSearchSource::Page {
  std::unique_ptr<HttpResponse> response;
  std::string contentType;
  std::string body;
};

namespace {

std::string utf8(const std::u16string& text) { return toNarrow(text, kCodePageUtf8); }

std::string lowerAscii(std::string text) {
  for (char& c : text) c = asciiLower(c);
  return text;
}

bool isTextual(const std::string& contentType) {
  std::string lower = lowerAscii(contentType);
  return lower.find("text") != std::string::npos || lower.find("xml") != std::string::npos;
}

HttpRequest makeRequest(const HttpEndpoint& endpoint, const std::u16string& pathAndQuery) {
  HttpRequest request;
  request.url = utf8(endpoint.baseUrl() + pathAndQuery);
  request.userAgent = fetchUserAgent();
  return request;
}

// The path and query of a next link: an absolute link keeps only its part
// after the host (the run's own endpoint answers it), and "&amp;" left over
// from the page's markup becomes "&".
std::u16string nextRequestPath(std::u16string link) {
  if (size_t scheme = link.find(u"://"); scheme != std::u16string::npos) {
    size_t pathStart = link.find_first_of(u"/?", scheme + 3);
    link = pathStart == std::u16string::npos ? u"/" : link.substr(pathStart);
    if (link[0] == u'?') link.insert(0, u"/");
  }
  for (size_t at = link.find(u"&amp;"); at != std::u16string::npos; at = link.find(u"&amp;", at + 1))
    link.replace(at, 5, u"&");
  return link;
}

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

std::unique_ptr<HttpResponse> HttpSearchSource::SendRequest(const HttpSearchCursor& cursor,
                                                            const std::u16string& pathAndQuery) {
  HttpRequest request = makeRequest(cursor.endpoint, pathAndQuery);
  request.headers = utf8(BuildRequestHeaders(cursor));
  if (!cursor.postBody.empty()) {
    request.method = "POST";
    request.headers += "\r\nContent-Type: application/x-www-form-urlencoded";
    request.body = cursor.postBody;
  }
  return sendHttpRequest(request);
}

// A page that asks to be replaced by another at once is replaced by it, once.
// The refreshed page is fetched plainly: no cookies, referer or body.
bool HttpSearchSource::FollowMetaRefresh(Page& page) {
  static const boost::regex kRefresh(R"(<meta[^>]+http-equiv="?refresh"?[^>]+url=(http[^">]+))",
                                     boost::regex::perl | boost::regex::icase);
  boost::smatch match;
  if (!boost::regex_search(page.body, match, kRefresh)) return true;
  HttpEndpoint endpoint;
  std::u16string path;
  if (!splitHttpUrl(toWide(match.str(1), kCodePageUtf8), endpoint, path)) return true;

  std::unique_ptr<HttpResponse> refreshed = sendHttpRequest(makeRequest(endpoint, path));
  if (!refreshed) return false;
  std::string contentType = refreshed->header("Content-Type").value_or("");
  if (lowerAscii(contentType).find("text") == std::string::npos) return true;
  std::string body;
  if (!readPageBody(*refreshed, std::nullopt, std::nullopt, body)) return false;
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

  Page page;
  page.contentType = response->header("Content-Type").value_or("");
  // An answer that is neither text nor XML counts as fetched, without items.
  if (!page.contentType.empty() && !isTextual(page.contentType)) return true;
  if (!readPageBody(*response, response->header("Content-Encoding"), response->header("Transfer-Encoding"),
                    page.body))
    return false;
  page.response = std::move(response);
  if (!FollowMetaRefresh(page)) return false;

  size_t groupsBefore = groups.size();
  ParsePage(page.body, groups, *page.response, cursor, page.contentType);
  for (size_t i = groupsBefore; i < groups.size(); ++i)
    if (groups[i].name == kSearchGroup) cursor.resultCount += static_cast<int>(groups[i].items.size());
  return true;
}

bool HttpSearchSource::NextPage(SearchCursor& baseCursor, ResultGroups& groups) {
  auto& cursor = static_cast<HttpSearchCursor&>(baseCursor);
  cursor.endpoint = EndpointFor(cursor.parameters);
  if (cursor.resultCount >= cursor.maxResults) return false;

  std::u16string path;
  if (!cursor.firstPageDone) {
    path = BuildRequestPath(cursor);
    if (path.empty() || path[0] != u'/') path.insert(0, u"/");
    cursor.url = cursor.endpoint.baseUrl() + path;
    cursor.firstPageDone = true;
  } else {
    if (cursor.nextLink.empty()) return false;
    path = nextRequestPath(cursor.nextLink);
  }
  if (!TakeAnswer(cursor, SendRequest(cursor, path), groups)) {
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
