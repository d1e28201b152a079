// The shared controls, Choose Xform, Image Quality, Image Properties, About
// and the Sequence Overview.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <QtTest>

#include <array>
#include <cmath>

#include "dialog_test_support.h"
#include "dialogs/overview_dialog.h"
#include "dialogs/small_dialogs.h"
#include "engine/document_base.h"
#include "engine/filspec.h"
#include "engine/overview.h"
#include "imaging/dadc.h"

namespace {

std::unique_ptr<CDADC> Plain(int w, int h, COLORREF cr) {
  auto p = std::make_unique<CDADC>(w, h);
  p->m_pDC->FillSolidRect(0, 0, w, h, cr);
  return p;
}

QString Text(const QWidget& dlg, int iId) { return FindControlAs<QLabel>(&dlg, iId)->text(); }

}  // namespace

class CSmallDialogsTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { InstallRecordingReporter(); }

  void RealPairPositionsAndTypedValues() {
    QSlider slider;
    QLineEdit edit;
    double v = 0.25;
    CRealPair normal(&v, 0.0, 1.0, &slider, &edit);
    normal.ShowPair();
    QCOMPARE(slider.value(), 2500);
    QCOMPARE(edit.text(), QString("0.25"));
    CRealPair inverted(&v, 0.0, 1.0, &slider, &edit, true);
    inverted.ShowPair();
    QCOMPARE(slider.value(), 7500);

    TypeAndLeave(&edit, "2");
    inverted.EditToPair();
    QCOMPARE(v, 1.0);
    QCOMPARE(edit.text(), QString("1.00"));
    QCOMPARE(slider.value(), 0);
    edit.setText("0.1");
    normal.EditToPair();
    // Read as a single-precision number, then widened.
    QCOMPARE(v, static_cast<double>(0.1f));
    QVERIFY(v != 0.1);

    double bad = 0;
    CRealPair broken(&bad, 1.0, 1.0, &slider, &edit);
    broken.ShowPair();
    CRealPair badFormat(&bad, 0.0, 1.0, &slider, &edit, false, "%d");
    badFormat.ShowPair();
    QCOMPARE(TakeMessages(), (std::vector<std::string>{"ImOk5 :  1.000 <=  1.000 ",
                                                       "ImOk:Format=<%d>"}));
  }

  void IntPairLimitsAndVerticalPositions() {
    QSlider slider;
    QLineEdit edit;
    std::int32_t v = 50;
    CIntPair pair(&v, 1, 99, &slider, &edit);
    pair.ShowPair();
    TypeAndLeave(&edit, "150");
    QVERIFY(pair.EditToPair());
    QCOMPARE(v, 99);
    edit.setText("0");
    QVERIFY(pair.EditToPair());
    QCOMPARE(v, 1);
    QCOMPARE(slider.value(), 1);
    CIntPair vertical(&v, 0, 8, &slider, &edit, true);
    v = 3;
    vertical.ShowPair();
    QCOMPARE(slider.value(), 5);
    slider.setValue(0);
    vertical.SliderToPair();
    QCOMPARE(v, 8);
  }

  void HexColoursAndWindows1252() {
    QCOMPARE(HexColourText(RGB(255, 0, 0)), QString("0000FF"));
    QCOMPARE(ParseHexColour("# ff 00 00"), COLORREF(0xFF0000));
    QCOMPARE(ParseHexColour("12zz"), COLORREF(0x12));
    QCOMPARE(ParseHexColour("zz"), COLORREF(0));
    QCOMPARE(ParseHexColour("0x00FF00"), COLORREF(0x00FF00));
    QVERIFY(TakeMessages().empty());
    QCOMPARE(ParseHexColour("  "), COLORREF(0xFFFFFF));
    QCOMPARE(ParseHexColour("1000000"), COLORREF(0xFFFFFF));
    QCOMPARE(ParseHexColour("-1"), COLORREF(0xFFFFFF));
    QCOMPARE(ParseHexColour("fffffffffffffffffffff"), COLORREF(0xFFFFFF));
    QCOMPARE(TakeMessages(), (std::vector<std::string>{"Type a hex number in here please!",
                                                       "Colours must be between 0 and FFFFFF",
                                                       "Colours must be between 0 and FFFFFF",
                                                       "Colours must be between 0 and FFFFFF"}));

    std::string cs;
    QVERIFY(ToWindows1252(QString::fromUtf8("Caf\u00e9 \u20ac\u2122 \u0178"), cs));
    QCOMPARE(QByteArray::fromStdString(cs), QByteArray("Caf\xe9 \x80\x99 \x9f"));
    QCOMPARE(FromWindows1252(cs.c_str()), QString::fromUtf8("Caf\u00e9 \u20ac\u2122 \u0178"));
    cs = "kept";
    QVERIFY(!ToWindows1252(QString::fromUtf8("\u03a9mega"), cs));
    QVERIFY(!ToWindows1252(QString("tab\there"), cs));
    QCOMPARE(cs, std::string("kept"));
    QCOMPARE(Windows1252Byte(0x81), -1);
  }

  void ChooseXformPreselectsAndEnablesTheList() {
    CChooseXformDlg dlg(XFORM_NULL, 1);
    QCOMPARE(dlg.windowTitle(), QString("Choose Xform"));
    auto* pList = FindControlAs<QComboBox>(&dlg, 1153);
    QCOMPARE(pList->count(), 28);
    QCOMPARE(pList->currentText(), QString("Mosaic"));
    QVERIFY(!pList->isEnabled());
    FindControlAs<QCheckBox>(&dlg, 1142)->click();
    QVERIFY(pList->isEnabled());
    QCOMPARE(dlg.WizardAll(), 0);
    pList->setCurrentIndex(-1);
    QCOMPARE(dlg.Selection(), 0);
  }

  void ChooseXformOkAndNone() {
    CFilSpec spec;
    const CFilSpec before = spec;
    QTimer::singleShot(0, [] {
      QWidget* pDialog = QApplication::activeModalWidget();
      FindControlAs<QCheckBox>(pDialog, 1142)->click();
      QCOMPARE(FindControlAs<QPushButton>(pDialog, kIdCancel)->text(), QString("None"));
      FindControlAs<QPushButton>(pDialog, kIdCancel)->click();
    });
    std::array<std::int32_t, kXformCount> aUsage{};
    InitUsageCounts(aUsage.data());
    QVERIFY(!RunChooseXformDialog(nullptr, spec, aUsage.data()));
    QCOMPARE(spec.m_iXform, before.m_iXform);
    QCOMPARE(spec.m_bWizardAll, 1);

    QTimer::singleShot(0, [] {
      QWidget* pDialog = QApplication::activeModalWidget();
      FindControlAs<QCheckBox>(pDialog, 1142)->click();
      FindControlAs<QComboBox>(pDialog, 1153)->setCurrentIndex(XFORM_CLOUDS);
      FindControlAs<QPushButton>(pDialog, kIdOk)->click();
    });
    QVERIFY(RunChooseXformDialog(nullptr, spec, aUsage.data()));
    QCOMPARE(spec.m_iXform, XFORM_CLOUDS);
    QCOMPARE(spec.m_bWizardAll, 0);

    // The wizard picks one of the least used Xforms and lets its own wizard choose.
    for (int i = 0; i < kXformCount; ++i)
      if (std::int32_t* pFlag = spec.WizardFlag(i)) *pFlag = 0;
    aUsage[XFORM_CLOUDS] = 5;
    QTimer::singleShot(0, [] {
      QWidget* pDialog = QApplication::activeModalWidget();
      FindControlAs<QCheckBox>(pDialog, 1142)->click();
      FindControlAs<QPushButton>(pDialog, kIdOk)->click();
    });
    QVERIFY(RunChooseXformDialog(nullptr, spec, aUsage.data()));
    QCOMPARE(spec.m_bWizardAll, 1);
    QVERIFY(CFilSpec::IsBuilt(spec.m_iXform));
    QCOMPARE(aUsage[spec.m_iXform], 0);
    QVERIFY(spec.WizardFlag(spec.m_iXform));
    QCOMPARE(*spec.WizardFlag(spec.m_iXform), 1);
  }

  void ImageQualityLevels() {
    CImageQualityDlg bad(3);
    QCOMPARE(TakeMessages(), std::vector<std::string>{"DDE:Bad AA level=3"});
    QCOMPARE(bad.Level(), 1);
    QVERIFY(FindControlAs<QRadioButton>(&bad, 1035)->isChecked());

    CImageQualityDlg dlg(2);
    QCOMPARE(dlg.windowTitle(), QString("Image Quality (Anti Alias)"));
    QVERIFY(FindControlAs<QRadioButton>(&dlg, 1036)->isChecked());
    FindControlAs<QRadioButton>(&dlg, 1037)->click();
    QCOMPARE(dlg.Level(), 4);
    FindControlAs<QPushButton>(&dlg, kIdApplyNow)->click();
    QCOMPARE(dlg.End(), EDialogEnd::ApplyNow);

    int iLevel = 4;
    QTimer::singleShot(0, [] {
      QWidget* pDialog = QApplication::activeModalWidget();
      FindControlAs<QRadioButton>(pDialog, 1035)->click();
      FindControlAs<QPushButton>(pDialog, kIdCancel)->click();
    });
    QCOMPARE(RunImageQualityDialog(nullptr, iLevel), EDialogEnd::Cancel);
    QCOMPARE(iLevel, 4);
    QTimer::singleShot(0, [] {
      QWidget* pDialog = QApplication::activeModalWidget();
      FindControlAs<QRadioButton>(pDialog, 1036)->click();
      FindControlAs<QPushButton>(pDialog, kIdOk)->click();
    });
    QCOMPARE(RunImageQualityDialog(nullptr, iLevel), EDialogEnd::Set);
    QCOMPARE(iLevel, 2);
  }

  void PropertiesAndAbout() {
    CImageProperties props;
    props.m_csXform = "Mosaic";
    props.m_csOriginal = "a-rather-long-picture-name-that-goes-on.jpg";
    props.m_csSavedAs = "(unsaved)";
    props.m_csPosition = "Image #3 in the sequence";
    props.m_csPixels = "640 by 480";
    props.m_csBytes = "900Kbytes";
    CImagePropertiesDlg dlg(props);
    QCOMPARE(dlg.windowTitle(), QString("Image Properties"));
    QCOMPARE(Text(dlg, 1106), QString("Mosaic"));
    QCOMPARE(Text(dlg, 1108), QString("900Kbytes"));
    QCOMPARE(Text(dlg, 1107), QString("640 by 480"));
    QCOMPARE(Text(dlg, 1109), QString("a-rather-long-picture-name-that-"));
    QCOMPARE(Text(dlg, 1110), QString("(unsaved)"));
    QCOMPARE(Text(dlg, 1112), QString("Image #3 in the sequence"));

    CAboutDlg about;
    QCOMPARE(about.windowTitle(), QString("About Vexmora"));
    QCOMPARE(Text(about, 1021), QString("Vexmora V 4.01 [2nd December 1998]"));
  }

  void OverviewOfOnePicture() {
    COverview overview;
    auto pOriginal = Plain(400, 300, RGB(255, 0, 0));
    QCOMPARE(overview.AddToThumbnails(*pOriginal, "Original"), 0);
    COvDlg dlg(overview);
    dlg.Strip()->resize(600, 140);
    QCOMPARE(dlg.windowTitle(), QString("Sequence Overview"));
    const QImage image = dlg.Strip()->Render();
    QCOMPARE(image.size(), QSize(600, 140));
    // Cells of (600 - 4) / 5 = 119 pixels from x = 2: black, black, the
    // original on light green, black, black.
    QCOMPARE(image.pixelColor(60, 10), QColor(0, 0, 0));
    QCOMPARE(image.pixelColor(180, 10), QColor(0, 0, 0));
    QCOMPARE(image.pixelColor(245, 5), QColor(200, 240, 200));
    QCOMPARE(image.pixelColor(299, 70), QColor(255, 0, 0));
    QCOMPARE(image.pixelColor(420, 70), QColor(0, 0, 0));
    QCOMPARE(Text(dlg, 1166), QString("Original"));
    QCOMPARE(Text(dlg, 1161), QString("0"));
    QCOMPARE(Text(dlg, 1164), QString());
    QCOMPARE(Text(dlg, 1159), QString());
  }

  void OverviewNavigationAndDoubleClick() {
    COverview overview;
    for (int i = 0; i < 5; ++i) {
      auto p = Plain(300, 400, RGB(40 * i, 0, 0));
      overview.AddToThumbnails(*p, i == 0 ? "Original" : "Mosaic-long-name");
    }
    COvDlg dlg(overview);
    dlg.Strip()->resize(600, 140);
    QCOMPARE(overview.m_iCurrent, 4);
    QCOMPARE(Text(dlg, 1166), QString("Mosaic-l"));
    QCOMPARE(Text(dlg, 1167), QString());
    FindControlAs<QPushButton>(&dlg, 32774)->click();
    QCOMPARE(overview.m_iCurrent, 4);
    FindControlAs<QPushButton>(&dlg, 32803)->click();
    QCOMPARE(overview.m_iCurrent, 0);
    QCOMPARE(Text(dlg, 1161), QString("0"));
    QCOMPARE(Text(dlg, 1162), QString("1"));
    FindControlAs<QPushButton>(&dlg, 32801)->click();
    FindControlAs<QPushButton>(&dlg, 32773)->click();
    QCOMPARE(overview.m_iCurrent, 3);

    // A black cell past the last picture: nothing happens.
    QTest::mouseDClick(dlg.Strip(), Qt::LeftButton, Qt::NoModifier, QPoint(550, 70));
    QCOMPARE(overview.m_iCurrent, 3);
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    // The cell left of the middle: the previous picture, and OK.
    QTest::mouseDClick(dlg.Strip(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 70));
    QCOMPARE(overview.m_iCurrent, 2);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
  }
};

QTEST_MAIN(CSmallDialogsTest)
#include "small_dialogs_test.moc"
