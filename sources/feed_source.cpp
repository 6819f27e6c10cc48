#include "sources/feed_source.h"

#include "sources/feed_parsers.h"
#include "sources/request_parameters.h"
#include "sources/search_terms.h"

namespace brambel {

SourceInfo FeedSource::GetInfo() const {
  SourceInfo info = HttpSearchSource::GetInfo();
  info.displayName = LabelledDisplayName(GetKey());
  info.homeUrl = u"http://www.brambel.org/help/feeds.html";
  auto& descriptions = info.parameterDescriptions;
  descriptions[u"terms"] = u"Additional Terms";
  descriptions[u"query_param"] = u"Query Parameter Name";
  descriptions[u"parseSubURL"] = u"True if set to non-empty. Extracts Sub-urls.";
  descriptions[u"titleOverride"] =
      u"Use the title supplied by the RSS source instead of the target document.";
  descriptions[u"noEmpty"] = u"True if non-empty. Disallows empty queries";
  descriptions[u"cookie"] = u"literal cookie string that is passed into the request header";
  return info;
}

std::u16string FeedSource::GetInstanceId() const {
  return MakeInstanceId(GetKey(), {u"url", u"terms"}, {}, 2);
}

std::u16string FeedSource::BuildRequestPath(HttpSearchCursor& cursor) {
  std::u16string query = queryWithTerms(cursor.query, cursor.parameters);
  std::u16string path = UrlPathAndQuery(cursor);
  auto queryParameter = cursor.parameters.find(std::u16string_view(u"query_param"));
  if (!query.empty() && queryParameter != cursor.parameters.end())
    AppendQueryParameter(queryParameter->second, path, query, cursor);
  if (auto cookie = cursor.parameters.find(std::u16string_view(u"cookie")); cookie != cursor.parameters.end())
    cursor.cookies = cookie->second;
  return path;
}

SourceInfo RssSource::GetInfo() const {
  SourceInfo info = FeedSource::GetInfo();
  auto& descriptions = info.parameterDescriptions;
  descriptions[u"url"] = u"RSS source url";
  descriptions[u"imagesPrefered"] = u"Set this to non-empty to prefer images from the rss feed";
  descriptions[u"imagesOverride"] = u"Set this to non-empty to override the preview image if available";
  return info;
}

void RssSource::ParsePage(const std::string& page, ResultGroups& groups, const HttpResponse&,
                          HttpSearchCursor& cursor, const std::string&) {
  cursor.nextLink.clear();
  parseRssFeed(page, cursor.parameters, groups);
}

SourceInfo AtomSource::GetInfo() const {
  SourceInfo info = FeedSource::GetInfo();
  info.parameterDescriptions[u"url"] = u"Atom source url";
  return info;
}

void AtomSource::ParsePage(const std::string& page, ResultGroups& groups, const HttpResponse&,
                           HttpSearchCursor& cursor, const std::string&) {
  cursor.nextLink.clear();
  parseAtomFeed(page, cursor.parameters, groups);
}

}  // namespace brambel
