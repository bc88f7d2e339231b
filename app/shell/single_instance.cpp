#include "app/shell/single_instance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <unistd.h>

namespace vandro {

namespace {

constexpr int kWaitMs = 1000;
// A request is this word, a line break and the project path (UTF-8).
const QByteArray kActivate = "activate\n";

} // namespace

TSingleInstance::TSingleInstance(QString serverName, QObject* parent)
    : QObject(parent), name_(serverName.isEmpty() ? DefaultServerName() : serverName) {}

TSingleInstance::~TSingleInstance() = default;

QString TSingleInstance::DefaultServerName() {
  // The user's runtime folder is private to the user; the socket needs no
  // permissions of its own there.
  const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (!runtime.isEmpty()) return runtime + QStringLiteral("/vandro-instance");
  return QStringLiteral("vandro-%1").arg(::getuid());
}

bool TSingleInstance::ActivateRunning(const QString& projectPath) const {
  QLocalSocket socket;
  socket.connectToServer(name_);
  if (!socket.waitForConnected(kWaitMs)) return false;
  socket.write(kActivate + projectPath.toUtf8());
  socket.flush();
  socket.waitForBytesWritten(kWaitMs);
  socket.disconnectFromServer();
  if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(kWaitMs);
  return true;
}

bool TSingleInstance::Listen() {
  server_ = new QLocalServer(this);
  // No socket options: with them Qt replaces an existing socket file instead
  // of failing, and two starts could both listen.
  if (!server_->listen(name_)) {
    // Another start may have begun listening since ActivateRunning; only a
    // socket nobody answers on is a crashed instance's leftover.
    QLocalSocket probe;
    probe.connectToServer(name_);
    if (probe.waitForConnected(kWaitMs)) return false;
    QLocalServer::removeServer(name_);
    if (!server_->listen(name_)) return false;
  }
  connect(server_, &QLocalServer::newConnection, this, &TSingleInstance::ReadRequest);
  return true;
}

void TSingleInstance::ReadRequest() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // The request is small and comes at once; it is read when the client
    // has written it all and gone.
    auto read = [this, socket] {
      const QByteArray request = socket->readAll();
      if (!request.startsWith(kActivate)) return;
      emit activationRequested(QString::fromUtf8(request.mid(kActivate.size())));
    };
    if (socket->state() == QLocalSocket::UnconnectedState)
      read();
    else
      connect(socket, &QLocalSocket::disconnected, this, read);
  }
}

} // namespace vandro
