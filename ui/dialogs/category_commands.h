#pragma once

#include <QObject>
#include <QPointer>
#include <filesystem>

#include "formats/category_set.h"

class QWidget;

namespace brambel {

class CategoryDraft;
class DesktopPrompter;
class LibrarySession;

// The category commands of the File menu and the category tabs: the
// Categories dialog, adding a feed, loading categories from a URL or a file
// (a category set or an OPML outline) and saving them. Every change goes to
// the library's "categories.zcat" and the sources directory at once.
class CategoryCommands : public QObject {
  Q_OBJECT

 public:
  CategoryCommands(LibrarySession& session, DesktopPrompter& prompter, QWidget* window);

  // The Categories dialog, opened on category `index`.
  void editCategories(int index);
  // The settings of the source `identity` (a result's source, Ctrl-clicked):
  // its editor for a user-defined source; a built-in one is told to be copied first.
  void editSource(const QString& identity);
  // The "Add Rss/Atom Feed" dialog, the category `index` chosen (-1: none).
  void addFeed(int index);
  // Adds the feed at `url` to `category` (none when empty), asking for its
  // name, and tells the user what happened.
  void addFeedUrl(const QString& url, const QString& category);

  // The commands of the File menu: each asks for its URL or file first.
  void loadFromUrl();
  void loadFromFile();
  void saveCategories();
  // The same with the URL or file given; false when nothing changed.
  bool loadFromUrl(const QString& url);
  bool loadFromFile(const QString& path);
  bool saveCategories(const QString& path);

 private:
  bool writable();
  bool confirmReplace();
  bool replaceWithText(const std::u16string& text, const std::u16string& baseUrl);
  void replaceCategories(CategorySet set, SourceDefinitions definitions);
  void tellSourcesNotSaved();
  // Saves the sources directory and gives the library the draft's categories and sources.
  void commitDraft(const CategoryDraft& draft);
  std::filesystem::path sourcesDirectory() const;

  LibrarySession& session_;
  DesktopPrompter& prompter_;
  QPointer<QWidget> window_;
};

}  // namespace brambel
