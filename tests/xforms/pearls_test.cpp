#include <gtest/gtest.h>

#include <limits>
#include <tuple>

#include "engine/filspec.h"
#include "xforms/pearls.h"
#include "xforms/test_pictures.h"

TEST(Pearls, PinnedAndEndsOnOnePixel) {
  CFilSpec spec = SpecFor(XFORM_PEARLS, 17);
  spec.m_Pearls.m_iPearls = 120;
  spec.m_Pearls.m_iAreaCovered = 30;
  spec.m_Pearls.m_dSize = 1.3;
  spec.m_Pearls.m_iPaletteA = 2;
  ExpectReproducedAndPinned(spec, *MakeTestPicture(120, 80), "pearls");
  // One pixel: the threshold (255) lies above its force, so no pearl can be
  // placed; the silk alone is the picture.
  CDADC one(1, 1);
  one.m_pDC->SetPixelV(0, 0, RGB(200, 100, 50));
  EXPECT_EQ(RunXform(spec, one, 4).m_iResult, 1);
}

TEST(Pearls, PearlShapeAndValidation) {
  // Diagonal 500: R = 5, r = trunc(4.5) = 4; highlight radii 0, 0, 1, offsets
  // trunc(cos(a) R / 2), trunc(-sin(a) R / 2) at a = -30, 90 and 210 degrees.
  const CPearl small(1.0, 300, 400, 0, 1, 3);
  EXPECT_EQ(std::tuple(small.m_iOuter, small.m_iInner, small.m_aRadius[2]), std::tuple(5, 4, 1));
  EXPECT_EQ(std::tuple(small.m_aOffset[0].x, small.m_aOffset[0].y, small.m_aOffset[1].x,
                       small.m_aOffset[1].y, small.m_aOffset[2].x, small.m_aOffset[2].y),
            std::tuple(2, 1, 0, -2, -2, 1));
  // A size outside 0..100 (or not a number) gives 3 pixels; palettes outside 0..2 are palette 0.
  const CPearl odd(std::numeric_limits<double>::quiet_NaN(), 300, 400, 7, -1, 9);
  EXPECT_EQ(std::tuple(odd.m_iOuter, odd.m_iInner, odd.m_iHighlights), std::tuple(3, 3, 4));
  EXPECT_EQ(std::tuple(odd.m_aA[0], odd.m_aB[2]),
            std::tuple(RGB(238, 221, 178), RGB(244, 244, 252)));

  PearlsParams p;
  p.m_iPearls = 300, p.m_iAreaCovered = 9, p.m_iPaletteA = 3, p.m_iPaletteB = 2;
  EXPECT_EQ(ValidatePearls(p), 1);
  EXPECT_EQ(std::tuple(p.m_iPearls, p.m_iAreaCovered, p.m_iPaletteA, p.m_iPaletteB),
            std::tuple(250, 50, 0, 2));
}

TEST(Pearls, DrawnPearlColoursAndShadow) {
  // Diagonal 1000: R = 10, r = 9; the third highlight (radius 2) sits at (-4, +2).
  const CPearl pearl(1.0, 600, 800, 2, 1, 3);
  // t at or below 0 (the threshold) gives palette B, at or above 1 (the brightest) palette A.
  for (double t : {-0.5, 0.0, 1.0, 3.0}) {
    CDADC out(100, 100);
    const HPEN hPen = out.m_pDC->GetCurrentPen();
    pearl.Draw(*out.m_pDC, 50, 50, t, RGB(200, 100, 50));
    EXPECT_EQ(out.m_pDC->GetCurrentPen(), hPen);
    const bool bA = t >= 1.0;
    EXPECT_EQ(out.m_pDC->GetPixel(40, 50), bA ? RGB(121, 95, 82) : RGB(225, 224, 196));
    EXPECT_EQ(out.m_pDC->GetPixel(42, 50), bA ? RGB(202, 176, 187) : RGB(174, 176, 152));
    EXPECT_EQ(out.m_pDC->GetPixel(46, 52), bA ? RGB(255, 250, 242) : RGB(249, 255, 250));
    // The shadow: 2 pixels down and right, half the picture's colour.
    EXPECT_EQ(out.m_pDC->GetPixel(61, 50), RGB(100, 50, 25));
    EXPECT_EQ(out.m_pDC->GetPixel(50, 61), RGB(100, 50, 25));
    EXPECT_EQ(out.m_pDC->GetPixel(62, 50), RGB(0, 0, 0));
    EXPECT_EQ(out.m_pDC->GetPixel(39, 50), RGB(0, 0, 0));
  }
}
