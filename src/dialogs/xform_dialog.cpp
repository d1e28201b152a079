#include "dialogs/xform_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "dialogs/dialog_toolkit.h"
#include "engine/catalogue.h"
#include "engine/filspec.h"
#include "platform/gdi/font.h"
#include "platform/report.h"

struct CXformDialog::CField {
  std::size_t m_iIndex = 0;
  const FieldDesc* m_pDesc = nullptr;
  std::vector<QWidget*> m_apInputs;  // enabled and disabled with the field
  std::unique_ptr<CRealPair> m_pReal;
  std::unique_ptr<CIntPair> m_pInt;
  QLineEdit* m_pEdit = nullptr;      // the pair's, hex colour's or text's edit
  CColourSwatch* m_pSwatch = nullptr;
  QWidget* m_pColourButton = nullptr;  // a colour's button: a background's only for a colour
  QLabel* m_pFace = nullptr;         // a font's face name
  QLabel* m_pPercent = nullptr;      // a pair's value as a percentage
};

namespace {

QString Text(const char* sz) { return QString::fromUtf8(sz ? sz : ""); }

QLabel* MakeLabel(const char* szText, QWidget* pBuddy) {
  auto* pLabel = new QLabel(Text(szText));
  if (pBuddy) pLabel->setBuddy(pBuddy);
  return pLabel;
}

// Inside a group box of the same title a control needs no label of its own.
bool NamedByGroup(const char* szGroup, const char* szLabel) {
  return szGroup && std::strcmp(szGroup, szLabel ? szLabel : "") == 0;
}

bool IsVerticalPair(const FieldDesc& d) {
  return (d.m_eKind == EField::IntPair || d.m_eKind == EField::RealPair) &&
         d.m_eHint == EHint::Vertical && d.m_bInDialog;
}

// A hex colour field stores RRGGBB; the chooser and the swatch take the
// colour reference it names (red in the low byte). The swap is its own inverse.
COLORREF SwapRedBlue(COLORREF v) {
  return RGB(static_cast<int>((v >> 16) & 0xFF), static_cast<int>((v >> 8) & 0xFF),
             static_cast<int>(v & 0xFF));
}

}  // namespace

CXformDialog::CXformDialog(const CFormRef& form, void* pRecord, QWidget* pParent)
    : QDialog(pParent), m_Form(form), m_pRecord(pRecord) {
  setWindowTitle(Text(form.Caption()));
  SetControlId(this, form.DialogId());
  for (int i = 0; i < kXformCount; ++i)
    if (CFilSpec::IsBuilt(i) && CFilSpec::Form(i).DialogId() == form.DialogId())
      SetHelpTopicAndFitCaption(this, XformHelpTopic(i));
  Build();
  RefreshEnabling();
}

CXformDialog::~CXformDialog() { DisconnectControls(this); }

void CXformDialog::Build() {
  auto* pTop = new QVBoxLayout(this);
  // Columns side by side (a form starts a new one with NextColumn), the
  // buttons below them.
  auto* pColumns = new QHBoxLayout;
  pTop->addLayout(pColumns);
  auto* pColumn = new QVBoxLayout;
  pColumns->addLayout(pColumn, 1);
  std::vector<QBoxLayout*> aStack{pColumn};
  std::vector<const char*> aGroups{nullptr};
  QHBoxLayout* pSliderRow = nullptr;  // neighbouring vertical sliders stand side by side
  for (std::size_t i = 0; i < m_Form.Count(); ++i) {
    const FieldDesc& d = m_Form.Field(i);
    if (!IsVerticalPair(d)) pSliderRow = nullptr;
    if (d.m_eKind == EField::GroupBegin) {
      auto* pBox = new QGroupBox(Text(d.m_szLabel));
      aStack.back()->addWidget(pBox);
      aStack.push_back(new QVBoxLayout(pBox));
      aGroups.push_back(d.m_szLabel ? d.m_szLabel : "");
      continue;
    }
    if (d.m_eKind == EField::GroupEnd) {
      if (aStack.size() > 1) aStack.pop_back(), aGroups.pop_back();
      continue;
    }
    if (d.m_eKind == EField::Note && d.m_eHint == EHint::NextColumn) {
      if (aStack.size() == 1) {
        pColumn->addStretch(1);
        pColumn = new QVBoxLayout;
        pColumns->addLayout(pColumn, 1);
        aStack[0] = pColumn;
      }
      continue;
    }
    if (!d.m_bInDialog) continue;
    QBoxLayout* pInto = aStack.back();
    if (IsVerticalPair(d)) {
      if (!pSliderRow) {
        pSliderRow = new QHBoxLayout;
        pInto->addLayout(pSliderRow);
      }
      pInto = pSliderRow;
    }
    AddField(i, pInto, aGroups.back());
  }
  pColumn->addStretch(1);

  auto* pButtons = new QHBoxLayout;
  pButtons->addStretch(1);
  auto* pOk = new QPushButton(tr("OK"));
  SetControlId(pOk, kIdOk);
  pOk->setDefault(true);
  auto* pCancel = new QPushButton(tr("Cancel"));
  SetControlId(pCancel, kIdCancel);
  pButtons->addWidget(pOk);
  pButtons->addWidget(pCancel);
  pTop->addLayout(pButtons);
  connect(pOk, &QPushButton::clicked, this, &CXformDialog::accept);
  connect(pCancel, &QPushButton::clicked, this, &CXformDialog::reject);
}

