#pragma once

#include <memory>
#include <string>

#include "sources/self_fetching_engine.h"

namespace brambel {

// Google web search (key "google"): results from the page's ordered result
// list, sponsored links from its sponsor table, the following page from the
// navigation table (see google_page.h). "urlOverride" names another host.
class GoogleSource : public SelfFetchingEngineSource {
 public:
  std::unique_ptr<SearchCursor> BeginSearch(const std::u16string& query, int maxResults,
                                            const ParameterMap& overrides, bool noCacheWrite) override;
  SourceInfo GetInfo() const override;
  std::u16string GetInstanceId() const override;
  std::u16string GetKey() const override { return u"google"; }
  std::u16string BuildRequestPath(const HttpSearchCursor& cursor) const override;

 protected:
  bool ParseResultPage(const std::string& body, ResultGroups& groups, std::u16string& nextLink) const override;
  virtual std::u16string ServiceLabel() const { return u"Google"; }
};

// Google Directory (key "google_directory"): Google web search restricted to
// the directory's categories.
class GoogleDirectorySource : public GoogleSource {
 public:
  std::u16string GetKey() const override { return u"google_directory"; }
  std::u16string BuildRequestPath(const HttpSearchCursor& cursor) const override;

 protected:
  std::u16string ServiceLabel() const override { return u"Google Directory"; }
};

}  // namespace brambel
