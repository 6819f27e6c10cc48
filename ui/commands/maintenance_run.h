#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QWidget;

namespace brambel {

class DesktopPrompter;
class LibrarySession;
class MaintenancePrompter;
class SessionEvents;

// Runs one piece of the library's maintenance (an optimise, a rebuild of the
// source index) on a worker thread while a modal progress dialog keeps the
// window painted. The work's messages and questions reach the user through
// the prompter; the document's events wait until the library's work has
// started again, then the views start over once. One runs at a time.
class MaintenanceRun : public QObject {
  Q_OBJECT

 public:
  // The work, on the worker thread; what it hands back runs on the GUI
  // thread once the dialog is gone (its report to the user).
  using Work = std::function<std::function<void()>(MaintenancePrompter& prompter)>;

  MaintenanceRun(LibrarySession& session, SessionEvents& events, DesktopPrompter& prompter, QWidget* window);

  // Starts `work` behind a dialog titled `title` (named `dialogName`, for
  // tests); false when a run is going on.
  bool start(const QString& title, const QString& dialogName, Work work);
  bool isRunning() const { return running_; }

 private:
  LibrarySession& session_;
  SessionEvents& events_;
  DesktopPrompter& prompter_;
  QWidget* window_;
  bool running_ = false;
};

}  // namespace brambel
