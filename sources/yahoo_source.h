#pragma once

#include <memory>
#include <string>

#include "sources/result_item.h"
#include "sources/self_fetching_engine.h"

namespace brambel {

// Reads a Yahoo result page (comments already removed): the results are the
// items of the list in the division "web", the sponsored links the items of
// the list in the division "east", the next page the anchor "pg-next".
// Returns whether a "search" group with results was appended.
bool parseYahooPage(const std::string& body, ResultGroups& groups, std::u16string& nextLink);

// Yahoo web search (key "yahoo"). Runs its own request cycle: the first page
// comes from the search host, the following pages from the redirect host its
// next-page links point to; the cookie the engine sets last is sent back as
// it was given. A page without results ends the run.
class YahooSource : public SelfFetchingEngineSource {
 public:
  static constexpr char16_t kSearchHost[] = u"search.yahoo.com";
  static constexpr char16_t kRedirectHost[] = u"rds.yahoo.com";

  std::unique_ptr<SearchCursor> BeginSearch(const std::u16string& query, int maxResults,
                                            const ParameterMap& overrides, bool noCacheWrite) override;
  SourceInfo GetInfo() const override;
  std::u16string GetInstanceId() const override;
  std::u16string GetKey() const override { return u"yahoo"; }
  std::u16string BuildRequestPath(const HttpSearchCursor& cursor) const override;

 protected:
  std::string RequestHeaders(const HttpSearchCursor& cursor) const override;
  void PrepareFollowingPage(HttpSearchCursor& cursor) const override;
  void OnAnswer(HttpSearchCursor& cursor, const EnginePage& page) const override;
  bool ParseResultPage(const std::string& body, ResultGroups& groups, std::u16string& nextLink) const override;
};

}  // namespace brambel
