#pragma once

#include <functional>
#include <string>

#include <boost/regex.hpp>
#include <boost/regex/icu.hpp>

namespace brambel {

// Every regular expression over outside text (pages, feeds, headers, file
// contents) runs through these. On some inputs a pattern grows too costly
// and the engine gives up by throwing; a UTF-16 text with a lone surrogate
// makes the wide engine throw too. Here both read as "no (further) match",
// so hostile text can never end the program.

bool guardedSearch(const std::string& text, boost::smatch& match, const boost::regex& pattern,
                   boost::match_flag_type flags = boost::match_default);
bool guardedSearch(std::string::const_iterator first, std::string::const_iterator last, boost::smatch& match,
                   const boost::regex& pattern, boost::match_flag_type flags = boost::match_default);
bool guardedMatch(const std::string& text, boost::smatch& match, const boost::regex& pattern);

using U16Match = boost::match_results<std::u16string::const_iterator>;
bool guardedSearch(const std::u16string& text, U16Match& match, const boost::u32regex& pattern);

// Calls visit(match) for each successive match; stops when visit answers
// false or the engine gives up. What `visit` throws passes to the caller.
void guardedForEachMatch(const std::string& text, const boost::regex& pattern,
                         const std::function<bool(const boost::smatch&)>& visit);

}  // namespace brambel
