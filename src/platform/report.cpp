#include "platform/report.h"

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/win_types.h"

namespace {

class CStderrReporter final : public CReporter {
 public:
  int ShowError(const std::string& csText) override {
    std::fprintf(stderr, "Vexmora4: %s\n", csText.c_str());
    return IDOK;
  }
  int Ask(const std::string& csText) override {
    std::fprintf(stderr, "Vexmora4: %s (no one to answer: cancelled)\n", csText.c_str());
    return IDCANCEL;
  }
  void ShowSystemError(const std::string& csCaption, const std::string& csText) override {
    std::fprintf(stderr, "%s: %s\n", csCaption.c_str(), csText.c_str());
  }
};

CStderrReporter g_stderrReporter;
std::atomic<CReporter*> g_pReporter{&g_stderrReporter};
// The innermost gathering of this thread's errors, if any.
thread_local CGatheredErrors* t_pGathered = nullptr;

std::string FormatV(const char* szFormat, va_list args) {
  char szBuffer[kMaxMessageLength + 1];
  const int iLen = std::vsnprintf(szBuffer, sizeof szBuffer, szFormat, args);
  if (iLen < 0) return std::string();
  return std::string(szBuffer);
}

}  // namespace

CReporter* SetReporter(CReporter* pReporter) {
  return g_pReporter.exchange(pReporter ? pReporter : &g_stderrReporter);
}

std::string FormatMessageText(const char* szFormat, ...) {
  va_list args;
  va_start(args, szFormat);
  std::string cs = FormatV(szFormat, args);
  va_end(args);
  return cs;
}

int ReportError(const char* szFormat, ...) {
  va_list args;
  va_start(args, szFormat);
  const std::string cs = FormatV(szFormat, args);
  va_end(args);
  if (CGatheredErrors* pGathered = t_pGathered) {
    pGathered->Add(cs);
    return IDOK;
  }
  return g_pReporter.load()->ShowError(cs);
}

CGatheredErrors::CGatheredErrors() : m_pOuter(t_pGathered) { t_pGathered = this; }

CGatheredErrors::~CGatheredErrors() {
  t_pGathered = m_pOuter;
  if (!m_bShown && !m_csTexts.empty()) {
    m_csTexts.pop_back();
    ReportError("%s", m_csTexts.c_str());
  }
}

void CGatheredErrors::Add(const std::string& csText) {
  const std::string csLine = csText + "\n";
  if (m_csTexts.find(csLine) == std::string::npos) m_csTexts += csLine;
}

void CGatheredErrors::Show(const std::string& csHeadline) {
  if (t_pGathered == this) t_pGathered = m_pOuter;
  m_bShown = true;
  std::string cs = csHeadline;
  if (!m_csTexts.empty()) cs += "\n" + m_csTexts.substr(0, m_csTexts.size() - 1);
  ReportError("%s", cs.c_str());
}

int AskUser(const char* szFormat, ...) {
  va_list args;
  va_start(args, szFormat);
  const std::string cs = FormatV(szFormat, args);
  va_end(args);
  return g_pReporter.load()->Ask(cs);
}

void ReportSystemError(const char* szCaption, const char* szFormat, ...) {
  const int iError = errno;  // before anything else can change it
  va_list args;
  va_start(args, szFormat);
  const std::string cs = FormatV(szFormat, args);
  va_end(args);
  char szSystem[256];
  const char* szDescription = strerror_r(iError, szSystem, sizeof szSystem);
  g_pReporter.load()->ShowSystemError(szCaption ? szCaption : "",
                                      FormatMessageText("%s \n %s", cs.c_str(), szDescription));
}

CWaitCursor::CWaitCursor() { g_pReporter.load()->SetBusy(true); }
CWaitCursor::~CWaitCursor() { g_pReporter.load()->SetBusy(false); }
