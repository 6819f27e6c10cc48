// The batched index writer against SQLite FTS5, in one process on the same
// documents: five rounds that alternate the two engines, so that the load of
// a shared machine falls on both alike. Reported per corpus: documents per
// second (wall and processor time, medians) and the ratio to FTS5 (median of
// the per-round ratios), size on disk, peak resident memory the indexing
// added, and two-term AND query and prefix completion latency on the
// indexes of the last round.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <time.h>

#include <fstream>
#include <sstream>

#include "bench/index/bench_corpus.h"
#include "bench/index/fts5_database.h"
#include "index/index_query.h"
#include "index/index_writer.h"
#include "index/main_index.h"

namespace brambel::bench {
namespace {

constexpr int kRounds = 5;
constexpr uint32_t kCacheKb = 16384;

std::filesystem::path workPath(const Corpus& corpus, const char* engine) {
  return std::filesystem::temp_directory_path() / ("brambel-bench-writer-" + corpus.name + "-" + engine);
}

// "VmRSS" or "VmHWM" of this process, in bytes.
uint64_t statusBytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ":", 0) == 0) return std::stoull(line.substr(field.size() + 1)) * 1024;
  }
  return 0;
}

// Lets the next peak reading start from the present resident size.
void resetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

double processSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return now.tv_sec + now.tv_nsec / 1e9;
}

std::string loadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one;
  in >> one;
  return one;
}

struct Run {
  double wall = 0, cpu = 0;
  uint64_t size = 0;
  double peakMb = 0;
};

template <typename Build>
Run measure(Build&& build, const std::filesystem::path& path) {
  Run run;
  std::filesystem::remove_all(path);
  // Memory freed by the previous run goes back first, so that reuse of it does not hide this run's peak.
  malloc_trim(0);
  resetPeak();
  const uint64_t before = statusBytes("VmRSS");
  const double cpu = processSeconds();
  run.wall = microsecondsOf(build) / 1e6;
  run.cpu = processSeconds() - cpu;
  run.peakMb = (static_cast<double>(statusBytes("VmHWM")) - static_cast<double>(before)) / 1048576.0;
  run.size = sizeOnDisk(path);
  return run;
}

void buildWithWriter(const Corpus& corpus, const std::filesystem::path& directory) {
  OpenedMainIndex opened = OpenMainIndex(directory, false, kCacheKb);
  IndexWriter writer(*opened.index);
  for (size_t i = 0; i < corpus.documents.size(); ++i) writer.addText(static_cast<uint32_t>(i + 1), corpus.documents[i]);
  writer.flush();
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void writerAgainstFts5(benchmark::State& state, const Corpus& corpus) {
  const std::filesystem::path ours = workPath(corpus, "ours");
  const std::filesystem::path fts5 = workPath(corpus, "fts5.db");
  std::vector<double> ourRate, theirRate, ourCpuRate, theirCpuRate, ratio, cpuRatio;
  Run ourRun, theirRun;
  const double documents = static_cast<double>(corpus.documents.size());
  const std::string loadBefore = loadAverage();
  for (auto _ : state) {
    for (int round = 0; round < kRounds; ++round) {
      // Who goes first alternates as well.
      auto runOurs = [&] { ourRun = measure([&] { buildWithWriter(corpus, ours); }, ours); };
      auto runTheirs = [&] { theirRun = measure([&] { buildFts5Database(corpus, fts5); }, fts5); };
      if (round % 2 == 0) {
        runOurs();
        runTheirs();
      } else {
        runTheirs();
        runOurs();
      }
      ourRate.push_back(documents / ourRun.wall);
      theirRate.push_back(documents / theirRun.wall);
      ourCpuRate.push_back(documents / ourRun.cpu);
      theirCpuRate.push_back(documents / theirRun.cpu);
      ratio.push_back(theirRun.wall / ourRun.wall);
      cpuRatio.push_back(theirRun.cpu / ourRun.cpu);
    }
  }
  state.counters["ours_docs_per_s"] = median(ourRate);
  state.counters["fts5_docs_per_s"] = median(theirRate);
  state.counters["ratio_wall"] = median(ratio);
  state.counters["ours_cpu_docs_per_s"] = median(ourCpuRate);
  state.counters["fts5_cpu_docs_per_s"] = median(theirCpuRate);
  state.counters["ratio_cpu"] = median(cpuRatio);
  state.counters["ours_MB"] = ourRun.size / 1048576.0;
  state.counters["fts5_MB"] = theirRun.size / 1048576.0;
  state.counters["size_ratio"] = static_cast<double>(ourRun.size) / static_cast<double>(theirRun.size);
  state.counters["ours_peak_MB"] = ourRun.peakMb;
  state.counters["fts5_peak_MB"] = theirRun.peakMb;

  // Queries and completions on what the last round built: three passes,
  // the last one counts (as in the engines' own benchmarks).
  IndexFile index(ours / kMainIndexFileName, 0, mainIndexOptions(true, kCacheKb));
  std::vector<double> ourQueries, ourCompletions, theirQueries, theirCompletions;
  size_t hits = 0;
  for (int pass = 0; pass < 3; ++pass) {
    ourQueries.clear();
    ourCompletions.clear();
    for (const auto& [first, second] : corpus.andQueries) {
      const std::vector<std::u16string> terms{toWide(first, kCodePageUtf8), toWide(second, kCodePageUtf8)};
      std::vector<ScoredHit> found;
      ourQueries.push_back(microsecondsOf([&] { QueryIndex(index, terms, found, 100); }));
    }
    for (const std::string& prefix : corpus.prefixes) {
      const std::u16string wide = toWide(prefix, kCodePageUtf8);
      ourCompletions.push_back(microsecondsOf([&] { benchmark::DoNotOptimize(ListStoredTerms(index, wide, 10)); }));
    }
    theirQueries = fts5AndQueries(corpus, fts5, hits);
    theirCompletions = fts5PrefixCompletions(corpus, fts5);
  }
  const Latency ourQuery = latencyOf(ourQueries), ourCompletion = latencyOf(ourCompletions);
  const Latency theirQuery = latencyOf(theirQueries), theirCompletion = latencyOf(theirCompletions);
  state.counters["ours_and_median_us"] = ourQuery.median;
  state.counters["ours_and_p95_us"] = ourQuery.p95;
  state.counters["fts5_and_median_us"] = theirQuery.median;
  state.counters["fts5_and_p95_us"] = theirQuery.p95;
  state.counters["ours_prefix_median_us"] = ourCompletion.median;
  state.counters["ours_prefix_p95_us"] = ourCompletion.p95;
  state.counters["fts5_prefix_median_us"] = theirCompletion.median;
  state.counters["fts5_prefix_p95_us"] = theirCompletion.p95;
  state.SetLabel("load " + loadBefore + " -> " + loadAverage());
}

[[maybe_unused]] const bool registered = [] {
  for (auto corpus : {&pythonDocs, &generated}) {
    const std::string name = corpus == &pythonDocs ? "python_docs" : "generated";
    benchmark::RegisterBenchmark(("writerAgainstFts5/" + name).c_str(),
                                 [=](benchmark::State& s) { writerAgainstFts5(s, corpus()); })
        ->Iterations(1)
        ->Unit(benchmark::kSecond);
  }
  return true;
}();

}  // namespace
}  // namespace brambel::bench
