#pragma once

#include <string>

#include "sources/http_search_source.h"

namespace brambel {

// The Amazon product web service (key "amazon"): an ItemSearch request to the
// web-service host of the "locale" (us, de, uk, jp, ca, fr), in the
// "searchIndex" (default Blended), answered in XML. The answer's TotalPages
// drives further requests with "ItemPage" 2, 3, ...
class AmazonSource : public HttpSearchSource {
 public:
  static constexpr char16_t kUnitedStatesHost[] = u"webservices.amazon.com";

  AmazonSource() : HttpSearchSource(kUnitedStatesHost) {}

  SourceInfo GetInfo() const override;
  std::u16string GetInstanceId() const override;
  std::u16string GetKey() const override { return u"amazon"; }
  bool AcceptsEmptyQuery() const override { return false; }

  // Appends a "search" group with the items of an ItemSearch answer and
  // returns its TotalPages (0 when the answer has no items element).
  static int ReadItemSearchAnswer(const std::string& answer, ResultGroups& groups);

 protected:
  void ResolveEndpoint(const ParameterMap& parameters, ServiceType& service, std::u16string& host,
                       int& port) const override;
  std::u16string BuildRequestPath(HttpSearchCursor& cursor) override;
  void ParsePage(const std::string& page, ResultGroups& groups, const HttpResponse& response,
                 HttpSearchCursor& cursor, const std::string& contentType) override;
};

}  // namespace brambel
