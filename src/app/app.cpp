#include "app/app.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <algorithm>

#include "app/clipboard.h"
#include "app/dialog_hooks.h"
#include "app/main_frame.h"
#include "app/splash.h"
#include "app/view.h"
#include "engine/document.h"
#include "engine/filter_thread.h"
#include "imaging/image_files.h"
#include "imaging/packed_dib.h"
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

bool COceloApp::InitInstance(bool bSplash, const QStringList& aFiles) {
  m_pFrame = std::make_unique<CMainFrame>(*this);
  m_Dialogs.SetOwner(m_pFrame.get());
  m_pFrame->RestoreGeometry();
  m_pFrame->show();
  if (!m_State.StartUp(false)) return false;
  m_pFrame->UpdateCommands();
  m_QueueTimer.setInterval(100);
  QObject::connect(&m_QueueTimer, &QTimer::timeout, [this] { OpenQueued(); });
  QueueFiles(aFiles);
  if (bSplash) {
    CStartupSplash::Show(m_pFrame.get(), [this] {
      ShowStartupTip();
      m_bStarted = true;
    });
  } else {
    m_bStarted = true;
  }
  return true;
}

void COceloApp::QueueFiles(const QStringList& aPaths, bool bApplyRecipes) {
  for (const QString& csPath : aPaths)
    m_aQueued.append({csPath, bApplyRecipes && IsRecipePath(csPath.toStdString())});
  if (!m_aQueued.isEmpty()) m_QueueTimer.start();
}

void COceloApp::OpenQueued() {
  if (m_aQueued.isEmpty()) {
    m_QueueTimer.stop();
    return;
  }
  if (!m_bStarted || !m_pFrame || m_Worker.IsXforming() || QApplication::activeModalWidget())
    return;
  const SQueued next = m_aQueued.takeFirst();
  if (next.m_bRecipe)
    m_pFrame->ApplyRecipe(next.m_csPath.toStdString());
  else
    OpenDocumentFile(next.m_csPath.toStdString());
  m_pFrame->UpdateRecentItems();
  m_pFrame->UpdateCommands();
}

void COceloApp::ShowStartupTip() {
  if (m_State.TipStartUp() == 0) m_Dialogs.TipOfTheDay(m_State);
}

void COceloApp::ExitInstance() { m_State.Exit(false); }

int COceloApp::OpenImageDocument(const char* szPath) {
  if (!szPath || !*szPath) {
    // The open dialog lists sequences too: what is chosen opens by its kind.
    const int iType = std::clamp(m_State.m_iReadExt, 0, kImageFilterCount - 1);
    const std::string csPath = m_Dialogs.OpenImagePath(
        iType + 1, kImageDefaultExtensions[iType] + 2, m_State.m_csInitialDir);
    return csPath.empty() ? 0 : OpenDocumentFile(csPath);
  }
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
  const QImage image = qvariant_cast<QImage>(pData->imageData());
  if (!PictureSizeWithinBounds(image.width(), image.height())) {
    ReportError("%s", PictureTooLargeMessage().c_str());
    return;
  }
  CGlobalBlock hDib;
  {
    CWaitCursor wait;
    hDib = DibFromImage(image);
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
  m_State.ReloadRecent(i, [this](const std::string& csPath) { return OpenDocumentFile(csPath); });
}

int COceloApp::OpenDocumentFile(const std::string& csPath) {
  if (IsSequencePath(csPath)) return OpenSequenceDocument(csPath.c_str());
  return OpenImageDocument(csPath.c_str());
}
