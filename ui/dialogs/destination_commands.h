#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "destinations/destination.h"
#include "destinations/destination_send.h"

class QWidget;

namespace brambel {

class DesktopPrompter;
class LibrarySession;

// The destinations of the "Send To" menu with their stored logins: the
// Destinations dialog, and the send of selected results (its dialog, then
// the send on a thread of its own, whose progress and outcome come back to
// the window). The destructor waits for the sends still running.
class DestinationCommands : public QObject {
  Q_OBJECT

 public:
  DestinationCommands(LibrarySession& session, DesktopPrompter& prompter, QWidget* window,
                      std::filesystem::path settingsFile);
  ~DestinationCommands() override;

  std::vector<Destination>& destinations() { return destinations_; }
  QStringList names() const;

  // The Destinations dialog; the logins are stored on OK.
  void configure();
  // "Send To" destination `index` for `urls`: asks what the destination
  // needs, then sends.
  void sendTo(int index, const QStringList& urls);
  // The send after its dialog, with the variables the dialog settled.
  void startSend(int index, DestinationVariables variables, const QStringList& urls);
  // The variables a send of destination `index` starts from.
  DestinationVariables startingVariables(int index) const;
  // Waits for every send started so far.
  void wait() { sends_.wait(); }
  // Where browser destinations open their page (the desktop's browser unless set).
  void setBrowserOpener(std::function<void(const QString&)> open) { openBrowser_ = std::move(open); }

 signals:
  // A request of a running send ended.
  void progress(const QString& text);
  // A send's outcome, as the user is told it.
  void reported(const QString& message);

 private:
  SendContext sendContext();
  bool saveLogins();

  LibrarySession& session_;
  DesktopPrompter& prompter_;
  QPointer<QWidget> window_;
  std::filesystem::path settingsFile_;
  std::vector<Destination> destinations_;
  std::function<void(const QString&)> openBrowser_;
  std::shared_ptr<std::atomic<bool>> closing_ = std::make_shared<std::atomic<bool>>(false);
  DestinationSends sends_;
};

}  // namespace brambel
