#include "sources/self_fetching_engine.h"

#include "sources/http_search_source.h"
#include "sources/page_sequence.h"
#include "sources/page_text.h"
#include "sources/search_terms.h"
#include "toolkit/fetch_page.h"
#include "toolkit/http_body.h"
#include "toolkit/http_client.h"
#include "toolkit/markup.h"
#include "toolkit/url_resolver.h"

namespace brambel {
namespace {

// Nothing when the request could not be sent or the body broke off; the
// reason then goes to `error`.
std::optional<EnginePage> fetchEnginePage(const std::string& url, const std::string& headers, std::string& error) {
  HttpRequest request;
  request.url = url;
  request.userAgent = fetchUserAgent();
  request.headers = headers;
  std::unique_ptr<HttpResponse> response = sendHttpRequest(request, &error);
  if (!response) return std::nullopt;

  std::optional<std::string> contentEncoding = response->header("Content-Encoding");
  std::optional<std::string> transferEncoding = response->header("Transfer-Encoding");
  std::u16string encoding = fromUtf8(contentEncoding.value_or(""));
  std::u16string transfer = fromUtf8(transferEncoding.value_or(""));
  EnginePage page;
  page.status = response->status();
  page.location = response->header("Location");
  page.body = readBody(*response, kEnginePageLimit, contentEncoding ? &encoding : nullptr,
                       transferEncoding ? &transfer : nullptr);
  if (response->failed()) {
    error = response->error();
    return std::nullopt;
  }
  page.firstSetCookie = response->header("Set-Cookie");
  return page;
}

}  // namespace

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
  std::string url;
  if (!cursor.firstPageDone) {
    cursor.url = cursor.endpoint.baseUrl() + BuildRequestPath(cursor);
    cursor.firstPageDone = true;
    url = toUtf8(cursor.url);
  } else {
    PrepareFollowingPage(cursor);
    std::optional<std::string> following = followingPageUrl(cursor);
    if (!following) return false;
    url = std::move(*following);
  }
  noteRequest(cursor, url);

  std::string error;
  std::optional<EnginePage> page = fetchEnginePage(url, RequestHeaders(cursor), error);
  if (page && page->status >= 300 && page->status < 400) {
    // The engine has moved this address: the run fails and says where to.
    error = "HTTP status " + std::to_string(page->status);
    if (page->location) error += ", moved to " + resolveUrl(url, *page->location).value_or(*page->location);
    page.reset();
  }
  if (!page) {
    cursor.errorFlag = 1;
    cursor.errorText = fromUtf8(error);
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
