#pragma once

#include <optional>
#include <string>

#include "sources/url_addressed_source.h"

namespace brambel {

// The response headers the Full URL source hands on with the page it fetched.
struct FetchedPageHeaders {
  std::optional<std::string> contentType;
  std::optional<std::string> lastModified;
  std::optional<std::string> expires;
  std::optional<std::string> etag;
};

// The "Full URL" source (key "url"): puts the search terms into an arbitrary
// address ("query_param" names the query parameter, or "/..." a path
// segment), fetches that one page by GET, or by POST when "post" holds a form
// body, and returns the page itself as the single result, with its bytes and
// HTTP metadata so that the page need not be fetched again.
class FullUrlSource : public UrlAddressedSource {
 public:
  std::u16string GetKey() const override { return u"url"; }
  SourceInfo GetInfo() const override;
  std::u16string GetInstanceId() const override;

  // The one result for `page`, fetched from `address` (the "url" value with
  // the query added); the title is read in the charset the headers or the
  // page declare.
  static ResultItem MakePageResult(const std::string& page, const std::u16string& address,
                                   const FetchedPageHeaders& headers);

 protected:
  std::u16string BuildRequestPath(HttpSearchCursor& cursor) override;
  void OnSearchStarted(HttpSearchCursor& cursor) override;
  void ParsePage(const std::string& page, ResultGroups& groups, const HttpResponse& response,
                 HttpSearchCursor& cursor, const std::string& contentType) override;

 private:
  // The query, after "pre_terms" and before "terms".
  static std::u16string QueryText(const HttpSearchCursor& cursor);
  // Whether the query travels in the address ("query_param" set, no "post").
  static bool QueryInAddress(const HttpSearchCursor& cursor);
};

}  // namespace brambel
