#include "sources/engine_pages.h"

#include <algorithm>
#include <array>

#include <boost/regex.hpp>

#include "sources/anchored_result.h"
#include "sources/element_walk.h"
#include "sources/engine_links.h"
#include "sources/page_text.h"
#include "toolkit/guarded_regex.h"
#include "toolkit/html_to_text.h"
#include "toolkit/path_query.h"

namespace brambel {
namespace {

constexpr char16_t kAltavistaBase[] = u"http://www.altavista.com";
constexpr char16_t kSnipbitesBase[] = u"http://www.snipbites.com";
constexpr char16_t kGoogleBooksBase[] = u"http://books.google.com";
constexpr char16_t kGoogleGroupsBase[] = u"http://groups.google.com";
constexpr char16_t kGoogleImagesBase[] = u"http://images.google.com";
constexpr char16_t kGooglePatentsBase[] = u"http://www.google.com";
constexpr char16_t kGoogleScholarBase[] = u"http://scholar.google.com";
constexpr char16_t kPatentOfficeBase[] = u"http://patft.uspto.gov";

void keepIfLinked(ResultItem item, ResultGroup& group) {
  if (item.find(u"href")) group.items.push_back(std::move(item));
}

void appendSponsors(ResultGroup sponsors, ResultGroups& groups) {
  if (!sponsors.items.empty()) groups.push_back(std::move(sponsors));
}

std::string blockClass(const AttributeMap& attributes) {
  std::string mark = attributeText(attributes, "class");
  return mark.empty() ? attributeText(attributes, "id") : mark;
}

}  // namespace

void parseAltavistaPage(const std::string& page, const ParameterMap&, ResultGroups& groups, std::u16string& nextLink) {
  std::string body = findPath(page, "/html/body", {}, true);
  ResultGroup results{kSearchGroup, {}};
  ResultGroup sponsors{kSponsorsGroup, {}};
  forEachElement(body, "/div", false, [&](const std::string& block, const AttributeMap& attributes, std::string_view) {
    std::string mark = blockClass(attributes);
    if (mark == "res") {
      ResultItem item = anchoredResult(block, kAltavistaBase);
      std::string snippet = findPath(block, "/span");
      if (!snippet.empty()) replaceAttribute(item, u"body", plainText(snippet));
      keepIfLinked(std::move(item), results);
    } else if (mark == "Sponsored") {
      forEachElement(block, "/a", true, [&](const std::string& anchor, const AttributeMap& anchorAttributes, std::string_view after) {
        ResultItem item;
        if (anchorAttributes.count("href")) item.add(u"href", engineResultLink(anchorAttributes.at("href"), kAltavistaBase));
        item.add(u"title", plainText(anchor));
        item.add(u"body", plainText(cutAt(after, "<a")));
        keepIfLinked(std::move(item), sponsors);
        return true;
      });
    }
    return true;
  });
  groups.push_back(std::move(results));
  appendSponsors(std::move(sponsors), groups);
  nextLink = findLabelledLink(body, "Next");
}

void parseSnipbitesPage(const std::string& page, const ParameterMap&, ResultGroups& groups, std::u16string& nextLink) {
  std::string body = findPath(page, "/html/body/body", {}, true);
  ResultGroup results{kSearchGroup, {}};
  forEachElement(body, "/table", true, [&](const std::string& table, const AttributeMap&, std::string_view) {
    AttributeMap attributes;
    std::string_view after = table;
    std::string anchor = findPath(table, "/tr/td(2)/table/tr/td(2)/a", {}, false, &attributes, &after);
    if (!attributes.count("href") || after.size() == table.size()) return true;
    ResultItem item;
    item.add(u"href", engineResultLink(attributes.at("href"), kSnipbitesBase));
    item.add(u"title", plainText(anchor));
    item.add(u"body", plainText(cutAt(after, "</td")));
    results.items.push_back(std::move(item));
    return true;
  });
  groups.push_back(std::move(results));
  nextLink.clear();
}

void parseGoogleBooksPage(const std::string& page, const ParameterMap&, ResultGroups& groups, std::u16string& nextLink) {
  std::string body = findPath(page, "/html/body", {}, true);
  std::string container = elementWithAttribute(body, "div", "id", "results_container");
  ResultGroup results{kSearchGroup, {}};
  static const boost::regex kBlockEnd(R"(</div>\s*</div>\s*</div>|</div></div>)", boost::regex::perl | boost::regex::icase);
  auto readBlock = [&](const std::string& block) {
    AttributeMap attributes;
    std::string_view after = block;
    std::string anchor = findPath(block, "/h2/a", {}, true, &attributes, &after);
    if (!attributes.count("href")) return;
    ResultItem item;
    item.add(u"href", engineResultLink(attributes.at("href"), kGoogleBooksBase));
    item.add(u"title", plainText(anchor));
    std::string snippet = findPath(after, "/font");
    item.add(u"body", plainText(snippet.empty() ? std::string(after) : snippet));
    results.items.push_back(std::move(item));
  };
  size_t blockStart = 0;
  guardedForEachMatch(container, kBlockEnd, [&](const boost::smatch& end) {
    size_t blockEnd = static_cast<size_t>(end[0].first - container.begin());
    readBlock(container.substr(blockStart, blockEnd - blockStart));
    blockStart = blockEnd + static_cast<size_t>(end.length(0));
    return true;
  });
  readBlock(container.substr(blockStart));
  groups.push_back(std::move(results));

  nextLink.clear();
  size_t navbar = body.find("navbar");
  if (navbar == std::string::npos) return;
  forEachElement(std::string_view(body).substr(navbar), "/td", true,
                 [&](const std::string& cell, const AttributeMap& attributes, std::string_view) {
                   AttributeMap anchorAttributes;
                   findPath(cell, "/a", {}, false, &anchorAttributes);
                   if (attributeText(attributes, "class") == "b" && anchorAttributes.count("href"))
                     nextLink = withPlainAmpersands(fromUtf8(attributeText(anchorAttributes, "href")));
                   return true;
                 });
}

void parseGoogleGroupsPage(const std::string& page, const ParameterMap&, ResultGroups& groups, std::u16string& nextLink) {
  std::string table = findPath(page, "/html/body/table(3)", {}, true);
  std::string list = findPath(table, "/tr/td(2)/div/table/tbody", {}, true);
  ResultGroup results{kSearchGroup, {}};
  forEachElement(list, "/tr", true, [&](const std::string& row, const AttributeMap&, std::string_view) {
    keepIfLinked(anchoredResult(row, kGoogleGroupsBase, u"override_title"), results);
    return true;
  });
  groups.push_back(std::move(results));
  nextLink = findLabelledLink(page, "Next");
}

void parseGoogleImagesPage(const std::string& page, const ParameterMap&, ResultGroups& groups, std::u16string& nextLink) {
  static const boost::regex kRecord(R"(dyn.Img\(([^)]*)\))", boost::regex::perl);
  static const boost::regex kField(R"re("([^"]*)")re", boost::regex::perl);
  static const boost::regex kNext(R"(<a href=([^>]*)>\s*<div[^>]*>[^>]*</div>\s*<span>Next</span></a>)",
                                  boost::regex::perl | boost::regex::icase);
  ResultGroup results{kSearchGroup, {}};
  guardedForEachMatch(page, kRecord, [&](const boost::smatch& record) {
    std::u16string link, thumbnail, title;
    guardedForEachMatch(record.str(1), kField, [&](const boost::smatch& field) {
      std::string value = field.str(1);
      if (value.find("?q=tbn:") != std::string::npos) {
        if (thumbnail.empty()) thumbnail = engineResultLink(value, kGoogleImagesBase);
      } else if (value.starts_with("http") || value.starts_with("/")) {
        if (link.empty()) link = engineResultLink(value, kGoogleImagesBase);
      } else if (!value.empty()) {
        title = plainText(value);
      }
      return true;
    });
    if (link.empty()) return true;
    ResultItem item;
    item.add(u"href", link);
    item.add(u"override_title", title);
    if (!thumbnail.empty()) item.add(u"overrideImage", thumbnail);
    results.items.push_back(std::move(item));
    return true;
  });
  groups.push_back(std::move(results));
  boost::smatch next;
  nextLink.clear();
  if (guardedSearch(page, next, kNext)) {
    std::u16string href = fromUtf8(next.str(1));
    std::erase(href, u'"');
    nextLink = withPlainAmpersands(std::move(href));
  }
}

void parseGooglePatentsPage(const std::string& page, const ParameterMap& parameters, ResultGroups& groups,
                            std::u16string& nextLink) {
  static const boost::regex kPatentNumber(R"(US PAT.[ ]*([0-9]+))", boost::regex::perl | boost::regex::icase);
  std::u16string grab = parameterValue(parameters, u"grab_uspat");
  bool grabFromPatentOffice = !grab.empty() && std::all_of(grab.begin(), grab.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; }) &&
                              grab.find_first_not_of(u'0') != std::u16string::npos;
  ResultGroup results{kSearchGroup, {}};
  auto readRow = [&](const std::string& row) {
    ResultItem item;
    forEachElement(row, "/a", true, [&](const std::string& anchor, const AttributeMap& attributes, std::string_view) {
      if (attributeText(attributes, "href").find("/patent") == std::string::npos) return true;
      item.add(u"href", engineResultLink(attributes.at("href"), kGooglePatentsBase));
      item.add(u"title", plainText(anchor));
      return false;
    });
    if (!item.find(u"href")) return;
    item.add(u"body", plainText(findPath(row, "/font")));
    results.items.push_back(std::move(item));
    boost::smatch number;
    std::string numberText = findPath(row, "/font(2)");
    if (grabFromPatentOffice && guardedSearch(numberText, number, kPatentNumber)) {
      ResultItem patent;
      patent.add(u"href", std::u16string(kPatentOfficeBase) + u"/netacgi/nph-Parser?Query=PN%2F" + fromUtf8(number.str(1)));
      patent.add(u"title", u"US Patent " + fromUtf8(number.str(1)));
      results.items.push_back(std::move(patent));
    }
  };
  std::string_view rest = page;
  std::string firstRow = findPath(page, "/html/body/div(2)/table/tr", {}, true, nullptr, &rest);
  if (rest.size() < page.size()) {
    readRow(firstRow);
    forEachElement(rest, "/tr", true, [&](const std::string& row, const AttributeMap&, std::string_view) {
      readRow(row);
      return true;
    });
  }
  groups.push_back(std::move(results));
  nextLink = findLabelledLink(page, "next");
}

void parseGoogleScholarPage(const std::string& page, const ParameterMap&, ResultGroups& groups, std::u16string& nextLink) {
  std::string body = findPath(page, "/html/body", {}, true);
  ResultGroup results{kSearchGroup, {}};
  forEachElement(body, "/p", false, [&](const std::string& paragraph, const AttributeMap&, std::string_view) {
    AttributeMap attributes;
    std::string_view after = paragraph;
    std::string anchor = findPath(paragraph, "/span/a", {}, true, &attributes, &after);
    if (!attributes.count("href")) {
      after = paragraph;
      anchor = findPath(paragraph, "/a", {}, true, &attributes, &after);
    }
    if (!attributes.count("href")) return true;
    ResultItem item;
    item.add(u"href", engineResultLink(attributes.at("href"), kGoogleScholarBase));
    item.add(u"title", plainText(anchor));
    std::u16string snippet;
    for (const char* path : {"/font", "/font(2)", "/font(3)"}) {
      std::u16string piece = plainText(findPath(after, path));
      if (!piece.empty()) snippet += (snippet.empty() ? u"" : u" ") + piece;
    }
    item.add(u"body", snippet);
    results.items.push_back(std::move(item));
    return true;
  });
  groups.push_back(std::move(results));
  nextLink = findLabelledLink(body, "Next");
}

}  // namespace brambel
