#include "toolkit/http_body.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <random>

#include "tests/support/gzip_bytes.h"
#include "tests/support/loopback_server.h"
#include "toolkit/http_client.h"

namespace brambel {
namespace {

using testing::gzipBytes;

std::string sampleText(size_t size) {
  std::string text;
  for (size_t i = 0; text.size() < size; ++i) text += "line " + std::to_string(i) + " of the page\n";
  text.resize(size);
  return text;
}

// Bytes 1..255 only, so that no zero byte cuts the text, and barely compressible.
std::string noisyText(size_t size) {
  std::mt19937 random(7);
  std::string text(size, ' ');
  for (auto& c : text) c = static_cast<char>(1 + random() % 255);
  return text;
}

const std::u16string kGzip = u"gzip";

TEST(ReadBody, PlainBodyWithAndWithoutLimit) {
  std::string text = sampleText(1000);
  MemoryByteStream whole(text, 300);
  EXPECT_EQ(readBody(whole, 0), text);
  MemoryByteStream limited(text, 300);
  EXPECT_EQ(readBody(limited, 256), text.substr(0, 256));
  EXPECT_EQ(limited.offset(), 300u) << "reading stops once the limit is reached";
}

TEST(ReadBody, OtherEncodingsAreReadAsRawBytes) {
  std::string packed = gzipBytes("hello");
  for (std::u16string encoding : {u"deflate", u"GZIP", u" gzip", u""}) {
    MemoryByteStream stream(packed.substr(0, 2), 100);  // the gzip magic holds no zero byte
    EXPECT_EQ(readBody(stream, 0, &encoding), packed.substr(0, 2));
  }
}

TEST(ReadBody, GzipWholeLimitedAndLarge) {
  std::string text = sampleText(300000);
  std::string packed = gzipBytes(text);
  for (size_t piece : {size_t(1) << 16, size_t(1000), size_t(7)}) {
    MemoryByteStream whole(packed, piece);
    EXPECT_TRUE(readBody(whole, 0, &kGzip) == text) << "piece " << piece;
  }
  MemoryByteStream limited(packed, 1 << 16);
  EXPECT_EQ(readBody(limited, 256, &kGzip), text.substr(0, 256));
  // A limit beyond the body changes nothing.
  MemoryByteStream roomy(packed, 1 << 16);
  EXPECT_TRUE(readBody(roomy, 400000, &kGzip) == text);
}

TEST(ReadBody, InflationIsCappedAndTheCutReported) {
  // A few kilobytes that unpack into megabytes of one letter.
  std::string flood = gzipBytes(std::string(kInflationRatioFloor * 8, 'f'));
  MemoryByteStream bomb(flood, 1 << 16);
  bool cut = false;
  std::string body = readBody(bomb, 0, &kGzip, nullptr, &cut);
  EXPECT_TRUE(cut);
  EXPECT_LE(body.size(), kInflationRatioFloor + 65536);
  // Ordinary text past the absolute cap is cut there.
  std::string huge = gzipBytes(sampleText(kMaxInflatedBytes + 65536));
  MemoryByteStream large(huge, 1 << 16);
  body = readBody(large, 0, &kGzip, nullptr, &cut);
  EXPECT_TRUE(cut);
  EXPECT_LE(body.size(), kMaxInflatedBytes);
  EXPECT_GT(body.size(), kMaxInflatedBytes - 65536);
  // A page that merely compresses well is read whole.
  std::string text = sampleText(300000);
  MemoryByteStream page(gzipBytes(text), 1 << 16);
  EXPECT_TRUE(readBody(page, 0, &kGzip, nullptr, &cut) == text);
  EXPECT_FALSE(cut);
}

// The length of the shortest prefix of `packed` that inflates to exactly
// `size` bytes, or 0 when no prefix does.
size_t prefixDecodingTo(const std::string& packed, size_t size) {
  z_stream stream{};
  inflateInit2(&stream, 31);
  std::string out(size + 65536, '\0');
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  size_t found = 0;
  for (size_t used = 0; used < packed.size() && stream.total_out < size; ++used) {
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data() + used));
    stream.avail_in = 1;
    inflate(&stream, Z_NO_FLUSH);
    if (stream.total_out == size) found = used + 1;
  }
  inflateEnd(&stream);
  return found;
}

