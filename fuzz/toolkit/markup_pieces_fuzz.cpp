// Script and comment removal and CDATA unwrapping on raw page bytes, checked
// on short inputs against the regular expressions they stand in for.
#include <boost/regex.hpp>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "toolkit/markup.h"

namespace {

std::string removeWithExpression(const std::string& text, const boost::regex& pattern) {
  return boost::regex_replace(text, pattern, "", boost::regex_constants::format_literal);
}

std::string unwrapWithExpression(const std::string& text) {
  static const boost::regex pattern("<?!\\[CDATA\\[([^\\]]*)\\]\\]>?");
  boost::smatch match;
  return boost::regex_search(text, match, pattern) ? match.str(1) : text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 65536) return 0;
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string withoutScripts = brambel::removeScripts(text);
  std::string withoutComments = brambel::removeComments(text);
  std::string unwrapped = brambel::unwrapCdata(text);
  if (withoutScripts.size() > text.size() || withoutComments.size() > text.size() || unwrapped.size() > text.size()) {
    std::abort();
  }
  if (size > 2048) return 0;
  static const boost::regex scripts("(<[ ]*script[^>]*>.*?</script>)",
                                    boost::regex::perl | boost::regex::icase | boost::regex::mod_s);
  static const boost::regex comments("<!--.*?-->", boost::regex::perl | boost::regex::mod_s);
  try {
    if (withoutScripts != removeWithExpression(text, scripts)) std::abort();
    if (withoutComments != removeWithExpression(text, comments)) std::abort();
    if (unwrapped != unwrapWithExpression(text)) std::abort();
  } catch (const std::runtime_error&) {
    // The expression engine gave up on this input; there is nothing to compare.
  }
  return 0;
}
