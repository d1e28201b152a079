#include "dialogs/dialog_toolkit.h"

#include <QColorDialog>
#include <QDialog>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPushButton>
#include <QFontDatabase>
#include <QFontDialog>
#include <QImage>
#include <QLabel>
#include <QPainter>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "engine/catalogue.h"
#include "imaging/dadc.h"
#include "platform/data_dir.h"
#include "platform/gdi/font.h"
#include "platform/report.h"
#include "xforms/form_text.h"

namespace {

QString IdName(int iId) { return QString::number(iId); }

bool DefaultColourChooser(QWidget* pParent, COLORREF& cr) {
  const QColor c = QColorDialog::getColor(ToQColor(cr), pParent, QString(),
                                          QColorDialog::DontUseNativeDialog);
  if (!c.isValid()) return false;
  cr = FromQColor(c);
  return true;
}

QFont FontOf(const LOGFONT& lf) {
  QFont font(QString::fromUtf8(lf.lfFaceName, static_cast<int>(strnlen(lf.lfFaceName, LF_FACESIZE))));
  font.setPointSize(14);
  if (lf.lfWeight > 0) font.setWeight(static_cast<QFont::Weight>(std::clamp<int>(lf.lfWeight, 1, 1000)));
  font.setItalic(lf.lfItalic != 0);
  font.setUnderline(lf.lfUnderline != 0);
  font.setStrikeOut(lf.lfStrikeOut != 0);
  return font;
}

// The family name cut to the record's 31 bytes without splitting a UTF-8 letter.
void SetFaceName(LOGFONT& lf, const QString& csFamily) {
  const QByteArray utf8 = csFamily.toUtf8();
  std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(utf8.size()), LF_FACESIZE - 1);
  while (n > 0 && n < static_cast<std::size_t>(utf8.size()) &&
         (static_cast<unsigned char>(utf8[static_cast<int>(n)]) & 0xC0) == 0x80)
    --n;
  std::memset(lf.lfFaceName, 0, sizeof lf.lfFaceName);
  std::memcpy(lf.lfFaceName, utf8.constData(), n);
}

// Text is drawn with the shipped fonts only, so the chooser offers them
// (whatever the machine has installed) and refuses any other face.
bool DefaultFontChooser(QWidget* pParent, LOGFONT& lf) {
  static const bool bRegistered = [] {
    for (const std::string& csFile : ShippedFontFiles())
      QFontDatabase::addApplicationFont(QString::fromStdString(csFile));
    return true;
  }();
  (void)bRegistered;
  bool bOk = false;
  const QFont font = QFontDialog::getFont(
      &bOk, FontOf(lf), pParent, QString(),
      QFontDialog::ScalableFonts | QFontDialog::DontUseNativeDialog);
  if (!bOk) return false;
  const std::vector<std::string> aFaces = ShippedFontFaces();
  const auto it = std::find_if(aFaces.begin(), aFaces.end(), [&](const std::string& cs) {
    return font.family().compare(QString::fromStdString(cs), Qt::CaseInsensitive) == 0;
  });
  if (it == aFaces.end()) {
    std::string csFaces;
    for (const std::string& cs : aFaces) csFaces += (csFaces.empty() ? "" : ", ") + cs;
    ReportError("The font \"%s\" is not shipped with Vexmora: ideas are drawn with %s only, so "
                "that a recipe gives the same picture everywhere",
                font.family().toStdString().c_str(), csFaces.c_str());
    return false;
  }
  SetFaceName(lf, font.family());
  lf.lfWeight = font.weight();
  lf.lfItalic = font.italic() ? 1 : 0;
  lf.lfUnderline = font.underline() ? 1 : 0;
  lf.lfStrikeOut = font.strikeOut() ? 1 : 0;
  return true;
}

ColourChooserFn& ColourChooser() {
  static ColourChooserFn fn = DefaultColourChooser;
  return fn;
}
FontChooserFn& FontChooser() {
  static FontChooserFn fn = DefaultFontChooser;
  return fn;
}

// Characters 0x80..0x9F of Windows-1252; 0 where the code page has none.
constexpr char16_t k1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::string Format(const char* szFormat, double v) {
  char sz[64];
  std::snprintf(sz, sizeof sz, szFormat, v);
  return sz;
}

}  // namespace

void SetControlId(QWidget* pControl, int iId) {
  if (pControl) pControl->setObjectName(IdName(iId));
}

