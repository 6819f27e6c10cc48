#include "sources/google_page.h"

#include <boost/regex.hpp>

#include "sources/element_walk.h"
#include "sources/engine_links.h"
#include "sources/page_text.h"
#include "toolkit/guarded_regex.h"
#include "toolkit/html_to_text.h"
#include "toolkit/path_query.h"

namespace brambel {
namespace {

std::u16string hrefLink(const AttributeMap& anchorAttributes) {
  return engineResultLink(anchorAttributes.at("href"), kGoogleBaseUrl);
}

// Each sponsored link is an anchor, a line break, the advertisement's text
// and its address in a font element.
ResultGroup parseSponsors(const std::string& table) {
  ResultGroup group{kSponsorsGroup, {}};
  forEachElement(table, "/a", true, [&](const std::string& inner, const AttributeMap& attributes, std::string_view after) {
    ResultItem item;
    if (attributes.count("href")) item.add(u"href", hrefLink(attributes));
    item.add(u"title", fromUtf8(htmlToText(inner)));
    std::string text = findPath(after, "/br", "font");
    item.add(u"body", fromUtf8(htmlToText(std::string(cutAt(text, "<font")))));
    group.items.push_back(std::move(item));
    return true;
  });
  return group;
}

// The snippet follows the result's anchor in a division, up to the cited
// address or the next division.
std::string snippetAfterAnchor(std::string_view after) {
  size_t firstDiv = after.find("<div");
  size_t cite = after.size() > 4 ? after.find("<cite", 4) : std::string_view::npos;
  size_t secondDiv = firstDiv == std::string_view::npos ? std::string_view::npos : after.find("<div", firstDiv + 1);
  size_t end = std::min(cite, secondDiv);
  if (end == std::string_view::npos) return std::string(after);
  size_t start = firstDiv != std::string_view::npos && firstDiv < end ? firstDiv : 0;
  return std::string(after.substr(start, end - start));
}

ResultItem parseEntry(const std::string& entry) {
  ResultItem item;
  AttributeMap attributes;
  std::string_view after = entry;
  std::string anchor = findPath(entry, "/a", {}, true, &attributes, &after);
  if (attributes.count("href")) item.add(u"href", hrefLink(attributes));
  item.add(u"title", fromUtf8(anchor));
  std::string snippet = snippetAfterAnchor(after);
  if (!snippet.empty()) item.add(u"body", fromUtf8(htmlToText(snippet)));
  return item;
}

// The entries of the result list run from one "<li" to the next.
ResultGroup parseResults(std::string_view list) {
  ResultGroup group{kSearchGroup, {}};
  for (size_t start = list.find("<li"); start != std::string_view::npos;) {
    size_t next = list.find("<li", start + 3);
    std::string_view entry = list.substr(start, next == std::string_view::npos ? std::string_view::npos : next - start);
    group.items.push_back(parseEntry(std::string(entry)));
    start = next;
  }
  return group;
}

std::u16string findNextLink(const std::string& pageText) {
  static const boost::regex kNavigation(R"(<\s*table\s+[^>]*id="?nav"?)", boost::regex::perl | boost::regex::icase);
  boost::smatch match;
  if (!guardedSearch(pageText, match, kNavigation)) return {};
  std::u16string link;
  std::string_view navigation = std::string_view(pageText).substr((match[0].first - pageText.begin()) + match.length(0));
  forEachElement(navigation, "/a", false, [&](const std::string& anchor, const AttributeMap& attributes, std::string_view) {
    AttributeMap spanAttributes;
    findPath(anchor, "/span", {}, false, &spanAttributes);
    if (attributeText(spanAttributes, "id") == "nn" && attributes.count("href")) {
      std::u16string href = fromUtf8(attributes.at("href"));
      std::erase(href, u'"');
      link = withPlainAmpersands(std::move(href));
    }
    return true;
  });
  return link;
}

}  // namespace

bool parseGooglePage(const std::string& body, ResultGroups& groups, std::u16string& nextLink) {
  std::string pageText = findPath(body, "/body", {}, true);

  AttributeMap tableAttributes;
  std::string table = findPath(pageText, "/table(3)", {}, true, &tableAttributes);
  if (attributeText(tableAttributes, "id") == "mbEnd") {
    ResultGroup sponsors = parseSponsors(table);
    if (!sponsors.items.empty()) groups.push_back(std::move(sponsors));
  }

  nextLink = findNextLink(pageText);

  static const boost::regex kResults(R"(<\s*div\s+[^>]*id="?res[^a-z0-9A-Z])", boost::regex::perl | boost::regex::icase);
  boost::smatch match;
  if (!guardedSearch(pageText, match, kResults)) return false;
  std::string list = findPath(std::string_view(pageText).substr((match[0].first - pageText.begin())), "/ol", {}, true);
  ResultGroup results = parseResults(list);
  if (results.items.empty()) return false;
  groups.push_back(std::move(results));
  return true;
}

}  // namespace brambel
