// The Variations and Wizard grids: cells that fill in as their ideas end,
// STOP, adding a cell's idea, and screenshots of both grids.
#include <QComboBox>
#include <QDir>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <set>
#include <QSignalSpy>
#include <QTest>

#include "app/idea_grid_window.h"
#include "engine/idea_batch.h"
#include "imaging/dadc.h"
#include "imaging/image_files.h"
#include "app/view.h"
#include "dialogs/dialog_toolkit.h"
#include "shell_test_support.h"

namespace {

std::unique_ptr<CDADC> Picture(int iWidth, int iHeight) {
  auto p = std::make_unique<CDADC>(iWidth, iHeight);
  for (int y = 0; y < iHeight; ++y)
    for (int x = 0; x < iWidth; ++x) {
      const int dx = x - iWidth / 2, dy = y - iHeight / 2;
      const bool bDisc = dx * dx + dy * dy < iHeight * iHeight / 9;
      p->m_pDC->SetPixelV(x, y, bDisc ? RGB(250, 240, 200) : RGB(x * 255 / iWidth, y * 255 / iHeight, 90));
    }
  return p;
}

// A document stand-in: its working recipe, original and what it was given.
struct CSource {
  CFilSpec m_Spec;
  int m_iWidth = 96, m_iHeight = 64, m_iQuality = 1;
  int m_iCalls = 0;
  bool m_bBusy = false;  // refuses, as a document making an idea does
  std::vector<CFilSpec> m_aAdded;
  std::vector<std::string> m_aPictureSizes;

  CIdeaGridWindow::SourceFn Source() {
    return [this](CIdeaSource& src) {
      ++m_iCalls;
      if (m_bBusy) return false;
      src.m_Spec = m_Spec;
      src.m_pOriginal = Picture(m_iWidth, m_iHeight);
      InitUsageCounts(src.m_aUsage.data());
      src.m_iQuality = m_iQuality;
      return true;
    };
  }
  CIdeaGridWindow::AddFn Add() {
    return [this](const CFilSpec& spec, const CDADC& picture, int) {
      m_aAdded.push_back(spec);
      m_aPictureSizes.push_back(std::to_string(picture.m_iWidth) + "x" +
                                std::to_string(picture.m_iHeight));
      return static_cast<int>(m_aAdded.size());
    };
  }
};

bool WaitEnded(CIdeaGridWindow& grid, int iTimeoutMs = 60000) {
  QElapsedTimer timer;
  timer.start();
  while (grid.IsRunning() && timer.elapsed() < iTimeoutMs) QTest::qWait(20);
  QTest::qWait(30);  // the queued refresh of the last cell
  return !grid.IsRunning();
}


}  // namespace

class CIdeaGridTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { Reporter().Take(); }

  void VariationsFillInAndAClickAddsTheIdeaAsMade() {
    CSource doc;
    doc.m_Spec.m_iXform = XFORM_MOSAIC;
    CIdeaGridWindow grid(CIdeaGridWindow::EKind::Variations, doc.Source(), doc.Add());
    QCOMPARE(grid.windowTitle(), QStringLiteral("Variations"));
    grid.SetGridSize(2);
    grid.show();
    QCOMPARE(grid.CellCount(), 4);
    QVERIFY(WaitEnded(grid));
    for (int i = 0; i < grid.CellCount(); ++i) {
      QVERIFY(grid.Cell(i)->HasPicture());
      QCOMPARE(grid.Cell(i)->toolTip(), QStringLiteral("Mosaic"));
      QCOMPARE(grid.Batch()->Spec(i).m_iXform, static_cast<int>(XFORM_MOSAIC));
    }
    QSignalSpy added(&grid, &CIdeaGridWindow::ideaAdded);
    QTest::mouseClick(grid.Cell(2), Qt::LeftButton);
    grid.Cell(1)->setFocus();
    QTest::keyClick(grid.Cell(1), Qt::Key_Return);
    QCOMPARE(added.count(), 2);
    QCOMPARE(doc.m_aAdded.size(), std::size_t{2});
    QCOMPARE(doc.m_aAdded[0].m_iSeed, grid.Batch()->Spec(2).m_iSeed);
    QCOMPARE(doc.m_aAdded[1].m_iSeed, grid.Batch()->Spec(1).m_iSeed);
    QCOMPARE(doc.m_aPictureSizes[0], std::string("96x64"));
    QCOMPARE(grid.Cell(2)->AddedAs(), 1);
    // "More" asks the document again and replaces every cell.
    const int iOldSeed = grid.Batch()->Spec(0).m_iSeed;
    QPushButton* pMore = nullptr;
    for (QPushButton* p : grid.findChildren<QPushButton*>())
      if (p->text() == QStringLiteral("&More")) pMore = p;
    QVERIFY(pMore);
    QTest::mouseClick(pMore, Qt::LeftButton);
    QCOMPARE(doc.m_iCalls, 2);
    QCOMPARE(grid.Cell(0)->AddedAs(), 0);
    QVERIFY(grid.Batch()->Spec(0).m_iSeed != iOldSeed);
    QVERIFY(WaitEnded(grid));
    QVERIFY(Reporter().Take().empty());
  }

  // A size picked while the document refuses leaves cells, size and list
  // as they were, and the same pick works once the document is free.
  void ARefusedSizeChangeKeepsTheGrid() {
    CSource doc;
    doc.m_Spec.m_iXform = XFORM_MOSAIC;
    CIdeaGridWindow grid(CIdeaGridWindow::EKind::Variations, doc.Source(), doc.Add());
    grid.SetGridSize(2);
    QCOMPARE(grid.CellCount(), 4);
    auto* pList = grid.findChild<QComboBox*>();
    QVERIFY(pList);
    doc.m_bBusy = true;
    pList->setCurrentIndex(1);
    emit pList->activated(1);  // as the user's pick of 3 x 3
    QCOMPARE(doc.m_iCalls, 2);
    QCOMPARE(grid.CellCount(), 4);
    QCOMPARE(grid.GridSize(), 2);
    QCOMPARE(pList->currentData().toInt(), 2);
    doc.m_bBusy = false;
    emit pList->activated(1);
    QCOMPARE(grid.CellCount(), 9);
    QCOMPARE(grid.GridSize(), 3);
    QCOMPARE(pList->currentData().toInt(), 3);
    QVERIFY(WaitEnded(grid));
  }

  void WizardGridChoosesDifferentXformsAndDoubleClickCloses() {
    CSource doc;
    QPointer<CIdeaGridWindow> pGrid =
        new CIdeaGridWindow(CIdeaGridWindow::EKind::Wizard, doc.Source(), doc.Add());
    QCOMPARE(pGrid->windowTitle(), QStringLiteral("Wizard Grid"));
    QVERIFY(pGrid->More());
    pGrid->show();
    QCOMPARE(pGrid->CellCount(), 9);
    std::set<int> aXforms;
    for (int i = 0; i < 9; ++i) aXforms.insert(pGrid->Batch()->Spec(i).m_iXform);
    QCOMPARE(aXforms.size(), std::size_t{9});  // each the least used after the ones before
    QVERIFY(WaitEnded(*pGrid));
    QTest::mouseDClick(pGrid->Cell(4), Qt::LeftButton);
    QCOMPARE(doc.m_aAdded.size(), std::size_t{1});
    QTRY_VERIFY(pGrid.isNull());  // closed and deleted
  }

  void StopKeepsWhatIsMadeAndAnEmptyCellAddsNothing() {
    CSource doc;
    doc.m_Spec.m_iXform = XFORM_MOSAIC;
    doc.m_iWidth = 800;
    doc.m_iHeight = 600;
    doc.m_iQuality = 4;
    CIdeaGridWindow grid(CIdeaGridWindow::EKind::Variations, doc.Source(), doc.Add());
    QVERIFY(grid.More());
    grid.show();
    QVERIFY(grid.AtOnce() >= 1);
    QTest::keyClick(&grid, Qt::Key_Escape);
    QVERIFY(WaitEnded(grid, 120000));
    int iMade = 0;
    for (int i = 0; i < grid.CellCount(); ++i) {
      const EIdeaState e = grid.Batch()->State(i);
      QVERIFY(e == EIdeaState::Made || e == EIdeaState::Stopped);
      QCOMPARE(grid.Cell(i)->HasPicture(), e == EIdeaState::Made);
      iMade += e == EIdeaState::Made;
      if (e != EIdeaState::Made) QVERIFY(!grid.Pick(i));
    }
    QVERIFY(iMade < grid.CellCount());
    QVERIFY(doc.m_aAdded.empty());
  }

  void ShiftF8AndShiftF7InTheMainWindow() {
    CShellFixture fixture;
    CMainFrame& frame = fixture.Frame();
    frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    QVERIFY(fixture.m_pApp->OpenImageDocument(fixture.WritePicture("cat.png", 96, 64).c_str()));
    QVERIFY(CShellFixture::WaitIdle());
    CVexmoFilterDoc* pDoc = frame.ActiveDocument();
    QVERIFY(pDoc && pDoc->SequenceSize() == 2);
    QVERIFY(frame.IsCommandEnabled(ID_VARIATIONS_GRID));

    QTest::keyClick(&frame, Qt::Key_F8, Qt::ShiftModifier);
    CIdeaGridWindow* pGrid = frame.ActiveChild()->findChild<CIdeaGridWindow*>();
    QVERIFY(pGrid);
    QCOMPARE(pGrid->windowTitle(), QStringLiteral("Variations"));
    QCOMPARE(pGrid->CellCount(), 9);
    QCOMPARE(HelpTopicOf(pGrid->Cell(0)), QStringLiteral("grids.html"));
    QVERIFY(WaitEnded(*pGrid));
    for (int i = 0; i < 9; ++i) QCOMPARE(pGrid->Batch()->Spec(i).m_iXform, static_cast<int>(XFORM_MOSAIC));

    // A click adds the idea as made: no generation, the title and overview show it.
    QTest::mouseClick(pGrid->Cell(4), Qt::LeftButton);
    QVERIFY(!TheGenerationWorker().IsXforming());
    QCOMPARE(pDoc->SequenceSize(), 3);
    QCOMPARE(pDoc->m_Overview.Count(), 3);
    QCOMPARE(pDoc->m_aSpecs[2].m_iSeed, pGrid->Batch()->Spec(4).m_iSeed);
    QCOMPARE(frame.windowTitle(), QStringLiteral("Vexmora - cat, (Mosaic), #2 of 2"));
    QCOMPARE(frame.ActiveView()->ShownImage(), SurfaceToImage(*pGrid->Batch()->Picture(4)));

    // The grid stays open while the sequence is walked; closing it loses nothing.
    frame.OnCommand(ID_BACK);
    QVERIFY(CShellFixture::WaitIdle());
    QCOMPARE(pDoc->m_iCurrent, 1);
    QPointer<CIdeaGridWindow> pClosing = pGrid;
    pGrid->close();
    QTRY_VERIFY(pClosing.isNull());
    QCOMPARE(pDoc->SequenceSize(), 3);

    // Shift+F7: a grid of other Xforms; a double-click adds and closes.
    QCOMPARE(frame.KeyAction(ID_WIZARD_GRID)->shortcut(), QKeySequence(QStringLiteral("Shift+F7")));
    frame.OnCommand(ID_WIZARD_GRID);
    pGrid = frame.ActiveChild()->findChild<CIdeaGridWindow*>();
    QVERIFY(pGrid);
    QCOMPARE(pGrid->windowTitle(), QStringLiteral("Wizard Grid"));
    QVERIFY(WaitEnded(*pGrid));
    int iCell = 0;
    while (iCell < pGrid->CellCount() && !pGrid->Batch()->Picture(iCell)) ++iCell;
    QVERIFY(iCell < pGrid->CellCount());
    pClosing = pGrid;
    QTest::mouseDClick(pGrid->Cell(iCell), Qt::LeftButton);
    QTRY_VERIFY(pClosing.isNull());
    QCOMPARE(pDoc->SequenceSize(), 4);
    QCOMPARE(pDoc->m_iCurrent, 3);
  }

  // The main window filling a 1600 x 1000 and a 1024 x 768 screen with each
  // grid beside its document, drawn as one screen picture.
  void Screenshots() {
    for (QSize screen : {QSize(1600, 1000), QSize(1024, 768)}) {
      CShellFixture fixture;
      CMainFrame& frame = fixture.Frame();
      frame.setGeometry(QRect(QPoint(0, 0), screen));
      const QImage photo(QStringLiteral(VX_RESOURCE_DIR "/samples/ladybird.jpg"));
      QVERIFY(!photo.isNull());
      const std::string csPath = fixture.m_Home.Path("ladybird.png");
      photo.scaledToWidth(screen.width() / 3, Qt::SmoothTransformation)
          .save(QString::fromStdString(csPath));
      fixture.m_Dialogs.m_iXform = XFORM_KLEE;
      QVERIFY(fixture.m_pApp->OpenImageDocument(csPath.c_str()));
      QVERIFY(CShellFixture::WaitIdle());
      frame.ActiveChild()->move(12, 12);
      for (int iCommand : {ID_VARIATIONS_GRID, ID_WIZARD_GRID}) {
        frame.OnCommand(iCommand);
        CIdeaGridWindow* pGrid = nullptr;
        for (CIdeaGridWindow* p : frame.ActiveChild()->findChildren<CIdeaGridWindow*>())
          if ((p->Kind() == CIdeaGridWindow::EKind::Wizard) == (iCommand == ID_WIZARD_GRID)) pGrid = p;
        QVERIFY(pGrid);
        QVERIFY(WaitEnded(*pGrid));
        pGrid->Pick(0);
        // Beside the document: the right part of the screen.
        const QSize size(screen.width() * 11 / 20, screen.height() * 3 / 4);
        pGrid->resize(size);
        QTest::qWait(50);
        QPixmap shot(screen);
        QPainter painter(&shot);
        painter.drawPixmap(0, 0, frame.grab());
        const QPoint ptGrid(screen.width() - size.width() - 16, 64);
        painter.fillRect(QRect(ptGrid, size).adjusted(-2, -24, 2, 2), QColor(60, 60, 70));
        painter.setPen(Qt::white);
        painter.drawText(QRect(ptGrid - QPoint(0, 22), QSize(size.width(), 20)), Qt::AlignCenter,
                         pGrid->windowTitle());
        painter.drawPixmap(ptGrid, pGrid->grab());
        painter.end();
        const QString csDir = QCoreApplication::applicationDirPath() + "/screenshots";
        QDir().mkpath(csDir);
        QVERIFY(shot.save(QStringLiteral("%1/%2_grid_%3x%4.png")
                              .arg(csDir, iCommand == ID_WIZARD_GRID ? "wizard" : "variations")
                              .arg(screen.width())
                              .arg(screen.height())));
        pGrid->close();
      }
    }
  }
};

QTEST_MAIN(CIdeaGridTest)
#include "tst_idea_grid.moc"
