#include "dialogs/overview_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/dialog_toolkit.h"
#include "engine/overview.h"
#include "imaging/dadc.h"

namespace {

constexpr int kIdStrip = 1150;
constexpr int kIdFirstBelow = 1159;
constexpr int kIdFirstAbove = 1164;

RECT FrameRect(const QWidget& w) { return RECT{0, 0, w.width(), w.height()}; }

}  // namespace

CThumbStrip::CThumbStrip(COverview& overview, QWidget* pParent)
    : QFrame(pParent), m_Overview(overview) {
  SetControlId(this, kIdStrip);
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setMinimumSize(5 * 112, 112);
}

QImage CThumbStrip::Render() const {
  // The cells are painted by the drawing layer into a surface of the frame's
  // size, exactly as the overview lays them out.
  CDADC surface(width(), height());
  if (!surface.IsValid()) return {};
  m_Overview.Paint(*surface.m_pDC, FrameRect(*this));
  return SurfaceToImage(surface);
}

void CThumbStrip::paintEvent(QPaintEvent* pEvent) {
  if (m_Overview.Count() > 0) {
    const QImage image = Render();
    QPainter painter(this);
    if (!image.isNull()) painter.drawImage(0, 0, image);
  }
  QFrame::paintEvent(pEvent);
}

void CThumbStrip::mouseDoubleClickEvent(QMouseEvent* pEvent) {
  const QPoint pt = pEvent->position().toPoint();
  if (m_Overview.DoubleClick(FrameRect(*this), pt.x(), pt.y())) emit PictureChosen();
}

COvDlg::COvDlg(COverview& overview, QWidget* pParent) : QDialog(pParent), m_Overview(overview) {
  setWindowTitle(tr("Sequence Overview"));
  SetHelpTopicAndFitCaption(this, QStringLiteral("overview.html"));
  SetControlId(this, 173);
  auto* pTop = new QVBoxLayout(this);
  auto* pCells = new QGridLayout;
  pCells->setVerticalSpacing(2);
  pTop->addLayout(pCells);
  m_pStrip = new CThumbStrip(overview);
  for (int i = 0; i < COverview::kCells; ++i) {
    m_apAbove[static_cast<std::size_t>(i)] = new QLabel;
    m_apBelow[static_cast<std::size_t>(i)] = new QLabel;
    SetControlId(m_apAbove[static_cast<std::size_t>(i)], kIdFirstAbove + i);
    SetControlId(m_apBelow[static_cast<std::size_t>(i)], kIdFirstBelow + i);
    pCells->addWidget(m_apAbove[static_cast<std::size_t>(i)], 0, i, Qt::AlignHCenter);
    pCells->addWidget(m_apBelow[static_cast<std::size_t>(i)], 2, i, Qt::AlignHCenter);
  }
  pCells->addWidget(m_pStrip, 1, 0, 1, COverview::kCells);

  auto* pNavigation = new QHBoxLayout;
  pNavigation->addStretch(1);
  const struct {
    const char* szText;
    int iId;
    const char* szTip;
    void (*pfnMove)(COverview&);
  } aMoves[] = {{"|<<", 32803, "Go to original image", [](COverview& o) { o.GoFirst(); }},
                {"<<", 32773, "Go back to the previous image", [](COverview& o) { o.GoBack(); }},
                {">>", 32774, "Go forward to the next image", [](COverview& o) { o.GoForward(); }},
                {">>|", 32801, "Go to last image generated", [](COverview& o) { o.GoLast(); }}};
  for (const auto& m : aMoves) {
    QPushButton* pButton = MakeButton(QString::fromUtf8(m.szText), m.iId);
    pButton->setToolTip(tr(m.szTip));
    pButton->setAutoDefault(false);
    pNavigation->addWidget(pButton);
    auto pfnMove = m.pfnMove;
    connect(pButton, &QPushButton::clicked, this, [this, pfnMove] {
      if (m_Overview.Count() > 0) pfnMove(m_Overview);
      Refresh();
    });
  }
  pNavigation->addStretch(1);
  pTop->addLayout(pNavigation);

  auto* pEnd = new QHBoxLayout;
  pEnd->addWidget(MakeNote("F1 for help on this dialog"));
  pEnd->addStretch(1);
  QPushButton* pOk = MakeButton(tr("OK"), kIdOk);
  QPushButton* pCancel = MakeButton(tr("Cancel"), kIdCancel);
  pOk->setDefault(true);
  pEnd->addWidget(pOk);
  pEnd->addWidget(pCancel);
  pTop->addLayout(pEnd);
  connect(pOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(pCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(m_pStrip, &CThumbStrip::PictureChosen, this, &QDialog::accept);
  Refresh();
}

void COvDlg::Refresh() {
  const std::vector<COverviewCell> aCells = m_Overview.Layout(FrameRect(*m_pStrip));
  for (std::size_t i = 0; i < m_apAbove.size(); ++i) {
    const bool bCell = i < aCells.size();
    m_apAbove[i]->setText(bCell ? QString::fromStdString(aCells[i].m_csAbove) : QString());
    m_apBelow[i]->setText(bCell ? QString::fromStdString(aCells[i].m_csBelow) : QString());
  }
  m_pStrip->update();
}

bool RunOverviewDialog(QWidget* pParent, COverview& overview) {
  COvDlg dlg(overview, pParent);
  return dlg.exec() == QDialog::Accepted;
}
