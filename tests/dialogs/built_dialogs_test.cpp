// Settings dialogs against control tables taken from their descriptions: each
// control with its id, kind, text, group box and range, nothing more; which
// inputs the wizard switch leaves enabled; and, with the wizard clear, which
// inputs each enabling rule disables as the user clicks through the dialog.
// Every dialog fits a 1024 x 768 screen and no two of its mnemonics clash.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>

#include <cstring>
#include <set>
#include <vector>

#include "dialog_test_support.h"
#include "dialogs/dialog_toolkit.h"
#include "dialogs/xform_dialog.h"
#include "engine/filspec.h"

namespace {

enum class EKind { Slider, Edit, Button, Radio, Check, Combo, Swatch, Static, Group };

struct Control {
  int m_iId;  // 0: a static or group box found by its text
  EKind m_eKind;
  // Button, radio and check box: its text; edit and list: the text of the
  // label naming it ("": none); list: its entries as "A|B|C" after a "=";
  // null: not compared.
  const char* m_szText = nullptr;
  const char* m_szGroup = nullptr;  // the title of the group box holding it
  // A slider: its range (both 0: not compared). The edit of a real pair:
  // the values its slider's two ends stand for, m_iSlider its slider.
  double m_dMin = 0, m_dMax = 0;
  int m_iSlider = 0;
};

// With the wizard clear: after clicking m_iId (for a list: choosing entry
// m_iEntry) exactly these inputs are disabled.
struct Step {
  int m_iId;
  int m_iEntry;
  std::set<int> m_Disabled;
};

struct DialogTable {
  int m_iXform;
  int m_iDialogId;
  const char* m_szCaption;
  std::vector<Control> m_aControls;
  std::set<int> m_FreeOfWizard = {};  // inputs besides the switch itself it leaves enabled
  std::set<int> m_WizardClear = {};   // disabled once the wizard is clear (defaults)
  std::vector<Step> m_aSteps = {};
};

// A slider with its edit (int pairs: with the slider's range; real pairs:
// with the values its ends stand for), and a colour button with its swatch.
void Pair(std::vector<Control>& a, int iSlider, int iEdit, const char* szLabel, int iMin = 0,
          int iMax = 0) {
  a.push_back({iSlider, EKind::Slider, nullptr, nullptr, double(iMin), double(iMax)});
  a.push_back({iEdit, EKind::Edit, szLabel});
}
void Real(std::vector<Control>& a, int iSlider, int iEdit, const char* szLabel, double dMin,
          double dMax) {
  a.push_back({iSlider, EKind::Slider, nullptr, nullptr, 0, 10000});
  a.push_back({iEdit, EKind::Edit, szLabel, nullptr, dMin, dMax, iSlider});
}
void Statics(std::vector<Control>& a, std::initializer_list<const char*> texts) {
  for (const char* sz : texts) a.push_back({0, EKind::Static, sz});
}
void Colour(std::vector<Control>& a, int iButton, int iSwatch, const char* szLabel) {
  a.push_back({iButton, EKind::Button, szLabel});
  a.push_back({iSwatch, EKind::Swatch});
}
std::vector<Control> Controls(std::initializer_list<Control> l) { return l; }
std::vector<Control> Compass() {
  std::vector<Control> a;
  for (int i = 1100; i <= 1108; ++i)
    a.push_back({i, EKind::Radio, i == 1100 ? "Off" : i == 1102 ? "Top" : i == 1106 ? "Bot." : ""});
  return a;
}

bool IsInput(const QWidget* w) {
  return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QSlider*>(w) ||
         qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w);
}

int IdOf(const QWidget* w) {
  bool bNumber = false;
  const int iId = w->objectName().toInt(&bNumber);
  return bNumber ? iId : 0;
}

QString Ids(const std::set<int>& ids) {
  QStringList a;
  for (int i : ids) a << QString::number(i);
  return a.join(' ');
}

std::set<int> Inputs(const QWidget& dlg, bool bOnlyDisabled) {
  std::set<int> ids;
  for (QWidget* w : dlg.findChildren<QWidget*>())
    if (IsInput(w) && IdOf(w) > kIdCancel && (!bOnlyDisabled || !w->isEnabled()))
      ids.insert(IdOf(w));
  return ids;
}

QString LabelOf(const QWidget& dlg, const QWidget* pBuddy) {
  for (QLabel* l : dlg.findChildren<QLabel*>())
    if (l->buddy() == pBuddy) return l->text();
  return QString();
}

bool Is(const QWidget* w, EKind e) {
  switch (e) {
    case EKind::Slider: return qobject_cast<const QSlider*>(w);
    case EKind::Edit: return qobject_cast<const QLineEdit*>(w);
    case EKind::Button: return qobject_cast<const QPushButton*>(w);
    case EKind::Radio: return qobject_cast<const QRadioButton*>(w);
    case EKind::Check: return qobject_cast<const QCheckBox*>(w);
    case EKind::Combo: return qobject_cast<const QComboBox*>(w);
    case EKind::Swatch: return qobject_cast<const CColourSwatch*>(w);
    case EKind::Static: return qobject_cast<const QLabel*>(w);
    case EKind::Group: return qobject_cast<const QGroupBox*>(w);
  }
  return false;
}

QString GroupOf(const QWidget* w) {
  for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget())
    if (auto* pBox = qobject_cast<const QGroupBox*>(p)) return pBox->title();
  return QString();
}

