// Thumbnail sizes, the preview overlay, the render step's preview and possible-crash flag, encoders, the second-instance handshake and the render
// time-out with a page that never completes.
#include <QImageReader>
#include <QLocalServer>
#include <QSignalSpy>
#include <QtConcurrent>

#include "tests/support/loopback_server.h"
#include "ui/main/instance_channel.h"
#include "ui/render/image_encoder.h"
#include "ui/render/possible_crash_mark.h"
#include "ui/render/preview_image_view.h"
#include "ui/render/preview_overlay.h"
#include "ui/render/preview_steps.h"
#include "ui/render/thumbnail_maker.h"
#include "ui_test_support.h"

using namespace brambel;
using brambel::testing::LoopbackServer;
using brambel::testing::UiTestHome;
using brambel::testing::storePage;

class RenderTest : public QObject {
  Q_OBJECT

 private slots:
  void thumbnailsFitTheirBox() {
    const QSize image(400, 300);
    QCOMPARE(*thumbnailSize(image, 100, 100), QSize(100, 75));
    QCOMPARE(*thumbnailSize(image, 100, 0), QSize(100, 75));
    QCOMPARE(*thumbnailSize(image, 1000, 1000), QSize(1000, 750));
    QCOMPARE(*thumbnailSize(image, -1, 5), QSize(400, 300));
    QCOMPARE(*thumbnailSize(QSize(300, 400), 100, 100), QSize(75, 100));
    QVERIFY(!thumbnailSize(QSize(3, 1000), 100, 100));  // 0 pixels wide: no thumbnail
    QVERIFY(!thumbnailSize(QSize(0, 10), 100, 100));
    QVERIFY(!thumbnailSize(image, 0, 100));
    QImage picture(400, 300, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QCOMPARE(makeThumbnail(picture, 100, 100).size(), QSize(100, 75));
  }

  void thePreviewOverlayCrossesThePictureAt45Degrees() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("preview.png"));
    QImage white(400, 400, QImage::Format_RGB32);
    white.fill(Qt::white);
    QVERIFY(white.save(path));
    PreviewImageView view;
    view.resize(400, 400);
    QSignalSpy shown(&view, &PreviewImageView::imageShown);
    // The lines' extent: unrotated they would be a short, wide band.
    auto drawnExtent = [&view] {
      const QImage frame = view.grab().toImage();
      QRect extent;
      for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
          if (frame.pixel(x, y) != qRgb(255, 255, 255)) extent |= QRect(x, y, 1, 1);
      return extent;
    };
    view.showImage(path, true);
    QVERIFY(shown.wait(5000));
    QVERIFY(view.hasImage());
    const QRect overlay = drawnExtent();
    QVERIFY2(overlay.width() > 200 && overlay.height() > overlay.width() * 3 / 4,
             qPrintable(QStringLiteral("%1x%2").arg(overlay.width()).arg(overlay.height())));
    view.showImage(path, false);
    QVERIFY(shown.wait(5000));
    QVERIFY(drawnExtent().isEmpty());
    view.showImage(dir.filePath(QStringLiteral("missing.png")), true);
    QVERIFY(shown.wait(5000));
    QVERIFY(!view.hasImage());

