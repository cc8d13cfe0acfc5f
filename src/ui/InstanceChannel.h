// One window per user: a second start of the program hands the projects it was given to the
// window already open (they wait their turn there) and ends. The channel is a local socket named
// for the user.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

namespace qs {

/// The channel's name for the current user.
QString InstanceChannelName();

class InstanceChannel : public QObject {
  Q_OBJECT

 public:
  explicit InstanceChannel(QObject* in_oParent = nullptr);

  /// Hands the paths to the program listening on in_sName. False when none listens (or it did
  /// not take them in time): the caller then opens its own window.
  static bool SendToRunning(const QString& in_sName, const QStringList& in_oPaths);
  /// Listens on in_sName for later starts (a stale channel of a program that crashed is
  /// replaced). False when the channel cannot be had; the program then works alone.
  bool Listen(const QString& in_sName);

 signals:
  /// A later start handed over these paths.
  void PathsReceived(const QStringList& in_oPaths);

 private:
  void TakeConnection();

  QLocalServer* m_oServer = nullptr;
};

}  // namespace qs
