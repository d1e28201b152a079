// The recording reporter of the desktop program's tests, installed before
// any test runs (a static object of every test program).
#include "../support/recording_reporter.h"

CRecordingReporter& Reporter() {
  static CRecordingReporter reporter;
  return reporter;
}

namespace {

struct CInstall {
  CInstall() { SetReporter(&Reporter()); }
  ~CInstall() { SetReporter(nullptr); }
} g_Install;

}  // namespace
