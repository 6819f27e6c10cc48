// The Destinations dialog and the send: logins stored with the password
// scrambled, and a send through its dialog to a loopback fake service that
// records what it receives.
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>

#include "app/destination_logins.h"
#include "store/content_file.h"
#include "store/source_result_record.h"
#include "tests/support/loopback_server.h"
#include "toolkit/text_file.h"
#include "ui/dialogs/destination_commands.h"
#include "ui/dialogs/destinations_dialog.h"
#include "ui/dialogs/send_dialog.h"
#include "ui/results/results_commands.h"
#include "ui/results/results_view.h"
#include "modal_driver.h"
#include "ui_test_support.h"

using namespace brambel;
using brambel::testing::child;
using brambel::testing::LoopbackServer;
using brambel::testing::UiTestHome;
using brambel::testing::UiTestLibrary;
using brambel::testing::whenModal;

namespace {

const QStringList kSaved{QStringLiteral("http://saved.test/one"), QStringLiteral("http://saved.test/two")};

bool saveRecord(LibraryStore& library, const std::u16string& url, const std::u16string& title) {
  SourceResult result;
  result.url = url;
  result.title = title;
  auto id = library.recordIdFor(url);
  auto path = id ? library.prepareContentPath(*id) : std::nullopt;
  if (!path) return false;
  auto file = ContentFile::openForWriting(*path);
  return SourceResultRecord(result).WriteTo(file);
}

// A bookmarking service: a login, a form page with a hidden key, one post per bookmark.
void serveBookmarks(LoopbackServer& service, const std::string& loginReply) {
  service.post("/login", [loginReply](const auto&, auto& response) { response.set_content(loginReply, "text/html"); });
  service.get("/bob", [](const auto&, auto& response) {
    response.set_content(
        "<form><INPUT type=\"hidden\" name=\"key\" value=\"k123\"><input name=\"x\" value=\"y\"></form>", "text/html");
  });
  service.post("/bob", [](const auto&, auto& response) { response.set_content("saved", "text/html"); });
}

std::vector<testing::RecordedRequest> requestsTo(const LoopbackServer& service, const std::string& method,
                                                 const std::string& path) {
  std::vector<testing::RecordedRequest> found;
  for (const auto& request : service.requests())
    if (request.method == method && request.path == path) found.push_back(request);
  return found;
}

}  // namespace

class DestinationDialogsTest : public QObject {
  Q_OBJECT

  UiTestHome home_;
  std::unique_ptr<UiTestLibrary> library_;
  std::unique_ptr<QWidget> window_;
  std::unique_ptr<DestinationCommands> commands_;

  // The bookmarking destination, pointed at `service`.
  void pointAt(const LoopbackServer& service) {
    Destination& bookmarks = commands_->destinations().front();
    const std::u16string base = QString::fromStdString(service.baseUrl()).toStdU16String();
    bookmarks.loginUrl = base + u"/login";
    bookmarks.formUrl = base + u"/(*username)?url=(*url)";
    bookmarks.postUrl = base + u"/(*username)";
  }
  void fillSendDialog() {
    whenModal<SendDialog>([](SendDialog* dialog) {
      QCOMPARE(dialog->windowTitle(), QStringLiteral("Sending to pinboard.in"));
      child<QLineEdit>(dialog, "sendUsername")->setText(QStringLiteral("bob"));
      child<QLineEdit>(dialog, "sendPassword")->setText(QStringLiteral("se cret&"));
      child<QLineEdit>(dialog, "sendNotes")->setText(QStringLiteral("my notes"));
      dialog->grab().save(QStringLiteral(BRAMBEL_BUILD_DIR "/send_dialog.png"));  // for a reviewer's eye
      dialog->accept();
    });
  }

 private slots:
  void initTestCase() {
    library_ = home_.open();
    QVERIFY(library_);
    auto store = library_->session.document().library();
    QVERIFY(saveRecord(*store, kSaved[0].toStdU16String(), u"First & best"));
    QVERIFY(saveRecord(*store, kSaved[1].toStdU16String(), u"Second"));
  }
  void init() {
    window_ = std::make_unique<QWidget>();
    commands_ = std::make_unique<DestinationCommands>(library_->session, library_->prompter, window_.get(),
                                                      home_.settingsFile().path);
    library_->prompter.notified.clear();
  }
  void cleanup() {
    commands_.reset();
    window_.reset();
  }

