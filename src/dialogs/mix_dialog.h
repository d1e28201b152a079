// "Mix Settings" (how the Xform's picture is mixed back with the original)
// and "Advanced area selection" (which colours of the original the Xforms,
// or the Hsv mix, favour), with a live grey preview of the selection's force
// field on a small copy of the original. Both work on copies of the settings
// and tell the caller whether they ended with "Set" or "Apply Now".
#pragma once

#include <QDialog>

#include <memory>

#include "dialogs/dialog_toolkit.h"
#include "imaging/area_selection.h"

class CDADC;
class CColourSwatch;
class CIntPair;
class CRealPair;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

// The picture shown in the frame of the selection dialog.
class CPreviewFrame;

class CAreaSelectionDlg : public QDialog {
  Q_OBJECT
 public:
  // bOfferApplyNow: whether the "Apply &Now" button is shown (not when the
  // dialog is opened from the mix dialog, which applies nothing itself).
  CAreaSelectionDlg(const AreaSelection& sel, QWidget* pParent = nullptr,
                    bool bOfferApplyNow = true);
  ~CAreaSelectionDlg() override;

  // Makes the small original (the original reduced by iDivisor) and the
  // preview. "Bad pOrgDC handle" without an original, "Bad divisor : %d"
  // for a divisor below 1 or above 64, "CCD: Could not initdata" when the
  // small surfaces cannot be made, "Could not stretch blit for thumbnail"
  // when the copy fails. 1/0.
  int SetupPreview(const CDADC* pOriginal, int iDivisor);

  // The edited selection (valid after Set or Apply Now).
  const AreaSelection& Selection() const { return m_Selection; }
  bool ApplyNow() const { return m_bApplyNow != 0; }
  EDialogEnd End() const;

  // The preview surface (the grey force field), nullptr before SetupPreview.
  const CDADC* Preview() const { return m_pPreview.get(); }
  // The colour of the working hue, saturation and value.
  COLORREF WorkingColour() const;
  int SmoothingFromSlider() const;

  void accept() override;

 private:
  void RefreshPreview();
  void ShowData();
  void SlidersToValues();
  void OnDefault();
  void OnInvert(bool bChecked);

  AreaSelection m_Selection;
  int m_bApplyNow = 0;
  double m_dHue = 0, m_dSat = 0, m_dVal = 1;
  int m_bInvert = 0;
  std::unique_ptr<CDADC> m_pSmall;
  std::unique_ptr<CDADC> m_pPreview;
  std::unique_ptr<CRealPair> m_pHue, m_pSat, m_pVal;
  QSlider* m_pSmooth = nullptr;
  QCheckBox* m_pInvert = nullptr;
  CPreviewFrame* m_pFrame = nullptr;
  CColourSwatch* m_pSwatch = nullptr;
};

// Runs the selection dialog with a preview made from the original (which
// may be null: no preview then).
EDialogEnd RunAreaSelectionDialog(QWidget* pParent, AreaSelection& sel, const CDADC* pOriginal,
                                  bool bOfferApplyNow = true);

class CMixDlg : public QDialog {
  Q_OBJECT
 public:
  CMixDlg(const MixSettings& mix, QWidget* pParent = nullptr);
  ~CMixDlg() override;

  // The original, for the selection preview; null gives
  // "ERRORE,pOrg==NULL in CMixDlg::SetupDCs".
  void SetupDCs(const CDADC* pOriginal);

  // The edited settings (valid after Set or Apply Now).
  MixSettings Settings() const;
  EDialogEnd End() const;

  void accept() override;

 private:
  void ShowData();
  void OnAdvancedSelection();

  int m_iMixMode;
  AreaSelection m_Selection;
  int m_iPercent;
  int m_bApplyNow = 0;
  const CDADC* m_pOrg = nullptr;
  QButtonGroup* m_pModes = nullptr;
  QSlider* m_pSlider = nullptr;
  QLineEdit* m_pEdit = nullptr;
  QLabel* m_pLabel = nullptr;
  QPushButton* m_pAdvanced = nullptr;
  std::unique_ptr<CIntPair> m_pPair;
};

// Runs the mix dialog; on Set or Apply Now the settings are written back.
EDialogEnd RunMixDialog(QWidget* pParent, MixSettings& mix, const CDADC* pOriginal);
