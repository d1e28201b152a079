// Renders every dialog to a PNG file under the build tree (screenshots/),
// so a person can look at them; each picture must come out non-empty.
#include <QApplication>
#include <QComboBox>
#include <QtTest>

#include "dialog_test_support.h"
#include "dialogs/mix_dialog.h"
#include "dialogs/overview_dialog.h"
#include "dialogs/small_dialogs.h"
#include "dialogs/tip_dialog.h"
#include "dialogs/xform_dialog.h"
#include "engine/app_state.h"
#include "engine/document_base.h"
#include "engine/filspec.h"
#include "engine/overview.h"
#include "imaging/dadc.h"
#include "imaging/image_files.h"
#include "support/temp_dir.h"

namespace {

std::unique_ptr<CDADC> SamplePhoto() {
  const std::string csPath = std::string(VX_RESOURCE_DIR) + "/samples/ladybird.jpg";
  CGlobalBlock hDib = OpenImageFile(csPath.c_str(), ImageTypeFromName(csPath.c_str()));
  return CDADC::CBC(hDib);
}

void Save(QWidget& w, const char* szName) {
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  QCoreApplication::processEvents();
  const QPixmap pixmap = w.grab();
  QVERIFY(!pixmap.isNull());
  const QString csPath = ScreenshotDir() + "/" + szName + ".png";
  QVERIFY2(pixmap.save(csPath), qPrintable(csPath));
  w.hide();
}

}  // namespace

class CDialogScreenshots : public QObject {
  Q_OBJECT
 private slots:
  void init() { InstallRecordingReporter(); }

  void XformSettings() {
    CFilSpec spec;
    spec.m_Mosaic.m_bWizard = 0;
    spec.m_Mosaic.m_iHighLight = HIGHLIGHT_TOP_LEFT;
    // The picture as background disables the background's colour button.
    spec.m_Bubble.m_bWizard = 0;
    spec.m_Bubble.m_Background.m_bUsePicture = 1;
    for (int i = 0; i < kXformCount; ++i) {
      if (!CFilSpec::IsBuilt(i)) continue;
      CXformDialog dlg(CFilSpec::Form(i), spec.Record(i));
      Save(dlg, (std::string("xform_") + GetXformName(i)).c_str());
    }
  }

  void MixAndSelection() {
    auto pPhoto = SamplePhoto();
    QVERIFY(pPhoto);
    MixSettings mix;
    mix.m_iMixMode = MIX_ELLIPSE_IN;
    mix.m_iPercent = 80;
    CMixDlg mixDlg(mix);
    Save(mixDlg, "mix_settings");

    AreaSelection sel;
    sel.SetHsv(10.0, 0.8, 0.8);
    sel.SetSmooth(2);
    CAreaSelectionDlg selDlg(sel);
    selDlg.SetupPreview(pPhoto.get(), pPhoto->PreviewDivisor());
    Save(selDlg, "advanced_selection");
  }

  void Others() {
    auto pPhoto = SamplePhoto();
    QVERIFY(pPhoto);
    COverview overview;
    overview.AddToThumbnails(*pPhoto, "Original");
    auto pMirror = CDADC::ScaledCopy(-1.0, *pPhoto);
    overview.AddToThumbnails(pMirror ? *pMirror : *pPhoto, "Mosaic");
    overview.AddToThumbnails(*pPhoto, "Clouds");
    overview.GoBack();
    COvDlg ovDlg(overview);
    Save(ovDlg, "sequence_overview");

    CImageQualityDlg quality(2);
    Save(quality, "image_quality");
    CChooseXformDlg choose(XFORM_CLOUDS, 0);
    Save(choose, "choose_xform");
    CImageProperties props{"ladybird.jpg", "Mosaic", "(unsaved)", "Image #2 in the sequence",
                           "640 by 427", "800Kbytes"};
    CImagePropertiesDlg properties(props);
    Save(properties, "image_properties");
    CAboutDlg about;
    Save(about, "about");

    CTempDir dir;
    CUserPaths paths;
    paths.m_csHome = dir.Dir().string();
    paths.m_csConfigHome = dir.Path("config");
    CAppState app(paths);
    InstallTipsFile(dir.Dir().string());
    CTipDlg tip(app, TipsFilePath(dir.Dir().string()));
    Save(tip, "tip_of_the_day");
  }
};

QTEST_MAIN(CDialogScreenshots)
#include "dialog_screenshots.moc"
