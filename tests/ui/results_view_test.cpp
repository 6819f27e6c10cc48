// The results view: text fitting, date lines, placeholders, geometry, and
// pointer and key input on real widgets over a real library.
#include <QClipboard>
#include <QSignalSpy>

#include "ui/results/date_line.h"
#include "ui/results/placeholder.h"
#include "ui/results/results_commands.h"
#include "ui/results/results_layout.h"
#include "ui/results/results_view.h"
#include "ui/results/text_fitting.h"
#include "ui_test_support.h"

using namespace brambel;
using brambel::testing::FakePrompter;
using brambel::testing::UiTestHome;
using brambel::testing::result;
using brambel::testing::storePage;

namespace {

// The width W whose fitting limit W − W/8 equals `limit`.
int widthForLimit(int limit) {
  for (int width = limit;; ++width)
    if (width - width / 8 == limit) return width;
}

QPoint centreOf(const ItemGeometry& geometry, RegionKind kind, const QString& tip = QString()) {
  for (const HotRegion& region : geometry.regions)
    if (region.kind == kind && (tip.isEmpty() || region.tip == tip)) return region.rect.center();
  return QPoint(-1, -1);
}

// A point of the result outside every inner region: its bottom-right corner.
QPoint itemPoint(const ResultsView& view, int index) {
  return view.geometryInViewport(index).item.bottomRight() - QPoint(2, 2);
}

bool hasRegion(const ItemGeometry& geometry, RegionKind kind, const QString& tip) {
  return centreOf(geometry, kind, tip) != QPoint(-1, -1);
}

}  // namespace

class ResultsViewTest : public QObject {
  Q_OBJECT

  UiTestHome home_;
  std::unique_ptr<brambel::testing::UiTestLibrary> library_;
  LibrarySession* session_ = nullptr;
  FakePrompter* prompter_ = nullptr;

  std::unique_ptr<ResultsView> shownView(ViewMode mode) {
    auto view = std::make_unique<ResultsView>(*session_, *prompter_);
    view->setViewMode(mode);
    view->resize(900, 700);
    view->setResults({result("http://a.test/1", "First"), result("http://a.test/2", "Second"),
                      result("http://a.test/3", "Third"), result("http://a.test/4", "Fourth")});
    view->show();
    view->activateWindow();
    if (!QTest::qWaitForWindowActive(view.get())) return nullptr;
    return view;
  }

 private slots:
  void initTestCase() {
    library_ = home_.open([](ProgramSettings& settings) { settings.previewAnimate = false; });
    QVERIFY(library_);
    session_ = &library_->session;
    prompter_ = &library_->prompter;
    // Marks belong to URLs the library knows.
    for (const char16_t* url : {u"http://a.test/1", u"http://a.test/2", u"http://a.test/3", u"http://a.test/4"})
      QVERIFY(session_->document().library()->recordIdFor(url));
  }

  void aLineIsCutOnlyWhenWiderThanSevenEighths() {
    QFontMetrics metrics(QApplication::font());
    const QString title = QStringLiteral("A result title of some length");
    const int textWidth = metrics.horizontalAdvance(title);
    QCOMPARE(fitText(title, widthForLimit(textWidth), metrics), title);
    const QString cut = fitText(title, widthForLimit(textWidth - 1), metrics);
    QVERIFY(cut.endsWith(QStringLiteral("...")));
    QVERIFY(metrics.horizontalAdvance(cut.chopped(3)) <= textWidth - 1);
    QVERIFY(title.startsWith(cut.chopped(3)));
    QCOMPARE(fitText(title, 0, metrics), QStringLiteral("..."));
  }

  void theDateLineFollowsTheSetting() {
    const QLocale c = QLocale::c();
    const ResultDates dates{0, 1700000000, 1600000000, 1650000000};
    QCOMPARE(dateLine(5, 0, dates, c), std::nullopt);  // by score: no line at all
    QCOMPARE(dateLine(0, 1, dates, c), std::nullopt);
    QCOMPARE(*dateLine(1, 0, dates, c), QStringLiteral("Load Date:<No Date>"));
    QVERIFY(dateLine(5, 1, dates, c)->startsWith(QStringLiteral("Content Date:")));
    QVERIFY(dateLine(5, 2, dates, c)->startsWith(QStringLiteral("Load Date:")));
    const QString viewed = *dateLine(6, 0, dates, c);
    // The later of the click (1600000000) and hover (1650000000) dates.
    QCOMPARE(viewed, QStringLiteral("Last Viewed:") + dateLine(4, 0, dates, c)->mid(QStringLiteral("Hover Date:").size()));
    QCOMPARE(*dateLine(5, 5, dates, c), viewed);
  }

