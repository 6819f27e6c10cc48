// The main window's commands on real libraries and files: saved terms,
// result files in and out, batch restore, optimise, files handed over by a
// second instance, the update check and uninstall.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QMenu>
#include <QMenuBar>

#include <fstream>
#include <sstream>

#include "app/settings_text.h"
#include "app/update_check.h"
#include "formats/category_set_file.h"
#include "formats/raw_results_file.h"
#include "tests/support/loopback_server.h"
#include "toolkit/code_pages.h"
#include "toolkit/text_file.h"
#include "ui/commands/desktop_command_host.h"
#include "ui/commands/help_commands.h"
#include "ui/commands/menu_commands.h"
#include "ui/commands/maintenance_commands.h"
#include "ui/commands/result_file_commands.h"
#include "ui/commands/source_category.h"
#include "ui/dialogs/new_version_dialog.h"
#include "ui/main/instance_channel.h"
#include "ui/main/main_window.h"
#include "ui/main/search_bar.h"
#include "ui/main/slideshow_window.h"
#include "ui/render/preview_image_view.h"
#include "ui/results/results_commands.h"
#include "ui/results/results_view.h"
#include "ui_test_support.h"

using namespace brambel;
using brambel::testing::LoopbackServer;
using brambel::testing::UiTestHome;

namespace {

std::string fileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void writeFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

QAction* menuAction(QMainWindow& window, const QString& name) {
  for (QAction* action : window.menuBar()->findChildren<QAction*>())
    if (action->objectName() == name) return action;
  return window.findChild<QAction*>(name);
}

const std::string kTwoResults =
    "http://garden.example.test/roses\nRoses & thorns\nPruning <b>roses</b>\n0\n-----\n"
    "http://garden.example.test/ferns\nFerns\nShade lovers\n1\n-----\n";

QStringList shownUrls(LibrarySession& session) {
  QStringList urls;
  for (const DisplayedResult& shown : session.displayedResults()) urls.append(QString::fromStdU16String(shown.record.url));
  urls.sort();
  return urls;
}

// Answers the modal dialog of type T that opens next, once its own event
// loop runs (showing a file dialog may process events before exec() loops).
template <typename T>
void whenShown(std::function<void(T&)> answer) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* dialog = qobject_cast<T*>(widget); dialog && dialog->isVisible()) {
        timer->stop();
        timer->deleteLater();
        QTimer::singleShot(100, dialog, [dialog, answer] { answer(*dialog); });
        return;
      }
    }
  });
  timer->start(20);
}

}  // namespace

class CommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void savedTermAddedIsListedStoredAndSearched() {
    UiTestHome home;
    auto opened = home.open();
    QVERIFY(opened);
    MainWindow window(opened->session, opened->events, opened->prompter);
    auto* menu = window.menuBar()->findChild<QMenu*>(QStringLiteral("savedTermsMenu"));
    QVERIFY(menu);
    emit menu->aboutToShow();
    QAction* add = menuAction(window, QStringLiteral("addSavedTerm"));
    QVERIFY(add);
    QVERIFY(!add->isEnabled());  // nothing typed yet
    window.searchBar()->termsBox()->setCurrentText(QStringLiteral("  compost & worms "));
    emit menu->aboutToShow();
    add = menuAction(window, QStringLiteral("addSavedTerm"));
    QVERIFY(add->isEnabled());
    add->trigger();
    QCOMPARE(opened->session.document().savedTerms(), std::vector<std::u16string>{u"compost & worms"});
    QVERIFY(fileText(home.library() / "favorites.dat").find("compost & worms") != std::string::npos);

