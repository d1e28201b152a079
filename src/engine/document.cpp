#include "engine/document.h"

#include <algorithm>

#include "engine/app_state.h"
#include "engine/catalogue.h"
#include "engine/recipe.h"
#include "imaging/dadc.h"
#include "imaging/image_files.h"
#include "platform/global_block.h"
#include "platform/report.h"

namespace {

// The open documents, for naming a picture opened more than once.
std::vector<const CVexmoFilterDoc*>& OpenDocuments() {
  static std::vector<const CVexmoFilterDoc*> aDocuments;
  return aDocuments;
}

// The file name without its directory and its last extension.
std::string BaseName(const std::string& csPath) {
  std::string csName = csPath.substr(csPath.rfind('/') + 1);
  const std::size_t iDot = csName.rfind('.');
  if (iDot != std::string::npos) csName.resize(iDot);
  return csName;
}

}  // namespace

struct CVexmoFilterDoc::CCommand {
  int m_iId;
  bool (*m_pfnEnabled)(const CVexmoFilterDoc&);
  void (CVexmoFilterDoc::*m_pfnAction)();
};

CVexmoFilterDoc::CVexmoFilterDoc(IDocumentView* pView, CAppState& app, CGenerationWorker& worker,
                                 IDocumentDialogs& dialogs)
    : CIdeaSequenceDoc(pView), m_App(app), m_Worker(worker), m_Dialogs(dialogs) {
  m_aSpecs.push_back(m_Spec);  // stands for the original
  InitUsageCounts(m_aUsage.data());
  OpenDocuments().push_back(this);
  m_App.DocumentOpened();
}

CVexmoFilterDoc::~CVexmoFilterDoc() {
  auto& aDocuments = OpenDocuments();
  aDocuments.erase(std::remove(aDocuments.begin(), aDocuments.end(), this), aDocuments.end());
  m_App.DocumentClosed();
  if (!m_szName.empty()) m_App.m_Cache.RemoveDocCache(m_csCacheKey.c_str());
}

CDADC* CVexmoFilterDoc::Drawing() const { return m_pView ? m_pView->DrawingSurface() : nullptr; }

bool CVexmoFilterDoc::IsXforming() const { return m_Worker.IsXforming(); }

std::string CVexmoFilterDoc::GetXformName() const { return ::GetXformName(m_Spec.m_iXform); }

std::string CVexmoFilterDoc::ShownXformName() const {
  if (m_iCurrent <= 0 || m_iCurrent >= SequenceSize()) return "";
  return ::GetXformName(m_aSpecs[static_cast<std::size_t>(m_iCurrent)].m_iXform);
}

int CVexmoFilterDoc::SetDocBitmap(CGlobalBlock hDib, const std::string& csName) {
  if (!hDib) {
    ReportError("SDB:Strange pointers\n%p %p", static_cast<void*>(m_pView),
                static_cast<const void*>(hDib.Data()));
    return 0;
  }
  std::unique_ptr<CDADC> pPicture = CDADC::CBC(hDib);
  hDib.Free();
  return SetDocPicture(std::move(pPicture), csName);
}

int CVexmoFilterDoc::InstallPicture(std::unique_ptr<CDADC> pPicture, const std::string& csName) {
  if (!m_pView) {
    ReportError("SDB:Strange pointers\n%p %p", static_cast<void*>(m_pView),
                static_cast<const void*>(pPicture.get()));
    return 0;
  }
  if (!pPicture) {
    ReportError("RIB,could not create Doc bitmap");
    return 0;
  }
  if (m_pOrgDC) {
    ReportError("SDB:m_pOrgDC already allocated");
    return 0;
  }
  if (csName.empty()) {
    ReportError("SDB: missing bitmap name");
    return 0;
  }
  m_szName = csName.substr(0, kMaxNameLength);
  m_csCacheKey = m_App.m_Cache.NewDocumentKey(m_szName.c_str());
  if (!m_pView->CreateViewBitmap(*pPicture)) {
    ReportError("SDB, could not CreateViewBitmap");
    return 0;
  }
  m_pOrgDC = std::move(pPicture);
  m_iShownLevel = 0;
  if (m_Overview.AddToThumbnails(*m_pOrgDC, m_szName.c_str()) != 0)
    ReportError("AddToThumbnails != 0");
  m_pView->Invalidate(true);
  return 1;
}

