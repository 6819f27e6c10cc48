// The main window: splitter rows, size steps, placement, title, modes,
// history and shutdown.
#include <QComboBox>
#include <QLineEdit>
#include <QSplitter>

#include "ui/main/frame_layout.h"
#include "ui/main/main_window.h"
#include "ui/main/search_bar.h"
#include "ui/main/view_sizing.h"
#include "ui/main/window_placement.h"
#include "ui/results/results_view.h"
#include "ui_test_support.h"

using namespace brambel;
using brambel::testing::FakePrompter;
using brambel::testing::UiTestHome;

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void frameRowsFollowTheHeight() {
    QCOMPARE(frameRows(400, false).results, 200);
    QCOMPARE(frameRows(600, false).results, 300);  // 600/4 = 150 does not exceed 150
    QCOMPARE(frameRows(800, false).results, 530);
    FrameRows rows = frameRows(800, true);
    QCOMPARE(rows.searchBar, 140);
    QCOMPARE(rows.sponsors, 200);
    QCOMPARE(frameRows(800, false).sponsors, 0);
  }

  void listThumbnailsShrinkToHiddenAndGrowFromThere() {
    ProgramSettings settings;
    QList<uint32_t> widths;
    for (int step = 0; step < 5; ++step) {
      decreaseThumbnailSize(settings, ViewMode::List);
      widths.append(settings.listThumbWidth);
    }
    // 36 × 0.8333 is 29.9988, truncated to 29.
    QCOMPARE(widths, (QList<uint32_t>{53, 44, 36, 29, 0}));
    QCOMPARE(settings.listThumbHeight, 0u);
    increaseThumbnailSize(settings, ViewMode::List);
    QCOMPARE(settings.listThumbWidth, 32u);
    increaseThumbnailSize(settings, ViewMode::List);
    QCOMPARE(settings.listThumbWidth, 38u);
    QCOMPARE(settings.tileWidth, 256u);  // the other mode's sizes stay
  }

  void tilesAndFontsStepByTheirFactors() {
    ProgramSettings settings;
    increaseThumbnailSize(settings, ViewMode::Tiles);
    QCOMPARE(settings.tileWidth, 307u);
    QCOMPARE(settings.tileHeight, 307u);
    decreaseThumbnailSize(settings, ViewMode::Tiles);
    QCOMPARE(settings.tileWidth, 255u);  // 307 × 0.8333 = 255.8
    increaseFontScale(settings, ViewMode::Tiles);
    QCOMPARE(settings.tileFontScale, 105u);
    QCOMPARE(settings.listFontScale, 100u);
    settings.listFontScale = 10;
    decreaseFontScale(settings, ViewMode::List);
    QCOMPARE(settings.listFontScale, 5u);
    decreaseFontScale(settings, ViewMode::List);  // a font never reaches size 0
    QCOMPARE(settings.listFontScale, 5u);
  }

  void placementKeepsAStoredRectangleOrCutsTheDefault() {
    const QRect screen(0, 0, 1920, 1080);
    const QRect wide(100, 50, 1200, 700);
    QCOMPARE(initialWindowRect(u"10,20,610,420", wide, screen, 800), QRect(10, 20, 600, 400));
    QCOMPARE(initialWindowRect(u"10,20,0,420", wide, screen, 800), QRect(100, 50, 800, 700));
    QCOMPARE(initialWindowRect(u"", QRect(0, 0, 640, 480), screen, 800), QRect(0, 0, 640, 480));
    // Larger than the screen: clamped into it.
    QCOMPARE(initialWindowRect(u"1000,0,4000,3000", wide, screen, 800), QRect(0, 0, 1920, 1080));
    QCOMPARE(storedWindowRect(QRect(10, 20, 600, 400)), std::u16string(u"10,20,610,420"));
  }

  void titleNamesTheLibraryAndItsModes() {
    UiTestHome home;
    auto writable = home.open();
    QVERIFY(writable);
    QVERIFY2(!writable->session.isReadOnly(), qPrintable(QString::fromStdU16String(writable->session.document().readOnlyReason())));
    QCOMPARE(QString::fromStdU16String(writable->session.title()), QStringLiteral("Library"));
    // The lock is held: a second program on the library is asked whether to
    // switch; No opens it read-only.
    auto second = home.make();
    second->prompter.answer = false;
    QVERIFY(second->session.Open(home.library(), false));
    QCOMPARE(second->prompter.asked, QStringList{QStringLiteral("readonly")});
    QVERIFY(second->session.isReadOnly());
    QCOMPARE(QString::fromStdU16String(second->session.title()), QStringLiteral("Library (Read Only)"));
    auto third = home.make();
    QVERIFY(!third->session.Open(home.library(), false));  // Yes: this program ends
    QVERIFY(third->session.exitRequested());
    second.reset();
    writable.reset();
    QVERIFY(!std::filesystem::exists(home.library() / "main__index.lock"));
  }

  void splitterAndAcceleratorsDriveTheWindow() {
    UiTestHome home;
    auto opened = home.open();
    LibrarySession* session = &opened->session;
    MainWindow window(*session, opened->events, opened->prompter);
    window.resize(700, 900);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.applyFrameLayout();
    QSplitter* splitter = window.splitter();
    QCOMPARE(splitter->sizes().at(0), 140);
    QCOMPARE(splitter->sizes().at(1), splitter->height() - splitter->handleWidth() - 140);  // the last row fills
    session->settings().showSponsors = true;
    window.findChild<QWidget*>(QStringLiteral("sponsors"))->show();
    QApplication::processEvents();
    window.applyFrameLayout();
    const int rowsHeight = splitter->height() - 2 * splitter->handleWidth();
    QCOMPARE(splitter->sizes().at(1), frameRows(rowsHeight, true).results);
    QCOMPARE(splitter->sizes().at(2), rowsHeight - 140 - frameRows(rowsHeight, true).results);

    QTest::keyClick(&window, Qt::Key_2, Qt::ControlModifier);
    QCOMPARE(session->mode(), SearchMode::kFilter);
    QTest::keyClick(&window, Qt::Key_3, Qt::AltModifier);
    QCOMPARE(session->mode(), SearchMode::kPermanent);
    QVERIFY(window.findChild<QWidget*>(QStringLiteral("clear"))->isHidden());
    QTest::keyClick(&window, Qt::Key_4, Qt::ControlModifier);
    QCOMPARE(session->mode(), SearchMode::kRecent);
    QVERIFY(!window.findChild<QWidget*>(QStringLiteral("clear"))->isHidden());

    QTest::keyClick(&window, Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(window.resultsView()->viewMode(), ViewMode::List);
    QTest::keyClick(&window, Qt::Key_T, Qt::ControlModifier);
    QCOMPARE(window.resultsView()->viewMode(), ViewMode::Tiles);
    window.resultsView()->setFocus();
    QTest::keyClick(window.resultsView(), Qt::Key_Plus);
    QCOMPARE(session->settings().tileWidth, 307u);
    QTest::keyClick(window.resultsView(), Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(session->settings().tileFontScale, 95u);
  }

  void clearingTheHistoryAsksFirst() {
    UiTestHome home;
    auto opened = home.open();
    LibrarySession* session = &opened->session;
    FakePrompter& prompter = opened->prompter;
    session->SetMode(SearchMode::kFilter);  // filters only: no source is asked
    session->RunSearch(u"first");
    session->RunSearch(u"second");
    SearchBar bar(*session, prompter);
    QComboBox* terms = bar.termsBox();
    QCOMPARE(terms->count(), 3);
    QCOMPARE(terms->itemText(0), QStringLiteral("<Clear History>"));
    QCOMPARE(terms->itemText(1), QStringLiteral("second"));

    prompter.answer = false;
    terms->setEditText(QStringLiteral("typed"));
    emit terms->lineEdit()->textEdited(QStringLiteral("typed"));
    terms->setCurrentIndex(0);
    emit terms->activated(0);
    QCOMPARE(prompter.asked.size(), 1);
    QCOMPARE(terms->currentText(), QStringLiteral("typed"));
    QCOMPARE(session->history().size(), size_t(2));

    prompter.answer = true;
    emit terms->activated(0);
    QVERIFY(session->history().empty());
    QCOMPARE(terms->count(), 1);
  }

  void exitStoresTheWindowRectangle() {
    UiTestHome home;
    auto opened = home.open();
    {
      MainWindow window(opened->session, opened->events, opened->prompter);
      window.setGeometry(30, 40, 500, 400);
      window.show();
      window.activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(&window));
      QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
      QVERIFY(!window.isVisible());
    }
    ProgramSettings stored = ReadProgramSettings(home.settingsFile(), u"");
    QVERIFY(!stored.mainPosition.empty());
    auto rect = initialWindowRect(stored.mainPosition, QRect(), QRect(0, 0, 4000, 4000), 800);
    QCOMPARE(rect.size(), QSize(500, 400));
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