QWidget* FindControl(const QWidget* pDialog, int iId) {
  return pDialog ? pDialog->findChild<QWidget*>(IdName(iId)) : nullptr;
}

void EnableDlgItemInput(const QWidget* pDialog, int iId, bool bEnable) {
  QWidget* pControl = FindControl(pDialog, iId);
  if (!pControl) {
    ReportError("EnableDlgItemInput(%d,%d) failed", iId, bEnable ? 1 : 0);
    return;
  }
  pControl->setEnabled(bEnable);
}

void SetControlTxt(const QWidget* pDialog, int iId, const char* szFormat, ...) {
  if (!pDialog) {
    ReportError("Bad Dlg pointer in \nSetControlTxt(%d)", iId);
    return;
  }
  QWidget* pControl = FindControl(pDialog, iId);
  if (!pControl) {
    ReportError("Bad Ctl pointer in\nSetControlTxt(%d)", iId);
    return;
  }
  char sz[256];
  va_list args;
  va_start(args, szFormat);
  std::vsnprintf(sz, sizeof sz, szFormat, args);
  va_end(args);
  const QString cs = QString::fromUtf8(sz);
  if (auto* pLabel = qobject_cast<QLabel*>(pControl))
    pLabel->setText(cs);
  else if (auto* pEdit = qobject_cast<QLineEdit*>(pControl))
    pEdit->setText(cs);
  else
    pControl->setWindowTitle(cs);
}

// ---- Pictures ----------------------------------------------------------------

QImage SurfaceToImage(const CDADC& surface) {
  if (!surface.IsValid() || surface.m_iWidth <= 0 || surface.m_iHeight <= 0) return {};
  QImage image(surface.m_iWidth, surface.m_iHeight, QImage::Format_BGR888);
  if (image.isNull()) return {};
  for (int y = 0; y < surface.m_iHeight; ++y)
    std::memcpy(image.scanLine(y), surface.Row(y), static_cast<std::size_t>(3 * surface.m_iWidth));
  return image;
}

QColor ToQColor(COLORREF cr) { return QColor(GetRValue(cr), GetGValue(cr), GetBValue(cr)); }
COLORREF FromQColor(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

// ---- Colours -------------------------------------------------------------------

QString HexColourText(COLORREF cr) {
  return QString::asprintf("%06X", static_cast<unsigned>(cr & 0xFFFFFFFFu));
}

COLORREF ParseHexColour(const QString& csText) {
  std::string cs = csText.toStdString();
  std::string csPlain;
  for (char c : cs)
    if (!std::isspace(static_cast<unsigned char>(c))) csPlain += c;
  if (csPlain.empty()) {
    ReportError("Type a hex number in here please!");
    return 0xFFFFFF;
  }
  const char* p = csPlain.c_str();
  if (*p == '#') ++p;
  // A hexadecimal number as the C library reads one: an optional sign and
  // "0x", then the digits; a long run of digits must not wrap around.
  bool bNegative = false;
  if (*p == '+' || *p == '-') bNegative = *p++ == '-';
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && std::isxdigit(static_cast<unsigned char>(p[2])))
    p += 2;
  unsigned long long v = 0;
  for (; std::isxdigit(static_cast<unsigned char>(*p)); ++p) {
    const int d = std::isdigit(static_cast<unsigned char>(*p))
                      ? *p - '0'
                      : std::toupper(static_cast<unsigned char>(*p)) - 'A' + 10;
    v = v * 16 + static_cast<unsigned>(d);
    if (v > 0xFFFFFF) break;
  }
  if (v > 0xFFFFFF || (bNegative && v != 0)) {
    ReportError("Colours must be between 0 and FFFFFF");
    return 0xFFFFFF;
  }
  return static_cast<COLORREF>(v);
}

bool ChooseColour(QWidget* pParent, COLORREF& cr) {
  COLORREF crNew = cr;
  if (!ColourChooser() || !ColourChooser()(pParent, crNew)) return false;
  cr = crNew & 0xFFFFFF;
  return true;
}

ColourChooserFn SetColourChooser(ColourChooserFn fn) {
  return std::exchange(ColourChooser(), fn ? std::move(fn) : ColourChooserFn(DefaultColourChooser));
}

bool ChooseFont(QWidget* pParent, LOGFONT& lf) {
  LOGFONT lfNew = lf;
  if (!FontChooser() || !FontChooser()(pParent, lfNew)) return false;
  lf = lfNew;
  return true;
}

