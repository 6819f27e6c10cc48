#include "sources/amazon_source.h"

#include <charconv>

#include "sources/element_walk.h"
#include "sources/page_text.h"
#include "sources/request_parameters.h"
#include "sources/search_terms.h"
#include "toolkit/blank_text.h"
#include "toolkit/entities.h"
#include "toolkit/path_query.h"
#include "toolkit/text_normalize.h"

namespace brambel {
namespace {

constexpr char16_t kAssociateTag[] = u"httpwwwbrambe-20";
constexpr char16_t kAccessKeyId[] = u"7QX2MKD4RTZW9HNB3LCA";

// The text of an XML element with its character references undone.
std::u16string elementText(std::string_view xml, std::string_view path) {
  return fromUtf8(decodeEntities(findPath(xml, path)));
}

}  // namespace

SourceInfo AmazonSource::GetInfo() const {
  SourceInfo info = HttpSearchSource::GetInfo();
  info.displayName = LabelledDisplayName(u"Amazon");
  info.homeUrl = u"http://www.amazon.com/";
  auto& descriptions = info.parameterDescriptions;
  descriptions[u"searchIndex"] = u"Amazon SearchIndex (Books, DVD, Electronics, Apparel, default=Blended)";
  descriptions[u"locale"] = u"Amazon Locale (de, jp, uk, fr, ca, default=us)";
  descriptions[u"terms"] = u"Additional Terms";
  return info;
}

std::u16string AmazonSource::GetInstanceId() const {
  return MakeInstanceId(u"amazon", {u"searchIndex", u"terms"}, {}, 2);
}

void AmazonSource::ResolveEndpoint(const ParameterMap& parameters, ServiceType&, std::u16string& host, int&) const {
  static const std::pair<std::u16string_view, std::u16string_view> kRegionalHosts[] = {
      {u"de", u"webservices.amazon.de"},    {u"uk", u"webservices.amazon.co.uk"},
      {u"jp", u"webservices.amazon.co.jp"}, {u"ca", u"webservices.amazon.ca"},
      {u"fr", u"webservices.amazon.fr"}};
  std::u16string locale = parameterValue(parameters, u"locale");
  for (const auto& [name, regionalHost] : kRegionalHosts)
    if (locale == name) host = regionalHost;
}

std::u16string AmazonSource::BuildRequestPath(HttpSearchCursor& cursor) {
  std::u16string path = std::u16string(u"/onca/xml?Service=AWSECommerceService&AssociateTag=") + kAssociateTag +
                        u"&AWSAccessKeyId=" + kAccessKeyId + u"&Operation=ItemSearch&Keywords=" +
                        encodedQueryWithTerms(cursor.query, cursor.parameters);
  AddParameterFromSettings(cursor, u"searchIndex", u"SearchIndex", path, u"Blended");
  return path;
}

int AmazonSource::ReadItemSearchAnswer(const std::string& answer, ResultGroups& groups) {
  std::string items = findPath(answer, "/ItemSearchResponse/Items", {}, true);
  std::string pagesField = findPath(items, "/TotalPages");
  std::string_view pagesText = trimmed(pagesField);
  int pages = 0;
  std::from_chars(pagesText.data(), pagesText.data() + pagesText.size(), pages);

  ResultGroup search{kSearchGroup, {}};
  forEachElement(items, "/Item", true, [&](const std::string& item, const AttributeMap&, std::string_view) {
    ResultItem result;
    result.add(u"href", elementText(item, "/DetailPageURL"));
    result.add(u"title", elementText(item, "/Title"));
    result.add(u"body", elementText(item, "/ProductGroup") + u" - " + elementText(item, "/Manufacturer"));
    search.items.push_back(std::move(result));
    return true;
  });
  groups.push_back(std::move(search));
  return pages;
}

void AmazonSource::ParsePage(const std::string& page, ResultGroups& groups, const HttpResponse&,
                             HttpSearchCursor& cursor, const std::string&) {
  int pages = ReadItemSearchAnswer(page, groups);
  cursor.nextLink.clear();
  // A page without items ends the run whatever TotalPages claims, so that an
  // answer announcing millions of pages cannot keep the run going.
  if (groups.back().items.empty()) return;
  if (cursor.pageIndex < pages - 1) {
    ++cursor.pageIndex;
    std::u16string next = BuildRequestPath(cursor);
    AppendQueryParameter(u"ItemPage", next, fromUtf8(std::to_string(cursor.pageIndex + 1)), cursor);
    cursor.nextLink = std::move(next);
  }
}

}  // namespace brambel
