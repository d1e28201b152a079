// The command vocabulary without a window: enabling rules of the shell's
// commands, the menu and tool bar tables, keys, file-dialog filters and the
// clipboard's picture conversion.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <cstring>

#include "app/app.h"
#include "app/clipboard.h"
#include "app/help_window.h"
#include "app/commands.h"
#include "app/dialog_hooks.h"
#include "app/view.h"
#include "dialogs/dialog_toolkit.h"
#include "dialogs/mix_dialog.h"
#include "dialogs/small_dialogs.h"
#include "dialogs/xform_dialog.h"
#include "engine/document.h"
#include "imaging/dadc.h"
#include "imaging/image_files.h"
#include "shell_test_support.h"

class CCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void IdleAndGeneratingEnabling() {
    CShellState idle;
    idle.m_iDocCount = 1;
    idle.m_bHasView = idle.m_bHasSurface = idle.m_bCanZoom = true;
    idle.m_abRecent[0] = true;
    CShellState busy = idle;
    busy.m_bXforming = true;
    busy.m_bCanZoom = false;  // the view answers false while a generation runs

    // Offered when idle and refused during a generation.
    for (int iId : {ID_OPEN_IMAGE, ID_EDIT_PASTE, ID_APP_EXIT, ID_FILE_CLOSE, ID_EDIT_COPY,
                    ID_EDIT_INTERNAL, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_VIEW_25, ID_VIEW_NORMAL,
                    ID_VIEW_ZOOM_IN, ID_VIEW_ZOOM_OUT, ID_RECENT_FIRST}) {
      QVERIFY2(IsShellCommandEnabled(iId, idle), qPrintable(QString::number(iId)));
      QVERIFY2(!IsShellCommandEnabled(iId, busy), qPrintable(QString::number(iId)));
    }
    // STOP is the other way round.
    QVERIFY(!IsShellCommandEnabled(ID_STOP, idle));
    QVERIFY(IsShellCommandEnabled(ID_STOP, busy));
    // Help, about, tip, window arrangement and the tool bar switch always.
    for (int iId : {ID_HELP_TIP, ID_APP_ABOUT, ID_HELP_WHAT_IS, ID_HELP_NEW, ID_HELP_TUTORIAL,
                    ID_HELP_CREDITS, ID_HELP_TOPICS, ID_HELP, ID_CONTEXT_HELP, ID_WINDOW_CASCADE,
                    ID_WINDOW_TILE, ID_VIEW_TOOLBAR}) {
      QVERIFY(IsShellCommandEnabled(iId, idle));
      QVERIFY(IsShellCommandEnabled(iId, busy));
    }
  }

  void RecentZoomAndDocumentConditions() {
    CShellState state;
    // Recent entries: only the ones present.
    state.m_abRecent[2] = true;
    QVERIFY(!IsShellCommandEnabled(ID_RECENT_FIRST, state));
    QVERIFY(IsShellCommandEnabled(ID_RECENT_FIRST + 2, state));
    // Without a document nothing of the picture is offered.
    for (int iId : {ID_FILE_CLOSE, ID_EDIT_COPY, ID_FILE_SAVE, ID_VIEW_75, ID_VIEW_ZOOM_IN})
      QVERIFY(!IsShellCommandEnabled(iId, state));
    // Zoom limits.
    state.m_iDocCount = 1;
    state.m_bHasView = state.m_bHasSurface = state.m_bCanZoom = true;
    state.m_iZoom = 200;
    QVERIFY(!IsShellCommandEnabled(ID_VIEW_ZOOM_IN, state));
    QVERIFY(IsShellCommandEnabled(ID_VIEW_ZOOM_OUT, state));
    state.m_iZoom = 25;
    QVERIFY(IsShellCommandEnabled(ID_VIEW_ZOOM_IN, state));
    QVERIFY(!IsShellCommandEnabled(ID_VIEW_ZOOM_OUT, state));
    // A minimised child: no zoom at all.
    state.m_iZoom = 100;
    state.m_bCanZoom = false;
    for (int iId : {ID_VIEW_ZOOM_IN, ID_VIEW_ZOOM_OUT, ID_VIEW_25, ID_VIEW_50, ID_VIEW_NORMAL})
      QVERIFY(!IsShellCommandEnabled(iId, state));
  }

  void EveryEntryIsACommand() {
    // Menu and context entries, and buttons, name commands of the table; the
    // document's commands are those its table handles.
    QSet<int> aUsed;
    for (const CMenuInfo& menu : MainMenu())
      for (const CMenuItem& item : menu.m_aItems)
        if (item.m_iId) aUsed << item.m_iId;
    for (const CMenuItem& item : ContextMenu()) aUsed << item.m_iId;
    for (int iId : aUsed) QVERIFY2(FindCommandInfo(iId), qPrintable(QString::number(iId)));
    for (int iId : {ID_BACK, ID_FORWARD, ID_TO_FIRST, ID_TO_LAST, ID_WIZARD_ALL, ID_VARIATIONS,
                    ID_MIX, ID_BACK_KEY, ID_FORWARD_KEY})
      QVERIFY(CVexmoFilterDoc::HandlesCommand(iId));
  }

  void ToolBarHasNineteenButtonsInGroups() {
    QList<int> aButtons;
    QList<int> aGroupSizes{0};
    for (int iId : ToolBarLayout()) {
      if (iId == 0) {
        aGroupSizes << 0;
        continue;
      }
      const CCommandInfo* pInfo = FindCommandInfo(iId);
      QVERIFY(pInfo && pInfo->m_szIcon);
      aButtons << pInfo->m_iButton;
      ++aGroupSizes.last();
    }
    QCOMPARE(aButtons.size(), 19);
    for (int i = 0; i < aButtons.size(); ++i) QCOMPARE(aButtons[i], i + 1);
    QCOMPARE(aGroupSizes, (QList<int>{2, 2, 7, 5, 3}));
  }

  void ShellCommandsCarryTheirRuleAndActionInTheTable() {
    for (const CCommandInfo& info : Commands()) {
      // The document's commands (and the context menu's Revert, which runs one) have neither.
      const bool bShell = !CVexmoFilterDoc::HandlesCommand(info.m_iId) &&
                          info.m_iId != ID_CONTEXT_ORIGINAL;
      QVERIFY2((info.m_pfnEnabled != nullptr) == bShell, qPrintable(QString::number(info.m_iId)));
      QVERIFY2((info.m_pfnRun != nullptr) == bShell, qPrintable(QString::number(info.m_iId)));
    }
    QVERIFY(!IsShellCommandEnabled(ID_WIZARD_ALL, CShellState{}));
  }

  void KeysParseAndDoNotCollide() {
    QSet<QKeySequence> aSeen;
    for (const CCommandInfo& info : Commands()) {
      for (const QString& csKey :
           QString::fromLatin1(info.m_szKeys).split('|', Qt::SkipEmptyParts)) {
        const QKeySequence key(csKey, QKeySequence::PortableText);
        QVERIFY2(!key.isEmpty() && key.count() == 1, qPrintable(csKey));
        QVERIFY2(!aSeen.contains(key), qPrintable(csKey));
        aSeen << key;
      }
    }
    QVERIFY(aSeen.contains(QKeySequence(Qt::Key_Escape)));
    QVERIFY(aSeen.contains(QKeySequence(Qt::ShiftModifier | Qt::Key_Insert)));
  }

  void FileDialogFilters() {
    const QStringList aSave = QtNameFilters(kSaveImageFilter);
    QCOMPARE(aSave.size(), 5);
    QCOMPARE(aSave[2], QStringLiteral("Jpeg (*.JPG *.jpg)"));
    const QStringList aOpen = QtNameFilters(kOpenImageFilter, true);
    QCOMPARE(aOpen.size(), 6);
    QCOMPARE(aOpen[2], QStringLiteral("Jpeg (*.JPG *.jpg *.JPEG *.jpeg *.JPE *.jpe)"));
    QVERIFY(aOpen[5].startsWith(QStringLiteral("All Files (")));
    QVERIFY(aOpen[5].contains(QStringLiteral("*.pcx")));
    QVERIFY(aOpen[5].contains(QStringLiteral("*.jpeg")));
  }

  void HelpPagesExistForEveryDialogAndLinkToEachOther() {
    InitShellResources();
    for (int iId : {ID_HELP_WHAT_IS, ID_HELP_NEW, ID_HELP_TUTORIAL, ID_HELP_CREDITS,
                    ID_HELP_TOPICS, ID_HELP}) {
      QFile topic(CHelpWindow::TopicFor(iId).mid(3));
      QVERIFY2(topic.open(QIODevice::ReadOnly), qPrintable(topic.fileName()));
      QVERIFY(topic.readAll().contains("<h2>"));
    }
    // Every page's links and pictures (the gallery's) are there.
    static const QRegularExpression kLink(QStringLiteral("(href|src)=\"([^\"]+)\""));
    int iPages = 0;
    for (QDirIterator it(QStringLiteral(":/help"), {QStringLiteral("*.html")}, QDir::Files,
                         QDirIterator::Subdirectories);
         it.hasNext(); ++iPages) {
      QFile page(it.next());
      QVERIFY(page.open(QIODevice::ReadOnly));
      const QString csPage = QString::fromUtf8(page.readAll());
      const QDir dir = QFileInfo(page.fileName()).dir();
      for (auto match = kLink.globalMatch(csPage); match.hasNext();) {
        const QRegularExpressionMatch m = match.next();
        const QString csTarget = QDir::cleanPath(dir.filePath(m.captured(2)));
        if (!m.captured(2).startsWith("http"))
          QVERIFY2(QFile::exists(csTarget), qPrintable(page.fileName() + " -> " + csTarget));
      }
    }
    QVERIFY(iPages >= 7 + 28);
    // F1 in each dialog has a page: each Xform's names its gallery picture.
    CFilSpec spec;
    for (int i = 0; i < kXformCount; ++i) {
      CXformDialog dlg(CFilSpec::Form(i), spec.Record(i));
      // Wide enough to show its whole caption ("Cloud Formation Settings").
      dlg.adjustSize();
      QVERIFY(dlg.width() >= dlg.fontMetrics().horizontalAdvance(dlg.windowTitle()) + 100);
      const QString csTopic = HelpTopicOf(&dlg);
      QCOMPARE(csTopic, XformHelpTopic(i));
      QFile page(":/help/" + csTopic);
      QVERIFY2(page.open(QIODevice::ReadOnly), qPrintable(csTopic));
      const QString csStem = QFileInfo(csTopic).completeBaseName();
      QVERIFY(page.readAll().contains(QStringLiteral("../gallery/%1.jpg").arg(csStem).toUtf8()));
    }
    QCOMPARE(XformHelpTopic(XFORM_FALLEN_LEAVES), QStringLiteral("xforms/fallen-leaves.html"));
    CChooseXformDlg choose(XFORM_MOSAIC, 0);
    CImageQualityDlg quality(1);
    CImagePropertiesDlg properties{CImageProperties{}};
    CMixDlg mix{MixSettings{}};
    CAreaSelectionDlg selection{AreaSelection{}};
    for (const QWidget* pDialog : std::initializer_list<const QWidget*>{
             &choose, &quality, &properties, &mix, &selection})
      QVERIFY2(QFile::exists(":/help/" + HelpTopicOf(pDialog)), qPrintable(pDialog->windowTitle()));
    // Every tool bar icon is there.
    for (const CCommandInfo& info : Commands())
      if (info.m_szIcon)
        QVERIFY(QFile::exists(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(info.m_szIcon))));
  }

  void ClipboardPictureRoundTrip() {
    // Odd width: rows of the DIB are padded, the image's are not.
    const QImage image = TestPicture(37, 21);
    CGlobalBlock hDib = DibFromImage(image);
    QVERIFY(bool(hDib));
    std::unique_ptr<CDADC> pSurface = CDADC::CBC(hDib);
    QVERIFY(pSurface);
    QCOMPARE(pSurface->m_iWidth, 37);
    QCOMPARE(pSurface->m_iHeight, 21);
    // Top row first in the image, bottom-up in the surface's memory.
    const std::uint8_t* pTop = pSurface->Row(0);
    QCOMPARE(qRgb(pTop[2], pTop[1], pTop[0]), image.pixel(0, 0));
    QCOMPARE(SurfaceToImage(*pSurface).convertToFormat(QImage::Format_RGB888), image);
    // A picture with alpha arrives without it.
    QImage argb(5, 3, QImage::Format_ARGB32);
    argb.fill(qRgba(10, 20, 30, 128));
    std::unique_ptr<CDADC> pOpaque = CDADC::CBC(DibFromImage(argb));
    QVERIFY(pOpaque);
    QCOMPARE(SurfaceToImage(*pOpaque).pixel(4, 2), argb.convertToFormat(QImage::Format_RGB888).pixel(4, 2));
    QVERIFY(!DibFromImage(QImage()));
  }
};

QTEST_MAIN(CCommandsTest)
#include "tst_commands.moc"
