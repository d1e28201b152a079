#include "engine/document.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "engine/app_state.h"
#include "engine/idea_batch.h"
#include "imaging/constants.h"
#include "imaging/image_files.h"
#include "imaging/random.h"
#include "xforms/progress.h"
#include "support/recording_reporter.h"
#include "support/temp_dir.h"
#include "xforms/test_pictures.h"

namespace {

namespace fs = std::filesystem;

// Runs each generation at once on the calling thread; a planned stop is
// pressed just before the Xform starts.
class CInlineWorker final : public CGenerationWorker {
 public:
  bool m_bStopNext = false;

 protected:
  std::unique_ptr<std::thread> StartThread(std::function<void()> fn) override {
    if (m_bStopNext) Stop();
    m_bStopNext = false;
    fn();
    return std::make_unique<std::thread>([] {});
  }
};

// STOP pressed on this worker when the final mix starts its Hsv analysis.
CGenerationWorker* s_pStopInHsv = nullptr;
void StopInHsvAnalysis(int, const char* sz) {
  if (s_pStopInHsv && sz && std::string(sz) == "Hsv mix analysis...") s_pStopInHsv->Stop();
}

class CFakeView final : public IDocumentView {
 public:
  CDADC* DrawingSurface() override { return m_pSurface.get(); }
  int CreateViewBitmap(const CDADC& picture) override {
    m_pSurface = CDADC::Copy(picture);
    return m_pSurface ? 1 : 0;
  }
  void Invalidate(bool) override { ++m_iInvalidated; }
  void SetTitle(const std::string& csTitle) override { m_csTitle = csTitle; }
  bool SaveImage() override { return true; }
  std::unique_ptr<CDADC> m_pSurface;
  std::string m_csTitle;
  int m_iInvalidated = 0;
};

// Chooses Mosaic with the wizard choosing its parameters; the other dialogs
// answer as the test sets them.
class CFakeDialogs final : public IDocumentDialogs {
 public:
  std::string OpenImagePath(int, const std::string&, const std::string&) override { return {}; }
  bool ChooseXform(CFilSpec& spec, const std::int32_t*) override {
    spec.m_iXform = m_iChosen;
    return true;
  }
  int XformSettings(CFilSpec&) override { return m_iSettings; }
  EClose Mix(MixSettings& mix, const CDADC*) override {
    mix = m_Mix;
    return m_eClose;
  }
  EClose AdvancedSelection(AreaSelection&, const CDADC*) override { return m_eClose; }
  EClose ImageQuality(int& iLevel) override {
    iLevel = m_iLevel;
    return m_eClose;
  }
  bool Overview(COverview& overview) override {
    m_iOpenedAt = overview.m_iCurrent;
    overview.m_iCurrent = m_iPick;
    return true;
  }
  void ImageProperties(const CImageProperties&) override {}
  MixSettings m_Mix;
  EClose m_eClose = EClose::ApplyNow;
  int m_iLevel = 2;
  int m_iPick = 0;
  int m_iOpenedAt = -1;  // the overview's selection when it opened
  int m_iChosen = XFORM_MOSAIC;
  int m_iSettings = 1;  // OK
};

class DocumentTest : public testing::Test {
 protected:
  DocumentTest() {
    fs::create_directories(m_dir / "main");
    CUserPaths paths;
    paths.m_csHome = m_dir.string();
    m_pApp = std::make_unique<CAppState>(paths);
    m_pApp->m_csMainDir = (m_dir / "main").string();
    m_pApp->SetupDirectories();
    m_csPhoto = (m_dir / "photo.bmp").string();
    MakeTestPicture(36, 24)->WriteBmpFile(m_csPhoto.c_str());
  }

  std::unique_ptr<CVexmoFilterDoc> Open(CFakeView& view) {
    auto pDoc = std::make_unique<CVexmoFilterDoc>(&view, *m_pApp, m_worker, m_dialogs);
    EXPECT_EQ(pDoc->OpenImage(m_csPhoto.c_str()), 1);
    Finish();
    return pDoc;
  }
  // The interface thread's idle check after a generation; then the cache
  // files are on disk.
  void Finish() {
    if (m_worker.IsXforming()) {
      EXPECT_EQ(m_worker.IdleCheck(), CGenerationWorker::EPoll::Ended);
    }
    m_pApp->m_Cache.FinishWrites();
  }
  void Command(CVexmoFilterDoc& doc, int iCommand) {
    ASSERT_TRUE(doc.IsCommandEnabled(iCommand)) << iCommand;
    doc.OnCommand(iCommand);
    Finish();
  }
  int CacheFiles() const {
    return static_cast<int>(std::distance(fs::directory_iterator(m_pApp->TempDir()), {}));
  }

