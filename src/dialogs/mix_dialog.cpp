#include "dialogs/mix_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

#include "dialogs/dialog_toolkit.h"
#include "imaging/dadc.h"
#include "imaging/force_field.h"
#include "platform/report.h"

// The framed static in which the preview is stretched (inside the frame,
// right and bottom edges moved in by 2 pixels).
class CPreviewFrame : public QFrame {
 public:
  explicit CPreviewFrame(QWidget* pParent = nullptr) : QFrame(pParent) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setMinimumSize(196, 148);
  }
  void SetPicture(const CDADC* pPicture) {
    m_image = pPicture ? SurfaceToImage(*pPicture) : QImage();
    update();
  }

 protected:
  void paintEvent(QPaintEvent* pEvent) override {
    QFrame::paintEvent(pEvent);
    if (m_image.isNull()) return;
    QPainter painter(this);
    painter.drawImage(rect().adjusted(2, 2, -2, -2), m_image);
  }

 private:
  QImage m_image;
};

namespace {

constexpr int kIdDefault = 3;
constexpr int kIdInvert = 1105;
constexpr int kIdHueSlider = 1067, kIdSatSlider = 1069, kIdValSlider = 1076;
constexpr int kIdSmoothSlider = 1129;
constexpr int kIdHueEdit = 1052, kIdSatEdit = 1053, kIdValEdit = 1054;
constexpr int kIdPreview = 1075, kIdSwatch = 1077;
constexpr int kSmoothMax = 8;

constexpr int kIdMixSlider = 1099, kIdMixEdit = 1101, kIdMixLabel = 1102, kIdAdvanced = 1134;

}  // namespace

// ---- Advanced area selection -----------------------------------------------------

CAreaSelectionDlg::CAreaSelectionDlg(const AreaSelection& sel, QWidget* pParent,
                                     bool bOfferApplyNow)
    : QDialog(pParent), m_Selection(sel) {
  setWindowTitle(tr("Advanced area selection"));
  SetHelpTopicAndFitCaption(this, QStringLiteral("selection.html"));
  SetControlId(this, 154);
  m_dHue = sel.m_dHue;
  m_dSat = sel.m_dSat;
  m_dVal = sel.m_dVal;
  m_bInvert = sel.m_bInvert;

  auto* pTop = new QVBoxLayout(this);
  auto* pMain = new QHBoxLayout;
  pTop->addLayout(pMain);

  // Four vertical sliders: hue, saturation, value (pairs with an edit each)
  // and smoothing, whose top end is the maximum.
  auto* pSliders = new QGridLayout;
  pMain->addLayout(pSliders);
  struct Column {
    const char* szLabel;
    int iSlider, iEdit;
    double* pVal;
    double dMax;
    std::unique_ptr<CRealPair>* ppPair;
  };
  const Column aColumns[] = {{"Hue", kIdHueSlider, kIdHueEdit, &m_dHue, 359.9, &m_pHue},
                             {"Sat", kIdSatSlider, kIdSatEdit, &m_dSat, 1.0, &m_pSat},
                             {"Val", kIdValSlider, kIdValEdit, &m_dVal, 1.0, &m_pVal}};
  int iColumn = 0;
  for (const Column& c : aColumns) {
    QSlider* pSlider = MakeSlider(Qt::Vertical, c.iSlider);
    pSlider->setMinimumHeight(150);
    QLineEdit* pEdit = MakeEdit(c.iEdit, 8);
    pEdit->setMaximumWidth(64);
    auto* pLabel = new QLabel(tr(c.szLabel));
    pLabel->setBuddy(pEdit);
    pSliders->addWidget(pLabel, 0, iColumn, Qt::AlignHCenter);
    pSliders->addWidget(pSlider, 1, iColumn, Qt::AlignHCenter);
    pSliders->addWidget(pEdit, 2, iColumn);
    *c.ppPair = std::make_unique<CRealPair>(c.pVal, 0.0, c.dMax, pSlider, pEdit, true);
    (*c.ppPair)->ShowPair();
    connect(pSlider, &QSlider::valueChanged, this, [this] {
      SlidersToValues();
      RefreshPreview();
    });
    CRealPair* pPair = c.ppPair->get();
    connect(pEdit, &QLineEdit::editingFinished, this, [this, pPair] {
      if (!pPair->EditModified()) return;
      pPair->EditToPair();
      RefreshPreview();
    });
    ++iColumn;
  }
  m_pSmooth = MakeSlider(Qt::Vertical, kIdSmoothSlider);
  m_pSmooth->setRange(0, kSmoothMax);
  m_pSmooth->setPageStep(1);
  m_pSmooth->setValue(kSmoothMax - m_Selection.m_iSmooth);
  auto* pSmoothColumn = new QVBoxLayout;
  pSmoothColumn->addWidget(new QLabel(tr("Max")), 0, Qt::AlignHCenter);
  pSmoothColumn->addWidget(m_pSmooth, 1, Qt::AlignHCenter);
  pSliders->addWidget(new QLabel(tr("Smooth")), 0, iColumn, Qt::AlignHCenter);
  pSliders->addLayout(pSmoothColumn, 1, iColumn);
  connect(m_pSmooth, &QSlider::valueChanged, this, [this] {
    SlidersToValues();
    RefreshPreview();
  });

  // The preview, the selection colour and the two switches.
  auto* pRight = new QVBoxLayout;
  pMain->addLayout(pRight);
  m_pFrame = new CPreviewFrame;
  SetControlId(m_pFrame, kIdPreview);
  pRight->addWidget(m_pFrame, 1);
  m_pSwatch = new CColourSwatch;
  SetControlId(m_pSwatch, kIdSwatch);
  m_pSwatch->setMinimumHeight(24);
  pRight->addWidget(m_pSwatch);
  auto* pSwitches = new QHBoxLayout;
  QPushButton* pDefault = MakeButton(tr("&Default"), kIdDefault);
  m_pInvert = new QCheckBox(tr("&Invert"));
  SetControlId(m_pInvert, kIdInvert);
  m_pInvert->setChecked(m_bInvert != 0);
  pSwitches->addWidget(pDefault);
  pSwitches->addWidget(m_pInvert);
  pSwitches->addStretch(1);
  pRight->addLayout(pSwitches);
  connect(pDefault, &QPushButton::clicked, this, &CAreaSelectionDlg::OnDefault);
  connect(m_pInvert, &QCheckBox::toggled, this, &CAreaSelectionDlg::OnInvert);

  pTop->addWidget(MakeNote("F1 for help with advanced selection"));
  pTop->addLayout(MakeEndButtons(this, tr("&Set"), tr("Apply &Now"), &m_bApplyNow, bOfferApplyNow));
  RefreshPreview();
}

