// The real main window under the offscreen platform: menus, keys and
// buttons, the status bar, and the whole road of a picture (open, F7, F8,
// back, stop, save, copy and paste, zoom, close).
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QProgressBar>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QTextBrowser>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QWheelEvent>
#include <atomic>
#include <fstream>
#include <iterator>
#include <thread>

#include "app/qt_reporter.h"
#include "app/help_window.h"
#include "app/splash.h"
#include "app/view.h"
#include "dialogs/dialog_toolkit.h"
#include "dialogs/xform_dialog.h"
#include "engine/document.h"
#include "imaging/dadc.h"
#include "shell_test_support.h"
#include "xforms/progress.h"

namespace {

// Holds the worker at its first percentage below 100 until STOP or release, so
// that a test sees a generation that takes as long as it needs.
std::atomic<bool> g_bHold{false};

void HoldingHook(int iPercent, const char*) {
  // Held at a percentage the bar shows (an Xform may announce 100 first).
  if (iPercent < 0 || iPercent > 99) return;
  while (g_bHold.load() && !TheGenerationWorker().StopRequested())
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

QStringList MenuTexts(QMenu* pMenu) {
  QStringList aTexts;
  for (QAction* pAction : pMenu->actions()) aTexts << (pAction->isSeparator() ? "-" : pAction->text());
  return aTexts;
}

// Renders a window to screenshots/<name>.png beside the test program, for
// people to look at (./vx screenshots lists them).
void SaveScreenshot(QWidget& window, const char* szName) {
  const QString csDir = QCoreApplication::applicationDirPath() + "/screenshots";
  QDir().mkpath(csDir);
  QVERIFY(window.grab().save(QStringLiteral("%1/%2.png").arg(csDir, QLatin1String(szName))));
}

QMenu* MainMenu(CMainFrame& frame, int i) { return frame.menuBar()->actions()[i]->menu(); }

QString Title(CMainFrame& frame) {
  CVexChildWnd* pChild = frame.ActiveChild();
  return pChild ? pChild->windowTitle() : QString();
}

}  // namespace

class CMainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { Reporter().Take(); }

  void MenusInOrderWithTheirTexts() {
    CShellFixture fixture;
    CMainFrame& frame = fixture.Frame();
    QStringList aTitles;
    for (QAction* pAction : frame.menuBar()->actions()) aTitles << pAction->text();
    QCOMPARE(aTitles, (QStringList{"&File", "&Edit", "&Sequence", "&Properties", "&View",
                                   "&Window", "&Help"}));
    QMenu* pFile = MainMenu(frame, 0);
    emit pFile->aboutToShow();
    QCOMPARE(MenuTexts(pFile),
             (QStringList{"&Open image file...\tCtrl-O", "&Save image file...\tCtrl-S",
                          "Save &As...", "Close image file", "-",
                          "Save Se&quence As...\tCtrl+Shift+S", "Save &Recipe...",
                          "A&pply Recipe...", "-", "E&xit\tAlt-F4", "-", "(no file)",
                          "(no file)", "(no file)", "(no file)"}));
    for (int i = 11; i < 15; ++i) QVERIFY(!pFile->actions()[i]->isEnabled());
    for (int i = 5; i < 8; ++i) QVERIFY(!pFile->actions()[i]->isEnabled());
    QCOMPARE(MenuTexts(MainMenu(frame, 1)),
             (QStringList{"&Copy to clipboard\tCtrl+C", "&Paste from clipboard\tCtrl+V",
                          "Copy-Paste Internal\tF10", "Copy &Recipe\tCtrl+Shift+C",
                          "Back\t<---", "Forward\t---->"}));
    QCOMPARE(MenuTexts(MainMenu(frame, 2)),
             (QStringList{"&Back\t<--", "&Last", "&Forward\t-->", "&Revert to Original",
                          "Choose Xform\tF6", "&Wizard chooses all\tF7",
                          "&Variations on theme\tF8", "Wi&zard Grid\tShift+F7",
                          "Variations &Grid\tShift+F8", "Make a Vignette\tF11",
                          "Sequence &Overview"}));
    QCOMPARE(MenuTexts(MainMenu(frame, 4)),
             (QStringList{"View Size &25%", "View Size &50%", "View Size &75%",
                          "View Size &Normal\tCtrl-W", "-", "Zoom &In\tNum+", "Zoom &Out\tNum -",
                          "Zoom to &Fit", "-", "&Sequence Overview", "-", "&Toolbar"}));
    QCOMPARE(MenuTexts(MainMenu(frame, 5)), (QStringList{"&Cascade", "&Tile"}));
    QCOMPARE(MenuTexts(MainMenu(frame, 6)).last(), QStringLiteral("Helpful T&ip"));
    QCOMPARE(MenuTexts(frame.ContextMenu()).size(), 14);
    QCOMPARE(MenuTexts(frame.ContextMenu()).first(), QStringLiteral("Choose X&form...\tF6"));

    // Prompts in the status bar, tool tips on the buttons.
    QCOMPARE(frame.KeyAction(ID_WIZARD_ALL)->statusTip(),
             QStringLiteral("Create image with Wizard chosen parameters"));
    QCOMPARE(frame.KeyAction(ID_WIZARD_ALL)->toolTip(), QStringLiteral("Wizard chooses (F7)"));
    QCOMPARE(pFile->actions()[0]->statusTip(),
             QStringLiteral("Import a image for use as Xform source"));
    QCOMPARE(frame.KeyAction(ID_STOP)->shortcut(), QKeySequence(Qt::Key_Escape));
    QCOMPARE(frame.KeyAction(ID_EDIT_INTERNAL)->shortcuts(),
             (QList<QKeySequence>{QKeySequence(Qt::Key_F10), QKeySequence(Qt::CTRL | Qt::Key_I)}));
    int iButtons = 0;
    for (QAction* pAction : frame.ToolBar()->actions()) {
      if (pAction->isSeparator()) continue;
      ++iButtons;
      QVERIFY(!pAction->icon().isNull());
      QVERIFY(!pAction->toolTip().isEmpty());
    }
    QCOMPARE(iButtons, 19);

    // A recent file appears as "&1: path" (its own "&" kept) and is offered.
    fixture.m_pApp->State().AddRecent(fixture.WritePicture("Tom & Jerry.png").c_str());
    emit pFile->aboutToShow();
    QVERIFY(pFile->actions()[11]->text().startsWith("&1: /"));
    QVERIFY(pFile->actions()[11]->text().endsWith("/Tom && Jerry.png"));
    QVERIFY(pFile->actions()[11]->isEnabled());
    QCOMPARE(pFile->actions()[12]->text(), QStringLiteral("(no file)"));
  }

