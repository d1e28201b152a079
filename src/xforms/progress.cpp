#include "xforms/progress.h"

#include <cstring>
#include <mutex>

#include "platform/report.h"

std::atomic<int> g_iProgress{0};

namespace {
std::atomic<ProgressHook> s_pfnHook{nullptr};

CStatusText& ProgramStatus() {
  static CStatusText status;
  return status;
}

// Where SetStatusText writes on this thread; null: the program's text.
thread_local CStatusText* t_pStatus = nullptr;
}  // namespace

int SetPercent(std::atomic<int>* pOut, int iLo, int iHi, int iPercent, const char* szMessage) {
  if (!pOut) return 0;
  if (iHi - iLo <= 0) {
    ReportError("SetPercent (ptr,%d,%d,%d)", iLo, iHi, iPercent);
    return 0;
  }
  const int iValue = iLo + (iHi - iLo) * iPercent / 100;
  pOut->store(iValue, std::memory_order_relaxed);
  if (ProgressHook pfn = s_pfnHook.load(std::memory_order_relaxed)) pfn(iValue, nullptr);
  if (szMessage) SetStatusText(szMessage);
  return iValue;
}

void CStatusText::Set(const char* szMessage) {
  if (!szMessage) szMessage = "";
  std::lock_guard lock(m_mutex);
  if (std::strncmp(szMessage, m_szText, kStatusTextLength) != 0) m_iScroll = 0;
  std::strncpy(m_szText, szMessage, kStatusTextLength);
  m_szText[kStatusTextLength] = '\0';
}

std::string CStatusText::Get() const {
  std::lock_guard lock(m_mutex);
  return m_szText;
}

std::string CStatusText::NextScrolled() {
  std::lock_guard lock(m_mutex);
  const std::size_t iLength = std::strlen(m_szText);
  std::string csShown(iLength, ' ');
  for (std::size_t i = 0; i < iLength; ++i)
    csShown[i] = m_szText[(static_cast<std::size_t>(m_iScroll) + i) % iLength];
  // Kept below the length: the rotation repeats anyway, and the counter never overflows.
  m_iScroll = iLength ? static_cast<int>((static_cast<std::size_t>(m_iScroll) + 1) % iLength) : 0;
  return csShown;
}

void CStatusText::ResetScroll() {
  std::lock_guard lock(m_mutex);
  m_iScroll = 0;
}

CStatusTextScope::CStatusTextScope(CStatusText& text) : m_pPrevious(t_pStatus) {
  t_pStatus = &text;
}

CStatusTextScope::~CStatusTextScope() { t_pStatus = m_pPrevious; }

void SetStatusText(const char* szMessage) {
  (t_pStatus ? *t_pStatus : ProgramStatus()).Set(szMessage);
  if (ProgressHook pfn = s_pfnHook.load(std::memory_order_relaxed))
    pfn(-1, szMessage ? szMessage : "");
}

void SetProgressHook(ProgressHook pfnHook) { s_pfnHook.store(pfnHook); }

std::string GetStatusText() { return ProgramStatus().Get(); }

std::string NextScrolledStatusText() { return ProgramStatus().NextScrolled(); }

void ResetStatusScroll() { ProgramStatus().ResetScroll(); }
