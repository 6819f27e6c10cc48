// The render step: saved pages drawn into 800 x 1024 preview images by the
// render pool's two workers (the default imageThreads), each driving an
// off-screen page on the GUI thread, then encoded and stored. Reported in
// pages per second of wall time. Thumbnails are left queued: they are the
// thumbnail pool's work.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "store/content_file.h"
#include "store/library_store.h"
#include "store/source_result_record.h"
#include "store/source_text.h"
#include "ui/bridge/library_session.h"
#include "ui/bridge/prompter.h"
#include "ui/bridge/session_events.h"
#include "ui/render/preview_steps.h"

namespace {

using namespace brambel;

constexpr int kPages = 24;

std::string pageHtml(int i) {
  std::string html = "<html><head><title>Page " + std::to_string(i) +
                     "</title><style>body{font-family:sans-serif;margin:24px} h1{background:#2a6;color:#fff;padding:12px}"
                     " td{border:1px solid #ccc;padding:4px}</style></head><body><h1>Garden page " +
                     std::to_string(i) + "</h1>";
  for (int p = 0; p < 12; ++p)
    html += "<p>The bramble grows along the hedge; its flowers feed the bees and its fruit the birds. Paragraph " +
            std::to_string(p) + ".</p>";
  html += "<table>";
  for (int r = 0; r < 10; ++r) html += "<tr><td>row " + std::to_string(r) + "</td><td>blackberry</td><td>thorn</td></tr>";
  return html + "</table></body></html>";
}

struct RenderFixture {
  RenderFixture() {
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((root() / "config").string()));
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((root() / "data").string()));
    std::filesystem::create_directories(root() / "bin");
    std::filesystem::create_directories(root() / "library");
    application = std::make_unique<Application>(Application::Options{root() / "bin"});
    application->settings().thumbThreads = 0;
    prompter = std::make_unique<DesktopPrompter>(root() / "prefs.ini");
    session = std::make_unique<LibrarySession>(*application, events, *prompter);
    previews = std::make_unique<QtPreviewSteps>(*session, static_cast<int>(application->settings().imageThreads));
    session->document().SetPreviewSteps(previews.get());
    if (!session->Open(root() / "library", false)) return;
    std::shared_ptr<LibraryStore> store = session->document().library();
    for (int i = 0; i < kPages; ++i) {
      PreviewJob job;
      const std::string url = "http://site.example.test/garden/" + std::to_string(i);
      job.result.url = std::u16string(url.begin(), url.end());
      std::optional<uint32_t> id = store->recordIdFor(job.result.url);
      std::optional<std::filesystem::path> path = id ? store->prepareContentPath(*id) : std::nullopt;
      if (!path) return;
      ContentFile file = ContentFile::openForWriting(*path);
      SourceResultRecord(job.result).WriteTo(file);
      SourceText(pageHtml(i)).WriteTo(file);
      job.documentId = *id;
      jobs.push_back(job);
    }
  }
  ~RenderFixture() {
    previews->shutdown();
    session->Close();
  }

  std::filesystem::path root() const { return dir.path().toStdString(); }

  QTemporaryDir dir;
  std::unique_ptr<Application> application;
  SessionEvents events;
  std::unique_ptr<DesktopPrompter> prompter;
  std::unique_ptr<LibrarySession> session;
  std::unique_ptr<QtPreviewSteps> previews;
  std::vector<PreviewJob> jobs;
};

void BM_RenderStep(benchmark::State& state) {
  RenderFixture fixture;
  ContentPipeline* pipeline = fixture.session->document().pipeline();
  if (fixture.jobs.size() != kPages || !pipeline) {
    state.SkipWithError("the library could not be prepared");
    return;
  }
  ContentPipeline::PreviewPool& render = pipeline->renderPool();
  for (auto _ : state) {
    for (const PreviewJob& job : fixture.jobs) render.add(job.result.url, kNoSearch, job, AddMode::kAlways, 0);
    // The workers wait for the GUI thread, which this loop is.
    while (render.count() != 0 || render.inProgressCount() != 0)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    state.PauseTiming();
    pipeline->thumbPool().purge(-1);
    state.ResumeTiming();
  }
  state.counters["pages_per_s"] =
      benchmark::Counter(static_cast<double>(kPages) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderStep)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

// The application object outlives every page and widget of the benchmark.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Headless runs (as root in CI) need the browser's sandbox and GPU off.
  if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
