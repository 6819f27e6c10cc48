#include "app/window_rect.h"

#include <climits>

#include "toolkit/code_pages.h"
#include "toolkit/guarded_regex.h"

namespace brambel {
namespace {

// Leading sign and digits, like the C library's atoi, without its overflow:
// "12-3" reads 12, "-" reads 0, values beyond int are clamped.
int leadingInteger(const std::string& text) {
  size_t at = 0;
  bool negative = at < text.size() && text[at] == '-';
  if (negative) ++at;
  long long value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
    value = std::min<long long>(value * 10 + (text[at] - '0'), INT_MAX);
  return static_cast<int>(negative ? -value : value);
}

}  // namespace

std::optional<WindowRect> parseWindowRect(const std::u16string& text, const WindowRect& desktop) {
  static const boost::regex pattern("([0-9-]+),([0-9-]+),([0-9-]+),([0-9-]+)");
  std::string narrow = toNarrow(text, kCodePageUtf8);
  boost::smatch match;
  if (!guardedSearch(narrow, match, pattern)) return std::nullopt;
  WindowRect rect{leadingInteger(match[1]), leadingInteger(match[2]), leadingInteger(match[3]),
                  leadingInteger(match[4])};
  bool cornerOnDesktop = rect.left >= desktop.left && rect.left < desktop.right && rect.top >= desktop.top &&
                         rect.top < desktop.bottom;
  if (!cornerOnDesktop || rect.top == rect.bottom) return std::nullopt;
  return rect;
}

std::u16string formatWindowRect(const WindowRect& rect) {
  std::string text = std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) +
                     "," + std::to_string(rect.bottom);
  return std::u16string(text.begin(), text.end());
}

}  // namespace brambel
