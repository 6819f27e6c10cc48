#include "ui/dialogs/category_commands.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QWidget>

#include "formats/category_import.h"
#include "formats/category_set_file.h"
#include "formats/feed_adding.h"
#include "formats/opml.h"
#include "formats/source_table.h"
#include "toolkit/code_pages.h"
#include "toolkit/fetch_page.h"
#include "toolkit/text_file.h"
#include "ui/bridge/library_session.h"
#include "ui/bridge/prompter.h"
#include "ui/dialogs/add_feed_dialog.h"
#include "ui/dialogs/categories_dialog.h"
#include "ui/dialogs/source_editor_dialog.h"

namespace brambel {
namespace {

constexpr char16_t kReplaceCategories[] = u"This will REPLACE your current categories. Continue?";
constexpr char16_t kFetchFailed[] = u"Error fetching categories from url: %s";
constexpr char16_t kNotCategories[] = u"An error occurred while parsing the OPML file.";
// Far above any real category set; a larger answer is refused, never cut short.
constexpr uint32_t kLargestCategoryText = 8 * 1024 * 1024;
const QString kFileFilters = QStringLiteral("Category Files (*.zcat);;OPML Files (*.xml);;All Files (*)");

QString qt(const std::u16string& text) { return QString::fromStdU16String(text); }

// The wait cursor while the program fetches; put back for any question asked meanwhile.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { release(); }
  void release() {
    if (held_) QApplication::restoreOverrideCursor();
    held_ = false;
  }

 private:
  bool held_ = true;
};

}  // namespace

CategoryCommands::CategoryCommands(LibrarySession& session, DesktopPrompter& prompter, QWidget* window)
    : QObject(window), session_(session), prompter_(prompter), window_(window) {}

std::filesystem::path CategoryCommands::sourcesDirectory() const {
  return session_.application().paths().programData / CTesserin2Doc::kSourcesDirectoryName;
}

bool CategoryCommands::writable() {
  if (!session_.isReadOnly()) return true;
  prompter_.Notify(window_, QString(), tr("This library is open read-only: its categories cannot be changed."));
  return false;
}

void CategoryCommands::replaceCategories(CategorySet set, SourceDefinitions definitions) {
  // The sources directory holds every user-defined source; the document
  // builds its table from it, then from the set's own definitions.
  CTesserin2Doc& document = session_.document();
  document.SetCategories(std::move(set), std::move(definitions), true);
  if (!document.sourceTable().SaveSourceDirectory(sourcesDirectory())) tellSourcesNotSaved();
}

void CategoryCommands::tellSourcesNotSaved() {
  const QString directory = QString::fromStdString(sourcesDirectory().string());
  prompter_.Notify(window_, QString(), tr("The sources could not be saved in %1.").arg(directory));
}

void CategoryCommands::editCategories(int index) {
  if (!writable()) return;
  CategoryDraft draft(session_.categories(), session_.document().sourceTable().userDefinitions());
  const size_t current = index >= 0 ? static_cast<size_t>(index) : session_.currentCategory();
  CategoriesDialog dialog(std::move(draft), current, prompter_, window_);
  if (dialog.exec() == QDialog::Accepted) commitDraft(dialog.draft());
}

void CategoryCommands::editSource(const QString& identity) {
  if (!writable()) return;
  CategoryDraft draft(session_.categories(), session_.document().sourceTable().userDefinitions());
  const std::u16string id = identity.toStdU16String();
  if (!draft.table().find(id)) {
    prompter_.Notify(window_, QString(), tr("The source %1 is no longer in this library.").arg(identity));
    return;
  }
  if (!draft.table().userDefinition(id)) {
    prompter_.Notify(window_, QString(),
                     tr("%1 is a built-in source: copy it in the Categories dialog to change its settings.")
                         .arg(qt(draft.table().nameOf(id))));
    return;
  }
  std::optional<SourceDefinition> definition = draft.definitionOf(id);
  if (!definition) return;
  SourceEditorDialog editor(
      *definition, [&](const SourceDefinition& edited) { return draft.SaveSource(id, edited); }, prompter_, window_);
  if (editor.exec() == QDialog::Accepted) commitDraft(draft);
}

void CategoryCommands::commitDraft(const CategoryDraft& draft) {
  if (!draft.table().SaveSourceDirectory(sourcesDirectory())) return tellSourcesNotSaved();
  session_.document().SetCategories(draft.set(), draft.definitions(), true);
}

