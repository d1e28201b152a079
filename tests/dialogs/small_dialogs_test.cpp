#include <QtTest>
class T : public QObject { Q_OBJECT };
QTEST_MAIN(T)
#include "small_dialogs_test.moc"
