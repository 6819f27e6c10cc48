// htmlToText on arbitrary bytes: no crash, and the text is never longer than
// the markup (each rule emits at most what it consumes).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "toolkit/html_to_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  std::string_view markup(reinterpret_cast<const char*>(data), size);
  if (brambel::htmlToText(markup).size() > markup.size()) abort();
  return 0;
}
