// The categories dialog with its source editor, adding feeds, and loading and
// saving category sets, each driven through its widgets against a real
// library, real files and a loopback server.
#include <QComboBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

#include "formats/category_set_file.h"
#include "toolkit/code_pages.h"
#include "toolkit/text_file.h"
#include "tests/support/loopback_server.h"
#include "ui/dialogs/categories_dialog.h"
#include "ui/dialogs/category_commands.h"
#include "ui/dialogs/source_editor_dialog.h"
#include "modal_driver.h"
#include "ui_test_support.h"

using namespace brambel;
using brambel::testing::child;
using brambel::testing::LoopbackServer;
using brambel::testing::UiTestHome;
using brambel::testing::UiTestLibrary;
using brambel::testing::whenModal;

namespace {

QString qt(std::u16string_view text) { return QString::fromStdU16String(std::u16string(text)); }

QListWidgetItem* itemNamed(QListWidget* list, const QString& text) {
  const auto found = list->findItems(text, Qt::MatchExactly);
  return found.isEmpty() ? nullptr : found.first();
}

void setParameter(QTableWidget* table, const QString& name, const QString& value) {
  for (int row = 0; row < table->rowCount(); ++row) {
    if (table->item(row, 0)->text() == name) {
      table->item(row, 1)->setText(value);
      return;
    }
  }
  QFAIL(qPrintable(QStringLiteral("no parameter row %1").arg(name)));
}

const char kFeed[] =
    "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Loop News: Daily</title>"
    "<item><title>One</title><link>http://example.test/1</link></item></channel></rss>";

}  // namespace

class CategoryDialogsTest : public QObject {
  Q_OBJECT

  UiTestHome home_;
  std::unique_ptr<UiTestLibrary> library_;
  std::unique_ptr<QWidget> window_;
  std::unique_ptr<CategoryCommands> commands_;

  std::filesystem::path sourcesDirectory() const {
    return library_->application.paths().programData / CTesserin2Doc::kSourcesDirectoryName;
  }
  std::vector<std::u16string> categoryNames() const {
    std::vector<std::u16string> names;
    for (const Category& category : library_->session.categories().categories) names.push_back(category.name);
    return names;
  }
  const Category* category(const std::u16string& name) const {
    for (const Category& category : library_->session.categories().categories)
      if (category.name == name) return &category;
    return nullptr;
  }

 private slots:
  void init() {
    library_ = home_.open({}, "Library" + std::to_string(std::rand()));
    QVERIFY(library_);
    library_->prompter.notified.clear();
    window_ = std::make_unique<QWidget>();
    commands_ = std::make_unique<CategoryCommands>(library_->session, library_->prompter, window_.get());
  }
  void cleanup() {
    commands_.reset();
    window_.reset();
    library_.reset();
  }

  void categoriesAreEditedAndRefusalsKeepEverything() {
    auto& prompter = library_->prompter;
    const size_t before = library_->session.categories().categories.size();
    const std::u16string first = categoryNames().front();
    whenModal<CategoriesDialog>([&](CategoriesDialog* dialog) {
      auto* name = child<QLineEdit>(dialog, "categoryName");
      auto* list = child<QListWidget>(dialog, "categoryList");
      name->setText(QStringLiteral("  "));
      child<QPushButton>(dialog, "categoryAdd")->click();
      name->setText(qt(first).toUpper());  // names compare without case
      child<QPushButton>(dialog, "categoryAdd")->click();
      QCOMPARE(list->count(), static_cast<int>(before));
      name->setText(QStringLiteral("Science"));
      child<QPushButton>(dialog, "categoryAdd")->click();
      QCOMPARE(list->currentItem()->text(), QStringLiteral("Science"));
      child<QPushButton>(dialog, "categoryUp")->click();
      QCOMPARE(list->item(static_cast<int>(before) - 1)->text(), QStringLiteral("Science"));
      child<QComboBox>(dialog, "categoryView")->setCurrentIndex(2);
      emit child<QComboBox>(dialog, "categoryView")->activated(2);
      // The category searches the library source: ticked in its list.
      itemNamed(child<QListWidget>(dialog, "sourceList"), QStringLiteral("Library"))->setCheckState(Qt::Checked);
      // For a reviewer's eye.
      dialog->grab().save(QStringLiteral(BRAMBEL_BUILD_DIR "/categories_dialog.png"));
      dialog->accept();
    });
    commands_->editCategories(0);
    QCOMPARE(prompter.notified, (QStringList{qt(categoryMessages::kEmptyName), qt(categoryMessages::kNameExists)}));
    QCOMPARE(categoryNames()[before - 1], std::u16string(u"Science"));
    QCOMPARE(category(u"Science")->viewMode, 2);
    QCOMPARE(category(u"Science")->references.size(), size_t(1));

    // Saved into the library: read back from its file.
    CategorySet saved;
    SourceDefinitions definitions;
    ReadCategorySet(toWide(readTextFile(library_->session.libraryDirectory() / "categories.zcat").value_or(""),
                           kCodePageUtf8), saved, definitions);
    QCOMPARE(saved.categories, library_->session.categories().categories);

    // Removing every category stops at the last one.
    prompter.notified.clear();
    whenModal<CategoriesDialog>([&](CategoriesDialog* dialog) {
      for (int i = 0; i < 40; ++i) child<QPushButton>(dialog, "categoryRemove")->click();
      QCOMPARE(child<QListWidget>(dialog, "categoryList")->count(), 1);
      dialog->reject();
    });
    commands_->editCategories(0);
    QCOMPARE(prompter.notified.last(), qt(categoryMessages::kLastCategory));
    QCOMPARE(categoryNames().size(), before + 1);  // cancelled: nothing changed
  }

