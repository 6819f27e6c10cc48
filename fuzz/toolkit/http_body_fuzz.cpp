// The body reader over arbitrary bytes: gzip (first byte odd) or plain, read
// in pieces sized by the second byte, with the limit from the third.
#include <cstddef>
#include <cstdint>
#include <string>

#include "toolkit/http_body.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3 || size > (1 << 20)) return 0;
  bool gzip = data[0] & 1;
  size_t piece = 1 + data[1] * 257;
  uint32_t limit = data[2] < 128 ? 0 : static_cast<uint32_t>(data[2]) * 97;
  brambel::MemoryByteStream stream(std::string_view(reinterpret_cast<const char*>(data + 3), size - 3), piece);
  std::u16string encoding = gzip ? u"gzip" : u"identity";
  std::string body = brambel::readBody(stream, limit, &encoding);
  if (limit != 0 && body.size() > limit) __builtin_trap();
  if (body.find('\0') != std::string::npos) __builtin_trap();
  return 0;
}
