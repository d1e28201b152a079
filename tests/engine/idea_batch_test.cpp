#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <thread>

#include "engine/contact_sheet.h"
#include "engine/idea_batch.h"
#include "imaging/constants.h"
#include "imaging/random.h"
#include "imaging/row_blocks.h"
#include "support/recording_reporter.h"
#include "support/surface_digest.h"
#include "xforms/test_pictures.h"

namespace {

// The idea made alone, the way the desktop's worker makes it.
std::string MadeAlone(CFilSpec spec, CDADC& in, int q) {
  CDADC drw(in.m_iWidth, in.m_iHeight);
  spec.SetDCs(&drw, new CDADC(in.m_iWidth * q, in.m_iHeight * q), &in);
  EXPECT_EQ(FilterThreadProc(spec), EGeneration::Made);
  return SurfaceDigest(drw);
}

// Every status text the ideas set, and whether one reached the program's.
std::atomic<int> s_iTexts{0};
std::atomic<int> s_iProgramTextChanged{0};
// The most row blocks a loop of the ideas could use while they ran.
std::atomic<int> s_iRowBlocks{0};
void WatchProgramText(int, const char* szText) {
  const int iBlocks = RowBlockCount(1 << 20, 1);
  for (int i = s_iRowBlocks; i < iBlocks && !s_iRowBlocks.compare_exchange_weak(i, iBlocks);) {
  }
  if (!szText) return;
  ++s_iTexts;
  if (GetStatusText() != "Ready") ++s_iProgramTextChanged;
}

std::vector<CFilSpec> SomeIdeas(CDADC& in) {
  std::vector<CFilSpec> aSpecs;
  SeedRandom(7);
  for (int iXform : {XFORM_MOSAIC, XFORM_KLEE, XFORM_NET, XFORM_MOSAIC, XFORM_OP_ART}) {
    CFilSpec spec;
    spec.m_iXform = iXform;
    EXPECT_TRUE(ChooseVariation(spec, in));
    aSpecs.push_back(spec);
  }
  return aSpecs;
}

}  // namespace

