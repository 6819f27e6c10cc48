#pragma once

#include <QObject>

class QMenu;

namespace brambel {

class DesktopCommandHost;
class DesktopPrompter;
class HelpCommands;
class LibrarySession;
class MainWindow;
class MaintenanceCommands;
class ResultFileCommands;
class SavedTermsMenu;
class SessionEvents;

// The main window's commands beyond the views: the library's text commands
// (batch loads, opened files), Optimize and the source index rebuild, result files, saved terms, the
// slideshow and the Help menu's periphery. The window's menus call these.
class MenuCommands : public QObject {
  Q_OBJECT

 public:
  MenuCommands(LibrarySession& session, SessionEvents& events, DesktopPrompter& prompter, MainWindow& window);
  ~MenuCommands() override;

  DesktopCommandHost& host() { return *host_; }
  MaintenanceCommands& maintenance() { return *maintenance_; }
  ResultFileCommands& resultFiles() { return *resultFiles_; }
  HelpCommands& help() { return *help_; }
  // Fills the "Saved Terms" menu and keeps it current.
  SavedTermsMenu* attachSavedTerms(QMenu* menu);

  void optimize();
  // File > Batch Load: every category searched for the search box's terms.
  bool batchLoad();
  // File > Restore Last Batch; false (the user told) when there is none.
  bool restoreBatch();
  void showSlideshow();
  // A file or URL given to the program (its command line, another instance).
  void openDocument(const QString& pathOrUrl);

 signals:
  // The results were replaced or the mode changed: the views start over.
  void viewsChanged();

 private:
  LibrarySession& session_;
  DesktopPrompter& prompter_;
  MainWindow& window_;
  DesktopCommandHost* host_;
  MaintenanceCommands* maintenance_;
  ResultFileCommands* resultFiles_;
  HelpCommands* help_;
};

}  // namespace brambel
