#include <gtest/gtest.h>

#include <string>

#include "cli/recipe.h"
#include "engine/filspec.h"
#include "imaging/colour.h"
#include "imaging/random.h"
#include "support/recording_reporter.h"
#include "xforms/net.h"
#include "xforms/test_pictures.h"

namespace {
constexpr COLORREF kThread = RGB(255, 255, 0), kGround = RGB(0, 0, 90);

CFilSpec NetSpec(int iSeed, int iThreads, int iGeometry, int bBlur) {
  CFilSpec spec = SpecFor(XFORM_NET, iSeed);
  spec.m_Net.m_iThreads = iThreads;
  spec.m_Net.m_iGeometry = iGeometry;
  spec.m_Net.m_bBlur = bBlur;
  spec.m_Net.m_crThread = kThread;
  spec.m_Net.m_crBackground = kGround;
  return spec;
}

// Black on the left, white from column iEdge on: force 0 and 255.
std::unique_ptr<CDADC> HalfWhite(int iWidth, int iHeight, int iEdge) {
  auto p = std::make_unique<CDADC>(iWidth, iHeight);
  p->m_pDC->FillSolidRect(iEdge, 0, iWidth, iHeight, RGB(255, 255, 255));
  return p;
}
}  // namespace

TEST(Net, Pinned) {
  auto in = MakeTestPicture(120, 80);
  ExpectReproducedAndPinned(NetSpec(3, 40, NET_GRID, 1), *in, "net");
  EXPECT_EQ(GetStatusText(), "");
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(Net, ThreadsBulgeWithTheForce) {
  // 21 vertical threads over 100 columns: one every 5 pixels; A = 100 / 21 = 4.
  // Threads on the white half are pushed right by A, those on the black half stay.
  auto in = HalfWhite(100, 60, 50);
  const CXformRun run = RunXform(NetSpec(1, 21, NET_VERTICAL, 0), *in, 1);
  ASSERT_EQ(run.m_iResult, 1);
  const CDC& dc = *run.m_pOut->m_pDC;
  for (int i = 1; i < 19; ++i) {
    const int x = 5 * i, xThread = x < 50 ? x : x + 4;
    EXPECT_EQ(dc.GetPixel(xThread, 30), kThread) << i;
    EXPECT_EQ(dc.GetPixel(xThread + 1, 30), kGround) << i;
    if (x >= 50) {
      EXPECT_EQ(dc.GetPixel(x, 30), kGround) << i;
    }
  }
  EXPECT_EQ(dc.GetPixel(2, 30), kGround);

  // The blur lies under the thread as a pen 5 times wider in the half-way colour.
  // 11 threads at quality 2: one every 20 pixels.
  const CXformRun blurred = RunXform(NetSpec(1, 11, NET_VERTICAL, 1), *in, 2);
  ASSERT_EQ(blurred.m_iResult, 1);
  const CDC& b = *blurred.m_pOut->m_pDC;
  EXPECT_EQ(b.GetPixel(20, 60), kThread);
  EXPECT_EQ(b.GetPixel(24, 60), BlendColour(0.5, kThread, kGround));
  EXPECT_EQ(b.GetPixel(26, 60), kGround);

  // 20 threads on a picture 4 times wider than high: 5 horizontal threads, 12.5 rows apart.
  auto black = std::make_unique<CDADC>(200, 50);
  const CXformRun rows = RunXform(NetSpec(1, 20, NET_HORIZONTAL, 0), *black, 1);
  ASSERT_EQ(rows.m_iResult, 1);
  for (int y = 0; y < 50; ++y) {
    const bool bThread = y == 0 || y == 12 || y == 25 || y == 37;
    EXPECT_EQ(rows.m_pOut->m_pDC->GetPixel(100, y), bThread ? kThread : kGround) << y;
  }
}

TEST(Net, RecipeWithFewerThanTwoThreads) {
  // The dialog keeps 20..2000, but a recipe replays any count: no division by zero.
  auto in = MakeTestPicture(50, 40);
  for (const char* szThreads : {"1", "0", "-3"}) {
    Recipe recipe;
    std::string csError;
    ASSERT_TRUE(RecipeFromJson(std::string("{\"vexmora_recipe\": 1, \"xform\": \"Net\", "
                                           "\"parameters\": {\"wizard\": 0, \"threads\": ") +
                                   szThreads + "}}",
                               recipe, csError))
        << csError;
    ASSERT_EQ(recipe.m_Spec.m_Net.m_iThreads, std::stoi(szThreads));
    ASSERT_EQ(recipe.m_Spec.Effect(50, 40), 1);
    const CXformRun run = RunXform(recipe.m_Spec, *in, 2);
    EXPECT_EQ(run.m_iResult, 1) << szThreads;
  }
}

TEST(Net, AutochooseDrawOrder) {
  // w + h = 300: counts up to 30 qualify; w + h = 100: none does, the 200th draw stays.
  for (int iSum : {300, 100}) {
    for (int iSeed : {5, 6, 7, 8}) {
      NetParams p;
      p.m_bWizard = 0;
      SeedRandom(iSeed);
      AutochooseNet(p, iSum / 2, iSum - iSum / 2);
      const int iNext = RawRandom();
      SeedRandom(iSeed);
      int n = 0;
      for (int iTry = 0; iTry < 200; ++iTry)
        if (10 * (n = RandomInt(20, 200)) <= iSum) break;
      EXPECT_EQ(p.m_iThreads, n);
      EXPECT_EQ(p.m_bImageBackground, RandomInt(0, 100) > 80 ? 1 : 0);
      EXPECT_EQ(p.m_crBackground, ScaleColour(RandomColour(), 0.5));
      EXPECT_EQ(p.m_crThread, ScaleColour(RandomColour(), 3.0));
      const int iGeometry = RandomInt(0, 100) < 34 ? (RandomChance() ? 0 : 1) : 2;
      EXPECT_EQ(p.m_iGeometry, iGeometry);
      EXPECT_EQ(p.m_bBlur, RandomChance());
      EXPECT_EQ(RawRandom(), iNext);
      EXPECT_EQ(p.m_bWizard, 0);
    }
  }
}
