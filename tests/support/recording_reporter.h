// A reporter that records every message, so that tests can assert the exact
// texts the program shows. Installed for every test by the test main; a test
// reads and clears it through the fixture helpers below.
#pragma once

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/report.h"
#include "platform/win_types.h"

class CRecordingReporter final : public CReporter {
 public:
  int ShowError(const std::string& csText) override {
    std::lock_guard lock(m_mutex);
    m_aMessages.push_back(csText);
    return IDOK;
  }
  int Ask(const std::string& csText) override {
    std::lock_guard lock(m_mutex);
    m_aMessages.push_back(csText);
    return m_iAnswer;
  }
  void ShowSystemError(const std::string& csCaption, const std::string& csText) override {
    std::lock_guard lock(m_mutex);
    m_aMessages.push_back(csCaption + "|" + csText);
  }
  std::vector<std::string> Take() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_aMessages, {});
  }
  int m_iAnswer = IDYES;

 private:
  std::mutex m_mutex;
  std::vector<std::string> m_aMessages;
};

// The reporter installed for the whole test program.
CRecordingReporter& Reporter();
// The messages shown since the last call, oldest first.
inline std::vector<std::string> TakeMessages() { return Reporter().Take(); }