  CTempDir m_temp;
  fs::path m_dir = m_temp.Dir();
  std::unique_ptr<CAppState> m_pApp;
  std::string m_csPhoto;
  CInlineWorker m_worker;
  CFakeDialogs m_dialogs;
};

TEST_F(DocumentTest, TheRoadOfVariationsOnATheme) {
  CFakeView view;
  auto pDoc = Open(view);
  CVexmoFilterDoc& doc = *pDoc;
  EXPECT_EQ(m_pApp->m_iDocCount, 1);
  EXPECT_EQ(doc.m_szName, "photo");
  EXPECT_EQ(doc.SequenceSize(), 2);
  EXPECT_EQ(doc.m_iCurrent, 1);
  EXPECT_EQ(doc.Title(100), "photo, (Mosaic), #1 of 1");
  EXPECT_EQ(doc.m_Overview.Count(), 2);
  EXPECT_EQ(m_pApp->m_iPrefXform, XFORM_MOSAIC);
  EXPECT_FALSE(doc.IsCommandEnabled(ID_FORWARD));

  // The wizard's pick of Xform and mix comes from the interface thread's
  // generator, seeded from the clock. It is fixed here: some Xforms fail
  // cleanly on a picture this small (Op Art without a row), and the pick
  // must make a picture that differs with its seed.
  SeedRandom(1);
  Command(doc, ID_WIZARD_ALL);
  Command(doc, ID_VARIATIONS);
  ASSERT_EQ(doc.SequenceSize(), 4);
  EXPECT_EQ(doc.m_aSpecs[3].m_iXform, doc.m_aSpecs[2].m_iXform);
  EXPECT_EQ(doc.m_aSpecs[3].m_bWizardAll, 0);
  EXPECT_EQ(doc.m_Overview.Count(), 4);
  EXPECT_EQ(CacheFiles(), 3);
  const std::string csThird = SurfaceDigest(*view.m_pSurface);

  // Back shows the cached picture without a generation.
  Command(doc, ID_BACK);
  EXPECT_EQ(doc.m_iCurrent, 2);
  EXPECT_FALSE(m_worker.IsXforming());
  const std::string csSecond = SurfaceDigest(*view.m_pSurface);
  EXPECT_NE(csSecond, csThird);
  // Without its cache file the picture is made again, the same.
  const std::string csFile = m_pApp->m_Cache.MakeCacheName(doc.CacheKey().c_str(), 3, 1);
  ASSERT_TRUE(fs::remove(csFile));
  Command(doc, ID_FORWARD);
  EXPECT_EQ(SurfaceDigest(*view.m_pSurface), csThird);
  EXPECT_TRUE(fs::exists(csFile));

  Command(doc, ID_TO_FIRST);
  EXPECT_EQ(doc.m_iCurrent, 0);
  EXPECT_EQ(doc.m_Spec.m_iXform, XFORM_NULL);
  EXPECT_TRUE(SameSurfaces(*view.m_pSurface, *doc.Original()));
  EXPECT_EQ(doc.Title(50), "photo, (Original)[50%]");
  EXPECT_FALSE(doc.IsCommandEnabled(ID_VARIATIONS));
  Command(doc, ID_TO_LAST);
  EXPECT_EQ(doc.m_iCurrent, 3);

  // A new quality renders the same idea again and caches it under its level,
  // from its own recipe even when a mix was changed since without a new idea.
  m_dialogs.m_Mix.m_iMixMode = MIX_OFF + 2;
  m_dialogs.m_eClose = IDocumentDialogs::EClose::Ok;
  Command(doc, ID_MIX);
  m_dialogs.m_eClose = IDocumentDialogs::EClose::ApplyNow;
  Command(doc, ID_IMAGE_QUALITY);
  EXPECT_EQ(doc.m_Spec.m_Mix.m_iMixMode, doc.m_aSpecs[3].m_Mix.m_iMixMode);
  EXPECT_EQ(doc.m_iAALevel, 2);
  EXPECT_EQ(doc.SequenceSize(), 4);
  EXPECT_TRUE(fs::exists(m_pApp->m_Cache.MakeCacheName(doc.CacheKey().c_str(), 3, 2)));
  m_dialogs.m_iLevel = 3;
  m_dialogs.m_eClose = IDocumentDialogs::EClose::Ok;
  Command(doc, ID_IMAGE_QUALITY);
  EXPECT_EQ(doc.m_iAALevel, 1);
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{"Bad AA level:3"});

