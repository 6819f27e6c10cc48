#include "sources/yahoo_source.h"

#include <boost/regex.hpp>

#include "sources/element_walk.h"
#include "sources/engine_links.h"
#include "sources/page_text.h"
#include "toolkit/guarded_regex.h"
#include "toolkit/code_pages.h"
#include "toolkit/html_to_text.h"
#include "toolkit/path_query.h"
#include "toolkit/url_codec.h"

namespace brambel {
namespace {

constexpr char16_t kYahooBaseUrl[] = u"http://search.yahoo.com";

// The text from the first match of `pattern` on; empty when it does not occur.
std::string_view fromMatch(const std::string& text, const boost::regex& pattern) {
  boost::smatch match;
  if (!guardedSearch(text, match, pattern)) return {};
  return std::string_view(text).substr(match[0].first - text.begin());
}

// One list item: its first anchor gives the link and the title; the
// division of class "yschabstr", or else the text after the anchor, the snippet.
ResultItem parseListItem(const std::string& listItem) {
  ResultItem item;
  AttributeMap anchorAttributes;
  std::string_view after = listItem;
  std::string title = findPath(listItem, "/a", {}, true, &anchorAttributes, &after);
  if (anchorAttributes.count("href"))
    item.add(u"href", engineResultLink(anchorAttributes.at("href"), kYahooBaseUrl));
  item.add(u"title", fromUtf8(title));
  std::string snippet;
  forEachElement(listItem, "/div", false, [&](const std::string& inner, const AttributeMap& attributes, std::string_view) {
    if (attributeText(attributes, "class") != "yschabstr") return true;
    snippet = inner;
    return false;
  });
  if (snippet.empty()) snippet = after;
  item.add(u"body", fromUtf8(htmlToText(snippet)));
  return item;
}

ResultGroup parseList(std::string_view list, const char16_t* groupName) {
  ResultGroup group{groupName, {}};
  forEachElement(list, "/li", true, [&](const std::string& inner, const AttributeMap&, std::string_view) {
    if (inner.find("<a") != std::string::npos || inner.find("<A") != std::string::npos)
      group.items.push_back(parseListItem(inner));
    return true;
  });
  return group;
}

}  // namespace

bool parseYahooPage(const std::string& body, ResultGroups& groups, std::u16string& nextLink) {
  static const boost::regex kWeb(R"(<\s*div\s+[^>]*id="?web"?)", boost::regex::perl | boost::regex::icase);
  static const boost::regex kSponsors(R"(<\s*div\s+[^>]*id="?east"?)", boost::regex::perl | boost::regex::icase);
  static const boost::regex kNext(R"(<\s*a\s+[^>]*id="?pg-next"?)", boost::regex::perl | boost::regex::icase);
  std::string pageText = findPath(body, "/html/body", {}, true);

  if (std::string_view east = fromMatch(pageText, kSponsors); !east.empty()) {
    ResultGroup sponsors = parseList(findPath(east, "/div", {}, true), kSponsorsGroup);
    if (!sponsors.items.empty()) groups.push_back(std::move(sponsors));
  }

  nextLink.clear();
  if (std::string_view next = fromMatch(pageText, kNext); !next.empty()) {
    AttributeMap attributes;
    findPath(next, "/a", {}, false, &attributes);
    nextLink = withPlainAmpersands(fromUtf8(attributeText(attributes, "href")));
  }

  std::string_view web = fromMatch(pageText, kWeb);
  if (web.empty()) return false;
  ResultGroup results = parseList(findPath(web, "/div/ol", {}, true), kSearchGroup);
  if (results.items.empty()) return false;
  groups.push_back(std::move(results));
  return true;
}

std::unique_ptr<SearchCursor> YahooSource::BeginSearch(const std::u16string& query, int maxResults,
                                                       const ParameterMap& overrides, bool noCacheWrite) {
  return StartRun(query, maxResults, overlayParameters(parameters(), overrides), kSearchHost, noCacheWrite);
}

std::u16string YahooSource::BuildRequestPath(const HttpSearchCursor& cursor) const {
  std::u16string path = u"/search?p=" + encodeUrl(cursor.query, kCodePageUtf8);
  for (auto [parameter, key] : {std::pair{u"site", u"&vs="}, {u"lang", u"&vl="}, {u"country", u"&vc="}}) {
    auto found = cursor.parameters.find(std::u16string_view(parameter));
    if (found != cursor.parameters.end()) path += key + encodeUrl(found->second, kCodePageUtf8);
  }
  return path + u"&n=20";
}

// The engine's next-page links lead through its redirect host.
void YahooSource::PrepareFollowingPage(HttpSearchCursor& cursor) const {
  cursor.endpoint = HttpEndpoint{ServiceType::kHttp, kRedirectHost, 80};
}

std::string YahooSource::RequestHeaders(const HttpSearchCursor& cursor) const {
  std::string headers = "Accept-Encoding: gzip";
  if (!cursor.cookies.empty()) headers += "\r\nCookie:" + toUtf8(cursor.cookies);
  return headers;
}

// The engine keeps its session in one cookie, sent back exactly as set.
void YahooSource::OnAnswer(HttpSearchCursor& cursor, const EnginePage& page) const {
  if (page.firstSetCookie) cursor.cookies = fromUtf8(*page.firstSetCookie);
}

bool YahooSource::ParseResultPage(const std::string& body, ResultGroups& groups, std::u16string& nextLink) const {
  return parseYahooPage(body, groups, nextLink);
}

SourceInfo YahooSource::GetInfo() const {
  SourceInfo info;
  info.displayName = LabelledDisplayName(u"Yahoo");
  info.description = description();
  info.homeUrl = u"http://search.yahoo.com/";
  auto& descriptions = info.parameterDescriptions;
  descriptions[u"site"] = u"domain constraint (e.g., www.example.com)";
  descriptions[u"lang"] =
      u"language constraint (e.g., lang_en=english) see http://search.yahoo.com/web/advanced";
  descriptions[u"country"] =
      u"country constraint (e.g, countryUS=United States) see http://search.yahoo.com/web/advanced";
  descriptions[u"terms"] = u"additional terms";
  return info;
}

std::u16string YahooSource::GetInstanceId() const {
  return MakeInstanceId(GetKey(), {u"site", u"lang", u"country", u"terms"}, {}, 4);
}

}  // namespace brambel