int CVexmoFilterDoc::SetDocPicture(std::unique_ptr<CDADC> pPicture, const std::string& csName) {
  if (!InstallPicture(std::move(pPicture), csName)) return 0;
  m_Spec.m_iXform = m_App.m_iPrefXform;
  m_Spec.m_bWizardAll = 1;
  if (ChooseStep()) GenerateNew(false);
  return 1;
}

namespace {

// Whether a recipe can be made from an original of this size, without
// touching the recipe: it replays as it was drawn (the wizard chose some
// values after validation, outside what validation would make of them).
bool RecipeFits(const CFilSpec& recipe, int iWidth, int iHeight) {
  if (!CFilSpec::IsBuilt(recipe.m_iXform)) {
    ReportError("The recipe's Xform \"%s\" is not available", ::GetXformName(recipe.m_iXform));
    return false;
  }
  CFilSpec checked = recipe;
  std::string csWhy;
  if (checked.Effect(iWidth, iHeight, &csWhy)) return true;
  if (!csWhy.empty()) ReportError("%s", csWhy.c_str());
  return false;
}

bool ValidQuality(int iQuality) { return iQuality == 1 || iQuality == 2 || iQuality == 4; }

}  // namespace

int CVexmoFilterDoc::SetDocSequence(std::unique_ptr<CDADC> pPicture, const std::string& csName,
                                    const std::vector<CFilSpec>& aIdeas, int iQuality,
                                    int iCurrent) {
  if (!ValidQuality(iQuality)) {
    ReportError("Bad AA level:%d", iQuality);
    return 0;
  }
  if (iCurrent < 0 || static_cast<std::size_t>(iCurrent) > aIdeas.size()) {
    ReportError("The sequence has no idea #%d", iCurrent);
    return 0;
  }
  if (pPicture) {
    for (const CFilSpec& idea : aIdeas)
      if (!RecipeFits(idea, pPicture->m_iWidth, pPicture->m_iHeight)) return 0;
  }
  if (!InstallPicture(std::move(pPicture), csName)) return 0;
  m_iAALevel = iQuality;
  for (const CFilSpec& idea : aIdeas) {
    m_aSpecs.push_back(idea);
    m_aSpecs.back().m_Context = XformContext{};
    m_Overview.AddPlaceholder(::GetXformName(idea.m_iXform));
    if (idea.m_iXform >= 0 && idea.m_iXform < kXformCount) ++m_aUsage[idea.m_iXform];
  }
  m_Overview.m_iCurrent = 0;
  if (iCurrent > 0) GoTo(iCurrent);
  return 1;
}

bool CVexmoFilterDoc::AddRecipeIdea(const CFilSpec& recipe, int iQuality) {
  if (!m_pOrgDC) {
    ReportError("OGN:m_pOrgDC == NULL");
    return false;
  }
  if (IsXforming()) {
    ReportError("%s", kStillCreatingImage);
    return false;
  }
  if (!ValidQuality(iQuality)) {
    ReportError("Bad AA level:%d", iQuality);
    return false;
  }
  if (!RecipeFits(recipe, m_pOrgDC->m_iWidth, m_pOrgDC->m_iHeight)) return false;
  m_iAALevel = iQuality;
  m_Spec = recipe;
  m_Spec.m_Context = XformContext{};
  AppendAndRun();
  return true;
}

