// The yield hook the window installs: event-loop turns during a run, but not too many.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

#include "text/Yield.h"
#include "ui/EventLoopYield.h"

class EventLoopYieldTest : public QObject {
  Q_OBJECT

 private slots:
  void hookRunsTheEventLoopAtMostOncePerPeriod() {
    const auto previous = qs::InstallYieldHook(15);
    // A zero-interval timer fires once on every trip through the event loop.
    int trips = 0;
    QTimer counter;
    counter.setInterval(0);
    QObject::connect(&counter, &QTimer::timeout, [&] { ++trips; });
    counter.start();
    QElapsedTimer since;
    since.start();
    long long yields = 0;
    while (since.elapsed() < 150) {
      qs::YieldToWindowSystem();
      ++yields;
    }
    const qint64 elapsed = since.elapsed();
    qs::RemoveYieldHook(previous);
    QVERIFY2(trips >= 1, "the event loop never got a turn");
    QVERIFY2(trips <= elapsed / 15 + 1,
             qPrintable(QStringLiteral("%1 trips in %2 ms").arg(trips).arg(elapsed)));
    QVERIFY(yields > trips);
  }

  void removeRestoresThePreviousHook() {
    int marker = 0;
    const auto original = qs::SetYieldHook([&] { ++marker; });
    const auto previous = qs::InstallYieldHook(0);
    qs::RemoveYieldHook(previous);
    for (uint32_t i = 0; i < qs::kYieldInterval; ++i) qs::YieldToWindowSystem();
    QCOMPARE(marker, 1);
    qs::SetYieldHook(original);
  }

  void yieldToEventLoopDeliversPendingEvents() {
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    qs::YieldToEventLoop();
    QVERIFY(fired);
  }
};

QTEST_MAIN(EventLoopYieldTest)
#include "EventLoopYieldTest.moc"
