#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

#include "engine/filspec.h"
#include "imaging/colour.h"
#include "imaging/random.h"
#include "imaging/xform_helpers.h"
#include "support/recording_reporter.h"
#include "xforms/pearls.h"
#include "xforms/test_pictures.h"

namespace {
CFilSpec PearlsSpec(int iSeed) {
  CFilSpec spec = SpecFor(XFORM_PEARLS, iSeed);
  spec.m_Pearls.m_iPearls = 120;
  spec.m_Pearls.m_iAreaCovered = 30;
  spec.m_Pearls.m_dSize = 1.3;
  spec.m_Pearls.m_iPaletteA = 2;
  spec.m_Pearls.m_iPaletteB = 0;
  return spec;
}
}  // namespace

TEST(Pearls, PinnedAndEndsOnOnePixel) {
  auto in = MakeTestPicture(120, 80);
  ExpectReproducedAndPinned(PearlsSpec(17), *in, "pearls");
  // One pixel: the threshold (255) lies above its force, so no pearl can be
  // placed; the silk alone is the picture.
  CDADC one(1, 1);
  one.m_pDC->SetPixelV(0, 0, RGB(200, 100, 50));
  EXPECT_EQ(RunXform(PearlsSpec(17), one, 4).m_iResult, 1);
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(Pearls, PearlShape) {
  // Diagonal 500: R = 5, r = trunc(4.5) = 4; highlight radii 0, 0, 1.
  const CPearl small(1.0, 300, 400, 0, 1, 3);
  EXPECT_EQ(std::tuple(small.m_iOuter, small.m_iInner), std::tuple(5, 4));
  EXPECT_EQ(std::tuple(small.m_aRadius[0], small.m_aRadius[1], small.m_aRadius[2]),
            std::tuple(0, 0, 1));
  // Offsets trunc(cos(a) R / 2), trunc(-sin(a) R / 2) at a = -30, 90 and 210 degrees.
  EXPECT_EQ(std::tuple(small.m_aOffset[0].x, small.m_aOffset[0].y), std::tuple(2, 1));
  EXPECT_EQ(std::tuple(small.m_aOffset[1].x, small.m_aOffset[1].y), std::tuple(0, -2));
  EXPECT_EQ(std::tuple(small.m_aOffset[2].x, small.m_aOffset[2].y), std::tuple(-2, 1));
  // A size outside 0..100 (or not a number) gives 3 pixels; palettes outside 0..2 are palette 0.
  const CPearl odd(std::numeric_limits<double>::quiet_NaN(), 300, 400, 7, -1, 9);
  EXPECT_EQ(std::tuple(odd.m_iOuter, odd.m_iInner, odd.m_iHighlights), std::tuple(3, 3, 4));
  EXPECT_EQ(odd.m_aA[0], RGB(238, 221, 178));
  EXPECT_EQ(odd.m_aB[2], RGB(244, 244, 252));
}

TEST(Pearls, DrawnPearlColoursAndShadow) {
  // Diagonal 1000: R = 10, r = 9; the third highlight (radius 2) sits at (-4, +2).
  const CPearl pearl(1.0, 600, 800, 2, 1, 3);
  const COLORREF crPicture = RGB(200, 100, 50);
  for (double t : {-0.5, 0.0, 1.0, 3.0}) {
    CDADC out(100, 100);
    const HPEN hPen = out.m_pDC->GetCurrentPen();
    const HBRUSH hBrush = out.m_pDC->GetCurrentBrush();
    pearl.Draw(*out.m_pDC, 50, 50, t, crPicture);
    EXPECT_EQ(out.m_pDC->GetCurrentPen(), hPen);
    EXPECT_EQ(out.m_pDC->GetCurrentBrush(), hBrush);
    // t below 0 is palette B's colours (the threshold), above 1 palette A's (the brightest).
    const int k = t >= 1.0 ? 0 : 1;
    const COLORREF aBody[2] = {RGB(121, 95, 82), RGB(225, 224, 196)};
    const COLORREF aInner[2] = {RGB(202, 176, 187), RGB(174, 176, 152)};
    const COLORREF aLight[2] = {RGB(255, 250, 242), RGB(249, 255, 250)};
    EXPECT_EQ(out.m_pDC->GetPixel(40, 50), aBody[k]) << t;
    EXPECT_EQ(out.m_pDC->GetPixel(42, 50), aInner[k]) << t;
    EXPECT_EQ(out.m_pDC->GetPixel(46, 52), aLight[k]) << t;
    // The shadow: 2 pixels down and right, half the picture's colour.
    EXPECT_EQ(out.m_pDC->GetPixel(61, 50), RGB(100, 50, 25));
    EXPECT_EQ(out.m_pDC->GetPixel(50, 61), RGB(100, 50, 25));
    EXPECT_EQ(out.m_pDC->GetPixel(62, 50), RGB(0, 0, 0));
    EXPECT_EQ(out.m_pDC->GetPixel(39, 50), RGB(0, 0, 0));
  }
}

TEST(Pearls, ValidationAndAutochoose) {
  PearlsParams lo, hi;
  lo.m_iPearls = 10, lo.m_iAreaCovered = 9, lo.m_iPaletteA = -1, lo.m_iPaletteB = 2;
  hi.m_iPearls = 300, hi.m_iAreaCovered = 91, hi.m_iPaletteA = 3, hi.m_iPaletteB = 1;
  EXPECT_EQ(ValidatePearls(lo) + ValidatePearls(hi), 2);
  EXPECT_EQ(std::tuple(lo.m_iPearls, lo.m_iAreaCovered, lo.m_iPaletteA, lo.m_iPaletteB),
            std::tuple(50, 50, 0, 2));
  EXPECT_EQ(std::tuple(hi.m_iPearls, hi.m_iAreaCovered, hi.m_iPaletteA, hi.m_iPaletteB),
            std::tuple(250, 50, 0, 1));

  // Small (diagonal 500) and large (501) originals draw their sizes from different ranges.
  for (const auto& [w, h, dLo, dHi] : {std::tuple(300, 400, 1.0, 1.5), std::tuple(0, 501, 0.5, 1.0)}) {
    for (int iSeed : {1, 2, 3, 4, 5, 6}) {
      PearlsParams p;
      AreaSelection sel;
      SeedRandom(iSeed);
      AutochoosePearls(p, sel, w, h);
      const int iNext = RawRandom();
      SeedRandom(iSeed);
      EXPECT_EQ(sel.m_iSmooth, RandomInt(4, 8));
      BackgroundSpec bg;
      ChooseBackground(bg, 0.5, 33);
      EXPECT_EQ(p.m_Background.m_bUsePicture, bg.m_bUsePicture);
      EXPECT_EQ(p.m_Background.m_crColour, bg.m_crColour);
      EXPECT_EQ(p.m_iPearls, RandomInt(50, 250));
      EXPECT_EQ(p.m_dSize, RandomReal(dLo, dHi));
      EXPECT_EQ(p.m_iPaletteA, RandomInt(0, 2));
      int b = RandomInt(0, 2);
      while (b == p.m_iPaletteA) b = RandomInt(0, 2);
      EXPECT_EQ(p.m_iPaletteB, b);
      EXPECT_EQ(p.m_iAreaCovered, RandomInt(10, 90));
      EXPECT_EQ(RawRandom(), iNext);
    }
  }
}
