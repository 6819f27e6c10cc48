// Painting the results view, one frame at a time (the scrolling budget is
// 16 ms): a full-HD viewport of tiles with thumbnails while scrolling, and a
// 4K viewport of small tiles that shows all 200 results at once.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QScrollBar>

#include "app/application.h"
#include "ui/bridge/library_session.h"
#include "ui/bridge/prompter.h"
#include "ui/bridge/session_events.h"
#include "ui/results/results_view.h"
#include "ui/results/thumbnail_cache.h"

namespace {

using namespace brambel;

constexpr int kResults = 200;

// One program with an open library and a results view of 200 tiles whose
// thumbnails are decoded and cached.
struct PaintFixture {
  PaintFixture() {
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((root() / "config").string()));
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((root() / "data").string()));
    std::filesystem::create_directories(root() / "bin");
    std::filesystem::create_directories(root() / "library");
    application = std::make_unique<Application>(Application::Options{root() / "bin"});
    prompter = std::make_unique<DesktopPrompter>(root() / "prefs.ini");
    session = std::make_unique<LibrarySession>(*application, events, *prompter);
    session->Open(root() / "library", false);
    QImage thumbnail(256, 192, QImage::Format_RGB32);
    thumbnail.fill(QColor(40, 120, 200));
    QPainter(&thumbnail).drawText(thumbnail.rect(), Qt::AlignCenter, QStringLiteral("thumbnail"));
    thumbnailFile = QString::fromStdString((root() / "thumb.jpg").string());
    thumbnail.save(thumbnailFile);

    view = std::make_unique<ResultsView>(*session, *prompter);
    view->setThumbnailLookup([this](const QString&) { return thumbnailFile; });
    std::vector<DisplayedResult> results(kResults);
    for (int i = 0; i < kResults; ++i) {
      const std::string url = "http://site.example.test/a/rather/long/path/to/page" + std::to_string(i);
      results[i].record.url = std::u16string(url.begin(), url.end());
      results[i].record.title = u"A result title that is long enough to need fitting into its tile";
      results[i].record.description = u"The snippet of the page, as its source described it.";
      results[i].record.sources = {u"rss/http://feeds.example.test/a/", u"rss/http://feeds.example.test/b/"};
      results[i].record.loadDate = 1700000000 + i;
      results[i].score = 1000 - i;
    }
    view->setResults(std::move(results));
  }

  std::filesystem::path root() const { return dir.path().toStdString(); }

  // Paints the viewport into an image of its size, as one frame.
  void paintFrame(QImage& target) { view->viewport()->render(&target); }

  QTemporaryDir dir;
  std::unique_ptr<Application> application;
  SessionEvents events;
  std::unique_ptr<DesktopPrompter> prompter;
  std::unique_ptr<LibrarySession> session;
  QString thumbnailFile;
  std::unique_ptr<ResultsView> view;
};

// Made on first use and gone before the application object (main below):
// widgets must not outlive it.
std::unique_ptr<PaintFixture> paintFixture;

PaintFixture& fixture() {
  if (!paintFixture) paintFixture = std::make_unique<PaintFixture>();
  return *paintFixture;
}

// Sizes the view and paints until every visible thumbnail is decoded.
void prepare(PaintFixture& paint, QSize size, QImage& target) {
  paint.view->resize(size);
  paint.view->show();
  target = QImage(paint.view->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
  for (int round = 0; round < 50; ++round) {
    paint.paintFrame(target);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
}

void BM_PaintVisibleTiles(benchmark::State& state) {
  PaintFixture& paint = fixture();
  QImage target;
  prepare(paint, QSize(1920, 1080), target);
  QScrollBar* scroll = paint.view->verticalScrollBar();
  int step = 0;
  for (auto _ : state) {
    // Scrolling: each frame moves a little further down the list.
    scroll->setValue((step++ * 37) % std::max(1, scroll->maximum()));
    paint.paintFrame(target);
  }
  state.counters["tiles_per_frame"] = benchmark::Counter(
      paint.view->currentLayout().visibleRange(0, 1080, kResults).second);
}
BENCHMARK(BM_PaintVisibleTiles)->Unit(benchmark::kMillisecond);

// A 4K viewport of small tiles (128 x 96) shows all 200 results in one frame.
void BM_Paint200TilesPerFrame(benchmark::State& state) {
  PaintFixture& paint = fixture();
  ProgramSettings& settings = paint.session->settings();
  const ProgramSettings before = settings;
  settings.tileWidth = 128;
  settings.tileHeight = 96;
  paint.view->relayout();
  QImage target;
  prepare(paint, QSize(3840, 2160), target);
  paint.view->verticalScrollBar()->setValue(0);
  for (auto _ : state) paint.paintFrame(target);
  auto [first, last] = paint.view->currentLayout().visibleRange(0, paint.view->viewport()->height(), kResults);
  state.counters["tiles_per_frame"] = benchmark::Counter(last - first);
  settings = before;
  paint.view->relayout();
}
BENCHMARK(BM_Paint200TilesPerFrame)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  paintFixture.reset();
  return 0;
}