void CXformDialog::AddField(std::size_t i, QBoxLayout* pLayout, const char* szGroup) {
  auto pField = std::make_unique<CField>();
  CField& f = *pField;
  f.m_iIndex = i;
  f.m_pDesc = &m_Form.Field(i);
  const FieldDesc& d = *f.m_pDesc;
  void* pValue = m_Form.Address(i, m_pRecord);
  switch (d.m_eKind) {
    case EField::Note: {
      if (d.m_eHint == EHint::FlagList) {
        AddFlagList(f, pLayout);
        break;
      }
      QLabel* pNote = MakeNote(d.m_szLabel);
      if (d.m_iId) SetControlId(pNote, d.m_iId);
      pLayout->addWidget(pNote);
      break;
    }
    case EField::IntPair:
    case EField::RealPair:
      AddPair(f, pLayout, szGroup);
      break;
    case EField::Radios:
    case EField::RadioPair:
      AddRadios(f, pLayout, szGroup != nullptr);
      break;
    case EField::Choice: {
      auto* pCombo = new QComboBox;
      SetControlId(pCombo, d.m_iId);
      for (int k = 0; k < d.m_iOptions; ++k) pCombo->addItem(Text(d.m_aOptions[k].m_szLabel));
      // The list stores the value of its entry (the option's id).
      auto* pInt = static_cast<std::int32_t*>(pValue);
      int iCurrent = -1;
      for (int k = 0; k < d.m_iOptions; ++k)
        if (d.m_aOptions[k].m_iId == *pInt) iCurrent = k;
      pCombo->setCurrentIndex(iCurrent);
      auto* pRow = new QHBoxLayout;
      f.m_apInputs = {pCombo};
      if (!NamedByGroup(szGroup, d.m_szLabel)) {
        QLabel* pLabel = MakeLabel(d.m_szLabel, pCombo);
        pRow->addWidget(pLabel);
        f.m_apInputs.push_back(pLabel);
      }
      pRow->addWidget(pCombo, 1);
      pLayout->addLayout(pRow);
      connect(pCombo, &QComboBox::currentIndexChanged, this, [this, pInt, &d](int k) {
        if (k >= 0 && k < d.m_iOptions) *pInt = d.m_aOptions[k].m_iId;
        RefreshEnabling();
      });
      break;
    }
    case EField::Check:
    case EField::Wizard: {
      auto* pCheck = new QCheckBox(Text(d.m_szLabel));
      SetControlId(pCheck, d.m_iId);
      auto* pInt = static_cast<std::int32_t*>(pValue);
      pCheck->setChecked(*pInt != 0);
      pLayout->addWidget(pCheck);
      f.m_apInputs = {pCheck};
      connect(pCheck, &QCheckBox::toggled, this, [this, pInt](bool b) {
        *pInt = b ? 1 : 0;
        RefreshEnabling();
      });
      break;
    }
    case EField::Colour:
    case EField::HexColour:
    case EField::ColourChoice:
    case EField::Background:
      AddColour(f, pLayout, szGroup);
      break;
    case EField::Font:
      AddFont(f, pLayout);
      break;
    case EField::Text:
      AddText(f, pLayout);
      break;
    case EField::GroupBegin:
    case EField::GroupEnd:
    case EField::Selection:  // never shown
      break;
  }
  m_aFields.push_back(std::move(pField));
}

