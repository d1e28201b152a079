#include <gtest/gtest.h>

#include <cmath>

#include "engine/filspec.h"
#include "imaging/random.h"
#include "xforms/mad_painter.h"
#include "xforms/test_pictures.h"

namespace {
CFilSpec MadPainterSpec(int iSeed) {
  CFilSpec spec = SpecFor(XFORM_MAD_PAINTER, iSeed);
  MadPainterParams& p = spec.m_MadPainter;
  p.m_iDirection = PAINT_CIRCLING;
  p.m_iFocusX = 50, p.m_iFocusY = 30;
  p.m_dAngle = 0.3;
  p.m_iStrokes = 3000;
  p.m_Background = {RGB(20, 40, 80), 1};
  return spec;
}

// The stroke of brush b at (x, y) drawn from seed 1.
void ShapeAt(const CMadBrush& b, int x, int y, POINT aPts[4], int& iPen) {
  SeedRandom(1);
  b.Shape(x, y, aPts, iPen);
}
}  // namespace

TEST(MadPainter, ReproducibleAndPinned) {
  auto in = MakeTestPicture(200, 120);
  ExpectReproducedAndPinned(MadPainterSpec(5), *in, "mad_painter");
}

TEST(MadPainter, SaneStrokesWithoutMadness) {
  CDADC out(1000, 500);
  MadPainterParams p;
  p.m_dMadness = 0;
  POINT a[4];
  int iPen;
  // Fixed direction 0 (vertical): the average width trunc(1000 x 1.75 %) = 17
  // and length 42, controls at 2/3 and 1/3 of the way: a straight stroke.
  ShapeAt(CMadBrush(*out.m_pDC, p, 1000, 500, 1), 300, 200, a, iPen);
  EXPECT_EQ(iPen, 17);
  const POINT aStraight[4] = {{300, 221}, {300, 193}, {300, 207}, {300, 179}};
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(a[k].x, aStraight[k].x) << k;
    EXPECT_EQ(a[k].y, aStraight[k].y) << k;
  }

  // On a narrow output the pen is still 3 wide and the stroke 6 long.
  ShapeAt(CMadBrush(*out.m_pDC, p, 100, 50, 1), 10, 10, a, iPen);
  EXPECT_EQ(iPen, 3);
  EXPECT_EQ(a[0].y - a[3].y, 6);

  // Around a focus: mode 3 lays the strokes across the line to it, mode 2
  // along it (focus in input pixels, doubled at quality 2).
  p.m_iFocusX = 250, p.m_iFocusY = 125;
  for (const POINT pt : {POINT{900, 250}, POINT{500, 450}, POINT{140, 60}}) {
    for (int iMode : {PAINT_CIRCLING, PAINT_POINTING}) {
      p.m_iDirection = iMode;
      ShapeAt(CMadBrush(*out.m_pDC, p, 1000, 500, 2), pt.x, pt.y, a, iPen);
      const double rx = pt.x - 500.0, ry = pt.y - 250.0, sx = a[3].x - a[0].x, sy = a[3].y - a[0].y;
      const double dCos = (rx * sx + ry * sy) / std::hypot(rx, ry) / std::hypot(sx, sy);
      EXPECT_NEAR(std::fabs(dCos), iMode == PAINT_CIRCLING ? 0.0 : 1.0, 0.05) << iMode;
    }
  }

  // Sizes from a record beyond every range stay bounded, NaN included.
  p.m_dWidth = 1e300, p.m_dLength = std::nan(""), p.m_dMadness = 1e200;
  ShapeAt(CMadBrush(*out.m_pDC, p, 1000, 500, 1), 10, 10, a, iPen);
  EXPECT_LE(iPen, 4 * 1500 + 64);
  for (const POINT& pt : a) EXPECT_LE(std::abs(pt.x) + std::abs(pt.y), 4 * (4 * 1500 + 64));
}

TEST(MadPainter, PaletteValidationAndAutochoose) {
  const COLORREF aPalette[3] = {RGB(0, 0, 0), RGB(100, 100, 100), RGB(0, 0, 200)};
  EXPECT_EQ(NearestPaint(aPalette, 3, RGB(60, 60, 60)), aPalette[1]);
  EXPECT_EQ(NearestPaint(aPalette, 3, RGB(0, 0, 100)), aPalette[0]);  // a tie: the first
  EXPECT_EQ(NearestPaint(aPalette, 3, RGB(10, 10, 180)), aPalette[2]);

  // The focus is drawn on the original's size; the strokes are clamped.
  CDADC org(30, 20);
  MadPainterParams p;
  p.m_iStrokes = 20000;
  EXPECT_EQ(ValidateMadPainter(p), 1);
  EXPECT_EQ(p.m_iStrokes, 9000);
  for (int iSeed = 1; iSeed < 40; ++iSeed) {
    SeedRandom(iSeed * 977);
    AutochooseMadPainter(p, org);
    EXPECT_TRUE(p.m_iFocusX >= 0 && p.m_iFocusX <= 30 && p.m_iFocusY >= 0 && p.m_iFocusY <= 20);
    EXPECT_TRUE(p.m_iDirection >= PAINT_FIXED && p.m_iDirection <= PAINT_CIRCLING);
  }
}