  void sendToListsTheDestinationsForTheSelection() {
    ResultsView view(library_->session, library_->prompter);
    ResultsCommands results(library_->session, view);
    results.setDestinations(commands_->names());
    QMenu menu;
    results.fillMenu(&menu);
    auto* sendTo = menu.findChild<QMenu*>(QStringLiteral("sendTo"));
    QVERIFY(sendTo);
    QCOMPARE(sendTo->actions().size(), static_cast<qsizetype>(commands_->names().size()));
    QCOMPARE(sendTo->actions().at(2)->text(), QStringLiteral("Gmail (browser)"));
    results.updateEnabled();
    QVERIFY(!sendTo->actions().at(0)->isEnabled());  // nothing selected

    view.setResults({testing::result("http://saved.test/one", "One"), testing::result("http://saved.test/two", "Two")});
    view.selectAllResults();
    results.updateEnabled();
    QSignalSpy chosen(&results, &ResultsCommands::sendToRequested);
    sendTo->actions().at(3)->trigger();
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.first().at(0).toInt(), 3);
    QCOMPARE(chosen.first().at(1).toStringList().size(), 2);
  }

  void loginsAreStoredWithThePasswordScrambled() {
    whenModal<DestinationsDialog>([](DestinationsDialog* dialog) {
      auto* list = child<QListWidget>(dialog, "destinationList");
      QVERIFY(list->findItems(QStringLiteral("Gmail (browser)"), Qt::MatchExactly).isEmpty());
      list->setCurrentRow(0);
      QTest::keyClicks(child<QLineEdit>(dialog, "destUsername"), QStringLiteral("alice"));
      QTest::keyClicks(child<QLineEdit>(dialog, "destPassword"), QStringLiteral("hunter2"));
      QTest::keyClicks(child<QLineEdit>(dialog, "destAdditional"), QStringLiteral("research"));
      dialog->accept();
    });
    commands_->configure();
    const std::string stored = readTextFile(home_.settingsFile().path).value_or("");
    QVERIFY(stored.find("destinations\\pinboard.in\\username=alice") != std::string::npos);
    QVERIFY(stored.find("hunter2") == std::string::npos);
    const std::vector<Destination> loaded = LoadDestinations(home_.settingsFile().path);
    QCOMPARE(loaded.front().password, std::u16string(u"hunter2"));
    QCOMPARE(loaded.front().additional, std::u16string(u"research"));
    QCOMPARE(std::filesystem::status(home_.settingsFile().path).permissions() & std::filesystem::perms::group_read,
             std::filesystem::perms::none);
  }

  void aSendPostsEverySavedUrlWithTheFormsHiddenValues() {
    LoopbackServer service;
    serveBookmarks(service, "Welcome back");
    pointAt(service);
    QSignalSpy reported(commands_.get(), &DestinationCommands::reported);
    QSignalSpy progress(commands_.get(), &DestinationCommands::progress);
    fillSendDialog();
    commands_->sendTo(0, kSaved + QStringList{QStringLiteral("http://never.saved.test/")});
    QTRY_COMPARE_WITH_TIMEOUT(reported.count(), 1, 20000);
    QCOMPARE(reported.first().first().toString(), QStringLiteral("Url(s) sent to destination."));
    QCOMPARE(library_->prompter.notified, QStringList{QStringLiteral("Url(s) sent to destination.")});
    QVERIFY(progress.count() >= 5);  // login, then a form page and a post per saved URL

    const auto logins = requestsTo(service, "POST", "/login");
    QCOMPARE(logins.size(), size_t(1));
    QCOMPARE(QString::fromStdString(logins[0].body),
             QStringLiteral("user_name=bob&password=se+cret%26&login=log%20in"));
    const auto posts = requestsTo(service, "POST", "/bob");
    QCOMPARE(posts.size(), size_t(2));  // the URL without a library record is skipped
    QVERIFY(posts[0].body.find("url=http%3a%2f%2fsaved.test%2fone") != std::string::npos);
    QVERIFY(posts[0].body.find("description=First+%26+best") != std::string::npos);
    QVERIFY(posts[0].body.find("notes=my+notes") != std::string::npos);
    QVERIFY(posts[0].body.find("key=k123") != std::string::npos);
    QVERIFY(posts[1].body.find("url=http%3a%2f%2fsaved.test%2ftwo") != std::string::npos);
    // Sent URLs are kept in the library ("autoPermanent").
    QTRY_VERIFY(library_->session.marksOf(kSaved[1].toStdU16String()).isPermanent());
  }

  void aRejectedLoginPostsNothing() {
    LoopbackServer service;
    serveBookmarks(service, "<p>Your password is INVALID.</p>");
    pointAt(service);
    QSignalSpy reported(commands_.get(), &DestinationCommands::reported);
    fillSendDialog();
    commands_->sendTo(0, kSaved);
    QTRY_COMPARE_WITH_TIMEOUT(reported.count(), 1, 20000);
    QCOMPARE(reported.first().first().toString(), QStringLiteral("Error: Login failed for pinboard.in"));
    QVERIFY(requestsTo(service, "POST", "/bob").empty());
    QVERIFY(requestsTo(service, "GET", "/bob").empty());
  }

  void aBrowserDestinationOpensOnePageForTwentyUrls() {
    int gmail = static_cast<int>(commands_->names().indexOf(QStringLiteral("Gmail (browser)")));
    QVERIFY(gmail >= 0);
    QStringList opened;
    commands_->setBrowserOpener([&](const QString& url) { opened.append(url); });
    QStringList urls;
    for (int i = 0; i < 25; ++i) urls.append(QStringLiteral("http://many.test/%1").arg(i));
    commands_->sendTo(gmail, urls);  // no dialog for the browser
    QTRY_COMPARE(opened.size(), 1);
    QVERIFY(opened[0].contains(QStringLiteral("many.test%2f19")));
    QVERIFY(!opened[0].contains(QStringLiteral("many.test%2f20")));
    QTRY_VERIFY(!library_->prompter.notified.isEmpty());
    QVERIFY(library_->prompter.notified.first().startsWith(QStringLiteral("A maximum of 20 urls")));
  }
};

QTEST_MAIN(DestinationDialogsTest)
#include "destination_dialogs_test.moc"
