#include "xforms/progress.h"

#include <cstring>
#include <mutex>

#include "platform/report.h"

std::atomic<int> g_iProgress{0};

namespace {
struct CStatusText {
  std::mutex m_mutex;
  char m_szText[kStatusTextLength + 1] = {};
  int m_iScroll = 0;
};

std::atomic<ProgressHook> s_pfnHook{nullptr};

CStatusText& Status() {
  static CStatusText status;
  return status;
}
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

void SetStatusText(const char* szMessage) {
  if (!szMessage) szMessage = "";
  CStatusText& s = Status();
  std::unique_lock lock(s.m_mutex);
  if (std::strncmp(szMessage, s.m_szText, kStatusTextLength) != 0) s.m_iScroll = 0;
  std::strncpy(s.m_szText, szMessage, kStatusTextLength);
  s.m_szText[kStatusTextLength] = '\0';
  lock.unlock();
  if (ProgressHook pfn = s_pfnHook.load(std::memory_order_relaxed)) pfn(-1, szMessage);
}

void SetProgressHook(ProgressHook pfnHook) { s_pfnHook.store(pfnHook); }

std::string GetStatusText() {
  CStatusText& s = Status();
  std::lock_guard lock(s.m_mutex);
  return s.m_szText;
}

std::string NextScrolledStatusText() {
  CStatusText& s = Status();
  std::lock_guard lock(s.m_mutex);
  const std::size_t iLength = std::strlen(s.m_szText);
  std::string csShown(iLength, ' ');
  for (std::size_t i = 0; i < iLength; ++i)
    csShown[i] = s.m_szText[(static_cast<std::size_t>(s.m_iScroll) + i) % iLength];
  // Kept below the length: the rotation repeats anyway, and the counter never overflows.
  s.m_iScroll = iLength ? static_cast<int>((static_cast<std::size_t>(s.m_iScroll) + 1) % iLength) : 0;
  return csShown;
}

void ResetStatusScroll() {
  CStatusText& s = Status();
  std::lock_guard lock(s.m_mutex);
  s.m_iScroll = 0;
}