  // A new mix makes a new idea with the same seed and parameters.
  m_dialogs.m_eClose = IDocumentDialogs::EClose::ApplyNow;
  m_dialogs.m_Mix.m_iMixMode = MIX_OFF + 1;
  Command(doc, ID_MIX);
  ASSERT_EQ(doc.SequenceSize(), 5);
  EXPECT_EQ(doc.m_aSpecs[4].m_iSeed, doc.m_aSpecs[3].m_iSeed);
  EXPECT_EQ(doc.m_aSpecs[4].m_Mix.m_iMixMode, MIX_OFF + 1);

  // STOP during a generation drops the new idea and goes back.
  const std::string csBefore = SurfaceDigest(*view.m_pSurface);
  m_worker.m_bStopNext = true;
  Command(doc, ID_WIZARD_ALL);
  EXPECT_EQ(doc.SequenceSize(), 5);
  EXPECT_EQ(doc.m_iCurrent, 4);
  EXPECT_EQ(doc.m_Overview.Count(), 5);
  EXPECT_EQ(SurfaceDigest(*view.m_pSurface), csBefore);
  EXPECT_FALSE(m_worker.StopRequested());

  // So does a stop in the Hsv analysis of the final mix: the unchanged
  // drawing surface is neither kept as an idea nor cached.
  const int iCached = CacheFiles();
  s_pStopInHsv = &m_worker;
  SetProgressHook(&StopInHsvAnalysis);
  m_dialogs.m_Mix.m_iMixMode = MIX_HSV;
  Command(doc, ID_MIX);
  SetProgressHook(nullptr);
  s_pStopInHsv = nullptr;
  EXPECT_EQ(doc.SequenceSize(), 5);
  EXPECT_EQ(doc.m_iCurrent, 4);
  EXPECT_EQ(doc.m_Overview.Count(), 5);
  EXPECT_EQ(CacheFiles(), iCached);
  EXPECT_EQ(SurfaceDigest(*view.m_pSurface), csBefore);

  // The overview's choice moves the document.
  m_dialogs.m_iPick = 1;
  Command(doc, ID_OVERVIEW);
  EXPECT_EQ(doc.m_iCurrent, 1);
  EXPECT_TRUE(TakeMessages().empty());
  // It opens on the idea shown (OK at once changes nothing), not the one
  // it was left at.
  Command(doc, ID_FORWARD);
  ASSERT_EQ(doc.m_iCurrent, 2);
  m_dialogs.m_iPick = 2;
  Command(doc, ID_OVERVIEW);
  EXPECT_EQ(m_dialogs.m_iOpenedAt, 2);

  // Closing deletes exactly this document's cache files.
  pDoc.reset();
  EXPECT_EQ(CacheFiles(), 0);
  EXPECT_EQ(m_pApp->m_iDocCount, 0);
}

