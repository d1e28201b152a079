#include "app/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QIcon>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <cstring>
#include <utility>

#include "app/app.h"
#include "app/dialog_hooks.h"
#include "app/help_window.h"
#include "app/idea_grid_window.h"
#include "app/view.h"
#include "dialogs/dialog_toolkit.h"
#include "engine/document.h"
#include "engine/filter_thread.h"
#include "imaging/dadc.h"
#include "platform/report.h"
#include "xforms/progress.h"

namespace {

// String 61229: the width of the status pane, STATUS_CHARS characters.
constexpr const char* kStatusWidthText = "0123456789012345678901234567890123456789";
constexpr int kStatusChars = 40;

const std::vector<QAction*> kNoActions;

// The context menu's Revert to Original runs the sequence's Revert to
// Original.
int CommandFor(int iId) { return iId == ID_CONTEXT_ORIGINAL ? static_cast<int>(ID_TO_FIRST) : iId; }

}  // namespace

// ---------------------------------------------------------------------------
// Child window

CVexChildWnd::CVexChildWnd(CMainFrame& frame, COceloApp& app)
    : m_Frame(frame), m_pView(new CVexmoView(frame)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowIcon(QIcon(QStringLiteral(":/icons/vexmora.svg")));
  setWidget(m_pView);
  // The window menu's own Close would take Ctrl+W (View Size Normal) from
  // the main window; Close stays in the menu without a key.
  if (QMenu* pMenu = systemMenu()) {
    for (QAction* pAction : pMenu->actions())
      if (pAction->shortcuts().contains(QKeySequence(QKeySequence::Close)) ||
          pAction->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_W)))
        pAction->setShortcuts({});
  }
  m_pDoc = std::make_unique<CVexmoFilterDoc>(m_pView, app.State(), app.Worker(), app.Dialogs());
  m_pView->SetDocument(m_pDoc.get());
}

CVexChildWnd::~CVexChildWnd() {
  // The document goes first: it still speaks to its view while it ends.
  m_pView->SetDocument(nullptr);
  m_pDoc.reset();
}

void CVexChildWnd::closeEvent(QCloseEvent* pEvent) {
  if (!m_pDoc->CanCloseFrame() || (!m_pDoc->m_szName.empty() && !m_pDoc->SaveModified())) {
    pEvent->ignore();
    return;
  }
  QMdiSubWindow::closeEvent(pEvent);
}

void CVexChildWnd::changeEvent(QEvent* pEvent) {
  QMdiSubWindow::changeEvent(pEvent);
  if (pEvent->type() == QEvent::WindowStateChange)
    QTimer::singleShot(0, &m_Frame, &CMainFrame::UpdateTitle);
}

// ---------------------------------------------------------------------------
// Main frame

CMainFrame::CMainFrame(COceloApp& app) : m_App(app), m_pMdiArea(new QMdiArea(this)) {
  setObjectName(QStringLiteral("Vexmora4"));
  setWindowTitle(QStringLiteral("Vexmora"));
  setWindowIcon(QIcon(QStringLiteral(":/icons/vexmora.svg")));
  m_pMdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  m_pMdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(m_pMdiArea);
  BuildMenus();
  BuildToolBar();
  BuildStatusBar();
  connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, [this] {
    UpdateTitle();
    UpdateCommands();
  });
  m_IdleTimer.setInterval(kPollMs);
  connect(&m_IdleTimer, &QTimer::timeout, this, &CMainFrame::IdleCheck);
  m_IdleTimer.start();
  m_App.Worker().SetStartedCallback(
      [this](IGenerationClient* pClient) { OnGenerationStarted(pClient); });
  qApp->installEventFilter(this);
  setAcceptDrops(true);
  resize(1000, 720);
  UpdateCommands();
}

CMainFrame::~CMainFrame() {
  m_IdleTimer.stop();
  m_App.Worker().SetStartedCallback(nullptr);
  // Documents end before the frame's other parts.
  for (QMdiSubWindow* pChild : m_pMdiArea->subWindowList()) delete pChild;
}

QAction* CMainFrame::AddAction(int iId, const QString& csText) {
  auto* pAction = new QAction(csText, this);
  if (const CCommandInfo* pInfo = FindCommandInfo(iId); pInfo && pInfo->m_szPrompt) {
    const QString csPrompt = QString::fromLatin1(pInfo->m_szPrompt);
    pAction->setStatusTip(csPrompt.section('\n', 0, 0));
    pAction->setWhatsThis(csPrompt.section('\n', 0, 0));
  }
  connect(pAction, &QAction::triggered, this, [this, iId] { OnCommand(iId); });
  m_aActions[iId].push_back(pAction);
  return pAction;
}

