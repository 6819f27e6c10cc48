// Body reading throughput from memory: plain and gzip bodies, and a gzip
// body cut at the page-fetch limit.
#include <benchmark/benchmark.h>

#include <string>

#include "tests/support/gzip_bytes.h"
#include "toolkit/byte_stream.h"
#include "toolkit/http_body.h"

namespace {

std::string pageText(size_t size) {
  std::string text;
  for (size_t i = 0; text.size() < size; ++i)
    text += "<p class=\"result\">Result " + std::to_string(i) + " with a short snippet of text</p>\n";
  text.resize(size);
  return text;
}

void BM_ReadBodyPlain(benchmark::State& state) {
  std::string text = pageText(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    brambel::MemoryByteStream stream(text, 16384);
    benchmark::DoNotOptimize(brambel::readBody(stream, 0));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_ReadBodyPlain)->Arg(262144)->Arg(4 << 20);

void BM_ReadBodyGzip(benchmark::State& state) {
  std::string packed = brambel::testing::gzipBytes(pageText(static_cast<size_t>(state.range(0))));
  const std::u16string encoding = u"gzip";
  for (auto _ : state) {
    brambel::MemoryByteStream stream(packed, 16384);
    benchmark::DoNotOptimize(brambel::readBody(stream, 0, &encoding));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_ReadBodyGzip)->Arg(262144)->Arg(4 << 20);

// The page fetch limit: a 4 MiB gzip page cut at 262144 decoded bytes.
void BM_ReadBodyGzipLimited(benchmark::State& state) {
  std::string packed = brambel::testing::gzipBytes(pageText(4 << 20));
  const std::u16string encoding = u"gzip";
  for (auto _ : state) {
    brambel::MemoryByteStream stream(packed, 16384);
    benchmark::DoNotOptimize(brambel::readBody(stream, 262144, &encoding));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 262144);
}
BENCHMARK(BM_ReadBodyGzipLimited);

}  // namespace
