#include "app/qt_reporter.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include "platform/win_types.h"

namespace {

bool OnInterfaceThread() {
  return qApp && QThread::currentThread() == qApp->thread();
}

// Runs fn on the interface thread and returns its result; blocks the
// calling worker until the box is closed.
template <typename Fn>
int OnInterface(Fn fn) {
  if (!qApp) return IDCANCEL;
  if (OnInterfaceThread()) return fn();
  int iResult = IDCANCEL;
  QMetaObject::invokeMethod(
      qApp, [&] { iResult = fn(); }, Qt::BlockingQueuedConnection);
  return iResult;
}

int ShowBox(QMessageBox::Icon eIcon, const QString& csCaption, const std::string& csText,
            QMessageBox::StandardButtons buttons) {
  QMessageBox box(eIcon, csCaption, QString::fromStdString(csText), buttons,
                  QApplication::activeWindow());
  box.setWindowModality(Qt::ApplicationModal);
  return box.exec();
}

}  // namespace

int CQtReporter::ShowError(const std::string& csText) {
  return OnInterface([&] {
    ShowBox(QMessageBox::Warning, QStringLiteral("Vexmora4"), csText, QMessageBox::Ok);
    return IDOK;
  });
}

int CQtReporter::Ask(const std::string& csText) {
  return OnInterface([&] {
    switch (ShowBox(QMessageBox::Question, QStringLiteral("Vexmora4"), csText,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
      case QMessageBox::Yes:
        return IDYES;
      case QMessageBox::No:
        return IDNO;
      default:
        return IDCANCEL;
    }
  });
}

void CQtReporter::ShowSystemError(const std::string& csCaption, const std::string& csText) {
  OnInterface([&] {
    ShowBox(QMessageBox::Information, QString::fromStdString(csCaption), csText, QMessageBox::Ok);
    return IDOK;
  });
}

void CQtReporter::SetBusy(bool bBusy) {
  if (!OnInterfaceThread()) return;
  if (bBusy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}
