#include <QtTest>
class T : public QObject { Q_OBJECT };
QTEST_MAIN(T)
#include "mix_dialog_test.moc"