  void placeholdersComeInTheirOrder() {
    PlaceholderFacts facts;
    QCOMPARE(choosePlaceholder(facts).caption, QStringLiteral("Click to Load"));
    facts.unsupportedType = true;
    QCOMPARE(choosePlaceholder(facts).caption, QStringLiteral("Unsupported Content Type"));
    facts.loadFailed = true;
    QCOMPARE(choosePlaceholder(facts).caption, QStringLiteral("Could not Retrieve Content"));
    facts.minibrowserCan = true;
    QCOMPARE(choosePlaceholder(facts).caption, QStringLiteral("Click for Minibrowser"));
    facts.possibleCrash = true;  // shown only with crash marking on
    QCOMPARE(choosePlaceholder(facts).caption, QStringLiteral("Click for Minibrowser"));
    facts.crashMarking = true;
    QCOMPARE(choosePlaceholder(facts).caption, QStringLiteral("Preview Possibly Caused Crash"));
    facts.renderFailed = true;
    QCOMPARE(choosePlaceholder(facts).caption, QStringLiteral("Preview Creation Failed"));
    facts.rendering = true;
    QCOMPARE(choosePlaceholder(facts).icon, PlaceholderIcon::Rendering);
    QCOMPARE(choosePlaceholder(facts).caption, QStringLiteral("Click for Minibrowser"));
    facts.minibrowserCan = false;
    facts.loadingOrSaving = true;
    QCOMPARE(choosePlaceholder(facts).icon, PlaceholderIcon::Loading);
    QVERIFY(choosePlaceholder(facts).caption.isEmpty());
  }

  void placeholdersFollowThePipelineAndTheLibrary() {
    UiTestHome home;
    // Pools without threads keep what is queued.
    auto idle = home.open([](ProgramSettings& settings) {
      settings.contextThreads = settings.imageThreads = settings.thumbThreads = 0;
      settings.saveThreads = settings.indexThreads = 0;
    }, "Idle");
    QVERIFY(idle);
    LibrarySession& session = idle->session;
    ContentPipeline& pipeline = *session.document().pipeline();
    const std::string page = "<html><body>saved</body></html>";
    std::vector<DisplayedResult> shown;
    for (int i = 0; i < 8; ++i) shown.push_back(result("http://p.test/" + std::to_string(i), "Page"));
    auto url = [&shown](int i) { return shown[i].record.url; };
    pipeline.loadPool().add(url(0), kNoSearch, ContentRequest{}, AddMode::kAlways, 0);
    QVERIFY(storePage(session, url(1), page));
    pipeline.renderPool().add(url(1), kNoSearch, PreviewJob{}, AddMode::kAlways, 0);
    QVERIFY(storePage(session, url(2), page));
    pipeline.renderPool().markHandled(url(2));
    QVERIFY(storePage(session, url(3), page, true));
    QVERIFY(storePage(session, url(4), page));
    pipeline.loadPool().markHandled(url(5));
    pipeline.markUnsupported(url(6));

    ResultsView view(session, idle->prompter);
    view.setResults(shown);
    QCOMPARE(view.placeholderAt(0).icon, PlaceholderIcon::Loading);
    QVERIFY(view.placeholderAt(0).caption.isEmpty());
    QCOMPARE(view.placeholderAt(1).icon, PlaceholderIcon::Rendering);
    QCOMPARE(view.placeholderAt(1).caption, QStringLiteral("Click for Minibrowser"));
    QCOMPARE(view.placeholderAt(2).caption, QStringLiteral("Preview Creation Failed"));
    QCOMPARE(view.placeholderAt(3).caption, QStringLiteral("Preview Possibly Caused Crash"));
    QCOMPARE(view.placeholderAt(4).caption, QStringLiteral("Click for Minibrowser"));
    QCOMPARE(view.placeholderAt(5).caption, QStringLiteral("Could not Retrieve Content"));
    QCOMPARE(view.placeholderAt(6).caption, QStringLiteral("Unsupported Content Type"));
    QCOMPARE(view.placeholderAt(7).caption, QStringLiteral("Click to Load"));

    // The library is asked again only for the URLs the pipeline reports.
    QVERIFY(storePage(session, url(7), page));
    view.setResults(shown);
    QCOMPARE(view.placeholderAt(7).caption, QStringLiteral("Click to Load"));
    view.thumbnailsChanged({QString::fromStdU16String(url(7))});
    view.setResults(shown);  // the change took the session's (empty) results
    QCOMPARE(view.placeholderAt(7).caption, QStringLiteral("Click for Minibrowser"));
  }