int CVexmoFilterDoc::AddMadeIdea(const CFilSpec& recipe, const CDADC& picture, int iQuality) {
  CDADC* pDrw = Drawing();
  if (!m_pOrgDC || !pDrw) {
    ReportError("OGN:m_pOrgDC == NULL");
    return 0;
  }
  if (IsXforming()) {
    ReportError("%s", kStillCreatingImage);
    return 0;
  }
  if (!ValidQuality(iQuality)) {
    ReportError("Bad AA level:%d", iQuality);
    return 0;
  }
  if (!picture.IsValid() || picture.m_iWidth != pDrw->m_iWidth ||
      picture.m_iHeight != pDrw->m_iHeight) {
    ReportError("The idea is %d x %d, the picture %d x %d", picture.m_iWidth, picture.m_iHeight,
                pDrw->m_iWidth, pDrw->m_iHeight);
    return 0;
  }
  m_iAALevel = iQuality;
  m_Spec = recipe;
  m_Spec.m_Context = XformContext{};
  m_aSpecs.push_back(m_Spec);
  m_iPrevious = m_iCurrent;
  m_iCurrent = SequenceSize() - 1;
  pDrw->m_pDC->BitBlt(0, 0, pDrw->m_iWidth, pDrw->m_iHeight, *picture.m_pDC, 0, 0, SRCCOPY);
  m_iShownLevel = iQuality;
  m_Overview.AddToThumbnails(*pDrw, GetXformName().c_str());
  if (m_Spec.m_iXform >= 0 && m_Spec.m_iXform < kXformCount) ++m_aUsage[m_Spec.m_iXform];
  m_App.m_Cache.WriteCachedImage(*pDrw, m_csCacheKey.c_str(), m_iCurrent, m_iAALevel,
                                 CurrentRecipeDigest());
  m_App.m_iPrefXform = m_Spec.m_iXform;
  m_pView->Invalidate(true);
  return m_iCurrent;
}

bool CVexmoFilterDoc::ShownRecipe(CFilSpec& recipe, int& iQuality) const {
  if (m_iCurrent <= 0 || m_iCurrent >= SequenceSize()) return false;
  recipe = m_aSpecs[static_cast<std::size_t>(m_iCurrent)];
  recipe.m_Context = XformContext{};
  iQuality = m_iShownLevel > 0 ? m_iShownLevel : m_iAALevel;
  return true;
}

void CVexmoFilterDoc::FillThumbnail() {
  const CDADC* pDrw = Drawing();
  if (pDrw && m_iCurrent > 0 && m_iCurrent < m_Overview.Count() &&
      !m_Overview.Thumbnail(m_iCurrent))
    m_Overview.SetThumbnail(m_iCurrent, *pDrw);
}

std::string CVexmoFilterDoc::UniqueName(const std::string& csBase) {
  const auto& aDocuments = OpenDocuments();
  auto taken = [&](const std::string& csName) {
    return std::any_of(aDocuments.begin(), aDocuments.end(),
                       [&](const CVexmoFilterDoc* pDoc) { return pDoc->m_szName == csName; });
  };
  int k = static_cast<int>(std::count_if(
      aDocuments.begin(), aDocuments.end(),
      [&](const CVexmoFilterDoc* pDoc) { return pDoc->m_szName == csBase; }));
  auto name = [&] { return k == 0 ? csBase : csBase + "-" + std::to_string(k); };
  while (taken(name())) ++k;
  return name();
}

bool CVexmoFilterDoc::ChooseStep() {
  // The working recipe takes the choice only when it is accepted as a
  // whole: Cancel in the settings that follow keeps the Xform that was
  // working, so that the next variation is not of the cancelled one.
  CFilSpec chosen = m_Spec;
  if (!m_Dialogs.ChooseXform(chosen, m_aUsage.data())) return false;
  if (!chosen.m_bWizardAll && m_Dialogs.XformSettings(chosen) != 1) return false;
  m_Spec = chosen;
  return true;
}

int CVexmoFilterDoc::OpenImage(const char* szPath) {
  std::string csPath = szPath ? szPath : "";
  if (csPath.empty()) {
    const int iType = std::clamp(m_App.m_iReadExt, 0, kImageFilterCount - 1);
    csPath = m_Dialogs.OpenImagePath(iType + 1, kImageDefaultExtensions[iType] + 2,
                                     m_App.m_csInitialDir);
    if (csPath.empty()) return 0;
  }
  std::unique_ptr<CDADC> pPicture = OpenImageSurface(csPath.c_str(), kImageFromName);
  if (!pPicture) return 0;
  m_App.NoteImageOpened(csPath.c_str());
  const std::string csBase = BaseName(csPath);
  if (csBase.empty()) {
    ReportError("Bad document name (empty!)");
    return 0;
  }
  if (!SetDocPicture(std::move(pPicture), UniqueName(csBase))) return 0;
  m_csPicturePath = csPath;
  return 1;
}

void CVexmoFilterDoc::GenerateNew(bool bKeepSeed) {
  if (!m_pOrgDC) {
    ReportError("OGN:m_pOrgDC == NULL");
    return;
  }
  std::string csWhy;
  if (!m_Spec.Effect(m_pOrgDC->m_iWidth, m_pOrgDC->m_iHeight, &csWhy)) {
    if (!csWhy.empty()) ReportError("%s", csWhy.c_str());
    return;
  }
  if (!bKeepSeed) {
    m_Spec.NewSeed();
    m_Spec.Autochoose(m_pOrgDC.get());
  }
  AppendAndRun();
}

