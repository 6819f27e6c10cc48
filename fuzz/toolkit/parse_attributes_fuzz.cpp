// parseAttributes on arbitrary tag text: no crash; every name is a non-empty
// run of letters, digits and '_' taken from the text.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "toolkit/attributes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  brambel::AttributeMap attributes;
  brambel::parseAttributes(attributes, text);
  for (const auto& [name, value] : attributes) {
    if (name.empty() || text.find(name) == std::string_view::npos || text.find(value) == std::string_view::npos)
      abort();
    for (char c : name)
      if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') abort();
  }
  return 0;
}
