#include "instance_channel.h"

#include <QLocalServer>
#include <QLocalSocket>

#include "temp_folder.h"

namespace zelvato {

namespace {
const QByteArray taken("ok\n");
// A path longer than this is no path the running copy will open.
constexpr qint64 longestMessage = 64 * 1024;
}  // namespace

InstanceChannel::InstanceChannel(QObject* parent) : QObject(parent), server_(new QLocalServer(this)) {
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        if (!socket->canReadLine()) {
          if (socket->bytesAvailable() > longestMessage) socket->abort();
          return;
        }
        const QString path = QString::fromUtf8(socket->readLine(longestMessage)).chopped(1);
        socket->write(taken);
        socket->flush();
        socket->disconnectFromServer();
        Q_EMIT fileHandedOver(path);
      });
    }
  });
}

bool InstanceChannel::listen(const QString& socketPath) {
  if (socketPath.isEmpty()) return false;
  QLocalServer::removeServer(socketPath);
  return server_->listen(socketPath);
}

bool InstanceChannel::handOver(const QString& socketPath, const QString& file, int timeoutMs) {
  if (socketPath.isEmpty()) return false;
  QLocalSocket socket;
  socket.connectToServer(socketPath);
  if (!socket.waitForConnected(timeoutMs)) return false;
  QByteArray message = file.toUtf8();
  message.replace('\n', ' ');
  socket.write(message + '\n');
  if (!socket.waitForBytesWritten(timeoutMs)) return false;
  while (!socket.canReadLine()) {
    if (!socket.waitForReadyRead(timeoutMs)) return false;
  }
  return socket.readLine() == taken;
}

QString instanceSocketPath() {
  const QString folder = privateFolder(defaultPrivateFolderPlaces());
  if (folder.isEmpty()) return {};
  return folder + QStringLiteral("zelvato.socket");
}

}  // namespace zelvato