  void StatusBarShowsProgressAndScrollsTheText() {
    CShellFixture fixture;
    CMainFrame& frame = fixture.Frame();
    QCOMPARE(frame.StatusPane()->text(), QStringLiteral("Welcome..."));
    SetStatusText("Wind...");
    frame.SetProgress(10);
    QVERIFY(frame.ProgressBar());
    QCOMPARE(frame.ProgressBar()->value(), 10);
    QCOMPARE(frame.StatusPane()->text(), QStringLiteral("Wind..."));
    frame.SetProgress(20);
    QCOMPARE(frame.StatusPane()->text(), QStringLiteral("ind...W"));
    frame.SetProgress(30);
    QCOMPARE(frame.StatusPane()->text(), QStringLiteral("nd...Wi"));
    // A new text starts from its beginning.
    SetStatusText("Blowing bubbles...");
    frame.SetProgress(40);
    QCOMPARE(frame.StatusPane()->text(), QStringLiteral("Blowing bubbles..."));
    frame.SetProgress(101);
    QVERIFY(!frame.ProgressBar());
    QCOMPARE(frame.StatusPane()->text(), QStringLiteral("Blowing bubbles..."));
    SetStatusText("");
  }

  void OpenGenerateNavigateSaveCopyPaste() {
    CShellFixture fixture;
    CMainFrame& frame = fixture.Frame();
    frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    fixture.m_Dialogs.m_csOpenPath = fixture.WritePicture("cat.png");

    // Ctrl+O opens the picture and makes the first idea with Mosaic.
    QTest::keyClick(&frame, Qt::Key_O, Qt::ControlModifier);
    QVERIFY(CShellFixture::WaitIdle());
    CVexmoFilterDoc* pDoc = frame.ActiveDocument();
    QVERIFY(pDoc);
    QCOMPARE(Title(frame), QStringLiteral("cat, (Mosaic), #1 of 1"));
    QCOMPARE(frame.windowTitle(), QStringLiteral("Vexmora - cat, (Mosaic), #1 of 1"));
    CVexmoView* pView = frame.ActiveView();
    QCOMPARE(pView->ShownImage(), SurfaceToImage(*pView->DrawingSurface()));
    QVERIFY(pView->ShownImage() != TestPicture());

    // F7 and F8 add ideas; Left goes back one.
    QTest::keyClick(&frame, Qt::Key_F7);
    QVERIFY(CShellFixture::WaitIdle());
    QCOMPARE(pDoc->SequenceSize(), 3);
    QTest::keyClick(&frame, Qt::Key_F8);
    QVERIFY(CShellFixture::WaitIdle());
    QCOMPARE(pDoc->SequenceSize(), 4);
    QCOMPARE(pDoc->m_iCurrent, 3);
    const QString csF8Xform = QString::fromStdString(pDoc->GetXformName());
    QCOMPARE(Title(frame), QStringLiteral("cat, (%1), #3 of 3").arg(csF8Xform));
    QTest::keyClick(&frame, Qt::Key_Left);
    QVERIFY(CShellFixture::WaitIdle());
    QCOMPARE(pDoc->m_iCurrent, 2);
    QCOMPARE(pView->ShownImage(), SurfaceToImage(*pView->DrawingSurface()));

    // Ctrl+S writes a PNG whose pixels are the view's.
    fixture.m_Dialogs.m_csSavePath = fixture.m_Home.Path("idea.png");
    QTest::keyClick(&frame, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(fixture.m_Dialogs.m_csSaveDefault, std::string("cat2"));
    const QImage saved(QString::fromStdString(fixture.m_Dialogs.m_csSavePath));
    QCOMPARE(saved.convertToFormat(QImage::Format_RGB888),
             SurfaceToImage(*pView->DrawingSurface()).convertToFormat(QImage::Format_RGB888));
    QVERIFY(Title(frame).endsWith(QStringLiteral("saved as:\"idea.png\"")));
    QCOMPARE(fixture.m_pApp->State().m_iSaveExt, 4);

    // Ctrl+C, then Ctrl+V: a new document "Image1" with the same picture.
    const QImage shown = pView->ShownImage();
    QTest::keyClick(&frame, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB888),
             shown.convertToFormat(QImage::Format_RGB888));
    QTest::keyClick(&frame, Qt::Key_V, Qt::ControlModifier);
    QVERIFY(CShellFixture::WaitIdle());
    QCOMPARE(frame.MdiArea()->subWindowList().size(), 2);
    CVexmoFilterDoc* pPasted = frame.ActiveDocument();
    QVERIFY(pPasted != pDoc);
    QCOMPARE(pPasted->m_szName, std::string("Image1"));
    QCOMPARE(SurfaceToImage(*pPasted->Original()), shown);

    // F10: another copy as a new document, and the clipboard is left empty.
    QTest::keyClick(&frame, Qt::Key_F10);
    QVERIFY(CShellFixture::WaitIdle());
    QCOMPARE(frame.ActiveDocument()->m_szName, std::string("Image2"));
    QVERIFY(QApplication::clipboard()->image().isNull());
    QCOMPARE(fixture.m_pApp->State().m_iDocCount, 3);

    // The Window menu lists the documents, the active one checked.
    QMenu* pWindow = MainMenu(frame, 5);
    emit pWindow->aboutToShow();
    QCOMPARE(pWindow->actions().size(), 2 + 1 + 3);
    QVERIFY(pWindow->actions()[3]->text().startsWith(QStringLiteral("&1 cat, (")));
    QVERIFY(pWindow->actions()[5]->isChecked());
    pWindow->actions()[3]->trigger();
    QCOMPARE(frame.ActiveDocument(), pDoc);

    // The overview goes to the chosen picture.
    fixture.m_Dialogs.m_iOverviewChoice = 1;
    frame.OnCommand(ID_OVERVIEW);
    QVERIFY(CShellFixture::WaitIdle());
    QCOMPARE(pDoc->m_iCurrent, 1);

    // Closing asks about saving; No closes.
    Reporter().Take();
    Reporter().m_iAnswer = IDNO;
    const std::string csTitle = pDoc->Title(100);
    frame.OnCommand(ID_FILE_CLOSE);
    Reporter().m_iAnswer = IDYES;
    QCOMPARE(Reporter().Take(), (std::vector<std::string>{"Save this image:\n" + csTitle + "?"}));
    QCOMPARE(frame.MdiArea()->subWindowList().size(), 2);
    QTRY_COMPARE(fixture.m_pApp->State().m_iDocCount, 2);
  }

