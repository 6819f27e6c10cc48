#pragma once

// Markup stripping done with the one regular expression the linear scanner of
// toolkit/markup.cpp stands in for: the reference the fuzz target compares
// against and the baseline the benchmark measures. Throws what the
// expression engine throws.
#include <boost/regex/icu.hpp>
#include <string>

#include "toolkit/character_references.h"

namespace brambel::testing {

inline std::u16string stripMarkupWithExpression(const std::u16string& text) {
  static const boost::u32regex pattern = boost::make_u32regex(
      reinterpret_cast<const UChar*>(u"(<[ ]*script[^>]*>.*?</script>)|(<[ ]*style[^>]*>.*?</style>)|(<!--.*?-->)|"
                                     u"(<[^>]*>)|(&#?[0-9a-z]{2,8}[;::space::])"),
      boost::regex::perl | boost::regex::icase | boost::regex::mod_s);
  std::u16string out;
  boost::match_results<std::u16string::const_iterator> match;
  auto from = text.cbegin();
  while (boost::u32regex_search(from, text.cend(), match, pattern)) {
    out.append(from, match[0].first);
    if (*match[0].first == u'&') {
      std::u16string name(match[0].first + 1, match[0].second);
      if (name.back() == u';') name.pop_back();
      if (auto replacement = entityReplacement(std::u16string_view(name))) out += *replacement;
    }
    from = match[0].second;
  }
  out.append(from, text.cend());
  return out;
}

}  // namespace brambel::testing
