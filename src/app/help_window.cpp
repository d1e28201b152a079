#include "app/help_window.h"

#include "app/commands.h"

CHelpWindow::CHelpWindow(QWidget* pParent) : QTextBrowser(pParent) {
  setWindowFlag(Qt::Window);
  setWindowTitle(QStringLiteral("Vexmora Help"));
  setOpenLinks(true);
  setOpenExternalLinks(true);
  setSearchPaths({QStringLiteral(":/help")});
  resize(560, 520);
}

QString CHelpWindow::TopicFor(int iCommand) {
  switch (iCommand) {
    case ID_HELP_WHAT_IS:
      return QStringLiteral("qrc:/help/what_is.html");
    case ID_HELP_NEW:
      return QStringLiteral("qrc:/help/new_in_4.html");
    case ID_HELP_TUTORIAL:
      return QStringLiteral("qrc:/help/tutorial.html");
    case ID_HELP_CREDITS:
      return QStringLiteral("qrc:/help/credits.html");
    default:
      return QStringLiteral("qrc:/help/index.html");
  }
}

void CHelpWindow::ShowTopic(int iCommand) {
  setSource(QUrl(TopicFor(iCommand)));
  show();
  raise();
  activateWindow();
}