    const QDateTime made(QDate(2024, 3, 5), QTime(14, 30));
    QCOMPARE(previewOverlayText(made, QLocale::c()),
             QStringLiteral("Brambel Preview\n") + QLocale::c().toString(made, QLocale::ShortFormat));
  }

  void encodersAreFoundByExactMimeType() {
    std::optional<ImageEncoder> jpeg = encoderForMimeType(QStringLiteral("image/jpeg"));
    QVERIFY(jpeg);
    QCOMPARE(jpeg->extension, QStringLiteral("jpg"));
    QCOMPARE(encoderForMimeType(QStringLiteral("image/png"))->extension, QStringLiteral("png"));
    QVERIFY(!encoderForMimeType(QStringLiteral("image/JPEG ")));
    QVERIFY(!encoderForMimeType(QStringLiteral("text/html")));
  }

  void aSecondInstanceRaisesTheFirst() {
    UiTestHome home;
    InstanceChannel first(home.library());
    QVERIFY(first.listen());
    QSignalSpy raised(&first, &InstanceChannel::raiseRequested);
    InstanceChannel second(home.library());
    QCOMPARE(second.name(), first.name());
    QVERIFY(second.name() != InstanceChannel::nameFor(home.library("Other")));
    // The second instance blocks while it asks; the first answers on its event loop.
    QFuture<bool> answer = QtConcurrent::run([&second] { return second.askToRaise(); });
    QTRY_VERIFY(answer.isFinished());
    QVERIFY(answer.result());
    QCOMPARE(raised.size(), 1);
    QVERIFY(!InstanceChannel(home.library("Other")).instanceRunning());
    // A name left behind by an instance that died is taken over.
    QLocalServer stale;
    QVERIFY(stale.listen(InstanceChannel::nameFor(home.library("Stale"))));
    stale.close();
    InstanceChannel taker(home.library("Stale"));
    QVERIFY(taker.listen());
  }

  void aRenderStoresAPreviewAndAThumbnailFittedToTheTile() {
    UiTestHome home;
    auto library = home.open([](ProgramSettings& settings) {
      settings.imageThreads = settings.thumbThreads = 0;  // the test runs the steps itself
      settings.tileWidth = 200;
      settings.tileHeight = 150;
    });
    QVERIFY(library);
    LibrarySession& session = library->session;
    QtPreviewSteps previews(session, 1);
    PreviewJob job;
    job.result.url = u"http://site.example.test/page";
    job.documentId = storePage(session, job.result.url, "<html><body style='background:#0a0'>page</body></html>");
    QVERIFY(job.documentId != 0);
    std::shared_ptr<LibraryStore> store = session.document().library();

    QFuture<void> render = QtConcurrent::run([&] { previews.Render(job); });
    // The page is flagged while it is drawn, and no longer once its preview is stored.
    QTRY_VERIFY_WITH_TIMEOUT(PossibleCrashMark::isSet(*store, job.documentId) || render.isFinished(), 30000);
    QVERIFY(!render.isFinished());
    QTRY_VERIFY_WITH_TIMEOUT(render.isFinished(), 30000);
    QVERIFY(!PossibleCrashMark::isSet(*store, job.documentId));
    const QString preview = previews.previewPath(job.documentId);
    QVERIFY(!preview.isEmpty());
    QCOMPARE(QImageReader(preview).size(), QSize(800, 1024));
    QVERIFY(session.document().pipeline()->thumbPool().isQueued(job.result.url));

    // An 800 x 1024 page fitted into a 200 x 150 tile: the full height.
    previews.Thumbnail(job);
    const QString thumbnail = QString::fromStdString(session.thumbnailPathFor(job.documentId).string());
    QCOMPARE(QImageReader(thumbnail).size(), QSize(117, 150));
    session.settings().tileWidth = session.settings().tileHeight = 256;
    previews.Thumbnail(job);
    QCOMPARE(QImageReader(thumbnail).size(), QSize(200, 256));
    previews.shutdown();
  }

  void backToBackRendersAreEachCaptured() {
    // A page's next load starts while its blank page is still loading; the
    // reports of the two must not be mixed up (a render then waited for its
    // time-out and got no picture).
    UiTestHome home;
    auto library = home.open([](ProgramSettings& settings) { settings.imageThreads = settings.thumbThreads = 0; });
    QVERIFY(library);
    QtPreviewSteps previews(library->session, 2);
    std::string page = "<html><head><style>h1{background:#2a6;color:#fff} td{border:1px solid #ccc}</style></head><body>";
    for (int p = 0; p < 40; ++p) page += "<h1>Heading</h1><p>The bramble grows along the hedge.</p><table><tr><td>row</td></tr></table>";
    page += "</body></html>";
    std::vector<PreviewJob> jobs(12);
    for (size_t i = 0; i < jobs.size(); ++i) {
      jobs[i].result.url = u"http://site.example.test/" + std::u16string(1, u'a' + i);
      jobs[i].documentId = storePage(library->session, jobs[i].result.url, page);
      QVERIFY(jobs[i].documentId != 0);
    }
    // Two workers, as the render pool has by default.
    auto work = [&](size_t first) {
      int captured = 0;
      for (size_t i = first; i < jobs.size(); i += 2) captured += previews.capture(jobs[i]).isNull() ? 0 : 1;
      return captured;
    };
    QFuture<int> even = QtConcurrent::run(work, 0);
    QFuture<int> odd = QtConcurrent::run(work, 1);
    QTRY_VERIFY_WITH_TIMEOUT(even.isFinished() && odd.isFinished(), 4 * QtPreviewSteps::kRenderTimeoutMs);
    QCOMPARE(even.result() + odd.result(), 12);
    previews.shutdown();
  }

  void aPageFlaggedByAnEarlierRunIsNotRenderedAgain() {
    UiTestHome home;
    auto library = home.open([](ProgramSettings& settings) { settings.imageThreads = settings.thumbThreads = 0; });
    QVERIFY(library);
    QtPreviewSteps previews(library->session, 1);
    PreviewJob job;
    job.result.url = u"http://site.example.test/crashed";
    job.documentId = storePage(library->session, job.result.url, "<html><body>page</body></html>", true);
    QVERIFY(job.documentId != 0);
    QSignalSpy updated(&library->events, &SessionEvents::resultsUpdated);
    previews.Render(job);  // returns at once: nothing waits for the GUI thread
    QVERIFY(previews.previewPath(job.documentId).isEmpty());
    // The views hear of it all the same, and choose the placeholder again.
    QTRY_VERIFY(!updated.isEmpty() && updated.last().at(0).toStringList().contains(QStringLiteral("http://site.example.test/crashed")));
    QVERIFY(PossibleCrashMark::isSet(*library->session.document().library(), job.documentId));
    previews.shutdown();
  }

  void aPageThatNeverCompletesIsAbandoned() {
    LoopbackServer server;
    server.mapHost("slow.example.test:80");
    server.stall("/never");
    UiTestHome home;
    auto library = home.open();
    QVERIFY(library);
    QtPreviewSteps previews(library->session, 1);
    PreviewJob job;
    job.result.url = QString(QStringLiteral("http://127.0.0.1:%1/never")).arg(server.port()).toStdU16String();
    job.documentId = 7;
    QElapsedTimer clock;
    clock.start();
    QFuture<QImage> image = QtConcurrent::run([&] { return previews.capture(job); });
    QTRY_VERIFY_WITH_TIMEOUT(image.isFinished(), QtPreviewSteps::kRenderTimeoutMs + 10000);
    QVERIFY(image.result().isNull());
    QVERIFY(clock.elapsed() >= QtPreviewSteps::kRenderTimeoutMs - 100);
    // The page is free again: a page that completes is captured.
    server.serve("/fine", "<html><body style='background:#00f'>fine</body></html>");
    job.result.url = QString(QStringLiteral("http://127.0.0.1:%1/fine")).arg(server.port()).toStdU16String();
    QFuture<QImage> next = QtConcurrent::run([&] { return previews.capture(job); });
    QTRY_VERIFY_WITH_TIMEOUT(next.isFinished(), 30000);
    QVERIFY(!next.result().isNull());
    previews.shutdown();
  }
};

int main(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  RenderTest test;
  return QTest::qExec(&test, argc, argv);
}
#include "render_test.moc"
