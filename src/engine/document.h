// The image idea sequence document: one opened picture, its working
// recipe and its sequence of ideas. Position 0 stands for the original
// picture, every generated idea takes the next position. Pictures are not
// kept in memory: the view's drawing surface holds the one shown, the
// overview keeps thumbnails, the cache keeps full pictures on disk, and any
// other picture is regenerated from its stored recipe (same seed,
// same picture).
//
// The shell creates one document per window and drives it through the
// commands below; the window is reached through IDocumentView, the dialogs
// through IDocumentDialogs, generations through the application's worker.
// Everything runs on the user-interface thread.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/document_base.h"
#include "engine/filspec.h"
#include "engine/filter_thread.h"
#include "engine/overview.h"

class CAppState;
class CGlobalBlock;

// The dialogs a document opens, supplied by the shell.
class IDocumentDialogs {
 public:
  // How a settings dialog was left.
  enum class EClose { Cancel, Ok, ApplyNow };
  virtual ~IDocumentDialogs() = default;
  // The open-file dialog "Select image file to open" with the filter of that
  // index selected; "" when cancelled.
  virtual std::string OpenImagePath(int iFilterIndex, const std::string& csDefaultExtension,
                                    const std::string& csInitialDir) = 0;
  // The Choose Xform dialog on the recipe; false when cancelled.
  virtual bool ChooseXform(CFilSpec& spec, const std::int32_t* aUsage) = 0;
  // The settings dialog of the recipe's Xform; 1 when accepted (it
  // may clear the wizard-all flag).
  virtual int XformSettings(CFilSpec& spec) = 0;
  virtual EClose Mix(MixSettings& mix, const CDADC* pOriginal) = 0;
  virtual EClose AdvancedSelection(AreaSelection& select, const CDADC* pOriginal) = 0;
  virtual EClose ImageQuality(int& iLevel) = 0;
  // The sequence overview, modal; true when left with OK.
  virtual bool Overview(COverview& overview) = 0;
  virtual void ImageProperties(const CImageProperties& props) = 0;
};

// Command ids handled by a document.
enum : int {
  ID_MIX = 32768,
  ID_WIZARD_ALL = 32769,
  ID_VARIATIONS = 32780,
  ID_XFORM_SETTINGS = 32781,
  ID_CHOOSE_XFORM = 32788,
  ID_VIGNETTE = 32843,
  ID_ADVANCED_SELECTION = 1019,
  ID_IMAGE_QUALITY = 32786,
  ID_IMAGE_PROPERTIES = 32804,
  ID_OVERVIEW = 32771,
  ID_BACK = 32773,
  ID_BACK_KEY = 32828,
  ID_FORWARD = 32774,
  ID_FORWARD_KEY = 32829,
  ID_TO_FIRST = 32803,
  ID_TO_LAST = 32801,
};

class CVexmoFilterDoc final : public CIdeaSequenceDoc, public IGenerationClient {
 public:
  // The document counts itself among the application's open documents for
  // its whole life.
  CVexmoFilterDoc(IDocumentView* pView, CAppState& app, CGenerationWorker& worker,
                  IDocumentDialogs& dialogs);
  // Deletes the document's cache files and stops counting it. Must not run
  // while a generation of this document runs (closing is refused then).
  ~CVexmoFilterDoc() override;

