#include "sources/google_source.h"

#include "sources/google_page.h"
#include "sources/search_terms.h"
#include "toolkit/code_pages.h"
#include "toolkit/url_codec.h"
#include "toolkit/blank_text.h"

namespace brambel {
namespace {

constexpr char16_t kSearchHost[] = u"www.google.com";

// "urlOverride" names another host: a scheme and anything after the host
// are dropped, blanks around it trimmed.
std::u16string overrideHost(std::u16string value) {
  if (size_t scheme = value.find(u"://"); scheme != std::u16string::npos) value.erase(0, scheme + 3);
  value = std::u16string(trimmed(value));
  if (size_t pathStart = value.find(u'/'); pathStart != std::u16string::npos) value.erase(pathStart);
  return value;
}

}  // namespace

std::unique_ptr<SearchCursor> GoogleSource::BeginSearch(const std::u16string& query, int maxResults,
                                                        const ParameterMap& overrides, bool noCacheWrite) {
  ParameterMap effective = overlayParameters(parameters(), overrides);
  std::u16string host = overrideHost(parameterValue(effective, u"urlOverride"));
  if (host.empty()) host = kSearchHost;
  std::u16string fullQuery = joinWithBlank(parameterValue(effective, u"pre_terms"), query);
  return StartRun(fullQuery, maxResults, std::move(effective), std::move(host), noCacheWrite);
}

std::u16string GoogleSource::BuildRequestPath(const HttpSearchCursor& cursor) const {
  std::u16string path = u"/search?num=20&q=" + encodeUrl(cursor.query, kCodePageUtf8);
  if (auto lang = cursor.parameters.find(std::u16string_view(u"lang")); lang != cursor.parameters.end())
    path += u"&lr=" + lang->second;
  return path;
}

std::u16string GoogleDirectorySource::BuildRequestPath(const HttpSearchCursor& cursor) const {
  return GoogleSource::BuildRequestPath(cursor) + u"&cat=gwd%2FTop";
}

bool GoogleSource::ParseResultPage(const std::string& body, ResultGroups& groups,
                                   std::u16string& nextLink) const {
  return parseGooglePage(body, groups, nextLink);
}

SourceInfo GoogleSource::GetInfo() const {
  SourceInfo info;
  info.displayName = LabelledDisplayName(ServiceLabel());
  info.description = description();
  info.homeUrl = u"http://www.google.com/";
  auto& descriptions = info.parameterDescriptions;
  descriptions[u"site"] = u"domain constraint (e.g., www.example.com)";
  descriptions[u"lang"] =
      u"language constraint (e.g., en=english) see http://www.google.com/advanced_search";
  descriptions[u"terms"] = u"additional terms";
  descriptions[u"urlOverride"] = u"Change the base URL from www.google.com";
  descriptions[u"pre_terms"] = u"Additional Terms (prepended)";
  return info;
}

std::u16string GoogleSource::GetInstanceId() const {
  return MakeInstanceId(GetKey(), {u"site", u"lang", u"terms"}, {u"urlOverride", u"pre_terms"}, 3);
}

}  // namespace brambel
