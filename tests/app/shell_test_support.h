// Shared pieces of the desktop program's tests: a recording reporter, a
// temporary home for the settings and the cache, scripted dialogs, small
// pictures, and a started application whose main window the tests drive.
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QString>
#include <QTest>
#include <memory>
#include <string>

#include "app/app.h"
#include "app/dialog_hooks.h"
#include "app/main_frame.h"
#include "engine/catalogue.h"
#include "engine/filter_thread.h"
#include "../support/recording_reporter.h"
#include "../support/temp_dir.h"

// QTRY_VERIFY_WITH_TIMEOUT without the return (usable in a destructor).
#define QTRY_VERIFY_WITH_TIMEOUT_NORETURN(expr, timeout) \
  do {                                                   \
    QElapsedTimer t_;                                    \
    t_.start();                                          \
    while (!(expr) && t_.elapsed() < (timeout)) QTest::qWait(20); \
  } while (0)

// The dialogs answer as a test tells them, without showing anything.
class CScriptedDialogs final : public CShellDialogs {
 public:
  std::string OpenImagePath(int, const std::string&, const std::string&) override {
    return m_csOpenPath;
  }
  std::string SaveImagePath(const std::string& csDefaultName, int, const std::string&,
                            const std::string&) override {
    m_csSaveDefault = csDefaultName;
    return m_csSavePath;
  }
  bool ChooseXform(CFilSpec& spec, const std::int32_t*) override {
    spec.m_iXform = m_iXform;
    if (m_bPickByHand) spec.m_bWizardAll = 0;
    return true;
  }
  int XformSettings(CFilSpec&) override {
    ++m_iSettingsCalls;
    return 0;
  }
  EClose Mix(MixSettings&, const CDADC*) override { return EClose::Cancel; }
  EClose AdvancedSelection(AreaSelection&, const CDADC*) override { return EClose::Cancel; }
  EClose ImageQuality(int&) override { return EClose::Cancel; }
  bool Overview(COverview& overview) override {
    overview.m_iCurrent = m_iOverviewChoice;
    return true;
  }
  void ImageProperties(const CImageProperties& props) override { m_Props = props; }
  std::string DataFilePath(EFile, bool, const std::string& csDefault,
                           const std::string&) override {
    m_csDataDefault = csDefault;
    return m_csDataPath;
  }
  void TipOfTheDay(CAppState&) override { ++m_iTipCalls; }
  void About() override {}

  std::string m_csOpenPath;
  std::string m_csSavePath;
  std::string m_csSaveDefault;
  std::string m_csDataPath;     // the sequence or recipe file chosen
  std::string m_csDataDefault;
  CImageProperties m_Props;
  int m_iXform = XFORM_MOSAIC;
  bool m_bPickByHand = false;  // Choose Xform with "Wizard chooses" unticked
  int m_iOverviewChoice = 0;
  int m_iSettingsCalls = 0;
  int m_iTipCalls = 0;
};

// A small picture with a gradient and a bright disc, so that every Xform
// has something to follow.
inline QImage TestPicture(int iWidth = 64, int iHeight = 48) {
  QImage image(iWidth, iHeight, QImage::Format_RGB888);
  for (int y = 0; y < iHeight; ++y)
    for (int x = 0; x < iWidth; ++x) {
      const int dx = x - iWidth / 2, dy = y - iHeight / 2;
      const bool bDisc = dx * dx + dy * dy < iHeight * iHeight / 9;
      image.setPixel(x, y, bDisc ? qRgb(250, 240, 200) : qRgb(4 * x % 256, 5 * y % 256, 90));
    }
  return image;
}

// An application with its main window shown, living in a temporary home.
struct CShellFixture {
  CShellFixture() {
    CUserPaths paths;
    paths.m_csHome = m_Home.Path("home");
    paths.m_csConfigHome = m_Home.Path("config");
    paths.m_csDataHome = m_Home.Path("data");
    paths.m_csWorkingDir = m_Home.Dir().string();
    m_pApp = std::make_unique<COceloApp>(m_Dialogs, paths);
    m_pApp->InitInstance(false);
    Reporter().Take();
  }
  ~CShellFixture() {
    TheGenerationWorker().Stop();
    QTRY_VERIFY_WITH_TIMEOUT_NORETURN(!TheGenerationWorker().IsXforming(), 20000);
    Reporter().m_iAnswer = IDNO;
    m_pApp.reset();
    Reporter().m_iAnswer = IDYES;
    Reporter().Take();
  }
  CMainFrame& Frame() { return *m_pApp->Frame(); }
  // Writes the test picture as a PNG file in the temporary home.
  std::string WritePicture(const char* szName, int iWidth = 64, int iHeight = 48) {
    const std::string csPath = m_Home.Path(szName);
    TestPicture(iWidth, iHeight).save(QString::fromStdString(csPath), "PNG");
    return csPath;
  }
  // Waits until no generation runs and the window has taken its result.
  static bool WaitIdle(int iTimeoutMs = 30000) {
    QElapsedTimer timer;
    timer.start();
    while (TheGenerationWorker().IsXforming()) {
      if (timer.elapsed() > iTimeoutMs) return false;
      QTest::qWait(20);
    }
    QTest::qWait(10);
    return true;
  }

  CTempDir m_Home;
  CScriptedDialogs m_Dialogs;
  std::unique_ptr<COceloApp> m_pApp;
};

