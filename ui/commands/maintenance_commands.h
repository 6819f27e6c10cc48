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

// The library's maintenance: File > Optimize... (the main index compacted)
// and the "srcrebuild" command (the source index filed anew from the saved
// pages). Each runs on a worker thread while a modal progress dialog keeps
// the window painted; its messages and questions reach the user through the
// prompter; the document's events wait until the library's work has started
// again, then the views start over once. One runs at a time, never on a
// library open read-only.
class MaintenanceCommands : public QObject {
  Q_OBJECT

 public:
  MaintenanceCommands(LibrarySession& session, SessionEvents& events, DesktopPrompter& prompter, QWidget* window);

  // Each starts its work; false when maintenance is running or the library is read-only.
  bool optimize();
  bool rebuildSourceIndex();
  bool isRunning() const { return running_; }

 signals:
  // The optimise ended: `done` when the index was replaced by its compact copy.
  void optimized(bool done);
  // The rebuild ended with `filed` documents in the new source index.
  void sourceIndexRebuilt(int filed);

 private:
  // The work, on the worker thread; what it hands back runs on the GUI
  // thread once the dialog is gone (its report to the user).
  using Work = std::function<std::function<void()>(MaintenancePrompter& prompter)>;
  bool start(const QString& title, const QString& dialogName, const QString& readOnlyRefusal, Work work);

  LibrarySession& session_;
  SessionEvents& events_;
  DesktopPrompter& prompter_;
  QWidget* window_;
  bool running_ = false;
};

}  // namespace brambel
