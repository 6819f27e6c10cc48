#pragma once

#include <string>

#include "sources/engine_source.h"
#include "sources/feed_source.h"
#include "sources/http_search_source.h"

namespace brambel {

// eBay (key "ebay"): the service's RSS search feed, built from the
// parameters ("category", "zip", "avail_country", "located_country",
// "prefer_location") and read as an RSS source with the query under "satitle".
class EbaySource : public RssSource {
 public:
  static constexpr char16_t kFeedHost[] = u"rss.api.ebay.com";

  std::unique_ptr<SearchCursor> BeginSearch(const std::u16string& query, int maxResults,
                                            const ParameterMap& overrides, bool noCacheWrite) override;
  SourceInfo GetInfo() const override;
  std::u16string GetInstanceId() const override;
  std::u16string GetKey() const override { return u"ebay"; }
  bool IsSearchable() const override { return true; }
  bool AcceptsEmptyQuery() const override { return false; }

  // The address of the search feed for `parameters`, without the query.
  static std::u16string FeedAddress(const ParameterMap& parameters);
};

// CraigsList classifieds (key "craig"): the regional search page, narrowed
// by area, subarea, category, asking price, bedrooms, neighborhood and five
// further site parameters. "urlOverride" names another regional host.
class CraigsListSource : public HttpSearchSource {
 public:
  static constexpr char16_t kDefaultHost[] = u"sfbay.craigslist.org";

  CraigsListSource() : HttpSearchSource(kDefaultHost) {}

  SourceInfo GetInfo() const override;
  std::u16string GetInstanceId() const override;
  std::u16string GetKey() const override { return u"craig"; }
  bool AcceptsEmptyQuery() const override;

  // Appends a "search" group with the listings of a search page and sets the
  // next link; relative listing links are put after `baseUrl`.
  static void ReadListingPage(const std::string& page, const std::u16string& baseUrl, ResultGroups& groups,
                              std::u16string& nextLink);

 protected:
  void ResolveEndpoint(const ParameterMap& parameters, ServiceType& service, std::u16string& host,
                       int& port) const override;
  std::u16string BuildRequestPath(HttpSearchCursor& cursor) override;
  void ParsePage(const std::string& page, ResultGroups& groups, const HttpResponse& response,
                 HttpSearchCursor& cursor, const std::string& contentType) override;
};

// Thottbot (key "thottbot"): the game-item database's search page, read
// through the shared cycle as an EngineSource of this profile.
const EngineProfile& thottbotProfile();

// Results are the rows of class 'r1' of the tables of class "report" in the
// content cell, each given the name of its section (items, recipes, ...).
void parseThottbotPage(const std::string& page, const ParameterMap& parameters, ResultGroups& groups,
                       std::u16string& nextLink);

}  // namespace brambel