  void sourcesAreValidatedThenSavedAsFiles() {
    auto& prompter = library_->prompter;
    const QString feedUrl = QStringLiteral("http://feeds.example.test/science.xml");
    whenModal<CategoriesDialog>([&](CategoriesDialog* dialog) {
      // A new source without a base source is refused and the editor stays open.
      whenModal<SourceEditorDialog>([&](SourceEditorDialog* editor) {
        child<QLineEdit>(editor, "sourceName")->setText(QStringLiteral("Science Feed"));
        editor->accept();
        QVERIFY(editor->isVisible());
        QCOMPARE(child<QLineEdit>(editor, "sourceName")->text(), QStringLiteral("Science Feed"));
        auto* base = child<QComboBox>(editor, "sourceBase");
        base->setCurrentIndex(base->findText(QStringLiteral("rss")));
        setParameter(child<QTableWidget>(editor, "sourceParameters"), QStringLiteral("url"), feedUrl);
        editor->accept();
        QVERIFY(!editor->isVisible());
      });
      child<QPushButton>(dialog, "sourceNew")->click();
      QListWidgetItem* saved = itemNamed(child<QListWidget>(dialog, "sourceList"), QStringLiteral("Science Feed"));
      QVERIFY(saved);
      QCOMPARE(saved->checkState(), Qt::Checked);  // joins the category it was made in

      // A second new source may not wait beside an unsaved one.
      whenModal<SourceEditorDialog>([](SourceEditorDialog* editor) { editor->reject(); });
      child<QPushButton>(dialog, "sourceNew")->click();
      child<QPushButton>(dialog, "sourceNew")->click();
      // The waiting one, under the same name as the saved one, is refused.
      whenModal<SourceEditorDialog>([&](SourceEditorDialog* editor) {
        QCOMPARE(child<QLineEdit>(editor, "sourceName")->text(), qt(categoryMessages::kNewSourceName));
        child<QLineEdit>(editor, "sourceName")->setText(QStringLiteral("science feed"));
        auto* base = child<QComboBox>(editor, "sourceBase");
        base->setCurrentIndex(base->findText(QStringLiteral("rss")));
        setParameter(child<QTableWidget>(editor, "sourceParameters"), QStringLiteral("url"), feedUrl + "2");
        editor->accept();
        QVERIFY(editor->isVisible());
        editor->reject();
      });
      child<QPushButton>(dialog, "sourceEdit")->click();
      QVERIFY(dialog->saveSelectedSource(QString::fromStdString((home_.root() / "pending.zsrc").string())) == false);
      child<QListWidget>(dialog, "sourceList")
          ->setCurrentItem(itemNamed(child<QListWidget>(dialog, "sourceList"), QStringLiteral("Science Feed")));
      QVERIFY(dialog->saveSelectedSource(QString::fromStdString((home_.root() / "science.zsrc").string())));
      dialog->accept();
    });
    commands_->editCategories(0);
    QCOMPARE(prompter.notified,
             (QStringList{qt(categoryMessages::kSourceIncomplete), qt(categoryMessages::kNewSourceExists),
                          qt(FormatMessage(categoryMessages::kDuplicateSource, u"Science Feed"))}));

    const std::u16string identity = u"rss/" + feedUrl.toStdU16String() + u"/";
    QCOMPARE(library_->session.document().sourceTable().nameOf(identity), std::u16string(u"Science Feed"));
    const auto& references = library_->session.categories().categories.front().references;
    QVERIFY(std::find(references.begin(), references.end(), identity) != references.end());
    QCOMPARE(ReadSourceFile(sourcesDirectory() / "Science Feed.zsrc").value_or(SourceDefinition{}).parameters[u"url"],
             feedUrl.toStdU16String());
    QCOMPARE(ReadSourceFile(home_.root() / "science.zsrc").value_or(SourceDefinition{}).baseKey,
             std::u16string(u"rss"));

    // A result's source, Ctrl-clicked: its editor, the edit saved; a built-in one is only told.
    whenModal<SourceEditorDialog>([&](SourceEditorDialog* editor) {
      QCOMPARE(child<QLineEdit>(editor, "sourceName")->text(), QStringLiteral("Science Feed"));
      child<QLineEdit>(editor, "sourceName")->setText(QStringLiteral("Science News"));
      editor->accept();
    });
    commands_->editSource(qt(identity));
    QCOMPARE(library_->session.document().sourceTable().nameOf(identity), std::u16string(u"Science News"));
    QVERIFY(std::filesystem::exists(sourcesDirectory() / "Science News.zsrc"));
    commands_->editSource(QStringLiteral("google"));
    QVERIFY(prompter.notified.last().contains(QStringLiteral("built-in")));
  }

