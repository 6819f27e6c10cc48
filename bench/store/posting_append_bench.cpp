// Cost of one write session appending a small batch to a term whose posting
// chain is already long, for growing chain lengths: a flat time per append
// means the append does not read the chain before its last block.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <vector>

#include "store/index_file.h"
#include "store/index_session.h"

namespace brambel {
namespace {

constexpr uint32_t kBatch = 64;

std::vector<Posting> postingsFrom(uint32_t first, uint32_t count) {
  std::vector<Posting> postings;
  postings.reserve(count);
  for (uint32_t id = first; id < first + count; ++id) postings.push_back({id, 1.0f});
  return postings;
}

void BM_AppendToLongChain(benchmark::State& state) {
  const uint32_t existing = static_cast<uint32_t>(state.range(0));
  const auto path = std::filesystem::temp_directory_path() / "brambel-bench-posting-append.zidx";
  std::filesystem::remove(path);
  {
    IndexFileOptions options;
    options.cached = true;
    options.cacheSize = 16 << 20;
    IndexFile index(path, 0, options);
    index.beginWrite()->addPostings(u"everywhere", postingsFrom(1, existing));
    uint32_t next = existing + 1;
    for (auto _ : state) {
      auto session = index.beginWrite();
      session->addPostings(u"everywhere", postingsFrom(next, kBatch));
      next += kBatch;
    }
  }
  std::filesystem::remove(path);
  state.SetItemsProcessed(state.iterations() * kBatch);
  state.counters["chain_postings"] = existing;
}
BENCHMARK(BM_AppendToLongChain)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace brambel