TEST_F(DocumentTest, DocumentsOfOnePictureKeepApartNamesAndCaches) {
  CFakeView firstView, secondView;
  auto pFirst = Open(firstView);
  auto pSecond = Open(secondView);
  EXPECT_EQ(pFirst->m_szName, "photo");
  EXPECT_EQ(pSecond->m_szName, "photo-1");
  {
    CFakeView thirdView;
    auto pThird = Open(thirdView);
    EXPECT_EQ(pThird->m_szName, "photo-2");  // titles stay apart
    EXPECT_NE(pThird->CacheKey(), pSecond->CacheKey());
    EXPECT_EQ(CacheFiles(), 3);
    EXPECT_EQ(m_pApp->m_iDocCount, 3);
  }
  EXPECT_EQ(CacheFiles(), 2);
  Command(*pSecond, ID_BACK);
  Command(*pSecond, ID_FORWARD);  // from its own cache file
  EXPECT_FALSE(SameSurfaces(*secondView.m_pSurface, *firstView.m_pSurface));
  EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(DocumentTest, RefusalsAndTheirMessages) {
  CFakeView view;
  CVexmoFilterDoc doc(&view, *m_pApp, m_worker, m_dialogs);
  doc.GenerateNew(false);
  EXPECT_EQ(doc.OpenImage((m_dir / "missing.bmp").c_str()), 0);
  EXPECT_EQ(doc.SetDocBitmap(CGlobalBlock(), "x"), 0);
  TakeMessages();
  ASSERT_EQ(doc.OpenImage(m_csPhoto.c_str()), 1);
  Finish();
  CGlobalBlock hDib = OpenImageFile(m_csPhoto.c_str(), kImageFromName);
  EXPECT_EQ(doc.SetDocBitmap(std::move(hDib), "again"), 0);
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{"SDB:m_pOrgDC already allocated"});
  doc.m_Spec.m_iXform = XFORM_MOSAIC;
  Command(doc, ID_ADVANCED_SELECTION);
  EXPECT_EQ(TakeMessages(),
            std::vector<std::string>{
                "The current Xform Object is MOSAIC.\nMOSAIC is not affected by advanced selection"});
  // Xform Settings from the original starts from the last idea.
  Command(doc, ID_BACK);
  EXPECT_EQ(doc.m_iCurrent, 0);
  Command(doc, ID_XFORM_SETTINGS);
  EXPECT_EQ(doc.SequenceSize(), 3);
  EXPECT_EQ(doc.m_aSpecs[2].m_iXform, XFORM_MOSAIC);
  // Another Xform chosen, its settings cancelled: the working Xform stays.
  m_dialogs.m_iChosen = XFORM_CLOUDS;
  m_dialogs.m_iSettings = 0;
  doc.m_Spec.m_bWizardAll = 0;  // (else no settings follow the choice)
  Command(doc, ID_CHOOSE_XFORM);
  EXPECT_EQ(doc.SequenceSize(), 3);
  EXPECT_EQ(doc.m_Spec.m_iXform, XFORM_MOSAIC);
  Command(doc, ID_VARIATIONS);
  ASSERT_EQ(doc.SequenceSize(), 4);
  EXPECT_EQ(doc.m_aSpecs[3].m_iXform, XFORM_MOSAIC);
}

// A sequence given back to a new document (as from a sequence file): the
// ideas are made when shown, the same pictures as their first document's,
// and each gets its thumbnail then; a recipe added as a new idea replays
// its own seed at its own quality.
TEST_F(DocumentTest, ASequenceAndARecipeGiveBackTheSamePictures) {
  CFakeView firstView;
  auto pFirst = Open(firstView);
  Command(*pFirst, ID_VARIATIONS);
  Command(*pFirst, ID_BACK);
  const std::string csFirst = SurfaceDigest(*firstView.m_pSurface);
  Command(*pFirst, ID_FORWARD);
  const std::string csSecond = SurfaceDigest(*firstView.m_pSurface);
  ASSERT_NE(csFirst, csSecond);
  CFilSpec recipe;
  int iQuality = 0;
  ASSERT_TRUE(pFirst->ShownRecipe(recipe, iQuality));
  EXPECT_EQ(recipe.m_iSeed, pFirst->m_aSpecs[2].m_iSeed);
  EXPECT_EQ(iQuality, 1);

  CFakeView view;
  CVexmoFilterDoc doc(&view, *m_pApp, m_worker, m_dialogs);
  const std::vector<CFilSpec> aIdeas(pFirst->m_aSpecs.begin() + 1, pFirst->m_aSpecs.end());
  ASSERT_EQ(doc.SetDocSequence(CDADC::Copy(*pFirst->Original()), "ideas", aIdeas, 1, 2), 1);
  Finish();
  EXPECT_EQ(doc.SequenceSize(), 3);
  EXPECT_EQ(doc.m_iCurrent, 2);
  EXPECT_EQ(SurfaceDigest(*view.m_pSurface), csSecond);
  ASSERT_EQ(doc.m_Overview.Count(), 3);
  EXPECT_EQ(doc.m_Overview.Name(1), "Mosaic");
  EXPECT_EQ(doc.m_Overview.Thumbnail(1), nullptr);
  EXPECT_NE(doc.m_Overview.Thumbnail(2), nullptr);
  Command(doc, ID_BACK);
  EXPECT_EQ(SurfaceDigest(*view.m_pSurface), csFirst);
  EXPECT_NE(doc.m_Overview.Thumbnail(1), nullptr);
  Command(doc, ID_FORWARD);  // from the cache, still the same
  EXPECT_EQ(SurfaceDigest(*view.m_pSurface), csSecond);

  // The first document's idea 2 at quality 2, and the same recipe applied
  // at quality 2 to the second document.
  m_dialogs.m_iLevel = 2;
  Command(*pFirst, ID_IMAGE_QUALITY);
  ASSERT_TRUE(pFirst->ShownRecipe(recipe, iQuality));
  EXPECT_EQ(iQuality, 2);
  ASSERT_TRUE(doc.AddRecipeIdea(recipe, iQuality));
  Finish();
  EXPECT_EQ(doc.SequenceSize(), 4);
  EXPECT_EQ(doc.m_iAALevel, 2);
  EXPECT_EQ(doc.m_aSpecs[3].m_iSeed, recipe.m_iSeed);
  EXPECT_TRUE(SameSurfaces(*view.m_pSurface, *firstView.m_pSurface));
  EXPECT_EQ(doc.m_Overview.Count(), 4);
  EXPECT_TRUE(TakeMessages().empty());

  // Refusals leave the document as it was, with one message each.
  CFilSpec unusable = recipe;
  unusable.m_iXform = XFORM_NULL;
  EXPECT_FALSE(doc.AddRecipeIdea(unusable, 1));
  EXPECT_FALSE(doc.AddRecipeIdea(recipe, 3));
  EXPECT_EQ(doc.SequenceSize(), 4);
  EXPECT_EQ(TakeMessages().size(), 2u);
  Command(doc, ID_TO_FIRST);
  EXPECT_FALSE(doc.ShownRecipe(recipe, iQuality));
}

