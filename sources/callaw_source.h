#pragma once

#include <string>
#include <string_view>

#include "sources/http_search_source.h"

namespace brambel {

// The California statutes search (key "callaw"): searches the 29 codes (or
// the one "codesection" names), 20 hits per page, and points each hit at the
// statutes server's display page of its section.
class CaLawSource : public HttpSearchSource {
 public:
  static constexpr char16_t kHost[] = u"www.leginfo.ca.gov";

  CaLawSource() : HttpSearchSource(kHost) {}

  SourceInfo GetInfo() const override;
  std::u16string GetInstanceId() const override;
  std::u16string GetKey() const override { return u"callaw"; }

  // The abbreviation of a code's full name as the results write it
  // ("vehicle code" → "veh"); empty for a name that is not one of the codes.
  static std::u16string_view CodeAbbreviation(std::string_view codeName);

  // The display-page group of a section number: the thousand it falls in,
  // "23001-24000" for 23152.
  static std::u16string SectionGroup(std::string_view section);

  // Appends a "search" group with the hits of a result page. `nextLink`
  // receives the second page's query built from the page's form fields, or
  // is emptied when the page holds no hits or no form.
  static void ReadResultPage(const std::string& page, ResultGroups& groups, std::u16string& nextLink);

 protected:
  std::u16string BuildRequestPath(HttpSearchCursor& cursor) override;
  void ParsePage(const std::string& page, ResultGroups& groups, const HttpResponse& response,
                 HttpSearchCursor& cursor, const std::string& contentType) override;
};

}  // namespace brambel
