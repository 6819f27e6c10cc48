#pragma once

#include <QObject>

class QSocketNotifier;

namespace brambel {

// Turns SIGTERM, SIGINT and SIGHUP (a session logging out) into a Qt
// signal: the handler only writes a byte into a socket pair, and a socket
// notifier reads it on the GUI thread. One per process.
class TerminationWatcher : public QObject {
  Q_OBJECT

 public:
  explicit TerminationWatcher(QObject* parent = nullptr);
  ~TerminationWatcher() override;

 signals:
  void terminationRequested(int signalNumber);

 private:
  static void handle(int signalNumber);
  void readSignal();

  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace brambel