// The mnemonic letters of the dialog's buttons and of the labels naming a
// control; a letter used twice.
QString ClashingMnemonic(const QWidget& dlg) {
  QStringList aTexts;
  for (QAbstractButton* b : dlg.findChildren<QAbstractButton*>()) aTexts << b->text();
  for (QLabel* l : dlg.findChildren<QLabel*>())
    if (l->buddy()) aTexts << l->text();
  std::set<QChar> seen;
  for (const QString& cs : aTexts) {
    const int i = cs.indexOf('&');
    if (i < 0 || i + 1 >= cs.size() || cs[i + 1] == '&') continue;
    if (!seen.insert(cs[i + 1].toLower()).second) return cs;
  }
  return QString();
}

void CheckDialog(const DialogTable& t) {
  CFilSpec spec;  // every Xform at its defaults, the wizard switch set
  const CFormRef form = CFilSpec::Form(t.m_iXform);
  CXformDialog dlg(form, spec.Record(t.m_iXform));
  QCOMPARE(dlg.windowTitle(), QString(t.m_szCaption));
  QCOMPARE(IdOf(&dlg), t.m_iDialogId);

  // At most about 700 pixels high with its frame, so it fits a 768-pixel screen.
  QVERIFY2(dlg.sizeHint().height() <= 670 && dlg.sizeHint().width() <= 1000,
           qPrintable(QString("%1 is %2 x %3").arg(t.m_szCaption)
                          .arg(dlg.sizeHint().width()).arg(dlg.sizeHint().height())));
  const QString csClash = ClashingMnemonic(dlg);
  QVERIFY2(csClash.isEmpty(), qPrintable(QString("%1: mnemonic of %2 used twice")
                                             .arg(t.m_szCaption, csClash)));

  std::set<int> inputs;
  for (const Control& c : t.m_aControls) {
    const QString csWhere = QString("%1 control %2 ").arg(t.m_szCaption).arg(c.m_iId);
    if (c.m_iId == 0) {
      bool bFound = false;
      for (QLabel* l : dlg.findChildren<QLabel*>()) bFound |= l->text() == c.m_szText;
      for (QGroupBox* g : dlg.findChildren<QGroupBox*>()) bFound |= g->title() == c.m_szText;
      QVERIFY2(bFound, qPrintable(csWhere + c.m_szText));
      continue;
    }
    QWidget* w = FindControl(&dlg, c.m_iId);
    QVERIFY2(w && Is(w, c.m_eKind), qPrintable(csWhere + "missing or of another kind"));
    if (IsInput(w)) inputs.insert(c.m_iId);
    if (c.m_szGroup)
      QVERIFY2(GroupOf(w) == c.m_szGroup, qPrintable(csWhere + "in group " + GroupOf(w)));
    if (auto* pSlider = qobject_cast<QSlider*>(w); pSlider && (c.m_dMin != 0 || c.m_dMax != 0))
      QVERIFY2(pSlider->minimum() == c.m_dMin && pSlider->maximum() == c.m_dMax,
               qPrintable(csWhere + QString("range %1..%2").arg(pSlider->minimum())
                                        .arg(pSlider->maximum())));
    if (c.m_iSlider) {
      // The slider's ends stand for the range (the edit shows them rounded).
      auto* pSlider = FindControlAs<QSlider>(&dlg, c.m_iSlider);
      auto* pEdit = qobject_cast<QLineEdit*>(w);
      for (const bool bTop : {false, true}) {
        pSlider->setValue(bTop ? pSlider->maximum() : pSlider->minimum());
        const double v = pEdit->text().toDouble();
        QVERIFY2(qAbs(v - (bTop ? c.m_dMax : c.m_dMin)) < 0.006,
                 qPrintable(csWhere + "shows " + pEdit->text()));
      }
    }
    if (!c.m_szText) continue;
    QString csText;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) csText = b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) csText = l->text();
    if (qobject_cast<QLineEdit*>(w)) csText = LabelOf(dlg, w);
    if (auto* pCombo = qobject_cast<QComboBox*>(w)) {
      QStringList aEntries;
      for (int k = 0; k < pCombo->count(); ++k) aEntries << pCombo->itemText(k);
      csText = LabelOf(dlg, w) + "=" + aEntries.join('|');
    }
    QVERIFY2(csText == c.m_szText, qPrintable(csWhere + csText));
  }
  auto expect = [&](const std::set<int>& ids, const std::set<int>& expected, const QString& cs) {
    QVERIFY2(ids == expected, qPrintable(QString("%1 %2: %3 instead of %4")
                                             .arg(t.m_szCaption, cs, Ids(ids), Ids(expected))));
  };
  // Nothing the table does not list.
  expect(Inputs(dlg, false), inputs, "inputs");

  // A dialog without the switch (Web Fade) starts as the others do once it
  // is cleared.
  auto* pWizard = FindControlAs<QAbstractButton>(&dlg, kWizardControlId);
  if (pWizard) {
    std::set<int> locked = inputs;
    locked.erase(kWizardControlId);
    for (int iId : t.m_FreeOfWizard) locked.erase(iId);
    expect(Inputs(dlg, true), locked, "disabled by the wizard");
    pWizard->click();
  }
  expect(Inputs(dlg, true), t.m_WizardClear, "disabled without the wizard");
  for (const Step& s : t.m_aSteps) {
    if (auto* pCombo = FindControlAs<QComboBox>(&dlg, s.m_iId))
      pCombo->setCurrentIndex(s.m_iEntry);
    else
      FindControlAs<QAbstractButton>(&dlg, s.m_iId)->click();
    expect(Inputs(dlg, true), s.m_Disabled, QString("disabled after %1").arg(s.m_iId));
  }
}

