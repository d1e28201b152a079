#include "dialogs/small_dialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "engine/catalogue.h"
#include "engine/document_base.h"
#include "engine/filspec.h"
#include "platform/report.h"

namespace {

constexpr int kIdChooseWizard = 1142;
constexpr int kIdChooseList = 1153;

QHBoxLayout* OkCancelRow(QDialog* pDialog, const QString& csOk, const QString& csCancel) {
  auto* pRow = new QHBoxLayout;
  pRow->addStretch(1);
  QPushButton* pOk = MakeButton(csOk, kIdOk);
  pOk->setDefault(true);
  pRow->addWidget(pOk);
  QObject::connect(pOk, &QPushButton::clicked, pDialog, &QDialog::accept);
  if (!csCancel.isEmpty()) {
    QPushButton* pCancel = MakeButton(csCancel, kIdCancel);
    pRow->addWidget(pCancel);
    QObject::connect(pCancel, &QPushButton::clicked, pDialog, &QDialog::reject);
  }
  return pRow;
}

// A framed static text of at most iMaxChars characters.
QLabel* FramedText(const std::string& cs, int iId, int iMaxChars) {
  auto* pLabel = new QLabel(QString::fromStdString(cs).left(iMaxChars));
  SetControlId(pLabel, iId);
  pLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  pLabel->setTextFormat(Qt::PlainText);
  pLabel->setMinimumWidth(180);
  pLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return pLabel;
}

// The program's emblem: a small mosaic of tiles in warm and cool colours.
QPixmap Emblem(int iSize) {
  const QIcon icon = QApplication::windowIcon();
  if (!icon.isNull()) return icon.pixmap(iSize, iSize);
  QPixmap pixmap(iSize, iSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const QColor aColours[] = {QColor(230, 90, 60), QColor(250, 190, 70), QColor(70, 150, 220),
                             QColor(90, 190, 120)};
  const int n = 3, gap = iSize / 16, cell = (iSize - (n + 1) * gap) / n;
  for (int i = 0; i < n * n; ++i) {
    const int x = gap + (i % n) * (cell + gap), y = gap + (i / n) * (cell + gap);
    painter.setBrush(aColours[(i * 5 + i / n) % 4]);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(x, y, cell, cell), cell / 5.0, cell / 5.0);
  }
  return pixmap;
}

}  // namespace

// ---- Choose Xform ---------------------------------------------------------------

CChooseXformDlg::CChooseXformDlg(int iXform, int bWizardAll, QWidget* pParent)
    : QDialog(pParent), m_bWizardAll(bWizardAll ? 1 : 0) {
  setWindowTitle(tr("Choose Xform"));
  SetControlId(this, 174);
  auto* pTop = new QVBoxLayout(this);
  m_pWizard = new QCheckBox(tr("&Wizard chooses"));
  SetControlId(m_pWizard, kIdChooseWizard);
  m_pWizard->setChecked(m_bWizardAll != 0);
  m_pList = new QComboBox;
  SetControlId(m_pList, kIdChooseList);
  m_pList->setMinimumWidth(200);
  for (int i = 0; i < kXformCount; ++i) m_pList->addItem(QString::fromUtf8(GetXformName(i)));
  const int iShown = iXform == XFORM_NULL ? XFORM_MOSAIC : iXform;
  m_pList->setCurrentIndex(iShown >= 0 && iShown < kXformCount ? iShown : -1);
  m_pList->setEnabled(!m_bWizardAll);
  pTop->addWidget(m_pWizard);
  pTop->addWidget(m_pList);
  // "None" is the cancel button.
  pTop->addLayout(OkCancelRow(this, tr("OK"), tr("None")));
  connect(m_pWizard, &QCheckBox::toggled, this, [this](bool b) {
    m_bWizardAll = b ? 1 : 0;
    m_pList->setEnabled(!b);
  });
}

int CChooseXformDlg::Selection() const {
  const int i = m_pList->currentIndex();
  return i >= 0 && i < kXformCount ? i : 0;
}

bool RunChooseXformDialog(QWidget* pParent, CFilSpec& spec, const std::int32_t* aUsage) {
  CChooseXformDlg dlg(spec.m_iXform, spec.m_bWizardAll, pParent);
  if (dlg.exec() != QDialog::Accepted) return false;
  spec.m_bWizardAll = dlg.WizardAll();
  if (spec.m_bWizardAll)
    spec.ChooseRandomXform(aUsage, false);
  else
    spec.m_iXform = dlg.Selection();
  return true;
}

// ---- Image Quality ------------------------------------------------------------------

