#include "sources/bookmark_sources.h"

#include "sources/feed_parsers.h"
#include "sources/search_terms.h"
#include "toolkit/code_pages.h"
#include "toolkit/url_codec.h"

namespace brambel {

SourceInfo BookmarkFeedSource::GetInfo() const {
  SourceInfo info = HttpSearchSource::GetInfo();
  info.displayName = LabelledDisplayName(defaultHost());
  info.homeUrl = u"http://" + defaultHost() + u"/";
  info.parameterDescriptions[u"username"] = u"Username to search under. Blank searches everything.";
  info.parameterDescriptions[u"terms"] = u"Additional Terms";
  return info;
}

std::u16string BookmarkFeedSource::GetInstanceId() const {
  return MakeInstanceId(GetKey(), {u"username", u"terms"});
}

void BookmarkFeedSource::ParsePage(const std::string& page, ResultGroups& groups, const HttpResponse&,
                                   HttpSearchCursor& cursor, const std::string&) {
  cursor.nextLink.clear();
  parseRssFeed(page, cursor.parameters, groups);
}

std::u16string DeliciousSource::BuildRequestPath(HttpSearchCursor& cursor) {
  std::u16string query = queryWithTerms(cursor.query, cursor.parameters);
  std::u16string path = u"/rss/";
  if (isParameterSet(cursor.parameters, u"username"))
    path += encodeUrlUtf8(parameterValue(cursor.parameters, u"username")) + u"/";
  else if (!query.empty())
    path += u"tag/";
  // Tags are joined by "+": the encoding turns each blank into one, while a
  // "+" inside a tag stays part of that tag.
  return path + encodeUrlUtf8(query);
}

std::u16string SimpySource::BuildRequestPath(HttpSearchCursor& cursor) {
  std::u16string query = queryWithTerms(cursor.query, cursor.parameters);
  std::u16string path = u"/rss/";
  if (isParameterSet(cursor.parameters, u"username"))
    path += u"user/" + encodeUrlUtf8(parameterValue(cursor.parameters, u"username")) + u"/";
  path += u"links";
  if (!query.empty()) path += u"/search/" + encodeUrlUtf8(query);
  return path;
}

}  // namespace brambel