  void StopDuringGenerationAndEnabling() {
    CShellFixture fixture;
    CMainFrame& frame = fixture.Frame();
    frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    QVERIFY(fixture.m_pApp->OpenImageDocument(fixture.WritePicture("dog.png").c_str()));
    QVERIFY(CShellFixture::WaitIdle());
    CVexmoFilterDoc* pDoc = frame.ActiveDocument();
    QCOMPARE(pDoc->SequenceSize(), 2);

    // Idle at the last idea of the sequence.
    const QSet<int> aIdleOff{ID_STOP, ID_FORWARD, ID_FORWARD_KEY, ID_TO_LAST, ID_RECENT_FIRST + 1,
                             ID_RECENT_FIRST + 2, ID_RECENT_LAST};
    frame.UpdateCommands();
    for (const CCommandInfo& info : Commands()) {
      const bool bExpected = !aIdleOff.contains(info.m_iId);
      QVERIFY2(frame.IsCommandEnabled(info.m_iId) == bExpected,
               qPrintable(QString::number(info.m_iId)));
      for (QAction* pAction : frame.Actions(info.m_iId)) QCOMPARE(pAction->isEnabled(), bExpected);
    }

    // A generation that waits for STOP.
    SetProgressHook(&HoldingHook);
    g_bHold = true;
    QTest::keyClick(&frame, Qt::Key_F7);
    QVERIFY(TheGenerationWorker().IsXforming());
    // The worker told the frame whose surface it now draws on.
    QVERIFY(frame.ActiveView()->IsSurfaceBusy());
    QTRY_VERIFY(frame.ProgressBar() != nullptr);
    const QSet<int> aBusyOn{ID_STOP,          ID_HELP_TIP,       ID_APP_ABOUT,     ID_HELP_WHAT_IS,
                            ID_HELP_NEW,      ID_HELP_TUTORIAL,  ID_HELP_CREDITS,  ID_HELP_TOPICS,
                            ID_HELP,          ID_CONTEXT_HELP,   ID_WINDOW_CASCADE, ID_WINDOW_TILE,
                            ID_VIEW_TOOLBAR,  ID_IMAGE_PROPERTIES};
    for (const CCommandInfo& info : Commands()) {
      const bool bExpected = aBusyOn.contains(info.m_iId);
      QVERIFY2(frame.IsCommandEnabled(info.m_iId) == bExpected,
               qPrintable(QString::number(info.m_iId)));
      for (QAction* pAction : frame.Actions(info.m_iId)) QCOMPARE(pAction->isEnabled(), bExpected);
    }

    // Closing the window now is refused with the message, and so is a
    // double-click on the picture.
    Reporter().Take();
    frame.close();
    QVERIFY(frame.isVisible());
    QCOMPARE(Reporter().Take(), (std::vector<std::string>{kStillCreatingImage}));
    QTest::mouseDClick(frame.ActiveView()->viewport(), Qt::LeftButton);
    QCOMPARE(Reporter().Take(), (std::vector<std::string>{kStillCreatingImage}));

    // Esc stops it: the sequence is as before, the bar goes.
    QTest::keyClick(&frame, Qt::Key_Escape);
    QVERIFY(CShellFixture::WaitIdle());
    g_bHold = false;
    SetProgressHook(nullptr);
    QCOMPARE(pDoc->SequenceSize(), 2);
    QCOMPARE(pDoc->m_iCurrent, 1);
    QVERIFY(!frame.ProgressBar());
    QCOMPARE(frame.StatusPane()->text(), QStringLiteral("Stopped"));
    QVERIFY(!frame.ActiveView()->IsSurfaceBusy());
    QVERIFY(!TheGenerationWorker().StopRequested());
    QVERIFY(frame.KeyAction(ID_WIZARD_ALL)->isEnabled());
    QVERIFY(!frame.KeyAction(ID_STOP)->isEnabled());
  }

