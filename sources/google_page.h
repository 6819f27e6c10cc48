#pragma once

#include <string>

#include "sources/result_item.h"

namespace brambel {

// Reads a Google web or directory result page (comments already removed).
// Appends a "sponsors" group when the page's third table is the sponsored
// links table (id "mbEnd") and holds links, and a "search" group when the
// results division ("res") holds an ordered list with entries. `nextLink`
// receives the "next page" link of the navigation table, or is emptied.
// Returns whether a "search" group was appended.
bool parseGooglePage(const std::string& body, ResultGroups& groups, std::u16string& nextLink);

// Google's own address, before which its relative links are put.
inline constexpr char16_t kGoogleBaseUrl[] = u"http://www.google.com";

}  // namespace brambel
