// Mix Settings and Advanced area selection.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <QtTest>

#include "dialog_test_support.h"
#include "dialogs/mix_dialog.h"
#include "imaging/dadc.h"
#include "imaging/force_field.h"

namespace {

// A 128 x 96 picture: a red left half, a white top right and a black bottom right quarter.
std::unique_ptr<CDADC> TestPicture() {
  auto p = std::make_unique<CDADC>(128, 96);
  p->m_pDC->FillSolidRect(0, 0, 64, 96, RGB(220, 20, 20));
  p->m_pDC->FillSolidRect(64, 0, 128, 48, RGB(255, 255, 255));
  return p;
}

QString LabelText(const QWidget& dlg, int iId) { return FindControlAs<QLabel>(&dlg, iId)->text(); }

bool SamePixels(const CDADC& a, const CDADC& b) {
  if (a.m_iWidth != b.m_iWidth || a.m_iHeight != b.m_iHeight) return false;
  for (int y = 0; y < a.m_iHeight; ++y)
    if (std::memcmp(a.Row(y), b.Row(y), static_cast<std::size_t>(3 * a.m_iWidth)) != 0) return false;
  return true;
}

}  // namespace

class CMixDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { InstallRecordingReporter(); }

  void ModesEnableAndRelabelThePercentage() {
    MixSettings mix;
    mix.m_iMixMode = MIX_LEFT_RIGHT;
    mix.m_iPercent = 30;
    CMixDlg dlg(mix);
    QCOMPARE(dlg.windowTitle(), QString("Mix Settings"));
    QVERIFY(FindControlAs<QRadioButton>(&dlg, MIX_LEFT_RIGHT)->isChecked());
    QCOMPARE(FindControlAs<QSlider>(&dlg, 1099)->value(), 30);
    QCOMPARE(FindControlAs<QSlider>(&dlg, 1099)->minimum(), 1);
    QCOMPARE(FindControlAs<QSlider>(&dlg, 1099)->maximum(), 99);
    QCOMPARE(LabelText(dlg, 1102), QString("mix sharpness(%)"));
    QVERIFY(!FindControl(&dlg, 1134)->isEnabled());

    FindControlAs<QRadioButton>(&dlg, MIX_HSV)->click();
    QVERIFY(!FindControl(&dlg, 1099)->isEnabled());
    QVERIFY(!FindControl(&dlg, 1101)->isEnabled());
    QVERIFY(FindControl(&dlg, 1134)->isEnabled());
    QCOMPARE(LabelText(dlg, 1102), QString());

    FindControlAs<QRadioButton>(&dlg, MIX_EVEN)->click();
    QCOMPARE(LabelText(dlg, 1102), QString("% of original"));
    QVERIFY(FindControl(&dlg, 1101)->isEnabled());
    FindControlAs<QRadioButton>(&dlg, MIX_OFF)->click();
    QVERIFY(!FindControl(&dlg, 1101)->isEnabled());

    QCOMPARE(FindControlAs<QRadioButton>(&dlg, MIX_CIRCLE_IN)->text(), QString("O&uter In"));
    QCOMPARE(FindControlAs<QRadioButton>(&dlg, MIX_ELLIPSE_OUT)->text(), QString("Center Out"));
    QCOMPARE(FindControlAs<QPushButton>(&dlg, kIdApplyNow)->text(), QString("Apply &Now"));
  }

  void PercentageEditAndSlider() {
    MixSettings mix;
    mix.m_iMixMode = MIX_EVEN;
    CMixDlg dlg(mix);
    auto* pEdit = FindControlAs<QLineEdit>(&dlg, 1101);
    auto* pSlider = FindControlAs<QSlider>(&dlg, 1099);
    TypeAndLeave(pEdit, "150");
    QCOMPARE(pSlider->value(), 99);
    QCOMPARE(pEdit->text(), QString("99"));
    TypeAndLeave(pEdit, "0");
    QCOMPARE(pSlider->value(), 1);
    pSlider->setValue(42);
    QCOMPARE(pEdit->text(), QString("42"));
    FindControlAs<QPushButton>(&dlg, kIdOk)->click();
    QCOMPARE(dlg.End(), EDialogEnd::Set);
    QCOMPARE(dlg.Settings().m_iPercent, 42);
    QCOMPARE(dlg.Settings().m_iMixMode, MIX_EVEN);
    QVERIFY(TakeMessages().empty());
  }

  void OutOfRangePercentageIsRefusedOnOk() {
    MixSettings mix;
    mix.m_iMixMode = MIX_EVEN;
    CMixDlg dlg(mix);
    auto* pEdit = FindControlAs<QLineEdit>(&dlg, 1101);
    pEdit->setText("100");
    dlg.accept();
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(TakeMessages(), std::vector<std::string>{"Please enter an integer between 1 and 99."});
    pEdit->setText("0");
    dlg.accept();
    QCOMPARE(TakeMessages(), std::vector<std::string>{"Please enter an integer between 1 and 99."});
  }

  void AStoredPercentageOutsideTheRangeDoesNotBlockOk() {
    MixSettings mix;
    mix.m_iPercent = 0;
    CMixDlg dlg(mix);
    dlg.accept();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.Settings().m_iPercent, 1);
  }

  void ApplyNowAndCancel() {
    auto pOrg = TestPicture();
    MixSettings mix;
    QTimer::singleShot(0, [] {
      QWidget* pDialog = QApplication::activeModalWidget();
      FindControlAs<QRadioButton>(pDialog, MIX_TOP_BOTTOM)->click();
      FindControlAs<QPushButton>(pDialog, kIdApplyNow)->click();
    });
    QCOMPARE(RunMixDialog(nullptr, mix, pOrg.get()), EDialogEnd::ApplyNow);
    QCOMPARE(mix.m_iMixMode, MIX_TOP_BOTTOM);

    QTimer::singleShot(0, [] {
      QWidget* pDialog = QApplication::activeModalWidget();
      FindControlAs<QRadioButton>(pDialog, MIX_HSV)->click();
      FindControlAs<QPushButton>(pDialog, kIdCancel)->click();
    });
    QCOMPARE(RunMixDialog(nullptr, mix, pOrg.get()), EDialogEnd::Cancel);
    QCOMPARE(mix.m_iMixMode, MIX_TOP_BOTTOM);
  }

  void AdvancedSelectionFromTheMixKeepsAnAcceptedSelection() {
    auto pOrg = TestPicture();
    MixSettings mix;
    mix.m_iMixMode = MIX_HSV;
    CMixDlg dlg(mix);
    FindControlAs<QPushButton>(&dlg, 1134)->click();
    QCOMPARE(TakeMessages(), std::vector<std::string>{"CMixDlg::OnHlsBut, NULL ptr"});
    dlg.SetupDCs(nullptr);
    QCOMPARE(TakeMessages(), std::vector<std::string>{"ERRORE,pOrg==NULL in CMixDlg::SetupDCs"});

    dlg.SetupDCs(pOrg.get());
    QTimer::singleShot(0, [] {
      QWidget* pDialog = QApplication::activeModalWidget();
      // Opened from the mix, the selection dialog offers no "Apply Now".
      QVERIFY(!FindControl(pDialog, kIdApplyNow)->isVisible());
      FindControlAs<QCheckBox>(pDialog, 1105)->click();
      FindControlAs<QPushButton>(pDialog, kIdOk)->click();
    });
    FindControlAs<QPushButton>(&dlg, 1134)->click();
    FindControlAs<QPushButton>(&dlg, kIdOk)->click();
    QCOMPARE(dlg.Settings().m_Selection.m_bInvert, 1);
  }

  void SelectionPairsAndSmoothing() {
    AreaSelection sel;
    sel.SetHsv(90.0, 0.25, 0.5);
    sel.SetSmooth(3);
    CAreaSelectionDlg dlg(sel);
    QCOMPARE(dlg.windowTitle(), QString("Advanced area selection"));
    auto* pSat = FindControlAs<QSlider>(&dlg, 1069);
    // Inverted pairs: the top end (position 0) is the maximum.
    QCOMPARE(pSat->value(), 7500);
    QCOMPARE(FindControlAs<QLineEdit>(&dlg, 1053)->text(), QString("0.25"));
    auto* pSmooth = FindControlAs<QSlider>(&dlg, 1129);
    QCOMPARE(pSmooth->value(), 5);
    pSmooth->setValue(0);
    QCOMPARE(dlg.SmoothingFromSlider(), 8);
    pSmooth->setValue(8);
    QCOMPARE(dlg.SmoothingFromSlider(), 0);

    TypeAndLeave(FindControlAs<QLineEdit>(&dlg, 1052), "400");
    QCOMPARE(FindControlAs<QLineEdit>(&dlg, 1052)->text(), QString("359.90"));
    QCOMPARE(FindControlAs<QSlider>(&dlg, 1067)->value(), 0);
    FindControlAs<QSlider>(&dlg, 1076)->setValue(0);
    QCOMPARE(FindControlAs<QLineEdit>(&dlg, 1054)->text(), QString("1.00"));
    FindControlAs<QPushButton>(&dlg, kIdApplyNow)->click();
    QCOMPARE(dlg.End(), EDialogEnd::ApplyNow);
    QCOMPARE(dlg.Selection().m_dHue, 359.9);
    QCOMPARE(dlg.Selection().m_dSat, 0.25);
    QCOMPARE(dlg.Selection().m_dVal, 1.0);
    QCOMPARE(dlg.Selection().m_iSmooth, 0);
  }

  void PreviewShowsTheForceFieldAndDefaultRestoresBrightness() {
    auto pOrg = TestPicture();
    AreaSelection sel;
    sel.SetFromColour(RGB(220, 20, 20));
    CAreaSelectionDlg dlg(sel);
    QCOMPARE(dlg.SetupPreview(pOrg.get(), pOrg->PreviewDivisor()), 1);
    // 128 wide: divisor 2, a 64 x 48 preview.
    QCOMPARE(dlg.Preview()->m_iWidth, 64);
    QCOMPARE(dlg.Preview()->m_iHeight, 48);
    CDADC small(64, 48);
    small.m_pDC->StretchBlt(0, 0, 64, 48, *pOrg->m_pDC, 0, 0, 128, 96, SRCCOPY);
    CDADC expected(64, 48);
    QCOMPARE(ShowForceField(&expected, &small, sel), 1);
    QVERIFY(SamePixels(*dlg.Preview(), expected));
    // The red half is selected (white); white, the farthest colour, is not.
    QCOMPARE(dlg.Preview()->m_pDC->GetPixel(10, 10), RGB(255, 255, 255));
    QCOMPARE(dlg.Preview()->m_pDC->GetPixel(50, 10), RGB(0, 0, 0));
    QCOMPARE(dlg.WorkingColour(), sel.GetColour());

    FindControlAs<QPushButton>(&dlg, 3)->click();
    QCOMPARE(ShowForceField(&expected, &small, AreaSelection{}), 1);
    QVERIFY(SamePixels(*dlg.Preview(), expected));
    QCOMPARE(FindControlAs<QSlider>(&dlg, 1129)->value(), 8);
    QCOMPARE(FindControlAs<QLineEdit>(&dlg, 1054)->text(), QString("1.00"));
    FindControlAs<QPushButton>(&dlg, kIdOk)->click();
    QVERIFY(dlg.Selection().IsDefault());
  }

  void PreviewSetUpFailures() {
    auto pOrg = TestPicture();
    CAreaSelectionDlg dlg{AreaSelection{}};
    QCOMPARE(dlg.SetupPreview(nullptr, 2), 0);
    QCOMPARE(dlg.SetupPreview(pOrg.get(), 0), 0);
    QCOMPARE(dlg.SetupPreview(pOrg.get(), 65), 0);
    CDADC narrow(60, 40);
    QCOMPARE(dlg.SetupPreview(&narrow, 64), 0);
    QCOMPARE(TakeMessages(), (std::vector<std::string>{"Bad pOrgDC handle", "Bad divisor : 0",
                                                       "Bad divisor : 65", "CCD: Could not initdata"}));
    QVERIFY(!dlg.Preview());
  }

  void CancelLeavesTheSelection() {
    AreaSelection sel;
    QTimer::singleShot(0, [] {
      QWidget* pDialog = QApplication::activeModalWidget();
      FindControlAs<QCheckBox>(pDialog, 1105)->click();
      FindControlAs<QPushButton>(pDialog, kIdCancel)->click();
    });
    QCOMPARE(RunAreaSelectionDialog(nullptr, sel, nullptr), EDialogEnd::Cancel);
    QVERIFY(sel.IsDefault());
  }
};

QTEST_MAIN(CMixDialogTest)
#include "mix_dialog_test.moc"
