// findPath on arbitrary markup: the first line of the input is the path, an
// optional second line the end name, the remainder the page. No crash, and
// the answer and the rest are always pieces of the page.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "toolkit/path_query.h"

namespace {

std::string_view takeLine(std::string_view& input) {
  size_t end = input.find('\n');
  std::string_view line = input.substr(0, end);
  input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
  return line;
}

bool isWithin(std::string_view part, std::string_view whole) {
  return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 16384) return 0;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string_view path = takeLine(input);
  std::string_view endName = takeLine(input);
  std::string_view html = input;
  for (bool nested : {false, true}) {
    brambel::AttributeMap attributes;
    std::string_view rest = html;
    std::string answer = brambel::findPath(html, path, endName, nested, &attributes, &rest);
    if (answer.size() > html.size() || html.find(answer) == std::string_view::npos) abort();
    if (!isWithin(rest, html)) abort();
    for (const auto& [name, value] : attributes)
      if (name.empty() || name.size() > html.size() || value.size() > html.size()) abort();
  }
  return 0;
}
