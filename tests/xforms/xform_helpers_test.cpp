#include <gtest/gtest.h>

#include <cmath>

#include "imaging/colour.h"
#include "imaging/random.h"
#include "imaging/xform_helpers.h"
#include "support/recording_reporter.h"
#include "xforms/test_pictures.h"

namespace {
// The next raw draw after seeding with s and skipping n draws.
int DrawAfter(unsigned s, int n) {
  SeedRandom(s);
  for (int i = 0; i < n; ++i) RawRandom();
  return RawRandom();
}
}  // namespace

TEST(XformHelpers, JitterColourOutsideRangeDrawsNothing) {
  SeedRandom(7);
  EXPECT_EQ(JitterColour(RGB(10, 20, 30), 1.5), RGB(10, 20, 30));
  EXPECT_EQ(JitterColour(RGB(10, 20, 30), -0.1), RGB(10, 20, 30));
  const int iNext = RawRandom();
  EXPECT_EQ(iNext, DrawAfter(7, 0));

  // Red, green, blue factors in that order, truncated and kept to 0..255.
  SeedRandom(7);
  const double fr = RandomReal(0.5, 1.5), fg = RandomReal(0.5, 1.5), fb = RandomReal(0.5, 1.5);
  auto ch = [](int c, double f) {
    const int v = static_cast<int>(c * f);
    return v > 255 ? 255 : v;
  };
  SeedRandom(7);
  EXPECT_EQ(JitterColour(RGB(200, 100, 250), 0.5),
            RGB(ch(200, fr), ch(100, fg), ch(250, fb)));
}

TEST(XformHelpers, ChooseBackgroundDrawsItsChanceFirst) {
  BackgroundSpec bg;
  bg.m_bUsePicture = 1;
  SeedRandom(3);
  ChooseBackground(bg, 0.5, 0);
  SeedRandom(3);
  RandomInt(0, 100);
  const COLORREF cr = ScaleColour(RandomColour(), 0.5);
  EXPECT_EQ(bg.m_bUsePicture, 0);
  EXPECT_EQ(bg.m_crColour, cr);

  bg.m_crColour = RGB(1, 2, 3);
  SeedRandom(3);
  ChooseBackground(bg, 0.5, 101);  // always the picture; the colour stays
  EXPECT_EQ(bg.m_bUsePicture, 1);
  EXPECT_EQ(bg.m_crColour, RGB(1, 2, 3));
  const int iNext = RawRandom();
  EXPECT_EQ(iNext, DrawAfter(3, 1));
}

TEST(XformHelpers, JitterPointStaysInside) {
  for (unsigned s = 0; s < 50; ++s) {
    SeedRandom(s);
    POINT a{0, 0}, b{9, 4};
    JitterPoint(a, 3, 10, 5);
    JitterPoint(b, 3, 10, 5);
    EXPECT_TRUE(a.x >= 0 && a.x <= 9 && a.y >= 0 && a.y <= 4);
    EXPECT_TRUE(b.x >= 0 && b.x <= 9 && b.y >= 0 && b.y <= 4);
  }
}

TEST(XformHelpers, ColourPairAndComplement) {
  SeedRandom(11);
  const int g = RandomInt(0, 255), b = RandomInt(0, 255), r = RandomInt(0, 255);
  SeedRandom(11);
  COLORREF c1, c2;
  RandomColourPair(c1, c2);
  EXPECT_EQ(c1, RGB(r, g, b));
  EXPECT_EQ(c2, ComplementColour(c1));
  EXPECT_EQ(ComplementColour(RGB(255, 0, 0)), RGB(0, 0, 0));  // s 1 -> 0, v 1 -> 0
  EXPECT_EQ(ComplementColour(RGB(0, 0, 0)), RGB(0, 255, 255));  // hue 180 at full s and v
  // Blue and violet hues (240 and more) wrap round instead of being refused.
  const COLORREF cBlue = ComplementColour(RGB(40, 20, 120));
  EXPECT_TRUE(TakeMessages().empty());
  double h, s, v;
  RgbToHsv(GetRValue(cBlue) / 255.0, GetGValue(cBlue) / 255.0, GetBValue(cBlue) / 255.0, h, s, v);
  EXPECT_NEAR(h, 72.0, 5.0);  // 252 + 180 - 360
}

TEST(XformHelpers, CellGrid) {
  const CellGrid g(640, 480, 5);
  EXPECT_EQ(g.m_iColumns, 125);
  EXPECT_EQ(g.m_iRows, 93);
  EXPECT_EQ(g.m_iCellWidth, 5);
  EXPECT_EQ(g.m_iCellHeight, 5);
  const CellGrid g2(100, 50, 10);
  EXPECT_EQ(g2.m_iRows, 5);
  EXPECT_EQ(g2.Centre(0, 0).x, 5);
  EXPECT_EQ(g2.Centre(0, 0).y, 5);
  EXPECT_EQ(g2.Centre(99, -1).x, 55);  // out of range: the middle column and row
  EXPECT_EQ(g2.Centre(99, -1).y, 25);
  const RECT r = g2.Cell(1, 1);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.right, 20);
  EXPECT_EQ(r.top, 10);
  EXPECT_EQ(r.bottom, 20);
  EXPECT_EQ(CellGrid(10, 30, 20).m_iCellHeight, 1);  // 60 rows on 30 pixels: at least 1
}