void CMainFrame::BuildMenus() {
  // Key and tool bar actions: one per command, part of the window so that its
  // keys work wherever the focus is inside it.
  for (const CCommandInfo& info : Commands()) {
    QString csTip = info.m_szPrompt ? QString::fromLatin1(info.m_szPrompt) : QString();
    csTip = csTip.contains('\n') ? csTip.section('\n', 1) : csTip;
    QAction* pAction = AddAction(info.m_iId, csTip);
    pAction->setToolTip(csTip);
    QList<QKeySequence> aKeys;
    for (const QString& csKey : QString::fromLatin1(info.m_szKeys).split('|', Qt::SkipEmptyParts))
      aKeys << QKeySequence(csKey, QKeySequence::PortableText);
    pAction->setShortcuts(aKeys);
    pAction->setShortcutContext(Qt::WindowShortcut);
    if (info.m_szIcon)
      pAction->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(info.m_szIcon))));
    addAction(pAction);
    m_aKeyActions[info.m_iId] = pAction;
  }
  for (const CMenuInfo& menu : MainMenu()) {
    QMenu* pMenu = menuBar()->addMenu(QString::fromLatin1(menu.m_szTitle));
    for (const CMenuItem& item : menu.m_aItems) {
      if (item.m_iId == 0)
        pMenu->addSeparator();
      else
        pMenu->addAction(AddAction(item.m_iId, QString::fromLatin1(item.m_szText)));
    }
    connect(pMenu, &QMenu::aboutToShow, this, [this] {
      UpdateRecentItems();
      UpdateCommands();
    });
    if (!m_pFileMenu) m_pFileMenu = pMenu;
    if (&menu == &MainMenu()[5]) m_pWindowMenu = pMenu;
  }
  connect(m_pWindowMenu, &QMenu::aboutToShow, this, &CMainFrame::UpdateWindowList);
  m_pContextMenu = new QMenu(this);
  for (const CMenuItem& item : ::ContextMenu())
    m_pContextMenu->addAction(AddAction(item.m_iId, QString::fromLatin1(item.m_szText)));
  for (QAction* pAction : Actions(ID_VIEW_TOOLBAR)) pAction->setCheckable(true);
}

void CMainFrame::BuildToolBar() {
  m_pToolBar = addToolBar(QStringLiteral("Toolbar"));
  m_pToolBar->setObjectName(QStringLiteral("MainToolBar"));
  m_pToolBar->setAllowedAreas(Qt::AllToolBarAreas);
  m_pToolBar->setIconSize(QSize(22, 22));
  for (int iId : ToolBarLayout()) {
    if (iId == 0)
      m_pToolBar->addSeparator();
    else
      m_pToolBar->addAction(KeyAction(iId));
  }
  connect(m_pToolBar, &QToolBar::visibilityChanged, this, [this](bool bVisible) {
    for (QAction* pAction : Actions(ID_VIEW_TOOLBAR)) pAction->setChecked(bVisible);
  });
  for (QAction* pAction : Actions(ID_VIEW_TOOLBAR)) pAction->setChecked(true);
}

void CMainFrame::BuildStatusBar() {
  m_pStatusPane = new QLabel(statusBar());
  m_pStatusPane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  const int iLength = static_cast<int>(std::strlen(kStatusWidthText));
  if (iLength != kStatusChars)
    ReportError("Need to correct STATUS_CHARS\nfrom %d to %d", kStatusChars, iLength);
  m_pStatusPane->setFixedWidth(
      QFontMetrics(m_pStatusPane->font()).horizontalAdvance(QLatin1String(kStatusWidthText)) + 8);
  statusBar()->addPermanentWidget(m_pStatusPane);
  m_pStatusPane->setText(QStringLiteral("Welcome..."));
}

const std::vector<QAction*>& CMainFrame::Actions(int iId) const {
  const auto it = m_aActions.find(iId);
  return it == m_aActions.end() ? kNoActions : it->second;
}

QAction* CMainFrame::KeyAction(int iId) const {
  const auto it = m_aKeyActions.find(iId);
  return it == m_aKeyActions.end() ? nullptr : it->second;
}

