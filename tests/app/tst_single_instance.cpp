// One instance per user: a second start reaches the first, which is asked
// to raise its window; a socket left by a dead instance does not block.
#include <QLocalServer>
#include <QSignalSpy>
#include <QTest>

#include "app/single_instance.h"

class CSingleInstanceTest : public QObject {
  Q_OBJECT

 private slots:
  void SecondStartHandsOver() {
    const QString csName = QStringLiteral("vexmora-test-%1").arg(QCoreApplication::applicationPid());
    CSingleInstance first(csName);
    QVERIFY(!first.HandOver());
    QVERIFY(first.IsFirst());
    QSignalSpy raised(&first, &CSingleInstance::RaiseRequested);

    CSingleInstance second(csName);
    QVERIFY(second.HandOver());
    QVERIFY(!second.IsFirst());
    QVERIFY(raised.wait(3000) || raised.count() == 1);
    QCOMPARE(raised.count(), 1);
  }

  void StaleSocketIsReplaced() {
    const QString csName = QStringLiteral("vexmora-stale-%1").arg(QCoreApplication::applicationPid());
    {
      // A server that goes away without cleaning up behaves like a crash.
      QLocalServer stale;
      QVERIFY(stale.listen(csName));
    }
    CSingleInstance instance(csName);
    QVERIFY(!instance.HandOver());
    QVERIFY(instance.IsFirst());
  }

  void NamesDifferPerUser() {
    QVERIFY(CSingleInstance::DefaultName().startsWith(QStringLiteral("Vexmora4-")));
    QVERIFY(CSingleInstance::DefaultName().size() > 9);
  }
};

QTEST_MAIN(CSingleInstanceTest)
#include "tst_single_instance.moc"