  void ZoomSizesTheChildWindow() {
    CShellFixture fixture;
    CMainFrame& frame = fixture.Frame();
    QVERIFY(fixture.m_pApp->OpenImageDocument(fixture.WritePicture("big.png", 400, 300).c_str()));
    QVERIFY(CShellFixture::WaitIdle());
    CVexmoView* pView = frame.ActiveView();
    QTRY_COMPARE(pView->viewport()->size(), QSize(400, 300));
    frame.OnCommand(ID_VIEW_75);
    QTRY_COMPARE(pView->viewport()->size(), QSize(300, 225));
    QVERIFY(Title(frame).endsWith(QStringLiteral("[75%]")));
    pView->SetZoom(195);
    frame.OnCommand(ID_VIEW_ZOOM_IN);
    QCOMPARE(pView->Zoom(), 200);
    QVERIFY(!frame.KeyAction(ID_VIEW_ZOOM_IN)->isEnabled());
    pView->SetZoom(30);
    frame.OnCommand(ID_VIEW_ZOOM_OUT);
    QCOMPARE(pView->Zoom(), 25);
    QVERIFY(!frame.KeyAction(ID_VIEW_ZOOM_OUT)->isEnabled());
    // Maximised, the main title names the document once.
    frame.ActiveChild()->showMaximized();
    QTest::qWait(20);
    QVERIFY(frame.windowTitle().startsWith(QStringLiteral("Vexmora - ")));
    QCOMPARE(frame.windowTitle().count(Title(frame)), 1);
    // A maximised child becomes a normal window sized to the picture.
    frame.OnCommand(ID_VIEW_NORMAL);
    QVERIFY(!frame.ActiveChild()->isMaximized());
    QTRY_COMPARE(pView->viewport()->size(), QSize(400, 300));
    QTRY_COMPARE(frame.windowTitle(), QStringLiteral("Vexmora - ") + Title(frame));
    QCOMPARE(Title(frame), QString::fromStdString(frame.ActiveDocument()->Title(100)));
  }

  void TitleAndPropertiesNameTheXformOfThePictureShown() {
    CShellFixture fixture;
    CMainFrame& frame = fixture.Frame();
    QVERIFY(fixture.m_pApp->OpenImageDocument(fixture.WritePicture("sky.png").c_str()));
    QVERIFY(CShellFixture::WaitIdle());
    CVexmoFilterDoc* pDoc = frame.ActiveDocument();
    // Text chosen, its settings cancelled: the picture is still Mosaic's.
    fixture.m_Dialogs.m_iXform = XFORM_TEXT;
    fixture.m_Dialogs.m_bPickByHand = true;
    frame.OnCommand(ID_CHOOSE_XFORM);
    QCOMPARE(fixture.m_Dialogs.m_iSettingsCalls, 1);
    QVERIFY(CShellFixture::WaitIdle());
    QCOMPARE(pDoc->SequenceSize(), 2);
    QCOMPARE(Title(frame), QStringLiteral("sky, (Mosaic), #1 of 1"));
    frame.OnCommand(ID_IMAGE_PROPERTIES);
    QCOMPARE(fixture.m_Dialogs.m_Props.m_csXform, std::string("Mosaic"));
    // The original was made by no Xform.
    frame.OnCommand(ID_TO_FIRST);
    QVERIFY(CShellFixture::WaitIdle());
    frame.OnCommand(ID_IMAGE_PROPERTIES);
    QCOMPARE(fixture.m_Dialogs.m_Props.m_csXform, std::string("(none)"));
    QCOMPARE(Title(frame), QStringLiteral("sky, (Original)"));
  }

