// The debug statistics window shows the pools of a running pipeline, keeps
// itself current, and opens on "//debug".
#include <QTreeWidget>

#include "pipeline/content_pipeline.h"
#include "ui/dialogs/debug_statistics_window.h"
#include "ui/main/main_window.h"
#include "ui_test_support.h"

using namespace brambel;
using brambel::testing::UiTestHome;

namespace {

enum Row { kThumb, kRender, kIndex, kSave, kLoad, kSearch };
enum Column { kModule, kThreads, kQueue, kProcessing, kCount };

void queueLoad(ContentPipeline& pipeline, const std::u16string& url) {
  ContentRequest request;
  request.result.url = url;
  pipeline.AddLoad(url, -1, std::move(request), EnqueueMode::kNeverWait, 0);
}

}  // namespace

class DebugStatisticsTest : public QObject {
  Q_OBJECT

 private slots:
  void showsThePoolsAndFollowsThem() {
    UiTestHome home;
    // Without load threads the queued pages stay queued, so the numbers hold still.
    auto lib = home.open([](ProgramSettings& settings) {
      settings.contextThreads = 0;
      settings.thumbThreads = 3;
    });
    QVERIFY(lib);
    ContentPipeline* pipeline = lib->session.document().pipeline();
    QVERIFY(pipeline);
    queueLoad(*pipeline, u"http://site.example.test/a");
    queueLoad(*pipeline, u"http://site.example.test/b");

    DebugStatisticsWindow window(lib->session);
    window.show();
    auto* table = window.findChild<QTreeWidget*>("statistics");
    QStringList modules;
    for (int row = 0; row < table->topLevelItemCount(); ++row) modules.append(table->topLevelItem(row)->text(kModule));
    QCOMPARE(modules, (QStringList{"thumb", "render", "index", "save", "load", "search"}));
    QTreeWidgetItem* load = table->topLevelItem(kLoad);
    QCOMPARE(load->text(kThreads), QStringLiteral("0"));
    QCOMPARE(load->text(kQueue), QStringLiteral("2"));
    QCOMPARE(table->topLevelItem(kIndex)->text(kCount), QStringLiteral("0.000 items/s, 0.000 terms/s"));
    QCOMPARE(table->topLevelItem(kSearch)->text(kThreads), QStringLiteral("0"));

    // The window reads the pools again each second: the queue grows, and the
    // thumbnail workers count once their threads run.
    queueLoad(*pipeline, u"http://site.example.test/c");
    QTRY_COMPARE_WITH_TIMEOUT(load->text(kQueue), QStringLiteral("3"), 10 * DebugStatisticsWindow::kRefreshIntervalMs);
    QTRY_COMPARE_WITH_TIMEOUT(table->topLevelItem(kThumb)->text(kThreads), QStringLiteral("3"),
                              10 * DebugStatisticsWindow::kRefreshIntervalMs);
  }

  void opensOnTheDebugCommand() {
    UiTestHome home;
    auto lib = home.open();
    QVERIFY(lib);
    MainWindow window(lib->session, lib->events, lib->prompter);
    window.show();
    QVERIFY(!window.findChild<DebugStatisticsWindow*>());
    window.startSearch(QStringLiteral("//debug"));
    QTRY_VERIFY(window.findChild<DebugStatisticsWindow*>() && window.findChild<DebugStatisticsWindow*>()->isVisible());
    window.findChild<DebugStatisticsWindow*>()->close();
    QTRY_VERIFY(!window.findChild<DebugStatisticsWindow*>());
    // In the library modes too; the filter terms stay those of the last search.
    window.setSearchMode(static_cast<int>(SearchMode::kFilter));
    window.startSearch(QStringLiteral("camera"));
    window.startSearch(QStringLiteral("//debug"));
    QTRY_VERIFY(window.findChild<DebugStatisticsWindow*>());
    QCOMPARE(lib->session.terms(), std::u16string(u"camera"));
    QCOMPARE(lib->session.mode(), SearchMode::kFilter);
  }
};

QTEST_MAIN(DebugStatisticsTest)
#include "debug_statistics_test.moc"
