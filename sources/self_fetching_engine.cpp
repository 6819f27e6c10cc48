#include "sources/self_fetching_engine.h"

#include "sources/http_search_source.h"
#include "sources/page_walk.h"
#include "sources/source_query.h"
#include "toolkit/fetch_page.h"
#include "toolkit/http_body.h"
#include "toolkit/http_client.h"
#include "toolkit/markup.h"

namespace brambel {
namespace {

// Nothing when the request could not be sent or the body broke off.
std::optional<EnginePage> fetchEnginePage(const HttpEndpoint& endpoint, const std::u16string& pathAndQuery,
                                          const std::string& headers) {
  HttpRequest request;
  request.url = toUtf8(endpoint.baseUrl() + pathAndQuery);
  request.userAgent = fetchUserAgent();
  request.headers = headers;
  std::unique_ptr<HttpResponse> response = sendHttpRequest(request);
  if (!response) return std::nullopt;

  std::optional<std::string> contentEncoding = response->header("Content-Encoding");
  std::optional<std::string> transferEncoding = response->header("Transfer-Encoding");
  std::u16string encoding = fromUtf8(contentEncoding.value_or(""));
  std::u16string transfer = fromUtf8(transferEncoding.value_or(""));
  EnginePage page;
  page.body = readBody(*response, kEnginePageLimit, contentEncoding ? &encoding : nullptr,
                       transferEncoding ? &transfer : nullptr);
  if (response->failed()) return std::nullopt;
  page.firstSetCookie = response->header("Set-Cookie");
  return page;
}

}  // namespace

std::u16string requestPathOf(const std::u16string& link) {
  std::u16string_view rest = link;
  if (size_t scheme = link.find(u"://"); scheme != std::u16string::npos) {
    size_t pathStart = link.find_first_of(u"/?", scheme + 3);
    rest = pathStart == std::u16string::npos ? std::u16string_view() : rest.substr(pathStart);
  }
  std::u16string path;
  if (rest.empty() || rest[0] != u'/') path = u"/";
  path += rest;
  return path;
}

std::unique_ptr<HttpSearchCursor> SelfFetchingEngineSource::StartRun(const std::u16string& query, int maxResults,
                                                                   ParameterMap effective, std::u16string host,
                                                                   bool noCacheWrite) {
  auto cursor = std::make_unique<HttpSearchCursor>(maxResults, HttpEndpoint{ServiceType::kHttp, std::move(host), 80});
  cursor->noCacheWrite = noCacheWrite;
  cursor->query = queryWithTerms(query, effective);
  if (isParameterSet(effective, u"site"))
    cursor->query = joinWithBlank(cursor->query, u"site:" + parameterValue(effective, u"site"));
  cursor->parameters = std::move(effective);
  return cursor;
}

bool SelfFetchingEngineSource::NextPage(SearchCursor& baseCursor, ResultGroups& groups) {
  auto& cursor = static_cast<HttpSearchCursor&>(baseCursor);
  if (cursor.resultCount >= cursor.maxResults) return false;
  std::u16string path;
  if (!cursor.firstPageDone) {
    path = BuildRequestPath(cursor);
    cursor.url = cursor.endpoint.baseUrl() + path;
    cursor.firstPageDone = true;
  } else {
    if (cursor.nextLink.empty()) return false;
    path = requestPathOf(cursor.nextLink);
    PrepareFollowingPage(cursor);
  }

  std::optional<EnginePage> page = fetchEnginePage(cursor.endpoint, path, RequestHeaders(cursor));
  if (!page) {
    cursor.errorFlag = 1;
    return false;
  }
  OnAnswer(cursor, *page);
  size_t groupsBefore = groups.size();
  if (!ParseResultPage(removeComments(page->body), groups, cursor.nextLink)) return false;
  for (size_t i = groupsBefore; i < groups.size(); ++i)
    if (groups[i].name == kSearchGroup) cursor.resultCount += static_cast<int>(groups[i].items.size());
  return true;
}

bool SelfFetchingEngineSource::AcceptsEmptyQuery() const { return isParameterSet(parameters(), u"terms"); }

}  // namespace brambel
