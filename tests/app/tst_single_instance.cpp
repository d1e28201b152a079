// One instance per user: a second start reaches the first, which is asked
// to raise its window and to open the files the second was given; a socket
// left by a dead instance does not block; starts at the same moment leave
// one instance listening.
#include <QDateTime>
#include <QDir>
#include <QLocalServer>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "app/single_instance.h"

namespace {

// This program started again as "--race <name> <start time>": waits for the
// start time (ms since the epoch), then starts as the program does and
// prints what it became. The one that listens waits for the other's "raise".
int RaceChild(const QString& csName, qint64 iStartAt) {
  const qint64 iWait = iStartAt - QDateTime::currentMSecsSinceEpoch();
  if (iWait > 0) QThread::msleep(static_cast<unsigned long>(iWait));
  CSingleInstance instance(csName);
  if (instance.HandOver()) {
    std::puts("handed");
    return 0;
  }
  std::puts(instance.IsFirst() ? "first" : "alone");
  std::fflush(stdout);
  QObject::connect(&instance, &CSingleInstance::RaiseRequested, QCoreApplication::instance(),
                   &QCoreApplication::quit);
  // (Long enough for a partner started late on a busy or instrumented machine.)
  QTimer::singleShot(20000, QCoreApplication::instance(), &QCoreApplication::quit);
  return QCoreApplication::exec();
}

}  // namespace

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

  // Two processes started together, several times: exactly one listens and
  // the other hands over to it.
  void SimultaneousStartsLeaveOneListening() {
    constexpr int kPairs = 5;
    const qint64 iStartAt = QDateTime::currentMSecsSinceEpoch() + 1000;
    std::vector<std::unique_ptr<QProcess>> aChildren;
    for (int i = 0; i < 2 * kPairs; ++i) {
      const QString csName =
          QStringLiteral("vexmora-race-%1-%2").arg(QCoreApplication::applicationPid()).arg(i / 2);
      auto& pChild = aChildren.emplace_back(std::make_unique<QProcess>());
      pChild->start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--race"), csName, QString::number(iStartAt)});
    }
    for (int i = 0; i < kPairs; ++i) {
      QStringList aResults;
      for (int j = 2 * i; j < 2 * i + 2; ++j) {
        QVERIFY(aChildren[j]->waitForFinished(30000));
        aResults << QString::fromLatin1(aChildren[j]->readAllStandardOutput()).trimmed();
      }
      aResults.sort();
      QCOMPARE(aResults, (QStringList{"first", "handed"}));
    }
  }

  void NamesDifferPerUser() {
    QVERIFY(CSingleInstance::DefaultName().startsWith(QStringLiteral("Vexmora4-")));
    QVERIFY(CSingleInstance::DefaultName().size() > 9);
  }
};

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  if (argc == 4 && std::strcmp(argv[1], "--race") == 0)
    return RaceChild(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toLongLong());
  CSingleInstanceTest test;
  QTEST_SET_MAIN_SOURCE_PATH
  return QTest::qExec(&test, argc, argv);
}
#include "tst_single_instance.moc"
