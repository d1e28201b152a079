// Settings dialogs against control tables taken from their descriptions: each
// control with its id, kind and text, nothing more; which inputs the wizard
// switch leaves enabled; and, with the wizard clear, which inputs each
// enabling rule disables as the user clicks through the dialog.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
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

enum class EKind { Slider, Edit, Button, Radio, Check, Combo, Swatch, Static };

struct Control {
  int m_iId;  // 0: a static found by its text
  EKind m_eKind;
  // Button, radio and check box: its text; edit and list: the text of the
  // label naming it (null: none); list: its entries as "A|B|C" after a "=";
  // null: not compared.
  const char* m_szText = nullptr;
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

// A slider with its edit, and a colour button with its swatch.
void Pair(std::vector<Control>& a, int iSlider, int iEdit, const char* szLabel) {
  a.push_back({iSlider, EKind::Slider});
  a.push_back({iEdit, EKind::Edit, szLabel});
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
  }
  return false;
}

void CheckDialog(const DialogTable& t) {
  CFilSpec spec;  // every Xform at its defaults, the wizard switch set
  const CFormRef form = CFilSpec::Form(t.m_iXform);
  CXformDialog dlg(form, spec.Record(t.m_iXform));
  QCOMPARE(dlg.windowTitle(), QString(t.m_szCaption));
  QCOMPARE(IdOf(&dlg), t.m_iDialogId);

  std::set<int> inputs;
  for (const Control& c : t.m_aControls) {
    const QString csWhere = QString("%1 control %2 ").arg(t.m_szCaption).arg(c.m_iId);
    if (c.m_iId == 0) {
      bool bFound = false;
      for (QLabel* l : dlg.findChildren<QLabel*>()) bFound |= l->text() == c.m_szText;
      QVERIFY2(bFound, qPrintable(csWhere + c.m_szText));
      continue;
    }
    QWidget* w = FindControl(&dlg, c.m_iId);
    QVERIFY2(w && Is(w, c.m_eKind), qPrintable(csWhere + "missing or of another kind"));
    if (IsInput(w)) inputs.insert(c.m_iId);
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

  std::set<int> locked = inputs;
  locked.erase(kWizardControlId);
  for (int iId : t.m_FreeOfWizard) locked.erase(iId);
  expect(Inputs(dlg, true), locked, "disabled by the wizard");

  FindControlAs<QAbstractButton>(&dlg, kWizardControlId)->click();
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
                            {1086, EKind::Radio, "&Solid color"},
                            {1087, EKind::Radio, "&Image"},
                            {1183, EKind::Combo},
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
  return a;
}

}  // namespace

class CBuiltDialogsTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { InstallRecordingReporter(); }

  void EveryTabledDialogMatchesItsTable() {
    for (const DialogTable& t : Tables()) {
      QVERIFY(CFilSpec::IsBuilt(t.m_iXform));
      CheckDialog(t);
      if (QTest::currentTestFailed()) return;
    }
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