  void anEditedSourceKeepsItsPlacesAndADeletedOneLeavesThem() {
    CategorySet set;
    set.categories = {Category{u"One", 0, {u"rss/http://a.test/feed/", u"google"}},
                      Category{u"Two", 0, {u"rss/http://a.test/feed/"}}};
    CategoryDraft draft(set, {SourceDefinition{u"rss", u"", {{u"url", u"http://a.test/feed"}}, u"A"}});
    SourceDefinition moved{u"rss", u"", {{u"url", u"http://b.test/feed"}}, u"A"};
    QVERIFY(!draft.SaveSource(u"rss/http://a.test/feed/", moved));
    QCOMPARE(draft.set().categories[0].references,
             (std::vector<std::u16string>{u"rss/http://b.test/feed/", u"google"}));
    QCOMPARE(draft.set().categories[1].references, std::vector<std::u16string>{u"rss/http://b.test/feed/"});
    // A copy of a built-in source waits as the new source, named " copy".
    QVERIFY(!draft.BeginNewSource(u"google"));
    QCOMPARE(draft.pendingSource()->baseKey, std::u16string(u"google"));
    QVERIFY(draft.pendingSource()->name.ends_with(u" copy"));
    // Saved unchanged it would stand for the built-in one: refused.
    QVERIFY(draft.SaveSource(std::nullopt, *draft.pendingSource()));
    QVERIFY(draft.RemoveSource(u"rss/http://b.test/feed/"));
    QCOMPARE(draft.set().categories[0].references, std::vector<std::u16string>{u"google"});
    QVERIFY(draft.set().categories[1].references.empty());
    QVERIFY(!draft.RemoveSource(u"google"));  // built-in sources stay
    QVERIFY(draft.SaveSource(u"google", SourceDefinition{u"google", u"", {{u"site", u"x.test"}}, u"G"}));
    // A parameter name the file would split differently is refused.
    SourceDefinition odd{u"url", u"", {{u"url", u"http://c.test/"}, {u"a=b", u"c"}}, u"Odd"};
    QCOMPARE(*draft.SaveSource(std::nullopt, odd), std::u16string(u"A parameter name cannot contain \"=\": a=b"));
  }

  void aReadOnlyLibraryKeepsItsCategories() {
    auto reader = home_.make();
    QVERIFY(reader->session.Open(library_->session.libraryDirectory(), false, true));
    QVERIFY(reader->session.isReadOnly());
    CategoryCommands commands(reader->session, reader->prompter, window_.get());
    const QString zcat = QString::fromStdString((home_.root() / "readonly.zcat").string());
    QVERIFY(commands.saveCategories(zcat));  // saving a copy is reading
    QVERIFY(!commands.loadFromFile(zcat));
    commands.editCategories(0);  // tells instead of opening the dialog
    QCOMPARE(reader->prompter.notified.size(), 2);
    QVERIFY(reader->prompter.notified.last().contains(QStringLiteral("read-only")));
  }

  void aFeedIsAddedFromItsAddress() {
    LoopbackServer server;
    server.serve("/feed.xml", kFeed, "application/rss+xml");
    server.serve("/page.html", "<html><title>Not a feed</title></html>");
    auto& prompter = library_->prompter;
    const std::u16string target = categoryNames().back();

    QString proposed;
    whenModal<QInputDialog>([&](QInputDialog* ask) {
      proposed = ask->textValue();
      ask->accept();
    });
    commands_->addFeedUrl(QString::fromStdString(server.url("/feed.xml")), qt(target));
    QCOMPARE(proposed, QStringLiteral("Loop News Daily"));
    QCOMPARE(prompter.notified.last(), QStringLiteral("Added source: Loop News Daily"));
    const std::u16string identity = toWide("rss/" + server.url("/feed.xml") + "/", kCodePageUtf8);
    QCOMPARE(category(target)->references.back(), identity);
    QVERIFY(std::filesystem::exists(sourcesDirectory() / "Loop News Daily.zsrc"));

    // The same feed again, and a page that is no feed: nothing changes.
    const CategorySet before = library_->session.categories();
    commands_->addFeedUrl(QString::fromStdString(server.url("/feed.xml")), qt(target));
    QVERIFY(prompter.notified.last().startsWith(QStringLiteral("Feed already exists: Loop News Daily")));
    commands_->addFeedUrl(QString::fromStdString(server.url("/page.html")), qt(target));
    QVERIFY(prompter.notified.last().startsWith(QStringLiteral("Feed Unrecognized.")));
    QCOMPARE(library_->session.categories(), before);
  }

