#include "toolkit/cookies.h"

#include <map>

#include "toolkit/ascii_case.h"
#include "toolkit/code_pages.h"
#include "toolkit/guarded_regex.h"

namespace brambel {
namespace {

bool isLineBreak(char16_t c) { return c == u'\r' || c == u'\n'; }

// Adds every name=value; pair of `cookies` to `pairs`. The pattern only looks
// at ASCII characters, so it runs on the UTF-8 form unchanged.
void readPairs(const std::u16string& cookies, std::map<std::string, std::string>& pairs) {
  static const boost::regex pairPattern("([^ ]+?)=([^ ]+?);");
  std::string text = toNarrow(cookies, kCodePageUtf8);
  guardedForEachMatch(text, pairPattern, [&](const boost::smatch& pair) {
    pairs[pair[1].str()] = pair[2].str();
    return true;
  });
}

}  // namespace

void collectCookies(const std::u16string& headers, std::u16string& cookies) {
  cookies.clear();
  std::u16string_view text(headers);
  // Only a header line named Set-Cookie counts, not the words inside another
  // header's name or value.
  for (size_t lineStart = 0; lineStart < text.size();) {
    size_t lineEnd = lineStart;
    while (lineEnd < text.size() && !isLineBreak(text[lineEnd])) ++lineEnd;
    if (startsWithIgnoringCase(text, lineStart, "set-cookie:")) {
      std::u16string_view value = text.substr(lineStart + 11, lineEnd - lineStart - 11);
      while (!value.empty() && (value.front() == u' ' || value.front() == u'\t')) value.remove_prefix(1);
      if (!value.empty()) {
        size_t semicolon = value.find(u';');
        if (semicolon == std::u16string_view::npos) {
          cookies.append(value);
          cookies += u';';
        } else {
          cookies.append(value.substr(0, semicolon + 1));
        }
      }
    }
    lineStart = lineEnd + 1;
  }
}

void mergeCookies(const std::u16string& inUse, std::u16string& collected) {
  std::map<std::string, std::string> pairs;
  readPairs(inUse, pairs);
  readPairs(collected, pairs);
  std::string merged;
  for (const auto& [name, value] : pairs) merged += name + "=" + value + "; ";
  collected = toWide(merged, kCodePageUtf8);
}

}  // namespace brambel
