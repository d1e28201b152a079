// The one settings dialog of every Xform, built from the Xform's declared
// form: slider/edit pairs, radio groups (a 3 x 3 compass where the form asks
// for one), radio pairs, drop-down lists, check boxes, colour buttons with
// swatches, hex colour edits, colour choices and backgrounds with their flag
// (a check box or two radios; a background's button only while it is a
// colour), the font chooser, Windows-1252 text edits, group boxes, notes and
// the wizard switch, which disables every control it governs. Enabling rules
// declared beside a field are evaluated after every change.
#pragma once

#include <QDialog>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "xforms/form.h"

struct CFilSpec;
class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QLineEdit;
class CColourSwatch;
class CIntPair;
class CRealPair;

class CXformDialog : public QDialog {
  Q_OBJECT
 public:
  // A check run when the user presses OK, after every edit has been taken:
  // false keeps the dialog open (the check shows its own message).
  using OkCheckFn = std::function<bool(void* pRecord)>;

  // Edits the record in place: pass a copy and take it back when exec()
  // answers Accepted. The record must be of the form's type.
  CXformDialog(const CFormRef& form, void* pRecord, QWidget* pParent = nullptr);
  ~CXformDialog() override;

  void SetOkCheck(OkCheckFn fn) { m_fnOkCheck = std::move(fn); }
  // Enables each field's controls as the wizard switch and the field's own
  // rule say; runs after every change.
  void RefreshEnabling();

  void accept() override;

 private:
  struct CField;
  void Build();
  // szGroup: the title of the group box around the field, null outside one.
  void AddField(std::size_t i, class QBoxLayout* pLayout, const char* szGroup);
  void AddPair(CField& f, QBoxLayout* pLayout, const char* szGroup);
  // A pair held between its neighbours stops at them; then its static of a
  // percentage is brought up to date.
  void HoldPair(CField& f);
  void ShowPercent(CField& f);
  // A drop-down list over two flags.
  void AddFlagList(CField& f, QBoxLayout* pLayout);
  void AddRadios(CField& f, QBoxLayout* pLayout, bool bInGroup);
  // A 0/1 flag as two radio buttons (a radio pair, or the flag of a colour
  // choice or background declared with FlagRadios).
  void AddFlagRadios(CField& f, std::int32_t* pFlag, class QGridLayout* pGrid);
  void AddColour(CField& f, QBoxLayout* pLayout, const char* szGroup);
  void AddText(CField& f, QBoxLayout* pLayout);
  void AddFont(CField& f, QBoxLayout* pLayout);
  void ShowText(CField& f);
  // Takes a pending hex or pair edit; false when it was refused.
  bool TakeEdit(CField& f, bool bOnlyModified);

  CFormRef m_Form;
  void* m_pRecord;
  std::vector<std::unique_ptr<CField>> m_aFields;
  OkCheckFn m_fnOkCheck;
};

// Runs the settings dialog of a form on a record; true (and the record
// changed) on OK, false (record untouched) on Cancel.
bool RunXformDialog(QWidget* pParent, const CFormRef& form, void* pRecord,
                    const CXformDialog::OkCheckFn& fnOkCheck = {});

// The settings dialog of the recipe's current Xform on a copy of its
// record. OK copies the record back and, when the Xform's own wizard flag is
// now clear, clears the wizard-all flag: 1. Cancel: 0, nothing changed. An
// index that is not a built Xform gives "CFilSpec::OCP, Xforms %d not\n(yet)
// supported" and 0.
int OCP(QWidget* pParent, CFilSpec& spec);
