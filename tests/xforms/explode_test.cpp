#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "engine/filspec.h"
#include "imaging/colour.h"
#include "imaging/random.h"
#include "xforms/explode.h"
#include "xforms/test_pictures.h"

namespace {
CFilSpec ExplodeSpec(int iSeed) {
  CFilSpec spec = SpecFor(XFORM_EXPLODE, iSeed);
  spec.m_Explode.m_iTraces = 600;
  spec.m_Explode.m_dLength = 12;
  spec.m_Explode.m_Background.m_crColour = RGB(20, 10, 40);
  return spec;
}

constexpr COLORREF kWhite = RGB(255, 255, 255);

void StopAt40(int iPercent, const char*) {
  if (iPercent >= 40 && iPercent < 100) g_bStop = 1;
}
}  // namespace

TEST(Explode, ReproducibleFixedColoursAndStop) {
  auto in = MakeTestPicture(120, 80);
  ExpectReproducedAndPinned(ExplodeSpec(7), *in, "explode");

  // Without the picture's colours every trace steps from Start Color towards
  // End Color in tenths: nothing else appears over the background.
  CFilSpec fixed = ExplodeSpec(7);
  fixed.m_Explode.m_bStartFromImage = fixed.m_Explode.m_bEndFromImage = 0;
  std::set<COLORREF> aAllowed{RGB(20, 10, 40)};
  for (int k = 0; k < 10; ++k) aAllowed.insert(RGB(255, k * 128 / 10, k * 255 / 10));
  const CXformRun run = RunXform(fixed, *in, 2);
  std::set<COLORREF> aSeen;
  for (int y = 0; y < run.m_pOut->m_iHeight; ++y)
    for (int x = 0; x < run.m_pOut->m_iWidth; ++x) aSeen.insert(run.m_pOut->m_pDC->GetPixel(x, y));
  for (COLORREF c : aSeen) EXPECT_TRUE(aAllowed.count(c)) << std::hex << c;
  EXPECT_GE(aSeen.size(), 8u);

  // A stop ends the traces early, and the run counts as stopped.
  SetProgressHook(&StopAt40);
  const CXformRun stopped = RunXform(ExplodeSpec(7), *in, 1);
  SetProgressHook(nullptr);
  EXPECT_EQ(g_bStop, 1);
  g_bStop = 0;
  EXPECT_EQ(stopped.m_iResult, 0);
  EXPECT_EQ(GetStatusText(), "");
  EXPECT_FALSE(SameSurfaces(*stopped.m_pOut, *RunXform(ExplodeSpec(7), *in, 1).m_pOut));
}

TEST(Explode, TraceSagsAndRandomChoices) {
  // The lowest painted row of column x.
  auto lowest = [](const CDADC& s, int x) {
    int iLow = -1;
    for (int y = 0; y < s.m_iHeight; ++y) iLow = s.m_pDC->GetPixel(x, y) ? y : iLow;
    return iLow;
  };
  // A sag of 5 lowers the k-th point by 5 (k - 1): the end at y = 20 + 45.
  CDADC out(120, 100);
  DrawExplodeTrace(*out.m_pDC, 10, 20, 110, 20, kWhite, kWhite, 0.0, 5.0);
  EXPECT_EQ(lowest(out, 20), 20);
  EXPECT_NEAR(lowest(out, 109), 65, 1);

  // A new record's background colour comes from the generator's state.
  SeedRandom(23);
  ExplodeParams p;
  SeedRandom(23);
  RandomInt(0, 100);
  EXPECT_EQ(p.m_Background.m_crColour, RandomColour());
  EXPECT_EQ(p.m_Background.m_bUsePicture, 0);

  p.m_bWizard = 0;
  SeedRandom(23);
  AutochooseExplode(p);
  const int iNext = RawRandom();
  SeedRandom(23);
  COLORREF crA, crB;
  RandomColourPair(crA, crB);
  const int bEnd = RandomInt(0, 100) >= 15;
  const int bStart = bEnd ? RandomChance() : 1;
  EXPECT_EQ(std::tuple(p.m_crStart, p.m_crEnd, p.m_bEndFromImage, p.m_bStartFromImage),
            std::tuple(ScaleColour(crA, 1.5), ScaleColour(ScaleColour(crA, 1.5), 1.5), bEnd,
                       bStart));
  EXPECT_EQ(std::tuple(p.m_iTraces, p.m_iGravity, p.m_dLength, p.m_dEndWidth),
            (std::tuple{RandomInt(500, 1500), RandomInt(0, 100), RandomReal(1.5, 15.0),
                        RandomReal(0.5, 4.0)}));  // braces: drawn left to right
  BackgroundSpec bg;
  ChooseBackground(bg, 0.5, 75);
  EXPECT_EQ(p.m_Background.m_bUsePicture, bg.m_bUsePicture);
  EXPECT_EQ(RawRandom(), iNext);
  EXPECT_EQ(p.m_bWizard, 0);
}
