// The desktop program: one instance per user, the main window with its
// documents, settings and cache kept by the application object.
#include <QApplication>
#include <QMessageBox>
#include <csignal>
#include <cstring>
#include <string>

#include "app/app.h"
#include "app/dialog_hooks.h"
#include "app/main_frame.h"
#include "app/qt_reporter.h"
#include "app/single_instance.h"
#include "imaging/file_utils.h"
#include "platform/data_dir.h"

#ifndef VX_VERSION
#define VX_VERSION "unknown"
#endif

namespace {

// Ended by a signal (the session closing, a kill), the program goes as it
// would have, but without the hidden temporary files of the pictures it was
// saving: the handler is reset on entry, and the signal raised again ends
// the program once the handler returns.
extern "C" void OnEndingSignal(int iSignal) {
  RemoveUnfinishedFiles();
  raise(iSignal);
}

void RemoveUnfinishedFilesOnEndingSignals() {
  struct sigaction sa {};
  sa.sa_handler = OnEndingSignal;
  sa.sa_flags = SA_RESETHAND;
  sigemptyset(&sa.sa_mask);
  for (const int iSignal : {SIGTERM, SIGHUP, SIGINT}) {
    // A signal ignored by whoever started the program (nohup) stays ignored.
    struct sigaction old {};
    if (sigaction(iSignal, nullptr, &old) == 0 && old.sa_handler != SIG_IGN)
      sigaction(iSignal, &sa, nullptr);
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  RemoveUnfinishedFilesOnEndingSignals();
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vexmora"));
  QApplication::setApplicationVersion(QStringLiteral(VX_VERSION));

  // Files named on the command line open as documents; a second start
  // hands them over to the first and leaves everything else alone.
  const QStringList aFiles = CSingleInstance::FileArguments(application.arguments().mid(1));
  CSingleInstance instance;
  if (instance.HandOver(aFiles)) return 0;

  // Without its data folder, or with a shipped font that fails its check,
  // the program could not draw text as everywhere else, so it says where it
  // looked (or which file is damaged) instead of making different pictures.
  std::string csDataError;
  if (DataDir().m_csDir.empty())
    csDataError = DataDirMissingMessage(DataDir());
  else
    CheckShippedFonts(csDataError);
  if (!csDataError.empty()) {
    QMessageBox::critical(nullptr, QStringLiteral("Vexmora4"), QString::fromStdString(csDataError));
    return 1;
  }

  CQtReporter reporter;
  SetReporter(&reporter);

  // Besides files, the command line says whether the splash window is wanted.
  bool bSplash = true;
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--nosplash") == 0 || std::strcmp(argv[i], "-nologo") == 0)
      bSplash = false;

  CShellDialogs dialogs;
  int iResult = 1;
  {
    COceloApp app(dialogs);
    if (app.InitInstance(bSplash, aFiles)) {
      QObject::connect(&instance, &CSingleInstance::RaiseRequested, app.Frame(),
                       &CMainFrame::RaiseWindow);
      QObject::connect(&instance, &CSingleInstance::FilesRequested, app.Frame(),
                       [&app](const QStringList& aHanded) { app.QueueFiles(aHanded); });
      iResult = application.exec();
      app.ExitInstance();
    }
  }
  SetReporter(nullptr);
  return iResult;
}
