#pragma once

#include <optional>
#include <string>

#include "sources/parameter_map.h"
#include "sources/result_item.h"

namespace brambel {

// Reads an RSS 2.0 or RDF feed into a "search" group (always appended) and,
// when the feed carries sponsored items, a "sponsors" group. The flags
// "parseSubURL", "titleOverride", "imagesPrefered" and "imagesOverride" of
// `parameters` shape the items (see feed_source.h).
void parseRssFeed(const std::string& page, const ParameterMap& parameters, ResultGroups& groups);

// Reads the entries of an Atom feed into a "search" group (always appended).
// "parseSubURL" and "titleOverride" apply as for RSS.
void parseAtomFeed(const std::string& page, const ParameterMap& parameters, ResultGroups& groups);

// The HTTP date of an ISO 8601 time stamp "YYYY-MM-DDThh:mm:ss[.hh](Z|+hh:mm|-hh:mm)"
// found in `text`, taken back to GMT by its zone shift; nothing when the text
// holds no such stamp or names no real time.
std::optional<std::string> isoTimeToHttpDate(const std::string& text);

}  // namespace brambel
