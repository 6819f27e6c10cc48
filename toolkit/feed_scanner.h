#pragma once

#include <string_view>
#include <vector>

#include "toolkit/feed_item.h"

namespace brambel {

// Reads the items of an RSS (0.9x, 2.0) or RDF feed and appends one FeedItem
// per complete item ("<item>" to "</item>") to `items`. Items inside the
// program's own "<brambel:sponsors>" element (beside "<channel>") go to
// `sponsors` instead, or nowhere when it is null. Other feed formats give no
// items.
//
// The short text elements (link, guid, pubDate, image) keep only the text
// after their last inner "<"; title and description keep their inner markup
// in full. Element names need no delimiter after them ("<titles>" opens a
// title), except "item", so that RDF's "<items>" list is not read as an item.
void extractFeedItems(std::string_view feed, std::vector<FeedItem>& items,
                      std::vector<FeedItem>* sponsors = nullptr);

}  // namespace brambel