  void ZoomKeysWheelAndCtrlW() {
    CShellFixture fixture;
    CMainFrame& frame = fixture.Frame();
    frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    QVERIFY(fixture.m_pApp->OpenImageDocument(fixture.WritePicture("keys.png", 200, 100).c_str()));
    QVERIFY(CShellFixture::WaitIdle());
    CVexmoView* pView = frame.ActiveView();
    pView->setFocus();
    QCOMPARE(pView->Zoom(), 100);
    // Keypad and main + / -, with or without Ctrl (Shift types + on many
    // layouts); with Alt it is another key.
    const struct {
      Qt::Key key;
      Qt::KeyboardModifiers mods;
      int iZoom;
    } aSteps[] = {
        {Qt::Key_Plus, Qt::KeypadModifier, 110},
        {Qt::Key_Plus, Qt::KeypadModifier | Qt::ControlModifier, 120},
        {Qt::Key_Minus, Qt::KeypadModifier, 110},
        {Qt::Key_Minus, Qt::KeypadModifier | Qt::ControlModifier, 100},
        {Qt::Key_Plus, Qt::ShiftModifier, 110},
        {Qt::Key_Plus, Qt::ControlModifier, 120},
        {Qt::Key_Minus, Qt::NoModifier, 110},
        {Qt::Key_Minus, Qt::AltModifier, 110},
    };
    for (const auto& step : aSteps) {
      QTest::keyClick(pView, step.key, step.mods);
      QCOMPARE(pView->Zoom(), step.iZoom);
    }
    // Ctrl+wheel zooms a step per notch; the plain wheel does not zoom.
    const auto wheel = [&](int iDelta, Qt::KeyboardModifiers mods) {
      QWheelEvent event(QPointF(10, 10), pView->viewport()->mapToGlobal(QPointF(10, 10)), QPoint(),
                        QPoint(0, iDelta), Qt::NoButton, mods, Qt::NoScrollPhase, false);
      QApplication::sendEvent(pView->viewport(), &event);
    };
    wheel(240, Qt::ControlModifier);
    QCOMPARE(pView->Zoom(), 130);
    wheel(-60, Qt::ControlModifier);
    QCOMPARE(pView->Zoom(), 130);
    wheel(-60, Qt::ControlModifier);
    QCOMPARE(pView->Zoom(), 120);
    wheel(120, Qt::NoModifier);
    QCOMPARE(pView->Zoom(), 120);
    // Ctrl+W is View Size Normal, also with the focus in the picture's window.
    Reporter().Take();
    QTest::keyClick(pView, Qt::Key_W, Qt::ControlModifier);
    QCOMPARE(pView->Zoom(), 100);
    QCOMPARE(frame.MdiArea()->subWindowList().size(), 1);
  }

  void BigAndTinyPicturesGetUsableWindows() {
    CShellFixture fixture;
    CMainFrame& frame = fixture.Frame();
    QVERIFY(fixture.m_pApp->OpenImageDocument(fixture.WritePicture("big.png", 1000, 750).c_str()));
    QVERIFY(CShellFixture::WaitIdle());
    const QRect area = frame.MdiArea()->viewport()->rect();
    CVexChildWnd* pBig = frame.ActiveChild();
    CVexmoView* pView = pBig->View();
    // Inside the workspace, at a step at which the whole picture shows.
    QVERIFY(area.contains(pBig->geometry()));
    QVERIFY(pView->Zoom() < 100);
    QTRY_VERIFY(pView->viewport()->width() >= pView->Zoom() * 1000 / 100);
    QVERIFY(pView->viewport()->height() >= pView->Zoom() * 750 / 100);
    QVERIFY(Title(frame).endsWith(QStringLiteral("[%1%]").arg(pView->Zoom())));
    // At 100 % it scrolls inside the same bounds.
    frame.OnCommand(ID_VIEW_NORMAL);
    QVERIFY(area.contains(pBig->geometry()));
    QVERIFY(pView->horizontalScrollBar()->maximum() > 0);
    frame.OnCommand(ID_VIEW_FIT);
    QVERIFY(!pView->horizontalScrollBar()->isVisible() || pView->horizontalScrollBar()->maximum() == 0);

    QVERIFY(fixture.m_pApp->OpenImageDocument(fixture.WritePicture("tiny.png", 8, 8).c_str()));
    QVERIFY(CShellFixture::WaitIdle());
    CVexChildWnd* pTiny = frame.ActiveChild();
    QCOMPARE(pTiny->View()->Zoom(), 100);
    // Wide enough for its buttons and its whole title.
    QVERIFY(pTiny->width() >= pTiny->minimumSizeHint().width() +
                                  pTiny->fontMetrics().horizontalAdvance(pTiny->windowTitle()));
    frame.OnCommand(ID_VIEW_FIT);
    QCOMPARE(pTiny->View()->Zoom(), 200);
    pTiny->move(area.width() - pTiny->width(), 0);
    SaveScreenshot(frame, "big_and_tiny_pictures");
  }

