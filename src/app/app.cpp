#include "app/app.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include "app/clipboard.h"
#include "app/dialog_hooks.h"
#include "app/main_frame.h"
#include "app/splash.h"
#include "app/view.h"
#include "engine/document.h"
#include "engine/filter_thread.h"
#include "platform/report.h"

void InitShellResources() { Q_INIT_RESOURCE(app); }

COceloApp::COceloApp(CShellDialogs& dialogs, CUserPaths paths)
    : m_State(std::move(paths)), m_Worker(TheGenerationWorker()), m_Dialogs(dialogs) {
  InitShellResources();
}

COceloApp::~COceloApp() {
  // Windows (and with them the documents) end before the state they count in.
  m_pFrame.reset();
}

bool COceloApp::InitInstance(bool bSplash) {
  m_pFrame = std::make_unique<CMainFrame>(*this);
  m_Dialogs.SetOwner(m_pFrame.get());
  m_pFrame->RestoreGeometry();
  m_pFrame->show();
  if (!m_State.StartUp(false)) return false;
  m_pFrame->UpdateCommands();
  if (bSplash) CStartupSplash::Show(m_pFrame.get(), [this] { ShowStartupTip(); });
  return true;
}

void COceloApp::ShowStartupTip() {
  if (m_State.TipStartUp() == 0) m_Dialogs.TipOfTheDay(m_State);
}

void COceloApp::ExitInstance() { m_State.Exit(false); }

int COceloApp::OpenImageDocument(const char* szPath) {
  CVexChildWnd* pChild = m_pFrame->CreateChild();
  if (!pChild->Document()->OpenImage(szPath)) {
    delete pChild;
    return 0;
  }
  m_pFrame->ShowChild(pChild);
  return 1;
}

void COceloApp::OnEditPaste() {
  if (m_Worker.IsXforming()) return;
  const QMimeData* pData = QApplication::clipboard()->mimeData();
  if (!pData || pData->formats().isEmpty()) {
    ReportError("The clipboard is empty");
    return;
  }
  if (!pData->hasImage()) {
    ReportError("The contents of the clipboard\nare not an image");
    return;
  }
  CGlobalBlock hDib;
  {
    CWaitCursor wait;
    hDib = DibFromImage(qvariant_cast<QImage>(pData->imageData()));
  }
  if (!hDib) {
    ReportSystemError("COceloApp::OnEditPaste()", "CloseClipboard, hNewDib = %d", 0);
    return;
  }
  CVexChildWnd* pChild = m_pFrame->CreateChild();
  if (!pChild->Document()->SetDocBitmap(std::move(hDib), m_State.NextPasteName()))
    ReportError("Ocelo:Could not SetDocBitmap from clipboard");
  m_pFrame->ShowChild(pChild);
}

void COceloApp::ReloadRecent(int i) {
  m_State.ReloadRecent(i, [this](const std::string& csPath) {
    return OpenImageDocument(csPath.c_str());
  });
}