CVexChildWnd* CMainFrame::ActiveChild() const {
  return qobject_cast<CVexChildWnd*>(m_pMdiArea->activeSubWindow());
}

CVexmoView* CMainFrame::ActiveView() const {
  CVexChildWnd* pChild = ActiveChild();
  return pChild ? pChild->View() : nullptr;
}

CVexmoFilterDoc* CMainFrame::ActiveDocument() const {
  CVexChildWnd* pChild = ActiveChild();
  return pChild ? pChild->Document() : nullptr;
}

CVexChildWnd* CMainFrame::CreateChild() {
  auto* pChild = new CVexChildWnd(*this, m_App);
  m_pMdiArea->addSubWindow(pChild);
  pChild->hide();
  return pChild;
}

void CMainFrame::ShowChild(CVexChildWnd* pChild) {
  // A new window steps down and right from the active one (one title bar),
  // back to the corner when it would leave the workspace.
  QMdiSubWindow* pPrevious = m_pMdiArea->activeSubWindow();
  pChild->show();
  if (pPrevious && pPrevious != pChild && !pPrevious->isMaximized()) {
    const int iStep = pChild->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, pChild);
    QPoint pt = pPrevious->pos() + QPoint(iStep, iStep);
    const QSize workspace = m_pMdiArea->viewport()->size();
    if (pt.x() + iStep * 4 > workspace.width() || pt.y() + iStep * 4 > workspace.height())
      pt = QPoint(0, 0);
    pChild->move(pt);
  }
  m_pMdiArea->setActiveSubWindow(pChild);
  // A picture larger than the workspace opens at the largest step that fits.
  pChild->View()->SetZoom(pChild->View()->FitZoom(100));
  UpdateTitle();
  UpdateCommands();
}

CShellState CMainFrame::ShellState() const {
  CShellState state;
  state.m_bXforming = m_App.Worker().IsXforming();
  state.m_iDocCount = m_App.State().m_iDocCount;
  if (CVexmoView* pView = ActiveView()) {
    state.m_bHasView = true;
    state.m_bHasSurface = pView->DrawingSurface() != nullptr;
    state.m_bCanZoom = pView->CanZoom();
    state.m_iZoom = pView->Zoom();
    const CVexmoFilterDoc* pDoc = ActiveDocument();
    state.m_bHasRecipe = pDoc && pDoc->m_iCurrent > 0;
  }
  for (int i = 0; i < CAppState::kRecentCount; ++i) state.m_abRecent[i] = m_App.State().HasRecent(i);
  return state;
}

bool CMainFrame::IsCommandEnabled(int iId) const {
  const int iCommand = CommandFor(iId);
  if (CVexmoFilterDoc::HandlesCommand(iCommand)) {
    const CVexmoFilterDoc* pDoc = ActiveDocument();
    return pDoc && !pDoc->m_szName.empty() && pDoc->IsCommandEnabled(iCommand);
  }
  return IsShellCommandEnabled(iCommand, ShellState());
}

void CMainFrame::UpdateCommands() {
  const CShellState state = ShellState();
  const CVexmoFilterDoc* pDoc = ActiveDocument();
  for (auto& [iId, aActions] : m_aActions) {
    const int iCommand = CommandFor(iId);
    const bool bEnabled = CVexmoFilterDoc::HandlesCommand(iCommand)
                              ? pDoc && !pDoc->m_szName.empty() && pDoc->IsCommandEnabled(iCommand)
                              : IsShellCommandEnabled(iCommand, state);
    for (QAction* pAction : aActions) pAction->setEnabled(bEnabled);
  }
}

