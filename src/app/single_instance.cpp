#include "app/single_instance.h"

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QLockFile>
#include <QUrl>

namespace {

// One request per line: "open <file URL>" (percent-encoded, so that any
// file name fits on a line) for each file, then "raise".
constexpr char kRaise[] = "raise";
constexpr char kOpen[] = "open ";
constexpr int kTimeoutMs = 1000;
// A peer that sends more than this without a line end is not a later start.
constexpr qsizetype kMaxLine = 64 * 1024;
// Longer than one start takes to decide (a connect, a hand-over, a listen).
constexpr int kLockWaitMs = 5000;

// Beside the socket: a bare name's socket lives in the temporary folder.
QString LockPath(const QString& csName) {
  const QString csSocket =
      QDir::isAbsolutePath(csName) ? csName : QDir(QDir::tempPath()).filePath(csName);
  return csSocket + QStringLiteral(".lock");
}

// Hands the files and "raise" to the instance listening on csName; false
// when none answers.
bool SendTo(const QString& csName, const QStringList& aFiles) {
  QLocalSocket socket;
  socket.connectToServer(csName);
  if (!socket.waitForConnected(kTimeoutMs)) return false;
  QByteArray message;
  for (const QString& csFile : aFiles)
    message += kOpen + QUrl::fromLocalFile(csFile).toEncoded() + '\n';
  message += QByteArray(kRaise) + '\n';
  socket.write(message);
  socket.waitForBytesWritten(kTimeoutMs);
  socket.disconnectFromServer();
  return true;
}

}  // namespace

QString CSingleInstance::DefaultName() {
  return QStringLiteral("Vexmora4-%1").arg(static_cast<qulonglong>(getuid()));
}

QStringList CSingleInstance::FileArguments(const QStringList& aArguments) {
  QStringList aFiles;
  bool bOptionsEnd = false;
  for (const QString& csArgument : aArguments) {
    if (!bOptionsEnd && csArgument == QLatin1String("--")) {
      bOptionsEnd = true;
      continue;
    }
    if (csArgument.isEmpty() || (!bOptionsEnd && csArgument.startsWith('-'))) continue;
    QString csPath = csArgument;
    if (csArgument.startsWith(QLatin1String("file:"))) {
      const QUrl url(csArgument);
      if (!url.isLocalFile()) continue;
      csPath = url.toLocalFile();
    }
    aFiles << QDir::cleanPath(QFileInfo(csPath).absoluteFilePath());
  }
  return aFiles;
}

CSingleInstance::CSingleInstance(QString csName) : m_csName(std::move(csName)) {
  connect(&m_Server, &QLocalServer::newConnection, this, &CSingleInstance::OnConnection);
}

bool CSingleInstance::HandOver(const QStringList& aFiles) {
  // Starts at the same moment decide one after the other: otherwise both
  // could find nobody, and the later one would remove the earlier one's
  // socket and listen too. A lock held by a process that died is taken over;
  // one that cannot be had in time (a foreign file) leaves the decision
  // unguarded, as it would be without the lock.
  QLockFile lock(LockPath(m_csName));
  lock.tryLock(kLockWaitMs);

  if (SendTo(m_csName, aFiles)) return true;
  // Nobody answers: a socket file left by a crashed instance would block
  // listening, so it goes first (only under the lock: without it, the file
  // may be that of a start deciding right now).
  const bool bLocked = lock.isLocked();
  if (bLocked) QLocalServer::removeServer(m_csName);
  m_Server.setSocketOptions(QLocalServer::UserAccessOption);
  if (m_Server.listen(m_csName)) return false;
  // Without the lock another start may have begun listening meanwhile; if
  // not, this instance goes on alone, unreachable (IsFirst() is false).
  return !bLocked && SendTo(m_csName, aFiles);
}

void CSingleInstance::OnConnection() {
  while (QLocalSocket* pSocket = m_Server.nextPendingConnection()) {
    // Requests are carried out line by line as they arrive; what is left
    // without a line end stays for the next read.
    auto read = [this, pSocket] {
      QByteArray buffer = pSocket->property("vx-pending").toByteArray() + pSocket->readAll();
      QStringList aFiles;
      bool bRaise = false;
      qsizetype iEnd;
      while ((iEnd = buffer.indexOf('\n')) >= 0) {
        const QByteArray line = buffer.left(iEnd);
        buffer.remove(0, iEnd + 1);
        if (line == kRaise) {
          bRaise = true;
        } else if (line.startsWith(kOpen)) {
          const QUrl url = QUrl::fromEncoded(line.mid(qsizetype(sizeof kOpen) - 1));
          if (url.isLocalFile() && !url.toLocalFile().isEmpty()) aFiles << url.toLocalFile();
        }
      }
      if (buffer.size() > kMaxLine) {
        pSocket->abort();
        return;
      }
      pSocket->setProperty("vx-pending", buffer);
      if (!aFiles.isEmpty()) emit FilesRequested(aFiles);
      if (bRaise) emit RaiseRequested();
    };
    connect(pSocket, &QLocalSocket::readyRead, this, read);
    if (pSocket->bytesAvailable() > 0) read();
    connect(pSocket, &QLocalSocket::disconnected, pSocket, &QObject::deleteLater);
  }
}
