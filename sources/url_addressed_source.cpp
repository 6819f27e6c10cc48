#include "sources/url_addressed_source.h"

#include "sources/search_terms.h"

namespace brambel {

bool UrlAddressedSource::IsSearchable() const { return parameters().count(std::u16string_view(u"url")) != 0; }

bool UrlAddressedSource::AcceptsEmptyQuery() const { return noEmptyAllowsEmptyQuery(parameters()); }

void UrlAddressedSource::ResolveEndpoint(const ParameterMap& parameters, ServiceType& service,
                                         std::u16string& host, int& port) const {
  HttpEndpoint endpoint;
  std::u16string path;
  if (!splitHttpUrl(parameterValue(parameters, u"url"), endpoint, path)) return;
  service = endpoint.service;
  host = endpoint.host;
  port = endpoint.port;
}

std::u16string UrlAddressedSource::UrlPathAndQuery(const HttpSearchCursor& cursor) {
  HttpEndpoint endpoint;
  std::u16string path;
  if (!splitHttpUrl(parameterValue(cursor.parameters, u"url"), endpoint, path)) return u"/";
  return path;
}

}  // namespace brambel
