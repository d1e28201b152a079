#include "app/single_instance.h"

#include <unistd.h>

#include <QLocalSocket>

namespace {

constexpr char kRaise[] = "raise\n";
constexpr int kTimeoutMs = 1000;

}  // namespace

QString CSingleInstance::DefaultName() {
  return QStringLiteral("Vexmora4-%1").arg(static_cast<qulonglong>(getuid()));
}

CSingleInstance::CSingleInstance(QString csName) : m_csName(std::move(csName)) {
  connect(&m_Server, &QLocalServer::newConnection, this, &CSingleInstance::OnConnection);
}

bool CSingleInstance::HandOver() {
  QLocalSocket socket;
  socket.connectToServer(m_csName);
  if (socket.waitForConnected(kTimeoutMs)) {
    socket.write(kRaise);
    socket.waitForBytesWritten(kTimeoutMs);
    socket.disconnectFromServer();
    return true;
  }
  // Nobody answers: a socket file left by a crashed instance would block
  // listening, so it goes first.
  QLocalServer::removeServer(m_csName);
  m_Server.setSocketOptions(QLocalServer::UserAccessOption);
  m_Server.listen(m_csName);
  return false;
}

void CSingleInstance::OnConnection() {
  while (QLocalSocket* pSocket = m_Server.nextPendingConnection()) {
    auto read = [this, pSocket] {
      if (pSocket->readAll().contains("raise")) emit RaiseRequested();
    };
    connect(pSocket, &QLocalSocket::readyRead, this, read);
    if (pSocket->bytesAvailable() > 0) read();
    connect(pSocket, &QLocalSocket::disconnected, pSocket, &QObject::deleteLater);
  }
}
