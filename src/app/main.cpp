// The desktop program: one instance per user, the main window with its
// documents, settings and cache kept by the application object.
#include <QApplication>
#include <cstring>

#include "app/app.h"
#include "app/dialog_hooks.h"
#include "app/main_frame.h"
#include "app/qt_reporter.h"
#include "app/single_instance.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vexmora"));
  QApplication::setApplicationVersion(QStringLiteral("4.0"));

  // A second start hands over to the first and leaves everything alone.
  CSingleInstance instance;
  if (instance.HandOver()) return 0;

  CQtReporter reporter;
  SetReporter(&reporter);

  // The command line only says whether the splash window is wanted.
  bool bSplash = true;
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--nosplash") == 0 || std::strcmp(argv[i], "-nologo") == 0)
      bSplash = false;

  CShellDialogs dialogs;
  int iResult = 1;
  {
    COceloApp app(dialogs);
    if (app.InitInstance(bSplash)) {
      QObject::connect(&instance, &CSingleInstance::RaiseRequested, app.Frame(),
                       &CMainFrame::RaiseWindow);
      iResult = application.exec();
      app.ExitInstance();
    }
  }
  SetReporter(nullptr);
  return iResult;
}