  void F1InADialogOpensItsPageInAHelpWindowOnScreen() {
    CShellFixture fixture;
    CMainFrame& frame = fixture.Frame();
    CFilSpec spec;
    CXformDialog dialog(CFilSpec::Form(XFORM_CLOUDS), spec.Record(XFORM_CLOUDS), &frame);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QSlider* pSlider = dialog.findChildren<QSlider*>().first();
    pSlider->setFocus();
    QTest::keyClick(pSlider, Qt::Key_F1);
    auto* pHelp = dialog.findChild<CHelpWindow*>();
    QVERIFY(pHelp);
    QVERIFY(pHelp->isVisible());
    QCOMPARE(pHelp->Browser()->source(), QUrl(QStringLiteral("qrc:/help/xforms/clouds.html")));
    QVERIFY(pHelp->Browser()->toPlainText().contains(QStringLiteral("Cloud Formation Settings")));
    QVERIFY(pHelp->screen()->availableGeometry().contains(pHelp->frameGeometry()));
    SaveScreenshot(dialog, "f1_in_cloud_settings");
    SaveScreenshot(*pHelp, "help_for_cloud_settings");
    // Contents, then Back to the page.
    QVERIFY(!pHelp->BackAction()->isEnabled());
    pHelp->ContentsAction()->trigger();
    QCOMPARE(pHelp->Browser()->source(), QUrl(QStringLiteral("qrc:/help/index.html")));
    QVERIFY(pHelp->BackAction()->isEnabled());
    pHelp->BackAction()->trigger();
    QCOMPARE(pHelp->Browser()->source(), QUrl(QStringLiteral("qrc:/help/xforms/clouds.html")));
    // Beside the dialog when the screen has room for both; Esc and Ctrl+W close it.
    if (pHelp->screen()->availableGeometry().width() >=
        dialog.frameGeometry().width() + pHelp->frameGeometry().width())
      QVERIFY(!pHelp->frameGeometry().intersects(dialog.frameGeometry()));
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
      pHelp->activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(pHelp));
      QTest::keySequence(pHelp->Browser(), key);
      QVERIFY(!pHelp->isVisible());
      QTest::keyClick(pSlider, Qt::Key_F1);
      QVERIFY(pHelp->isVisible());
    }
    // F1 again reuses the window; F1 in the main window shows the contents there.
    QTest::keyClick(&dialog, Qt::Key_F1);
    QCOMPARE(dialog.findChildren<CHelpWindow*>().size(), 1);
    dialog.close();
    frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    QTest::keyClick(&frame, Qt::Key_F1);
    QCOMPARE(frame.HelpWindow()->Browser()->source(), QUrl(QStringLiteral("qrc:/help/index.html")));
    QVERIFY(frame.HelpWindow()->isVisible());
  }

  void DroppedPicturesOpenAndTheWindowKeepsItsPlace() {
    CShellFixture fixture;
    CMainFrame& frame = fixture.Frame();
    const auto drop = [&](const QStringList& aPaths) {
      QMimeData data;
      QList<QUrl> aUrls;
      for (const QString& csPath : aPaths) aUrls << QUrl::fromLocalFile(csPath);
      data.setUrls(aUrls);
      QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(&frame, &enter);
      if (!enter.isAccepted()) return false;
      QDropEvent dropped(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(&frame, &dropped);
      return true;
    };
    const std::string csNotes = fixture.m_Home.Path("notes.txt");
    std::ofstream(csNotes) << "text";
    QVERIFY(!drop({QString::fromStdString(csNotes)}));
    QVERIFY(drop({QString::fromStdString(fixture.WritePicture("dropped.png"))}));
    QVERIFY(CShellFixture::WaitIdle());
    QCOMPARE(frame.MdiArea()->subWindowList().size(), 1);
    QCOMPARE(frame.ActiveDocument()->m_szName, std::string("dropped"));

    // Several at once: each waits for the one before it to finish its first idea.
    QStringList aThree;
    for (const char* szName : {"one.png", "two.png", "three.png"})
      aThree << QString::fromStdString(fixture.WritePicture(szName));
    QVERIFY(drop(aThree));
    QTRY_VERIFY_WITH_TIMEOUT(!fixture.m_pApp->HasQueuedFiles(), 60000);
    QVERIFY(CShellFixture::WaitIdle());
    QCOMPARE(frame.MdiArea()->subWindowList().size(), 4);
    QCOMPARE(frame.ActiveDocument()->m_szName, std::string("three"));
    QVERIFY(Reporter().Take().empty());

    // The geometry stored at exit comes back at the next start.
    frame.setGeometry(QRect(30, 40, 640, 480));
    frame.SaveGeometry();
    frame.setGeometry(QRect(0, 0, 300, 200));
    frame.RestoreGeometry();
    QCOMPARE(frame.geometry().size(), QSize(640, 480));
  }

  // Ideas made here, saved as a sequence, come back the same from the file,
  // the recent files and as a recipe; bad sequence files give one message.
  void SequencesAndRecipesKeepEveryIdea() {
    CShellFixture fixture;
    CMainFrame& frame = fixture.Frame();
    frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    const std::string csPicture = fixture.WritePicture("cat.png");
    QVERIFY(fixture.m_pApp->OpenImageDocument(csPicture.c_str()));
    QVERIFY(CShellFixture::WaitIdle());
    QTest::keyClick(&frame, Qt::Key_F8);
    QVERIFY(CShellFixture::WaitIdle());
    const QImage second = frame.ActiveView()->ShownImage();
    QTest::keyClick(&frame, Qt::Key_Left);
    QVERIFY(CShellFixture::WaitIdle());
    const QImage first = frame.ActiveView()->ShownImage();
    QVERIFY(first != second);
    QTest::keyClick(&frame, Qt::Key_Right);
    QVERIFY(CShellFixture::WaitIdle());

    // Ctrl+Shift+S writes the sequence; it joins the recent files.
    const std::string csSequence = fixture.m_Home.Path("ideas.vxseq");
    fixture.m_Dialogs.m_csDataPath = csSequence;
    QTest::keyClick(&frame, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(fixture.m_Dialogs.m_csDataDefault, std::string("cat.vxseq"));
    QVERIFY(QFileInfo::exists(QString::fromStdString(csSequence)));
    QCOMPARE(fixture.m_pApp->State().Recent(0), csSequence);

    // Ctrl+Shift+C: the recipe of idea 2 as text.
    QTest::keyClick(&frame, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    const QString csRecipe = QApplication::clipboard()->text();
    QVERIFY(csRecipe.contains(QStringLiteral("\"vexmora_recipe\"")));
    QVERIFY(csRecipe.contains(QString::number(frame.ActiveDocument()->m_aSpecs[2].m_iSeed)));

    // The sequence opens as a document showing idea 2, and idea 1 is made
    // again when shown; the recent entry opens it too.
    QVERIFY(fixture.m_pApp->OpenDocumentFile(csSequence));
    QVERIFY(CShellFixture::WaitIdle());
    CVexmoFilterDoc* pDoc = frame.ActiveDocument();
    QCOMPARE(pDoc->m_szName, std::string("ideas"));
    QCOMPARE(pDoc->m_Overview.Count(), 3);
    QCOMPARE(frame.ActiveView()->ShownImage(), second);
    QTest::keyClick(&frame, Qt::Key_Left);
    QVERIFY(CShellFixture::WaitIdle());
    QCOMPARE(frame.ActiveView()->ShownImage(), first);
    fixture.m_pApp->ReloadRecent(0);
    QVERIFY(CShellFixture::WaitIdle());
    QCOMPARE(frame.ActiveDocument()->m_szName, std::string("ideas-1"));
    QCOMPARE(frame.ActiveView()->ShownImage(), second);
    QVERIFY(Reporter().Take().empty());

    // A recipe file dropped on the window becomes a new idea, the same picture.
    const std::string csRecipeFile = fixture.m_Home.Path("idea2.json");
    std::ofstream(csRecipeFile) << csRecipe.toStdString();
    frame.OnCommand(ID_TO_FIRST);
    QVERIFY(CShellFixture::WaitIdle());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(csRecipeFile))});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&frame, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent dropped(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&frame, &dropped);
    QVERIFY(CShellFixture::WaitIdle());
    QCOMPARE(frame.ActiveDocument()->SequenceSize(), 4);
    QCOMPARE(frame.ActiveView()->ShownImage(), second);
    // The three windows step down from each other instead of piling up.
    const QList<QMdiSubWindow*> aOpen = frame.MdiArea()->subWindowList();
    QCOMPARE(aOpen.size(), 3);
    QVERIFY(aOpen[0]->pos() != aOpen[1]->pos() && aOpen[1]->pos() != aOpen[2]->pos());

    // Bad files: one message each, no new window, nothing else changes.
    const qsizetype iWindows = frame.MdiArea()->subWindowList().size();
    std::string csText;
    {
      std::ifstream in(csSequence);
      csText.assign(std::istreambuf_iterator<char>(in), {});
    }
    const auto refused = [&](const std::string& csContent, const char* szReason) {
      const std::string csBad = fixture.m_Home.Path("bad.vxseq");
      if (!csContent.empty()) std::ofstream(csBad, std::ios::trunc) << csContent;
      if (fixture.m_pApp->OpenDocumentFile(csBad) != 0) return false;
      const std::vector<std::string> aMessages = Reporter().Take();
      return aMessages.size() == 1 && aMessages[0].find(szReason) != std::string::npos &&
             frame.MdiArea()->subWindowList().size() == iWindows;
    };
    QVERIFY(refused(csText.substr(0, csText.size() / 2), "bad.vxseq"));
    std::string csHostile = csText;
    const std::size_t iCurrent = csHostile.find("\"current\"");
    QVERIFY(iCurrent != std::string::npos);
    const std::size_t iValue = csHostile.find_first_of("0123456789", iCurrent);
    csHostile.replace(iValue, 1, "1e300");
    QVERIFY(refused(csHostile, "current"));
    fixture.WritePicture("cat.png", 64, 47);
    QVERIFY(refused(csText, "has changed"));
    QFile::remove(QString::fromStdString(csPicture));
    QVERIFY(refused(csText, "missing"));

    // Saved again with its picture gone, the sequence takes the original
    // along, under a name no file of the user's has.
    const std::string csAgain = fixture.m_Home.Path("again.vxseq");
    fixture.WritePicture("again_original.png", 20, 10);
    const QImage mine(QString::fromStdString(fixture.m_Home.Path("again_original.png")));
    fixture.m_Dialogs.m_csDataPath = csAgain;
    frame.OnCommand(ID_FILE_SAVE_SEQUENCE);
    QCOMPARE(QImage(QString::fromStdString(fixture.m_Home.Path("again_original.png"))), mine);
    QVERIFY(QFileInfo::exists(QString::fromStdString(fixture.m_Home.Path("again_original-2.png"))));
    QVERIFY(fixture.m_pApp->OpenDocumentFile(csAgain));
    QVERIFY(CShellFixture::WaitIdle());
    QCOMPARE(frame.ActiveDocument()->SequenceSize(), 4);
    QCOMPARE(frame.ActiveView()->ShownImage(), second);
    QVERIFY(Reporter().Take().empty());
  }

  // The save dialog offers an idea's name with its extension, so that a
  // name with a dot of its own keeps all of it.
  void SaveImageDialogKeepsANameWithADot() {
    QTemporaryDir dir;
    QTimer::singleShot(200, [] {
      for (QWidget* pWidget : QApplication::topLevelWidgets())
        if (auto* pDialog = qobject_cast<QFileDialog*>(pWidget); pDialog && pDialog->isVisible())
          QMetaObject::invokeMethod(pDialog, "accept");
    });
    CShellDialogs dialogs;
    const std::string csPath =
        dialogs.SaveImagePath("my.photo1", 5, "PNG", dir.path().toStdString());
    QCOMPARE(QFileInfo(QString::fromStdString(csPath)).fileName(), QStringLiteral("my.photo1.PNG"));
  }

  // Not a check: renders the window with two documents to
  // screenshots/main_window.png beside the test program, for people to look at.
  void ScreenshotWithTwoDocuments() {
    CShellFixture fixture;
    CMainFrame& frame = fixture.Frame();
    frame.resize(1100, 760);
    for (const char* szSample : {"ladybird", "cups"}) {
      const QImage photo(QStringLiteral(VX_RESOURCE_DIR "/samples/%1.jpg").arg(szSample));
      QVERIFY(!photo.isNull());
      const std::string csPath = fixture.m_Home.Path(std::string(szSample) + ".png");
      photo.scaledToWidth(400, Qt::SmoothTransformation).save(QString::fromStdString(csPath));
      fixture.m_Dialogs.m_iXform = std::string(szSample) == "cups" ? XFORM_MOSAIC : XFORM_CLOUDS;
      QVERIFY(fixture.m_pApp->OpenImageDocument(csPath.c_str()));
      QVERIFY(CShellFixture::WaitIdle());
    }
    frame.ActiveChild()->move(180, 90);
    QTest::qWait(50);
    const QString csDir = QCoreApplication::applicationDirPath() + "/screenshots";
    QDir().mkpath(csDir);
    QVERIFY(frame.grab().save(csDir + "/main_window.png"));
    // The File and Edit menus, open.
    for (int i : {0, 1}) {
      QMenu* pMenu = MainMenu(frame, i);
      emit pMenu->aboutToShow();
      pMenu->popup(frame.mapToGlobal(QPoint(10, 30)));
      QTest::qWait(50);
      QVERIFY(pMenu->grab().save(csDir + (i == 0 ? "/file_menu.png" : "/edit_menu.png")));
      pMenu->hide();
    }
  }

  void SplashClosesOnAKeyAndThenTheTipOpens() {
    CShellFixture fixture;
    CMainFrame& frame = fixture.Frame();
    fixture.m_Dialogs.m_csOpenPath = fixture.WritePicture("key.png");
    CStartupSplash::Show(&frame, [&] { fixture.m_pApp->ShowStartupTip(); });
    QVERIFY(CStartupSplash::Current());
    QCOMPARE(CStartupSplash::Current()->size(), QSize(400, 300));
    // The key closes the splash and goes no further (Ctrl+O would open).
    QTest::keyClick(&frame, Qt::Key_O, Qt::ControlModifier);
    QVERIFY(!CStartupSplash::Current());
    QTRY_COMPARE(fixture.m_Dialogs.m_iTipCalls, 1);
    QCOMPARE(frame.MdiArea()->subWindowList().size(), 0);
    // With the tip switched off at start-up, the splash closes alone.
    fixture.m_pApp->State().SetTipStartUp(1);
    CStartupSplash::Show(&frame, [&] { fixture.m_pApp->ShowStartupTip(); });
    CStartupSplash::Current()->Dismiss();
    QTest::qWait(20);
    QCOMPARE(fixture.m_Dialogs.m_iTipCalls, 1);
  }

  void ReporterAsksOnTheInterfaceThread() {
    CQtReporter reporter;
    QString csSeen;
    bool bOnInterface = false;
    QTimer answer;
    answer.setInterval(20);
    connect(&answer, &QTimer::timeout, [&] {
      if (auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        csSeen = pBox->windowTitle() + "|" + pBox->text();
        bOnInterface = QThread::currentThread() == qApp->thread() &&
                       pBox->windowModality() == Qt::ApplicationModal;
        pBox->button(QMessageBox::No)->click();
      }
    });
    answer.start();
    std::atomic<int> iAnswer{0};
    std::thread worker([&] { iAnswer = reporter.Ask("Keep it?"); });
    QTRY_VERIFY_WITH_TIMEOUT(iAnswer != 0, 10000);
    worker.join();
    QCOMPARE(iAnswer.load(), IDNO);
    QCOMPARE(csSeen, QStringLiteral("Vexmora4|Keep it?"));
    QVERIFY(bOnInterface);
  }

  void PasteRefusesWhatIsNotAPicture() {
    CShellFixture fixture;
    QApplication::clipboard()->clear();
    fixture.Frame().OnCommand(ID_EDIT_PASTE);
    QCOMPARE(Reporter().Take(), (std::vector<std::string>{"The clipboard is empty"}));
    QApplication::clipboard()->setText(QStringLiteral("words"));
    fixture.Frame().OnCommand(ID_EDIT_PASTE);
    QCOMPARE(Reporter().Take(),
             (std::vector<std::string>{"The contents of the clipboard\nare not an image"}));
    QCOMPARE(fixture.Frame().MdiArea()->subWindowList().size(), 0);
    QCOMPARE(fixture.m_pApp->State().m_iDocCount, 0);
  }
};

QTEST_MAIN(CMainWindowTest)
#include "tst_main_window.moc"
