// HTTP dates from response headers: a date that is read writes back to the
// same seconds. An input whose first byte is odd is taken as raw UTF-16 units
// (lone surrogates included), the others as UTF-8 bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "toolkit/code_pages.h"
#include "toolkit/http_date.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 4096) return 0;
  std::u16string header;
  if (data[0] & 1) {
    header.resize((size - 1) / 2);
    std::memcpy(header.data(), data + 1, header.size() * 2);
  } else {
    header = brambel::toWide(std::string(reinterpret_cast<const char*>(data) + 1, size - 1), brambel::kCodePageUtf8);
  }
  std::uint32_t seconds = brambel::parseHttpDate(header);
  if (seconds != 0) {
    std::string written = brambel::formatHttpDate(seconds);
    if (brambel::parseHttpDate(std::u16string(written.begin(), written.end())) != seconds) std::abort();
  }
  return 0;
}
