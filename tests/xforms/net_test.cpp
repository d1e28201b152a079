#include <gtest/gtest.h>

#include <string>

#include "engine/recipe.h"
#include "engine/filspec.h"
#include "imaging/colour.h"
#include "xforms/net.h"
#include "xforms/test_pictures.h"

namespace {
constexpr COLORREF kThread = RGB(255, 255, 0), kGround = RGB(0, 0, 90);

CFilSpec NetSpec(int iThreads, int iGeometry, int bBlur) {
  CFilSpec spec = SpecFor(XFORM_NET, 3);
  spec.m_Net = {0, kThread, kGround, 0, iThreads, iGeometry, bBlur};
  return spec;
}
}  // namespace

TEST(Net, ThreadsBulgeWithTheForce) {
  ExpectReproducedAndPinned(NetSpec(40, NET_GRID, 1), *MakeTestPicture(120, 80), "net");
  // Black left half, white right half (force 0 and 255). 21 vertical threads
  // over 100 columns, one every 5: those on the white half are pushed right
  // by A = 100 / 21 = 4, those on the black half stay.
  CDADC in(100, 60);
  in.m_pDC->FillSolidRect(50, 0, 100, 60, RGB(255, 255, 255));
  const CXformRun run = RunXform(NetSpec(21, NET_VERTICAL, 0), in, 1);
  const CDC& dc = *run.m_pOut->m_pDC;
  for (int x = 5; x < 95; x += 5) {
    const int xThread = x < 50 ? x : x + 4;
    EXPECT_EQ(dc.GetPixel(xThread, 30), kThread) << x;
    EXPECT_EQ(dc.GetPixel(xThread + 1, 30), kGround) << x;
    EXPECT_EQ(dc.GetPixel(x, 30), x < 50 ? kThread : kGround) << x;
  }
  // The blur: a pen 5 times wider in the half-way colour under each thread
  // (11 threads at quality 2: one every 20 pixels).
  const CXformRun blurred = RunXform(NetSpec(11, NET_VERTICAL, 1), in, 2);
  const CDC& b = *blurred.m_pOut->m_pDC;
  EXPECT_EQ(b.GetPixel(20, 60), kThread);
  EXPECT_EQ(b.GetPixel(24, 60), BlendColour(0.5, kThread, kGround));
  EXPECT_EQ(b.GetPixel(26, 60), kGround);
  // 20 threads on a picture 4 times wider than high: 5 horizontal threads, 12.5 rows apart.
  CDADC black(200, 50);
  const CXformRun horizontal = RunXform(NetSpec(20, NET_HORIZONTAL, 0), black, 1);
  const CDC& rows = *horizontal.m_pOut->m_pDC;
  for (int y = 0; y < 50; ++y) {
    const bool bThread = y == 0 || y == 12 || y == 25 || y == 37;
    EXPECT_EQ(rows.GetPixel(100, y), bThread ? kThread : kGround) << y;
  }
}

TEST(Net, RecipeWithFewerThanTwoThreads) {
  // The dialog keeps 20..2000 and recipes refuse other counts, but a record
  // may still hold one: no division by zero.
  auto in = MakeTestPicture(50, 40);
  for (const std::string csThreads : {"1", "0", "-3"}) {
    const std::string csRecipe =
        "{\"vexmora_recipe\": 1, \"xform\": \"Net\", \"parameters\": {\"wizard\": 0, \"threads\": ";
    Recipe recipe;
    std::string csError;
    EXPECT_FALSE(RecipeFromJson(csRecipe + csThreads + "}}", recipe, csError));
    ASSERT_TRUE(RecipeFromJson(csRecipe + "20}}", recipe, csError)) << csError;
    recipe.m_Spec.m_Net.m_iThreads = std::stoi(csThreads);
    ASSERT_EQ(recipe.m_Spec.Effect(50, 40), 1);
    EXPECT_EQ(RunXform(recipe.m_Spec, *in, 2).m_iResult, 1) << csThreads;
  }
}
