#include "ui/main/instance_channel.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QUrl>
#include <unistd.h>

namespace brambel {
namespace {

// One request per line: "open " and a percent-encoded file or URL, any
// number of times, then "raise", which is answered "raised".
const QByteArray kOpen = "open ";
const QByteArray kRaise = "raise\n";
const QByteArray kRaised = "raised\n";
// A peer that sends more without ending its line is not listened to.
constexpr qint64 kLongestLine = 64 * 1024;

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
      while (socket->canReadLine()) {
        const QByteArray line = socket->readLine(kLongestLine + 1);
        if (line.startsWith(kOpen) && line.endsWith('\n')) {
          emit openRequested(QUrl::fromPercentEncoding(line.mid(kOpen.size()).chopped(1)));
          continue;
        }
        if (line == kRaise) {
          emit raiseRequested();
          socket->write(kRaised);
          socket->flush();
        }
        socket->disconnectFromServer();
        return;
      }
      if (socket->bytesAvailable() > kLongestLine) socket->disconnectFromServer();
    });
  }
}

bool InstanceChannel::instanceRunning() const {
  QLocalSocket socket;
  socket.connectToServer(name_);
  return socket.waitForConnected(kAnswerTimeoutMs);
}

bool InstanceChannel::askToRaise(const QStringList& documents) const {
  QLocalSocket socket;
  socket.connectToServer(name_);
  if (!socket.waitForConnected(kAnswerTimeoutMs)) return false;
  for (const QString& document : documents) socket.write(kOpen + QUrl::toPercentEncoding(document) + '\n');
  socket.write(kRaise);
  if (!socket.waitForBytesWritten(kAnswerTimeoutMs)) return false;
  while (!socket.canReadLine())
    if (!socket.waitForReadyRead(kAnswerTimeoutMs)) return false;
  return socket.readLine() == kRaised;
}

}  // namespace brambel