void CXformDialog::AddPair(CField& f, QBoxLayout* pLayout, const char* szGroup) {
  const FieldDesc& d = *f.m_pDesc;
  void* pValue = m_Form.Address(f.m_iIndex, m_pRecord);
  const bool bVertical = d.m_eHint == EHint::Vertical;
  QSlider* pSlider = MakeSlider(bVertical ? Qt::Vertical : Qt::Horizontal, d.m_iId);
  // A pair shown as a percentage has a static (the second id) in place of
  // its edit; it keeps a hidden edit, which the pair still writes, as does a
  // slider declared without an edit (edit id 0).
  const bool bPercent = d.m_iPercentOf > 0 && d.m_eKind == EField::IntPair;
  QLineEdit* pEdit = MakeEdit(bPercent ? 0 : d.m_iId2, d.m_iEditChars);
  if (!d.m_iId2 || bPercent) pEdit->setVisible(false);
  pEdit->setMinimumWidth(70);  // a whole number even where a column is narrow
  QWidget* pBuddy = d.m_iId2 && !bPercent ? static_cast<QWidget*>(pEdit) : pSlider;
  QLabel* pLabel = NamedByGroup(szGroup, d.m_szLabel) ? nullptr : MakeLabel(d.m_szLabel, pBuddy);
  f.m_pEdit = pEdit;
  f.m_apInputs = {pSlider, pEdit};
  if (pLabel) f.m_apInputs.push_back(pLabel);
  if (bPercent) {
    pEdit->setParent(this);  // never laid out: the dialog still owns it
    pEdit->setVisible(false);
    f.m_pPercent = new QLabel;
    SetControlId(f.m_pPercent, d.m_iId2);
    f.m_pPercent->setAlignment(Qt::AlignCenter);
    f.m_apInputs.push_back(f.m_pPercent);
  }
  // A form may let its edit accept a wider range than the slider's: typed
  // values outside that range are refused, values inside it are limited to
  // the slider's range. Without one every typed value is simply limited.
  const bool bWiderEdit = d.m_dHardMin < d.m_dMin || d.m_dHardMax > d.m_dMax;

  if (d.m_eKind == EField::RealPair) {
    f.m_pReal = std::make_unique<CRealPair>(static_cast<double*>(pValue), d.m_dMin, d.m_dMax,
                                            pSlider, pEdit, bVertical, d.m_szFormat);
    f.m_pReal->SetSteps(d.m_iSliderSteps);
    if (bWiderEdit) f.m_pReal->SetAcceptedRange(d.m_dHardMin, d.m_dHardMax);
    f.m_pReal->ShowPair();
    connect(pSlider, &QSlider::valueChanged, this, [this, &f] {
      f.m_pReal->SliderToPair();
      RefreshEnabling();
    });
  } else {
    f.m_pInt = std::make_unique<CIntPair>(static_cast<std::int32_t*>(pValue),
                                          static_cast<int>(d.m_dMin), static_cast<int>(d.m_dMax),
                                          pSlider, pEdit, bVertical);
    f.m_pInt->SetAcceptedRange(bWiderEdit ? static_cast<int>(d.m_dHardMin) : INT_MIN,
                               bWiderEdit ? static_cast<int>(d.m_dHardMax) : INT_MAX);
    f.m_pInt->ShowPair();
    connect(pSlider, &QSlider::valueChanged, this, [this, &f] {
      f.m_pInt->SliderToPair();
      HoldPair(f);
      RefreshEnabling();
    });
  }
  connect(pEdit, &QLineEdit::editingFinished, this, [this, &f] {
    TakeEdit(f, true);
    RefreshEnabling();
  });
  if (f.m_pPercent) ShowPercent(f);

  // The texts at the slider's ends (the maximum at the top of a vertical one).
  QLabel* pMin = d.m_szMinLabel ? new QLabel(Text(d.m_szMinLabel)) : nullptr;
  QLabel* pMax = d.m_szMaxLabel ? new QLabel(Text(d.m_szMaxLabel)) : nullptr;
  for (QLabel* pEnd : {pMin, pMax})
    if (pEnd) f.m_apInputs.push_back(pEnd);

  if (bVertical) {
    auto* pColumn = new QVBoxLayout;
    if (pLabel) pColumn->addWidget(pLabel, 0, Qt::AlignHCenter);
    if (pMax) pColumn->addWidget(pMax, 0, Qt::AlignHCenter);
    pColumn->addWidget(pSlider, 1, Qt::AlignHCenter);
    if (pMin) pColumn->addWidget(pMin, 0, Qt::AlignHCenter);
    pColumn->addWidget(f.m_pPercent ? static_cast<QWidget*>(f.m_pPercent) : pEdit);
    pLayout->addLayout(pColumn);
  } else {
    if (pLabel) pLayout->addWidget(pLabel);
    auto* pRow = new QHBoxLayout;
    if (pMin) pRow->addWidget(pMin);
    pRow->addWidget(pSlider, 1);
    if (pMax) pRow->addWidget(pMax);
    pRow->addWidget(f.m_pPercent ? static_cast<QWidget*>(f.m_pPercent) : pEdit);
    pLayout->addLayout(pRow);
  }
}

