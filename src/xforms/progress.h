// Progress and status text of the running generation. The worker (Xform and
// final mix) writes a percentage through SetPercent and a short message
// through SetStatusText; the interface thread reads both about four times a
// second. The percentage is atomic and the 40-character text is guarded, so
// the two threads never race.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

// The default progress field: the target of a context's m_pPercent when no
// generation worker runs it (a worker points its runs at its own field).
// 101 (or any value outside 0..99) means "done, no bar".
extern std::atomic<int> g_iProgress;

// The status text holds at most this many characters.
constexpr int kStatusTextLength = 40;

// Stores lo + (hi - lo) * percent / 100 (integer arithmetic) where pOut points
// and returns it; with a message, also SetStatusText(message). A null pOut does
// nothing and returns 0; hi - lo <= 0 reports "SetPercent (ptr,%d,%d,%d)" and
// returns 0 without storing.
int SetPercent(std::atomic<int>* pOut, int iLo, int iHi, int iPercent,
               const char* szMessage = nullptr);

// A status text: at most 40 characters and a scroll counter, guarded so that
// one thread may write it while another reads it. The program has one for
// the generation the status bar shows; a generation that runs beside others
// (several ideas made at once) writes one of its own (CStatusTextScope).
class CStatusText {
 public:
  // Keeps the first 40 characters of the message; a text that differs from
  // the current one restarts the scrolling. A null message counts as "".
  void Set(const char* szMessage);
  std::string Get() const;
  // Rotated left by the scroll counter, which then advances by one.
  std::string NextScrolled();
  void ResetScroll();

 private:
  mutable std::mutex m_mutex;
  char m_szText[kStatusTextLength + 1] = {};
  int m_iScroll = 0;
};

// While one lives, SetStatusText on the thread that made it writes to the
// given text instead of the program's (scopes nest; the innermost wins).
class CStatusTextScope {
 public:
  explicit CStatusTextScope(CStatusText& text);
  ~CStatusTextScope();
  CStatusTextScope(const CStatusTextScope&) = delete;
  CStatusTextScope& operator=(const CStatusTextScope&) = delete;

 private:
  CStatusText* m_pPrevious;
};

// Sets the calling thread's status text (see CStatusTextScope), by default
// the program's.
void SetStatusText(const char* szMessage);
// The program's status text (at most 40 characters).
std::string GetStatusText();
// The program's status text as the status bar shows it while the bar is up: rotated left
// by the scroll counter, which then advances by one. Restarts at the
// beginning after each new text.
std::string NextScrolledStatusText();
// Restarts the scrolling (the progress bar appears).
void ResetStatusScroll();

// Called on the working thread after every stored percentage (with the value)
// and every new status text (with -1 and the text), e.g. to wake a waiting
// interface at once or, in tests, to stop a run at a chosen point. Null:
// none. Set it while no generation runs.
using ProgressHook = void (*)(int iPercent, const char* szText);
void SetProgressHook(ProgressHook pfnHook);