void CVexmoFilterDoc::AppendAndRun() {
  m_aSpecs.push_back(m_Spec);
  m_iGenMode = GEN_NEW;
  m_iPrevious = m_iCurrent;
  m_iCurrent = SequenceSize() - 1;
  switch (Run()) {
    case ERun::Started:
      break;
    case ERun::Cached:
      // Made before (only a leftover file can say so): treat it as made now,
      // so that the idea gets its thumbnail like every other.
      OnGenerationDone(false);
      break;
    case ERun::Failed:
      // Nothing will ever finish this idea: drop it as if stopped.
      EndUnmade();
      break;
  }
  m_App.m_iPrefXform = m_Spec.m_iXform;
}

void CVexmoFilterDoc::RunFilter() {
  // A run that could not start leaves the picture shown as it was: a move
  // is taken back, so that the position, the working recipe and the title
  // stay those of the picture.
  if (Run() == ERun::Failed) EndUnmade();
}

std::uint64_t CVexmoFilterDoc::CurrentRecipeDigest() const {
  return RecipeDigest(m_aSpecs[static_cast<std::size_t>(m_iCurrent)]);
}

CVexmoFilterDoc::ERun CVexmoFilterDoc::Run() {
  CDADC* pDrw = Drawing();
  if (!m_pOrgDC || !pDrw) {
    ReportError("ERROR, RFIT:\nmissing DCs, Org=%p Drw=%p", static_cast<void*>(m_pOrgDC.get()),
                static_cast<void*>(pDrw));
    return ERun::Failed;
  }
  if (IsXforming()) {
    ReportError("ERROR, RFIT:\nalready Xforming");
    return ERun::Failed;
  }
  if (m_iCurrent <= 0) {
    ReportError("ERROR, RFIT:\nci=%d", m_iCurrent);
    return ERun::Failed;
  }
  if (m_App.m_Cache.ReadCachedImage(*pDrw, m_csCacheKey.c_str(), m_iCurrent, m_iAALevel,
                                    CurrentRecipeDigest())) {
    m_iShownLevel = m_iAALevel;
    FillThumbnail();
    m_pView->Invalidate(true);
    return ERun::Cached;
  }
  auto pOut = std::make_unique<CDADC>(m_iAALevel * m_pOrgDC->m_iWidth,
                                      m_iAALevel * m_pOrgDC->m_iHeight);
  if (!pOut->IsValid()) {
    ReportError("RFIT:\nCould not Init data of Xform DC");
    return ERun::Failed;
  }
  // The worker frees the out surface when it ends.
  m_Spec.SetDCs(pDrw, pOut.release(), m_pOrgDC.get());
  m_Worker.BeginFilterThread(this, &m_Spec);
  return ERun::Started;
}

void CVexmoFilterDoc::OnGenerationDone(bool bStopped) {
  // An Xform that gave up says why (a stop says nothing).
  if (bStopped && m_Worker.LastResult() == EGeneration::Failed) {
    const std::string csWhy = m_Spec.ApplyRefusal();
    if (!csWhy.empty()) ReportError("%s", csWhy.c_str());
  }
  if (bStopped) {
    EndUnmade();
    return;
  }
  if (CDADC* pDrw = Drawing()) {
    m_iShownLevel = m_iAALevel;
    if (m_iGenMode == GEN_NEW) {
      m_Overview.AddToThumbnails(*pDrw, GetXformName().c_str());
      if (m_Spec.m_iXform >= 0 && m_Spec.m_iXform < kXformCount) ++m_aUsage[m_Spec.m_iXform];
    } else {
      FillThumbnail();
    }
    m_App.m_Cache.WriteCachedImage(*pDrw, m_csCacheKey.c_str(), m_iCurrent, m_iAALevel,
                                   CurrentRecipeDigest());
  }
  m_iGenMode = GEN_NONE;
}

