#pragma once
// SQLite FTS5 (default tokenizer and detail) as the benchmarks use it: build
// a table of the corpus in one transaction, run two-term AND queries and
// prefix completions over its vocabulary.
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bench/index/bench_corpus.h"

namespace brambel::bench {

inline void executeSql(sqlite3* db, const char* sql) { sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

inline void buildFts5Database(const Corpus& corpus, const std::filesystem::path& path) {
  std::filesystem::remove(path);
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  executeSql(db, "CREATE VIRTUAL TABLE docs USING fts5(body)");
  executeSql(db, "BEGIN");
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO docs(rowid, body) VALUES (?, ?)", -1, &insert, nullptr);
  for (size_t i = 0; i < corpus.utf8.size(); ++i) {
    sqlite3_bind_int64(insert, 1, static_cast<int64_t>(i + 1));
    sqlite3_bind_text(insert, 2, corpus.utf8[i].data(), static_cast<int>(corpus.utf8[i].size()), SQLITE_STATIC);
    sqlite3_step(insert);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  executeSql(db, "COMMIT");
  sqlite3_close(db);
}

// The latency of every AND query of the corpus, in microseconds; `hits` counts the rows.
inline std::vector<double> fts5AndQueries(const Corpus& corpus, const std::filesystem::path& path, size_t& hits) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* query = nullptr;
  sqlite3_prepare_v2(db, "SELECT rowid FROM docs WHERE docs MATCH ? ORDER BY rank LIMIT 100", -1, &query, nullptr);
  std::vector<double> micros;
  for (const auto& [first, second] : corpus.andQueries) {
    const std::string match = "\"" + first + "\" AND \"" + second + "\"";
    micros.push_back(microsecondsOf([&] {
      sqlite3_bind_text(query, 1, match.data(), static_cast<int>(match.size()), SQLITE_TRANSIENT);
      while (sqlite3_step(query) == SQLITE_ROW) ++hits;
      sqlite3_reset(query);
    }));
  }
  sqlite3_finalize(query);
  sqlite3_close(db);
  return micros;
}

// The latency of completing every prefix of the corpus to 10 terms, in microseconds.
inline std::vector<double> fts5PrefixCompletions(const Corpus& corpus, const std::filesystem::path& path) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  executeSql(db, "CREATE VIRTUAL TABLE temp.vocabulary USING fts5vocab(main, docs, row)");
  sqlite3_stmt* query = nullptr;
  sqlite3_prepare_v2(db, "SELECT term FROM vocabulary WHERE term >= ?1 AND term < ?1 || x'ff' LIMIT 10", -1,
                     &query, nullptr);
  std::vector<double> micros;
  for (const std::string& prefix : corpus.prefixes) {
    micros.push_back(microsecondsOf([&] {
      sqlite3_bind_text(query, 1, prefix.data(), static_cast<int>(prefix.size()), SQLITE_TRANSIENT);
      while (sqlite3_step(query) == SQLITE_ROW) benchmark::DoNotOptimize(sqlite3_column_text(query, 0));
      sqlite3_reset(query);
    }));
  }
  sqlite3_finalize(query);
  sqlite3_close(db);
  return micros;
}

}  // namespace brambel::bench
