#include "ui/InstanceChannel.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

namespace qs {
namespace {

constexpr int kWaitMs = 1000;
// What a start hands over: the paths, UTF-8, one a line, the last one ended too.
constexpr char kSeparator = '\n';

}  // namespace

QString InstanceChannelName() {
  const QString user = qEnvironmentVariable("USER", QStringLiteral("user"));
  return QStringLiteral("quillscope-") + user;
}

InstanceChannel::InstanceChannel(QObject* in_oParent) : QObject(in_oParent) {}

bool InstanceChannel::SendToRunning(const QString& in_sName, const QStringList& in_oPaths) {
  QLocalSocket socket;
  socket.connectToServer(in_sName);
  if (!socket.waitForConnected(kWaitMs)) return false;
  QByteArray message;
  for (const QString& path : in_oPaths) message += path.toUtf8() + kSeparator;
  socket.write(message);
  socket.disconnectFromServer();
  // The window has the paths once the connection is closed in order.
  return socket.state() == QLocalSocket::UnconnectedState || socket.waitForDisconnected(kWaitMs);
}

bool InstanceChannel::Listen(const QString& in_sName) {
  if (m_oServer == nullptr) {
    m_oServer = new QLocalServer(this);
    m_oServer->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_oServer, &QLocalServer::newConnection, this, &InstanceChannel::TakeConnection);
  }
  if (m_oServer->listen(in_sName)) return true;
  // Nobody answered on the name (SendToRunning failed first): a crashed program left it.
  QLocalServer::removeServer(in_sName);
  return m_oServer->listen(in_sName);
}

void InstanceChannel::TakeConnection() {
  while (QLocalSocket* socket = m_oServer->nextPendingConnection()) {
    const QPointer<QLocalSocket> watched(socket);
    connect(socket, &QLocalSocket::disconnected, this, [this, watched] {
      if (!watched) return;
      QStringList paths;
      for (const QByteArray& line : watched->readAll().split(kSeparator))
        if (!line.isEmpty()) paths.append(QString::fromUtf8(line));
      watched->deleteLater();
      if (!paths.isEmpty()) emit PathsReceived(paths);
    });
  }
}

}  // namespace qs
