// Progress and status text of the running generation. The worker (Xform and
// final mix) writes a percentage through SetPercent and a short message
// through SetStatusText; the interface thread reads both about four times a
// second. The percentage is atomic and the 40-character text is guarded, so
// the two threads never race.
#pragma once

#include <atomic>
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

// Keeps the first 40 characters of the message; a text that differs from the
// current one restarts the scrolling. A null message counts as "".
void SetStatusText(const char* szMessage);
// The current status text (at most 40 characters).
std::string GetStatusText();
// The status text as the status bar shows it while the bar is up: rotated left
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