FontChooserFn SetFontChooser(FontChooserFn fn) {
  return std::exchange(FontChooser(), fn ? std::move(fn) : FontChooserFn(DefaultFontChooser));
}

QString FontFaceText(const LOGFONT& lf) {
  return QString::fromUtf8(lf.lfFaceName, static_cast<int>(strnlen(lf.lfFaceName, LF_FACESIZE)))
      .left(32);
}

CColourSwatch::CColourSwatch(QWidget* pParent) : QFrame(pParent) {
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setMinimumSize(28, 18);
}

void CColourSwatch::SetColour(COLORREF cr) {
  if (m_cr == (cr & 0xFFFFFF)) return;
  m_cr = cr & 0xFFFFFF;
  update();
}

void CColourSwatch::paintEvent(QPaintEvent* pEvent) {
  QFrame::paintEvent(pEvent);
  QPainter painter(this);
  const QRect rc = rect().adjusted(2, 2, -2, -2);
  painter.fillRect(rc, isEnabled() ? ToQColor(m_cr) : ToQColor(m_cr).lighter(130));
}

// ---- Text in Windows-1252 ----------------------------------------------------------

int Windows1252Byte(char32_t c) {
  if (c < 0x20 || c == 0x7F) return -1;
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
  for (int i = 0; i < 32; ++i)
    if (k1252High[i] != 0 && k1252High[i] == c) return 0x80 + i;
  return -1;
}

bool ToWindows1252(const QString& csText, std::string& csOut) {
  std::string cs;
  for (char32_t c : csText.toUcs4()) {
    const int b = Windows1252Byte(c);
    if (b < 0) return false;
    cs += static_cast<char>(b);
  }
  csOut = std::move(cs);
  return true;
}

QString FromWindows1252(const char* sz) {
  QString cs;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(sz); p && *p; ++p) {
    if (*p >= 0x80 && *p < 0xA0)
      cs += k1252High[*p - 0x80] ? QChar(k1252High[*p - 0x80]) : QChar(0xFFFD);
    else
      cs += QChar(*p);
  }
  return cs;
}

QValidator::State CWindows1252Validator::validate(QString& csInput, int& /*iPos*/) const {
  std::string cs;
  return ToWindows1252(csInput, cs) ? Acceptable : Invalid;
}

// ---- Slider/edit pairs -------------------------------------------------------------

CRealPair::CRealPair(double* pVal, double dMin, double dMax, QSlider* pSlider, QLineEdit* pEdit,
                     bool bInverted, const char* szFormat)
    : m_pVal(pVal), m_dMin(dMin), m_dMax(dMax), m_dAcceptMin(-HUGE_VAL), m_dAcceptMax(HUGE_VAL),
      m_pSld(pSlider), m_pEdit(pEdit), m_bInverted(bInverted),
      m_csFormat(szFormat ? szFormat : "") {}

bool CRealPair::ImOk() const {
  if (!m_pVal) return ReportError("ImOk1 : pVal==NULL"), false;
  if (!m_pSld) return ReportError("ImOk3 : pSld==NULL"), false;
  if (!m_pEdit) return ReportError("ImOk4 : pcsBuddy==NULL"), false;
  if (!(m_dMin < m_dMax)) return ReportError("ImOk5 : %6.3f <= %6.3f ", m_dMax, m_dMin), false;
  if (m_csFormat.empty() || m_csFormat.front() != '%')
    return ReportError("ImOk6 : Format=<%s>", m_csFormat.c_str()), false;
  if (m_csFormat.back() != 'f') return ReportError("ImOk:Format=<%s>", m_csFormat.c_str()), false;
  return true;
}

int CRealPair::Position(double v) const {
  const int p = static_cast<int>((v - m_dMin) * m_iSteps / (m_dMax - m_dMin));
  return m_bInverted ? m_iSteps - p : p;
}

double CRealPair::Value(int iPosition) const {
  const int p = m_bInverted ? m_iSteps - iPosition : iPosition;
  // 1.0 / 10000 is the classic factor 0.0001 itself (both the nearest double).
  return m_dMin + p * (m_dMax - m_dMin) * (1.0 / m_iSteps);
}

void CRealPair::Show(double v) {
  Quietly(m_pSld, [&](QSlider* s) { s->setValue(Position(v)); });
  Quietly(m_pEdit, [&](QLineEdit* e) { e->setText(QString::fromStdString(Format(m_csFormat.c_str(), v)).trimmed()); });
}

