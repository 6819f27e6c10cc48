#pragma once

#include <memory>
#include <optional>
#include <string>

#include "sources/http_search_cursor.h"
#include "sources/search_source.h"

namespace brambel {

// One answer of an engine that runs its own request cycle.
struct EnginePage {
  int status = 0;
  std::optional<std::string> location;  // the Location header, when sent
  std::string body;
  std::optional<std::string> firstSetCookie;  // the value of the first Set-Cookie header
};

// Result pages are a few hundred kilobytes; the limit only guards memory
// against an answer that never ends.
inline constexpr size_t kEnginePageLimit = 8u << 20;

// A web engine that fetches its pages itself rather than through the shared
// HTTP cycle (Google web and directory, Yahoo): one plain GET per page with
// the browser-like user agent, no meta refresh, the whole body read (gzip
// undone) and its comments removed before parsing. A page without results
// ends the run; a failed request marks it failed. An empty query runs only
// when "terms" supplies terms.
class SelfFetchingEngineSource : public SearchSource {
 public:
  bool NextPage(SearchCursor& cursor, ResultGroups& groups) override;
  bool AcceptsEmptyQuery() const override;

  // Path and query of the first request for the cursor's query.
  virtual std::u16string BuildRequestPath(const HttpSearchCursor& cursor) const = 0;

 protected:
  // The cursor of a run on `host`. The engine is sent `query`, then the
  // "terms" parameter, then "site:" and the "site" parameter when it is set.
  static std::unique_ptr<HttpSearchCursor> StartRun(const std::u16string& query, int maxResults,
                                                    ParameterMap effective, std::u16string host, bool noCacheWrite);

  // Header lines of every request.
  virtual std::string RequestHeaders(const HttpSearchCursor& cursor) const { return "Accept-Encoding: gzip"; }
  // Lets an engine send its later pages elsewhere.
  virtual void PrepareFollowingPage(HttpSearchCursor& cursor) const {}
  // Sees each answer before it is parsed.
  virtual void OnAnswer(HttpSearchCursor& cursor, const EnginePage& page) const {}
  // Appends the page's groups and sets `nextLink`; true when it held results.
  virtual bool ParseResultPage(const std::string& body, ResultGroups& groups, std::u16string& nextLink) const = 0;
};

}  // namespace brambel
