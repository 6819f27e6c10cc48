// The content pipeline end to end: 1,000 pages of the loopback documentation
// site loaded, rewritten, saved and indexed into a fresh library with the
// default thread counts. Counters: pages per second (wall time) and CPU
// milliseconds per page (the whole process, so the loopback server's share is
// included). Beside it, wget fetching the same 1,000 URLs one after another
// from the same server, as the floor of plain fetching on this machine; and
// how long a search started while the pipeline saves those pages takes to
// show its first merged result.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "index/main_index.h"
#include "pipeline/content_pipeline.h"
#include "search/result_merge.h"
#include "search/search_run.h"
#include "sources/page_text.h"
#include "store/index_file.h"
#include "store/library_store.h"
#include "store/source_index.h"
#include "tests/search/line_source.h"
#include "tests/support/doc_site.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

using namespace std::chrono_literals;

constexpr size_t kPages = 1000;
constexpr size_t kSearchResults = 20;
constexpr char kSearchHost[] = "search.bench.test:80";

double seconds(const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; }

double processCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double childrenCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The site, plus a search service whose one page lists further pages of it.
struct Site {
  Site() {
    const std::vector<std::string> all = site.pageUrls(kPages + kSearchResults);
    urls.assign(all.begin(), all.begin() + kPages);
    std::string lines;
    for (size_t i = kPages; i < all.size(); ++i) lines += "ITEM " + all[i] + " result " + std::to_string(i) + "\n";
    server.serve("/lines", lines, "text/plain");
    server.mapHost(kSearchHost);
  }
  testing::LoopbackServer server;
  testing::DocSite site{server};
  std::vector<std::string> urls;
};

Site& site() {
  static Site shared;
  return shared;
}

// A fresh library in a temporary directory with its pipeline (default thread counts).
struct BenchLibrary {
  BenchLibrary() {
    PipelineLibrary library;
    library.store = &store;
    library.mainIndex = index.get();
    library.sourceIndex = &sources;
    library.settings.minSpaceThreshold = 0;
    pipeline = std::make_unique<ContentPipeline>(std::move(library));
  }
  void loadAll(const std::vector<std::string>& urls) {
    for (const std::string& url : urls) {
      const std::u16string key = fromUtf8(url);
      ContentRequest request;
      request.result.url = key;
      request.sourceIds = {u"feed/docs"};
      pipeline->AddLoad(key, kNoSearch, std::move(request), EnqueueMode::kWaitForRoom, 0);
    }
  }
  size_t indexed(const std::vector<std::string>& urls) const {
    size_t count = 0;
    for (const std::string& url : urls) count += store.readMarks(fromUtf8(url)).isIndexed() ? 1 : 0;
    return count;
  }

  testing::TempDir dir;
  LibraryStore store{dir.path(), false};
  std::unique_ptr<IndexFile> index = OpenMainIndex(dir.path(), false, 0).index;
  SourceIndex sources{dir.path()};
  std::unique_ptr<ContentPipeline> pipeline;
};

// CPU seconds used so far by the live threads named `name` (the worker
// pools name their threads after themselves).
double threadCpuSeconds(const std::string& name) {
  double total = 0;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    std::ifstream comm(task.path() / "comm");
    std::string taskName;
    if (!std::getline(comm, taskName) || taskName != name) continue;
    std::ifstream statFile(task.path() / "stat");
    std::string stat((std::istreambuf_iterator<char>(statFile)), std::istreambuf_iterator<char>());
    // Fields after the parenthesised name: state is field 3, utime 14, stime 15.
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int number = 3; number <= 15 && fields >> field; ++number)
      if (number >= 14) ticks += std::stod(field);
    total += ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
  }
  return total;
}

void setCounters(benchmark::State& state, double wallSeconds, double cpuSeconds) {
  state.counters["pages_per_s"] = kPages / wallSeconds;
  state.counters["cpu_ms_per_page"] = cpuSeconds * 1000 / kPages;
}

void BM_PipelineLoadSaveIndex(benchmark::State& state) {
  if (!testing::DocSite::available()) {
    state.SkipWithError("python3.11-doc is not installed");
    return;
  }
  Site& loopback = site();
  for (auto _ : state) {
    BenchLibrary library;
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = processCpuSeconds();
    library.pipeline->start();
    library.loadAll(loopback.urls);
    if (!library.pipeline->waitUntilIdle(10min)) state.SkipWithError("the pipeline did not drain");
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = processCpuSeconds() - cpuStart;
    state.SetIterationTime(wall);
    setCounters(state, wall, cpu);
    // The save pool's one thread is the pipeline's narrowest stage.
    state.counters["save_cpu_ms_per_page"] = threadCpuSeconds("save") * 1000 / kPages;
    state.counters["index_cpu_ms_per_page"] =
        (threadCpuSeconds("index") + threadCpuSeconds(MainIndexBatch::kTimerThreadName)) * 1000 / kPages;
    state.counters["indexed"] = static_cast<double>(library.indexed(loopback.urls));
    library.pipeline->stop();
  }
}
BENCHMARK(BM_PipelineLoadSaveIndex)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kSecond);

// A search over one source whose answer lists 20 more pages of the site,
// started once the pipeline has saved 100 of the 1,000 pages: the time from
// starting it until merging its raw results first yields an entry.
void BM_FirstResultWhileSaving(benchmark::State& state) {
  if (!testing::DocSite::available()) {
    state.SkipWithError("python3.11-doc is not installed");
    return;
  }
  Site& loopback = site();
  auto source = std::make_shared<testing::LineSource>(u"lines", u"search.bench.test", u"/lines");
  const std::u16string sourceId = source->GetInstanceId();
  for (auto _ : state) {
    BenchLibrary library;
    library.pipeline->start();
    library.loadAll(loopback.urls);
    while (library.pipeline->savePool().statistics().handled < 100) std::this_thread::sleep_for(1ms);

    SearchRun run(SearchRunOptions{});
    run.SetSources({{sourceId, source}});
    run.SetContentHandoff(library.pipeline.get());
    const auto start = std::chrono::steady_clock::now();
    run.RunSearch(u"python", true, 1, {sourceId});
    bool found = false;
    while (!found && std::chrono::steady_clock::now() - start < 60s) {
      found = !MergeLoadedResults(run.RawResults(), {}).empty();
      if (!found) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    if (!found) state.SkipWithError("the search returned nothing");
    state.SetIterationTime(std::chrono::duration<double>(elapsed).count());
    state.counters["saved_when_found"] = static_cast<double>(library.pipeline->savePool().statistics().handled);
    run.StopSearch();
    run.WaitUntilIdle(10s);
    library.pipeline->stop();
  }
}
BENCHMARK(BM_FirstResultWhileSaving)->Iterations(1)->Repetitions(5)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_WgetSequential(benchmark::State& state) {
  if (!testing::DocSite::available() || std::system("command -v wget >/dev/null") != 0) {
    state.SkipWithError("python3.11-doc or wget is missing");
    return;
  }
  Site& loopback = site();
  testing::TempDir dir;
  const std::filesystem::path list = dir.file("urls.txt");
  {
    std::ofstream out(list);
    for (const std::string& url : loopback.urls) out << url << "\n";
  }
  const std::string command = "wget -q -O /dev/null -i " + list.string();
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = processCpuSeconds() + childrenCpuSeconds();
    if (std::system(command.c_str()) != 0) state.SkipWithError("wget failed");
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(wall);
    setCounters(state, wall, processCpuSeconds() + childrenCpuSeconds() - cpuStart);
  }
}
BENCHMARK(BM_WgetSequential)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
}  // namespace brambel
