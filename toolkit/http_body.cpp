#include "toolkit/http_body.h"

#include <zlib.h>

#include <cstring>
#include <vector>

namespace brambel {
namespace {

constexpr size_t kBlockSize = 65536;

// Appends `size` bytes to `body` as text and answers whether reading may go
// on: false once the limit is reached or a zero byte ended the text.
bool appendBlock(std::string& body, const char* data, size_t size, uint32_t limit) {
  if (limit != 0) size = std::min<size_t>(size, limit - body.size());
  const void* zero = std::memchr(data, 0, size);
  size_t textSize = zero ? static_cast<const char*>(zero) - data : size;
  body.append(data, textSize);
  return !zero && (limit == 0 || body.size() < limit);
}

void readPlain(ByteStream& request, uint32_t limit, std::string& body) {
  std::vector<char> buffer(kBlockSize);
  body.reserve(limit != 0 ? std::min<size_t>(limit, kBlockSize) : kBlockSize);
  while (size_t count = request.read(buffer.data(), kBlockSize)) {
    if (!appendBlock(body, buffer.data(), count, limit)) return;
  }
}

// Whether `produced` text bytes from `consumed` compressed ones has grown past
// what any real page unpacks to.
bool pastInflationCap(size_t produced, size_t consumed) {
  return produced > kMaxInflatedBytes ||
         (produced > kInflationRatioFloor && produced / kMaxInflationRatio > consumed);
}

// Inflates with window bits 31 (gzip wrapper only); stops at the end of the
// first gzip member, at damage, at the limit, at the inflation cap (setting
// `cut`), or at the end of the input.
void readGzip(ByteStream& request, uint32_t limit, std::string& body, bool& cut) {
  z_stream stream{};
  if (inflateInit2(&stream, 31) != Z_OK) return;
  std::vector<char> input(kBlockSize);
  std::vector<char> output(kBlockSize);
  bool going = true;
  while (going) {
    size_t count = request.read(input.data(), kBlockSize);
    if (count == 0) break;
    stream.next_in = reinterpret_cast<Bytef*>(input.data());
    stream.avail_in = static_cast<uInt>(count);
    do {
      stream.next_out = reinterpret_cast<Bytef*>(output.data());
      stream.avail_out = static_cast<uInt>(kBlockSize);
      int result = inflate(&stream, Z_NO_FLUSH);
      size_t produced = kBlockSize - stream.avail_out;
      // Z_BUF_ERROR only says this input is used up (the output may have
      // filled exactly at its end): read on rather than lose the rest.
      bool streamGoesOn = result == Z_OK || result == Z_BUF_ERROR;
      if (pastInflationCap(stream.total_out, stream.total_in)) {
        cut = true;
        going = false;
        break;
      }
      if (!appendBlock(body, output.data(), produced, limit) || !streamGoesOn) {
        going = false;  // limit, zero byte, stream end or damage
        break;
      }
    } while (stream.avail_out == 0);
  }
  inflateEnd(&stream);
}

}  // namespace

std::string readBody(ByteStream& request, uint32_t limit, const std::u16string* contentEncoding,
                     const std::u16string* /*transferEncoding*/, bool* inflationCut) {
  std::string body;
  bool cut = false;
  if (contentEncoding && *contentEncoding == u"gzip")
    readGzip(request, limit, body, cut);
  else
    readPlain(request, limit, body);
  if (inflationCut) *inflationCut = cut;
  return body;
}

}  // namespace brambel
