#pragma once

#include <set>
#include <string>

#include "sources/http_endpoint.h"
#include "sources/parameter_map.h"
#include "sources/search_cursor.h"

namespace brambel {

// The state of one run of an HTTP source. Sources read and write these
// fields from BuildRequestPath, OnSearchStarted and ParsePage; the request
// cycle of HttpSearchSource reads them to build each request.
class HttpSearchCursor : public SearchCursor {
 public:
  HttpSearchCursor(int maxResults, HttpEndpoint endpoint)
      : maxResults(maxResults), endpoint(std::move(endpoint)) {}

  std::u16string GetUrl() const override { return url; }

  std::string postBody;    // empty: the request is a GET; else the form body of a POST
  std::u16string referer;  // sent as a Referer header when not empty
  int pageIndex = 0;       // for sources that number their pages themselves
  ParameterMap parameters; // the source's parameters overlaid with the run's overrides
  bool noCacheWrite = false;
  std::u16string url;      // the full URL of the first request
  bool firstPageDone = false;
  int maxResults;
  int resultCount = 0;     // items of "search" groups returned so far
  HttpEndpoint endpoint;   // where this run's requests go
  std::u16string query;    // the search terms
  // Path or absolute URL of the following page, set by ParsePage; empty ends the run.
  std::u16string nextLink;
  // Cookie pairs sent with every request, each written name "=" value "; ".
  std::u16string cookies;
  // The absolute URL (UTF-8) of the latest request; its page's links are read against it.
  std::string pageUrl;
  // Every URL requested in this run; a next link back to one ends the run.
  std::set<std::string> requestedUrls;
};

}  // namespace brambel