void CVexmoFilterDoc::EndUnmade() {
  switch (m_iGenMode) {
    case GEN_NONE:
      ReportError("Generation Aborted, bad gen mode:NOGEN");
      break;
    case GEN_NEW:
      if (SequenceSize() > 1) m_aSpecs.pop_back();
      [[fallthrough]];
    case GEN_SEQUENCE:
      m_iCurrent = std::clamp(m_iPrevious, 0, SequenceSize() - 1);
      m_Spec = m_aSpecs[static_cast<std::size_t>(m_iCurrent)];
      break;
    case GEN_QUALITY:
      break;
    default:
      ReportError("Generation Aborted, bad gen mode:%d", m_iGenMode);
      break;
  }
  m_iGenMode = GEN_NONE;
}

bool CVexmoFilterDoc::ShowOriginal() {
  CDADC* pDrw = Drawing();
  if (!m_pOrgDC || !pDrw) {
    ReportError("Bad DC pointer in OOB\nDrw=%p, Org=%p", static_cast<void*>(pDrw),
                static_cast<void*>(m_pOrgDC.get()));
    return false;
  }
  if (IsXforming()) return false;
  pDrw->m_pDC->BitBlt(0, 0, m_pOrgDC->m_iWidth, m_pOrgDC->m_iHeight, *m_pOrgDC->m_pDC, 0, 0,
                      SRCCOPY);
  m_iCurrent = 0;
  m_iShownLevel = 0;
  m_pView->Invalidate(false);
  return true;
}

void CVexmoFilterDoc::SetSpecFromSequence() {
  if (m_iCurrent < 0 || m_iCurrent >= SequenceSize()) {
    ReportError("Cannot SPFUB, %d :: %d ", m_iCurrent, SequenceSize());
    return;
  }
  m_Spec = m_aSpecs[static_cast<std::size_t>(m_iCurrent)];
}

void CVexmoFilterDoc::ShowCurrent() {
  if (m_iCurrent > 0)
    RunFilter();
  else if (!ShowOriginal())
    EndUnmade();
}

void CVexmoFilterDoc::OnVariations() {
  if (m_iCurrent <= 0) {
    ReportError("Select an ObjectXform");
    return;
  }
  m_Spec.SetWizardAll(0);
  GenerateNew(false);
}

void CVexmoFilterDoc::OnWizardAll() {
  m_Spec.ChooseRandomXform(m_aUsage.data(), false);
  GenerateNew(false);
}

void CVexmoFilterDoc::OnVignette() {
  m_Spec.ChooseRandomXform(m_aUsage.data(), true);
  GenerateNew(false);
}

void CVexmoFilterDoc::OnChooseXform() {
  if (ChooseStep()) GenerateNew(false);
}

void CVexmoFilterDoc::OnXformSettings() {
  if (m_iCurrent == 0) m_Spec = m_aSpecs.back();
  if (m_Dialogs.XformSettings(m_Spec) == 1) GenerateNew(false);
}

// A settings dialog on a copy of one part of the working recipe: OK
// stores it, "Apply Now" on an idea also makes a new idea with the same seed.
template <typename T>
void CVexmoFilterDoc::EditSpecPart(T& part,
                                   IDocumentDialogs::EClose (IDocumentDialogs::*pfnDialog)(
                                       T&, const CDADC*)) {
  T copy = part;
  const IDocumentDialogs::EClose eClose = (m_Dialogs.*pfnDialog)(copy, m_pOrgDC.get());
  if (eClose == IDocumentDialogs::EClose::Cancel) return;
  part = copy;
  if (m_iCurrent > 0 && eClose == IDocumentDialogs::EClose::ApplyNow) GenerateNew(true);
}

void CVexmoFilterDoc::OnMix() { EditSpecPart(m_Spec.m_Mix, &IDocumentDialogs::Mix); }

void CVexmoFilterDoc::OnAdvancedSelection() {
  if (m_Spec.m_iXform == XFORM_MOSAIC) {
    ReportError(
        "The current Xform Object is MOSAIC.\nMOSAIC is not affected by advanced selection");
    return;
  }
  EditSpecPart(m_Spec.m_Select, &IDocumentDialogs::AdvancedSelection);
}

