#include "toolkit/guarded_regex.h"

#include <exception>

namespace brambel {
namespace {

// Runs one step of the engine; any exception it raises (complexity or stack
// limits, invalid UTF-16, memory) means the text holds no match we can use.
template <typename Step>
bool guarded(Step step) {
  try {
    return step();
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

bool guardedSearch(const std::string& text, boost::smatch& match, const boost::regex& pattern,
                   boost::match_flag_type flags) {
  return guardedSearch(text.begin(), text.end(), match, pattern, flags);
}

bool guardedSearch(std::string::const_iterator first, std::string::const_iterator last, boost::smatch& match,
                   const boost::regex& pattern, boost::match_flag_type flags) {
  return guarded([&] { return boost::regex_search(first, last, match, pattern, flags); });
}

bool guardedMatch(const std::string& text, boost::smatch& match, const boost::regex& pattern) {
  return guarded([&] { return boost::regex_match(text, match, pattern); });
}

bool guardedSearch(const std::u16string& text, U16Match& match, const boost::u32regex& pattern) {
  return guarded([&] { return boost::u32regex_search(text.begin(), text.end(), match, pattern); });
}

void guardedForEachMatch(const std::string& text, const boost::regex& pattern,
                         const std::function<bool(const boost::smatch&)>& visit) {
  boost::sregex_iterator match;
  const boost::sregex_iterator end;
  if (!guarded([&] {
        match = boost::sregex_iterator(text.begin(), text.end(), pattern);
        return true;
      }))
    return;
  while (match != end) {
    if (!visit(*match)) return;
    if (!guarded([&] {
          ++match;
          return true;
        }))
      return;
  }
}

}  // namespace brambel
