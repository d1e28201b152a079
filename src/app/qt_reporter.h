// The desktop program's reporter: every message is a task-modal box titled
// "Vexmora4" shown on the user-interface thread. A message from the worker
// thread is handed to the interface thread, which shows it while the worker
// waits for the answer.
#pragma once

#include "platform/report.h"

class CQtReporter final : public CReporter {
 public:
  int ShowError(const std::string& csText) override;
  int Ask(const std::string& csText) override;
  void ShowSystemError(const std::string& csCaption, const std::string& csText) override;
  // The wait cursor (interface thread only; ignored elsewhere).
  void SetBusy(bool bBusy) override;
};
