#pragma once

#include <QObject>
#include <functional>

#include "app/update_check.h"

class QWidget;

namespace brambel {

class DesktopPrompter;
class LibrarySession;

// The Help menu's "Check For Updates" and "Uninstall...", and the daily
// automatic version check. A check runs on a thread of its own (at most one
// at a time); its dialogs are shown on the GUI thread while it waits, and
// the program's end stops the wait and the thread.
class HelpCommands : public QObject {
  Q_OBJECT

 public:
  // `releaseLibrary` stores the window's state and closes the library
  // before an uninstall removes its files.
  HelpCommands(LibrarySession& session, DesktopPrompter& prompter, QWidget* window,
               std::function<void()> releaseLibrary);
  ~HelpCommands() override;

  // The check of start-up, when a day has passed since the last one.
  bool startAutomaticCheck();
  // Help > Check For Updates; false when a check is running.
  bool checkForUpdates();
  // Help > Uninstall...: after the user agreed, the program ends.
  void uninstall();

 signals:
  void checkFinished(int outcome);
  void uninstalled(bool complete);

 private:
  bool startCheck(bool manual, uint32_t lastVersionCheck);

  LibrarySession& session_;
  DesktopPrompter& prompter_;
  QWidget* window_;
  std::function<void()> releaseLibrary_;
  VersionCheck versionCheck_;
};

}  // namespace brambel
