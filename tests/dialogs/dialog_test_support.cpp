#include "dialog_test_support.h"

#include <QDir>

CRecordingReporter& Reporter() {
  static CRecordingReporter reporter;
  return reporter;
}

void InstallRecordingReporter() {
  SetReporter(&Reporter());
  Reporter().Take();
}

void TypeAndLeave(QLineEdit* pEdit, const QString& csText) {
  pEdit->setText(csText);
  pEdit->setModified(true);
  emit pEdit->editingFinished();
}

QString ScreenshotDir() {
  QDir().mkpath(QStringLiteral(VX_SCREENSHOT_DIR));
  return QStringLiteral(VX_SCREENSHOT_DIR);
}
