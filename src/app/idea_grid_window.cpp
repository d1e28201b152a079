#include "app/idea_grid_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "dialogs/dialog_toolkit.h"
#include "engine/idea_batch.h"
#include "imaging/dadc.h"

namespace {
constexpr int kCellMinSide = 120;  // the smallest cell a grid is laid out with
constexpr int kRefreshMs = 100;    // progress refresh while ideas are made
constexpr int kCellImageSide = 800; // the larger side of a cell's picture at most
}  // namespace

// ---------------------------------------------------------------------------
// CIdeaGridCell

CIdeaGridCell::CIdeaGridCell(CIdeaGridWindow& grid, int iIndex)
    : QWidget(&grid), m_Grid(grid), m_iIndex(iIndex) {
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(kCellMinSide, kCellMinSide * 3 / 4);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setCursor(Qt::PointingHandCursor);
  const CIdeaBatch* pBatch = grid.Batch();
  if (pBatch && iIndex < pBatch->Count()) {
    const QString csName = QString::fromLatin1(GetXformName(pBatch->Spec(iIndex).m_iXform));
    setToolTip(csName);
    setAccessibleName(csName);
  }
}

void CIdeaGridCell::Refresh() {
  const CIdeaBatch* pBatch = m_Grid.Batch();
  if (m_image.isNull() && pBatch && m_iIndex < pBatch->Count()) {
    if (const CDADC* pPicture = pBatch->Picture(m_iIndex)) {
      // A cell never shows more than this: a large photo's nine full copies
      // would only cost memory (the batch keeps the idea itself).
      m_image = SurfaceToImage(*pPicture);
      if (m_image.width() > kCellImageSide || m_image.height() > kCellImageSide)
        m_image = m_image.scaled(kCellImageSide, kCellImageSide, Qt::KeepAspectRatio,
                                 Qt::SmoothTransformation);
    }
  }
  update();
}

void CIdeaGridCell::SetAdded(int iPosition) {
  m_iAddedAs = iPosition;
  update();
}

void CIdeaGridCell::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect rc = rect();
  painter.fillRect(rc, palette().color(QPalette::Window).darker(115));
  const CIdeaBatch* pBatch = m_Grid.Batch();
  if (!pBatch || m_iIndex >= pBatch->Count()) return;
  const QRect rcInner = rc.adjusted(3, 3, -3, -3);
  if (!m_image.isNull()) {
    const QSize size = m_image.size().scaled(rcInner.size(), Qt::KeepAspectRatio);
    const QRect rcPicture(rcInner.center().x() - size.width() / 2 + 1,
                          rcInner.center().y() - size.height() / 2 + 1, size.width(), size.height());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rcPicture, m_image);
  } else {
    // Its own progress and status text while it is made; why not otherwise.
    painter.setPen(palette().color(QPalette::WindowText));
    QString csText;
    switch (pBatch->State(m_iIndex)) {
      case EIdeaState::Waiting: csText = QStringLiteral("Waiting"); break;
      case EIdeaState::Running: csText = QString::fromStdString(pBatch->StatusText(m_iIndex)); break;
      case EIdeaState::Stopped: csText = QStringLiteral("Stopped"); break;
      case EIdeaState::Failed: csText = QStringLiteral("Could not be made"); break;
      case EIdeaState::Made: break;
    }
    painter.drawText(rcInner.adjusted(4, 4, -4, -20), Qt::AlignCenter | Qt::TextWordWrap,
                     QString::fromLatin1(GetXformName(pBatch->Spec(m_iIndex).m_iXform)) + "\n" +
                         csText);
    if (pBatch->State(m_iIndex) == EIdeaState::Running) {
      const QRect rcBar(rcInner.left() + 8, rcInner.bottom() - 14, rcInner.width() - 16, 8);
      painter.fillRect(rcBar, palette().color(QPalette::Mid));
      painter.fillRect(QRect(rcBar.topLeft(),
                             QSize(rcBar.width() * pBatch->Progress(m_iIndex) / 100, rcBar.height())),
                       palette().color(QPalette::Highlight));
    }
  }
  if (m_iAddedAs > 0) {
    const QString csAdded = QStringLiteral("Idea %1").arg(m_iAddedAs);
    const QRect rcLabel = painter.fontMetrics().boundingRect(csAdded).adjusted(-4, -2, 4, 2);
    const QRect rcTag(rcInner.topLeft() + QPoint(4, 4), rcLabel.size());
    painter.fillRect(rcTag, palette().color(QPalette::Highlight));
    painter.setPen(palette().color(QPalette::HighlightedText));
    painter.drawText(rcTag, Qt::AlignCenter, csAdded);
  }
  if (hasFocus()) {
    painter.setPen(QPen(palette().color(QPalette::Highlight), 3));
    painter.drawRect(rc.adjusted(1, 1, -2, -2));
  }
}

