// SQLite FTS5 (default tokenizer and detail) on the shared benchmark corpora,
// measured like main_index_bench: the reference the main index is held to.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include "bench/index/bench_corpus.h"

namespace brambel::bench {
namespace {

std::filesystem::path databasePath(const Corpus& corpus) {
  return std::filesystem::temp_directory_path() / ("brambel-bench-fts5-" + corpus.name + ".db");
}

void execute(sqlite3* db, const char* sql) { sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

void buildDatabase(const Corpus& corpus) {
  const std::filesystem::path path = databasePath(corpus);
  std::filesystem::remove(path);
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  execute(db, "CREATE VIRTUAL TABLE docs USING fts5(body)");
  execute(db, "BEGIN");
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO docs(rowid, body) VALUES (?, ?)", -1, &insert, nullptr);
  for (size_t i = 0; i < corpus.utf8.size(); ++i) {
    sqlite3_bind_int64(insert, 1, static_cast<int64_t>(i + 1));
    sqlite3_bind_text(insert, 2, corpus.utf8[i].data(), static_cast<int>(corpus.utf8[i].size()), SQLITE_STATIC);
    sqlite3_step(insert);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  execute(db, "COMMIT");
  sqlite3_close(db);
}

void indexing(benchmark::State& state, const Corpus& corpus) {
  double seconds = 0;
  for (auto _ : state) seconds = microsecondsOf([&] { buildDatabase(corpus); }) / 1e6;
  state.SetBytesProcessed(static_cast<int64_t>(corpus.bytes));
  state.counters["docs_per_s"] = corpus.utf8.size() / seconds;
  state.counters["size_MB"] = sizeOnDisk(databasePath(corpus)) / 1048576.0;
}

sqlite3* openDatabase(const Corpus& corpus) {
  if (!std::filesystem::exists(databasePath(corpus))) buildDatabase(corpus);
  sqlite3* db = nullptr;
  sqlite3_open_v2(databasePath(corpus).c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  return db;
}

void andQuery(benchmark::State& state, const Corpus& corpus) {
  sqlite3* db = openDatabase(corpus);
  sqlite3_stmt* query = nullptr;
  sqlite3_prepare_v2(db, "SELECT rowid FROM docs WHERE docs MATCH ? ORDER BY rank LIMIT 100", -1, &query, nullptr);
  std::vector<double> micros;
  size_t hits = 0;
  for (auto _ : state) {
    micros.clear();
    for (const auto& [first, second] : corpus.andQueries) {
      const std::string match = "\"" + first + "\" AND \"" + second + "\"";
      micros.push_back(microsecondsOf([&] {
        sqlite3_bind_text(query, 1, match.data(), static_cast<int>(match.size()), SQLITE_TRANSIENT);
        while (sqlite3_step(query) == SQLITE_ROW) ++hits;
        sqlite3_reset(query);
      }));
    }
  }
  sqlite3_finalize(query);
  sqlite3_close(db);
  reportLatency(state, micros);
  state.counters["hits"] = static_cast<double>(hits) / state.iterations();
}

void prefixCompletion(benchmark::State& state, const Corpus& corpus) {
  sqlite3* db = openDatabase(corpus);
  execute(db, "CREATE VIRTUAL TABLE temp.vocabulary USING fts5vocab(main, docs, row)");
  sqlite3_stmt* query = nullptr;
  sqlite3_prepare_v2(db, "SELECT term FROM vocabulary WHERE term >= ?1 AND term < ?1 || x'ff' LIMIT 10", -1,
                     &query, nullptr);
  std::vector<double> micros;
  for (auto _ : state) {
    micros.clear();
    for (const std::string& prefix : corpus.prefixes) {
      micros.push_back(microsecondsOf([&] {
        sqlite3_bind_text(query, 1, prefix.data(), static_cast<int>(prefix.size()), SQLITE_TRANSIENT);
        while (sqlite3_step(query) == SQLITE_ROW) benchmark::DoNotOptimize(sqlite3_column_text(query, 0));
        sqlite3_reset(query);
      }));
    }
  }
  sqlite3_finalize(query);
  sqlite3_close(db);
  reportLatency(state, micros);
}

[[maybe_unused]] const bool registered = registerIndexBenchmarks(&indexing, &andQuery, &prefixCompletion);

}  // namespace
}  // namespace brambel::bench
