#include "sources/callaw_source.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include <boost/regex.hpp>

#include "sources/element_walk.h"
#include "sources/page_text.h"
#include "sources/search_terms.h"
#include "toolkit/guarded_regex.h"
#include "toolkit/code_pages.h"
#include "toolkit/entities.h"
#include "toolkit/html_to_text.h"
#include "toolkit/path_query.h"
#include "toolkit/url_codec.h"
#include "toolkit/ascii_case.h"
#include "toolkit/blank_text.h"

namespace brambel {
namespace {

constexpr int kHitsPerPage = 20;

struct Code {
  std::string_view name;
  std::u16string_view abbreviation;
};

// The codes as the search results name them ("procesdure" is how the
// statutes server spells it).
constexpr Code kCodes[] = {
    {"unemployment insurance code", u"uic"}, {"vehicle code", u"veh"},
    {"business and professions code", u"bpc"}, {"code of civil procesdure", u"ccp"},
    {"corporations code", u"corp"},          {"elections code", u"elec"},
    {"family code", u"fam"},                 {"fish and game code", u"fgc"},
    {"government code", u"gov"},             {"health and safety code", u"hsc"},
    {"labor code", u"lab"},                  {"penal code", u"pen"},
    {"public contract code", u"pcc"},        {"public utilities code", u"puc"},
    {"streets and highways code", u"shc"},   {"welfare and institutions code", u"wic"},
    {"civil code", u"civ"},                  {"commercial code", u"com"},
    {"education code", u"edc"},              {"evidence code", u"evid"},
    {"financial code", u"fin"},              {"food and agriculture code", u"fac"},
    {"harbors and navigation code", u"hnc"}, {"insurance code", u"ins"},
    {"military and veterans code", u"mvc"},  {"probate code", u"prob"},
    {"public resources code", u"prc"},       {"revenue and taxation code", u"rtc"},
    {"water code", u"wat"}};

// The second page repeats the query with the form fields of the first.
std::u16string secondPageLink(std::string_view page) {
  std::u16string query;
  forEachTag(page, "input", [&](const AttributeMap& attributes) {
    std::string name = attributeText(attributes, "name");
    if (name.empty()) return;
    query += (query.empty() ? u"" : u"&") + encodeUrl(fromUtf8(decodeEntities(name)), kCodePageUtf8) + u"=" +
             encodeUrl(fromUtf8(decodeEntities(attributeText(attributes, "value"))), kCodePageUtf8);
  });
  if (query.empty()) return {};
  return u"/cgi-bin/calawquery?" + query + u"&P=2";
}

}  // namespace

std::u16string_view CaLawSource::CodeAbbreviation(std::string_view codeName) {
  // The name the pattern catches may carry words of the text before it, so
  // the longest code name it ends with is the one meant.
  std::string name = lowerAscii(trimmed(codeName));
  const Code* best = nullptr;
  for (const Code& code : kCodes) {
    if (!name.ends_with(code.name)) continue;
    size_t start = name.size() - code.name.size();
    if (start > 0 && name[start - 1] != ' ') continue;
    if (!best || code.name.size() > best->name.size()) best = &code;
  }
  return best ? best->abbreviation : std::u16string_view();
}

std::u16string CaLawSource::SectionGroup(std::string_view section) {
  long number = 0;
  for (char c : section) {
    if (c < '0' || c > '9') break;
    number = std::min(number * 10 + (c - '0'), 99999999L);
  }
  long first = (std::max(number, 1L) - 1) / 1000 * 1000 + 1;
  char group[32];
  std::snprintf(group, sizeof group, "%05ld-%05ld", first, first + 999);
  return fromUtf8(group);
}

void CaLawSource::ReadResultPage(const std::string& page, ResultGroups& groups, std::u16string& nextLink) {
  static const boost::regex kHit(R"([\s]+?([a-z ]*?) section ([0-9.]+-?[0-9.]*))", boost::regex::perl | boost::regex::icase);
  std::string_view rest = page;
  findPath(page, "/html/body/h3", {}, false, nullptr, &rest);
  std::string hits = rest.size() < page.size() ? htmlToText(cutAt(rest, "<TABLE")) : std::string();

  ResultGroup search{kSearchGroup, {}};
  guardedForEachMatch(hits, kHit, [&](const boost::smatch& hit) {
    std::u16string_view abbreviation = CodeAbbreviation(hit.str(1));
    if (abbreviation.empty()) return true;
    std::string section = hit.str(2);
    ResultItem item;
    item.add(u"href", std::u16string(u"http://") + kHost + u"/cgi-bin/displaycode?section=" +
                          std::u16string(abbreviation) + u"&group=" + SectionGroup(section) + u"&file=" +
                          fromUtf8(section));
    item.add(u"override_title", plainText(hit.str(0)));
    search.items.push_back(std::move(item));
    return true;
  });
  nextLink = search.items.empty() ? std::u16string() : secondPageLink(page);
  groups.push_back(std::move(search));
}

SourceInfo CaLawSource::GetInfo() const {
  SourceInfo info = HttpSearchSource::GetInfo();
  info.displayName = LabelledDisplayName(u"CaLaw");
  if (info.description.empty()) info.description = u"California Statutes and Constitution search, 29 codes";
  info.homeUrl = u"http://www.leginfo.ca.gov/calaw.html";
  info.parameterDescriptions[u"codesection"] =
      u"Code Section (optional) (e.g., veh=vehicle code) see http://www.leginfo.ca.gov/calaw.html";
  info.parameterDescriptions[u"terms"] = u"Additional terms";
  return info;
}

std::u16string CaLawSource::GetInstanceId() const {
  return MakeInstanceId(u"callaw", {u"codesection", u"terms"});
}

std::u16string CaLawSource::BuildRequestPath(HttpSearchCursor& cursor) {
  cursor.maxResults = std::min(cursor.maxResults, kHitsPerPage);
  std::u16string section = cursor.parameters.count(std::u16string_view(u"codesection"))
                               ? parameterValue(cursor.parameters, u"codesection")
                               : u"all";
  return u"/cgi-bin/calawquery?hits=20&codebody=" + encodedQueryWithTerms(cursor.query, cursor.parameters) +
         u"&codesection=" + section;
}

void CaLawSource::ParsePage(const std::string& page, ResultGroups& groups, const HttpResponse&,
                            HttpSearchCursor& cursor, const std::string&) {
  ReadResultPage(page, groups, cursor.nextLink);
  // The server offers only one further page.
  if (cursor.pageIndex++ > 0) cursor.nextLink.clear();
}

}  // namespace brambel
