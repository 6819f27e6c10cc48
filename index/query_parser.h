#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "index/term_filter.h"

namespace brambel {

// Turns what the user typed into query terms for the index and for term
// scoring.
//
// The text is cut at white space into pieces; a piece that begins with a
// double quote runs to the next double quote (or the end) and is a phrase.
// Each piece is folded like indexed text and cut into terms by the index's
// own scanner; every term passes the filter. Markers on the resulting terms:
//   "-term"          the piece began with "-": documents with it are excluded
//                    (a negated phrase excludes each of its terms)
//   "\"first" ... "last\""   the terms of a phrase, in order
// A leading "+" (must occur) is the default and is dropped.
std::vector<std::u16string> ParseQuery(std::u16string_view query, const TermFilter& filter);

}  // namespace brambel