void CIdeaGridCell::mouseReleaseEvent(QMouseEvent* pEvent) {
  if (pEvent->button() == Qt::LeftButton && rect().contains(pEvent->position().toPoint()))
    m_Grid.Pick(m_iIndex);
}

void CIdeaGridCell::mouseDoubleClickEvent(QMouseEvent* pEvent) {
  if (pEvent->button() == Qt::LeftButton) m_Grid.Open(m_iIndex);
}

void CIdeaGridCell::keyPressEvent(QKeyEvent* pEvent) {
  if (pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter) {
    m_Grid.Pick(m_iIndex);
    return;
  }
  QWidget::keyPressEvent(pEvent);
}

// ---------------------------------------------------------------------------
// CIdeaGridWindow

CIdeaGridWindow::CIdeaGridWindow(EKind eKind, SourceFn fnSource, AddFn fnAdd, QWidget* pParent)
    : QWidget(pParent, Qt::Window),
      m_eKind(eKind),
      m_fnSource(std::move(fnSource)),
      m_fnAdd(std::move(fnAdd)) {
  setWindowTitle(eKind == EKind::Variations ? QStringLiteral("Variations")
                                            : QStringLiteral("Wizard Grid"));
  setAttribute(Qt::WA_DeleteOnClose);
  SetHelpTopic(this, QStringLiteral("grids.html"));  // F1
  auto* pLayout = new QVBoxLayout(this);
  m_pCells = new QGridLayout;
  m_pCells->setSpacing(4);
  pLayout->addLayout(m_pCells, 1);

  auto* pButtons = new QHBoxLayout;
  auto* pSizeLabel = new QLabel(QStringLiteral("&Grid:"), this);
  m_pSize = new QComboBox(this);
  for (int n = kMinSize; n <= kMaxSize; ++n)
    m_pSize->addItem(QStringLiteral("%1 \u00d7 %1").arg(n), n);
  m_pSize->setCurrentIndex(m_iSize - kMinSize);
  pSizeLabel->setBuddy(m_pSize);
  m_pSummary = new QLabel(this);
  m_pMore = new QPushButton(QStringLiteral("&More"), this);
  m_pStop = new QPushButton(QStringLiteral("STOP"), this);
  m_pStop->setToolTip(QStringLiteral("Stop the grid (Escape)"));
  m_pMore->setAutoDefault(false);
  m_pStop->setAutoDefault(false);
  pButtons->addWidget(pSizeLabel);
  pButtons->addWidget(m_pSize);
  pButtons->addWidget(m_pSummary, 1);
  pButtons->addWidget(m_pMore);
  pButtons->addWidget(m_pStop);
  pLayout->addLayout(pButtons);

  connect(m_pSize, &QComboBox::activated, this,
          [this](int iIndex) { SetGridSize(m_pSize->itemData(iIndex).toInt()); });
  connect(m_pMore, &QPushButton::clicked, this, [this] { More(); });
  connect(m_pStop, &QPushButton::clicked, this, [this] { Stop(); });
  m_Timer.setInterval(kRefreshMs);
  connect(&m_Timer, &QTimer::timeout, this, [this] { Refresh(); });
  resize(3 * 200 + 40, 3 * 150 + 70);
}

CIdeaGridWindow::~CIdeaGridWindow() {
  // Stops and waits for the ideas before their original goes.
  m_pBatch.reset();
}

int CIdeaGridWindow::AtOnce() const { return m_pBatch ? m_pBatch->AtOnce() : 0; }

bool CIdeaGridWindow::IsRunning() const { return m_pBatch && !m_pBatch->Ended(); }

void CIdeaGridWindow::SetGridSize(int iSize) {
  iSize = std::clamp(iSize, kMinSize, kMaxSize);
  if (iSize != m_iSize || !m_pBatch) {
    // The cells stay as they are when the document refuses (it is making an
    // idea): so do the size and its list.
    const int iOld = std::exchange(m_iSize, iSize);
    if (!More()) m_iSize = iOld;
  }
  // Setting the list's index does not emit activated(): no second change.
  m_pSize->setCurrentIndex(m_iSize - kMinSize);
}

