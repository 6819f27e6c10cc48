#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brambel {

// How a destination takes URLs: a bookmark per URL with tags and notes,
// the same with a category, one blog post listing every URL, or a page
// opened in the web browser.
enum class DestinationKind : int { TagsNotes = 0, TagsCategory = 1, TagsBlog = 2, External = 3 };

// An outside service the selected results can be sent to. Every URL and body
// is a template whose "(*name)" placeholders the send fills in, so a new
// service is data, not code.
struct Destination {
  // The user's data, stored with the program settings.
  std::u16string username;
  std::u16string password;
  std::u16string additional;  // terms added to every bookmark's tags

  std::u16string name;
  std::u16string loginUrl;
  std::u16string loginBody;
  std::u16string postUrl;  // for External, the page opened in the browser
  std::u16string postBody;
  std::u16string formUrl;  // a page whose hidden inputs the post needs; none when empty
  DestinationKind kind = DestinationKind::TagsNotes;
  uint8_t flag = 0;

  bool operator==(const Destination&) const = default;
};

// The kind's stored name: "tags_notes", "tags_category", "tags_blog", "external".
const char16_t* destinationKindName(DestinationKind kind);

// The built-in services, in menu order: a social bookmarking site,
// "Google Bookmark", "Gmail (browser)", "Wordpress", "furl" and "simpy".
std::vector<Destination> builtInDestinations();

}  // namespace brambel
