#include "dialogs/tip_dialog.h"

#include <QCheckBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include <sys/stat.h>
#include <ctime>

#include "dialogs/dialog_toolkit.h"
#include "engine/app_state.h"
#include "platform/report.h"

namespace {

constexpr int kIdBulb = 1000;
constexpr int kIdStartup = 1001;
constexpr int kIdNext = 1002;
constexpr int kIdTip = 1004;
constexpr std::size_t kMaxLine = 1000;

// String 109.
constexpr const char* kTroubleReading = "Trouble reading the tips file";

bool IsTipLine(const std::string& cs) {
  return !cs.empty() && cs[0] != '\t' && cs[0] != '\n' && cs[0] != ' ' && cs[0] != ';';
}

// One line without its line break; false at the end of the file.
bool ReadLine(std::FILE* pFile, std::string& csLine) {
  csLine.clear();
  int c;
  while ((c = std::fgetc(pFile)) != EOF && c != '\n') csLine += static_cast<char>(c);
  if (c == EOF && csLine.empty()) return false;
  if (!csLine.empty() && csLine.back() == '\r') csLine.pop_back();
  if (csLine.size() > kMaxLine) csLine.resize(kMaxLine);
  return true;
}

// The modification time of the open file as ctime gives it, without its
// line break (the settings keep it so).
std::string FileTimeStamp(std::FILE* pFile) {
  struct stat st {};
  if (fstat(fileno(pFile), &st) != 0) return {};
  char sz[64] = "";
  const std::time_t t = st.st_mtime;
  if (!ctime_r(&t, sz)) return {};
  std::string cs = sz;
  while (!cs.empty() && (cs.back() == '\n' || cs.back() == '\r')) cs.pop_back();
  return cs;
}

QPixmap Bulb(int iSize) {
  QPixmap pixmap(iSize, iSize);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const double s = iSize / 48.0;
  p.scale(s, s);
  // Glass, glow lines, screw base.
  p.setPen(QPen(QColor(120, 90, 0), 1.5));
  p.setBrush(QColor(255, 225, 80));
  QPainterPath glass;
  glass.addEllipse(QRectF(12, 4, 24, 24));
  glass.addRect(QRectF(18, 22, 12, 10));
  p.drawPath(glass.simplified());
  p.setPen(QPen(QColor(200, 150, 0), 1.2));
  p.drawLine(QPointF(21, 30), QPointF(24, 18));
  p.drawLine(QPointF(27, 30), QPointF(24, 18));
  p.setPen(QPen(QColor(80, 80, 80), 1));
  p.setBrush(QColor(170, 170, 170));
  for (int i = 0; i < 3; ++i) p.drawRoundedRect(QRectF(17.5, 32 + 3.5 * i, 13, 3.5), 1.5, 1.5);
  p.setBrush(QColor(90, 90, 90));
  p.drawEllipse(QRectF(21, 42, 6, 3));
  return pixmap;
}

}  // namespace