std::vector<DialogTable> Tables() {
  std::vector<DialogTable> a;
  {
    DialogTable t{XFORM_CLOUDS, 179, "Cloud Formation Settings",
                  Controls({{1142, EKind::Check, "&Wizard chooses"}})};
    Pair(t.m_aControls, 1176, 1177, "Horizon Effect");
    Pair(t.m_aControls, 1005, 1062, "Cloud coverage");
    Pair(t.m_aControls, 1006, 1063, "Cloud detail");
    Colour(t.m_aControls, 1174, 1175, "High Sky");
    Colour(t.m_aControls, 1179, 1178, "Low Sky");
    Colour(t.m_aControls, 1185, 1184, "Backlight");
    Colour(t.m_aControls, 1181, 1180, "Cloud Light");
    Colour(t.m_aControls, 1183, 1182, "Cloud Dark");
    a.push_back(t);
  }
  {
    DialogTable t{XFORM_PHASES, 213, "Phases settings",
                  Controls({{1142, EKind::Check, "&Wizard chooses"},
                            {1255, EKind::Check, "Textured surface"}})};
    Pair(t.m_aControls, 1249, 1250, "Number of planets (in x)");
    Pair(t.m_aControls, 1251, 1252, "Planet diameter (%)");
    Colour(t.m_aControls, 1131, 1013, "Planet Color");
    Colour(t.m_aControls, 1253, 1254, "Texture");
    Colour(t.m_aControls, 1130, 1017, "Background");
    t.m_WizardClear = {1253};
    t.m_aSteps = {{1255, 0, {}}};
    a.push_back(t);
  }
  {
    DialogTable t{XFORM_BUBBLE, 172, "Bubble Xform settings", Compass()};
    t.m_aControls.insert(t.m_aControls.end(), {{1142, EKind::Check, "&Wizard chooses"},
                                               {1086, EKind::Radio, "Solid color"},
                                               {1087, EKind::Radio, "Image"}});
    Colour(t.m_aControls, 1131, 1013, "Bubble color:");
    Colour(t.m_aControls, 1035, 1036, "High Light Color");
    Colour(t.m_aControls, 1130, 1017, "Select");
    Pair(t.m_aControls, 1147, 1148, "# Bubbles");
    Pair(t.m_aControls, 1149, 1150, "Size (% of x)");
    t.m_WizardClear = {1035};
    t.m_aSteps = {{1087, 0, {1035, 1130}}, {1102, 0, {1130}}, {1086, 0, {}}};
    a.push_back(t);
  }
  {
    DialogTable t{XFORM_MOSAIC, 142, "Mosaic settings", Compass()};
    t.m_aControls.insert(t.m_aControls.end(), {{1142, EKind::Check, "&Wizard chooses"},
                                               {1028, EKind::Radio, "&Rectangular"},
                                               {1029, EKind::Radio, "&Circular"},
                                               {1030, EKind::Radio, "Rect. &and Circle"},
                                               {0, EKind::Static, "F1 for help with mosaics"}});
    Pair(t.m_aControls, 1091, 1031, "Tile size (% of x dimension)");
    Pair(t.m_aControls, 1092, 1032, "Spacing (% of tile size)");
    Colour(t.m_aControls, 1034, 1033, "Background color");
    Colour(t.m_aControls, 1035, 1036, "High Light Color");
    // The wizard locks the sliders 1091 and 1092 with their edits as well
    // (docs/dialogs.md): nothing it will overwrite stays editable.
    t.m_WizardClear = {1035};
    t.m_aSteps = {{1102, 0, {}}, {1100, 0, {1035}}};
    a.push_back(t);
  }
  {
    DialogTable t{XFORM_TEXT, 221, "Text Settings",
                  Controls({{1142, EKind::Check, "&Wizard chooses"},
                            {1086, EKind::Radio, "&Solid color"},
                            {1087, EKind::Radio, "&Image"},
                            {1088, EKind::Radio, "S&olid color overtype"},
                            {1089, EKind::Radio, "I&mage"},
                            {1266, EKind::Edit, "Phrase"},
                            {1265, EKind::Button, "&Font:"},
                            {1267, EKind::Static, "Arial"},
                            {0, EKind::Static, "F1 for help on this dialog"}})};
    Colour(t.m_aControls, 1131, 1118, "Select");
    Colour(t.m_aControls, 1130, 1120, "Select");
    Pair(t.m_aControls, 1178, 1179, "Number of letters (in width of image)");
    t.m_aSteps = {{1089, 0, {1131}}, {1087, 0, {1131, 1130}}, {1088, 0, {1130}}, {1086, 0, {}}};
    a.push_back(t);
  }
  {
    DialogTable t{XFORM_FALLEN_LETTERS, 182, "Fallen Letters Settings",
                  Controls({{1142, EKind::Check, "&Wizard Chooses"},
                            {1124, EKind::Check, "&Intensity"},
                            {1125, EKind::Check, "&Size"},
                            // Own mnemonics: Alt+S and Alt+I are Size and Intensity.
                            {1086, EKind::Radio, "S&olid color"},
                            {1087, EKind::Radio, "I&mage"},
                            {1183, EKind::Combo, "=Fixed color|Color from image|Random color"},
                            {1265, EKind::Button, "&Font:"},
                            {1267, EKind::Static, "Arial"},
                            {1177, EKind::Edit, "Letters:"},
                            {0, EKind::Static, "F1 for help on this dialog"}})};
    Colour(t.m_aControls, 1131, 1013, "Solid");
    Colour(t.m_aControls, 1130, 1017, "Solid");
    Pair(t.m_aControls, 1178, 1179, "Total Number of Letters");
    Pair(t.m_aControls, 1180, 1181, "Average Letter Size (% of diagonal)");
    t.m_aSteps = {{1183, 1, {1131}}, {1087, 0, {1131, 1130}}, {1183, 0, {1130}}};
    a.push_back(t);
  }
  {
    DialogTable t{XFORM_TEKNO_FRAG, 224, "Tekno Cubism Settings",
                  Controls({{1142, EKind::Check, "&Wizard Chooses"},
                            {1088, EKind::Radio, "Solid color"},
                            {1089, EKind::Radio, "Image"},
                            {1276, EKind::Radio, "Solid color"},
                            {1277, EKind::Radio, "Image"},
                            {1086, EKind::Radio, "Solid color"},
                            {1087, EKind::Radio, "Image"},
                            {0, EKind::Static, "F1 for help with Tekno Cubism"}})};
    Colour(t.m_aControls, 1131, 1018, "Select");
    Colour(t.m_aControls, 1278, 1281, "Select");
    Colour(t.m_aControls, 1130, 1017, "Select");
    Pair(t.m_aControls, 1279, 1280, "Number of Triangles");
    Pair(t.m_aControls, 1180, 1181, "Average Triangle Size (% of diagonal)");
    t.m_aSteps = {{1089, 0, {1131}}, {1277, 0, {1131, 1278}}, {1087, 0, {1131, 1278, 1130}},
                  {1088, 0, {1278, 1130}}};
    a.push_back(t);
  }
  {
    DialogTable t{XFORM_PRIMITIVE_ART, 219, "Primitive Art Settings",
                  Controls({{1142, EKind::Check, "&Wizard chooses"},
                            {1264, EKind::Combo, "Feature Shape=SQUARE|CIRCLE|TRIANGLE|NONE"},
                            {0, EKind::Static, "F1 for help with primitives"}})};
    Pair(t.m_aControls, 1256, 1257, "Density");
    Pair(t.m_aControls, 1258, 1261, "Area Covered (%)");
    Pair(t.m_aControls, 1259, 1263, "Feature width (% of diagonal)");
    Colour(t.m_aControls, 1132, 1262, "Line color");
    Colour(t.m_aControls, 1130, 1017, "Background:");
    a.push_back(t);
  }
  {
    DialogTable t{XFORM_SWARM, 168, "Swarm Xform Settings",
                  Controls({{1142, EKind::Check, "&Wizard chooses"},
                            {1126, EKind::Check, "&Angle"},
                            {1124, EKind::Check, "&Intensity"},
                            {1125, EKind::Check, "&Size"},
                            {0, EKind::Group, "Number of sticks"}})};
    Colour(t.m_aControls, 1131, 1013, "Foreground");
    Colour(t.m_aControls, 1130, 1017, "Background");
    Pair(t.m_aControls, 1123, 1122, "", 100, 30000);
    a.push_back(t);
  }
  {
    DialogTable t{XFORM_OP_ART, 165, "Op Art Xform Settings",
                  Controls({{1142, EKind::Check, "&Wizard chooses"},
                            {1122, EKind::Check, "&Outline Only"},
                            {1113, EKind::Radio, "&Rotation", "Geometry"},
                            {1114, EKind::Radio, "&Size", "Geometry"},
                            {1115, EKind::Radio, "Rotation &And Size", "Geometry"},
                            {1116, EKind::Radio, "S&tretch, Squeeze", "Geometry"}})};
    Pair(t.m_aControls, 1111, 1112, "Num. Squares", 32, 128);
    Colour(t.m_aControls, 1117, 1118, "&Foreground");
    Colour(t.m_aControls, 1119, 1120, "&Background");
    a.push_back(t);
  }
  {
    // Levels 204, 153, 102 and 51 of 255.
    DialogTable t{XFORM_RELIEF_MAP, 176, "Aerial View Settings",
                  Controls({{1142, EKind::Check, "&Wizard chooses"},
                            {1164, EKind::Slider, nullptr, nullptr, 0, 255},
                            {1163, EKind::Slider, nullptr, nullptr, 0, 255},
                            {1162, EKind::Slider, nullptr, nullptr, 0, 255},
                            {1161, EKind::Slider, nullptr, nullptr, 0, 255},
                            {1187, EKind::Static, "80%"},
                            {1186, EKind::Static, "60%"},
                            {1185, EKind::Static, "40%"},
                            {1184, EKind::Static, "20%"},
                            {1209, EKind::Check, "Earth"},
                            {1245, EKind::Combo, "=No contours|Contours|Numbered Contours"}})};
    Statics(t.m_aControls, {"Snow Line", "Rock", "Hill", "Sea Level"});
    a.push_back(t);
  }
  {
    DialogTable t{XFORM_EXPLODE, 207, "Explode Settings",
                  Controls({{1142, EKind::Check, "&Wizard Chooses"},
                            {1143, EKind::Check, "Start from Image"},
                            {1144, EKind::Check, "End from Image"},
                            {1086, EKind::Radio, "Solid color", "Background"},
                            {1087, EKind::Radio, "Image", "Background"}})};
    // Each group box names its pair; no label repeats the title.
    Pair(t.m_aControls, 1228, 1229, "", 500, 2500);
    Pair(t.m_aControls, 1234, 1235, "", 0, 100);
    Real(t.m_aControls, 1230, 1231, "", 1.5, 15.0);
    Real(t.m_aControls, 1232, 1233, "", 0.5, 4.0);
    for (const char* sz : {"Number of traces", "Gravity effect", "Trace length", "Trace ending width"})
      t.m_aControls.push_back({0, EKind::Group, sz});
    Colour(t.m_aControls, 1224, 1225, "Start Color");
    Colour(t.m_aControls, 1226, 1227, "End Color");
    Colour(t.m_aControls, 1130, 1017, "Select");
    t.m_WizardClear = {1224, 1226};
    t.m_aSteps = {{1143, 0, {1226}}, {1087, 0, {1226, 1130}}, {1144, 0, {1130}}};
    a.push_back(t);
  }
  {
    DialogTable t{XFORM_MIST, 180, "Mist Formation Settings",
                  Controls({{1142, EKind::Check, "&Wizard chooses"},
                            {0, EKind::Static, "F1 for help with pea soup"},
                            {1131, EKind::Button, "Color A", "Colors"},
                            {1130, EKind::Button, "Color B", "Colors"},
                            {1013, EKind::Swatch},
                            {1017, EKind::Swatch}})};
    a.push_back(t);
  }
  {
    DialogTable t{XFORM_KLEE, 198, "Klee Xform Parameters",
                  Controls({{1142, EKind::Check, "&Wizard Chooses"}})};
    Pair(t.m_aControls, 1167, 1168, "Number of strokes (width)", 10, 50);
    Real(t.m_aControls, 1169, 1170, "Klee Color Freedom", 0.0, 0.5);
    a.push_back(t);
  }
  {
    DialogTable t{XFORM_HAAISI, 203, "Haaisi Parameters",
                  Controls({{1142, EKind::Check, "&Wizard chooses"},
                            {1215, EKind::Slider, nullptr, nullptr, 15, 40},
                            {0, EKind::Static, "Low----   Detail   ----High"}})};
    Colour(t.m_aControls, 1132, 1014, "Fore 1...");
    Colour(t.m_aControls, 1133, 1018, "Fore 2...");
    Colour(t.m_aControls, 1214, 1213, "Background...");
    a.push_back(t);
  }
  {
    DialogTable t{XFORM_MAD_PAINTER, 178, "Mad Painter Settings",
                  Controls({{1142, EKind::Check, "&Wizard chooses"},
                            {1086, EKind::Radio, "Solid color", "Background"},
                            {1087, EKind::Radio, "Image", "Background"},
                            {0, EKind::Static, "F1 for help with a mad painter"}})};
    Colour(t.m_aControls, 1130, 1017, "Select");
    Pair(t.m_aControls, 1167, 1168, "Number of brush strokes", 3000, 9000);
    Real(t.m_aControls, 1169, 1170, "Average stroke width (% x dim.)", 1.0, 2.5);
    Real(t.m_aControls, 1173, 1174, "Average stroke length (% x dim.)", 0.5, 8.0);
    Real(t.m_aControls, 1171, 1172, "Madness of painter", 0.0, 1.0);
    t.m_aSteps = {{1087, 0, {1130}}, {1086, 0, {}}};
    a.push_back(t);
  }
  {
    DialogTable t{XFORM_MARILYN_WARHOL, 159, "Marylin Warhol Settings",
                  Controls({{1142, EKind::Check, "&Wizard chooses"},
                            {0, EKind::Static, "F1 for help with Mary and Andy"}})};
    Pair(t.m_aControls, 1090, 1085, "Horizontal images", 1, 8);
    Pair(t.m_aControls, 1091, 1086, "Vertical images", 1, 8);
    Pair(t.m_aControls, 1092, 1088, "Number of inks", 2, 5);
    Pair(t.m_aControls, 1093, 1087, "Splodge", 0, 6);
    a.push_back(t);
  }
  {
    DialogTable t{XFORM_BANYA, 186, "Banya Object Xform Settings",
                  Controls({{1142, EKind::Check, "&Wizard Chooses"}})};
    Colour(t.m_aControls, 1119, 1120, "&Background");
    Colour(t.m_aControls, 1123, 1124, "&ShapeColor");
    Colour(t.m_aControls, 1186, 1187, "&Odd Color");
    Colour(t.m_aControls, 1121, 1122, "&Even Color");
    Pair(t.m_aControls, 1111, 1112, "Num. Squares", 10, 100);
    a.push_back(t);
  }
  {
    DialogTable t{XFORM_NET, 192, "Net settings",
                  Controls({{1142, EKind::Check, "&Wizard chooses"},
                            {1086, EKind::Radio, "&Solid color", "Background"},
                            {1087, EKind::Radio, "&Image", "Background"},
                            {1190, EKind::Combo, "Geometry:=Horizontal|Vertical|Grid"},
                            {1191, EKind::Check, "Thread &Blur"}})};
    Colour(t.m_aControls, 1131, 1013, "Foreground");
    Colour(t.m_aControls, 1130, 1017, "Select");
    Pair(t.m_aControls, 1192, 1193, "Number of vertical threads", 20, 200);
    t.m_aSteps = {{1087, 0, {1130}}, {1086, 0, {}}};
    a.push_back(t);
  }
  {
    DialogTable t{XFORM_FLOWERS, 208, "Flowers Settings",
                  Controls({{1142, EKind::Check, "&Wizard chooses"},
                            {1275, EKind::Check, "Derived from original image"},
                            {1249, EKind::Slider, nullptr, nullptr, 0, 100}})};
    Statics(t.m_aControls, {"Variability", "Schematic ----------- Wild",
                            "F1 for help on designing flowers"});
    Colour(t.m_aControls, 1235, 1236, "Leaf Color");
    Colour(t.m_aControls, 1241, 1242, "Petal Color");
    Colour(t.m_aControls, 1247, 1248, "Flower Color");
    Real(t.m_aControls, 1251, 1250, "Size", 1.0, 3.0);
    Real(t.m_aControls, 1232, 1231, "Size", 1.0, 5.0);
    Real(t.m_aControls, 1234, 1233, "Width", 5.0, 40.0);
    Real(t.m_aControls, 1238, 1237, "Size", 1.0, 5.0);
    Real(t.m_aControls, 1240, 1239, "Width", 5.0, 40.0);
    for (int i : {1231, 1233}) t.m_aControls.push_back({i, EKind::Edit, nullptr, "Leaves"});
    for (int i : {1237, 1239}) t.m_aControls.push_back({i, EKind::Edit, nullptr, "Petals"});
    Pair(t.m_aControls, 1243, 1244, "# of flowers", 0, 350);
    Pair(t.m_aControls, 1245, 1246, "# of petals", 4, 9);
    Pair(t.m_aControls, 1258, 1261, "Area covered by flowers (%)", 10, 95);
    t.m_aSteps = {{1275, 0, {1247}}, {1275, 0, {}}};
    a.push_back(t);
  }
  {
    DialogTable t{XFORM_WOOD, 175, "Wood Settings",
                  Controls({{1142, EKind::Check, "&Wizard chooses"},
                            {1158, EKind::Combo,
                             "Wood Type=Legno05|Pav03|Legno04|Mahogany|Walnut|Radica|Pav07"}})};
    Pair(t.m_aControls, 1156, 1157, "Grain Width", 8, 64);
    Statics(t.m_aControls, {"Min", "Max", "F1 for help with Wood"});
    a.push_back(t);
  }
  {
    DialogTable t{XFORM_LIQUID_ENERGY, 184, "Liquid Energy Settings",
                  Controls({{1142, EKind::Check, "&Wizard chooses"},
                            {1131, EKind::Button, "Energy", "Colors"},
                            {1130, EKind::Button, "Liquid", "Colors"},
                            {1013, EKind::Swatch},
                            {1017, EKind::Swatch}})};
    Pair(t.m_aControls, 1181, 1182, "Ripple Width", 10, 100);
    Statics(t.m_aControls, {"Min", "Max", "F1 for help on this dialog"});
    a.push_back(t);
  }
  {
    DialogTable t{XFORM_FALLEN_LEAVES, 222, "Fallen Leaves Settings",
                  Controls({{1142, EKind::Check, "&Wizard Chooses"},
                            {1086, EKind::Radio, "Solid color", "Background"},
                            {1087, EKind::Radio, "Image", "Background"},
                            {1271, EKind::Check, "Piling"},
                            {1272, EKind::Check, "Shading"},
                            {1273, EKind::Check, "Angling"},
                            {1274, EKind::Combo, "Leaf type=Ordinary|Maple|Mixed"},
                            {0, EKind::Static, "F1 for help on this dialog"}})};
    Colour(t.m_aControls, 1130, 1017, "Select");
    Pair(t.m_aControls, 1268, 1269, "Number of leaves", 150, 2000);
    Pair(t.m_aControls, 1258, 1261, "Area of piled leaves (%)", 10, 90);
    Real(t.m_aControls, 1262, 1263, "Size of leaves (% of image diagonal)", 2.0, 10.0);
    t.m_aSteps = {{1271, 0, {1258, 1261}}, {1087, 0, {1258, 1261, 1130}}, {1271, 0, {1130}}};
    a.push_back(t);
  }
  {
    DialogTable t{XFORM_WEB_FADE, 204, "WEB Fading Settings",
                  Controls({{1066, EKind::Radio, "&Left Right"},
                            {1067, EKind::Radio, "&Top Bottom"},
                            {1068, EKind::Radio, "&Right Left"},
                            {1069, EKind::Radio, "&Bottom Top"},
                            {1070, EKind::Radio, "&Center Out", "Circular"},
                            {1071, EKind::Radio, "O&uter In", "Circular"},
                            {1072, EKind::Radio, "Center Out", "Elliptical"},
                            {1073, EKind::Radio, "Outer In", "Elliptical"},
                            {1216, EKind::Edit, "", "WEB Fade color"},
                            {1034, EKind::Button, "Choose...", "WEB Fade color"},
                            {1036, EKind::Swatch},
                            {0, EKind::Static, "F1 for help on WEB fading"}})};
    Pair(t.m_aControls, 1099, 1101, "Mix sharpness", 1, 99);
    a.push_back(t);
  }
  {
    DialogTable t{XFORM_OLD_FILM, 205, "Old Film Settings",
                  Controls({{1142, EKind::Check, "&Wizard Chooses"},
                            {1222, EKind::Check, "Sprockets"},
                            {1223, EKind::Check, "Film processiong errors"},
                            {0, EKind::Static, "F1 for help with out of date films"}})};
    Pair(t.m_aControls, 1220, 1224, "Vertical scratches", 0, 40);
    Pair(t.m_aControls, 1219, 1221, "Dirtiness of film", 0, 150);
    a.push_back(t);
  }
  {
    DialogTable t{XFORM_IVY, 214, "Ivy Settings",
                  Controls({{1142, EKind::Check, "&Wizard chooses"},
                            {1086, EKind::Radio, "Solid color", "Background"},
                            {1087, EKind::Radio, "Image", "Background"},
                            {0, EKind::Static, "F1 for help on this dialog"}})};
    Pair(t.m_aControls, 1256, 1257, "Density of growth", 40, 200);
    Real(t.m_aControls, 1262, 1263, "Size of leaves", 2.0, 6.0);
    Pair(t.m_aControls, 1258, 1261, "Area covered", 10, 90);
    Colour(t.m_aControls, 1130, 1017, "Select");
    Colour(t.m_aControls, 1131, 1013, "Fill color:");
    Colour(t.m_aControls, 1132, 1014, "Line color:");
    t.m_aSteps = {{1087, 0, {1130}}};
    a.push_back(t);
  }
  {
    DialogTable t{XFORM_PEARLS, 225, "Pearls on Silk",
                  Controls({{1142, EKind::Check, "&Wizard chooses"},
                            {0, EKind::Static, "F1 for help on throwing pearls around"}})};
    Pair(t.m_aControls, 1192, 1193, "Number of pearls", 50, 250);
    Pair(t.m_aControls, 1258, 1261, "Area covered", 10, 90);
    Real(t.m_aControls, 1180, 1181, "Pearl size", 0.5, 1.5);
    a.push_back(t);
  }
  {
    DialogTable t{XFORM_STARDUST, 153, "Stardust Settings",
                  Controls({{1142, EKind::Check, "&Wizard chooses"},
                            {1143, EKind::Check, "Spiked stars have &Halos"},
                            {0, EKind::Static, "F1 for help with Stardust design"}})};
    Pair(t.m_aControls, 1004, 1061, "Number of stars", 200, 6000);
    Pair(t.m_aControls, 1006, 1063, "Background Energy", 0, 75);
    Pair(t.m_aControls, 1005, 1062, "Stars with spikes (% of total stars)", 0, 100);
    Real(t.m_aControls, 1007, 1064, "Spike Diameter (% of image)", 1.5, 10.0);
    a.push_back(t);
  }
  return a;
}

}  // namespace

class CBuiltDialogsTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { InstallRecordingReporter(); }

  void EveryTabledDialogMatchesItsTable() {
    std::set<int> tabled;
    for (const DialogTable& t : Tables()) {
      QVERIFY(CFilSpec::IsBuilt(t.m_iXform));
      CheckDialog(t);
      if (QTest::currentTestFailed()) return;
      tabled.insert(t.m_iXform);
    }
    QCOMPARE(int(tabled.size()), kXformCount);
  }

  // The Xforms' own checks on OK: with the wizard clear, after clicking the
  // ids and typing into one edit, OK either refuses with the message (the
  // dialog stays open) or closes.
  void OkChecksRefuseWhatTheXformCannotDraw() {
    struct Case {
      int m_iXform;
      std::vector<int> m_aClicks;
      int m_iEdit;
      const char* m_szTyped;
      const char* m_szMessage;  // null: accepted
    };
    const std::vector<Case> aCases = {
        {XFORM_SWARM, {1126}, 0, nullptr, "Choose at least one of:\nAngle, Intensity, Size"},
        {XFORM_SWARM, {1126, 1125}, 0, nullptr, nullptr},
        {XFORM_FALLEN_LEAVES, {1271, 1272, 1273}, 0, nullptr,
         "You should choose at least one of\nPiling, Shading, Angling"},
        {XFORM_FALLEN_LEAVES, {1271, 1272}, 0, nullptr, nullptr},
        {XFORM_FALLEN_LETTERS, {1124}, 0, nullptr, "You must choose at least one of\nIntensity Size"},
        {XFORM_FALLEN_LETTERS, {}, 1177, "", "You must type at least one character\nin the \"Letters\" box"},
        {XFORM_FALLEN_LETTERS, {}, 1177, "   ",
         "You must type at least one (non space) character\nin the \"Letters\" box"},
        {XFORM_FALLEN_LETTERS, {1124, 1125}, 1177, " A B ", nullptr},
    };
    for (const Case& c : aCases) {
      CFilSpec spec;
      void* pRecord = spec.Record(c.m_iXform);
      CXformDialog dlg(CFilSpec::Form(c.m_iXform), pRecord);
      dlg.SetOkCheck([&c](void* p) {
        const char* szMessage = CFilSpec::CheckSettings(c.m_iXform, p);
        if (szMessage) ReportError("%s", szMessage);
        return szMessage == nullptr;
      });
      FindControlAs<QAbstractButton>(&dlg, kWizardControlId)->click();
      for (int iId : c.m_aClicks) FindControlAs<QAbstractButton>(&dlg, iId)->click();
      if (c.m_iEdit) {
        auto* pEdit = FindControlAs<QLineEdit>(&dlg, c.m_iEdit);
        pEdit->setText(c.m_szTyped);
        emit pEdit->textEdited(c.m_szTyped);
      }
      FindControlAs<QAbstractButton>(&dlg, kIdOk)->click();
      const std::vector<std::string> aMessages = TakeMessages();
      if (c.m_szMessage) {
        QCOMPARE(aMessages, std::vector<std::string>{c.m_szMessage});
        QVERIFY(dlg.result() != QDialog::Accepted);
      } else {
        QVERIFY(aMessages.empty());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
      }
    }
  }

  // The four levels hold each other back, so OK has nothing to raise; the
  // list sets both contour flags.
  void ReliefMapLevelsStayOrdered() {
    ReliefMapParams p;
    p.m_bWizard = 0;
    CXformDialog dlg(CFormRef(kReliefMapForm), &p);
    auto* pSea = FindControlAs<QSlider>(&dlg, 1161);
    pSea->setValue(0);  // the top: 255 asked for
    QCOMPARE(p.m_iSeaLevel, 102);
    QCOMPARE(pSea->value(), 255 - 102);
    QCOMPARE(FindControlAs<QLabel>(&dlg, 1184)->text(), QString("40%"));
    FindControlAs<QSlider>(&dlg, 1163)->setValue(255);  // Rock to the bottom
    QCOMPARE(p.m_iRock, 102);
    FindControlAs<QSlider>(&dlg, 1164)->setValue(0);  // Snow Line to the top
    QCOMPARE(p.m_iSnowLine, 255);
    QCOMPARE(FindControlAs<QLabel>(&dlg, 1187)->text(), QString("100%"));
    auto* pList = FindControlAs<QComboBox>(&dlg, 1245);
    pList->setCurrentIndex(2);
    QCOMPARE(p.m_bContours + p.m_bNumbered, 2);
    pList->setCurrentIndex(1);
    QCOMPARE(p.m_bContours * 10 + p.m_bNumbered, 10);

    ReliefMapParams q;
    q.m_bNumbered = 1;  // without contours: shown as no contours, cleared on OK
    CXformDialog dlgQ(CFormRef(kReliefMapForm), &q);
    dlgQ.SetOkCheck([](void* r) { return !CFormRef(kReliefMapForm).CheckOnOk(r); });
    QCOMPARE(FindControlAs<QComboBox>(&dlgQ, 1245)->currentIndex(), 0);
    FindControlAs<QAbstractButton>(&dlgQ, kWizardControlId)->click();
    FindControlAs<QSlider>(&dlgQ, 1161)->setValue(0);
    FindControlAs<QAbstractButton>(&dlgQ, kIdOk)->click();
    QCOMPARE(dlgQ.result(), int(QDialog::Accepted));
    // Sea Level stopped at Hill; nothing above it was raised.
    QCOMPARE(q.m_iSnowLine * 1000000 + q.m_iRock * 1000 + q.m_iHill, 204153102);
    QCOMPARE(q.m_iSeaLevel, 102);
    QCOMPARE(q.m_bNumbered, 0);
  }

  // A hex colour typed with spaces, the variability slider's hundred steps,
  // an int edit showing where its slider stands, and Wood's default mode.
  void EditsAndSlidersShowWhatTheyStore() {
    WebFadeParams w;
    CXformDialog dlgW(CFormRef(kWebFadeForm), &w);
    TypeAndLeave(FindControlAs<QLineEdit>(&dlgW, 1216), "# ff 00 00");
    QCOMPARE(w.m_crFade, COLORREF(0xFF0000));
    QCOMPARE(FindControlAs<QLineEdit>(&dlgW, 1216)->text(), QString("FF0000"));

    FlowersParams f;
    f.m_bWizard = 0;
    CXformDialog dlgF(CFormRef(kFlowersForm), &f);
    auto* pVariability = FindControlAs<QSlider>(&dlgF, 1249);
    QCOMPARE(pVariability->value(), 50);  // trunc(0.225 / 0.45 * 100)
    pVariability->setValue(37);
    QCOMPARE(f.m_dVariability, 37 * 0.45 * 0.01);

    OpArtParams o;  // 24 squares stored, the slider starts at 32
    CXformDialog dlgO(CFormRef(kOpArtForm), &o);
    QCOMPARE(FindControlAs<QSlider>(&dlgO, 1111)->value(), 32);
    QCOMPARE(FindControlAs<QLineEdit>(&dlgO, 1112)->text(), QString("32"));
    QCOMPARE(o.m_iSquares, 24);

    // Wood starts at a fixed angle; its modes are named by what they draw,
    // and a recipe's earlier name still reads as the same mode.
    WoodParams wood;
    QCOMPARE(wood.m_iStrokeMode, int(WOOD_STROKES_FIXED));
    const CFormRef woodForm(kWoodForm);
    std::string csError;
    QVERIFY(SetFieldFromText(woodForm, &wood, "stroke_direction", "tangential", csError));
    QCOMPARE(wood.m_iStrokeMode, int(WOOD_STROKES_TANGENTIAL));
    QCOMPARE(FieldText(woodForm, &wood, std::size_t(woodForm.Find("stroke_direction"))),
             std::string("pointing"));
  }

  // The values behind the lists and radio pairs, and the Xforms' own checks.
  void ListsAndPairsStoreTheirValues() {
    PrimitiveArtParams p;
    p.m_iShape = PRIMITIVE_NONE;
    CXformDialog dlg(CFormRef(kPrimitiveArtForm), &p);
    auto* pShape = FindControlAs<QComboBox>(&dlg, 1264);
    QCOMPARE(pShape->currentText(), QString("NONE"));
    pShape->setCurrentIndex(2);
    QCOMPARE(p.m_iShape, PRIMITIVE_TRIANGLE);

    TeknoFragParams t;
    t.m_bWizard = 0;
    CXformDialog dlgT(CFormRef(kTeknoFragForm), &t);
    QVERIFY(FindControlAs<QRadioButton>(&dlgT, 1088)->isChecked());
    FindControlAs<QRadioButton>(&dlgT, 1277)->click();
    QCOMPARE(t.m_bSolid2, 0);
    QCOMPARE(t.m_bSolid1, 1);
  }

  void TextRefusesAPhraseWithoutEnd() {
    CFilSpec spec;
    spec.m_iXform = XFORM_TEXT;
    std::memset(spec.m_Text.m_szPhrase, 'x', sizeof spec.m_Text.m_szPhrase);
    bool bStillOpen = false;
    QTimer::singleShot(0, [&bStillOpen] {
      QWidget* pDialog = QApplication::activeModalWidget();
      QVERIFY(pDialog);
      FindControlAs<QAbstractButton>(pDialog, kIdOk)->click();
      bStillOpen = pDialog->isVisible();
      auto* pPhrase = FindControlAs<QLineEdit>(pDialog, 1266);
      QCOMPARE(pPhrase->text(), QString("Errors"));
      FindControlAs<QAbstractButton>(pDialog, kWizardControlId)->click();
      pPhrase->setText("Short");
      emit pPhrase->textEdited("Short");
      FindControlAs<QAbstractButton>(pDialog, kIdOk)->click();
    });
    QCOMPARE(OCP(nullptr, spec), 1);
    QVERIFY(bStillOpen);
    QCOMPARE(TakeMessages(), std::vector<std::string>{"Too many characters in the phrases"});
    QCOMPARE(QByteArray(spec.m_Text.m_szPhrase), QByteArray("Short"));
  }
};

QTEST_MAIN(CBuiltDialogsTest)
#include "built_dialogs_test.moc"
