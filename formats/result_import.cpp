#include "formats/result_import.h"

#include <fstream>
#include <iterator>

#include "formats/result_export.h"
#include "formats/result_set_file.h"
#include "formats/source_table.h"
#include "sources/element_walk.h"
#include "sources/page_text.h"
#include "toolkit/entities.h"
#include "toolkit/feed_scanner.h"
#include "toolkit/link_scanner.h"
#include "toolkit/markup.h"
#include "toolkit/path_query.h"

namespace brambel {
namespace {

std::u16string textOf(const std::string& markup) { return plainText(unwrapCdata(markup)); }

// An address as written in markup: CDATA unwrapped, references decoded, trimmed.
std::u16string addressOf(const std::string& markup) {
  std::u16string address = fromUtf8(decodeEntities(unwrapCdata(markup)));
  while (!address.empty() && address.back() <= u' ') address.pop_back();
  while (!address.empty() && address.front() <= u' ') address.erase(0, 1);
  return address;
}

void importRss(std::string_view feed, const SourceTable& table, std::vector<SourceResult>& results) {
  std::vector<FeedItem> items;
  extractFeedItems(feed, items);
  for (const FeedItem& item : items) {
    SourceResult result;
    result.title = textOf(item.title);
    result.description = textOf(item.description);
    result.url = addressOf(item.link);
    for (const std::string& source : item.sources) {
      std::u16string id = addressOf(source);
      if (table.find(id)) result.sources.push_back(id);
    }
    result.position = static_cast<int32_t>(results.size());
    results.push_back(std::move(result));
  }
}

void importAtom(std::string_view feed, std::vector<SourceResult>& results) {
  std::string body = findPath(feed, "/feed", {}, true);
  forEachElement(body, "/entry", true, [&](const std::string& entry, const AttributeMap&, std::string_view) {
    SourceResult result;
    result.title = textOf(findPath(entry, "/title"));
    result.description = textOf(findPath(entry, "/content"));
    AttributeMap link;
    std::string inner = findPath(entry, "/link", {}, false, &link);
    std::string href = attributeText(link, "href");
    result.url = addressOf(href.empty() ? inner : href);
    result.position = static_cast<int32_t>(results.size());
    results.push_back(std::move(result));
    return true;
  });
}

bool contains(std::string_view text, std::string_view needle) {
  return text.find(needle) != std::string_view::npos;
}

}  // namespace

std::vector<SourceResult> importHtmlLinks(std::string_view page) {
  std::vector<PageLink> links;
  extractLinks(page, links);
  std::vector<SourceResult> results;
  for (const PageLink& link : links) {
    SourceResult result;
    result.url = addressOf(link.href);
    result.title = textOf(link.text);
    if (!result.url.starts_with(u"http") || result.title.empty()) continue;
    result.position = static_cast<int32_t>(results.size());
    results.push_back(std::move(result));
  }
  return results;
}

std::vector<SourceResult> importFeed(std::string_view feed, const SourceTable& table) {
  std::vector<SourceResult> results;
  if (contains(feed, "<rss")) importRss(feed, table, results);
  else if (contains(feed, "<feed")) importAtom(feed, results);
  return results;
}

std::optional<std::vector<SourceResult>> ImportResults(const std::filesystem::path& path, const SourceTable& table) {
  ExportForm form = exportFormFor(path);
  if (form == ExportForm::ResultSet) return ReadResultSet(path, table);
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return form == ExportForm::Html ? importHtmlLinks(bytes) : importFeed(bytes, table);
}

}  // namespace brambel