CAreaSelectionDlg::~CAreaSelectionDlg() { DisconnectControls(this); }

int CAreaSelectionDlg::SetupPreview(const CDADC* pOriginal, int iDivisor) {
  if (!pOriginal || !pOriginal->IsValid()) return ReportError("Bad pOrgDC handle"), 0;
  // A divisor of 0 would divide by zero.
  if (iDivisor < 1 || iDivisor > 64) return ReportError("Bad divisor : %d", iDivisor), 0;
  const int w = pOriginal->m_iWidth / iDivisor, h = pOriginal->m_iHeight / iDivisor;
  std::unique_ptr<CDADC> apSurface[2];
  for (auto& p : apSurface) {
    if (w > 0 && h > 0) p = std::make_unique<CDADC>(w, h);
    if (!p || !p->IsValid()) return ReportError("CCD: Could not initdata"), 0;
    p->m_pDC->SetStretchBltMode(COLORONCOLOR);
    if (!p->m_pDC->StretchBlt(0, 0, w, h, *pOriginal->m_pDC, 0, 0, pOriginal->m_iWidth,
                              pOriginal->m_iHeight, SRCCOPY))
      return ReportError("Could not stretch blit for thumbnail"), 0;
  }
  m_pSmall = std::move(apSurface[0]);
  m_pPreview = std::move(apSurface[1]);
  RefreshPreview();
  return 1;
}

COLORREF CAreaSelectionDlg::WorkingColour() const {
  AreaSelection sel;
  sel.SetHsv(m_dHue, m_dSat, m_dVal);
  return sel.GetColour();
}

int CAreaSelectionDlg::SmoothingFromSlider() const { return kSmoothMax - m_pSmooth->value(); }

void CAreaSelectionDlg::SlidersToValues() {
  m_pHue->SliderToPair();
  m_pSat->SliderToPair();
  m_pVal->SliderToPair();
}

void CAreaSelectionDlg::RefreshPreview() {
  if (m_pSwatch) m_pSwatch->SetColour(WorkingColour());
  if (!m_pSmall || !m_pPreview) return;
  // The preview is small, so it is smoothed half as much.
  AreaSelection sel;
  sel.SetHsv(m_dHue, m_dSat, m_dVal);
  sel.m_iSmooth = SmoothingFromSlider() / 2;
  sel.m_bInvert = m_bInvert;
  if (!ShowForceField(m_pPreview.get(), m_pSmall.get(), sel)) {
    ReportError("ERROR UT::AHRF, oops!");
    return;
  }
  m_pFrame->SetPicture(m_pPreview.get());
}

