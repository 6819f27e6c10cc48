#pragma once

#include <QObject>
#include <QPointer>

class QProgressDialog;
class QWidget;

namespace brambel {

class DesktopPrompter;
class LibrarySession;
class SessionEvents;

// File > Optimize...: compacts the library's main index on a worker thread
// while a modal progress dialog keeps the window painted. The optimiser's
// messages and its question reach the user through the prompter; the
// document's events wait until the library's work has started again.
class OptimizeCommand : public QObject {
  Q_OBJECT

 public:
  OptimizeCommand(LibrarySession& session, SessionEvents& events, DesktopPrompter& prompter, QWidget* window);

  // Starts the optimise; false when one is running or the library is read-only.
  bool run();
  bool isRunning() const { return running_; }

 signals:
  // The optimise ended: `done` when the index was replaced by its compact copy.
  void finished(bool done);

 private:
  LibrarySession& session_;
  SessionEvents& events_;
  DesktopPrompter& prompter_;
  QWidget* window_;
  bool running_ = false;
};

}  // namespace brambel
