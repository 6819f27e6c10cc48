// The library's main index on the shared benchmark corpora: documents indexed
// per second, two-term AND query and prefix completion latency (median and
// 95th percentile), size on disk. Compare with fts5_bench and xapian_bench.
#include <benchmark/benchmark.h>

#include <memory>
#include <utility>

#include "bench/index/bench_corpus.h"
#include "index/document_indexer.h"
#include "index/index_query.h"
#include "index/main_index.h"
#include "index/term_extractor.h"
#include "index/term_table.h"

namespace brambel::bench {
namespace {

// Documents added per write session, as a batch load of the library does.
constexpr size_t kBatchSize = 2048;

std::filesystem::path workDirectory(const Corpus& corpus) {
  return std::filesystem::temp_directory_path() / ("brambel-bench-main-index-" + corpus.name);
}

// Indexes the whole corpus into a fresh library directory; returns the index path.
std::filesystem::path buildIndex(const Corpus& corpus) {
  const std::filesystem::path directory = workDirectory(corpus);
  std::filesystem::remove_all(directory);
  const TermFilter filter;
  OpenedMainIndex opened = OpenMainIndex(directory, false, 16384);
  std::vector<DocumentTerms> batch;
  for (size_t i = 0; i < corpus.documents.size(); ++i) {
    ExtractedTerms extracted = ExtractTerms(corpus.documents[i], &filter);
    batch.push_back({static_cast<uint32_t>(i + 1), DocumentTermTable(extracted.terms).WeightedTerms()});
    if (batch.size() == kBatchSize || i + 1 == corpus.documents.size())
      AddDocuments(*opened.index, std::exchange(batch, {}));
  }
  return directory / kMainIndexFileName;
}

void indexing(benchmark::State& state, const Corpus& corpus) {
  std::filesystem::path path;
  double seconds = 0;
  for (auto _ : state) seconds = microsecondsOf([&] { path = buildIndex(corpus); }) / 1e6;
  state.SetBytesProcessed(static_cast<int64_t>(corpus.bytes));
  state.counters["docs_per_s"] = corpus.documents.size() / seconds;
  state.counters["size_MB"] = sizeOnDisk(path) / 1048576.0;
}

IndexFile& builtIndex(const Corpus& corpus) {
  static std::map<std::string, std::unique_ptr<IndexFile>> indexes;
  std::unique_ptr<IndexFile>& index = indexes[corpus.name];
  if (!index) {
    const std::filesystem::path path = workDirectory(corpus) / kMainIndexFileName;
    if (!std::filesystem::exists(path)) buildIndex(corpus);
    index = std::make_unique<IndexFile>(path, 0, mainIndexOptions(true, 16384));
  }
  return *index;
}

void andQuery(benchmark::State& state, const Corpus& corpus) {
  IndexFile& index = builtIndex(corpus);
  std::vector<double> micros;
  size_t hits = 0;
  for (auto _ : state) {
    micros.clear();
    for (const auto& [first, second] : corpus.andQueries) {
      const std::vector<std::u16string> terms{toWide(first, kCodePageUtf8), toWide(second, kCodePageUtf8)};
      std::vector<ScoredHit> found;
      micros.push_back(microsecondsOf([&] { QueryIndex(index, terms, found, 100); }));
      hits += found.size();
    }
  }
  reportLatency(state, micros);
  state.counters["hits"] = static_cast<double>(hits) / state.iterations();
}

void prefixCompletion(benchmark::State& state, const Corpus& corpus) {
  IndexFile& index = builtIndex(corpus);
  std::vector<double> micros;
  for (auto _ : state) {
    micros.clear();
    for (const std::string& prefix : corpus.prefixes) {
      const std::u16string wide = toWide(prefix, kCodePageUtf8);
      micros.push_back(microsecondsOf([&] { benchmark::DoNotOptimize(ListStoredTerms(index, wide, 10)); }));
    }
  }
  reportLatency(state, micros);
}

[[maybe_unused]] const bool registered = registerIndexBenchmarks(&indexing, &andQuery, &prefixCompletion);

}  // namespace
}  // namespace brambel::bench
