#include "formats/feed_adding.h"

#include <algorithm>

#include <boost/regex.hpp>

#include "formats/category_membership.h"
#include "formats/source_naming.h"
#include "formats/source_table.h"
#include "formats/text_lines.h"
#include "sources/feed_source.h"
#include "sources/page_text.h"
#include "toolkit/blank_text.h"
#include "toolkit/fetch_page.h"
#include "toolkit/guarded_regex.h"

namespace brambel {
namespace {

constexpr uint32_t kSniffBytes = 1024;

std::u16string formatted(std::u16string_view pattern, const std::u16string& value) {
  std::u16string text(pattern);
  text.replace(text.find(u"%s"), 2, value);
  return text;
}

// The instance id the feed source of `key` and `url` files under.
std::u16string feedIdentity(const std::u16string& key, const std::u16string& url) {
  std::unique_ptr<FeedSource> source;
  if (key == u"atom") source = std::make_unique<AtomSource>();
  else source = std::make_unique<RssSource>();
  source->parameters()[u"url"] = url;
  return source->GetInstanceId();
}

}  // namespace

std::u16string feedSchemeToHttp(const std::u16string& url) {
  if (url.starts_with(u"feed://")) return u"http://" + url.substr(7);
  if (url.starts_with(u"feed:http")) return url.substr(5);
  return url;
}

FeedAddOutcome addFeed(const std::u16string& givenUrl, SourceTable& table, CategorySet& set,
                       const FeedAddOptions& options) {
  FeedAddOutcome outcome;
  std::u16string url = feedSchemeToHttp(std::u16string(trimmed(givenUrl)));
  if (url.empty()) return outcome;

  std::string head;
  if (!fetchPage(url, head, kSniffBytes) || head.empty()) {
    outcome.status = FeedAddStatus::FetchFailed;
    outcome.message = u"An error occured while trying to fetch the feed.";
    return outcome;
  }
  static const boost::regex kFeedRoot("<[ ]*(rss|feed|rdf)", boost::regex::perl | boost::regex::icase);
  static const boost::regex kOutsideRoot("<[ ]*(rss|feed)", boost::regex::perl | boost::regex::icase);
  static const boost::regex kTitle("<[ ]*title[^>]*>([^<]*)</[ ]*title", boost::regex::perl | boost::regex::icase);
  boost::smatch root;
  if (!guardedSearch(head, root, options.fromOutside ? kOutsideRoot : kFeedRoot)) {
    outcome.status = FeedAddStatus::Unrecognized;
    if (!options.fromOutside)
      outcome.message = u"Feed Unrecognized. Brambel currently only supports Rss 1.0/2.0 and Atom feeds.";
    return outcome;
  }
  std::string kind = root.str(1);
  std::transform(kind.begin(), kind.end(), kind.begin(), [](char c) { return static_cast<char>(c | 0x20); });
  std::u16string key = kind == "feed" ? u"atom" : u"rss";

  boost::smatch titleMatch;
  // The title as text: its character references decoded, so "&amp;" reads "&".
  std::u16string title = guardedSearch(head, titleMatch, kTitle) ? plainText(titleMatch.str(1)) : u"";
  if (title.empty()) title = u"Unknown Feed";

  outcome.identity = feedIdentity(key, url);
  if (const SearchSource* existing = table.find(outcome.identity)) {
    outcome.status = FeedAddStatus::AlreadyExists;
    outcome.message = formatted(u"Feed already exists: %s", existing->GetInfo().displayName);
    return outcome;
  }

  std::u16string name = uniqueSourceName(title, table);
  if (options.askName) {
    std::optional<std::u16string> entered = options.askName(name);
    if (!entered) {
      outcome.status = FeedAddStatus::Cancelled;
      return outcome;
    }
    name = uniqueSourceName(*entered, table);
  }
  SourceDefinition definition{key, u"", {{u"url", url}}, name};
  if (table.AddDefinition(std::move(definition)) != SourceTable::AddResult::Added) {
    outcome.status = FeedAddStatus::Nothing;
    return outcome;
  }
  if (!options.sourcesDirectory.empty()) table.SaveSourceDirectory(options.sourcesDirectory);
  if (!options.category.empty()) addReference(findOrAddCategory(set, options.category), outcome.identity);
  outcome.status = FeedAddStatus::Added;
  outcome.name = name;
  outcome.message = formatted(u"Added source: %s", name);
  return outcome;
}

FeedAddOutcome addFeedFromOutside(const std::u16string& url, const std::filesystem::path& sourcesDirectory) {
  SourceTable table;
  table.AddBuiltInSources();
  table.AddSourceFiles(sourcesDirectory);
  CategorySet unchanged;
  FeedAddOptions options;
  options.fromOutside = true;
  options.sourcesDirectory = sourcesDirectory;
  return addFeed(url, table, unchanged, options);
}

}  // namespace brambel