CTipDlg::CTipDlg(CAppState& app, const std::string& csTipsPath, QWidget* pParent)
    : QDialog(pParent), m_App(app) {
  setWindowTitle(tr("Vexmora Tip of the Day"));
  SetHelpTopicAndFitCaption(this, QStringLiteral("tips.html"));
  SetControlId(this, 104);
  m_bStartup = !app.TipStartUp();
  long iPos = app.TipFilePos();

  m_pFile.reset(std::fopen(csTipsPath.c_str(), "r"));
  if (!m_pFile) {
    m_csTip = QString::fromStdString(FormatMessageText("Tips file %s not found.", csTipsPath.c_str()));
  } else {
    // A changed file starts again from its first tip.
    const std::string csStamp = FileTimeStamp(m_pFile.get());
    if (csStamp != app.TipTimeStamp()) {
      app.SetTipTimeStamp(csStamp);
      iPos = 0;
    }
    if (iPos < 0 || std::fseek(m_pFile.get(), iPos, SEEK_SET) != 0)
      ReportError("%s", kTroubleReading);
    else
      ReadNextTip();
  }

  auto* pTop = new QVBoxLayout(this);
  auto* pRow = new QHBoxLayout;
  pTop->addLayout(pRow);
  auto* pBulb = new QLabel;
  SetControlId(pBulb, kIdBulb);
  pBulb->setPixmap(Bulb(48));
  pRow->addWidget(pBulb, 0, Qt::AlignTop);
  m_pText = new QLabel(m_csTip);
  SetControlId(m_pText, kIdTip);
  m_pText->setTextFormat(Qt::PlainText);
  m_pText->setWordWrap(true);
  m_pText->setMinimumSize(320, 120);
  m_pText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  m_pText->setMargin(10);
  m_pText->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  // The tip is drawn on white.
  QPalette palette = m_pText->palette();
  palette.setColor(QPalette::Window, Qt::white);
  palette.setColor(QPalette::WindowText, Qt::black);
  m_pText->setPalette(palette);
  m_pText->setAutoFillBackground(true);
  pRow->addWidget(m_pText, 1);

  auto* pEnd = new QHBoxLayout;
  m_pStartup = new QCheckBox(tr("&Show Tips on StartUp"));
  SetControlId(m_pStartup, kIdStartup);
  m_pStartup->setChecked(m_bStartup != 0);
  connect(m_pStartup, &QCheckBox::toggled, this, [this](bool b) { m_bStartup = b ? 1 : 0; });
  QPushButton* pNext = MakeButton(tr("&Next Tip"), kIdNext);
  pNext->setEnabled(m_pFile != nullptr);
  QPushButton* pClose = MakeButton(tr("&Close"), kIdOk);
  pClose->setDefault(true);
  pEnd->addWidget(m_pStartup);
  pEnd->addStretch(1);
  pEnd->addWidget(pNext);
  pEnd->addWidget(pClose);
  pTop->addLayout(pEnd);
  connect(pNext, &QPushButton::clicked, this, &CTipDlg::NextTip);
  connect(pClose, &QPushButton::clicked, this, &CTipDlg::accept);
}

CTipDlg::~CTipDlg() {
  if (!m_pFile) return;
  const long iPos = std::ftell(m_pFile.get());
  if (iPos >= 0) m_App.SetTipFilePos(static_cast<int>(iPos));
}

void CTipDlg::ReadNextTip() {
  if (!m_pFile) return;
  std::string csLine;
  // At the end of the file the search goes on from its start, once: a file
  // without any tip line gives an empty tip instead of an endless search.
  bool bWrapped = false;
  for (;;) {
    if (ReadLine(m_pFile.get(), csLine)) {
      if (IsTipLine(csLine)) break;
      continue;
    }
    if (bWrapped || std::fseek(m_pFile.get(), 0, SEEK_SET) != 0) {
      if (!bWrapped) ReportError("%s", kTroubleReading);
      csLine.clear();
      break;
    }
    bWrapped = true;
  }
  m_csTip = QString::fromUtf8(csLine.c_str());
}

void CTipDlg::NextTip() {
  ReadNextTip();
  m_pText->setText(m_csTip);
}

void CTipDlg::accept() {
  m_App.SetTipStartUp(!m_bStartup);
  QDialog::accept();
}

std::string TipsFilePath(const std::string& csMainDir) { return csMainDir + "/data.tps"; }

int InstallTipsFile(const std::string& csMainDir) {
  if (csMainDir.empty()) return 0;
  const QString csPath = QString::fromStdString(TipsFilePath(csMainDir));
  if (QFile::exists(csPath)) return 1;
  QFile bundled(QStringLiteral(":/vexmora/data.tps"));
  QFile target(csPath);
  if (!bundled.open(QIODevice::ReadOnly) || !target.open(QIODevice::WriteOnly)) return 0;
  return target.write(bundled.readAll()) >= 0 && target.flush() ? 1 : 0;
}

bool TipsWantedAtStartUp(const CAppState& app) { return app.TipStartUp() == 0; }

void RunTipDialog(QWidget* pParent, CAppState& app) {
  InstallTipsFile(app.m_csMainDir);
  CTipDlg dlg(app, TipsFilePath(app.m_csMainDir), pParent);
  dlg.exec();
}
