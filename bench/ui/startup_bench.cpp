// Start-up of the desktop program on a library of 10,000 saved, permanent
// and indexed documents: from the process's start to its main window shown
// and painted once (the budget is one second). Every sample is a new
// process, as a user's start is; this program runs itself with
// "--startup-child" for that, doing what brambel's main does. The library is
// built once per run with the store's writers and the index writer.
#include <benchmark/benchmark.h>
#include <time.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "index/index_writer.h"
#include "index/main_index.h"
#include "store/content_file.h"
#include "store/library_store.h"
#include "store/source_result_record.h"
#include "store/source_text.h"
#include "tests/support/process.h"
#include "ui/main/desktop_program.h"
#include "ui/main/main_window.h"

namespace {

using namespace brambel;

constexpr int kDocuments = 10000;
constexpr int kSamples = 7;
constexpr char kChildFlag[] = "--startup-child";

int64_t monotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

std::u16string wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

// What brambel's main does up to the first paint of its window; prints the
// milliseconds since `spawnedAt`, then shuts down as the program does.
int runChild(int argc, char** argv) {
  const int64_t spawnedAt = std::stoll(argv[2]);
  const std::filesystem::path directory = argv[3];
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  DesktopProgram program;
  if (!program.session.Open(directory, false)) return 2;
  MainWindow window(program.session, program.events, program.prompter);
  program.showWindow(window);

  // The first paint has ended when the event after it runs.
  struct FirstPaint : QObject {
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint && !seen) {
        seen = true;
        QTimer::singleShot(0, qApp, [this] {
          shownAfterMs = static_cast<double>(monotonicNanoseconds() - spawnedAt) / 1e6;
          QCoreApplication::quit();
        });
      }
      return false;
    }
    int64_t spawnedAt = 0;
    bool seen = false;
    double shownAfterMs = -1;
  } firstPaint;
  firstPaint.spawnedAt = spawnedAt;
  window.installEventFilter(&firstPaint);
  QTimer::singleShot(30000, &app, &QCoreApplication::quit);
  app.exec();
  std::printf("%.3f\n", firstPaint.shownAfterMs);
  std::fflush(stdout);
  program.shutDown(window);
  return firstPaint.shownAfterMs < 0 ? 3 : 0;
}

// A settings home and a library of kDocuments pages, made once.
struct StartupLibrary {
  StartupLibrary() {
    environment = {"XDG_CONFIG_HOME=" + (root() / "config").string(), "XDG_DATA_HOME=" + (root() / "data").string(),
                   "XDG_CACHE_HOME=" + (root() / "cache").string(), "QT_QPA_PLATFORM=offscreen",
                   "QTWEBENGINE_CHROMIUM_FLAGS=--no-sandbox --disable-gpu"};
    for (const std::string& entry : environment) {
      const size_t equals = entry.find('=');
      qputenv(entry.substr(0, equals).c_str(), QByteArray::fromStdString(entry.substr(equals + 1)));
    }
    std::filesystem::create_directories(library());
    std::vector<std::pair<uint32_t, std::u16string>> texts;
    {
      Application application;
      DesktopPrompter prompter(root() / "prefs.ini");
      SessionEvents events;
      LibrarySession session(application, events, prompter);
      if (!session.Open(library(), false)) return;
      std::shared_ptr<LibraryStore> store = session.document().library();
      for (int i = 0; i < kDocuments; ++i) {
        const std::string words = "bramble hedge page " + std::to_string(i) + " blackberry thorn garden note " +
                                  std::to_string(i % 97) + " honey bee fruit";
        SourceResult record;
        record.url = wide("http://site.example.test/notes/" + std::to_string(i));
        record.title = wide("Garden note " + std::to_string(i));
        record.description = wide(words);
        record.loadDate = 1700000000 + i;
        std::optional<uint32_t> id = store->recordIdFor(record.url);
        std::optional<std::filesystem::path> path = id ? store->prepareContentPath(*id) : std::nullopt;
        if (!path) return;
        ContentFile file = ContentFile::openForWriting(*path);
        SourceResultRecord(record).WriteTo(file);
        SourceText("<html><head><title>Garden note</title></head><body><p>" + words + "</p></body></html>").WriteTo(file);
        UrlMarks marks = store->readMarks(record.url);
        marks.setPermanent(true);
        marks.setIndexed(true);
        store->writeMarks(record.url, marks);
        texts.emplace_back(*id, wide(words));
      }
    }
    OpenedMainIndex opened = OpenMainIndex(library(), false, 16384);
    if (!opened.index) return;
    IndexWriter writer(*opened.index);
    for (const auto& [id, text] : texts) writer.addText(id, text);
    built = writer.flush();
  }

  std::filesystem::path root() const { return dir.path().toStdString(); }
  std::filesystem::path library() const { return root() / "library"; }

  QTemporaryDir dir;
  std::vector<std::string> environment;
  bool built = false;
};

std::string selfPath() { return std::filesystem::read_symlink("/proc/self/exe").string(); }

void BM_StartupToShownWindow(benchmark::State& state) {
  static StartupLibrary library;
  if (!library.built) {
    state.SkipWithError("the library could not be built");
    return;
  }
  std::vector<double> samples;
  for (auto _ : state) {
    for (int i = 0; i < kSamples; ++i) {
      testing::ProcessResult child = testing::runProcess(
          selfPath(), {kChildFlag, std::to_string(monotonicNanoseconds()), library.library().string()}, "",
          library.environment);
      if (child.status != 0) {
        state.SkipWithError(("start-up failed: " + child.err.substr(0, 400)).c_str());
        return;
      }
      samples.push_back(std::stod(child.out));
    }
  }
  std::sort(samples.begin(), samples.end());
  state.counters["median_ms"] = samples[samples.size() / 2];
  state.counters["min_ms"] = samples.front();
  state.counters["max_ms"] = samples.back();
  state.counters["documents"] = kDocuments;
}
BENCHMARK(BM_StartupToShownWindow)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], kChildFlag) == 0) return runChild(argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
