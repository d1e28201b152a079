// The small modal dialogs: Choose Xform, Image Quality (Anti Alias), Image
// Properties and About.
#pragma once

#include <QDialog>

#include <cstdint>

#include "dialogs/dialog_toolkit.h"

struct CFilSpec;
struct CImageProperties;
class QCheckBox;
class QComboBox;

// "Choose Xform": the wizard switch and the list of the 28 Xforms, which is
// offered only while the switch is clear. Xforms that are not built yet are
// listed but cannot be picked.
class CChooseXformDlg : public QDialog {
  Q_OBJECT
 public:
  // iXform: the preselected Xform (28, Null, preselects Mosaic).
  CChooseXformDlg(int iXform, int bWizardAll, QWidget* pParent = nullptr);
  // The list's current entry, or 0 when none or out of 0..27.
  int Selection() const;
  int WizardAll() const { return m_bWizardAll; }

 private:
  int m_bWizardAll;
  QCheckBox* m_pWizard = nullptr;
  QComboBox* m_pList = nullptr;
};

// Runs Choose Xform on the recipe. OK: the wizard-all flag from the
// switch; with it set a random Xform and mix are chosen from the usage
// counts, otherwise the listed Xform becomes current; true. "None": nothing
// changes; false.
bool RunChooseXformDialog(QWidget* pParent, CFilSpec& spec, const std::int32_t* aUsage);

// "Image Quality (Anti Alias)": Normal (1), Medium (2) or High (4).
class CImageQualityDlg : public QDialog {
  Q_OBJECT
 public:
  // A level other than 1, 2 or 4 gives "DDE:Bad AA level=%d" and becomes 1.
  CImageQualityDlg(int iLevel, QWidget* pParent = nullptr);
  int Level() const { return m_iLevel; }
  EDialogEnd End() const { return DialogEnd(*this, m_bApplyNow); }

 private:
  int m_iLevel;
  int m_bApplyNow = 0;
};

// Runs the quality dialog; the level is written back on Set or Apply Now.
EDialogEnd RunImageQualityDialog(QWidget* pParent, int& iLevel);

// "Image Properties": six read-only texts about the picture shown.
class CImagePropertiesDlg : public QDialog {
  Q_OBJECT
 public:
  CImagePropertiesDlg(const CImageProperties& props, QWidget* pParent = nullptr);
};
void RunImagePropertiesDialog(QWidget* pParent, const CImageProperties& props);

// The version text of the About box (string 61217).
inline constexpr const char* kVersionText = "Vexmora V 4.01 [2nd December 1998]";

class CAboutDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CAboutDlg(QWidget* pParent = nullptr);
};
void RunAboutDialog(QWidget* pParent);
