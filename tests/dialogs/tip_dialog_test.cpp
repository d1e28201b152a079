// The tip of the day: reading tips in turn, remembering the place, noticing
// a new file, the start-up switch and the bundled tips file.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <sys/stat.h>
#include <sys/time.h>

#include <fstream>

#include "dialog_test_support.h"
#include "dialogs/dialog_toolkit.h"
#include "dialogs/tip_dialog.h"
#include "engine/app_state.h"
#include "support/temp_dir.h"

namespace {

void WriteFile(const std::string& csPath, const std::string& csText, long iModified) {
  std::ofstream(csPath, std::ios::binary) << csText;
  const timeval times[2] = {{iModified, 0}, {iModified, 0}};
  utimes(csPath.c_str(), times);
}

CUserPaths PathsIn(const CTempDir& dir) {
  CUserPaths paths;
  paths.m_csHome = dir.Dir().string();
  paths.m_csConfigHome = dir.Path("config");
  paths.m_csDataHome = dir.Path("data");
  paths.m_csWorkingDir = dir.Dir().string();
  return paths;
}

constexpr const char* kThreeTips =
    "; comment\n"
    "First tip.\n"
    "\n"
    "  indented continuation\n"
    "Second tip.\r\n"
    "\tnot a tip\n"
    "Third tip.";

}  // namespace

class CTipDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { InstallRecordingReporter(); }

  void TipsInTurnAcrossShowings() {
    CTempDir dir;
    CAppState app(PathsIn(dir));
    const std::string csTips = dir.Path("data.tps");
    WriteFile(csTips, kThreeTips, 1000000);
    {
      CTipDlg dlg(app, csTips);
      QCOMPARE(dlg.windowTitle(), QString("Vexmora Tip of the Day"));
      QCOMPARE(dlg.Tip(), QString("First tip."));
      QCOMPARE(FindControlAs<QLabel>(&dlg, 1004)->text(), QString("First tip."));
      FindControlAs<QPushButton>(&dlg, 1002)->click();
      QCOMPARE(dlg.Tip(), QString("Second tip."));
    }
    // The next showing goes on after the last tip shown, then wraps round.
    {
      CTipDlg dlg(app, csTips);
      QCOMPARE(dlg.Tip(), QString("Third tip."));
      dlg.NextTip();
      QCOMPARE(dlg.Tip(), QString("First tip."));
    }
    QVERIFY(app.TipFilePos() > 0);
    QVERIFY(!app.TipTimeStamp().empty());
    QVERIFY(TakeMessages().empty());
  }

  void ANewFileStartsAtItsFirstTip() {
    CTempDir dir;
    CAppState app(PathsIn(dir));
    const std::string csTips = dir.Path("data.tps");
    WriteFile(csTips, kThreeTips, 1000000);
    { CTipDlg(app, csTips).NextTip(); }
    WriteFile(csTips, "New one.\nNew two.\n", 2000000);
    CTipDlg dlg(app, csTips);
    QCOMPARE(dlg.Tip(), QString("New one."));
  }

  void MissingAndEmptyFiles() {
    CTempDir dir;
    CAppState app(PathsIn(dir));
    const std::string csMissing = dir.Path("none.tps");
    {
      CTipDlg dlg(app, csMissing);
      QCOMPARE(dlg.Tip(), QString::fromStdString("Tips file " + csMissing + " not found."));
      QVERIFY(!FindControl(&dlg, 1002)->isEnabled());
    }
    const std::string csEmpty = dir.Path("empty.tps");
    WriteFile(csEmpty, "; only comments\n\n  and indents\n", 1000000);
    CTipDlg dlg(app, csEmpty);
    QCOMPARE(dlg.Tip(), QString());
    dlg.NextTip();
    QCOMPARE(dlg.Tip(), QString());
    QVERIFY(TakeMessages().empty());
  }

  void StartUpSwitchIsStoredOnClose() {
    CTempDir dir;
    CAppState app(PathsIn(dir));
    QVERIFY(TipsWantedAtStartUp(app));
    {
      CTipDlg dlg(app, dir.Path("none.tps"));
      auto* pCheck = FindControlAs<QCheckBox>(&dlg, 1001);
      QVERIFY(pCheck->isChecked());
      pCheck->click();
      FindControlAs<QPushButton>(&dlg, kIdOk)->click();
    }
    QCOMPARE(app.TipStartUp(), 1);
    QVERIFY(!TipsWantedAtStartUp(app));
    CTipDlg dlg(app, dir.Path("none.tps"));
    QVERIFY(!FindControlAs<QCheckBox>(&dlg, 1001)->isChecked());
  }

  void TheBundledTipsFileIsInstalledOnce() {
    CTempDir dir;
    QCOMPARE(InstallTipsFile(dir.Dir().string()), 1);
    CAppState app(PathsIn(dir));
    CTipDlg dlg(app, TipsFilePath(dir.Dir().string()));
    QVERIFY(dlg.Tip().contains("F7"));
    // A tips file of the user's own is kept.
    WriteFile(TipsFilePath(dir.Dir().string()), "Mine.\n", 3000000);
    QCOMPARE(InstallTipsFile(dir.Dir().string()), 1);
    CTipDlg mine(app, TipsFilePath(dir.Dir().string()));
    QCOMPARE(mine.Tip(), QString("Mine."));
    QCOMPARE(InstallTipsFile(""), 0);
  }
};

QTEST_MAIN(CTipDialogTest)
#include "tip_dialog_test.moc"