void CXformDialog::HoldPair(CField& f) {
  if (!f.m_pInt) return;
  auto* pInt = static_cast<std::int32_t*>(m_Form.Address(f.m_iIndex, m_pRecord));
  int iLow = 0, iHigh = 0;
  m_Form.HeldRange(f.m_iIndex, m_pRecord, iLow, iHigh);
  // Stopped at the upper neighbour first, so a disordered record gives way
  // downwards.
  const int iHeld = std::max(iLow, std::min<int>(*pInt, iHigh));
  if (iHeld != *pInt) {
    *pInt = iHeld;
    f.m_pInt->ShowPair();
  }
  ShowPercent(f);
}

void CXformDialog::ShowPercent(CField& f) {
  const int iFull = f.m_pDesc->m_iPercentOf;
  if (!f.m_pPercent || iFull <= 0) return;
  const auto* pInt = static_cast<const std::int32_t*>(m_Form.Address(f.m_iIndex, m_pRecord));
  f.m_pPercent->setText(QString::asprintf("%d%%", static_cast<int>(*pInt * 100LL / iFull)));
}

void CXformDialog::AddFlagList(CField& f, QBoxLayout* pLayout) {
  const FieldDesc& d = *f.m_pDesc;
  std::int32_t* pFirst = m_Form.Member(f.m_iIndex, m_pRecord, CFormRef::EMember::FirstFlag);
  std::int32_t* pSecond = m_Form.Member(f.m_iIndex, m_pRecord, CFormRef::EMember::SecondFlag);
  auto* pCombo = new QComboBox;
  SetControlId(pCombo, d.m_iId);
  for (int k = 0; k < d.m_iOptions; ++k) pCombo->addItem(Text(d.m_aOptions[k].m_szLabel));
  const int iCode = (*pFirst ? 1 : 0) | (*pSecond ? 2 : 0);
  int iCurrent = -1;
  for (int k = 0; k < d.m_iOptions; ++k)
    if (d.m_aOptions[k].m_iId == iCode) iCurrent = k;
  for (int k = 0; k < d.m_iOptions && iCurrent < 0; ++k)
    if (d.m_aOptions[k].m_iId == (iCode & 1)) iCurrent = k;
  pCombo->setCurrentIndex(iCurrent);
  f.m_apInputs = {pCombo};
  auto* pRow = new QHBoxLayout;
  if (d.m_szLabel && *d.m_szLabel) {
    QLabel* pLabel = MakeLabel(d.m_szLabel, pCombo);
    pRow->addWidget(pLabel);
    f.m_apInputs.push_back(pLabel);
  }
  pRow->addWidget(pCombo, 1);
  pLayout->addLayout(pRow);
  connect(pCombo, &QComboBox::currentIndexChanged, this, [this, pFirst, pSecond, &d](int k) {
    if (k < 0 || k >= d.m_iOptions) return;
    *pFirst = (d.m_aOptions[k].m_iId & 1) ? 1 : 0;
    *pSecond = (d.m_aOptions[k].m_iId & 2) ? 1 : 0;
    RefreshEnabling();
  });
}