void CAreaSelectionDlg::OnInvert(bool bChecked) {
  m_bInvert = bChecked ? 1 : 0;
  m_Selection.m_bInvert = m_bInvert;
  RefreshPreview();
}

void CAreaSelectionDlg::OnDefault() {
  m_Selection.Reset();
  m_dHue = m_Selection.m_dHue;
  m_dSat = m_Selection.m_dSat;
  m_dVal = m_Selection.m_dVal;
  m_bInvert = 0;
  Quietly(m_pInvert, [](QCheckBox* p) { p->setChecked(false); });
  Quietly(m_pSmooth, [](QSlider* p) { p->setValue(kSmoothMax); });
  m_pHue->ValueToPair();
  m_pSat->ValueToPair();
  m_pVal->ValueToPair();
  RefreshPreview();
}

void CAreaSelectionDlg::accept() {
  // An edit the user changed but never left is taken first.
  for (CRealPair* pPair : {m_pHue.get(), m_pSat.get(), m_pVal.get()})
    if (pPair->EditModified()) pPair->EditToPair();
  m_Selection.SetHsv(m_dHue, m_dSat, m_dVal);
  m_Selection.SetSmooth(SmoothingFromSlider());
  m_Selection.m_bInvert = m_pInvert->isChecked() ? 1 : 0;
  QDialog::accept();
}

EDialogEnd CAreaSelectionDlg::End() const { return DialogEnd(*this, m_bApplyNow); }

EDialogEnd RunAreaSelectionDialog(QWidget* pParent, AreaSelection& sel, const CDADC* pOriginal,
                                  bool bOfferApplyNow) {
  CAreaSelectionDlg dlg(sel, pParent, bOfferApplyNow);
  if (pOriginal) dlg.SetupPreview(pOriginal, pOriginal->PreviewDivisor());
  dlg.exec();
  if (dlg.End() != EDialogEnd::Cancel) sel = dlg.Selection();
  return dlg.End();
}

// ---- Mix Settings --------------------------------------------------------------

CMixDlg::CMixDlg(const MixSettings& mix, QWidget* pParent)
    : QDialog(pParent), m_iMixMode(mix.m_iMixMode), m_Selection(mix.m_Selection),
      // A stored percentage outside 1..99 would be refused on OK even while
      // its edit is disabled, leaving no way out but Cancel.
      m_iPercent(std::clamp<int>(mix.m_iPercent, 1, 99)) {
  setWindowTitle(tr("Mix Settings"));
  SetHelpTopicAndFitCaption(this, QStringLiteral("mix.html"));
  SetControlId(this, 169);
  auto* pTop = new QVBoxLayout(this);
  auto* pColumns = new QHBoxLayout;
  pTop->addLayout(pColumns);

  m_pModes = new QButtonGroup(this);
  auto radio = [this](const QString& csText, int iId) {
    auto* pButton = new QRadioButton(csText);
    SetControlId(pButton, iId);
    m_pModes->addButton(pButton, iId);
    return pButton;
  };
  auto* pLeft = new QVBoxLayout;
  pColumns->addLayout(pLeft);
  pLeft->addWidget(radio(tr("&Off"), MIX_OFF));
  pLeft->addWidget(radio(tr("&Even Mix"), MIX_EVEN));
  pLeft->addWidget(radio(tr("&Left Right"), MIX_LEFT_RIGHT));
  pLeft->addWidget(radio(tr("&Right Left"), MIX_RIGHT_LEFT));
  pLeft->addWidget(radio(tr("&Top Bottom"), MIX_TOP_BOTTOM));
  pLeft->addWidget(radio(tr("&Bottom Top"), MIX_BOTTOM_TOP));
  pLeft->addStretch(1);

  auto* pRight = new QVBoxLayout;
  pColumns->addLayout(pRight);
  auto* pCircular = new QGroupBox(tr("Circular"));
  auto* pCircularLayout = new QVBoxLayout(pCircular);
  pCircularLayout->addWidget(radio(tr("&Center Out"), MIX_CIRCLE_OUT));
  pCircularLayout->addWidget(radio(tr("O&uter In"), MIX_CIRCLE_IN));
  pRight->addWidget(pCircular);
  auto* pElliptical = new QGroupBox(tr("Elliptical"));
  auto* pEllipticalLayout = new QVBoxLayout(pElliptical);
  pEllipticalLayout->addWidget(radio(tr("Center Out"), MIX_ELLIPSE_OUT));
  pEllipticalLayout->addWidget(radio(tr("Outer In"), MIX_ELLIPSE_IN));
  pRight->addWidget(pElliptical);
  pRight->addWidget(radio(tr("&Hsv"), MIX_HSV));
  m_pAdvanced = MakeButton(tr("Advanced Selection..."), kIdAdvanced);
  pRight->addWidget(m_pAdvanced);

  // The percentage: edit and slider, with its label under them.
  m_pEdit = MakeEdit(kIdMixEdit, 3);
  m_pSlider = MakeSlider(Qt::Horizontal, kIdMixSlider);
  m_pLabel = new QLabel;
  SetControlId(m_pLabel, kIdMixLabel);
  auto* pPercentRow = new QHBoxLayout;
  pPercentRow->addWidget(m_pEdit);
  pPercentRow->addWidget(m_pSlider, 1);
  pTop->addLayout(pPercentRow);
  pTop->addWidget(m_pLabel);
  m_pPair = std::make_unique<CIntPair>(&m_iPercent, 1, 99, m_pSlider, m_pEdit);
  // Leaving the edit limits whatever was typed to 1..99.
  m_pPair->ShowPair();

  pTop->addWidget(MakeNote("F1 for help on mixing"));
  pTop->addLayout(MakeEndButtons(this, tr("Set"), tr("Apply &Now"), &m_bApplyNow));

  connect(m_pModes, &QButtonGroup::idClicked, this, [this](int iId) {
    m_iMixMode = iId;
    ShowData();
  });
  connect(m_pSlider, &QSlider::valueChanged, this, [this] {
    m_pPair->SliderToPair();
    ShowData();
  });
  connect(m_pEdit, &QLineEdit::editingFinished, this, [this] {
    if (m_pEdit->isModified()) m_pPair->EditToPair();
  });
  connect(m_pAdvanced, &QPushButton::clicked, this, &CMixDlg::OnAdvancedSelection);
  ShowData();
}

