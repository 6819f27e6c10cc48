// HTTP dates from response headers: a date that is read writes back to the same seconds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "toolkit/code_pages.h"
#include "toolkit/http_date.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 4096) return 0;
  std::string header(reinterpret_cast<const char*>(data), size);
  std::uint32_t seconds = brambel::parseHttpDate(brambel::toWide(header, brambel::kCodePageUtf8));
  if (seconds != 0) {
    std::string written = brambel::formatHttpDate(seconds);
    if (brambel::parseHttpDate(std::u16string(written.begin(), written.end())) != seconds) std::abort();
  }
  return 0;
}
