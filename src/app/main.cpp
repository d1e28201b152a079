// The desktop program: one instance per user, the main window with its
// documents, settings and cache kept by the application object.
#include <QApplication>
#include <QMessageBox>
#include <cstring>

#include "app/app.h"
#include "app/dialog_hooks.h"
#include "app/main_frame.h"
#include "app/qt_reporter.h"
#include "app/single_instance.h"
#include "platform/data_dir.h"

#ifndef VX_VERSION
#define VX_VERSION "unknown"
#endif

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vexmora"));
  QApplication::setApplicationVersion(QStringLiteral(VX_VERSION));

  // Files named on the command line open as documents; a second start
  // hands them over to the first and leaves everything else alone.
  const QStringList aFiles = CSingleInstance::FileArguments(application.arguments().mid(1));
  CSingleInstance instance;
  if (instance.HandOver(aFiles)) return 0;

  // Without its data folder the program could not draw text, so it says
  // where it looked instead of making different pictures.
  if (DataDir().m_csDir.empty()) {
    QMessageBox::critical(nullptr, QStringLiteral("Vexmora4"),
                          QString::fromStdString(DataDirMissingMessage(DataDir())));
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