  void tilesFillRowsAndRegionsNest() {
    QFontMetrics metrics(QApplication::font());
    ResultsLayout::Config config;
    config.viewportWidth = 3 * (256 + ResultsLayout::kMargin) + ResultsLayout::kMargin;
    ResultsLayout tiles(config, metrics);
    QCOMPARE(tiles.columns(), 3);
    QCOMPARE(tiles.itemRect(3).left(), tiles.itemRect(0).left());
    QVERIFY(tiles.itemRect(3).top() > tiles.itemRect(2).bottom());
    QCOMPARE(tiles.itemAt(tiles.itemRect(4).center(), 10), 4);
    QCOMPARE(tiles.itemAt(tiles.itemRect(4).center(), 4), -1);
    auto [first, last] = tiles.visibleRange(tiles.itemRect(3).top(), 10, 100);
    QVERIFY(first <= 3 && last >= 6 && last <= 12);

    ItemFacts facts;
    facts.url = QStringLiteral("http://a.test/");
    facts.sourceNames = {QStringLiteral("Feed A"), QStringLiteral("Feed B")};
    ItemGeometry plain = tiles.geometry(0, facts);
    QVERIFY(hasRegion(plain, RegionKind::Permanent, QStringLiteral("Non-Permanent")));
    QVERIFY(!hasRegion(plain, RegionKind::Info, QStringLiteral("Viewed/Read")));
    QCOMPARE(ResultsLayout::hit(plain, centreOf(plain, RegionKind::Preview))->kind, RegionKind::Preview);
    const HotRegion* second = ResultsLayout::hit(plain, plain.sources[1].rect.center());
    QCOMPARE(second->kind, RegionKind::Source);
    QCOMPARE(second->source, 1);
    facts.viewed = facts.pinned = facts.permanent = true;
    ItemGeometry marked = tiles.geometry(0, facts);
    QVERIFY(hasRegion(marked, RegionKind::Permanent, QStringLiteral("Permanent")));
    QVERIFY(hasRegion(marked, RegionKind::Info, QStringLiteral("Viewed/Read")));
    QVERIFY(hasRegion(marked, RegionKind::Info, QStringLiteral("Pinned")));

    config.mode = ViewMode::List;
    config.thumb = QSize(0, 64);
    ResultsLayout list(config, metrics);
    ItemGeometry row = list.geometry(2, facts);
    QVERIFY(row.picture.isEmpty());  // a side of 0 hides list thumbnails
    QVERIFY(!hasRegion(row, RegionKind::Preview, QString()));
    QCOMPARE(list.itemAt(row.item.center(), 5), 2);
  }

  void pressesSelectAndToggle() {
    auto view = shownView(ViewMode::Tiles);
    QVERIFY(view);
    QWidget* port = view->viewport();
    QTest::mouseClick(port, Qt::LeftButton, {}, itemPoint(*view, 1));
    QCOMPARE(view->selectedUrls(), QStringList{QStringLiteral("http://a.test/2")});
    QTest::mouseClick(port, Qt::LeftButton, Qt::ControlModifier, itemPoint(*view, 3));
    QCOMPARE(view->selectedUrls().size(), 2);
    QTest::mouseClick(port, Qt::LeftButton, Qt::ControlModifier, itemPoint(*view, 3));
    QCOMPARE(view->selectedUrls(), QStringList{QStringLiteral("http://a.test/2")});
    QTest::mouseClick(port, Qt::LeftButton, Qt::ShiftModifier, itemPoint(*view, 0));
    QCOMPARE(view->selectedUrls(),
             (QStringList{QStringLiteral("http://a.test/1"), QStringLiteral("http://a.test/2")}));

    view->copySelection();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("http://a.test/1\nhttp://a.test/2"));

