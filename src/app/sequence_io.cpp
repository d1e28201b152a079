// Sequences and recipes in the desktop program: opening a sequence file as
// a document, saving the active document's sequence, copying, saving and
// applying recipes. Every failure is one message naming the file and the
// reason; nothing of an open document is changed by a failed read.
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QStatusBar>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/dialog_hooks.h"
#include "app/main_frame.h"
#include "app/view.h"
#include "engine/document.h"
#include "engine/recipe.h"
#include "engine/sequence_file.h"
#include "imaging/dadc.h"
#include "imaging/image_files.h"
#include "platform/report.h"

namespace {

std::string Stem(const std::string& csPath) {
  return QFileInfo(QString::fromStdString(csPath)).completeBaseName().toStdString();
}

std::string DirOf(const std::string& csPath) {
  return QFileInfo(QString::fromStdString(csPath)).absolutePath().toStdString();
}

// A name beside the sequence for its own copy of the original that nothing
// has yet (a file of the user's is never replaced): "NAME_original.png",
// else "NAME_original-2.png", and so on. Empty when all are taken.
std::string FreeOriginalName(const std::string& csSequence) {
  const std::string csBase = DirOf(csSequence) + "/" + Stem(csSequence) + "_original";
  for (int i = 1; i <= 999; ++i) {
    const std::string csName = csBase + (i == 1 ? "" : "-" + std::to_string(i)) + ".png";
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(csName, error))) return csName;
  }
  return {};
}

}  // namespace

bool IsSequencePath(const std::string& csPath) {
  return QFileInfo(QString::fromStdString(csPath))
             .suffix()
             .compare(QLatin1String("vxseq"), Qt::CaseInsensitive) == 0;
}

bool IsRecipePath(const std::string& csPath) {
  return QFileInfo(QString::fromStdString(csPath))
             .suffix()
             .compare(QLatin1String("json"), Qt::CaseInsensitive) == 0;
}

int COceloApp::OpenSequenceDocument(const char* szPath) {
  std::string csPath = szPath ? szPath : "";
  if (csPath.empty()) {
    csPath = m_Dialogs.DataFilePath(CShellDialogs::EFile::Sequence, false, "",
                                    m_State.m_csInitialDir);
    if (csPath.empty()) return 0;
  }
  CSequence seq;
  std::string csError;
  if (!ReadSequenceFile(csPath, seq, csError)) {
    ReportError("Cannot open the sequence %s:\n%s", csPath.c_str(), csError.c_str());
    return 0;
  }
  std::unique_ptr<CDADC> pPicture = LoadSequencePicture(seq, csError);
  if (!pPicture) {
    ReportError("Cannot open the sequence %s:\n%s", csPath.c_str(), csError.c_str());
    return 0;
  }
  std::vector<CFilSpec> aIdeas;
  aIdeas.reserve(seq.m_aIdeas.size());
  for (const Recipe& recipe : seq.m_aIdeas) aIdeas.push_back(recipe.m_Spec);
  // The document shows all its ideas at one quality: the current idea's.
  const int iQuality =
      seq.m_aIdeas.empty()
          ? 1
          : seq.m_aIdeas[static_cast<std::size_t>(std::max(seq.m_iCurrent, 0))].m_iQuality;
  const std::string csStem = Stem(csPath);
  CVexChildWnd* pChild = m_pFrame->CreateChild();
  CVexmoFilterDoc* pDoc = pChild->Document();
  if (!pDoc->SetDocSequence(std::move(pPicture),
                            CVexmoFilterDoc::UniqueName(csStem.empty() ? "sequence" : csStem),
                            aIdeas, iQuality, seq.m_iCurrent + 1)) {
    delete pChild;
    return 0;
  }
  pDoc->m_csPicturePath = seq.m_csPicture;
  pDoc->m_csSequencePath = csPath;
  m_State.NoteImageOpened(csPath.c_str());
  m_pFrame->ShowChild(pChild);
  return 1;
}

