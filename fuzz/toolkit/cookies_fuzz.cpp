// Cookie collection from raw response headers, then merging with itself.
#include <cstddef>
#include <cstdint>
#include <string>

#include "toolkit/cookies.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  std::u16string headers;
  for (size_t i = 0; i + 1 < size; i += 2) headers += static_cast<char16_t>(data[i] | data[i + 1] << 8);
  std::u16string cookies;
  brambel::collectCookies(headers, cookies);
  std::u16string merged = cookies;
  brambel::mergeCookies(headers, merged);
  std::u16string again;
  brambel::mergeCookies(merged, again);
  return 0;
}