TEST_F(DocumentTest, ASequenceThatCannotBeShownIsRefused) {
  CFakeView view;
  CVexmoFilterDoc doc(&view, *m_pApp, m_worker, m_dialogs);
  auto picture = [] { return MakeTestPicture(36, 24); };
  CFilSpec idea;
  idea.m_iXform = XFORM_MOSAIC;
  EXPECT_EQ(doc.SetDocSequence(picture(), "s", {idea}, 3, 1), 0);
  EXPECT_EQ(doc.SetDocSequence(picture(), "s", {idea}, 1, 2), 0);
  EXPECT_EQ(doc.SetDocSequence(picture(), "s", {CFilSpec{}}, 1, 1), 0);
  EXPECT_EQ(TakeMessages().size(), 3u);
  EXPECT_TRUE(doc.m_szName.empty());
  EXPECT_EQ(doc.SequenceSize(), 1);
  // An empty sequence shows its original.
  ASSERT_EQ(doc.SetDocSequence(picture(), "s", {}, 1, 0), 1);
  EXPECT_EQ(doc.m_iCurrent, 0);
  EXPECT_TRUE(SameSurfaces(*view.m_pSurface, *doc.Original()));
  EXPECT_TRUE(TakeMessages().empty());
}

// A move whose picture cannot be made (here: the worker is busy with
// another document; a surface that cannot be allocated fails the same way)
// stays where it was: position, working recipe and title keep matching the
// picture shown.
TEST_F(DocumentTest, AMoveThatCannotBeMadeIsTakenBack) {
  CFakeView view, otherView;
  auto pDoc = Open(view);
  auto pOther = Open(otherView);
  CVexmoFilterDoc& doc = *pDoc;
  Command(doc, ID_VARIATIONS);
  ASSERT_EQ(doc.m_iCurrent, 2);
  const std::string csShown = SurfaceDigest(*view.m_pSurface);
  const int iSeed = doc.m_aSpecs[2].m_iSeed;
  pOther->OnCommand(ID_VARIATIONS);  // collected only at Finish()
  ASSERT_TRUE(m_worker.IsXforming());
  for (int iTo : {1, 0}) {
    doc.GoTo(iTo);
    EXPECT_EQ(doc.m_iCurrent, 2) << iTo;
    EXPECT_EQ(doc.m_Spec.m_iSeed, iSeed) << iTo;
    EXPECT_EQ(doc.m_iGenMode, CIdeaSequenceDoc::GEN_NONE) << iTo;
  }
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{"ERROR, RFIT:\nalready Xforming"});
  EXPECT_EQ(doc.Title(100), "photo, (Mosaic), #2 of 2");
  EXPECT_EQ(SurfaceDigest(*view.m_pSurface), csShown);
  CFilSpec recipe;
  int iQuality = 0;
  ASSERT_TRUE(doc.ShownRecipe(recipe, iQuality));
  EXPECT_EQ(recipe.m_iSeed, iSeed);
  // Once the worker is free the same move is made (from the cache).
  Finish();
  doc.GoTo(1);
  EXPECT_EQ(doc.m_iCurrent, 1);
  EXPECT_EQ(doc.m_Spec.m_iSeed, doc.m_aSpecs[1].m_iSeed);
  EXPECT_NE(SurfaceDigest(*view.m_pSurface), csShown);
  EXPECT_TRUE(TakeMessages().empty());
}

