// The library's per-URL marks file (k = 32, t = 10, 28-byte values) against
// SQLite holding the same pairs, and content file section round trips.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "store/content_file.h"
#include "store/key_value_file.h"
#include "store/library_store.h"
#include "store/source_result_record.h"
#include "store/source_text.h"

namespace brambel {
namespace {

std::filesystem::path scratch(const std::string& name) {
  return std::filesystem::temp_directory_path() / ("brambel_bench_" + std::to_string(::getpid()) + "_" + name);
}

std::vector<std::string> markKeys(size_t count) {
  std::mt19937 random(11);
  std::vector<std::string> keys;
  for (size_t i = 0; i < count; ++i) {
    const std::string url = "http://www.site" + std::to_string(random() % 5000) + ".example.com/articles/" +
                            std::to_string(random()) + ".html";
    keys.push_back(LibraryStore::markKey(std::u16string(url.begin(), url.end())));
  }
  return keys;
}

KeyValueFile::Options libraryGeometry() {
  KeyValueFile::Options options;
  options.keyLength = LibraryStore::kMarksKeyLength;
  options.minimumDegree = LibraryStore::kMarksMinimumDegree;
  return options;
}

const std::string kMarks(28, '\x01');

void BM_MarksPut(benchmark::State& state) {
  const auto keys = markKeys(static_cast<size_t>(state.range(0)));
  const auto path = scratch("put.zurl");
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(path);
    KeyValueFile file(path, libraryGeometry());
    state.ResumeTiming();
    for (const auto& key : keys) file.Put(key, kMarks);
  }
  std::filesystem::remove(path);
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_MarksPut)->Arg(2000)->Unit(benchmark::kMillisecond);

void BM_MarksGet(benchmark::State& state) {
  const auto keys = markKeys(20000);
  const auto path = scratch("get.zurl");
  std::filesystem::remove(path);
  KeyValueFile file(path, libraryGeometry());
  for (const auto& key : keys) file.Put(key, kMarks);
  size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(file.Get(keys[next]));
    next = (next + 7919) % keys.size();
  }
  std::filesystem::remove(path);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MarksGet);

// The same pairs in SQLite: one table with the key as primary key, the
// connection kept open, one prepared lookup per key.
void BM_SqliteMarksGet(benchmark::State& state) {
  const auto keys = markKeys(20000);
  const auto path = scratch("get.sqlite");
  std::filesystem::remove(path);
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_exec(db, "CREATE TABLE marks(key BLOB PRIMARY KEY, value BLOB) WITHOUT ROWID; BEGIN", nullptr, nullptr,
               nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT OR REPLACE INTO marks VALUES(?, ?)", -1, &insert, nullptr);
  for (const auto& key : keys) {
    sqlite3_bind_blob(insert, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
    sqlite3_bind_blob(insert, 2, kMarks.data(), static_cast<int>(kMarks.size()), SQLITE_STATIC);
    sqlite3_step(insert);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_stmt* select = nullptr;
  sqlite3_prepare_v2(db, "SELECT value FROM marks WHERE key = ?", -1, &select, nullptr);
  size_t next = 0;
  for (auto _ : state) {
    sqlite3_bind_blob(select, 1, keys[next].data(), static_cast<int>(keys[next].size()), SQLITE_STATIC);
    if (sqlite3_step(select) == SQLITE_ROW) benchmark::DoNotOptimize(sqlite3_column_blob(select, 0));
    sqlite3_reset(select);
    next = (next + 7919) % keys.size();
  }
  sqlite3_finalize(select);
  sqlite3_close(db);
  std::filesystem::remove(path);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SqliteMarksGet);

void BM_MarksWalk(benchmark::State& state) {
  const auto keys = markKeys(20000);
  const auto path = scratch("walk.zurl");
  std::filesystem::remove(path);
  KeyValueFile file(path, libraryGeometry());
  for (const auto& key : keys) file.Put(key, kMarks);
  for (auto _ : state) {
    size_t count = 0;
    file.Walk([&](std::string_view, std::string_view) { return ++count, true; });
    benchmark::DoNotOptimize(count);
  }
  std::filesystem::remove(path);
  state.SetItemsProcessed(state.iterations() * keys.size());
}
BENCHMARK(BM_MarksWalk)->Unit(benchmark::kMillisecond);

// Saving a document's result record and 100 KB page, then reading both back.
void BM_ContentFileRoundTrip(benchmark::State& state) {
  std::mt19937 random(5);
  std::string page;
  while (page.size() < 100000) page += "<p>word" + std::to_string(random() % 3000) + " text</p>\n";
  SourceResult result;
  result.url = u"http://example.org/page.html";
  result.title = u"A page";
  const auto path = scratch("doc.zdoc");
  for (auto _ : state) {
    std::filesystem::remove(path);
    {
      auto file = ContentFile::openForWriting(path);
      SourceResultRecord(result).WriteTo(file);
      SourceText(page).WriteTo(file);
    }
    auto file = ContentFile::openForReading(path);
    SourceResultRecord record;
    SourceText text;
    benchmark::DoNotOptimize(record.ReadFrom(file) && text.ReadFrom(file));
  }
  std::filesystem::remove(path);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_ContentFileRoundTrip)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brambel