void CXformDialog::AddRadios(CField& f, QBoxLayout* pLayout, bool bInGroup) {
  const FieldDesc& d = *f.m_pDesc;
  auto* pInt = static_cast<std::int32_t*>(m_Form.Address(f.m_iIndex, m_pRecord));
  QWidget* pHost = new QWidget;
  if (!bInGroup && d.m_szLabel && *d.m_szLabel) {
    auto* pBox = new QGroupBox(Text(d.m_szLabel));
    pLayout->addWidget(pBox);
    (new QVBoxLayout(pBox))->addWidget(pHost);
  } else {
    pLayout->addWidget(pHost);
  }
  QGridLayout* pGrid = new QGridLayout(pHost);
  pGrid->setContentsMargins(0, 0, 0, 0);
  // Radios store the checked button's id; a radio pair stores 0 or 1 (its
  // first or second button).
  if (d.m_eKind == EField::RadioPair) {
    AddFlagRadios(f, pInt, pGrid);
    return;
  }
  auto* pGroup = new QButtonGroup(this);
  // Options declared with a group title stand in a group box of that title
  // (one box for a run of options of the same title).
  int iRow = 0, iBoxRow = 0;
  const char* szBox = nullptr;
  QGridLayout* pBoxGrid = nullptr;
  for (int k = 0; k < d.m_iOptions; ++k) {
    const RadioOption& o = d.m_aOptions[k];
    auto* pButton = new QRadioButton(Text(o.m_szLabel));
    SetControlId(pButton, o.m_iId);
    pButton->setChecked(*pInt == o.m_iId);
    pGroup->addButton(pButton, o.m_iId);
    if (d.m_eHint == EHint::Compass) {
      pGrid->addWidget(pButton, k / 3, k % 3);
    } else if (o.m_szGroup) {
      if (!szBox || std::strcmp(szBox, o.m_szGroup) != 0) {
        auto* pBox = new QGroupBox(Text(o.m_szGroup));
        pGrid->addWidget(pBox, iRow++, 0);
        pBoxGrid = new QGridLayout(pBox);
        szBox = o.m_szGroup;
        iBoxRow = 0;
      }
      pBoxGrid->addWidget(pButton, iBoxRow++, 0);
    } else {
      szBox = nullptr;
      pGrid->addWidget(pButton, iRow++, 0);
    }
    f.m_apInputs.push_back(pButton);
  }
  connect(pGroup, &QButtonGroup::idClicked, this, [this, pInt](int iId) {
    *pInt = iId;
    RefreshEnabling();
  });
}

void CXformDialog::AddFlagRadios(CField& f, std::int32_t* pFlag, QGridLayout* pGrid) {
  const FieldDesc& d = *f.m_pDesc;
  auto* pGroup = new QButtonGroup(this);
  // The two buttons in the order of their ids, as the dialog's resource has
  // them; the first declared one clears the flag, the second sets it.
  const bool bSwap = d.m_aOptions[1].m_iId < d.m_aOptions[0].m_iId;
  for (int iRow = 0; iRow < 2; ++iRow) {
    const int k = bSwap ? 1 - iRow : iRow;
    const RadioOption& o = d.m_aOptions[k];
    auto* pButton = new QRadioButton(Text(o.m_szLabel));
    SetControlId(pButton, o.m_iId);
    pButton->setChecked((*pFlag != 0) == (k == 1));
    pGroup->addButton(pButton, k);
    pGrid->addWidget(pButton, iRow, 0);
    f.m_apInputs.push_back(pButton);
  }
  connect(pGroup, &QButtonGroup::idClicked, this, [this, pFlag](int k) {
    *pFlag = k;
    RefreshEnabling();
  });
}