void CRealPair::SetAcceptedRange(double dMin, double dMax) {
  m_dAcceptMin = dMin;
  m_dAcceptMax = dMax;
}

void CRealPair::ShowPair() {
  if (!ImOk()) return;
  Quietly(m_pSld, [this](QSlider* s) { s->setRange(0, m_iSteps); });
  Show(std::clamp(*m_pVal, m_dMin, m_dMax));
}

void CRealPair::ValueToPair() {
  if (!ImOk()) return;
  *m_pVal = std::clamp(*m_pVal, m_dMin, m_dMax);
  Show(*m_pVal);
}

bool CRealPair::EditToPair() {
  if (!ImOk()) return false;
  float f = 0;
  const std::string cs = m_pEdit->text().toStdString();
  if (std::sscanf(cs.c_str(), "%f", &f) != 1 || !std::isfinite(f)) {
    Show(*m_pVal);
    return true;
  }
  double v = static_cast<double>(f);
  if (v < m_dAcceptMin || v > m_dAcceptMax) {
    ReportError("Please enter a number between %g and %g.", m_dAcceptMin, m_dAcceptMax);
    Show(*m_pVal);
    return false;
  }
  v = std::clamp(v, m_dMin, m_dMax);
  *m_pVal = v;
  Show(v);
  return true;
}

void CRealPair::SliderToPair() {
  if (!m_pSld || !m_pVal) {
    ReportError("ODSS::Slider errror");
    return;
  }
  *m_pVal = Value(m_pSld->value());
  Quietly(m_pEdit, [&](QLineEdit* e) { e->setText(QString::fromStdString(Format(m_csFormat.c_str(), *m_pVal)).trimmed()); });
}

CIntPair::CIntPair(std::int32_t* pVal, int iMin, int iMax, QSlider* pSlider, QLineEdit* pEdit,
                   bool bVertical)
    : m_pVal(pVal), m_iMin(iMin), m_iMax(iMax), m_iAcceptMin(INT_MIN), m_iAcceptMax(INT_MAX),
      m_pSld(pSlider), m_pEdit(pEdit), m_bVertical(bVertical) {}

void CIntPair::ShowPair() {
  const int v = std::clamp<int>(*m_pVal, m_iMin, m_iMax);
  Quietly(m_pSld, [&](QSlider* s) {
    s->setRange(m_iMin, m_iMax);
    s->setValue(Position(v));
  });
  // The edit shows what the slider stands for (a stored value outside the
  // range is only limited when the user changes something).
  Quietly(m_pEdit, [&](QLineEdit* e) { e->setText(QString::number(v)); });
}

bool CIntPair::EditToPair() {
  bool bNumber = false;
  const long long v = m_pEdit->text().trimmed().toLongLong(&bNumber);
  // Without an accepted range of its own, a number beyond an int's is no
  // integer the field can hold (its limits are no range worth telling).
  const bool bOwnRange = m_iAcceptMin != INT_MIN || m_iAcceptMax != INT_MAX;
  if (!bOwnRange && (v < INT_MIN || v > INT_MAX)) bNumber = false;
  if (!bNumber || v < m_iAcceptMin || v > m_iAcceptMax) {
    if (!bNumber)
      ReportError("Please enter an integer.");
    else
      ReportError("Please enter an integer between %d and %d.", m_iAcceptMin, m_iAcceptMax);
    Quietly(m_pEdit, [&](QLineEdit* e) { e->setText(QString::number(*m_pVal)); });
    return false;
  }
  const int iValue = static_cast<int>(std::clamp<long long>(v, m_iMin, m_iMax));
  *m_pVal = iValue;
  Quietly(m_pSld, [&](QSlider* s) { s->setValue(Position(iValue)); });
  Quietly(m_pEdit, [&](QLineEdit* e) { e->setText(QString::number(iValue)); });
  return true;
}

void CIntPair::SliderToPair() {
  const int p = m_pSld->value();
  *m_pVal = m_bVertical ? m_iMax - p + m_iMin : p;
  Quietly(m_pEdit, [&](QLineEdit* e) { e->setText(QString::number(*m_pVal)); });
}

void DisconnectControls(QWidget* pDialog) {
  for (QObject* pChild : pDialog->findChildren<QObject*>())
    QObject::disconnect(pChild, nullptr, pDialog, nullptr);
}

namespace {
constexpr const char* kHelpTopicProperty = "vxHelpTopic";
}  // namespace

