// Percent encoding of query values and decoding of redirect links.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "toolkit/code_pages.h"
#include "toolkit/url_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 65536) return 0;
  std::string bytes(reinterpret_cast<const char*>(data), size);
  std::u16string text = brambel::toWide(bytes, brambel::kCodePageUtf8);
  std::u16string decoded = brambel::decodeUrl(text);
  if (decoded.size() > text.size()) std::abort();
  // Text of single bytes survives encoding in a single-byte code page.
  std::u16string latin(data, data + size);
  std::u16string encoded = brambel::encodeUrl(latin, 28591);
  if (brambel::decodeUrl(encoded) != latin) std::abort();
  return 0;
}