CImageQualityDlg::CImageQualityDlg(int iLevel, QWidget* pParent)
    : QDialog(pParent), m_iLevel(iLevel) {
  setWindowTitle(tr("Image Quality (Anti Alias)"));
  SetControlId(this, 143);
  if (m_iLevel != 1 && m_iLevel != 2 && m_iLevel != 4) {
    ReportError("DDE:Bad AA level=%d", m_iLevel);
    m_iLevel = 1;
  }
  auto* pTop = new QVBoxLayout(this);
  auto* pBox = new QGroupBox(tr("Quality"));
  auto* pBoxLayout = new QVBoxLayout(pBox);
  auto* pGroup = new QButtonGroup(this);
  const struct {
    const char* szText;
    int iId, iLevel;
  } aLevels[] = {{"&Normal", 1035, 1}, {"&Medium", 1036, 2}, {"&High", 1037, 4}};
  for (const auto& l : aLevels) {
    auto* pButton = new QRadioButton(tr(l.szText));
    SetControlId(pButton, l.iId);
    pButton->setChecked(l.iLevel == m_iLevel);
    pGroup->addButton(pButton, l.iLevel);
    pBoxLayout->addWidget(pButton);
  }
  // Each button sets the level at once.
  connect(pGroup, &QButtonGroup::idClicked, this, [this](int iLevel) { m_iLevel = iLevel; });
  pTop->addWidget(pBox);
  pTop->addWidget(MakeNote("F1 for help on image quality"));
  pTop->addLayout(MakeEndButtons(this, tr("Set"), tr("Apply Now"), &m_bApplyNow));
}

EDialogEnd RunImageQualityDialog(QWidget* pParent, int& iLevel) {
  CImageQualityDlg dlg(iLevel, pParent);
  dlg.exec();
  if (dlg.End() != EDialogEnd::Cancel) iLevel = dlg.Level();
  return dlg.End();
}

// ---- Image Properties ---------------------------------------------------------------

CImagePropertiesDlg::CImagePropertiesDlg(const CImageProperties& props, QWidget* pParent)
    : QDialog(pParent) {
  setWindowTitle(tr("Image Properties"));
  SetControlId(this, 164);
  auto* pTop = new QVBoxLayout(this);
  auto* pGrid = new QGridLayout;
  pTop->addLayout(pGrid);
  pGrid->addWidget(new QLabel(tr("Object Xform")), 0, 0);
  pGrid->addWidget(FramedText(props.m_csXform, 1106, 127), 0, 1);
  pGrid->addWidget(new QLabel(tr("Original")), 1, 0);
  pGrid->addWidget(FramedText(props.m_csOriginal, 1109, 32), 1, 1);
  pGrid->addWidget(new QLabel(tr("Saved as")), 2, 0);
  pGrid->addWidget(FramedText(props.m_csSavedAs, 1110, 32), 2, 1);
  pGrid->addWidget(FramedText(props.m_csPosition, 1112, 32), 3, 0, 1, 2);

  auto* pSize = new QGroupBox(tr("Size"));
  auto* pSizeGrid = new QGridLayout(pSize);
  pSizeGrid->addWidget(new QLabel(tr("Bytes")), 0, 0);
  pSizeGrid->addWidget(FramedText(props.m_csBytes, 1108, 32), 0, 1);
  pSizeGrid->addWidget(new QLabel(tr("Pixels")), 1, 0);
  pSizeGrid->addWidget(FramedText(props.m_csPixels, 1107, 32), 1, 1);
  pTop->addWidget(pSize);
  pTop->addWidget(MakeNote("F1 for help on this dialog"));
  pTop->addLayout(OkCancelRow(this, tr("OK"), QString()));
}

void RunImagePropertiesDialog(QWidget* pParent, const CImageProperties& props) {
  CImagePropertiesDlg dlg(props, pParent);
  dlg.exec();
}

// ---- About ------------------------------------------------------------------------------

CAboutDlg::CAboutDlg(QWidget* pParent) : QDialog(pParent) {
  setWindowTitle(tr("About Vexmora"));
  SetControlId(this, 100);
  auto* pTop = new QVBoxLayout(this);
  auto* pRow = new QHBoxLayout;
  pTop->addLayout(pRow);
  auto* pIcon = new QLabel;
  pIcon->setPixmap(Emblem(64));
  pRow->addWidget(pIcon, 0, Qt::AlignTop);
  auto* pTexts = new QVBoxLayout;
  pRow->addLayout(pTexts, 1);
  auto* pVersion = new QLabel;
  SetControlId(pVersion, 1021);
  QFont bold = pVersion->font();
  bold.setBold(true);
  pVersion->setFont(bold);
  pTexts->addWidget(pVersion);
  pTexts->addWidget(new QLabel(tr("Image ideas from your own pictures.")));
  pTexts->addWidget(new QLabel(tr("Free software under the GNU General Public License,\n"
                                  "version 3 or later.")));
  pTop->addLayout(OkCancelRow(this, tr("OK"), QString()));
  SetControlTxt(this, 1021, "%s", kVersionText);
}

void RunAboutDialog(QWidget* pParent) {
  CAboutDlg dlg(pParent);
  dlg.exec();
}