void SetHelpTopic(QWidget* pDialog, const QString& csTopic) {
  if (pDialog) pDialog->setProperty(kHelpTopicProperty, csTopic);
}

QString HelpTopicOf(const QWidget* pWidget) {
  for (const QWidget* pWindow = pWidget ? pWidget->window() : nullptr; pWindow;
       pWindow = pWindow->parentWidget() ? pWindow->parentWidget()->window() : nullptr) {
    const QString csTopic = pWindow->property(kHelpTopicProperty).toString();
    if (!csTopic.isEmpty()) return csTopic;
  }
  return {};
}

int CaptionWidth(const QWidget* pDialog) {
  QFont font = pDialog->font();
  font.setBold(true);
  // A quarter more for larger title fonts, and room for icon and buttons.
  constexpr int kButtons = 120;
  return QFontMetrics(font).horizontalAdvance(pDialog->windowTitle()) * 5 / 4 + kButtons;
}

void SetHelpTopicAndFitCaption(QWidget* pDialog, const QString& csTopic) {
  if (!pDialog) return;
  SetHelpTopic(pDialog, csTopic);
  pDialog->setMinimumWidth(std::max(pDialog->minimumWidth(), CaptionWidth(pDialog)));
}

QString XformHelpTopic(int iXform) {
  QString csName = QString::fromLatin1(GetXformName(iXform)).toLower();
  csName.replace(' ', '-');
  return csName.isEmpty() ? QString() : QStringLiteral("xforms/%1.html").arg(csName);
}

QLabel* MakeNote(const char* szText, QWidget* pParent) {
  auto* pLabel = new QLabel(QString::fromUtf8(szText), pParent);
  pLabel->setTextFormat(Qt::PlainText);
  return pLabel;
}

QSlider* MakeSlider(Qt::Orientation eOrientation, int iId, QWidget* pParent) {
  auto* pSlider = new QSlider(eOrientation, pParent);
  SetControlId(pSlider, iId);
  pSlider->setSingleStep(1);
  pSlider->setTracking(true);
  // A classic vertical trackbar has its position 0 at the top.
  if (eOrientation == Qt::Vertical) pSlider->setInvertedAppearance(true);
  if (eOrientation == Qt::Horizontal) pSlider->setMinimumWidth(140);
  return pSlider;
}

QLineEdit* MakeEdit(int iId, int iMaxChars, QWidget* pParent) {
  auto* pEdit = new QLineEdit(pParent);
  SetControlId(pEdit, iId);
  if (iMaxChars > 0) pEdit->setMaxLength(iMaxChars);
  pEdit->setMaximumWidth(90);
  pEdit->setAlignment(Qt::AlignRight);
  return pEdit;
}

QPushButton* MakeButton(const QString& csText, int iId) {
  auto* pButton = new QPushButton(csText);
  SetControlId(pButton, iId);
  return pButton;
}

// The three end buttons: "Set" (OK), "Apply Now", "Cancel".
QHBoxLayout* MakeEndButtons(QDialog* pDialog, const QString& csSet, const QString& csApply,
                        int* pbApplyNow, bool bOfferApplyNow) {
  auto* pRow = new QHBoxLayout;
  pRow->addStretch(1);
  QPushButton* pSet = MakeButton(csSet, kIdOk);
  pSet->setDefault(true);
  QPushButton* pApply = MakeButton(csApply, kIdApplyNow);
  QPushButton* pCancel = MakeButton(QObject::tr("Cancel"), kIdCancel);
  pRow->addWidget(pSet);
  pRow->addWidget(pApply);
  pRow->addWidget(pCancel);
  pApply->setVisible(bOfferApplyNow);
  QObject::connect(pSet, &QPushButton::clicked, pDialog, [pDialog, pbApplyNow] {
    *pbApplyNow = 0;
    pDialog->accept();
  });
  QObject::connect(pApply, &QPushButton::clicked, pDialog, [pDialog, pbApplyNow] {
    *pbApplyNow = 1;
    pDialog->accept();
  });
  QObject::connect(pCancel, &QPushButton::clicked, pDialog, &QDialog::reject);
  return pRow;
}

EDialogEnd DialogEnd(const QDialog& dlg, int bApplyNow) {
  if (dlg.result() != QDialog::Accepted) return EDialogEnd::Cancel;
  return bApplyNow ? EDialogEnd::ApplyNow : EDialogEnd::Set;
}

