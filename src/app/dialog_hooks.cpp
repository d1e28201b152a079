// The file dialogs, and the document's dialogs: those of the dialogs library
// when it is built, else simple stand-ins (a list to choose an Xform or a
// quality, the properties as text) that let every command run.
#include "app/dialog_hooks.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QStringList>

#include "engine/catalogue.h"
#include "imaging/image_files.h"

#ifdef VX_HAVE_DIALOGS
#include "dialogs/small_dialogs.h"
#include "dialogs/tip_dialog.h"
#endif

QStringList QtNameFilters(const char* szFilter) {
  const QStringList aParts = QString::fromLatin1(szFilter).split('|', Qt::SkipEmptyParts);
  QStringList aFilters;
  for (qsizetype i = 0; i + 1 < aParts.size(); i += 2) {
    QString csName = aParts[i].section('(', 0, 0).simplified();
    QStringList aPatterns;
    for (const QString& csPattern : aParts[i + 1].split(';', Qt::SkipEmptyParts))
      aPatterns << csPattern.toUpper() << csPattern.toLower();
    aFilters << QStringLiteral("%1 (%2)").arg(csName, aPatterns.join(' '));
  }
  return aFilters;
}

namespace {

constexpr const char* kTitle = "Vexmora4";

// Runs a file dialog with a filter list and one of its filters (1-based)
// selected; the chosen path, or "" when cancelled.
std::string RunFileDialog(QFileDialog& dialog, const char* szFilter, int iFilterIndex) {
  const QStringList aFilters = QtNameFilters(szFilter);
  dialog.setNameFilters(aFilters);
  if (iFilterIndex >= 1 && iFilterIndex <= aFilters.size())
    dialog.selectNameFilter(aFilters[iFilterIndex - 1]);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first().toStdString();
}

}  // namespace

std::string CShellDialogs::OpenImagePath(int iFilterIndex, const std::string& /*csDefaultExtension*/,
                                         const std::string& csInitialDir) {
  QFileDialog dialog(Owner(), QStringLiteral("Select image file to open"),
                     QString::fromStdString(csInitialDir));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  return RunFileDialog(dialog, kOpenImageFilter, iFilterIndex);
}

std::string CShellDialogs::SaveImagePath(const std::string& csDefaultName, int iFilterIndex,
                                         const std::string& csDefaultExtension,
                                         const std::string& csInitialDir) {
  QFileDialog dialog(Owner(), QStringLiteral("Save image to file"),
                     QString::fromStdString(csInitialDir));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QString::fromStdString(csDefaultExtension));
  dialog.selectFile(QString::fromStdString(csDefaultName));
  return RunFileDialog(dialog, kSaveImageFilter, iFilterIndex);
}

#ifdef VX_HAVE_DIALOGS

void CShellDialogs::TipOfTheDay(CAppState& state) { RunTipDialog(Owner(), state); }
void CShellDialogs::About() { RunAboutDialog(Owner()); }

#else

// Without the dialogs library: simple stand-ins that let every command run.
bool CDocumentDialogsBase::ChooseXform(CFilSpec& spec, const std::int32_t* /*aUsage*/) {
  QStringList aNames;
  QList<int> aIndexes;
  int iCurrent = 0;
  const int iPreferred = spec.m_iXform == XFORM_NULL ? static_cast<int>(XFORM_MOSAIC) : spec.m_iXform;
  for (int i = 0; i < kXformCount; ++i) {
    if (!CFilSpec::IsBuilt(i)) continue;
    if (i == iPreferred) iCurrent = static_cast<int>(aNames.size());
    aNames << QString::fromLatin1(GetXformName(i));
    aIndexes << i;
  }
  if (aNames.isEmpty()) return false;
  bool bOk = false;
  const QString csChoice = QInputDialog::getItem(Parent(), QStringLiteral("Choose Xform"),
                                                 QStringLiteral("Xform:"), aNames, iCurrent,
                                                 false, &bOk);
  if (!bOk) return false;
  spec.m_iXform = aIndexes[aNames.indexOf(csChoice)];
  return true;
}

int CDocumentDialogsBase::XformSettings(CFilSpec& /*spec*/) {
  // Without the settings dialog the current settings are taken as they are.
  return 1;
}

IDocumentDialogs::EClose CDocumentDialogsBase::Mix(MixSettings& /*mix*/, const CDADC* /*pOriginal*/) {
  QMessageBox::information(Parent(), kTitle, QStringLiteral("The mix settings are not available."));
  return EClose::Cancel;
}

IDocumentDialogs::EClose CDocumentDialogsBase::AdvancedSelection(AreaSelection& /*select*/,
                                                          const CDADC* /*pOriginal*/) {
  QMessageBox::information(Parent(), kTitle,
                           QStringLiteral("The advanced selection is not available."));
  return EClose::Cancel;
}

IDocumentDialogs::EClose CDocumentDialogsBase::ImageQuality(int& iLevel) {
  const QStringList aLevels = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4")};
  bool bOk = false;
  const QString csLevel = QInputDialog::getItem(
      Parent(), QStringLiteral("Image Quality"), QStringLiteral("Oversampling:"), aLevels,
      std::max<int>(0, static_cast<int>(aLevels.indexOf(QString::number(iLevel)))), false, &bOk);
  if (!bOk) return EClose::Cancel;
  iLevel = csLevel.toInt();
  return EClose::ApplyNow;
}

bool CDocumentDialogsBase::Overview(COverview& overview) {
  bool bOk = false;
  const int iPicture = QInputDialog::getInt(Parent(), QStringLiteral("Sequence Overview"),
                                            QStringLiteral("Picture (0 = original):"),
                                            overview.m_iCurrent, 0,
                                            std::max(0, overview.Count() - 1), 1, &bOk);
  if (!bOk) return false;
  overview.m_iCurrent = iPicture;
  return true;
}

void CDocumentDialogsBase::ImageProperties(const CImageProperties& props) {
  QMessageBox::information(
      Parent(), QStringLiteral("Image Properties"),
      QString::fromStdString(props.m_csOriginal + "\n" + props.m_csXform + "\n" +
                             props.m_csSavedAs + "\n" + props.m_csPosition + "\n" +
                             props.m_csPixels + "\n" + props.m_csBytes));
}

void CShellDialogs::TipOfTheDay(CAppState& /*state*/) {}

void CShellDialogs::About() {
  QMessageBox::about(Parent(), QStringLiteral("About Vexmora"),
                     QStringLiteral("Vexmora 4\nImage ideas from your pictures."));
}

#endif  // VX_HAVE_DIALOGS
