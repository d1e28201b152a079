// The generic Xform settings dialog on the Mosaic and Clouds forms and on a
// probe form holding every other kind of field.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <QtTest>

#include <cstring>
#include <set>

#include "dialog_test_support.h"
#include "dialogs/dialog_toolkit.h"
#include "dialogs/xform_dialog.h"
#include "engine/filspec.h"
#include "platform/gdi/font.h"

namespace {

struct ProbeParams {
  std::int32_t m_bWizard = 0;
  COLORREF m_crHex = RGB(255, 0, 0);
  COLORREF m_crChoice = 0;
  std::int32_t m_bRandom = 0;
  BackgroundSpec m_Back;
  std::int32_t m_iMode = 0;
  std::int32_t m_bFlag = 0;
  char m_szPhrase[16] = "Hello";
  LOGFONT m_Font{};
};

constexpr auto kProbeForm = MakeForm<ProbeParams>(
    900, "Probe settings", HexColour(&ProbeParams::m_crHex, "hex", 901, 902, 903, "Web colour"),
    ColourChoice(&ProbeParams::m_crChoice, &ProbeParams::m_bRandom, "choice", 904, 905, "Letters",
                 "random", 906, "&Random colour"),
    Background(&ProbeParams::m_Back, "paper", 907, 908, "Paper", "paper_picture", 909, "&Image"),
    Choice(&ProbeParams::m_iMode, "mode", 910, "Colour mode",
           {{0, "Fixed"}, {1, "From picture"}, {2, "Random"}}),
    Check(&ProbeParams::m_bFlag, "flag", 911, "&Size").EnabledWhen([](const ProbeParams& p) {
      return p.m_iMode == 0;
    }),
    Text<&ProbeParams::m_szPhrase>("phrase", 912, "Phrase", 200),
    Font<&ProbeParams::m_Font>("font", 913, 914, "&Font:"), WizardSwitch(&ProbeParams::m_bWizard));

// Ids of every input control of a dialog that is disabled now.
std::set<int> DisabledInputs(const QWidget& dlg) {
  std::set<int> ids;
  for (QWidget* w : dlg.findChildren<QWidget*>()) {
    const bool bInput = qobject_cast<QAbstractButton*>(w) || qobject_cast<QSlider*>(w) ||
                        qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w);
    bool bNumber = false;
    const int iId = w->objectName().toInt(&bNumber);
    if (bInput && bNumber && !w->isEnabled()) ids.insert(iId);
  }
  return ids;
}

template <class F>
void WhenModal(F fn) {
  QTimer::singleShot(0, [fn] {
    QWidget* pDialog = QApplication::activeModalWidget();
    QVERIFY(pDialog);
    fn(pDialog);
  });
}

// Types letter by letter as a keyboard would (the validator sees each one).
void TypeKeys(QWidget* pWidget, const QString& csText) {
  for (QChar c : csText) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(pWidget, &press);
  }
}

void Click(const QWidget* pDialog, int iId) {
  auto* pButton = FindControlAs<QAbstractButton>(pDialog, iId);
  QVERIFY2(pButton, qPrintable(QString::number(iId)));
  pButton->click();
}

}  // namespace

class CXformDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { InstallRecordingReporter(); }

  void MosaicWizardDisablesExactlyTheGovernedControls() {
    MosaicParams p;
    CXformDialog dlg(CFormRef(kMosaicForm), &p);
    QCOMPARE(dlg.windowTitle(), QString("Mosaic settings"));
    const std::set<int> governed = {1091, 1031, 1092, 1032, 1028, 1029, 1030, 1034, 1035, 1100,
                                    1101, 1102, 1103, 1104, 1105, 1106, 1107, 1108};
    QCOMPARE(DisabledInputs(dlg), governed);

    Click(&dlg, kWizardControlId);
    QCOMPARE(p.m_bWizard, 0);
    // The highlight colour only matters while a direction is lit.
    QCOMPARE(DisabledInputs(dlg), std::set<int>{1035});
    Click(&dlg, 1102);
    QCOMPARE(p.m_iHighLight, HIGHLIGHT_TOP);
    QVERIFY(DisabledInputs(dlg).empty());
    Click(&dlg, 1100);
    QCOMPARE(DisabledInputs(dlg), std::set<int>{1035});
    Click(&dlg, kWizardControlId);
    QCOMPARE(DisabledInputs(dlg), governed);
  }

  void MosaicCompassAndLabels() {
    MosaicParams p;
    p.m_iGeometry = MOSAIC_CIRCULAR;
    p.m_bWizard = 0;
    CXformDialog dlg(CFormRef(kMosaicForm), &p);
    QVERIFY(FindControlAs<QRadioButton>(&dlg, 1029)->isChecked());
    QVERIFY(FindControlAs<QRadioButton>(&dlg, 1100)->isChecked());
    QCOMPARE(FindControlAs<QRadioButton>(&dlg, 1030)->text(), QString("Rect. &and Circle"));
    QCOMPARE(FindControlAs<QRadioButton>(&dlg, 1106)->text(), QString("Bot."));
    QCOMPARE(FindControlAs<QPushButton>(&dlg, 1034)->text(), QString("Background color"));
    QCOMPARE(FindControlAs<QCheckBox>(&dlg, 1142)->text(), QString("&Wizard chooses"));
    QVERIFY(!dlg.findChildren<QLabel*>().isEmpty());
    bool bNote = false;
    for (QLabel* l : dlg.findChildren<QLabel*>()) bNote |= l->text() == "F1 for help with mosaics";
    QVERIFY(bNote);
    Click(&dlg, 1030);
    QCOMPARE(p.m_iGeometry, MOSAIC_RECT_AND_CIRCLE);
  }

  void RealPairFollowsSliderAndClampsTypedValues() {
    MosaicParams p;
    p.m_bWizard = 0;
    CXformDialog dlg(CFormRef(kMosaicForm), &p);
    auto* pSlider = FindControlAs<QSlider>(&dlg, 1091);
    auto* pEdit = FindControlAs<QLineEdit>(&dlg, 1031);
    QCOMPARE(pSlider->maximum(), 10000);
    QCOMPARE(pSlider->value(), static_cast<int>((5.0 - 1.0) * 10000 / 6.0));
    QCOMPARE(pEdit->text(), QString("5.00"));
    QCOMPARE(pEdit->maxLength(), 12);

    pSlider->setValue(5000);
    QCOMPARE(p.m_dTileSize, 1.0 + 5000 * 6.0 * 0.0001);
    QCOMPARE(pEdit->text(), QString("4.00"));

    // Mosaic declares no wider range for its edits: a value outside is limited.
    TypeAndLeave(pEdit, "9");
    QCOMPARE(p.m_dTileSize, 7.0);
    QCOMPARE(pEdit->text(), QString("7.00"));
    QCOMPARE(pSlider->value(), 10000);
    TypeAndLeave(pEdit, "2.5");
    QCOMPARE(p.m_dTileSize, 2.5);
    QCOMPARE(pSlider->value(), 2500);
    // Text without a number leaves the value.
    TypeAndLeave(pEdit, "abc");
    QCOMPARE(p.m_dTileSize, 2.5);
    QCOMPARE(pEdit->text(), QString("2.50"));
    QVERIFY(TakeMessages().empty());
  }

  void CloudsIntPairsCheckThenClamp() {
    CloudsParams p;
    p.m_bWizard = 0;
    CXformDialog dlg(CFormRef(kCloudsForm), &p);
    QCOMPARE(dlg.windowTitle(), QString("Cloud Formation Settings"));
    auto* pCoverage = FindControlAs<QLineEdit>(&dlg, 1062);
    auto* pCoverageSlider = FindControlAs<QSlider>(&dlg, 1005);
    QCOMPARE(pCoverageSlider->minimum(), 10);
    QCOMPARE(pCoverageSlider->maximum(), 90);
    QCOMPARE(pCoverageSlider->value(), 50);
    QCOMPARE(FindControlAs<QLineEdit>(&dlg, 1177)->maxLength(), 8);

    TypeAndLeave(pCoverage, "95");
    QCOMPARE(p.m_iCoverage, 90);
    QCOMPARE(pCoverage->text(), QString("90"));
    QCOMPARE(pCoverageSlider->value(), 90);
    TypeAndLeave(pCoverage, "150");
    QCOMPARE(TakeMessages(), std::vector<std::string>{"Please enter an integer between 0 and 100."});
    QCOMPARE(p.m_iCoverage, 90);
    QCOMPARE(pCoverage->text(), QString("90"));
    TypeAndLeave(pCoverage, "lots");
    QCOMPARE(TakeMessages(), std::vector<std::string>{"Please enter an integer."});
    {
      // A field without a range of its own: a number beyond an int is no
      // integer it can hold; one beyond the slider is limited to it.
      MarilynParams m;
      CXformDialog marilyn(CFormRef(kMarilynForm), &m);
      auto* pAcross = FindControlAs<QLineEdit>(&marilyn, 1085);
      TypeAndLeave(pAcross, "99999999999");
      QCOMPARE(TakeMessages(), std::vector<std::string>{"Please enter an integer."});
      TypeAndLeave(pAcross, "9");
      QCOMPARE(m.m_iAcross, 8);
    }

    auto* pDetail = FindControlAs<QLineEdit>(&dlg, 1063);
    TypeAndLeave(pDetail, "2");
    QCOMPARE(p.m_iDetail, 3);
    TypeAndLeave(pDetail, "11");
    QCOMPARE(TakeMessages(), std::vector<std::string>{"Please enter an integer between 2 and 10."});
    FindControlAs<QSlider>(&dlg, 1006)->setValue(6);
    QCOMPARE(p.m_iDetail, 6);
    QCOMPARE(pDetail->text(), QString("6"));

    // Five colour buttons with their swatches, all governed by the wizard.
    Click(&dlg, kWizardControlId);
    QCOMPARE(DisabledInputs(dlg), (std::set<int>{1176, 1177, 1005, 1062, 1006, 1063, 1174, 1179,
                                                 1185, 1181, 1183}));
    QCOMPARE(FindControlAs<CColourSwatch>(&dlg, 1184)->Colour(), RGB(250, 100, 100));
  }

  void OkTakesAPendingEditAndARefusalKeepsTheDialogOpen() {
    CloudsParams p;
    p.m_bWizard = 0;
    CXformDialog dlg(CFormRef(kCloudsForm), &p);
    auto* pCoverage = FindControlAs<QLineEdit>(&dlg, 1062);
    pCoverage->setText("101");
    pCoverage->setModified(true);
    dlg.accept();
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(TakeMessages(), std::vector<std::string>{"Please enter an integer between 0 and 100."});
    pCoverage->setText("33");
    pCoverage->setModified(true);
    dlg.accept();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(p.m_iCoverage, 33);
  }

  void OcpCopiesBackOnOkAndClearsWizardAll() {
    CFilSpec spec;
    spec.m_iXform = XFORM_MOSAIC;
    WhenModal([](QWidget* pDialog) {
      Click(pDialog, kWizardControlId);
      TypeAndLeave(FindControlAs<QLineEdit>(pDialog, 1032), "20");
      Click(pDialog, kIdOk);
    });
    QCOMPARE(OCP(nullptr, spec), 1);
    QCOMPARE(spec.m_Mosaic.m_bWizard, 0);
    QCOMPARE(spec.m_Mosaic.m_dSpacing, 20.0);
    QCOMPARE(spec.m_bWizardAll, 0);
  }

  void OcpCancelLeavesTheSpecification() {
    CFilSpec spec;
    spec.m_iXform = XFORM_CLOUDS;
    const CFilSpec before = spec;
    WhenModal([](QWidget* pDialog) {
      Click(pDialog, kWizardControlId);
      FindControlAs<QSlider>(pDialog, 1005)->setValue(77);
      Click(pDialog, kIdCancel);
    });
    QCOMPARE(OCP(nullptr, spec), 0);
    QVERIFY(std::memcmp(&before.m_Clouds, &spec.m_Clouds, sizeof spec.m_Clouds) == 0);
    QCOMPARE(spec.m_bWizardAll, 1);

    spec.m_iXform = XFORM_NULL;
    QCOMPARE(OCP(nullptr, spec), 0);
    QCOMPARE(TakeMessages(), std::vector<std::string>{"CFilSpec::OCP, Xforms 28 not\n(yet) supported"});
  }

  void OcpRunsTheXformsOwnCheckOnOk() {
    CFilSpec spec;
    spec.m_iXform = XFORM_FALLEN_LETTERS;
    spec.m_FallenLetters.m_bWizard = 0;
    spec.m_FallenLetters.m_bIntensity = 0;
    spec.m_FallenLetters.m_bSize = 0;
    bool bStillOpen = false;
    WhenModal([&bStillOpen](QWidget* pDialog) {
      Click(pDialog, kIdOk);  // refused: neither Intensity nor Size
      bStillOpen = pDialog->isVisible();
      Click(pDialog, kIdCancel);
    });
    QCOMPARE(OCP(nullptr, spec), 0);
    QVERIFY(bStillOpen);
    QCOMPARE(TakeMessages(),
             std::vector<std::string>{"You must choose at least one of\nIntensity Size"});
  }

  void ColourButtonsUseTheChooser() {
    SetColourChooser([](QWidget*, COLORREF& cr) {
      cr = RGB(1, 2, 3);
      return true;
    });
    MosaicParams p;
    p.m_bWizard = 0;
    CXformDialog dlg(CFormRef(kMosaicForm), &p);
    Click(&dlg, 1034);
    QCOMPARE(p.m_Background.m_crColour, RGB(1, 2, 3));
    QCOMPARE(FindControlAs<CColourSwatch>(&dlg, 1033)->Colour(), RGB(1, 2, 3));
    SetColourChooser([](QWidget*, COLORREF&) { return false; });
    Click(&dlg, 1034);
    QCOMPARE(p.m_Background.m_crColour, RGB(1, 2, 3));
    SetColourChooser({});
  }

  void ProbeFormHexColourChoiceBackgroundAndHooks() {
    ProbeParams p;
    CXformDialog dlg(CFormRef(kProbeForm), &p);
    auto* pHex = FindControlAs<QLineEdit>(&dlg, 903);
    QCOMPARE(pHex->text(), QString("0000FF"));
    QCOMPARE(pHex->maxLength(), 16);  // room for "# ff 00 00"
    // The hex colour holds RRGGBB as typed; the swatch and the chooser see
    // the colour those digits name.
    auto* pSwatch = FindControlAs<CColourSwatch>(&dlg, 902);
    QCOMPARE(pSwatch->Colour(), RGB(0, 0, 255));
    TypeAndLeave(pHex, "ff 00 00");
    QCOMPARE(p.m_crHex, COLORREF(0xFF0000));
    QCOMPARE(pHex->text(), QString("FF0000"));
    QCOMPARE(pSwatch->Colour(), RGB(255, 0, 0));
    COLORREF crOffered = 0;
    SetColourChooser([&crOffered](QWidget*, COLORREF& cr) {
      crOffered = cr;
      cr = RGB(0x12, 0x34, 0x56);
      return true;
    });
    Click(&dlg, 901);
    SetColourChooser({});
    QCOMPARE(crOffered, RGB(255, 0, 0));
    QCOMPARE(p.m_crHex, COLORREF(0x123456));
    QCOMPARE(pHex->text(), QString("123456"));
    QCOMPARE(pSwatch->Colour(), RGB(0x12, 0x34, 0x56));
    TypeAndLeave(pHex, "1000000");
    QCOMPARE(TakeMessages(), std::vector<std::string>{"Colours must be between 0 and FFFFFF"});
    QCOMPARE(p.m_crHex, COLORREF(0xFFFFFF));

    Click(&dlg, 906);
    QCOMPARE(p.m_bRandom, 1);
    Click(&dlg, 909);
    QCOMPARE(p.m_Back.m_bUsePicture, 1);
    Click(&dlg, 911);
    QCOMPARE(p.m_bFlag, 1);
    // The check box is offered only in colour mode 0; the paper's colour only
    // while the paper is not the picture.
    FindControlAs<QComboBox>(&dlg, 910)->setCurrentIndex(2);
    QCOMPARE(p.m_iMode, 2);
    QCOMPARE(DisabledInputs(dlg), (std::set<int>{907, 911}));
    Click(&dlg, kWizardControlId);
    QCOMPARE(DisabledInputs(dlg),
             (std::set<int>{901, 903, 904, 906, 907, 909, 910, 911, 912, 913}));
  }

  void ProbeFormTextAndFont() {
    SetFontChooser([](QWidget*, LOGFONT& lf) {
      std::strcpy(lf.lfFaceName, "Liberation Serif");
      lf.lfWeight = FW_BOLD;
      return true;
    });
    ProbeParams p;
    CXformDialog dlg(CFormRef(kProbeForm), &p);
    auto* pPhrase = FindControlAs<QLineEdit>(&dlg, 912);
    QCOMPARE(pPhrase->text(), QString("Hello"));
    // The member holds 15 letters and its terminator.
    QCOMPARE(pPhrase->maxLength(), 15);
    TypeKeys(pPhrase, QString::fromUtf8(" caf\u00e9 \u20ac"));
    QCOMPARE(QByteArray(p.m_szPhrase), QByteArray("Hello caf\xe9 \x80"));
    // A letter outside Windows-1252 is not taken.
    TypeKeys(pPhrase, QString::fromUtf8("\u03a9"));
    QCOMPARE(pPhrase->text(), QString::fromUtf8("Hello caf\u00e9 \u20ac"));

    Click(&dlg, 913);
    QCOMPARE(QByteArray(p.m_Font.lfFaceName), QByteArray("Liberation Serif"));
    QCOMPARE(p.m_Font.lfWeight, FW_BOLD);
    QCOMPARE(FindControlAs<QLabel>(&dlg, 914)->text(), QString("Liberation Serif"));
    SetFontChooser({});

    ProbeParams bad;
    std::memset(bad.m_szPhrase, 'x', sizeof bad.m_szPhrase);
    CXformDialog dlgBad(CFormRef(kProbeForm), &bad);
    QCOMPARE(FindControlAs<QLineEdit>(&dlgBad, 912)->text(), QString("Errors"));
  }

  void OkCheckCanRefuse() {
    ProbeParams p;
    CXformDialog dlg(CFormRef(kProbeForm), &p);
    int iCalls = 0;
    dlg.SetOkCheck([&iCalls](void* pRecord) {
      ++iCalls;
      return static_cast<ProbeParams*>(pRecord)->m_bFlag != 0;
    });
    dlg.accept();
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    Click(&dlg, 911);
    dlg.accept();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(iCalls, 2);
  }
};

QTEST_MAIN(CXformDialogTest)
#include "xform_dialog_test.moc"
