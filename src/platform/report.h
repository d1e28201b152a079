// Message reporting. Every error message of the system goes through one
// replaceable reporter: the desktop shell shows boxes titled "Vexmora4", the
// command-line tool prints to stderr, tests record the texts.
#pragma once

#include <string>

// Texts are cut to this many characters after formatting.
constexpr std::size_t kMaxMessageLength = 519;

class CReporter {
 public:
  virtual ~CReporter() = default;
  // A warning with an OK button; returns IDOK.
  virtual int ShowError(const std::string& csText) = 0;
  // A question with Yes, No and Cancel; returns IDYES, IDNO or IDCANCEL.
  virtual int Ask(const std::string& csText) = 0;
  // An information box with its own caption; the text already carries the
  // system's description of the last error.
  virtual void ShowSystemError(const std::string& csCaption, const std::string& csText) = 0;
  // Shows or hides the busy indication (the wait cursor) around long file work.
  virtual void SetBusy(bool /*bBusy*/) {}
};

// Installs a reporter (nullptr restores the default, which prints to stderr
// and answers questions with IDCANCEL). Returns the previous one. The
// reporter may be called from any thread.
CReporter* SetReporter(CReporter* pReporter);

int ReportError(const char* szFormat, ...) __attribute__((format(printf, 1, 2)));
int AskUser(const char* szFormat, ...) __attribute__((format(printf, 1, 2)));
// Appends the description of errno, as "%s \n %s".
void ReportSystemError(const char* szCaption, const char* szFormat, ...)
    __attribute__((format(printf, 2, 3)));

// Shows the busy indication for the lifetime of the object.
class CWaitCursor {
 public:
  CWaitCursor();
  ~CWaitCursor();
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
};

// While it lives, the errors that this thread reports are gathered instead
// of shown, so that the steps of one failure (a decoder's code, then the
// loader's word) reach the user as one message. Show gives them as one,
// under a headline; what is still gathered when it ends is shown as one.
class CGatheredErrors {
 public:
  CGatheredErrors();
  ~CGatheredErrors();
  CGatheredErrors(const CGatheredErrors&) = delete;
  CGatheredErrors& operator=(const CGatheredErrors&) = delete;

  // Shows the headline and, below it, every gathered text (a repeat once);
  // then nothing is gathered any more.
  void Show(const std::string& csHeadline);
  // Takes one reported text (ReportError does this while the gathering is
  // this thread's innermost).
  void Add(const std::string& csText);

 private:
  CGatheredErrors* m_pOuter;
  std::string m_csTexts;
  bool m_bShown = false;
};

// printf-style formatting into a std::string, cut to kMaxMessageLength.
std::string FormatMessageText(const char* szFormat, ...) __attribute__((format(printf, 1, 2)));
