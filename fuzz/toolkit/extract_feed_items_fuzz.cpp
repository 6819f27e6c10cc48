// extractFeedItems on arbitrary bytes: no crash; the trimmed fields are
// trimmed, source names are at least two characters, and nothing read is
// longer than the feed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "toolkit/feed_scanner.h"

namespace {

bool isTrimmed(const std::string& text) {
  auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  return text.empty() || (!space(text.front()) && !space(text.back()));
}

void check(const std::vector<brambel::FeedItem>& items, size_t feedSize) {
  for (const brambel::FeedItem& item : items) {
    if (!isTrimmed(item.link) || !isTrimmed(item.guid) || !isTrimmed(item.image)) abort();
    for (const std::string* field : {&item.title, &item.link, &item.description, &item.guid, &item.mediaUrl,
                                     &item.thumbnailUrl, &item.image, &item.enclosureUrl, &item.pubDate})
      if (field->size() > feedSize) abort();
    for (const std::string& source : item.sources)
      if (source.size() < 2 || source.size() > feedSize) abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  std::string_view feed(reinterpret_cast<const char*>(data), size);
  std::vector<brambel::FeedItem> items, sponsors;
  brambel::extractFeedItems(feed, items, &sponsors);
  check(items, size);
  check(sponsors, size);
  std::vector<brambel::FeedItem> alone;
  brambel::extractFeedItems(feed, alone);
  if (alone != items) abort();  // the sponsor list never changes the items
  return 0;
}
