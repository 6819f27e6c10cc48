#pragma once

#include <string>
#include <vector>

namespace brambel {

// One item of an RSS or RDF feed, its texts exactly as written in the feed
// (entities and CDATA markers are left for the caller to undo).
struct FeedItem {
  std::string title;                 // all of <title>, inner markup included
  std::string link;                  // <link>, trimmed
  std::string description;           // all of <description>, inner markup included
  std::string guid;                  // <guid>, trimmed
  std::string mediaUrl;              // "url" of a <media:content> that is an image
  std::string thumbnailUrl;          // "url" of <media:thumbnail>
  std::string image;                 // <image>, trimmed
  std::string enclosureUrl;          // "url" of <enclosure>
  std::string pubDate;               // <pubDate>
  std::vector<std::string> sources;  // each <brambel:source>

  bool operator==(const FeedItem&) const = default;
};

}  // namespace brambel