TEST(ReadBody, GzipOutputFillingTheBufferExactlyAtAnInputEnd) {
  // The first read ends exactly where the decoded bytes fill the 64 KiB
  // output buffer; decoding must go on with the next read. Random letters
  // decode mostly literal by literal, so for some seed a prefix ends there.
  std::string text(3 * 65536, ' ');
  std::string packed;
  size_t first = 0;
  for (unsigned seed = 1; seed < 200 && first == 0; ++seed) {
    std::mt19937 random(seed);
    for (auto& c : text) c = static_cast<char>('a' + random() % 26);
    packed = gzipBytes(text);
    first = prefixDecodingTo(packed, 65536);
  }
  ASSERT_NE(first, 0u);
  ASSERT_LT(first, 65536u);
  MemoryByteStream stream(packed, first);
  EXPECT_TRUE(readBody(stream, 0, &kGzip) == text);
}

bool isPrefixOf(const std::string& part, const std::string& whole) {
  return part.size() <= whole.size() && whole.compare(0, part.size(), part) == 0;
}

TEST(ReadBody, CutOffOrDamagedGzipKeepsWhatDecoded) {
  std::string noisy = noisyText(200000);
  std::string packed = gzipBytes(noisy);
  MemoryByteStream cut(packed.substr(0, packed.size() / 2), 4096);
  std::string partial = readBody(cut, 0, &kGzip);
  EXPECT_GT(partial.size(), 50000u);
  EXPECT_TRUE(isPrefixOf(partial, noisy));

  // Damage inside compressed blocks: what decoded before it is kept, the
  // rest is not invented.
  std::string text = sampleText(2000000);
  std::string damaged = gzipBytes(text);
  for (size_t i = damaged.size() / 2; i < damaged.size() / 2 + 64; ++i) damaged[i] ^= 0x5a;
  MemoryByteStream broken(damaged, 4096);
  std::string survived = readBody(broken, 0, &kGzip);
  EXPECT_GT(survived.size(), 10000u);
  EXPECT_LT(survived.size(), text.size());
  EXPECT_TRUE(isPrefixOf(survived.substr(0, 10000), text));

  MemoryByteStream garbage("not gzip at all", 100);
  EXPECT_EQ(readBody(garbage, 0, &kGzip), "");
}

TEST(ReadBody, TextEndsAtTheFirstZeroByte) {
  std::string text = sampleText(100000);
  text[70000] = '\0';
  MemoryByteStream plain(text, 65536);
  EXPECT_TRUE(readBody(plain, 0) == text.substr(0, 70000)) << "nothing after the zero byte is spliced on";
  MemoryByteStream packed(gzipBytes(text), 65536);
  EXPECT_TRUE(readBody(packed, 0, &kGzip) == text.substr(0, 70000));
}

TEST(ReadBody, OverHttpChunkedAndGzip) {
  testing::LoopbackServer server;
  std::string text = sampleText(200000);
  std::string packed = gzipBytes(text);
  server.get("/chunked", [&](const httplib::Request&, httplib::Response& response) {
    response.set_header("Content-Encoding", "gzip");
    response.set_chunked_content_provider("text/html", [&](size_t offset, httplib::DataSink& sink) {
      size_t count = std::min<size_t>(5000, packed.size() - offset);
      sink.write(packed.data() + offset, count);
      if (offset + count == packed.size()) sink.done();
      return true;
    });
  });
  HttpRequest request;
  request.url = server.url("/chunked");
  request.headers = "Accept-Encoding: gzip";
  auto response = sendHttpRequest(request);
  ASSERT_TRUE(response);
  EXPECT_EQ(response->header("Transfer-Encoding"), "chunked");
  std::u16string transfer = u"chunked";
  EXPECT_TRUE(readBody(*response, 0, &kGzip, &transfer) == text);
  EXPECT_FALSE(response->failed());
}

}  // namespace
}  // namespace brambel