namespace {

// A name as a menu shows it: its "&" are its own, not shortcut marks.
QString MenuText(const std::string& csName) {
  return QString::fromStdString(csName).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

}  // namespace

void CMainFrame::UpdateRecentItems() {
  for (int i = 0; i < CAppState::kRecentCount; ++i) {
    const std::string& csPath = m_App.State().Recent(i);
    for (QAction* pAction : Actions(ID_RECENT_FIRST + i)) {
      if (pAction == KeyAction(ID_RECENT_FIRST + i)) continue;
      if (!csPath.empty())
        pAction->setText(QStringLiteral("&%1: %2").arg(i + 1).arg(MenuText(csPath)));
      else
        pAction->setText(QStringLiteral("(no file)"));
    }
  }
}

void CMainFrame::UpdateWindowList() {
  for (QAction* pAction : m_aWindowItems) delete pAction;
  m_aWindowItems.clear();
  const QList<QMdiSubWindow*> aChildren = m_pMdiArea->subWindowList();
  if (aChildren.isEmpty()) return;
  m_aWindowItems.push_back(m_pWindowMenu->addSeparator());
  for (qsizetype i = 0; i < aChildren.size(); ++i) {
    QMdiSubWindow* pChild = aChildren[i];
    const QString csTitle = MenuText(pChild->windowTitle().toStdString());
    const QString csText = i < 9 ? QStringLiteral("&%1 %2").arg(i + 1).arg(csTitle)
                                 : QStringLiteral("%1 %2").arg(i + 1).arg(csTitle);
    QAction* pAction = m_pWindowMenu->addAction(csText);
    pAction->setCheckable(true);
    pAction->setChecked(pChild == m_pMdiArea->activeSubWindow());
    connect(pAction, &QAction::triggered, this,
            [this, pChild = QPointer<QMdiSubWindow>(pChild)] {
              if (pChild) m_pMdiArea->setActiveSubWindow(pChild);
            });
    m_aWindowItems.push_back(pAction);
  }
}

void CMainFrame::UpdateTitle() {
  CVexChildWnd* pChild = ActiveChild();
  // A maximised child has the workspace add " - [its title]" to whatever
  // the main window's title is.
  if (pChild && pChild->isMaximized())
    setWindowTitle(QStringLiteral("Vexmora"));
  else if (pChild && !pChild->windowTitle().isEmpty())
    setWindowTitle(QStringLiteral("Vexmora - %1").arg(pChild->windowTitle()));
  else
    setWindowTitle(QStringLiteral("Vexmora"));
}

void CMainFrame::PopupContextMenu(const QPoint& ptGlobal) {
  UpdateCommands();
  m_pContextMenu->exec(ptGlobal);
}

void CMainFrame::OnCommand(int iId) {
  UpdateCommands();
  if (!IsCommandEnabled(iId)) return;
  const int iCommand = CommandFor(iId);
  if (CVexmoFilterDoc::HandlesCommand(iCommand)) {
    CVexChildWnd* pChild = ActiveChild();
    pChild->Document()->OnCommand(iCommand);
    pChild->View()->Invalidate(false);
  } else {
    RunShellCommand(iCommand, *this);
  }
  UpdateRecentItems();
  UpdateCommands();
}

void CMainFrame::StopGeneration() {
  m_bStopAsked = true;
  m_App.Worker().Stop();
}

CHelpWindow* CMainFrame::HelpWindow() {
  if (!m_pHelp) m_pHelp = new CHelpWindow(this);
  return m_pHelp;
}

CHelpWindow* CMainFrame::ShowDialogHelp(QWidget* pWidget) {
  const QString csPage = HelpTopicOf(pWidget);
  if (csPage.isEmpty()) return nullptr;
  QWidget* pDialog = pWidget->window();
  auto* pHelp = pDialog->findChild<CHelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
  if (!pHelp) pHelp = new CHelpWindow(pDialog);
  pHelp->ShowPage(csPage);
  return pHelp;
}

bool CMainFrame::eventFilter(QObject* pObject, QEvent* pEvent) {
  if (pEvent->type() == QEvent::KeyPress && pObject->isWidgetType()) {
    const auto* pKey = static_cast<QKeyEvent*>(pEvent);
    auto* pWidget = static_cast<QWidget*>(pObject);
    if (pKey->key() == Qt::Key_F1 && pKey->modifiers() == Qt::NoModifier &&
        pWidget->window() != this && ShowDialogHelp(pWidget))
      return true;
  }
  return QMainWindow::eventFilter(pObject, pEvent);
}

namespace {

// The local picture, sequence and recipe files among dropped URLs (by
// their extension).
QStringList DroppedFiles(const QMimeData* pData) {
  static const QStringList kSuffixes{"bmp", "tga", "jpg",   "jpeg", "jpe",
                                     "pcx", "png", "vxseq", "json"};
  QStringList aPaths;
  if (!pData || !pData->hasUrls()) return aPaths;
  for (const QUrl& url : pData->urls()) {
    const QFileInfo info(url.toLocalFile());
    if (url.isLocalFile() && info.isFile() && kSuffixes.contains(info.suffix().toLower()))
      aPaths << info.filePath();
  }
  return aPaths;
}

}  // namespace

void CMainFrame::dragEnterEvent(QDragEnterEvent* pEvent) {
  if (!m_App.Worker().IsXforming() && !DroppedFiles(pEvent->mimeData()).isEmpty())
    pEvent->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* pEvent) {
  const QStringList aPaths = DroppedFiles(pEvent->mimeData());
  if (aPaths.isEmpty() || m_App.Worker().IsXforming()) return;
  pEvent->acceptProposedAction();
  // One at a time, in order: opening a picture starts its first idea, so
  // what follows it waits in the application's queue (behind any files
  // already waiting there) until the worker is free. A recipe becomes a new
  // idea of the document active at its turn.
  for (qsizetype i = 0; i < aPaths.size(); ++i) {
    if (m_App.Worker().IsXforming() || m_App.HasQueuedFiles()) {
      m_App.QueueFiles(aPaths.mid(i), true);
      break;
    }
    const std::string csFile = aPaths[i].toStdString();
    if (IsRecipePath(csFile))
      ApplyRecipe(csFile);
    else
      m_App.OpenDocumentFile(csFile);
  }
  UpdateRecentItems();
  UpdateCommands();
}

QString CMainFrame::GeometryPath() const {
  const QString csProfile = QString::fromStdString(m_App.State().ProfilePath());
  return csProfile.isEmpty() ? QString() : QFileInfo(csProfile).dir().filePath("window.ini");
}

void CMainFrame::RestoreGeometry() {
  const QString csPath = GeometryPath();
  if (!csPath.isEmpty()) {
    const QSettings settings(csPath, QSettings::IniFormat);
    if (restoreGeometry(settings.value("MainWindow/Geometry").toByteArray())) return;
  }
  if (const QScreen* pScreen = screen()) {
    const QRect avail = pScreen->availableGeometry();
    QRect rect(QPoint(), QSize(1000, 720).expandedTo(avail.size() * 3 / 4).boundedTo(avail.size()));
    rect.moveCenter(avail.center());
    setGeometry(rect);
  }
}

void CMainFrame::SaveGeometry() const {
  const QString csPath = GeometryPath();
  if (csPath.isEmpty()) return;
  QSettings settings(csPath, QSettings::IniFormat);
  settings.setValue("MainWindow/Geometry", saveGeometry());
}

void CMainFrame::OnGenerationStarted(IGenerationClient* pClient) {
  for (QMdiSubWindow* pWindow : m_pMdiArea->subWindowList()) {
    auto* pChild = qobject_cast<CVexChildWnd*>(pWindow);
    if (!pChild || static_cast<IGenerationClient*>(pChild->Document()) != pClient) continue;
    m_pThreadView = pChild->View();
    pChild->View()->SetSurfaceBusy(true);
    return;
  }
}

void CMainFrame::SetProgress(int iPercent) {
  if (iPercent < 0 || iPercent > 99) {
    if (m_pProgress) {
      statusBar()->removeWidget(m_pProgress);
      delete m_pProgress;
      m_pProgress = nullptr;
    }
  } else {
    if (!m_pProgress) {
      m_pProgress = new QProgressBar(statusBar());
      m_pProgress->setRange(0, 100);
      m_pProgress->setTextVisible(false);
      statusBar()->addWidget(m_pProgress, 1);
      m_pProgress->show();
      ResetStatusScroll();
    }
    m_pProgress->setValue(iPercent);
  }
  m_pStatusPane->setText(QString::fromStdString(m_pProgress ? NextScrolledStatusText()
                                                            : GetStatusText()));
}

void CMainFrame::IdleCheck() {
  // A cache file that could not be written is told now, not at the next idea.
  m_App.State().m_Cache.ReportWriteFailure();
  switch (m_App.Worker().IdleCheck()) {
    case CGenerationWorker::EPoll::Idle:
      return;
    case CGenerationWorker::EPoll::Running:
      SetProgress(m_App.Worker().Progress());
      break;
    case CGenerationWorker::EPoll::Ended:
      SetProgress(101);
      // Until the next generation's text.
      // (A stop pressed while the idea was being mixed came too late: the
      // idea was made.)
      if (std::exchange(m_bStopAsked, false) &&
          m_App.Worker().LastResult() == EGeneration::Stopped)
        m_pStatusPane->setText(QStringLiteral("Stopped"));
      if (CVexmoView* pView = m_pThreadView.data()) {
        pView->SetSurfaceBusy(false);
        pView->Invalidate(true);
      }
      m_pThreadView = nullptr;
      break;
  }
  UpdateCommands();
}

void CMainFrame::RaiseWindow() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
  if (QWidget* pModal = QApplication::activeModalWidget()) {
    pModal->raise();
    pModal->activateWindow();
  }
}