void CategoryCommands::addFeed(int index) {
  if (!writable()) return;
  QStringList names;
  for (const Category& category : session_.categories().categories) names.append(qt(category.name));
  AddFeedDialog dialog(names, index, window_);
  if (dialog.exec() != QDialog::Accepted) return;
  addFeedUrl(dialog.url(), dialog.category());
}

void CategoryCommands::addFeedUrl(const QString& url, const QString& category) {
  SourceTable table = session_.document().sourceTable();
  CategorySet set = session_.categories();
  WaitCursor waiting;
  FeedAddOptions options;
  options.category = category.toStdU16String();
  options.sourcesDirectory = sourcesDirectory();
  options.askName = [&](const std::u16string& proposed) -> std::optional<std::u16string> {
    waiting.release();
    bool ok = false;
    const QString name = QInputDialog::getText(window_, tr("Add Feed"), tr("Name of the new source:"),
                                               QLineEdit::Normal, qt(proposed), &ok);
    if (!ok) return std::nullopt;
    return name.toStdU16String();
  };
  FeedAddOutcome outcome = brambel::addFeed(url.toStdU16String(), table, set, options);
  waiting.release();
  if (outcome.status == FeedAddStatus::Added) session_.document().SetCategories(std::move(set), {}, true);
  if (!outcome.message.empty()) prompter_.Notify(window_, QString(), qt(outcome.message));
}

bool CategoryCommands::confirmReplace() {
  return prompter_.Confirm(window_, QStringLiteral("opencategories"), qt(kReplaceCategories));
}

bool CategoryCommands::replaceWithText(const std::u16string& text, const std::u16string& baseUrl) {
  CategorySet set;
  SourceDefinitions definitions;
  if (!readCategoriesText(text, set, definitions, baseUrl)) {
    prompter_.Notify(window_, QString(), qt(kNotCategories));
    return false;
  }
  replaceCategories(std::move(set), std::move(definitions));
  return true;
}

void CategoryCommands::loadFromUrl() {
  if (!writable()) return;
  bool ok = false;
  const QString url = QInputDialog::getText(window_, tr("Load Categories From URL"), tr("URL of the category set:"),
                                            QLineEdit::Normal, QString(), &ok);
  if (ok && !url.trimmed().isEmpty()) loadFromUrl(url.trimmed());
}

bool CategoryCommands::loadFromUrl(const QString& given) {
  if (!writable() || !confirmReplace()) return false;
  const QString url = given.startsWith(QLatin1String("http")) ? given : QStringLiteral("http://") + given;
  std::string body;
  bool fetched = false;
  {
    WaitCursor waiting;
    fetched = fetchPage(url.toStdU16String(), body, kLargestCategoryText) && !body.empty();
  }
  if (!fetched || body.size() >= kLargestCategoryText) {
    prompter_.Notify(window_, QString(), qt(FormatMessage(kFetchFailed, url.toStdU16String())));
    return false;
  }
  return replaceWithText(toWide(body, kCodePageUtf8), url.toStdU16String());
}

void CategoryCommands::loadFromFile() {
  if (!writable()) return;
  const QString path = QFileDialog::getOpenFileName(window_, tr("Load Categories From File"), QString(), kFileFilters);
  if (!path.isEmpty()) loadFromFile(path);
}

bool CategoryCommands::loadFromFile(const QString& path) {
  if (!writable() || !confirmReplace()) return false;
  std::optional<std::string> text = readTextFile(path.toStdString());
  if (!text) {
    prompter_.Notify(window_, QString(), tr("The file %1 could not be read.").arg(path));
    return false;
  }
  return replaceWithText(toWide(*text, kCodePageUtf8), {});
}

void CategoryCommands::saveCategories() {
  QString filter;
  QString path = QFileDialog::getSaveFileName(window_, tr("Save Categories"), QString(), kFileFilters, &filter);
  if (path.isEmpty()) return;
  if (QFileInfo(path).suffix().isEmpty()) path += filter.startsWith(QLatin1String("OPML")) ? ".xml" : ".zcat";
  if (!saveCategories(path))
    prompter_.Notify(window_, QString(), tr("The categories could not be saved in %1.").arg(path));
}

bool CategoryCommands::saveCategories(const QString& path) {
  const SourceTable& table = session_.document().sourceTable();
  if (!path.contains(QLatin1String(".xml"), Qt::CaseInsensitive))
    return WriteCategorySet(session_.categories(), path.toStdString(), table);
  const std::u16string title = QFileInfo(path).fileName().toStdU16String();
  return writeTextFile(path.toStdString(), toNarrow(writeOpml(session_.categories(), table, title), kCodePageUtf8));
}

}  // namespace brambel
