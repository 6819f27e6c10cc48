#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace brambel {

class DesktopCommandHost;
class DesktopPrompter;
class LibrarySession;

// Results > "Load Results..." and "Save Results...": result sets, HTML pages
// and feeds in, result sets, HTML pages and RSS feeds out, chosen by the
// file's extension.
class ResultFileCommands : public QObject {
  Q_OBJECT

 public:
  ResultFileCommands(LibrarySession& session, DesktopCommandHost& host, DesktopPrompter& prompter, QWidget* window,
                     std::function<QStringList()> selection);

  // The dialogs: a file to read, or a file to write with "Save Selection
  // Only" (Ctrl held when the dialog closes exports the whole library).
  void load();
  void save();

  // Reads the results of `path` into the view, replacing them; false (the
  // user told) when the file cannot be read.
  bool loadFrom(const QString& path);
  // Writes the displayed results, or with `wholeLibrary` the library's
  // documents, into `path`; with `selectionOnly` only the selected ones.
  bool saveTo(const QString& path, bool selectionOnly, bool wholeLibrary);

 private:
  LibrarySession& session_;
  DesktopCommandHost& host_;
  DesktopPrompter& prompter_;
  QWidget* window_;
  std::function<QStringList()> selection_;
};

}  // namespace brambel
