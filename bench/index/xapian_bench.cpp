// Xapian (glass backend, terms without positions) on the shared benchmark
// corpora, measured like main_index_bench.
#include <benchmark/benchmark.h>
#include <xapian.h>

#include "bench/index/bench_corpus.h"

namespace brambel::bench {
namespace {

std::filesystem::path databasePath(const Corpus& corpus) {
  return std::filesystem::temp_directory_path() / ("brambel-bench-xapian-" + corpus.name);
}

void buildDatabase(const Corpus& corpus) {
  const std::filesystem::path path = databasePath(corpus);
  std::filesystem::remove_all(path);
  Xapian::WritableDatabase db(path.string(), Xapian::DB_CREATE_OR_OVERWRITE);
  Xapian::TermGenerator generator;
  for (size_t i = 0; i < corpus.utf8.size(); ++i) {
    Xapian::Document document;
    generator.set_document(document);
    generator.index_text_without_positions(corpus.utf8[i]);
    db.replace_document(static_cast<Xapian::docid>(i + 1), document);
  }
  db.commit();
}

void indexing(benchmark::State& state, const Corpus& corpus) {
  double seconds = 0;
  for (auto _ : state) seconds = microsecondsOf([&] { buildDatabase(corpus); }) / 1e6;
  state.SetBytesProcessed(static_cast<int64_t>(corpus.bytes));
  state.counters["docs_per_s"] = corpus.utf8.size() / seconds;
  state.counters["size_MB"] = sizeOnDisk(databasePath(corpus)) / 1048576.0;
}

Xapian::Database openDatabase(const Corpus& corpus) {
  if (!std::filesystem::exists(databasePath(corpus))) buildDatabase(corpus);
  return Xapian::Database(databasePath(corpus).string());
}

void andQuery(benchmark::State& state, const Corpus& corpus) {
  Xapian::Database db = openDatabase(corpus);
  std::vector<double> micros;
  size_t hits = 0;
  for (auto _ : state) {
    micros.clear();
    for (const auto& [first, second] : corpus.andQueries) {
      micros.push_back(microsecondsOf([&] {
        Xapian::Enquire enquire(db);
        enquire.set_query(Xapian::Query(Xapian::Query::OP_AND, Xapian::Query(first), Xapian::Query(second)));
        Xapian::MSet matches = enquire.get_mset(0, 100);
        for (auto it = matches.begin(); it != matches.end(); ++it) ++hits;
      }));
    }
  }
  reportLatency(state, micros);
  state.counters["hits"] = static_cast<double>(hits) / state.iterations();
}

void prefixCompletion(benchmark::State& state, const Corpus& corpus) {
  Xapian::Database db = openDatabase(corpus);
  std::vector<double> micros;
  for (auto _ : state) {
    micros.clear();
    for (const std::string& prefix : corpus.prefixes) {
      micros.push_back(microsecondsOf([&] {
        int listed = 0;
        for (auto it = db.allterms_begin(prefix); it != db.allterms_end(prefix) && listed < 10; ++it, ++listed)
          benchmark::DoNotOptimize(*it);
      }));
    }
  }
  reportLatency(state, micros);
}

[[maybe_unused]] const bool registered = registerIndexBenchmarks(&indexing, &andQuery, &prefixCompletion);

}  // namespace
}  // namespace brambel::bench
