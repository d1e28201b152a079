// The file dialogs; the document's dialogs come from the dialogs library.
#include "app/dialog_hooks.h"

#include <QFileDialog>
#include <QStringList>

#include "dialogs/small_dialogs.h"
#include "dialogs/tip_dialog.h"
#include "imaging/image_files.h"

QStringList QtNameFilters(const char* szFilter, bool bJpegSpellings) {
  const QStringList aParts = QString::fromLatin1(szFilter).split('|', Qt::SkipEmptyParts);
  QStringList aFilters;
  for (qsizetype i = 0; i + 1 < aParts.size(); i += 2) {
    QString csName = aParts[i].section('(', 0, 0).simplified();
    QStringList aPatterns;
    for (const QString& csPattern : aParts[i + 1].split(';', Qt::SkipEmptyParts)) {
      aPatterns << csPattern.toUpper() << csPattern.toLower();
      // JPG pictures are also read under their longer and shorter names.
      if (bJpegSpellings && csPattern.compare(QLatin1String("*.JPG"), Qt::CaseInsensitive) == 0)
        aPatterns << "*.JPEG" << "*.jpeg" << "*.JPE" << "*.jpe";
    }
    aFilters << QStringLiteral("%1 (%2)").arg(csName, aPatterns.join(' '));
  }
  return aFilters;
}

namespace {

// Runs a file dialog with a filter list and one of its filters (1-based)
// selected; the chosen path, or "" when cancelled.
std::string RunFileDialog(QFileDialog& dialog, const char* szFilter, int iFilterIndex) {
  const QStringList aFilters = QtNameFilters(szFilter, dialog.acceptMode() == QFileDialog::AcceptOpen);
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
  // Sequence files open here too, as their own filter.
  QStringList aFilters = QtNameFilters(kOpenImageFilter, true);
  if (!aFilters.isEmpty()) aFilters.last().replace(')', QStringLiteral(" *.vxseq *.VXSEQ)"));
  aFilters << QStringLiteral("Vexmora sequences (*.vxseq *.VXSEQ)");
  dialog.setNameFilters(aFilters);
  if (iFilterIndex >= 1 && iFilterIndex <= aFilters.size())
    dialog.selectNameFilter(aFilters[iFilterIndex - 1]);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first().toStdString();
}

std::string CShellDialogs::DataFilePath(EFile eKind, bool bSave, const std::string& csDefault,
                                        const std::string& csInitialDir) {
  const bool bSequence = eKind == EFile::Sequence;
  const QString csTitle = bSave ? (bSequence ? QStringLiteral("Save sequence")
                                             : QStringLiteral("Save recipe"))
                                : (bSequence ? QStringLiteral("Open sequence")
                                             : QStringLiteral("Apply recipe"));
  QFileDialog dialog(Owner(), csTitle, QString::fromStdString(csInitialDir));
  dialog.setAcceptMode(bSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(bSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setNameFilters({bSequence ? QStringLiteral("Vexmora sequences (*.vxseq)")
                                   : QStringLiteral("Recipes (*.json)"),
                         QStringLiteral("All files (*)")});
  dialog.setDefaultSuffix(bSequence ? QStringLiteral("vxseq") : QStringLiteral("json"));
  if (!csDefault.empty()) dialog.selectFile(QString::fromStdString(csDefault));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first().toStdString();
}

std::string CShellDialogs::SaveImagePath(const std::string& csDefaultName, int iFilterIndex,
                                         const std::string& csDefaultExtension,
                                         const std::string& csInitialDir) {
  QFileDialog dialog(Owner(), QStringLiteral("Save image to file"),
                     QString::fromStdString(csInitialDir));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QString::fromStdString(csDefaultExtension));
  // Offered with its extension: a name with a dot of its own ("my.photo1")
  // would otherwise lose what follows the dot to the filter's extension.
  dialog.selectFile(QString::fromStdString(
      csDefaultExtension.empty() ? csDefaultName : csDefaultName + "." + csDefaultExtension));
  return RunFileDialog(dialog, kSaveImageFilter, iFilterIndex);
}

void CShellDialogs::TipOfTheDay(CAppState& state) { RunTipDialog(Owner(), state); }
void CShellDialogs::About() { RunAboutDialog(Owner()); }
