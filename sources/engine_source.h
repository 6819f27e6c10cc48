#pragma once

#include <string>
#include <utility>
#include <vector>

#include "sources/http_search_source.h"

namespace brambel {

// Reads one result page of an engine: appends its groups and sets the next
// link (empty when there is none). `parameters` are the run's.
using EnginePageParser = void (*)(const std::string& page, const ParameterMap& parameters, ResultGroups& groups,
                                  std::u16string& nextLink);

// Builds the path and query of an engine's first request from the encoded
// query (the run's query and "terms") and the run's parameters.
using EnginePathBuilder = std::u16string (*)(const std::u16string& encodedQuery, const ParameterMap& parameters);

// Everything that sets one page-reading engine apart from the others.
struct EngineProfile {
  std::u16string key;
  std::u16string label;  // the service's name, shown after the source's own
  std::u16string host;
  std::u16string homeUrl;
  std::u16string about = {};  // describes the service when the source has no description
  std::vector<std::pair<std::u16string, std::u16string>> parameterDescriptions = {};
  // Instance id: each listed parameter adds "/" and its value, each optional
  // one only when present; the suffix is kept when longer than minimumSuffix.
  std::vector<std::u16string> listedIdParameters = {};
  std::vector<std::u16string> optionalIdParameters = {};
  int minimumSuffix = 0;
  EnginePathBuilder buildPath = nullptr;
  EnginePageParser parsePage = nullptr;
  // An id parameter whose blanks are left out of the instance id.
  std::u16string blankFreeIdParameter = {};
};

// An engine or listing service read through the shared HTTP cycle, entirely
// described by its profile. An empty query runs only when "terms" supplies
// terms.
class EngineSource : public HttpSearchSource {
 public:
  explicit EngineSource(const EngineProfile& profile) : HttpSearchSource(profile.host), profile_(profile) {}

  SourceInfo GetInfo() const override;
  std::u16string GetInstanceId() const override;
  std::u16string GetKey() const override { return profile_.key; }

 protected:
  std::u16string BuildRequestPath(HttpSearchCursor& cursor) override;
  void ParsePage(const std::string& page, ResultGroups& groups, const HttpResponse& response,
                 HttpSearchCursor& cursor, const std::string& contentType) override;

 private:
  const EngineProfile& profile_;
};

}  // namespace brambel