    QTest::mouseClick(port, Qt::LeftButton, {}, centreOf(view->geometryInViewport(2), RegionKind::Permanent));
    QVERIFY(session_->marksOf(u"http://a.test/3").isPermanent());
    QVERIFY(hasRegion(view->geometryInViewport(2), RegionKind::Permanent, QStringLiteral("Permanent")));
    QTest::mouseClick(port, Qt::LeftButton, {}, centreOf(view->geometryInViewport(2), RegionKind::Permanent));
    QVERIFY(!session_->marksOf(u"http://a.test/3").isPermanent());

    QSignalSpy opened(view.get(), &ResultsView::openRequested);
    QTest::mouseClick(port, Qt::LeftButton, {}, centreOf(view->geometryInViewport(0), RegionKind::Href));
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened.at(0).at(1).toBool(), false);
    QVERIFY(session_->marksOf(u"http://a.test/1").clickDate != 0);
    QSignalSpy reload(view.get(), &ResultsView::reloadRequested);
    // The library holds no page for it: a press on the thumbnail loads it again.
    QTest::mouseClick(port, Qt::LeftButton, {}, centreOf(view->geometryInViewport(1), RegionKind::Preview));
    QCOMPARE(reload.size(), 1);
    QCOMPARE(opened.size(), 1);
  }

  void keysAndTheContextMenuActOnTheSelection() {
    auto view = shownView(ViewMode::List);
    QVERIFY(view);
    ResultsCommands commands(*session_, *view);
    view->setCommands(&commands);
    connect(&commands, &ResultsCommands::marksChanged, view.get(), [&] {
      view->setResults({result("http://a.test/1", "First"), result("http://a.test/2", "Second")});
    });
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, itemPoint(*view, 1));
    commands.updateEnabled();
    QVERIFY(commands.markPermanent()->isEnabled());
    QVERIFY(!commands.unmarkPermanent()->isEnabled());
    QVERIFY(!commands.unignore()->isEnabled());
    QTest::keyClick(view.get(), Qt::Key_P);
    QVERIFY(session_->marksOf(u"http://a.test/2").isPermanent());
    commands.updateEnabled();
    QVERIFY(!commands.markPermanent()->isEnabled());
    QVERIFY(commands.unmarkPermanent()->isEnabled());
    QTest::keyClick(view.get(), Qt::Key_I);
    QVERIFY(session_->marksOf(u"http://a.test/2").isIgnored());
    commands.unmarkPermanent()->trigger();
    QVERIFY(!session_->marksOf(u"http://a.test/2").isPermanent());
    view->selection().Clear();
    commands.updateEnabled();
    QVERIFY(!commands.openInBrowser()->isEnabled());
    QVERIFY(!commands.copyUrl()->isEnabled());
  }

  void restingOnAThumbnailOpensThePreviewAfterTheDelay() {
    session_->settings().tileHoverDelay = 300;
    session_->settings().previewAnimate = false;
    auto view = shownView(ViewMode::Tiles);
    QVERIFY(view);
    QSignalSpy previews(view.get(), &ResultsView::hoverPreviewRequested);
    const QPoint thumb = centreOf(view->geometryInViewport(3), RegionKind::Preview);
    QVERIFY(!hasRegion(view->geometryInViewport(3), RegionKind::Info, QStringLiteral("Viewed/Read")));
    QElapsedTimer clock;
    clock.start();
    QCursor::setPos(view->viewport()->mapToGlobal(thumb));
    QTest::mouseMove(view->viewport(), thumb);
    QVERIFY(previews.wait(3000));
    QVERIFY2(clock.elapsed() >= 290, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(previews.at(0).at(0).toString(), QStringLiteral("http://a.test/4"));
    QVERIFY(hasRegion(view->geometryInViewport(3), RegionKind::Info, QStringLiteral("Viewed/Read")));

    // With the preview animated the delay is not waited for.
    session_->settings().previewAnimate = true;
    session_->settings().tileHoverDelay = 5000;
    const QPoint other = centreOf(view->geometryInViewport(0), RegionKind::Preview);
    QCursor::setPos(view->viewport()->mapToGlobal(other));
    QTest::mouseMove(view->viewport(), other);
    QVERIFY(previews.wait(1000));
    QCOMPARE(previews.at(1).at(0).toString(), QStringLiteral("http://a.test/1"));
    session_->settings().previewAnimate = false;
  }
};

QTEST_MAIN(ResultsViewTest)
#include "results_view_test.moc"