TEST(IdeaBatch, IdeasMadeAtOnceEqualTheSameIdeasMadeOneByOne) {
  TakeMessages();
  auto pIn = MakeTestPicture(96, 64);
  const std::vector<CFilSpec> aSpecs = SomeIdeas(*pIn);
  std::set<std::int32_t> aSeeds;
  for (const CFilSpec& spec : aSpecs) aSeeds.insert(spec.m_iSeed);
  EXPECT_EQ(aSeeds.size(), aSpecs.size()) << "every variation has a seed of its own";

  // The program's own status text stays what the interface last set.
  SetStatusText("Ready");
  CIdeaBatch batch(*pIn, 2);
  for (const CFilSpec& spec : aSpecs) batch.Add(spec);
  std::atomic<int> iEnded{0};
  s_iTexts = 0;
  s_iProgramTextChanged = 0;
  s_iRowBlocks = 0;
  SetProgressHook(&WatchProgramText);
  ASSERT_TRUE(batch.Start(3, [&](int) { ++iEnded; }));
  batch.Wait();
  SetProgressHook(nullptr);
  EXPECT_EQ(iEnded, 5);
  EXPECT_GE(s_iTexts, 5 * 2) << "every idea says at least its Xform's word and \"Mixing...\"";
  EXPECT_EQ(s_iProgramTextChanged, 0);
  EXPECT_EQ(GetStatusText(), "Ready");
  // Three at once share the cores: each idea's rows go to a third of them,
  // and every core again once the batch has ended.
  const int iCores = static_cast<int>(std::thread::hardware_concurrency());
  EXPECT_EQ(s_iRowBlocks, std::clamp(iCores / 3, 1, kMaxRowBlocks));
  EXPECT_EQ(RowBlockCount(1 << 20, 1), std::clamp(iCores, 1, kMaxRowBlocks));
  for (int i = 0; i < batch.Count(); ++i) {
    ASSERT_EQ(batch.State(i), EIdeaState::Made) << i;
    ASSERT_NE(batch.Picture(i), nullptr);
    EXPECT_EQ(SurfaceDigest(*batch.Picture(i)), MadeAlone(aSpecs[static_cast<std::size_t>(i)], *pIn, 2))
        << i;
    EXPECT_EQ(batch.Spec(i).m_iSeed, aSpecs[static_cast<std::size_t>(i)].m_iSeed);
  }
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(IdeaBatch, AThreadsStatusTextGoesWhereItsScopeSays) {
  SetStatusText("Ready");
  CStatusText own;
  std::thread([&] {
    const CStatusTextScope scope(own);
    SetStatusText("Wind...");
    {
      CStatusText inner;
      const CStatusTextScope nested(inner);
      SetStatusText("Mixing...");
      EXPECT_EQ(inner.Get(), "Mixing...");
    }
    SetStatusText("Clouds, a text longer than forty characters");
  }).join();
  EXPECT_EQ(own.Get(), "Clouds, a text longer than forty charact");
  EXPECT_EQ(GetStatusText(), "Ready");
  std::thread([] { SetStatusText("Back"); }).join();
  EXPECT_EQ(GetStatusText(), "Back");
}

TEST(IdeaBatch, StopKeepsTheFinishedIdeasAndEndsEveryOtherOnce) {
  TakeMessages();
  auto pIn = MakeTestPicture(96, 64);
  const std::vector<CFilSpec> aSpecs = SomeIdeas(*pIn);
  CIdeaBatch batch(*pIn, 1);
  for (const CFilSpec& spec : aSpecs) batch.Add(spec);
  std::vector<std::atomic<int>> aEnds(aSpecs.size());
  // STOP as soon as the first idea is ready, from the batch's own thread.
  ASSERT_TRUE(batch.Start(1, [&](int i) {
    ++aEnds[static_cast<std::size_t>(i)];
    if (i == 0) batch.Stop();
  }));
  batch.Wait();
  EXPECT_TRUE(batch.Ended());
  EXPECT_EQ(batch.State(0), EIdeaState::Made);
  EXPECT_NE(batch.Picture(0), nullptr);
  for (int i = 1; i < batch.Count(); ++i) {
    EXPECT_EQ(batch.State(i), EIdeaState::Stopped) << i;
    EXPECT_EQ(batch.Picture(i), nullptr) << i;
  }
  for (const auto& n : aEnds) EXPECT_EQ(n, 1);
}

TEST(IdeaBatch, DestroyingARunningBatchStopsAndWaits) {
  TakeMessages();
  auto pIn = MakeTestPicture(320, 240);
  CIdeaBatch* pBatch = new CIdeaBatch(*pIn, 4);
  for (const CFilSpec& spec : SomeIdeas(*pIn)) pBatch->Add(spec);
  ASSERT_TRUE(pBatch->Start(2));
  delete pBatch;  // must neither hang nor leave a thread behind
  SUCCEED();
}

TEST(IdeaBatch, IdeasAtOnceWithinCoresAndMemory) {
  const unsigned long long kMB = 1ull << 20;
  // An 8-megapixel photo at quality 4 needs about 450 MB an idea: 2 GB free
  // hold four of the nine, whatever the cores.
  const unsigned long long iPerIdea = IdeaMemoryNeed(3264, 2448, 4);
  EXPECT_EQ(iPerIdea, 3264ull * 2448 * 3 * 19);
  CIdeasAtOnce n = IdeasAtOnce(9, 9, 3264, 2448, 4, 0, 16, 2048 * kMB);
  EXPECT_EQ(n.m_iCount, 4);
  EXPECT_EQ(n.m_csWhy, "each idea needs about " + std::to_string(iPerIdea >> 20) +
                           " MB, 2048 MB are free");
  // What a grid keeps is taken off first; too little memory still tries one.
  EXPECT_EQ(IdeasAtOnce(9, 9, 3264, 2448, 4, 1024 * kMB, 16, 2048 * kMB).m_iCount, 2);
  EXPECT_EQ(IdeasAtOnce(9, 9, 3264, 2448, 4, 4096 * kMB, 16, 2048 * kMB).m_iCount, 1);
  // Cores, then the number of ideas, bound it; unknown cores or memory do not.
  n = IdeasAtOnce(9, 9, 640, 480, 1, 0, 2, 8192 * kMB);
  EXPECT_EQ(n.m_iCount, 2);
  EXPECT_EQ(n.m_csWhy, "2 cores");
  n = IdeasAtOnce(8, 3, 640, 480, 1, 0, 16, 0);
  EXPECT_EQ(n.m_iCount, 3);
  EXPECT_EQ(n.m_csWhy, "");
  EXPECT_EQ(IdeasAtOnce(0, 9, 640, 480, 1, 0, 0, 0).m_iCount, 1);
}

TEST(ContactSheet, CellsAreReducedIdeasWithCaptions) {
  // A picture of two halves reduces to a cell of the same two halves.
  CDADC half(40, 20);
  half.m_pDC->FillSolidRect(0, 0, 20, 20, RGB(255, 0, 0));
  half.m_pDC->FillSolidRect(20, 0, 40, 20, RGB(0, 0, 255));
  auto pSmall = ResampledCopy(half, 10, 5);
  ASSERT_NE(pSmall, nullptr);
  EXPECT_EQ(pSmall->m_pDC->GetPixel(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(pSmall->m_pDC->GetPixel(9, 4), RGB(0, 0, 255));
  // A source of odd size averages what each cell covers.
  CDADC grey(3, 1);
  grey.m_pDC->SetPixelV(0, 0, RGB(0, 0, 0));
  grey.m_pDC->SetPixelV(1, 0, RGB(90, 90, 90));
  grey.m_pDC->SetPixelV(2, 0, RGB(180, 180, 180));
  EXPECT_EQ(ResampledCopy(grey, 1, 1)->m_pDC->GetPixel(0, 0), RGB(90, 90, 90));

  EXPECT_EQ(SheetCaption(3, XFORM_CLOUDS, 12345), "3: Clouds, seed 12345");
  const std::vector<CSheetCell> aCells = {{&half, SheetCaption(1, XFORM_CLOUDS, 1)},
                                          {nullptr, "2: a caption far too long for its cell"},
                                          {&half, "3"}};
  auto pSheet = MakeContactSheet(aCells, 2, 100);
  ASSERT_NE(pSheet, nullptr);
  // Two columns of 100 and two rows of 50 plus captions, with margins.
  EXPECT_EQ(pSheet->m_iWidth, 8 + 2 * 108);
  EXPECT_GT(pSheet->m_iHeight, 8 + 2 * 58);
  CDC& dc = *pSheet->m_pDC;
  EXPECT_EQ(dc.GetPixel(8, 8), RGB(255, 0, 0));
  EXPECT_EQ(dc.GetPixel(8 + 99, 8 + 49), RGB(0, 0, 255));
  EXPECT_EQ(dc.GetPixel(116 + 50, 8 + 25), RGB(200, 200, 200)) << "an idea not made is grey";
  auto inkUnder = [&](int x0, int y0) {
    int iInk = 0;
    for (int y = y0 + 50; y < y0 + 70; ++y)
      for (int x = x0; x < x0 + 108; ++x) iInk += dc.GetPixel(x, y) == RGB(32, 32, 32);
    return iInk;
  };
  EXPECT_GT(inkUnder(8, 8), 20) << "the caption is written under the cell";
  EXPECT_GT(inkUnder(116, 8), 20);
  // The long caption is cut to its cell: the margin right of it stays white.
  for (int y = 8 + 50; y < 8 + 70; ++y) EXPECT_EQ(dc.GetPixel(216 + 4, y), RGB(255, 255, 255));
  EXPECT_EQ(SurfaceDigest(*pSheet), SurfaceDigest(*MakeContactSheet(aCells, 2, 100)));
}