  void categorySetsAndOutlinesRoundTrip() {
    auto& prompter = library_->prompter;
    LoopbackServer server;
    server.serve("/feed.xml", kFeed, "application/rss+xml");
    whenModal<QInputDialog>([](QInputDialog* ask) { ask->accept(); });
    commands_->addFeedUrl(QString::fromStdString(server.url("/feed.xml")), qt(categoryNames().front()));
    const CategorySet original = library_->session.categories();

    const QString zcat = QString::fromStdString((home_.root() / "saved.zcat").string());
    const QString opml = QString::fromStdString((home_.root() / "saved.xml").string());
    QVERIFY(commands_->saveCategories(zcat));
    QVERIFY(commands_->saveCategories(opml));
    const std::string outline = readTextFile(opml.toStdString()).value_or("");
    QVERIFY2(outline.find("<outline title=\"Loop News Daily") != std::string::npos, outline.c_str());

    // Declining the question changes nothing.
    prompter.answer = false;
    QVERIFY(!commands_->loadFromFile(opml));
    QCOMPARE(library_->session.categories(), original);
    prompter.answer = true;

    // The outline brings only the categories with feeds, each with its feeds.
    QVERIFY(commands_->loadFromFile(opml));
    const auto& loaded = library_->session.categories().categories;
    QVERIFY(!loaded.empty() && loaded.size() < original.categories.size());
    QCOMPARE(loaded.front().name, original.categories.front().name);
    const std::u16string feed = toWide("rss/" + server.url("/feed.xml") + "/", kCodePageUtf8);
    QVERIFY(std::find(loaded.front().references.begin(), loaded.front().references.end(), feed) !=
            loaded.front().references.end());
    for (const Category& each : loaded)
      for (const std::u16string& reference : each.references)
        QVERIFY(reference.starts_with(u"rss/") || reference.starts_with(u"atom/"));

    // The category set file brings everything back.
    QVERIFY(commands_->loadFromFile(zcat));
    QCOMPARE(library_->session.categories().categories, original.categories);
    QVERIFY(prompter.asked.contains(QStringLiteral("opencategories")));

    // A file that is neither leaves the categories as they were.
    const auto stray = home_.root() / "stray.txt";
    QVERIFY(writeTextFile(stray, "just some words\r\n"));
    QVERIFY(!commands_->loadFromFile(QString::fromStdString(stray.string())));
    QCOMPARE(prompter.notified.last(), QStringLiteral("An error occurred while parsing the OPML file."));
    QCOMPARE(library_->session.categories().categories, original.categories);
  }

  void categoriesAreLoadedFromAnAddress() {
    auto& prompter = library_->prompter;
    LoopbackServer server;
    server.serve("/set.zcat",
                 "[description]\r\nFrom the web\r\n[source]=Remote\r\nrss\r\n\r\nurl=http://remote.test/feed\r\n"
                 "[category]=Remote News\r\nview=list\r\nrss/http://remote.test/feed/\r\ngoogle\r\n",
                 "text/plain");
    const std::string address = server.url("/set.zcat");
    // Without a scheme, "http://" is put in front.
    QVERIFY(commands_->loadFromUrl(QString::fromStdString(address.substr(std::string("http://").size()))));
    QCOMPARE(categoryNames(), std::vector<std::u16string>{u"Remote News"});
    QCOMPARE(category(u"Remote News")->viewMode, 1);
    QCOMPARE(library_->session.document().sourceTable().nameOf(u"rss/http://remote.test/feed/"),
             std::u16string(u"Remote"));
    QVERIFY(std::filesystem::exists(sourcesDirectory() / "Remote.zsrc"));

    const QString missing = QString::fromStdString(server.url("/missing.zcat"));
    QVERIFY(!commands_->loadFromUrl(missing));
    QCOMPARE(prompter.notified.last(), QStringLiteral("Error fetching categories from url: ") + missing);
    QCOMPARE(categoryNames(), std::vector<std::u16string>{u"Remote News"});
  }
};

QTEST_MAIN(CategoryDialogsTest)
#include "category_dialogs_test.moc"