void CMainFrame::SaveSequenceAs() {
  CVexmoFilterDoc* pDoc = ActiveDocument();
  if (!pDoc || !pDoc->Original()) return;
  CAppState& state = m_App.State();
  const std::string csDefault = !pDoc->m_csSequencePath.empty()
                                    ? pDoc->m_csSequencePath
                                    : pDoc->m_szName + ".vxseq";
  const std::string csPath = m_App.Dialogs().DataFilePath(CShellDialogs::EFile::Sequence, true,
                                                          csDefault, state.m_csInitialDir);
  if (csPath.empty()) return;
  CSequence seq;
  SetSequencePicture(seq, pDoc->m_csPicturePath, *pDoc->Original());
  std::string csError;
  if (pDoc->m_csPicturePath.empty() || !LoadSequencePicture(seq, csError)) {
    // A pasted picture, or one whose file has gone or changed since it was
    // opened, is written beside the sequence, so that the sequence has its
    // own original to come back to.
    const std::string csPicture = FreeOriginalName(csPath);
    if (csPicture.empty() ||
        !VicWriteFile(csPicture.c_str(), *pDoc->Original(), kImageFromName, true)) {
      ReportError("Cannot save the sequence %s:\nthe original picture could not be written to %s",
                  csPath.c_str(), csPicture.empty() ? "its folder" : csPicture.c_str());
      return;
    }
    pDoc->m_csPicturePath = csPicture;
    SetSequencePicture(seq, csPicture, *pDoc->Original());
  }
  for (int i = 1; i < pDoc->SequenceSize(); ++i) {
    Recipe recipe;
    recipe.m_Spec = pDoc->m_aSpecs[static_cast<std::size_t>(i)];
    recipe.m_Spec.m_Context = XformContext{};
    recipe.m_iQuality = pDoc->m_iAALevel;
    seq.m_aIdeas.push_back(recipe);
  }
  seq.m_iCurrent = seq.m_aIdeas.empty() ? -1 : std::max(pDoc->m_iCurrent, 1) - 1;
  if (!WriteSequenceFile(csPath, seq, csError)) {
    ReportError("Cannot save the sequence %s:\n%s", csPath.c_str(), csError.c_str());
    return;
  }
  pDoc->m_csSequencePath = csPath;
  state.AddRecent(csPath.c_str());
  UpdateRecentItems();
  statusBar()->showMessage(QStringLiteral("Sequence saved: %1").arg(QString::fromStdString(csPath)),
                           5000);
}

namespace {

// The recipe of the active document's idea, or false (nothing is shown).
bool ShownRecipe(const CMainFrame& frame, Recipe& recipe) {
  const CVexmoFilterDoc* pDoc = frame.ActiveDocument();
  return pDoc && pDoc->ShownRecipe(recipe.m_Spec, recipe.m_iQuality);
}

}  // namespace

void CMainFrame::CopyRecipe() {
  Recipe recipe;
  if (!ShownRecipe(*this, recipe)) return;
  QApplication::clipboard()->setText(QString::fromStdString(RecipeToJson(recipe)));
}

void CMainFrame::SaveRecipe() {
  Recipe recipe;
  if (!ShownRecipe(*this, recipe)) return;
  const CVexmoFilterDoc* pDoc = ActiveDocument();
  const std::string csPath = m_App.Dialogs().DataFilePath(
      CShellDialogs::EFile::Recipe, true,
      pDoc->m_szName + std::to_string(pDoc->m_iCurrent) + ".json", m_App.State().m_csInitialDir);
  if (csPath.empty()) return;
  std::string csError;
  if (!WriteRecipeFile(csPath, recipe, csError))
    ReportError("Cannot save the recipe %s:\n%s", csPath.c_str(), csError.c_str());
}

void CMainFrame::ApplyRecipe(const std::string& csFile) {
  CVexChildWnd* pChild = ActiveChild();
  CVexmoFilterDoc* pDoc = pChild ? pChild->Document() : nullptr;
  if (!pDoc || !pDoc->Original() || m_App.Worker().IsXforming()) return;
  std::string csPath = csFile;
  if (csPath.empty()) {
    csPath = m_App.Dialogs().DataFilePath(CShellDialogs::EFile::Recipe, false, "",
                                          m_App.State().m_csInitialDir);
    if (csPath.empty()) return;
  }
  Recipe recipe;
  std::string csError;
  if (!ReadRecipeFile(csPath, recipe, csError)) {
    ReportError("Cannot apply the recipe %s:\n%s", csPath.c_str(), csError.c_str());
    return;
  }
  pDoc->AddRecipeIdea(recipe.m_Spec, recipe.m_iQuality);
  pChild->View()->Invalidate(false);
  UpdateCommands();
}
