#include "sources/listing_sources.h"

#include <array>

#include "sources/anchored_result.h"
#include "sources/element_walk.h"
#include "sources/engine_links.h"
#include "sources/page_text.h"
#include "sources/request_parameters.h"
#include "sources/search_terms.h"
#include "toolkit/ascii_case.h"
#include "toolkit/code_pages.h"
#include "toolkit/path_query.h"
#include "toolkit/url_codec.h"

namespace brambel {

// --- eBay -------------------------------------------------------------------

std::u16string EbaySource::FeedAddress(const ParameterMap& parameters) {
  auto value = [&](std::u16string_view name) { return encodeUrl(parameterValue(parameters, name), kCodePageUtf8); };
  std::u16string address = std::u16string(u"http://") + kFeedHost +
                           u"/ws/rssapi?FeedName=SearchResults&siteId=0&language=en-US&output=RSS20"
                           u"&sacur=0&frpp=50&dfsp=32&sabfmts=0&salist=0&sascs=0&sasl=&saslop=1"
                           u"&ftrt=1&ftrv=1&saprclo=&saprchi=&fss=0&sass=0&ssc=0"
                           u"&afepn=5336042474&afcj=&customid=brambel";
  address += u"&sacat=" + (isParameterSet(parameters, u"category") ? value(u"category") : u"-1");
  if (isParameterSet(parameters, u"zip")) address += u"&fpos=" + value(u"zip") + u"&fdis=200";
  if (isParameterSet(parameters, u"avail_country")) address += u"&saatc=" + value(u"avail_country");
  if (isParameterSet(parameters, u"located_country")) address += u"&salic=" + value(u"located_country");
  address += u"&saslc=" + (isParameterSet(parameters, u"prefer_location") ? value(u"prefer_location") : u"0");
  return address;
}

std::unique_ptr<SearchCursor> EbaySource::BeginSearch(const std::u16string& query, int maxResults,
                                                      const ParameterMap& overrides, bool noCacheWrite) {
  ParameterMap feedOverrides = overrides;
  feedOverrides[u"url"] = FeedAddress(overlayParameters(parameters(), overrides));
  feedOverrides[u"query_param"] = u"satitle";
  return RssSource::BeginSearch(query, maxResults, feedOverrides, noCacheWrite);
}

SourceInfo EbaySource::GetInfo() const {
  SourceInfo info = RssSource::GetInfo();
  info.displayName = LabelledDisplayName(u"eBay");
  info.homeUrl = u"http://www.ebay.com/";
  auto& descriptions = info.parameterDescriptions;
  descriptions.erase(u"url");
  descriptions.erase(u"query_param");
  descriptions[u"category"] = u"eBay category number (default: all categories)";
  descriptions[u"zip"] = u"Postal code; limits the listings to 200 miles around it";
  descriptions[u"avail_country"] = u"Country the items must be available to (eBay country number)";
  descriptions[u"located_country"] = u"Country the items must be located in (eBay country number)";
  descriptions[u"prefer_location"] = u"Preferred item location (eBay location code, default 0)";
  return info;
}

std::u16string EbaySource::GetInstanceId() const {
  return MakeInstanceId(u"ebay", {u"category", u"terms"}, {}, 2);
}

// --- CraigsList ---------------------------------------------------------------

SourceInfo CraigsListSource::GetInfo() const {
  SourceInfo info = HttpSearchSource::GetInfo();
  info.displayName = LabelledDisplayName(u"CraigsList");
  info.homeUrl = u"http://www.craigslist.org/";
  auto& descriptions = info.parameterDescriptions;
  descriptions[u"area"] =
      u"CL Area ID (e.g., 1=San Francisco Bay Area) see http://sfbay.craigslist.org/search/";
  descriptions[u"subarea"] = u"CL SubArea ID (e.g., 1=San Francisco (when area=1))";
  descriptions[u"category"] = u"CL Category abbrev (e.g., mis=missed connections)";
  descriptions[u"terms"] = u"Additional Terms";
  descriptions[u"urlOverride"] = u"Change the base URL from sfbay.craigslist.org";
  descriptions[u"minask"] = u"Min Asking";
  descriptions[u"maxask"] = u"Max Asking";
  descriptions[u"bedrooms"] = u"# Bedrooms";
  for (const char16_t* misc : {u"addOne", u"addTwo", u"addThree", u"addFour", u"addFive"})
    descriptions[misc] = u"Misc Param";
  descriptions[u"neighborhood"] = u"Neighborhood ID";
  descriptions[u"noEmpty"] = u"True if non-empty. Disallows empty queries";
  return info;
}

std::u16string CraigsListSource::GetInstanceId() const {
  return MakeInstanceId(u"craig", {u"area", u"subarea", u"category", u"terms"}, {u"urlOverride"}, 4);
}

bool CraigsListSource::AcceptsEmptyQuery() const { return noEmptyAllowsEmptyQuery(parameters()); }

void CraigsListSource::ResolveEndpoint(const ParameterMap& parameters, ServiceType&, std::u16string& host,
                                       int&) const {
  std::u16string override = parameterValue(parameters, u"urlOverride");
  if (override.starts_with(u"http://")) override.erase(0, 7);
  if (size_t slash = override.find(u'/'); slash != std::u16string::npos) override.erase(slash);
  if (!override.empty()) host = override;
}

std::u16string CraigsListSource::BuildRequestPath(HttpSearchCursor& cursor) {
  std::u16string path = u"/cgi-bin/search?query=" + encodedQueryWithTerms(cursor.query, cursor.parameters);
  static const std::pair<const char16_t*, const char16_t*> kSiteParameters[] = {
      {u"area", u"areaID"},       {u"category", u"catAbbreviation"}, {u"subarea", u"subAreaID"},
      {u"minask", u"minask"},     {u"maxask", u"maxask"},            {u"bedrooms", u"bedrooms"},
      {u"addOne", u"addOne"},     {u"addTwo", u"addTwo"},            {u"addThree", u"addThree"},
      {u"addFour", u"addFour"},   {u"addFive", u"addFive"},          {u"neighborhood", u"neighborhood"}};
  for (const auto& [parameter, key] : kSiteParameters) AddParameterFromSettings(cursor, parameter, key, path);
  return path;
}

// The listing follows the page's third table up to the next table; each
// listing is a paragraph whose anchor names it.
void CraigsListSource::ReadListingPage(const std::string& page, const std::u16string& baseUrl, ResultGroups& groups,
                                       std::u16string& nextLink) {
  std::string_view rest = page;
  findPath(page, "/html/body/table(3)", {}, true, nullptr, &rest);
  std::string_view listing = rest.size() < page.size() ? cutAt(rest, "<TABL") : std::string_view();

  ResultGroup search{kSearchGroup, {}};
  for (size_t start = listing.find("<p"); start != std::string_view::npos;) {
    size_t next = listing.find("<p", start + 2);
    std::string_view block = listing.substr(start, next == std::string_view::npos ? next : next - start);
    ResultItem item = anchoredResult(block, baseUrl);
    if (item.find(u"href")) {
      replaceAttribute(item, u"body", plainText(block));
      search.items.push_back(std::move(item));
    }
    start = next;
  }
  groups.push_back(std::move(search));
  nextLink = findLabelledLink(page, "next");
}

void CraigsListSource::ParsePage(const std::string& page, ResultGroups& groups, const HttpResponse&,
                                 HttpSearchCursor& cursor, const std::string&) {
  ReadListingPage(page, cursor.endpoint.baseUrl(), groups, cursor.nextLink);
}

namespace {

constexpr char16_t kThottbotBase[] = u"http://www.thottbot.com";

std::u16string thottbotPath(const std::u16string& query, const ParameterMap&) { return u"/?s=" + query; }

}  // namespace

const EngineProfile& thottbotProfile() {
  static const EngineProfile profile{
      .key = u"thottbot",
      .label = u"Thottbot",
      .host = u"www.thottbot.com",
      .homeUrl = u"http://www.thottbot.com/",
      .about = u"Compendium of WoW Items, Recipes, Weapons and Armor",
      .parameterDescriptions = {{u"terms", u"Additional Terms"}},
      .listedIdParameters = {u"terms"},
      .minimumSuffix = 1,
      .buildPath = &thottbotPath,
      .parsePage = &parseThottbotPage,
  };
  return profile;
}

void parseThottbotPage(const std::string& page, const ParameterMap&, ResultGroups& groups, std::u16string& nextLink) {
  static constexpr std::array<std::string_view, 5> kSections{"items", "recipes", "uncategorized spells", "npcs", "quests"};
  std::string content = findPath(page, "/html/body/table/tr(2)/td(2)/table/tr/td", {}, true);
  std::string lowerContent = lowerAscii(content);
  ResultGroup results{kSearchGroup, {}};
  // The section a table belongs to is the last section heading before it;
  // each stretch of text between tables is searched once.
  std::string_view section;
  size_t searchedUpTo = 0;
  forEachElement(content, "/table", true, [&](const std::string& table, const AttributeMap& attributes, std::string_view after) {
    size_t tableEnd = content.size() - after.size();
    size_t tableStart = tableEnd - std::min(tableEnd, table.size());
    if (tableStart > searchedUpTo) {
      std::string_view stretch = std::string_view(lowerContent).substr(searchedUpTo, tableStart - searchedUpTo);
      size_t latest = 0;
      for (std::string_view name : kSections) {
        size_t at = stretch.rfind(name);
        if (at != std::string_view::npos && at + 1 > latest) {
          latest = at + 1;
          section = name;
        }
      }
    }
    searchedUpTo = tableEnd;
    if (attributeText(attributes, "class") != "report") return true;
    forEachElement(table, "/tr", true, [&](const std::string& row, const AttributeMap& rowAttributes, std::string_view) {
      if (attributeText(rowAttributes, "class") != "r1") return true;
      ResultItem item = anchoredResult(row, kThottbotBase);
      if (!item.find(u"href")) return true;
      std::u16string text = plainText(row);
      replaceAttribute(item, u"body", section.empty() ? text : fromUtf8(section) + u": " + text);
      results.items.push_back(std::move(item));
      return true;
    });
    return true;
  });
  groups.push_back(std::move(results));
  nextLink.clear();
}

}  // namespace brambel