// The program's cache files, noting the thread that writes them.
class CThreadNotingFiles final : public CCacheFiles {
 public:
  int Read(CDADC& surface, const char* szPath, const std::string& csIdentity) override {
    return ReadStampedCacheFile(surface, szPath, csIdentity);
  }
  int Write(const CDADC& surface, const char* szPath, const std::string& csIdentity) override {
    m_aWriters.push_back(std::this_thread::get_id());
    return WriteStampedCacheFile(surface, szPath, csIdentity);
  }
  std::vector<std::thread::id> m_aWriters;  // read after FinishWrites
};

TEST_F(DocumentTest, GenerationsRunOnTheWorkerThread) {
  CThreadNotingFiles files;
  m_pApp->m_Cache.SetFiles(&files);
  CGenerationWorker worker;
  CFakeView view;
  CVexmoFilterDoc doc(&view, *m_pApp, worker, m_dialogs);
  ASSERT_EQ(doc.OpenImage(m_csPhoto.c_str()), 1);
  EXPECT_FALSE(doc.IsCommandEnabled(ID_WIZARD_ALL));
  EXPECT_FALSE(doc.CanCloseFrame());
  while (worker.IdleCheck() == CGenerationWorker::EPoll::Running)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(doc.SequenceSize(), 2);
  EXPECT_EQ(doc.m_Overview.Count(), 2);
  EXPECT_TRUE(doc.CanCloseFrame());
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{kStillCreatingImage});
  // Nor is its cache file written on the interface thread.
  m_pApp->m_Cache.FinishWrites();
  ASSERT_EQ(files.m_aWriters.size(), 1u);
  EXPECT_NE(files.m_aWriters[0], std::this_thread::get_id());
  EXPECT_EQ(CacheFiles(), 1);
}

}  // namespace

TEST_F(DocumentTest, AGridsIdeaJoinsAsMadeAndItsRecipeMakesItAgain) {
  CFakeView view;
  auto pDoc = Open(view);
  CVexmoFilterDoc& doc = *pDoc;
  // A cell of a Variations grid: F8's choice, made beside the document.
  CFilSpec spec = doc.m_Spec;
  ASSERT_TRUE(ChooseVariation(spec, *doc.Original()));
  CIdeaBatch batch(*doc.Original(), 2);
  batch.Add(spec);
  batch.Start(1);
  batch.Wait();
  ASSERT_NE(batch.Picture(0), nullptr);

  EXPECT_EQ(doc.AddMadeIdea(batch.Spec(0), *batch.Picture(0), 2), 2);
  EXPECT_FALSE(m_worker.IsXforming()) << "not drawn again";
  EXPECT_EQ(doc.SequenceSize(), 3);
  EXPECT_EQ(doc.m_iAALevel, 2);
  EXPECT_EQ(doc.Title(100), "photo, (Mosaic), #2 of 2");
  EXPECT_EQ(doc.m_Overview.Count(), 3);
  EXPECT_EQ(doc.m_aUsage[XFORM_MOSAIC], 2);
  EXPECT_TRUE(SameSurfaces(*view.m_pSurface, *batch.Picture(0)));
  m_pApp->m_Cache.FinishWrites();
  const std::string csFile = m_pApp->m_Cache.MakeCacheName(doc.CacheKey().c_str(), 2, 2);
  EXPECT_TRUE(fs::exists(csFile));

  // Made again from its recipe (no cache file), the picture is the same.
  ASSERT_TRUE(fs::remove(csFile));
  Command(doc, ID_BACK);
  Command(doc, ID_FORWARD);
  EXPECT_TRUE(SameSurfaces(*view.m_pSurface, *batch.Picture(0)));

  // A picture of another size is refused, and nothing changes.
  CDADC other(5, 5);
  EXPECT_EQ(doc.AddMadeIdea(spec, other, 1), 0);
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{"The idea is 5 x 5, the picture 36 x 24"});
  EXPECT_EQ(doc.SequenceSize(), 3);
}
