// One instance per user: a second start reaches the first, which is asked
// to raise its window and to open the files the second was given; a socket
// left by a dead instance does not block.
#include <QDir>
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

  void FilesAreHandedOverWhateverTheirNames() {
    const QString csName = QStringLiteral("vexmora-files-%1").arg(QCoreApplication::applicationPid());
    CSingleInstance first(csName);
    QVERIFY(!first.HandOver());
    QSignalSpy files(&first, &CSingleInstance::FilesRequested);
    QSignalSpy raised(&first, &CSingleInstance::RaiseRequested);
    const QStringList aFiles{QStringLiteral("/tmp/a b/ideas.vxseq"),
                             QStringLiteral("/tmp/line\nbreak%20 \u00e9t\u00e9.png")};
    CSingleInstance second(csName);
    QVERIFY(second.HandOver(aFiles));
    QTRY_COMPARE_WITH_TIMEOUT(raised.count(), 1, 3000);
    QCOMPARE(files.count(), 1);
    QCOMPARE(files.first().first().toStringList(), aFiles);
  }

  void FileArgumentsAreAbsolutePathsWithoutOptions() {
    const QString csHere = QDir::currentPath();
    QCOMPARE(CSingleInstance::FileArguments({"--nosplash", "photo.jpg", "-nologo",
                                             "file:///tmp/x.vxseq", "--", "-odd.png"}),
             (QStringList{csHere + "/photo.jpg", "/tmp/x.vxseq", csHere + "/-odd.png"}));
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
