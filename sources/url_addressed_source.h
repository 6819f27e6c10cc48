#pragma once

#include <string>

#include "sources/http_search_source.h"

namespace brambel {

// A source whose "url" parameter names the page it reads: the feed sources
// and the Full URL source. The scheme, host and port of that address choose
// where a run connects; its path and query are the start of every request.
class UrlAddressedSource : public HttpSearchSource {
 public:
  UrlAddressedSource() : HttpSearchSource(u"") {}

  // Only a source that names its page can run.
  bool IsSearchable() const override;
  // With "noEmpty" set an empty query runs only when "terms" supplies terms;
  // otherwise the page can be read without any.
  bool AcceptsEmptyQuery() const override;

 protected:
  void ResolveEndpoint(const ParameterMap& parameters, ServiceType& service, std::u16string& host,
                       int& port) const override;

  // The path and query of the run's "url" ("/" when it has none).
  static std::u16string UrlPathAndQuery(const HttpSearchCursor& cursor);
};

}  // namespace brambel