void CVexmoFilterDoc::OnImageQuality() {
  if (IsXforming()) {
    ReportError("%s", kStillCreatingImage);
    return;
  }
  int iLevel = m_iAALevel;
  const IDocumentDialogs::EClose eClose = m_Dialogs.ImageQuality(iLevel);
  if (eClose == IDocumentDialogs::EClose::Cancel) return;
  // Only 1, 2 and 4 make a surface the mix can reduce and a cache name.
  if (iLevel != 1 && iLevel != 2 && iLevel != 4) {
    ReportError("Bad AA level:%d", iLevel);
    iLevel = 1;
  }
  m_iAALevel = iLevel;
  if (eClose == IDocumentDialogs::EClose::ApplyNow && m_iCurrent > 0) {
    // Render the idea from its stored recipe: a mix or selection changed with
    // OK since would otherwise be cached under this idea's position.
    SetSpecFromSequence();
    m_iGenMode = GEN_QUALITY;
    RunFilter();
  }
}

void CVexmoFilterDoc::OnImageProperties() { m_Dialogs.ImageProperties(GetImageProperties()); }

void CVexmoFilterDoc::OnOverview() {
  // The strip opens on the idea shown: OK without a choice changes nothing.
  m_Overview.m_iCurrent = m_iCurrent;
  if (m_Dialogs.Overview(m_Overview) && m_Overview.m_iCurrent != m_iCurrent)
    GoTo(m_Overview.m_iCurrent);
}

void CVexmoFilterDoc::OnBack() {
  if (m_iCurrent == 0)
    ShowOriginal();
  else
    OnGoBack();
}

const CVexmoFilterDoc::CCommand* CVexmoFilterDoc::FindCommand(int iCommand) {
  using Doc = CVexmoFilterDoc;
  static const CCommand kCommands[] = {
      {ID_VARIATIONS, [](const Doc& d) { return d.m_iCurrent > 0 && !d.IsXforming(); },
       &Doc::OnVariations},
      {ID_WIZARD_ALL, [](const Doc& d) { return !d.IsXforming(); }, &Doc::OnWizardAll},
      {ID_VIGNETTE, [](const Doc& d) { return !d.IsXforming(); }, &Doc::OnVignette},
      {ID_CHOOSE_XFORM, [](const Doc& d) { return !d.IsXforming(); }, &Doc::OnChooseXform},
      {ID_XFORM_SETTINGS, [](const Doc& d) { return !d.IsXforming() && d.SequenceSize() > 1; },
       &Doc::OnXformSettings},
      {ID_MIX, [](const Doc& d) { return !d.IsXforming(); }, &Doc::OnMix},
      {ID_ADVANCED_SELECTION, [](const Doc& d) { return !d.IsXforming(); },
       &Doc::OnAdvancedSelection},
      {ID_IMAGE_QUALITY, [](const Doc& d) { return !d.IsXforming(); }, &Doc::OnImageQuality},
      {ID_IMAGE_PROPERTIES, [](const Doc&) { return true; }, &Doc::OnImageProperties},
      {ID_OVERVIEW, [](const Doc& d) { return !d.IsXforming(); }, &Doc::OnOverview},
      {ID_BACK, [](const Doc& d) { return d.CanGoBack(); }, &Doc::OnBack},
      {ID_BACK_KEY, [](const Doc& d) { return d.CanGoBack(); }, &Doc::OnBack},
      {ID_FORWARD, [](const Doc& d) { return d.CanGoForward(); }, &Doc::OnGoForward},
      {ID_FORWARD_KEY, [](const Doc& d) { return d.CanGoForward(); }, &Doc::OnGoForward},
      {ID_TO_FIRST, [](const Doc& d) { return d.CanGoToFirst(); }, &Doc::OnToFirst},
      {ID_TO_LAST, [](const Doc& d) { return d.CanGoToLast(); }, &Doc::OnToLast},
  };
  for (const CCommand& command : kCommands)
    if (command.m_iId == iCommand) return &command;
  return nullptr;
}

bool CVexmoFilterDoc::HandlesCommand(int iCommand) { return FindCommand(iCommand) != nullptr; }

bool CVexmoFilterDoc::IsCommandEnabled(int iCommand) const {
  const CCommand* pCommand = FindCommand(iCommand);
  return pCommand && pCommand->m_pfnEnabled(*this);
}

void CVexmoFilterDoc::OnCommand(int iCommand) {
  const CCommand* pCommand = FindCommand(iCommand);
  if (pCommand && pCommand->m_pfnEnabled(*this)) (this->*pCommand->m_pfnAction)();
}
