// Throughput of the record store: adding terms with postings and looking
// them up, under both I/O kinds, beside SQLite doing the same work with an
// indexed table.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "store/index_file.h"
#include "store/index_session.h"

namespace brambel {
namespace {

std::filesystem::path scratch(const std::string& name) {
  auto path = std::filesystem::temp_directory_path() / ("brambel-bench-" + std::to_string(getpid()) + "-" + name);
  std::filesystem::remove(path);
  return path;
}

// Words of 3 to 16 letters from a small alphabet, so that some repeat and
// some share their first 12 units.
std::vector<std::string> makeTerms(size_t count, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<std::string> terms;
  for (size_t i = 0; i < count; ++i) {
    std::string term;
    size_t length = 3 + random() % 14;
    for (size_t j = 0; j < length; ++j) term.push_back(static_cast<char>('a' + random() % 12));
    terms.push_back(term);
  }
  return terms;
}

std::u16string wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

IndexFileOptions optionsFor(bool cached) {
  IndexFileOptions options;
  options.cached = cached;
  options.cacheSize = 8 << 20;
  return options;
}

constexpr size_t kTerms = 20000;

void BM_AddPostings(benchmark::State& state) {
  const bool cached = state.range(0);
  auto terms = makeTerms(kTerms, 1);
  for (auto _ : state) {
    auto path = scratch("add.zidx");
    IndexFile index(path, 0, optionsFor(cached));
    auto session = index.beginWrite();
    for (size_t i = 0; i < terms.size(); ++i) {
      const Posting posting{static_cast<uint32_t>(i), 1.0f};
      session->addPostings(wide(terms[i]), {&posting, 1});
    }
    session.reset();
    std::filesystem::remove(path);
  }
  state.SetItemsProcessed(state.iterations() * terms.size());
  state.SetLabel(cached ? "cached" : "direct");
}
BENCHMARK(BM_AddPostings)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_LookupTerms(benchmark::State& state) {
  const bool cached = state.range(0);
  auto terms = makeTerms(kTerms, 1);
  auto path = scratch("lookup.zidx");
  {
    IndexFile index(path, 0, optionsFor(cached));
    auto session = index.beginWrite();
    for (size_t i = 0; i < terms.size(); ++i) {
      const Posting posting{static_cast<uint32_t>(i), 1.0f};
      session->addPostings(wide(terms[i]), {&posting, 1});
    }
  }
  IndexFile index(path, 0, optionsFor(cached));
  auto probes = makeTerms(10000, 2);
  size_t found = 0;
  for (auto _ : state) {
    auto session = index.beginRead();
    for (const auto& probe : probes) {
      if (auto record = session->findTerm(wide(probe))) found += session->postingsOf(*record).size();
    }
  }
  benchmark::DoNotOptimize(found);
  state.SetItemsProcessed(state.iterations() * probes.size());
  state.SetLabel(cached ? "cached" : "direct");
  std::filesystem::remove(path);
}
BENCHMARK(BM_LookupTerms)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same postings in SQLite: one row per (term, id), an index on the term.
void BM_SqliteAddPostings(benchmark::State& state) {
  auto terms = makeTerms(kTerms, 1);
  for (auto _ : state) {
    auto path = scratch("add.sqlite");
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"
                     "CREATE TABLE postings(term TEXT, id INTEGER, weight REAL);"
                     "CREATE INDEX by_term ON postings(term); BEGIN;",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO postings VALUES(?, ?, 1.0)", -1, &insert, nullptr);
    for (size_t i = 0; i < terms.size(); ++i) {
      sqlite3_bind_text(insert, 1, terms[i].c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_int64(insert, 2, static_cast<sqlite3_int64>(i));
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    std::filesystem::remove(path);
  }
  state.SetItemsProcessed(state.iterations() * terms.size());
}
BENCHMARK(BM_SqliteAddPostings)->Unit(benchmark::kMillisecond);

void BM_SqliteLookupTerms(benchmark::State& state) {
  auto terms = makeTerms(kTerms, 1);
  auto path = scratch("lookup.sqlite");
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_exec(db, "CREATE TABLE postings(term TEXT, id INTEGER, weight REAL);"
                   "CREATE INDEX by_term ON postings(term); BEGIN;",
               nullptr, nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO postings VALUES(?, ?, 1.0)", -1, &insert, nullptr);
  for (size_t i = 0; i < terms.size(); ++i) {
    sqlite3_bind_text(insert, 1, terms[i].c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_int64(insert, 2, static_cast<sqlite3_int64>(i));
    sqlite3_step(insert);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
  sqlite3_stmt* select = nullptr;
  sqlite3_prepare_v2(db, "SELECT id, weight FROM postings WHERE term = ?", -1, &select, nullptr);
  auto probes = makeTerms(10000, 2);
  size_t found = 0;
  for (auto _ : state) {
    for (const auto& probe : probes) {
      sqlite3_bind_text(select, 1, probe.c_str(), -1, SQLITE_STATIC);
      while (sqlite3_step(select) == SQLITE_ROW) ++found;
      sqlite3_reset(select);
    }
  }
  benchmark::DoNotOptimize(found);
  state.SetItemsProcessed(state.iterations() * probes.size());
  sqlite3_finalize(select);
  sqlite3_close(db);
  std::filesystem::remove(path);
}
BENCHMARK(BM_SqliteLookupTerms)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brambel