TEST(XformHelpers, Outlines) {
  auto leaf = MakeOutline(OUTLINE_SINE_LEAF, 0.25);
  auto petal = MakeOutline(OUTLINE_PETAL, 0.0);
  auto drop = MakeOutline(OUTLINE_DROP, 1.0);
  auto other = MakeOutline(7, 0.0);
  ASSERT_TRUE(leaf && petal && drop && other);
  EXPECT_EQ(leaf->m_iCount, 10);
  EXPECT_EQ(other->m_iCount, 10);
  EXPECT_EQ(petal->m_iCount, 10);
  EXPECT_EQ(drop->m_iCount, 16);
  EXPECT_DOUBLE_EQ(leaf->GetVertex(0).x(), -0.25);
  EXPECT_DOUBLE_EQ(leaf->GetVertex(5).x(), 0.75);
  EXPECT_NEAR(leaf->GetVertex(6).y(), -std::sin(0.8 * 3.14159) * 0.5, 1e-15);
  EXPECT_DOUBLE_EQ(drop->GetVertex(8).x(), 1.45);
  EXPECT_EQ(leaf->m_bFilled, 1);
}

TEST(XformHelpers, FillBackgroundAndJitterPixel) {
  auto in = MakeTestPicture(8, 6);
  CDADC out(16, 12);
  FillBackground(out, *in, BackgroundSpec{RGB(1, 2, 3), 0});
  EXPECT_EQ(out.m_pDC->GetPixel(15, 11), RGB(1, 2, 3));
  FillBackground(out, *in, BackgroundSpec{RGB(1, 2, 3), 1});
  EXPECT_EQ(out.m_pDC->GetPixel(15, 11), in->m_pDC->GetPixel(7, 5));
  EXPECT_EQ(out.m_pDC->GetPixel(2, 2), in->m_pDC->GetPixel(1, 1));

  JitterPixel(*out.m_pDC, 1, 1, 2, RGB(9, 9, 9), 2.0);  // no jitter: the colour itself
  EXPECT_EQ(out.m_pDC->GetPixel(2, 2), RGB(9, 9, 9));
  EXPECT_EQ(out.m_pDC->GetPixel(3, 3), RGB(9, 9, 9));
  EXPECT_NE(out.m_pDC->GetPixel(4, 4), RGB(9, 9, 9));
  JitterPixel(*out.m_pDC, 0, 0, 1, RGB(7, 7, 7), 2.0);
  EXPECT_EQ(out.m_pDC->GetPixel(0, 0), RGB(7, 7, 7));
  EXPECT_NE(out.m_pDC->GetPixel(1, 0), RGB(7, 7, 7));
}

TEST(XformHelpers, SkipRandomIsThatManyDraws) {
  for (const int n : {0, 1, 2, 7, 8, 1000, 65537}) {
    SeedRandom(12345);
    SkipRandom(n);
    const int iSkipped = RawRandom();
    EXPECT_EQ(iSkipped, DrawAfter(12345, n)) << n;
  }
  SeedRandom(3);
  SkipRandom(-5);  // nothing
  const int iNext = RawRandom();
  EXPECT_EQ(iNext, DrawAfter(3, 0));
}

// Counts and sizes that follow the proportions stop at those of a 1 : 4
// picture of the same area; ordinary pictures keep their own.
TEST(XformHelpers, ProportionsOfLongStripsAreBounded) {
  EXPECT_EQ(ProportionalCount(100, 300, 400), 75);
  EXPECT_EQ(ProportionalCount(100, 400, 100), 400);
  EXPECT_EQ(ProportionalCount(100, 30000, 1), 400);
  EXPECT_EQ(ProportionalCount(100, 5, 0), 0);
  EXPECT_EQ(CellGrid(1, 30000, 80).m_iRows, 320);
  EXPECT_EQ(CellGrid(640, 480, 80).m_iRows, 60);
  EXPECT_DOUBLE_EQ(BoundedDiagonal(300, 400), 500);
  EXPECT_DOUBLE_EQ(BoundedDiagonal(100, 400), std::sqrt(100.0 * 100 + 400.0 * 400));
  EXPECT_DOUBLE_EQ(BoundedDiagonal(4, 30000), BoundedDiagonal(30000, 4));
  EXPECT_NEAR(BoundedDiagonal(4, 30000), std::sqrt(17.0 / 4 * 120000), 1e-9);
  EXPECT_EQ(BoundedSide(400, 100), 400);  // exactly 1 : 4 keeps its side
  EXPECT_EQ(BoundedSide(100, 400), 100);
  EXPECT_NEAR(BoundedSide(30000, 4), std::sqrt(4.0 * 120000), 1e-9);
}