void CXformDialog::AddColour(CField& f, QBoxLayout* pLayout, const char* szGroup) {
  const FieldDesc& d = *f.m_pDesc;
  void* pValue = m_Form.Address(f.m_iIndex, m_pRecord);
  COLORREF* pColour = d.m_eKind == EField::Background
                          ? &static_cast<BackgroundSpec*>(pValue)->m_crColour
                          : static_cast<COLORREF*>(pValue);
  auto* pRow = new QHBoxLayout;
  const bool bHex = d.m_eKind == EField::HexColour;
  f.m_pSwatch = new CColourSwatch;
  SetControlId(f.m_pSwatch, d.m_iId2);
  f.m_pSwatch->SetColour(bHex ? SwapRedBlue(*pColour) : *pColour);

  QPushButton* pButton = nullptr;
  if (bHex) {
    f.m_pEdit = MakeEdit(d.m_iId3, d.m_iEditChars);
    f.m_pEdit->setText(HexColourText(*pColour));
    pButton = new QPushButton(tr("Choose..."));
    f.m_apInputs = {f.m_pEdit};
    if (!NamedByGroup(szGroup, d.m_szLabel)) {
      QLabel* pLabel = MakeLabel(d.m_szLabel, f.m_pEdit);
      pRow->addWidget(pLabel);
      f.m_apInputs.push_back(pLabel);
    }
    pRow->addWidget(f.m_pEdit);
    connect(f.m_pEdit, &QLineEdit::editingFinished, this, [this, &f] {
      TakeEdit(f, true);
      RefreshEnabling();
    });
  } else {
    pButton = new QPushButton(Text(d.m_szLabel));
  }
  f.m_pColourButton = pButton;
  SetControlId(pButton, d.m_iId);
  pRow->addWidget(pButton);
  pRow->addWidget(f.m_pSwatch);
  connect(pButton, &QPushButton::clicked, this, [this, &f, pColour, bHex] {
    COLORREF cr = bHex ? SwapRedBlue(*pColour) : *pColour;
    if (!ChooseColour(this, cr)) return;
    *pColour = bHex ? SwapRedBlue(cr) : cr;
    f.m_pSwatch->SetColour(cr);
    if (f.m_pEdit) f.m_pEdit->setText(HexColourText(*pColour));
    RefreshEnabling();
  });

  // The flag of a colour choice or a background (use the picture): two radio
  // buttons, or a check box, when the form shows it.
  std::int32_t* pFlag = m_Form.FlagAddress(f.m_iIndex, m_pRecord);
  if (pFlag && d.m_iOptions == 2) {
    auto* pRadios = new QWidget;
    auto* pGrid = new QGridLayout(pRadios);
    pGrid->setContentsMargins(0, 0, 0, 0);
    AddFlagRadios(f, pFlag, pGrid);
    pLayout->addWidget(pRadios);
  } else if (pFlag && d.m_iId3 && !bHex) {
    auto* pCheck = new QCheckBox(Text(d.m_szFlagLabel));
    SetControlId(pCheck, d.m_iId3);
    pCheck->setChecked(*pFlag != 0);
    pRow->addWidget(pCheck);
    f.m_apInputs.push_back(pCheck);
    connect(pCheck, &QCheckBox::toggled, this, [this, pFlag](bool b) {
      *pFlag = b ? 1 : 0;
      RefreshEnabling();
    });
  }
  pRow->addStretch(1);
  pLayout->addLayout(pRow);
}

void CXformDialog::AddText(CField& f, QBoxLayout* pLayout) {
  const FieldDesc& d = *f.m_pDesc;
  auto* pBytes = static_cast<char*>(m_Form.Address(f.m_iIndex, m_pRecord));
  const std::size_t iSize = static_cast<std::size_t>(d.m_iSize);
  // One byte of the member is the terminator.
  const int iChars = std::min(d.m_iEditChars, d.m_iSize - 1);
  f.m_pEdit = MakeEdit(d.m_iId, iChars);
  f.m_pEdit->setMaximumWidth(QWIDGETSIZE_MAX);
  f.m_pEdit->setAlignment(Qt::AlignLeft);
  f.m_pEdit->setValidator(new CWindows1252Validator(f.m_pEdit));
  QLabel* pLabel = MakeLabel(d.m_szLabel, f.m_pEdit);
  f.m_apInputs = {pLabel, f.m_pEdit};
  // A member without its terminator cannot be shown faithfully.
  if (iSize == 0 || strnlen(pBytes, iSize) >= iSize)
    f.m_pEdit->setText(QStringLiteral("Errors"));
  else
    f.m_pEdit->setText(FromWindows1252(pBytes));
  auto* pRow = new QHBoxLayout;
  pRow->addWidget(pLabel);
  pRow->addWidget(f.m_pEdit, 1);
  pLayout->addLayout(pRow);
  // Every change of the text is taken at once.
  connect(f.m_pEdit, &QLineEdit::textEdited, this, [this, pBytes, iSize](const QString& cs) {
    std::string csBytes;
    if (iSize == 0 || !ToWindows1252(cs, csBytes)) return;
    if (csBytes.size() >= iSize) csBytes.resize(iSize - 1);
    std::memset(pBytes, 0, iSize);
    std::memcpy(pBytes, csBytes.data(), csBytes.size());
    RefreshEnabling();
  });
}

