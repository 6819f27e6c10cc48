#pragma once

#include <QObject>

class QWidget;

namespace brambel {

class DesktopPrompter;
class LibrarySession;
class MaintenanceRun;

// File > Optimize...: compacts the library's main index behind the
// maintenance dialog; the optimiser's messages and its question reach the
// user through the prompter.
class OptimizeCommand : public QObject {
  Q_OBJECT

 public:
  OptimizeCommand(LibrarySession& session, MaintenanceRun& maintenance, DesktopPrompter& prompter, QWidget* window);

  // Starts the optimise; false when maintenance is running or the library is read-only.
  bool run();
  bool isRunning() const;

 signals:
  // The optimise ended: `done` when the index was replaced by its compact copy.
  void finished(bool done);

 private:
  LibrarySession& session_;
  MaintenanceRun& maintenance_;
  DesktopPrompter& prompter_;
  QWidget* window_;
};

}  // namespace brambel