bool CIdeaGridWindow::More() {
  CIdeaSource source;
  if (!m_fnSource || !m_fnSource(source) || !source.m_pOriginal) return false;
  const CDADC& org = *source.m_pOriginal;
  const int iCount = m_iSize * m_iSize;
  // Chosen here, one after another on this thread, as the commands choose.
  std::vector<CFilSpec> aSpecs;
  for (int i = 0; i < iCount; ++i) {
    CFilSpec spec = source.m_Spec;
    const bool bChosen = m_eKind == EKind::Variations
                             ? ChooseVariation(spec, org)
                             : ChooseWizardIdea(spec, source.m_aUsage.data(), org);
    if (!bChosen) {
      // The same Xform refuses again: no point asking more than once.
      if (m_eKind == EKind::Variations) break;
      continue;
    }
    // The next wizard cell picks among the Xforms used least after this one.
    if (spec.m_iXform >= 0 && spec.m_iXform < kXformCount) ++source.m_aUsage[spec.m_iXform];
    aSpecs.push_back(spec);
  }
  if (aSpecs.empty()) return false;

  m_pBatch.reset();  // the old grid stops
  m_pOriginal = std::move(source.m_pOriginal);
  m_pBatch = std::make_unique<CIdeaBatch>(*m_pOriginal, source.m_iQuality);
  for (const CFilSpec& spec : aSpecs) m_pBatch->Add(spec);
  RebuildCells(m_pBatch->Count());
  // Every cell keeps its picture once made.
  const unsigned long long iKept = static_cast<unsigned long long>(m_pBatch->Count()) *
                                   static_cast<unsigned>(org.m_iWidth) * static_cast<unsigned>(org.m_iHeight) * 3;
  const CIdeasAtOnce atOnce = IdeasAtOnce(m_pBatch->Count(), m_pBatch->Count(), org.m_iWidth,
                                          org.m_iHeight, m_pBatch->Quality(), iKept);
  // A finished idea shows at once rather than at the next refresh.
  m_pBatch->Start(atOnce.m_iCount,
                  [this](int) { QMetaObject::invokeMethod(this, [this] { Refresh(); }, Qt::QueuedConnection); });
  m_Timer.start();
  Refresh();
  if (!m_aCells.empty()) m_aCells.front()->setFocus();
  return true;
}

void CIdeaGridWindow::RebuildCells(int iCount) {
  for (CIdeaGridCell* pCell : m_aCells) delete pCell;
  m_aCells.clear();
  const int iColumns = m_iSize;
  for (int i = 0; i < iCount; ++i) {
    auto* pCell = new CIdeaGridCell(*this, i);
    m_pCells->addWidget(pCell, i / iColumns, i % iColumns);
    m_aCells.push_back(pCell);
  }
}

void CIdeaGridWindow::Stop() {
  if (m_pBatch) m_pBatch->Stop();
  Refresh();
}

void CIdeaGridWindow::Refresh() {
  if (!m_pBatch) return;
  int iMade = 0;
  for (int i = 0; i < m_pBatch->Count(); ++i) iMade += m_pBatch->State(i) == EIdeaState::Made;
  for (CIdeaGridCell* pCell : m_aCells) pCell->Refresh();
  const bool bRunning = IsRunning();
  m_pStop->setEnabled(bRunning);
  m_pSummary->setText(bRunning ? QStringLiteral("%1 of %2 made, %3 at once")
                                     .arg(iMade)
                                     .arg(m_pBatch->Count())
                                     .arg(m_pBatch->AtOnce())
                               : QStringLiteral("%1 of %2 made").arg(iMade).arg(m_pBatch->Count()));
  if (!bRunning) m_Timer.stop();
}

bool CIdeaGridWindow::Pick(int iCell) {
  if (!m_pBatch || iCell < 0 || iCell >= m_pBatch->Count()) return false;
  const CDADC* pPicture = m_pBatch->Picture(iCell);
  if (!pPicture || !m_fnAdd) return false;
  const int iPosition = m_fnAdd(m_pBatch->Spec(iCell), *pPicture, m_pBatch->Quality());
  if (iPosition <= 0) return false;
  Cell(iCell)->SetAdded(iPosition);
  emit ideaAdded();
  return true;
}

void CIdeaGridWindow::Open(int iCell) {
  if (!m_pBatch || iCell < 0 || iCell >= m_pBatch->Count() || !m_pBatch->Picture(iCell)) return;
  // The click that began the double-click has added it already.
  if (Cell(iCell)->AddedAs() > 0 || Pick(iCell)) close();
}

void CIdeaGridWindow::keyPressEvent(QKeyEvent* pEvent) {
  if (pEvent->key() == Qt::Key_Escape) {
    Stop();
    return;
  }
  QWidget::keyPressEvent(pEvent);
}

void CIdeaGridWindow::closeEvent(QCloseEvent* pEvent) {
  m_Timer.stop();
  if (m_pBatch) m_pBatch->Stop();
  QWidget::closeEvent(pEvent);
}