void CXformDialog::AddFont(CField& f, QBoxLayout* pLayout) {
  const FieldDesc& d = *f.m_pDesc;
  auto* pFont = static_cast<LOGFONT*>(m_Form.Address(f.m_iIndex, m_pRecord));
  auto* pButton = new QPushButton(Text(d.m_szLabel));
  SetControlId(pButton, d.m_iId);
  f.m_pFace = new QLabel(FontFaceText(*pFont));
  SetControlId(f.m_pFace, d.m_iId2);
  f.m_pFace->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  f.m_pFace->setMinimumWidth(160);
  f.m_apInputs = {pButton};
  auto* pRow = new QHBoxLayout;
  pRow->addWidget(pButton);
  pRow->addWidget(f.m_pFace, 1);
  pLayout->addLayout(pRow);
  connect(pButton, &QPushButton::clicked, this, [this, &f, pFont] {
    if (!ChooseFont(this, *pFont)) return;
    f.m_pFace->setText(FontFaceText(*pFont));
    RefreshEnabling();
  });
}

bool CXformDialog::TakeEdit(CField& f, bool bOnlyModified) {
  if (!f.m_pEdit || (bOnlyModified && !f.m_pEdit->isModified())) return true;
  bool bOk = true;
  if (f.m_pReal)
    bOk = f.m_pReal->EditToPair();
  else if (f.m_pInt) {
    bOk = f.m_pInt->EditToPair();
    HoldPair(f);
  } else if (f.m_pDesc->m_eKind == EField::HexColour) {
    auto* pColour = static_cast<COLORREF*>(m_Form.Address(f.m_iIndex, m_pRecord));
    *pColour = ParseHexColour(f.m_pEdit->text());
    f.m_pEdit->setText(HexColourText(*pColour));
    f.m_pSwatch->SetColour(SwapRedBlue(*pColour));
  }
  f.m_pEdit->setModified(false);
  return bOk;
}

void CXformDialog::RefreshEnabling() {
  for (const auto& pField : m_aFields) {
    const bool bEnabled = m_Form.IsEnabled(pField->m_iIndex, m_pRecord);
    for (QWidget* pInput : pField->m_apInputs) pInput->setEnabled(bEnabled);
    if (pField->m_pColourButton)
      pField->m_pColourButton->setEnabled(m_Form.IsColourEnabled(pField->m_iIndex, m_pRecord));
  }
}

void CXformDialog::accept() {
  // Edits the user changed but never left are taken now; a refused value
  // keeps the dialog open on that edit. The hex colours are read once more.
  for (const auto& pField : m_aFields) {
    const bool bHex = pField->m_pDesc->m_eKind == EField::HexColour;
    if (!TakeEdit(*pField, !bHex)) {
      pField->m_pEdit->setFocus();
      return;
    }
  }
  RefreshEnabling();
  if (m_fnOkCheck && !m_fnOkCheck(m_pRecord)) return;
  QDialog::accept();
}

bool RunXformDialog(QWidget* pParent, const CFormRef& form, void* pRecord,
                    const CXformDialog::OkCheckFn& fnOkCheck) {
  if (form.IsEmpty() || !pRecord) return false;
  // The dialog works on a copy, so Cancel leaves the record as it was.
  std::vector<unsigned char> aCopy(form.RecordSize());
  std::memcpy(aCopy.data(), pRecord, aCopy.size());
  CXformDialog dlg(form, aCopy.data(), pParent);
  dlg.SetOkCheck(fnOkCheck);
  if (dlg.exec() != QDialog::Accepted) return false;
  std::memcpy(pRecord, aCopy.data(), aCopy.size());
  return true;
}

int OCP(QWidget* pParent, CFilSpec& spec) {
  const int iXform = spec.m_iXform;
  if (iXform < 0 || iXform >= kXformCount || !CFilSpec::IsBuilt(iXform)) {
    ReportError("CFilSpec::OCP, Xforms %d not\n(yet) supported", iXform);
    return 0;
  }
  // The Xform's own check on OK: its message keeps the dialog open.
  auto fnCheck = [iXform](void* pRecord) {
    const char* szMessage = CFilSpec::CheckSettings(iXform, pRecord);
    if (szMessage) ReportError("%s", szMessage);
    return szMessage == nullptr;
  };
  if (!RunXformDialog(pParent, CFilSpec::Form(iXform), spec.Record(iXform), fnCheck)) return 0;
  const std::int32_t* pWizard = spec.WizardFlag(iXform);
  if (pWizard && *pWizard == 0) spec.m_bWizardAll = 0;
  return 1;
}
