#pragma once

#include <memory>
#include <string>

#include "sources/http_endpoint.h"
#include "sources/http_search_cursor.h"
#include "sources/search_source.h"
#include "toolkit/http_client.h"

namespace brambel {

// A source that fetches pages over HTTP. It owns the whole request cycle
// (endpoint, request path, headers, cookies, POST bodies, one meta refresh,
// body decoding and the body limit); a source supplies how to build its first
// request path and how to parse a page into groups.
class HttpSearchSource : public SearchSource {
 public:
  static constexpr size_t kBodyLimit = 262144;

  HttpSearchSource(std::u16string defaultHost, int defaultPort = 80)
      : defaultHost_(std::move(defaultHost)), defaultPort_(defaultPort) {}

  std::unique_ptr<SearchCursor> BeginSearch(const std::u16string& query, int maxResults,
                                            const ParameterMap& overrides, bool noCacheWrite) override;
  bool NextPage(SearchCursor& cursor, ResultGroups& groups) override;
  // Adds the "queryEncoding" description; sources extend what it returns.
  SourceInfo GetInfo() const override;
  // True when the "terms" parameter is set.
  bool AcceptsEmptyQuery() const override;

  // The host and port the source's service answers on, before any parameter
  // (a feed URL, "urlOverride") replaces them for a run.
  const std::u16string& defaultHost() const { return defaultHost_; }
  int defaultPort() const { return defaultPort_; }

  // Where a run with `parameters` sends its requests (ResolveEndpoint applied
  // to the default endpoint).
  HttpEndpoint EndpointFor(const ParameterMap& parameters) const;

  // Takes the answer to a request of the run: merges its cookies, reads its
  // body (unless it is neither text nor XML), follows one meta refresh and
  // parses the page. False on a network error. NextPage answers each request
  // through it; tools use it to parse a saved page served to them.
  bool TakeAnswer(HttpSearchCursor& cursor, std::unique_ptr<HttpResponse> response, ResultGroups& groups);

 protected:
  // Parses one page (`page` holds no zero byte) and appends groups. It may set
  // the cursor's next link, cookies, referer or page index.
  virtual void ParsePage(const std::string& page, ResultGroups& groups, const HttpResponse& response,
                         HttpSearchCursor& cursor, const std::string& contentType) = 0;
  // Path and query of the first request.
  virtual std::u16string BuildRequestPath(HttpSearchCursor& cursor) = 0;
  // Header lines joined by CR LF: "Accept-Encoding: gzip", then the cookies
  // and the referer when the cursor has them.
  virtual std::u16string BuildRequestHeaders(const HttpSearchCursor& cursor);
  // Lets a source take the endpoint from its parameters (a feed URL, an
  // override host). The base leaves everything as given.
  virtual void ResolveEndpoint(const ParameterMap& parameters, ServiceType& service,
                               std::u16string& host, int& port) const {}
  // Called once the cursor is set up, before the first request.
  virtual void OnSearchStarted(HttpSearchCursor& cursor) {}

 private:
  struct Page;
  // The request for `pathAndQuery` on the run's endpoint; nothing on a network error.
  std::unique_ptr<HttpResponse> SendRequest(const HttpSearchCursor& cursor,
                                            const std::u16string& pathAndQuery);
  // Replaces the page by the one its meta refresh names, if any; false on a
  // network error.
  bool FollowMetaRefresh(Page& page);

  // Set once by the constructor; what ResolveEndpoint computes for a run is
  // kept in the run's cursor, so overlapping runs never share a write.
  const std::u16string defaultHost_;
  const int defaultPort_;
};

}  // namespace brambel
