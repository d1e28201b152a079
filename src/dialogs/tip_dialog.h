// "Vexmora Tip of the Day": one tip at a time from the tips file "data.tps"
// in the main directory, going on where the last showing stopped. A line
// that begins with a tab, a space or ";" (and an empty line) is not a tip;
// every other line is one. The place reached, the file's time stamp (a new
// file starts from its first tip) and the start-up switch live in the "Tip"
// section of the settings.
#pragma once

#include <QDialog>

#include <cstdio>
#include <memory>
#include <string>

class CAppState;
class QCheckBox;
class QLabel;

class CTipDlg : public QDialog {
  Q_OBJECT
 public:
  CTipDlg(CAppState& app, const std::string& csTipsPath, QWidget* pParent = nullptr);
  // Stores where the next showing begins.
  ~CTipDlg() override;

  const QString& Tip() const { return m_csTip; }
  // "&Next Tip".
  void NextTip();
  // "&Close": stores whether tips are shown at start-up.
  void accept() override;

 private:
  void ReadNextTip();

  CAppState& m_App;
  QString m_csTip;
  int m_bStartup = 1;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> m_pFile{nullptr, &std::fclose};
  QLabel* m_pText = nullptr;
  QCheckBox* m_pStartup = nullptr;
};

// "<main directory>/data.tps".
std::string TipsFilePath(const std::string& csMainDir);
// Writes the program's own tips file into the main directory unless one is
// there already. 1 when the directory then holds a tips file.
int InstallTipsFile(const std::string& csMainDir);
// Whether the tip is shown when the start-up splash closes ("StartUp" = 0).
bool TipsWantedAtStartUp(const CAppState& app);
// Shows the tip of the day from the main directory's tips file (installing
// the program's own first when there is none).
void RunTipDialog(QWidget* pParent, CAppState& app);