    emit menu->aboutToShow();
    QAction* term = nullptr;
    for (QAction* action : menu->actions())
      if (action->data().toString() == QStringLiteral("compost & worms")) term = action;
    QVERIFY(term);
    QCOMPARE(term->text(), QStringLiteral("compost && worms"));
    window.searchBar()->termsBox()->setCurrentText(QString());
    term->trigger();
    QCOMPARE(window.searchBar()->termsBox()->currentText(), QStringLiteral("compost & worms"));
    QCOMPARE(opened->session.terms(), std::u16string(u"compost & worms"));
  }

  void searchFieldCommandsRunInsteadOfASearch() {
    UiTestHome home;
    auto opened = home.open();
    QVERIFY(opened);
    MainWindow window(opened->session, opened->events, opened->prompter);
    QSignalSpy debug(&window.menuCommands()->host(), &DesktopCommandHost::debugWindowRequested);
    window.startSearch(QStringLiteral("//insight"));
    QCOMPARE(opened->session.settings().termHighlighting, 64u);
    window.startSearch(QStringLiteral("//debug"));
    QCOMPARE(debug.size(), 1);
    window.startSearch(QStringLiteral("//blindness"));
    QCOMPARE(opened->session.settings().termHighlighting, 0u);
    QVERIFY(opened->session.document().history().empty());
    QCOMPARE(opened->session.searchRun().runningSourceCount(), 0);
  }

  void resultsFileLoadedShownAndSavedBackInEachForm() {
    UiTestHome home;
    auto opened = home.open();
    QVERIFY(opened);
    MainWindow window(opened->session, opened->events, opened->prompter);
    ResultFileCommands& files = window.menuCommands()->resultFiles();
    const std::filesystem::path source = home.root() / "garden.zset";
    writeFile(source, kTwoResults);
    QVERIFY(files.loadFrom(QString::fromStdString(source.string())));
    QTRY_COMPARE(shownUrls(opened->session),
                 (QStringList{"http://garden.example.test/ferns", "http://garden.example.test/roses"}));
    QTRY_COMPARE(window.resultsView()->count(), 2);

    // Back out as a result set: every record the format holds, in list order.
    const std::filesystem::path saved = home.root() / "saved.ZSET";
    QVERIFY(files.saveTo(QString::fromStdString(saved.string()), false, false));
    const std::string written = fileText(saved);
    QVERIFY(written.find("http://garden.example.test/roses\nRoses & thorns\nPruning <b>roses</b>\n") != std::string::npos);
    QVERIFY(written.find("http://garden.example.test/ferns\nFerns\nShade lovers\n") != std::string::npos);

    // The HTML page and the feed escape what the titles hold.
    const std::filesystem::path page = home.root() / "saved.html";
    QVERIFY(files.saveTo(QString::fromStdString(page.string()), false, false));
    QVERIFY(fileText(page).find("Roses &amp; thorns") != std::string::npos);
    const std::filesystem::path feed = home.root() / "saved.xml";
    QVERIFY(files.saveTo(QString::fromStdString(feed.string()), false, false));
    QVERIFY(fileText(feed).find("<rss") != std::string::npos);

    // Through the dialogs: "Save Selection Only" sits in the save dialog.
    window.resultsView()->selection().Clear();
    const QString throughDialog = QString::fromStdString((home.root() / "dialog.htm").string());
    whenShown<QFileDialog>([&](QFileDialog& dialog) {
      dialog.findChild<QCheckBox*>(QStringLiteral("saveSelectionOnly"))->setChecked(true);
      dialog.setDirectory(QString::fromStdString(home.root().string()));
      dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("dialog.htm"));
      static_cast<QDialog&>(dialog).accept();
    });
    menuAction(window, QStringLiteral("saveResults"))->trigger();
    const std::string dialogPage = fileText(throughDialog.toStdString());
    // Nothing selected: the whole list, as an HTML page by its extension.
    QVERIFY(dialogPage.find("Ferns") != std::string::npos && dialogPage.find("Roses") != std::string::npos);
    QVERIFY(dialogPage.find("<html") != std::string::npos || dialogPage.find("<HTML") != std::string::npos);
    writeFile(home.root() / "one.zset", "http://garden.example.test/moss\nMoss\n\n0\n-----\n");
    whenShown<QFileDialog>([&](QFileDialog& dialog) {
      dialog.setDirectory(QString::fromStdString(home.root().string()));
      dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("one.zset"));
      static_cast<QDialog&>(dialog).accept();
    });
    menuAction(window, QStringLiteral("loadResults"))->trigger();
    QTRY_COMPARE(shownUrls(opened->session), QStringList{"http://garden.example.test/moss"});
    writeFile(source, kTwoResults);
    QVERIFY(files.loadFrom(QString::fromStdString(source.string())));
    QTRY_COMPARE(window.resultsView()->count(), 2);

    // "Save Selection Only" keeps the selected result alone.
    const QStringList order = window.resultsView()->urls();
    window.resultsView()->selection().Press(static_cast<int>(order.indexOf("http://garden.example.test/ferns")),
                                            Qt::NoModifier, order);
    QCOMPARE(window.resultsView()->selectedUrls(), QStringList{"http://garden.example.test/ferns"});
    const std::filesystem::path selection = home.root() / "selection.zset";
    QVERIFY(files.saveTo(QString::fromStdString(selection.string()), true, false));
    QCOMPARE(fileText(selection), std::string("http://garden.example.test/ferns\nFerns\nShade lovers\n0\n-----\n"));


    // A feed read back gives the same addresses.
    QVERIFY(files.loadFrom(QString::fromStdString(feed.string())));
    QTRY_COMPARE(shownUrls(opened->session),
                 (QStringList{"http://garden.example.test/ferns", "http://garden.example.test/roses"}));

    // An unreadable file is reported and the results stay.
    QVERIFY(!files.loadFrom(QString::fromStdString((home.root() / "missing.zset").string())));
    QCOMPARE(opened->prompter.notified.size(), 1);
    QCOMPARE(shownUrls(opened->session).size(), 2);
    QVERIFY(!files.saveTo(QString::fromStdString((home.root() / "no-such-dir" / "x.zset").string()), false, false));
  }

  void reloadQueuesTheSelectedPageForLoadingAgain() {
    UiTestHome home;
    LoopbackServer server;
    server.serve("/roses", "<html><head><title>Roses</title></head><body>Pruning roses</body></html>");
    auto opened = home.open();
    QVERIFY(opened);
    MainWindow window(opened->session, opened->events, opened->prompter);
    writeFile(home.root() / "one.zset", server.url("/roses") + "\nRoses\nPruning\n0\n-----\n");
    QVERIFY(window.menuCommands()->resultFiles().loadFrom(QString::fromStdString((home.root() / "one.zset").string())));
    QTRY_COMPARE(window.resultsView()->count(), 1);
    QVERIFY(opened->session.document().WaitForContent(std::chrono::seconds(30)));
    const size_t before = server.requests().size();
    ResultsCommands& commands = *window.commands();
    commands.updateEnabled();
    QVERIFY(!commands.reload()->isEnabled());  // nothing selected
    window.resultsView()->selectAllResults();
    QVERIFY(commands.triggerKey(Qt::Key_R));
    QTRY_VERIFY_WITH_TIMEOUT(server.requests().size() > before, 30000);
    QCOMPARE(server.requests().back().path, std::string("/roses"));

    // Ctrl on saving exports the library's documents, whatever is shown.
    QVERIFY(opened->session.document().WaitForContent(std::chrono::seconds(30)));
    opened->session.ClearResults();
    const std::filesystem::path library = home.root() / "library.zset";
    QVERIFY(window.menuCommands()->resultFiles().saveTo(QString::fromStdString(library.string()), false, true));
    QVERIFY(fileText(library).find(server.url("/roses") + "\nRoses\n") != std::string::npos);

    // The library with a saved page optimises and goes on working.
    MaintenanceCommands& maintenance = window.menuCommands()->maintenance();
    QSignalSpy finished(&maintenance, &MaintenanceCommands::optimized);
    QVERIFY(maintenance.optimize());
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 60000);
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    QVERIFY(opened->session.document().pipeline());

    // "srcrebuild" runs behind the same dialog, tells what it filed, and the library goes on working.
    QSignalSpy rebuilt(&maintenance, &MaintenanceCommands::sourceIndexRebuilt);
    window.menuCommands()->host().RebuildSourceIndex();
    QTRY_COMPARE_WITH_TIMEOUT(rebuilt.size(), 1, 60000);
    QVERIFY(opened->prompter.notified.last().contains(QStringLiteral("documents filed under their sources")));
    QVERIFY(opened->session.document().sourceIndex());
    QVERIFY(opened->session.document().pipeline());
  }

  void slideshowStepsThroughTheResults() {
    UiTestHome home;
    auto opened = home.open();
    QVERIFY(opened);
    MainWindow window(opened->session, opened->events, opened->prompter);
    writeFile(home.root() / "garden.zset", kTwoResults);
    QVERIFY(window.menuCommands()->resultFiles().loadFrom(QString::fromStdString((home.root() / "garden.zset").string())));
    QTRY_COMPARE(window.resultsView()->count(), 2);
    // The roses page is saved and has a preview image; the ferns page has none.
    const uint32_t roses = testing::storePage(opened->session, u"http://garden.example.test/roses", "<html>roses</html>");
    QVERIFY(roses != 0);
    std::filesystem::create_directories(opened->session.previewFolder());
    QImage image(80, 100, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QVERIFY(image.save(QString::fromStdString(
        (opened->session.previewFolder() / QStringLiteral("%1.png").arg(roses, 8, 16, QLatin1Char('0')).toStdString())
            .string())));
    menuAction(window, QStringLiteral("slideshow"))->trigger();
    auto* slideshow = window.findChild<SlideshowWindow*>();
    QVERIFY(slideshow);
    QCOMPARE(slideshow->count(), 2);
    QCOMPARE(slideshow->current(), 0);
    auto* picture = slideshow->findChild<PreviewImageView*>(QStringLiteral("slideImage"));
    auto* caption = slideshow->findChild<QLabel*>(QStringLiteral("slideCaption"));
    QVERIFY(picture && caption);
    for (int slide = 0; slide < 2; ++slide) {
      slideshow->showSlide(slide);
      const bool showsRoses = caption->text().contains(QStringLiteral("/roses"));
      QTRY_COMPARE(picture->hasImage(), showsRoses);
    }
    slideshow->showSlide(0);
    QTest::keyClick(slideshow, Qt::Key_Left);
    QCOMPARE(slideshow->current(), 1);  // wraps round
    QTest::keyClick(slideshow, Qt::Key_Space);
    QCOMPARE(slideshow->current(), 0);
    QVERIFY(!slideshow->isPaused());
    QTest::keyClick(slideshow, Qt::Key_P);
    QVERIFY(slideshow->isPaused());
    slideshow->close();
  }

  void restoreShowsTheLastBatchAndBatchLoadAsksBeforeOverwriting() {
    UiTestHome home;
    auto opened = home.open();
    QVERIFY(opened);
    MainWindow window(opened->session, opened->events, opened->prompter);
    MenuCommands& commands = *window.menuCommands();
    QVERIFY(!commands.restoreBatch());  // none yet: told so
    QCOMPARE(opened->prompter.notified.size(), 1);

    writeFile(home.library() / kRawResultsFileName, kTwoResults);
    menuAction(window, QStringLiteral("restoreBatch"))->trigger();
    QTRY_COMPARE(shownUrls(opened->session).size(), 2);

    // Declining the question keeps the last batch's file.
    opened->prompter.answer = false;
    window.searchBar()->termsBox()->setCurrentText(QStringLiteral("roses"));
    QVERIFY(!commands.batchLoad());
    QCOMPARE(opened->prompter.asked.last(), QStringLiteral("batchrestore"));
    QCOMPARE(fileText(home.library() / kRawResultsFileName), kTwoResults);
  }

  void filesOnTheCommandLineOpen() {
    UiTestHome home;
    auto opened = home.open();
    QVERIFY(opened);
    MainWindow window(opened->session, opened->events, opened->prompter);
    const std::filesystem::path file = home.root() / "from the shell.zset";
    writeFile(file, kTwoResults);
    // As a "file:" URL, the way a desktop entry's %U hands it over.
    window.menuCommands()->openDocument(QUrl::fromLocalFile(QString::fromStdString(file.string())).toString());
    QTRY_COMPARE(shownUrls(opened->session).size(), 2);

    // A category set replaces the categories.
    QVERIFY(opened->application.InstallBuiltInCategorySets());
    const std::vector<std::filesystem::path> sets = opened->application.OfferedCategorySets();
    QVERIFY(!sets.empty());
    CategorySet expected;
    SourceDefinitions definitions;
    ReadCategorySet(toWide(fileText(sets.back()), kCodePageUtf8), expected, definitions);
    QVERIFY(!expected.categories.empty());
    QSignalSpy replaced(&window.menuCommands()->host(), &DesktopCommandHost::categoriesReplaced);
    window.menuCommands()->openDocument(QString::fromStdString(sets.back().string()));
    QCOMPARE(replaced.size(), 1);
    QCOMPARE(opened->session.categories().categories.size(), expected.categories.size());
    QCOMPARE(opened->session.categories().categories.front().name, expected.categories.front().name);

    // A "feed://" address becomes a source of its own, the user told so.
    LoopbackServer server;
    server.serve("/garden.xml",
                 "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Garden notes</title>"
                 "<item><title>Roses</title><link>http://garden.example.test/roses</link></item></channel></rss>",
                 "application/rss+xml");
    const std::string feed = server.url("/garden.xml");
    window.menuCommands()->openDocument(QString::fromStdString("feed://" + feed.substr(7)));
    QCOMPARE(opened->prompter.notified.last(), QStringLiteral("Added source: Garden notes"));
    QVERIFY(!std::filesystem::is_empty(opened->application.paths().programData / "sources"));
  }

  void sourceNameLeadsToItsOwnCategory() {
    CategorySet set;
    set.categories.emplace_back().name = u"News";
    QCOMPARE(addSourceCategory(set, u"", u"rss/x"), std::nullopt);
    QCOMPARE(addSourceCategory(set, u"Garden Feed", u"rss/a"), std::optional<size_t>(1));
    // The same name in another case is the same category; an id is listed once.
    QCOMPARE(addSourceCategory(set, u"garden feed", u"rss/b"), std::optional<size_t>(1));
    QCOMPARE(addSourceCategory(set, u"Garden Feed", u"rss/a"), std::optional<size_t>(1));
    QCOMPARE(set.categories.size(), size_t(2));
    QCOMPARE(set.categories[1].references, (std::vector<std::u16string>{u"rss/a", u"rss/b"}));

    UiTestHome home;
    auto opened = home.open();
    QVERIFY(opened);
    CTesserin2Doc& document = opened->session.document();
    const std::vector<std::u16string> identities = document.sourceTable().identities();
    QVERIFY(!identities.empty());
    const std::u16string id = identities.back();
    QVERIFY(!showSourceCategory(opened->session, u"no-such-source"));
    QVERIFY(showSourceCategory(opened->session, id));
    const Category& current = document.categories().categories.at(document.currentCategory());
    QCOMPARE(current.name, document.sourceTable().nameOf(id));
    QVERIFY(std::find(current.references.begin(), current.references.end(), id) != current.references.end());
  }

  void secondInstanceHandsItsFilesToTheFirst() {
    UiTestHome home;
    InstanceChannel first(home.library());
    QVERIFY(first.listen());
    QSignalSpy opened(&first, &InstanceChannel::openRequested);
    QSignalSpy raised(&first, &InstanceChannel::raiseRequested);
    const QStringList documents{QStringLiteral("/tmp/a file\nwith a line break.zset"),
                                QStringLiteral("feed://news.example.test/rss?x=1&y=%20")};
    bool confirmed = false;
    std::thread second([&] { confirmed = InstanceChannel(home.library()).askToRaise(documents); });
    QTRY_COMPARE(raised.size(), 1);
    second.join();
    QVERIFY(confirmed);
    QCOMPARE(opened.size(), 2);
    QCOMPARE(opened.at(0).at(0).toString(), documents.at(0));
    QCOMPARE(opened.at(1).at(0).toString(), documents.at(1));
  }

  void optimiseRunsOverTheLibraryAndAsksFirst() {
    UiTestHome home;
    auto opened = home.open();
    QVERIFY(opened);
    MainWindow window(opened->session, opened->events, opened->prompter);
    MaintenanceCommands& maintenance = window.menuCommands()->maintenance();
    const std::filesystem::path index = home.library() / "main__index.zidx";
    QVERIFY(std::filesystem::exists(index));

    opened->prompter.answer = false;
    QSignalSpy finished(&maintenance, &MaintenanceCommands::optimized);
    menuAction(window, QStringLiteral("optimize"))->trigger();
    QVERIFY(maintenance.isRunning());
    QVERIFY(!maintenance.optimize());  // one at a time
    QVERIFY(!maintenance.rebuildSourceIndex());
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 60000);
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    QVERIFY(opened->prompter.asked.last().contains(QStringLiteral("Proceed?")));

    opened->prompter.answer = true;
    QVERIFY(maintenance.optimize());
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 60000);
    QCOMPARE(finished.at(1).at(0).toBool(), true);
    QVERIFY(!maintenance.isRunning());
    QVERIFY(opened->session.document().mainIndex());
    QVERIFY(opened->session.document().pipeline());  // the library works again
    QVERIFY(!window.findChild<QProgressDialog*>(QStringLiteral("optimizeProgress")) ||
            !window.findChild<QProgressDialog*>(QStringLiteral("optimizeProgress"))->isVisible());
  }

  void newVersionIsOfferedAndIgnoredForGood() {
    UiTestHome home;
    LoopbackServer server;
    server.serve("/version.txt", "31,Faster searches,http://brambel.example.test/download", "text/plain");
    auto opened = home.open();
    QVERIFY(opened);
    const std::filesystem::path settingsFile = programSettingsFile(false).path;
    std::filesystem::create_directories(settingsFile.parent_path());
    std::string existing = readTextFile(settingsFile).value_or("");
    existing.resize(std::min(existing.size(), existing.find('\0')));
    QVERIFY(writeTextFile(settingsFile, updateSettingsLines(existing, {{kVersionUrlKey, server.url("/version.txt")}})));
    MainWindow window(opened->session, opened->events, opened->prompter);
    HelpCommands& help = window.menuCommands()->help();
    QSignalSpy finished(&help, &HelpCommands::checkFinished);
    QString headline;
    whenShown<NewVersionDialog>([&](NewVersionDialog& dialog) {
      for (QLabel* label : dialog.findChildren<QLabel*>())
        if (label->text().startsWith(QStringLiteral("Version"))) headline = label->text();
      dialog.findChild<QCheckBox*>(QStringLiteral("dontRemind"))->setChecked(true);
      dialog.findChild<QAbstractButton*>(QStringLiteral("ignore"))->click();
    });
    QVERIFY(help.checkForUpdates());
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
    QCOMPARE(finished.at(0).at(0).toInt(), static_cast<int>(UpdateOutcome::Offered));
    QCOMPARE(headline, QStringLiteral("Version 31 is available!"));
    QTRY_COMPARE(opened->session.settings().lastVersionReminded, 31u);
    QVERIFY(opened->session.settings().lastVersionCheck > 0);
    // The automatic check is not due again the same day.
    QVERIFY(!help.startAutomaticCheck());
  }

  // Last: the program ends after an uninstall.
  void uninstallRemovesSettingsAndDataOnlyAfterYes() {
    UiTestHome home;
    auto opened = home.make();
    std::filesystem::create_directories(opened->application.paths().defaultLibrary);
    QVERIFY(opened->session.Open(opened->application.paths().defaultLibrary, false));
    opened->session.SaveSettings();
    const std::filesystem::path settingsDirectory = programSettingsFile(false).path.parent_path();
    const std::filesystem::path data = opened->application.paths().programData;
    QVERIFY(std::filesystem::exists(settingsDirectory));
    QVERIFY(std::filesystem::exists(data / "Default Library"));
    auto* window = new MainWindow(opened->session, opened->events, opened->prompter);
    HelpCommands& help = window->menuCommands()->help();

    opened->prompter.answer = false;
    help.uninstall();
    QVERIFY(std::filesystem::exists(data));
    QVERIFY(opened->session.document().isOpen());

    opened->prompter.answer = true;
    QSignalSpy uninstalled(&help, &HelpCommands::uninstalled);
    help.uninstall();
    QCOMPARE(uninstalled.size(), 1);
    QCOMPARE(uninstalled.at(0).at(0).toBool(), true);
    QVERIFY(!opened->session.document().isOpen());
    QVERIFY(!std::filesystem::exists(data));
    QVERIFY(!std::filesystem::exists(settingsDirectory));
    QCOMPARE(opened->prompter.notified.last().left(26), QStringLiteral("Uninstallation is complete"));
    // Closing the window afterwards writes no settings back.
    window->close();
    delete window;
    QVERIFY(!std::filesystem::exists(settingsDirectory));
  }
};

QTEST_MAIN(CommandsTest)
#include "commands_test.moc"
