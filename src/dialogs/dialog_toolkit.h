// The pieces every settings dialog shares: slider/edit pairs for reals and
// ints, colour swatches, the hex colour edit, the colour and font choosers,
// Windows-1252 text edits, and the look-up of controls by their numeric id.
//
// Every control carries its id as its object name ("1142"), so the shell,
// the help and the tests address a control the way the dialog declares it.
// Trackbars keep the positions of the classic controls: a real pair's slider
// runs 0..10000, and an "inverted" slider has its maximum at the top end
// (position 0), so positions read the same whichever way a slider is drawn.
#pragma once

#include <QFrame>
#include <QLineEdit>
#include <QSlider>
#include <QString>
#include <QValidator>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>

#include "platform/win_types.h"

class CDADC;
class QDialog;
class QHBoxLayout;
class QImage;
class QPushButton;
struct LOGFONT;

// Standard button ids.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdApplyNow = 12321;

// Names a control after its id.
void SetControlId(QWidget* pControl, int iId);
// The control with that id inside pDialog, or nullptr.
QWidget* FindControl(const QWidget* pDialog, int iId);
template <class T>
T* FindControlAs(const QWidget* pDialog, int iId) {
  return qobject_cast<T*>(FindControl(pDialog, iId));
}
// Enables or disables a control; a missing control gives
// "EnableDlgItemInput(%d,%d) failed".
void EnableDlgItemInput(const QWidget* pDialog, int iId, bool bEnable);
// Sets a control's text from a printf format; "Bad Dlg pointer in
// \nSetControlTxt(%d)" without a dialog, "Bad Ctl pointer in\nSetControlTxt(%d)"
// without such a control.
void SetControlTxt(const QWidget* pDialog, int iId, const char* szFormat, ...)
    __attribute__((format(printf, 3, 4)));

// ---- Pictures --------------------------------------------------------------

// A copy of a surface's pixels as a Qt image (a null image for a dead surface).
QImage SurfaceToImage(const CDADC& surface);
QColor ToQColor(COLORREF cr);
COLORREF FromQColor(const QColor& c);

// ---- Colours ---------------------------------------------------------------

// "%06X" of the stored value itself (red is "0000FF", blue "FF0000").
QString HexColourText(COLORREF cr);
// White space removed, one leading "#" skipped, then a hexadecimal number
// (characters after its digits ignored; none at all gives black). Empty text
// gives "Type a hex number in here please!" and white; a value above FFFFFF
// gives "Colours must be between 0 and FFFFFF" and white.
COLORREF ParseHexColour(const QString& csText);

// The system colour chooser, opened on cr; true (and cr changed) when the
// user picked a colour. Tests replace the chooser.
using ColourChooserFn = std::function<bool(QWidget* pParent, COLORREF& cr)>;
bool ChooseColour(QWidget* pParent, COLORREF& cr);
ColourChooserFn SetColourChooser(ColourChooserFn fn);

// The font chooser on a font record; true when the user confirmed. Only
// scalable faces are offered (the Xforms size their letters themselves), and
// only the face, weight, italic, underline and strike-out are taken back;
// height, escapement and the rest of the record are kept.
using FontChooserFn = std::function<bool(QWidget* pParent, LOGFONT& lf)>;
bool ChooseFont(QWidget* pParent, LOGFONT& lf);
FontChooserFn SetFontChooser(FontChooserFn fn);
// The face name of a record as shown beside its button (at most 32 characters).
QString FontFaceText(const LOGFONT& lf);

// A framed static painted in one colour (inside the frame, right and bottom
// edges moved in by 2 pixels as the classic swatches are).
class CColourSwatch : public QFrame {
  Q_OBJECT
 public:
  explicit CColourSwatch(QWidget* pParent = nullptr);
  void SetColour(COLORREF cr);
  COLORREF Colour() const { return m_cr; }

 protected:
  void paintEvent(QPaintEvent* pEvent) override;

 private:
  COLORREF m_cr = 0;
};

// ---- Text in Windows-1252 --------------------------------------------------

// The Windows-1252 byte of a character, or -1 when it has none. Control
// characters have none either: a typed text is one line of printable letters.
int Windows1252Byte(char32_t c);
// The whole text in Windows-1252; false (and csOut unchanged) when any
// character has no byte there.
bool ToWindows1252(const QString& csText, std::string& csOut);
QString FromWindows1252(const char* sz);

// Refuses any input holding a character outside Windows-1252 (a typed
// character is simply not taken; a pasted text is taken whole or not at all).
class CWindows1252Validator : public QValidator {
  Q_OBJECT
 public:
  using QValidator::QValidator;
  State validate(QString& csInput, int& iPos) const override;
};

// ---- Slider/edit pairs -----------------------------------------------------

