#include "ui/main/instance_channel.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <unistd.h>

namespace brambel {
namespace {

const QByteArray kRaise = "raise\n";
const QByteArray kRaised = "raised\n";

}  // namespace

InstanceChannel::InstanceChannel(const std::filesystem::path& libraryDirectory, QObject* parent)
    : QObject(parent), name_(nameFor(libraryDirectory)) {}

QString InstanceChannel::nameFor(const std::filesystem::path& libraryDirectory) {
  std::error_code error;
  std::filesystem::path canonical = std::filesystem::weakly_canonical(libraryDirectory, error);
  if (error) canonical = libraryDirectory;
  const QByteArray digest = QCryptographicHash::hash(QByteArray::fromStdString(canonical.string()),
                                                     QCryptographicHash::Sha1).toHex().left(16);
  return QStringLiteral("brambel-%1-%2").arg(::getuid()).arg(QString::fromLatin1(digest));
}

bool InstanceChannel::listen() {
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(name_)) {
    // A socket file left by an instance that died answers nobody.
    if (instanceRunning()) return false;
    QLocalServer::removeServer(name_);
    if (!server_->listen(name_)) return false;
  }
  connect(server_, &QLocalServer::newConnection, this, &InstanceChannel::answer);
  return true;
}

void InstanceChannel::answer() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
      if (!socket->canReadLine()) return;
      if (socket->readLine() == kRaise) {
        emit raiseRequested();
        socket->write(kRaised);
        socket->flush();
      }
      socket->disconnectFromServer();
    });
  }
}

bool InstanceChannel::instanceRunning() const {
  QLocalSocket socket;
  socket.connectToServer(name_);
  return socket.waitForConnected(kAnswerTimeoutMs);
}

bool InstanceChannel::askToRaise() const {
  QLocalSocket socket;
  socket.connectToServer(name_);
  if (!socket.waitForConnected(kAnswerTimeoutMs)) return false;
  socket.write(kRaise);
  if (!socket.waitForBytesWritten(kAnswerTimeoutMs)) return false;
  while (!socket.canReadLine())
    if (!socket.waitForReadyRead(kAnswerTimeoutMs)) return false;
  return socket.readLine() == kRaised;
}

}  // namespace brambel
