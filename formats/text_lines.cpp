#include "formats/text_lines.h"

#include "toolkit/blank_text.h"

namespace brambel {

std::vector<std::u16string_view> splitWideLines(std::u16string_view text) {
  std::vector<std::u16string_view> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(u'\n', start);
    if (end == std::u16string_view::npos) end = text.size();
    std::u16string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::u16string_view trimEnd(std::u16string_view text) {
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::u16string oneLine(std::u16string text) {
  for (char16_t& c : text)
    if (c == u'\r' || c == u'\n' || c == u'\0') c = u' ';
  return text;
}

}  // namespace brambel
