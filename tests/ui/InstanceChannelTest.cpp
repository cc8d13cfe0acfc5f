// A later start of the program hands its projects to the window already open.
#include <QCoreApplication>
#include <QLocalServer>
#include <QSignalSpy>
#include <QtTest>

#include "ui/InstanceChannel.h"

using qs::InstanceChannel;

class InstanceChannelTest : public QObject {
  Q_OBJECT

 private slots:
  void pathsReachTheListeningProgramAndNobodyMeansFalse() {
    const QString name =
        QStringLiteral("quillscope-test-%1").arg(QCoreApplication::applicationPid());
    QVERIFY(!InstanceChannel::SendToRunning(name, {QStringLiteral("/a.vbp")}));

    InstanceChannel channel;
    QVERIFY(channel.Listen(name));
    QSignalSpy received(&channel, &InstanceChannel::PathsReceived);
    const QStringList paths = {QStringLiteral("/p/Billing.vbp"),
                               QStringLiteral("/p/with blank/Säle.vbp")};
    QVERIFY(InstanceChannel::SendToRunning(name, paths));
    QVERIFY(received.wait(5000));
    QCOMPARE(received.takeFirst().at(0).toStringList(), paths);

    // A channel left behind by a program that ended without closing it is taken over.
    InstanceChannel second;
    QVERIFY(second.Listen(name + QStringLiteral("-stale")));
    QLocalServer::removeServer(name + QStringLiteral("-stale"));
    InstanceChannel third;
    QVERIFY(third.Listen(name + QStringLiteral("-stale")));
  }
};

QTEST_MAIN(InstanceChannelTest)
#include "InstanceChannelTest.moc"