// Binds one double to a slider (positions 0..10000) and an edit; the member
// always stays within [dMin, dMax].
class CRealPair {
 public:
  CRealPair(double* pVal, double dMin, double dMax, QSlider* pSlider, QLineEdit* pEdit,
            bool bInverted = false, const char* szFormat = "%6.2f");
  // Reports a missing part or bad range with the classic messages; false then.
  bool ImOk() const;
  // Dialog opening: range 0..10000, slider and edit from the member limited
  // to the range (the member itself is not changed).
  void ShowPair();
  // After code changed the member: as ShowPair, and the limited value is
  // written back to the member.
  void ValueToPair();
  // The edit has lost the focus: its text read as a single-precision number
  // (widened), limited, shown and stored. A text without a number keeps the
  // member as it was. With an accepted range set (a form's wider range for
  // its edit), a value outside it gives "Please enter a number between %g
  // and %g." and false, leaving the member.
  bool EditToPair();
  // The slider moved: the member takes its position's value.
  void SliderToPair();
  // Whether the user changed the edit since it was last set (an edit shows
  // the value rounded, so only a changed one is read back).
  bool EditModified() const { return m_pEdit && m_pEdit->isModified(); }
  // What the edit accepts before the value is limited to [dMin, dMax]
  // (by default anything).
  void SetAcceptedRange(double dMin, double dMax);
  // A slider of positions 0..iSteps (by default 10000); a position stands for
  // dMin + p (dMax - dMin) / iSteps, and a value sits at the truncated position.
  void SetSteps(int iSteps) { m_iSteps = iSteps > 0 ? iSteps : 10000; }

  int Position(double v) const;
  double Value(int iPosition) const;

 private:
  void Show(double v);

  double* m_pVal;
  double m_dMin, m_dMax;
  double m_dAcceptMin, m_dAcceptMax;
  QSlider* m_pSld;
  QLineEdit* m_pEdit;
  bool m_bInverted;
  std::string m_csFormat;
  int m_iSteps = 10000;
};

// Binds one int to a slider whose range is the int range itself and an edit.
// A vertical slider is inverted (its top end is the maximum).
class CIntPair {
 public:
  CIntPair(std::int32_t* pVal, int iMin, int iMax, QSlider* pSlider, QLineEdit* pEdit,
           bool bVertical = false);
  // The values the edit accepts before limiting (the data exchange's check;
  // by default any int).
  void SetAcceptedRange(int iMin, int iMax) {
    m_iAcceptMin = iMin;
    m_iAcceptMax = iMax;
  }
  void ShowPair();
  // The edit has lost the focus. Text that is not a whole number gives
  // "Please enter an integer."; a number outside the accepted range gives
  // "Please enter an integer between %d and %d."; both leave the member (and
  // put its value back into the edit) and answer false. Otherwise the value
  // is limited to the slider's range, shown and stored.
  bool EditToPair();
  void SliderToPair();
  int Position(int v) const { return m_bVertical ? m_iMax - v + m_iMin : v; }

 private:
  std::int32_t* m_pVal;
  int m_iMin, m_iMax, m_iAcceptMin, m_iAcceptMax;
  QSlider* m_pSld;
  QLineEdit* m_pEdit;
  bool m_bVertical;
};

// Runs fn with the widget's signals blocked (setting a control from code must
// not look like the user changing it).
template <class W, class F>
void Quietly(W* pWidget, F&& fn) {
  const bool bOld = pWidget->blockSignals(true);
  fn(pWidget);
  pWidget->blockSignals(bOld);
}

// Cuts every connection from the dialog's controls to the dialog. A dialog
// whose handlers use its own members calls this in its destructor: the
// members are gone before the base class deletes the controls, and a control
// losing the focus on its way out must not reach them.
void DisconnectControls(QWidget* pDialog);

// ---- Help ------------------------------------------------------------------

// The help topic of a dialog: F1 anywhere in it opens this page (a path
// under the help folder, such as "mix.html"); the shell does the opening.
void SetHelpTopic(QWidget* pDialog, const QString& csTopic);
// The topic of the window holding pWidget (or of the nearest window above
// it that has one); empty when none has.
QString HelpTopicOf(const QWidget* pWidget);
// Sets the help topic and makes the dialog at least as wide as its title
// bar needs to show the whole caption beside the window's buttons.
void SetHelpTopicAndFitCaption(QWidget* pDialog, const QString& csTopic);
// The width that shows the dialog's caption in full (an estimate: the
// title bar's font belongs to the window manager).
int CaptionWidth(const QWidget* pDialog);
// The page of an Xform's settings: "xforms/" and its catalogue name in lower
// case with dashes for spaces ("xforms/fallen-leaves.html"); the gallery
// picture of its result has the same stem.
QString XformHelpTopic(int iXform);

// A note such as "F1 for help on mixing".
class QLabel;
QLabel* MakeNote(const char* szText, QWidget* pParent = nullptr);
// A slider of the classic look: ticks off, tracking on, keyboard steps of 1.
QSlider* MakeSlider(Qt::Orientation eOrientation, int iId, QWidget* pParent = nullptr);
QLineEdit* MakeEdit(int iId, int iMaxChars, QWidget* pParent = nullptr);

// A push button named after its id.
QPushButton* MakeButton(const QString& csText, int iId);

// How a dialog with "Apply Now" was left.
enum class EDialogEnd { Cancel, Set, ApplyNow };
// The end buttons "Set" (OK), "Apply Now" (12321, hidden unless offered) and
// "Cancel"; the first two accept the dialog and set *pbApplyNow to 0 / 1.
QHBoxLayout* MakeEndButtons(QDialog* pDialog, const QString& csSet, const QString& csApply,
                            int* pbApplyNow, bool bOfferApplyNow = true);
EDialogEnd DialogEnd(const QDialog& dlg, int bApplyNow);
