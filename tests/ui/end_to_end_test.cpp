// The desktop program end to end: a fresh library searching loopback feeds
// that point at a loopback site, until every tile shows the thumbnail of its
// saved page; then the filter and permanent modes and the mini-browser with
// the terms highlighted. Window grabs go into the build folder for review.
#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QWebEngineView>
#include <fstream>

#include "tests/support/loopback_server.h"
#include "ui/main/main_window.h"
#include "ui/main/search_bar.h"
#include "ui/preview/preview_window.h"
#include "ui/render/preview_steps.h"
#include "ui/results/results_view.h"
#include "ui_test_support.h"

using namespace brambel;
using brambel::testing::LoopbackServer;
using brambel::testing::UiTestHome;

namespace {

const char* const kColours[] = {"#c0392b", "#2980b9", "#27ae60", "#8e44ad", "#d35400", "#16a085"};
const char* const kTopics[] = {"Bramble pruning", "Blackberry jam", "Hedgerow birds",
                               "Thorny shrubs", "Bramble honey", "Wild fruit walks"};

std::string page(int i) {
  return std::string("<html><head><title>") + kTopics[i] + "</title></head><body style='margin:0;font:28px sans-serif'>"
         "<div style='background:" + kColours[i] + ";color:white;padding:40px;height:300px'><h1>" + kTopics[i] +
         "</h1><p>Notes about the bramble, page " + std::to_string(i) + ".</p></div>"
         "<p>The bramble grows along the hedge. A bramble thicket shelters birds; bramble flowers feed bees.</p>"
         "</body></html>";
}

std::string feed() {
  std::string items;
  for (int i = 0; i < 6; ++i)
    items += std::string("<item><title>") + kTopics[i] + "</title><link>http://site.example.test/page" +
             std::to_string(i) + "</link><description>About the bramble, part " + std::to_string(i) +
             "</description></item>";
  return "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Garden notes</title>" + items +
         "</channel></rss>";
}

const char kSet[] =
    "[source]=Garden Notes\r\nrss\r\n\r\nurl=http://feeds.example.test/garden\r\n"
    "[category]=Garden\r\nrss/http://feeds.example.test/garden/\r\n";

void saveGrab(QWidget& widget, const QString& name) {
  widget.grab().save(QStringLiteral(BRAMBEL_BUILD_DIR "/ui-") + name + QStringLiteral(".png"));
}

}  // namespace

class EndToEndTest : public QObject {
  Q_OBJECT

 private slots:
  void searchSaveRenderAndRead() {
    LoopbackServer server;
    server.mapHost("feeds.example.test:80");
    server.mapHost("site.example.test:80");
    server.serve("/garden", feed(), "application/rss+xml");
    for (int i = 0; i < 6; ++i) server.serve("/page" + std::to_string(i), page(i), "text/html");

    UiTestHome home;
    std::filesystem::create_directories(home.library());
    std::ofstream(home.library() / "categories.zcat", std::ios::binary) << kSet;
    auto library = home.make([](ProgramSettings& settings) {
      settings.tileWidth = 200;
      settings.tileHeight = 150;
      settings.previewAnimate = false;
    });
    LibrarySession& session = library->session;
    QtPreviewSteps previews(session, 2);
    session.document().SetPreviewSteps(&previews);
    QVERIFY(session.Open(home.library(), false));
    {
      MainWindow window(session, library->events, library->prompter);
      window.resize(1000, 900);
      window.show();
      window.activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(&window));
      window.applyFrameLayout();

      window.searchBar()->termsBox()->setEditText(QStringLiteral("bramble"));
      QTest::mouseClick(window.findChild<QWidget*>(QStringLiteral("load")), Qt::LeftButton);
      ResultsView* results = window.resultsView();
      QTRY_COMPARE_WITH_TIMEOUT(results->count(), 6, 30000);
      auto thumbnailsShown = [&] {
        for (int i = 0; i < results->count(); ++i)
          if (session.thumbnailPath(results->resultAt(i).record.url).empty()) return false;
        return true;
      };
      QTRY_VERIFY_WITH_TIMEOUT(thumbnailsShown(), 150000);
      QTest::qWait(500);  // thumbnails decode off the GUI thread
      saveGrab(window, QStringLiteral("tiles"));
      QVERIFY(session.holdsPage(results->resultAt(0).record.url));

      // Filter mode narrows the loaded results by the terms.
      QTest::keyClick(&window, Qt::Key_2, Qt::ControlModifier);
      QCOMPARE(session.mode(), SearchMode::kFilter);
      window.startSearch(QStringLiteral("honey"));
      // The loaded results the library knows stay; the one about honey among them.
      auto honey = [&]() -> int {
        for (int i = 0; i < results->count(); ++i)
          if (results->resultAt(i).record.title == u"Bramble honey") return i;
        return -1;
      };
      QTRY_VERIFY_WITH_TIMEOUT(honey() >= 0, 20000);
      QCOMPARE(session.document().filterTerms(), std::u16string(u"honey"));
      const std::u16string kept = results->resultAt(honey()).record.url;
      QVERIFY(session.document().SetPermanent(kept, true));
      saveGrab(window, QStringLiteral("filter"));

      // Permanent mode finds the marked page again through the library, once
      // the background pool (at the lowest priority, slow on a busy machine)
      // has indexed it.
      QTRY_VERIFY_WITH_TIMEOUT(session.document().Marks(kept).isIndexed(), 120000);
      QTest::keyClick(&window, Qt::Key_3, Qt::ControlModifier);
      window.startSearch(QStringLiteral("bramble"));
      QTRY_COMPARE_WITH_TIMEOUT(results->count(), 1, 30000);
      QCOMPARE(results->resultAt(0).record.url, kept);
      // The search bar counts the library's hits.
      auto* caption = window.findChild<QLabel*>(QStringLiteral("countCaption"));
      QVERIFY(caption);
      QTRY_COMPARE_WITH_TIMEOUT(caption->text(), QStringLiteral("1 entry found in library"), 10000);

      // The mini-browser shows the saved copy with the terms highlighted.
      window.setViewMode(0);
      session.settings().termHighlighting = 64;
      const QPoint thumb = [&] {
        for (const HotRegion& region : results->geometryInViewport(0).regions)
          if (region.kind == RegionKind::Preview) return region.rect.center();
        return QPoint();
      }();
      QTest::mouseClick(results->viewport(), Qt::LeftButton, {}, thumb);
      PreviewWindow* preview = window.previewWindow();
      QVERIFY(preview);
      QSignalSpy highlighted(preview, &PreviewWindow::highlighted);
      if (!preview->isHighlighting()) preview->setHighlighting(true);
      QVERIFY(highlighted.wait(20000));
      QCOMPARE(highlighted.last().at(0).toInt(), 5);  // "bramble": the heading and four times in the text
      QVERIFY(preview->view()->url().isLocalFile());
      QTest::qWait(300);
      saveGrab(*preview, QStringLiteral("minibrowser"));
      window.close();
    }
    previews.shutdown();
    session.Close();
  }
};

int main(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  EndToEndTest test;
  return QTest::qExec(&test, argc, argv);
}
#include "end_to_end_test.moc"