void CMainFrame::keyPressEvent(QKeyEvent* pEvent) {
  // Shift (a + typed with it) and the keypad flag do not matter; Ctrl may
  // be held, anything else makes it another key.
  const Qt::KeyboardModifiers mods =
      pEvent->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier | Qt::ControlModifier);
  const int iKey = pEvent->key();
  if (mods == Qt::NoModifier && (iKey == Qt::Key_Plus || iKey == Qt::Key_Minus)) {
    pEvent->accept();
    OnCommand(iKey == Qt::Key_Plus ? ID_VIEW_ZOOM_IN : ID_VIEW_ZOOM_OUT);
    return;
  }
  QMainWindow::keyPressEvent(pEvent);
}

void CMainFrame::closeEvent(QCloseEvent* pEvent) {
  if (m_App.Worker().IsXforming()) {
    ReportError("%s", kStillCreatingImage);
    pEvent->ignore();
    return;
  }
  m_pMdiArea->closeAllSubWindows();
  if (!m_pMdiArea->subWindowList().isEmpty()) {
    pEvent->ignore();
    return;
  }
  SaveGeometry();
  QMainWindow::closeEvent(pEvent);
}

void CMainFrame::OpenIdeaGrid(bool bWizard) {
  CVexChildWnd* pChild = ActiveChild();
  if (!pChild || !pChild->Document()) return;
  const auto eKind = bWizard ? CIdeaGridWindow::EKind::Wizard : CIdeaGridWindow::EKind::Variations;
  // One grid of each kind per document: asking again fills it anew.
  for (CIdeaGridWindow* pGrid : pChild->findChildren<CIdeaGridWindow*>(Qt::FindDirectChildrenOnly)) {
    if (pGrid->Kind() != eKind) continue;
    pGrid->More();
    pGrid->show();
    pGrid->raise();
    pGrid->activateWindow();
    return;
  }
  const QPointer<CVexChildWnd> pWnd = pChild;
  auto fnSource = [pWnd, bWizard](CIdeaSource& source) {
    CVexmoFilterDoc* pDoc = pWnd ? pWnd->Document() : nullptr;
    if (!pDoc || !pDoc->Original()) return false;
    // The working recipe is the worker's while it runs.
    if (pDoc->IsXforming()) {
      ReportError("%s", kStillCreatingImage);
      return false;
    }
    if (!bWizard && pDoc->m_iCurrent <= 0) {
      ReportError("Select an ObjectXform");
      return false;
    }
    source.m_Spec = pDoc->m_Spec;
    source.m_pOriginal = CDADC::Copy(*pDoc->Original());
    source.m_aUsage = pDoc->m_aUsage;
    source.m_iQuality = pDoc->m_iAALevel;
    return source.m_pOriginal != nullptr;
  };
  auto fnAdd = [this, pWnd](const CFilSpec& spec, const CDADC& picture, int iQuality) {
    CVexmoFilterDoc* pDoc = pWnd ? pWnd->Document() : nullptr;
    const int iPosition = pDoc ? pDoc->AddMadeIdea(spec, picture, iQuality) : 0;
    if (iPosition > 0) {
      if (CVexmoView* pView = pWnd->View()) pDoc->UpdateTitle(pView->Zoom());
      UpdateTitle();
      UpdateCommands();
    }
    return iPosition;
  };
  auto* pGrid = new CIdeaGridWindow(eKind, fnSource, fnAdd, pChild);
  if (!pGrid->More()) {
    delete pGrid;
    return;
  }
  // Beside the document: over the right part of the main window, inside the screen.
  QRect rc(QPoint(0, 0), pGrid->size());
  rc.moveTopRight(geometry().topRight() + QPoint(-16, 64));
  if (const QScreen* pScreen = screen()) {
    const QRect rcScreen = pScreen->availableGeometry();
    rc.moveRight(std::min(rc.right(), rcScreen.right()));
    rc.moveLeft(std::max(rc.left(), rcScreen.left()));
    rc.moveTop(std::max(rc.top(), rcScreen.top()));
  }
  pGrid->move(rc.topLeft());
  pGrid->show();
}
