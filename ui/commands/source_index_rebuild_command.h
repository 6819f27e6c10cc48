#pragma once

#include <QObject>

class QWidget;

namespace brambel {

class DesktopPrompter;
class LibrarySession;
class MaintenanceRun;

// The "srcrebuild" command: files every saved page of the library into a new
// source index behind the maintenance dialog, then tells what it filed.
class SourceIndexRebuildCommand : public QObject {
  Q_OBJECT

 public:
  SourceIndexRebuildCommand(LibrarySession& session, MaintenanceRun& maintenance, DesktopPrompter& prompter,
                            QWidget* window);

  // Starts the rebuild; false when maintenance is running or the library is read-only.
  bool run();

 signals:
  // The rebuild ended; `filed` documents are in the new source index.
  void finished(int filed);

 private:
  LibrarySession& session_;
  MaintenanceRun& maintenance_;
  DesktopPrompter& prompter_;
  QWidget* window_;
};

}  // namespace brambel
