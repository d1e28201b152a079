#include <gtest/gtest.h>

#include <set>

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

  // A stop ends the traces early, and the run still counts as done.
  SetProgressHook(&StopAt40);
  const CXformRun stopped = RunXform(ExplodeSpec(7), *in, 1);
  SetProgressHook(nullptr);
  EXPECT_EQ(g_bStop, 1);
  g_bStop = 0;
  EXPECT_EQ(stopped.m_iResult, 1);
  EXPECT_EQ(GetStatusText(), "");
  EXPECT_FALSE(SameSurfaces(*stopped.m_pOut, *RunXform(ExplodeSpec(7), *in, 1).m_pOut));
}

TEST(Explode, TraceWidensAndSags) {
  constexpr COLORREF c = RGB(255, 255, 255);
  auto lowest = [](const CDADC& s, int x) {
    int iLow = -1;
    for (int y = 0; y < s.m_iHeight; ++y)
      if (s.m_pDC->GetPixel(x, y) != 0) iLow = y;
    return iLow;
  };
  auto thickness = [](const CDADC& s, int x) {
    int n = 0;
    for (int y = 0; y < s.m_iHeight; ++y) n += s.m_pDC->GetPixel(x, y) != 0;
    return n;
  };
  // No gravity: a straight line at y = 20, one pixel wide at the start and
  // trunc(10 * 3 / 10) + 1 = 4 wide in the last segment.
  CDADC flat(120, 100);
  DrawExplodeTrace(*flat.m_pDC, 10, 20, 110, 20, c, c, 3.0, 0.0);
  EXPECT_EQ(thickness(flat, 12), 1);
  EXPECT_EQ(lowest(flat, 12), 20);
  EXPECT_GE(thickness(flat, 105), 3);
  EXPECT_LE(lowest(flat, 105), 22);
  // A sag of 5 lowers the k-th point by 5 (k - 1): the end at y = 20 + 45.
  CDADC sag(120, 100);
  DrawExplodeTrace(*sag.m_pDC, 10, 20, 110, 20, c, c, 0.0, 5.0);
  EXPECT_EQ(lowest(sag, 20), 20);
  EXPECT_NEAR(lowest(sag, 109), 65, 1);
  EXPECT_EQ(sag.m_pDC->GetCurrentPen(), flat.m_pDC->GetCurrentPen());  // the DC's own pen is back
}

TEST(Explode, Autochoose) {
  ExplodeParams p;
  p.m_bWizard = 0;
  SeedRandom(23);
  AutochooseExplode(p);
  const int iNext = RawRandom();
  SeedRandom(23);
  COLORREF crA, crB;
  RandomColourPair(crA, crB);
  EXPECT_EQ(p.m_crStart, ScaleColour(crA, 1.5));
  EXPECT_EQ(p.m_crEnd, ScaleColour(p.m_crStart, 1.5));
  const int bEnd = RandomInt(0, 100) >= 15;
  EXPECT_EQ(p.m_bEndFromImage, bEnd);
  EXPECT_EQ(p.m_bStartFromImage, bEnd ? RandomChance() : 1);
  EXPECT_EQ(p.m_iTraces, RandomInt(500, 1500));
  EXPECT_EQ(p.m_iGravity, RandomInt(0, 100));
  EXPECT_EQ(p.m_dLength, RandomReal(1.5, 15.0));
  EXPECT_EQ(p.m_dEndWidth, RandomReal(0.5, 4.0));
  BackgroundSpec bg;
  ChooseBackground(bg, 0.5, 75);
  EXPECT_EQ(p.m_Background.m_bUsePicture, bg.m_bUsePicture);
  EXPECT_EQ(RawRandom(), iNext);
  EXPECT_EQ(p.m_bWizard, 0);
}
