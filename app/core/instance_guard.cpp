#include "app/core/instance_guard.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QLocalSocket>

namespace core {

namespace {

constexpr int kConnectTimeoutMs = 500;
constexpr int kWriteTimeoutMs = 500;
const QByteArray kRestoreRequest = "restore\n";

}  // namespace

QString InstanceGuard::ServerName(const QString& title, const std::string& machineGuid) {
  QCryptographicHash hash(QCryptographicHash::Sha256);
  hash.addData(title.toUtf8());
  hash.addData(QByteArray("\n"));
  hash.addData(QByteArray::fromStdString(machineGuid));
  return QString("radiodesk-%1-%2")
      .arg(::getuid())
      .arg(QString::fromLatin1(hash.result().toHex().left(24)));
}

InstanceGuard::InstanceGuard(QString serverName) : serverName_(std::move(serverName)) {
  server_.setSocketOptions(QLocalServer::UserAccessOption);
}

bool InstanceGuard::AskRunningCopyToRestore() {
  QLocalSocket socket;
  socket.connectToServer(serverName_);
  if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
  socket.write(kRestoreRequest);
  socket.waitForBytesWritten(kWriteTimeoutMs);
  socket.disconnectFromServer();
  return true;
}

bool InstanceGuard::TryBecomeInstance(std::function<void()> onRestore) {
  if (AskRunningCopyToRestore()) return false;
  onRestore_ = std::move(onRestore);
  connect(&server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* peer = server_.nextPendingConnection()) {
      auto take = [this, peer] {
        if (peer->readAll().contains("restore") && onRestore_) onRestore_();
      };
      connect(peer, &QLocalSocket::readyRead, this, take);
      connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
      // A short-lived peer may have written before the connection was taken.
      if (peer->bytesAvailable() > 0) take();
    }
  });
  if (server_.listen(serverName_)) return true;
  // Nobody answered, so the socket is a crashed copy's leftover.
  QLocalServer::removeServer(serverName_);
  return server_.listen(serverName_);
}

}  // namespace core
