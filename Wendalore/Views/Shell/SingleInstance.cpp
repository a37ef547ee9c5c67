#include "Wendalore/Views/Shell/SingleInstance.h"

#include <unistd.h>

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace wendalore {
namespace {

constexpr QByteArrayView activateMessage = "activate\n";
constexpr int forwardTimeoutMilliseconds = 2000;

}  // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent) : QObject(parent), socketPath_(std::move(socketPath)) {
  connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
}

QString SingleInstance::defaultSocketPath() {
  auto directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  // Qt answers nothing for a runtime directory it does not trust; the
  // temporary directory with the user's number in the name is the fallback.
  if (directory.isEmpty()) return QDir::tempPath() + QStringLiteral("/Wendalore-%1.socket").arg(getuid());
  return directory + QStringLiteral("/Wendalore.socket");
}

SingleInstance::Claim SingleInstance::claim() {
  if (forwardActivation()) return Claim::forwarded;
  // Nobody answers: whatever is at the path was left by a process that
  // ended without cleaning up.
  QLocalServer::removeServer(socketPath_);
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  return server_.listen(socketPath_) ? Claim::running : Claim::unavailable;
}

bool SingleInstance::forwardActivation() {
  QLocalSocket socket;
  socket.connectToServer(socketPath_);
  if (!socket.waitForConnected(forwardTimeoutMilliseconds)) return false;
  socket.write(activateMessage.data(), activateMessage.size());
  const bool written = socket.waitForBytesWritten(forwardTimeoutMilliseconds) || socket.bytesToWrite() == 0;
  socket.disconnectFromServer();
  return written;
}

void SingleInstance::acceptConnection() {
  while (auto* connection = server_.nextPendingConnection()) {
    connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
    auto readMessage = [this, connection] {
      if (!connection->canReadLine()) return;
      if (connection->readLine() == activateMessage.toByteArray()) emit activationRequested();
      connection->disconnectFromServer();
    };
    connect(connection, &QLocalSocket::readyRead, this, readMessage);
    readMessage();
  }
}

}  // namespace wendalore
