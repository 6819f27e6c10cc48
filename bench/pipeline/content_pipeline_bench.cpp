// The content pipeline end to end: 1,000 pages of the loopback documentation
// site loaded, rewritten, saved and indexed into a fresh library with the
// default thread counts. Counters: pages per second (wall time) and CPU
// milliseconds per page (the whole process, so the loopback server's share is
// included). Beside it, wget fetching the same 1,000 URLs one after another
// from the same server, as the floor of plain fetching on this machine.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "index/main_index.h"
#include "pipeline/content_pipeline.h"
#include "sources/page_text.h"
#include "store/index_file.h"
#include "store/library_store.h"
#include "store/source_index.h"
#include "tests/support/doc_site.h"
#include "tests/support/temp_dir.h"

namespace brambel {
namespace {

constexpr size_t kPages = 1000;

double processCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double childrenCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Site {
  testing::LoopbackServer server;
  testing::DocSite site{server};
  std::vector<std::string> urls = site.pageUrls(kPages);
};

Site& site() {
  static Site shared;
  return shared;
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
    testing::TempDir dir;
    LibraryStore store(dir.path(), false);
    std::unique_ptr<IndexFile> index = OpenMainIndex(dir.path(), false, 0).index;
    SourceIndex sources(dir.path());
    PipelineLibrary library;
    library.store = &store;
    library.mainIndex = index.get();
    library.sourceIndex = &sources;
    library.settings.minSpaceThreshold = 0;
    ContentPipeline pipeline(std::move(library));

    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = processCpuSeconds();
    pipeline.start();
    for (const std::string& url : loopback.urls) {
      const std::u16string key = fromUtf8(url);
      ContentRequest request;
      request.result.url = key;
      request.sourceIds = {u"feed/docs"};
      pipeline.AddLoad(key, kNoSearch, std::move(request), EnqueueMode::kWaitForRoom, 0);
    }
    if (!pipeline.waitUntilIdle(std::chrono::minutes(10))) state.SkipWithError("the pipeline did not drain");
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = processCpuSeconds() - cpuStart;
    state.SetIterationTime(wall);
    setCounters(state, wall, cpu);
    size_t saved = 0;
    for (const std::string& url : loopback.urls) saved += store.readMarks(fromUtf8(url)).isIndexed() ? 1 : 0;
    state.counters["indexed"] = static_cast<double>(saved);
    pipeline.stop();
  }
}
BENCHMARK(BM_PipelineLoadSaveIndex)->Iterations(1)->Repetitions(3)->UseManualTime()->Unit(benchmark::kSecond);

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
