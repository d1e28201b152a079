// What the dialog tests share: the recording reporter, typing into an edit
// as a user does, and replacing the system choosers.
#pragma once

#include <QLineEdit>
#include <QString>

#include <string>
#include <vector>

#include "support/recording_reporter.h"

// Installs the recording reporter (once) and forgets earlier messages.
void InstallRecordingReporter();
// Types the text into the edit and leaves it (the edit loses the focus).
void TypeAndLeave(QLineEdit* pEdit, const QString& csText);
// Where the screenshots go (created when missing).
QString ScreenshotDir();