  // Installs the picture (a packed DIB, freed here) under a name and starts
  // the first idea. 1/0.
  int SetDocBitmap(CGlobalBlock hDib, const std::string& csName);
  // The same for a picture already on a surface (a file read straight into
  // one): the document keeps it as its original, the view gets a copy.
  int SetDocPicture(std::unique_ptr<CDADC> pPicture, const std::string& csName);
  // Chooses (without a path), loads and names a picture. 1/0.
  int OpenImage(const char* szPath);
  // A sequence made before: the original (kept here, the view gets a copy),
  // the document's name, every idea's recipe in order (positions 1..n),
  // the quality they were made at and the position to show. Nothing is
  // generated ahead: each idea is made when the user goes to it (the cache
  // first), and its thumbnail joins the overview then. 1/0 (a refusal is
  // reported and leaves the document without a picture).
  int SetDocSequence(std::unique_ptr<CDADC> pPicture, const std::string& csName,
                     const std::vector<CFilSpec>& aIdeas, int iQuality, int iCurrent);
  // Appends an idea from a recipe as it stands (its own seed and
  // parameters, nothing chosen again) at the recipe's quality, which
  // becomes the document's, and shows it. False when refused (reported).
  bool AddRecipeIdea(const CFilSpec& recipe, int iQuality);
  // Appends an idea made elsewhere (a cell of a Variations or Wizard grid):
  // its recipe and its picture at the original's size, made at iQuality,
  // which becomes the document's. It is shown without being drawn again and
  // gets its thumbnail, cache file and usage count as a new idea does.
  // The position it took, or 0 when refused (reported): while a generation
  // runs, or for a picture that is not the original's size.
  int AddMadeIdea(const CFilSpec& recipe, const CDADC& picture, int iQuality);
  // The recipe of the idea shown with the quality of its picture; false at
  // the original (it has no recipe).
  bool ShownRecipe(CFilSpec& recipe, int& iQuality) const;
  // A name for a document of this base name that no open document has:
  // the base, else "%s-%d" with the lowest free number from the count of
  // documents named like the base.
  static std::string UniqueName(const std::string& csBase);
  // Appends a new idea made from the working recipe and shows it.
  void GenerateNew(bool bKeepSeed);
  // Shows the picture at the current position from the cache or starts the
  // worker on it; when neither can be done the generation ends unmade.
  void RunFilter();
  // Shows the original picture; false when it cannot (no surface, or a
  // generation runs).
  bool ShowOriginal();

  // Whether a command is offered now, and carrying it out (a command that is
  // not offered does nothing).
  bool IsCommandEnabled(int iCommand) const;
  void OnCommand(int iCommand);
  // Whether the document handles that command at all.
  static bool HandlesCommand(int iCommand);

  std::string GetXformName() const override;
  std::string ShownXformName() const override;
  void SetSpecFromSequence() override;
  void ShowCurrent() override;
  void OnGenerationDone(bool bStopped) override;
  int SequenceSize() const override { return static_cast<int>(m_aSpecs.size()); }
  bool IsXforming() const override;

  const CDADC* Original() const { return m_pOrgDC.get(); }
  CDADC* Original() { return m_pOrgDC.get(); }
  // The key of this document's cache files.
  const std::string& CacheKey() const { return m_csCacheKey; }

  CFilSpec m_Spec;
  std::vector<CFilSpec> m_aSpecs;
  // The file the original was read from ("" for a pasted picture) and the
  // sequence file the document was last read from or saved to.
  std::string m_csPicturePath;
  std::string m_csSequencePath;
  COverview m_Overview;
  std::array<std::int32_t, kXformCount> m_aUsage;

 private:
  struct CCommand;
  static const CCommand* FindCommand(int iCommand);
  // The choose step: the Choose Xform dialog, then the Xform's settings when
  // the wizard does not choose everything. True when accepted.
  bool ChooseStep();
  // Started, shown from the cache, or neither.
  enum class ERun { Started, Cached, Failed };
  ERun Run();
  // The digest of the current idea's recipe, part of its cache file's identity.
  std::uint64_t CurrentRecipeDigest() const;
  // Appends the working recipe as a new idea and makes it (or shows it).
  void AppendAndRun();
  // Ends a generation that made no picture, by its mode: a new idea is
  // dropped, a move goes back to m_iPrevious with its recipe, a new quality
  // stays. The mode is GEN_NONE after.
  void EndUnmade();
  CDADC* Drawing() const;
  template <typename T>
  void EditSpecPart(T& part,
                    IDocumentDialogs::EClose (IDocumentDialogs::*pfnDialog)(T&, const CDADC*));

  void OnVariations();
  void OnWizardAll();
  void OnVignette();
  void OnChooseXform();
  void OnXformSettings();
  void OnMix();
  void OnAdvancedSelection();
  void OnImageQuality();
  void OnImageProperties();
  void OnOverview();
  void OnBack();

  CAppState& m_App;
  CGenerationWorker& m_Worker;
  IDocumentDialogs& m_Dialogs;
  // Installs the original, its name and cache key and its thumbnail. 1/0.
  int InstallPicture(std::unique_ptr<CDADC> pPicture, const std::string& csName);
  // The idea shown has a picture now: a thumbnail of an idea that had none
  // (a sequence read from a file) is made from it.
  void FillThumbnail();

  std::unique_ptr<CDADC> m_pOrgDC;
  std::string m_csCacheKey;
  // The quality of the picture on the view's surface (0: the original).
  int m_iShownLevel = 0;
};
