#include "instance_channel.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include "temp_folder.h"

namespace zelvato {

namespace {
const QByteArray taken("ok\n");
// A path longer than this is no path the running copy will open.
constexpr qint64 longestMessage = 64 * 1024;
// Launches served at once; a launch hands over one line and goes.
constexpr int servedAtOnce = 4;
// How often a server that stopped listening (descriptors run out) is started again.
constexpr int relistenMs = 2000;
}  // namespace

InstanceChannel::InstanceChannel(QObject* parent, int connectionTimeoutMs)
    : QObject(parent), server_(new QLocalServer(this)), connectionTimeoutMs_(connectionTimeoutMs) {
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  server_->setMaxPendingConnections(servedAtOnce);
  connect(server_, &QLocalServer::newConnection, this, &InstanceChannel::serve);
  auto* watch = new QTimer(this);
  connect(watch, &QTimer::timeout, this, &InstanceChannel::listenAgainIfStopped);
  watch->start(relistenMs);
}

void InstanceChannel::serve() {
  // Launches beyond the few served at once wait in the socket's queue until
  // one before them is done: a desktop opening twenty files starts twenty
  // launches at once, and none of them may be turned away.
  while (served_ < servedAtOnce) {
    QLocalSocket* socket = server_->nextPendingConnection();
    if (socket == nullptr) break;
    ++served_;
    connect(socket, &QObject::destroyed, this, [this] {
      --served_;
      serve();
    });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // A connection that says nothing is closed, as is one that goes on too long.
    QTimer::singleShot(connectionTimeoutMs_, socket, [socket] {
      socket->abort();
      socket->deleteLater();
    });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { takeLine(socket); });
    // A launch that waited its turn has sent its line already.
    if (socket->bytesAvailable() > 0) takeLine(socket);
  }
}

void InstanceChannel::takeLine(QLocalSocket* socket) {
  if (!socket->canReadLine()) {
    if (socket->bytesAvailable() > longestMessage) socket->abort();
    return;
  }
  const QString path = QString::fromUtf8(socket->readLine(longestMessage)).chopped(1);
  socket->write(taken);
  socket->flush();
  socket->disconnectFromServer();
  Q_EMIT fileHandedOver(path);
}

void InstanceChannel::listenAgainIfStopped() {
  if (!socketPath_.isEmpty() && !server_->isListening()) listen(socketPath_);
}

bool InstanceChannel::listen(const QString& socketPath) {
  if (socketPath.isEmpty()) return false;
  socketPath_ = socketPath;
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
