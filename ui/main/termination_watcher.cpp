#include "ui/main/termination_watcher.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace brambel {
namespace {

int signalSockets[2] = {-1, -1};

}  // namespace

TerminationWatcher::TerminationWatcher(QObject* parent) : QObject(parent) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSockets) != 0) return;
  notifier_ = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TerminationWatcher::readSignal);
  struct sigaction action = {};
  action.sa_handler = &TerminationWatcher::handle;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int number : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(number, &action, nullptr);
}

TerminationWatcher::~TerminationWatcher() {
  for (int number : {SIGTERM, SIGINT, SIGHUP}) std::signal(number, SIG_DFL);
  for (int& socket : signalSockets) {
    if (socket >= 0) ::close(socket);
    socket = -1;
  }
}

void TerminationWatcher::handle(int signalNumber) {
  const char byte = static_cast<char>(signalNumber);
  [[maybe_unused]] ssize_t written = ::write(signalSockets[0], &byte, 1);
}

void TerminationWatcher::readSignal() {
  char byte = 0;
  if (::read(signalSockets[1], &byte, 1) == 1) emit terminationRequested(byte);
}

}  // namespace brambel