CMixDlg::~CMixDlg() { DisconnectControls(this); }

void CMixDlg::SetupDCs(const CDADC* pOriginal) {
  if (!pOriginal) {
    ReportError("ERRORE,pOrg==NULL in CMixDlg::SetupDCs");
    return;
  }
  m_pOrg = pOriginal;
}

void CMixDlg::ShowData() {
  if (QAbstractButton* pButton = m_pModes->button(m_iMixMode)) {
    Quietly(pButton, [](QAbstractButton* p) { p->setChecked(true); });
  } else if (QAbstractButton* pChecked = m_pModes->checkedButton()) {
    // A stored mode outside the table checks no button.
    m_pModes->setExclusive(false);
    pChecked->setChecked(false);
    m_pModes->setExclusive(true);
  }
  const bool bPercent = m_iMixMode != MIX_OFF && m_iMixMode != MIX_HSV;
  m_pSlider->setEnabled(bPercent);
  m_pEdit->setEnabled(bPercent);
  m_pAdvanced->setEnabled(m_iMixMode == MIX_HSV);
  if (m_iMixMode == MIX_EVEN)
    SetControlTxt(this, kIdMixLabel, "%% of original");
  else if (m_iMixMode == MIX_HSV)
    SetControlTxt(this, kIdMixLabel, "%s", "");
  else
    SetControlTxt(this, kIdMixLabel, "mix sharpness(%%)");
  if (!m_pEdit->isModified())
    Quietly(m_pEdit, [this](QLineEdit* p) { p->setText(QString::number(m_iPercent)); });
}

void CMixDlg::OnAdvancedSelection() {
  if (!m_pOrg) {
    ReportError("CMixDlg::OnHlsBut, NULL ptr");
    return;
  }
  RunAreaSelectionDialog(this, m_Selection, m_pOrg, false);
}

void CMixDlg::accept() {
  // The percentage as typed must lie in 1..99.
  bool bNumber = false;
  const long long v = m_pEdit->text().trimmed().toLongLong(&bNumber);
  if (!bNumber) {
    ReportError("Please enter an integer.");
    m_pEdit->setFocus();
    return;
  }
  if (v < 1 || v > 99) {
    ReportError("Please enter an integer between %d and %d.", 1, 99);
    m_pEdit->setFocus();
    return;
  }
  m_iPercent = static_cast<int>(v);
  QDialog::accept();
}

MixSettings CMixDlg::Settings() const {
  MixSettings mix;
  mix.m_iMixMode = m_iMixMode;
  mix.m_Selection = m_Selection;
  mix.m_iPercent = m_iPercent;
  return mix;
}

EDialogEnd CMixDlg::End() const { return DialogEnd(*this, m_bApplyNow); }

EDialogEnd RunMixDialog(QWidget* pParent, MixSettings& mix, const CDADC* pOriginal) {
  CMixDlg dlg(mix, pParent);
  dlg.SetupDCs(pOriginal);
  dlg.exec();
  if (dlg.End() != EDialogEnd::Cancel) mix = dlg.Settings();
  return dlg.End();
}
