// SQLite FTS5 (default tokenizer and detail) on the shared benchmark corpora,
// measured like main_index_bench: the reference the main index is held to.
#include <benchmark/benchmark.h>

#include "bench/index/bench_corpus.h"
#include "bench/index/fts5_database.h"

namespace brambel::bench {
namespace {

std::filesystem::path databasePath(const Corpus& corpus) {
  return std::filesystem::temp_directory_path() / ("brambel-bench-fts5-" + corpus.name + ".db");
}

void indexing(benchmark::State& state, const Corpus& corpus) {
  double seconds = 0;
  for (auto _ : state) seconds = microsecondsOf([&] { buildFts5Database(corpus, databasePath(corpus)); }) / 1e6;
  state.SetBytesProcessed(static_cast<int64_t>(corpus.bytes));
  state.counters["docs_per_s"] = corpus.utf8.size() / seconds;
  state.counters["size_MB"] = sizeOnDisk(databasePath(corpus)) / 1048576.0;
}

std::filesystem::path builtDatabase(const Corpus& corpus) {
  const std::filesystem::path path = databasePath(corpus);
  if (!std::filesystem::exists(path)) buildFts5Database(corpus, path);
  return path;
}

void andQuery(benchmark::State& state, const Corpus& corpus) {
  std::vector<double> micros;
  size_t hits = 0;
  const std::filesystem::path path = builtDatabase(corpus);
  for (auto _ : state) micros = fts5AndQueries(corpus, path, hits);
  reportLatency(state, micros);
  state.counters["hits"] = static_cast<double>(hits) / state.iterations();
}

void prefixCompletion(benchmark::State& state, const Corpus& corpus) {
  const std::filesystem::path path = builtDatabase(corpus);
  std::vector<double> micros;
  for (auto _ : state) micros = fts5PrefixCompletions(corpus, path);
  reportLatency(state, micros);
}

[[maybe_unused]] const bool registered = registerIndexBenchmarks(&indexing, &andQuery, &prefixCompletion);

}  // namespace
}  // namespace brambel::bench
