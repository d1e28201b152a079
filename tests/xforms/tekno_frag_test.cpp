#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "engine/filspec.h"
#include "imaging/colour.h"
#include "imaging/constants.h"
#include "imaging/random.h"
#include "support/recording_reporter.h"
#include "xforms/tekno_frag.h"
#include "xforms/test_pictures.h"

namespace {
constexpr COLORREF kPaper = RGB(30, 40, 50);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

CFilSpec TeknoSpec(int bSolid, int iSeed = 31) {
  CFilSpec spec = SpecFor(XFORM_TEKNO_FRAG, iSeed);
  TeknoFragParams& p = spec.m_TeknoFrag;
  p.m_iNumber = 300;
  p.m_dSize = 10.0;
  p.m_bSolid1 = p.m_bSolid2 = bSolid;
  p.m_Background.m_crColour = kPaper;
  p.m_Background.m_bUsePicture = bSolid ? 0 : 1;
  return spec;
}
}  // namespace

TEST(TeknoFrag, ReproducibleAndSeeded) {
  auto in = MakeTestPicture(160, 100);
  for (int bSolid : {1, 0}) {
    const std::string csKind = bSolid ? "tekno_frag_solid" : "tekno_frag_picture";
    ExpectReproducedAndPinned(TeknoSpec(bSolid), *in, csKind);
    EXPECT_FALSE(SameSurfaces(*RunXform(TeknoSpec(bSolid), *in, 1).m_pOut,
                              *RunXform(TeknoSpec(bSolid, 32), *in, 1).m_pOut));
  }
  EXPECT_TRUE(TakeMessages().empty());
}

namespace {
void StopAtHalf(int iPercent, const char*) {
  if (iPercent >= 55 && iPercent <= 100) g_bStop = 1;
}
}  // namespace

TEST(TeknoFrag, StopsAndTheForceField) {
  auto in = MakeTestPicture(120, 80);
  CFilSpec picture = TeknoSpec(0);
  CFilSpec other = TeknoSpec(0);
  other.m_TeknoFrag.m_crColour1 = RGB(1, 2, 3);
  other.m_TeknoFrag.m_crColour2 = RGB(4, 5, 6);
  EXPECT_TRUE(SameSurfaces(*RunXform(picture, *in, 1).m_pOut, *RunXform(other, *in, 1).m_pOut));

  // A stop request makes the force field fail: with a solid colour nothing
  // at all is drawn; with both colours from the picture no field is built, so
  // the background is laid before the stop is noticed.
  picture.m_TeknoFrag.m_Background.m_bUsePicture = 0;
  for (int bSolid2 : {1, 0}) {
    picture.m_TeknoFrag.m_bSolid2 = bSolid2;
    g_bStop = 1;
    const CXformRun run = RunXform(picture, *in, 1);
    g_bStop = 0;
    EXPECT_EQ(run.m_iResult, 0);
    EXPECT_EQ(run.m_pOut->m_pDC->GetPixel(60, 40), bSolid2 ? RGB(0, 0, 0) : kPaper) << bSolid2;
  }

  // A stop half way leaves the rest of the triangles out.
  SetProgressHook(&StopAtHalf);
  const CXformRun stopped = RunXform(TeknoSpec(1), *in, 1);
  SetProgressHook(nullptr);
  EXPECT_EQ(g_bStop, 1);
  g_bStop = 0;
  EXPECT_EQ(stopped.m_iResult, 0);
  EXPECT_EQ(GetStatusText(), "");
  EXPECT_FALSE(SameSurfaces(*RunXform(TeknoSpec(1), *in, 1).m_pOut, *stopped.m_pOut));
}

TEST(TeknoFrag, ShadedTriangles) {
  // Rings from the far corners (fill colour) towards corner 0 (line colour),
  // cut to the triangle, then the outline in the fill colour.
  CDADC out(100, 100);
  const POINT aPts[3] = {{10, 10}, {90, 10}, {10, 90}};
  TeknoFragShadedTriangle(*out.m_pDC, aPts, kRed, kBlue, 1);
  const CDC& dc = *out.m_pDC;
  const COLORREF crNear = dc.GetPixel(15, 15), crFar = dc.GetPixel(80, 13);
  EXPECT_TRUE(GetBValue(crNear) > 200 && GetRValue(crNear) < 50) << crNear;
  EXPECT_TRUE(GetRValue(crFar) > 200 && GetBValue(crFar) < 50) << crFar;
  EXPECT_EQ(dc.GetPixel(50, 50), kRed);      // on the outline
  EXPECT_EQ(dc.GetPixel(60, 60), RGB(0, 0, 0));  // outside: the rings are clipped
  EXPECT_EQ(dc.GetPixel(5, 5), RGB(0, 0, 0));

  // Corner 1 or 2 within 4 a pixels of corner 0 in both directions: nothing,
  // not even the outline. Close in one direction only is drawn.
  for (int a : {1, 4}) {
    const int d = 4 * a - 1;
    const POINT aThin1[3] = {{40, 40}, {40 + d, 40 - d}, {90, 90}};
    const POINT aThin2[3] = {{40, 40}, {0, 90}, {40 - d, 40 + d}};
    const POINT aWide[3] = {{40, 40}, {40 + d + 1, 40}, {40, 40 + d + 1}};
    for (const POINT* pPts : {aThin1, aThin2}) {
      CDADC s(100, 100);
      TeknoFragShadedTriangle(*s.m_pDC, pPts, kRed, kBlue, a);
      EXPECT_TRUE(SameSurfaces(s, CDADC(100, 100))) << a;
    }
    CDADC s(100, 100);
    TeknoFragShadedTriangle(*s.m_pDC, aWide, kRed, kBlue, a);
    EXPECT_EQ(s.m_pDC->GetPixel(40, 40), kRed) << a;
  }
}

namespace {
// A shaded triangle as discs painted through the DC from the largest down,
// clipped to the triangle, then its outline.
void PaintedRings(CDC& dc, const POINT* pPts, COLORREF crFill, COLORREF crLine, int a) {
  const POINT& p0 = pPts[0];
  long long iMax2 = 0;
  for (int k = 1; k <= 2; ++k) {
    const long long dx = pPts[k].x - p0.x, dy = pPts[k].y - p0.y;
    if (std::abs(dx) < 4 * a && std::abs(dy) < 4 * a) return;  // too thin
    iMax2 = std::max(iMax2, dx * dx + dy * dy);
  }
  const int R0 = static_cast<int>(std::sqrt(static_cast<double>(iMax2))) + 1;
  HRGN hTriangle = CreatePolygonRgn(pPts, 3, ALTERNATE);
  dc.SelectClipRgn(hTriangle);
  dc.SelectObject(GetStockPen(NULL_PEN));
  for (int r = R0; r > 2; r -= 3 * a) {
    HBRUSH hBrush = CreateSolidBrush(BlendColour(static_cast<double>(r) / R0, crFill, crLine));
    HBRUSH hOld = dc.SelectObject(hBrush);
    dc.Ellipse(p0.x - r, p0.y - r, p0.x + r, p0.y + r);
    dc.SelectObject(hOld);
    DeleteObject(hBrush);
  }
  dc.SelectClipRgn(nullptr);
  DeleteObject(hTriangle);
  HPEN hPen = CreatePen(PS_SOLID, static_cast<int>(a * 1.5), crFill);
  dc.SelectObject(hPen);
  dc.SelectObject(GetStockBrush(NULL_BRUSH));
  dc.Polygon(pPts, 3);
  dc.SelectObject(GetStockPen(BLACK_PEN));
  DeleteObject(hPen);
}
}  // namespace

TEST(TeknoFrag, RingsWrittenOnceAsPaintedDiscs) {
  // Triangles of every size, partly or wholly off the surface, at every
  // quality: the same bytes as painting each disc in turn.
  SeedRandom(11);
  for (int i = 0; i < 300; ++i) {
    const int a = i % 3 == 0 ? 1 : (i % 3 == 1 ? 2 : 4);
    const int iReach = i % 2 ? 40 : 400;
    POINT aPts[3];
    for (POINT& pt : aPts) {
      pt.x = RandomInt(-iReach / 2, 150 + iReach / 2);
      pt.y = RandomInt(-iReach / 2, 120 + iReach / 2);
    }
    CDADC rings(150, 120), painted(150, 120);
    rings.m_pDC->FillSolidRect(0, 0, 150, 120, kPaper);
    painted.m_pDC->FillSolidRect(0, 0, 150, 120, kPaper);
    TeknoFragShadedTriangle(*rings.m_pDC, aPts, kRed, kBlue, a);
    PaintedRings(*painted.m_pDC, aPts, kRed, kBlue, a);
    ASSERT_TRUE(SameSurfaces(rings, painted)) << i;
  }
}

TEST(TeknoFrag, DrawOrderAndThinTriangles) {
  // Half a spread of 1 pixel: every shaded triangle is too thin to draw, so
  // the picture is the flat triangles alone, placed by the stated draws.
  auto in = MakeTestPicture(100, 100);
  TeknoFragParams p;
  p.m_iNumber = 200;
  p.m_dSize = 1.5;
  p.m_Background.m_crColour = kPaper;
  ASSERT_EQ(TeknoFragHalfSpread(p.m_dSize, 100, 100), 1);
  CDADC out(100, 100), drw(100, 100), expected(100, 100);
  XformContext ctx;
  ctx.m_pIn = in.get();
  ctx.m_pOut = &out;
  ctx.m_pDrw = &drw;
  SeedRandom(5);
  ASSERT_EQ(ApplyTeknoFrag(p, ctx), 1);
  const int iAfter = RawRandom();

  SeedRandom(5);
  expected.m_pDC->FillSolidRect(0, 0, 100, 100, kPaper);
  int iFlat = 0;
  for (int i = 0; i < p.m_iNumber; ++i) {
    const int cx = RandomInt(0, 99), cy = RandomInt(0, 99);
    POINT aPts[3];
    for (POINT& pt : aPts) {
      pt = POINT{cx, cy};
      JitterPoint(pt, 1, 100, 100);
    }
    const bool bSwap = RandomChance() == 1;
    if (RandomInt(0, 1) == 1) {
      TeknoFragFlatTriangle(*expected.m_pDC, aPts, bSwap ? p.m_crColour1 : p.m_crColour2,
                            bSwap ? p.m_crColour2 : p.m_crColour1, 1);
      ++iFlat;
    }
  }
  EXPECT_EQ(RawRandom(), iAfter);
  EXPECT_GT(iFlat, 50);
  EXPECT_TRUE(SameSurfaces(out, expected));
  EXPECT_EQ(GetStatusText(), "");
}

TEST(TeknoFrag, SpreadAutochooseAndForm) {
  TeknoFragParams p;
  EXPECT_EQ(TeknoFragHalfSpread(8.0, 300, 400), 20);   // 8 % of 500
  EXPECT_EQ(TeknoFragHalfSpread(100.0, 300, 400), 250);
  EXPECT_EQ(TeknoFragHalfSpread(100.5, 300, 400), 1);  // a spread of 3
  EXPECT_EQ(TeknoFragHalfSpread(-2.0, 300, 400), 0);   // a spread of 1
  EXPECT_EQ(TeknoFragHalfSpread(std::numeric_limits<double>::quiet_NaN(), 300, 400), 1);

  for (int iSeed = 0; iSeed < 100; ++iSeed) {
    SeedRandom(iSeed);
    AutochooseTeknoFrag(p);
    const int iNext = RawRandom();
    SeedRandom(iSeed);
    const double dSize = RandomReal(4, 12);
    ASSERT_EQ(p.m_dSize, dSize);
    ASSERT_EQ(p.m_iNumber, dSize < 6 ? RandomInt(850, 1400) : RandomInt(300, 1400));
    COLORREF cr2, cr1;
    RandomColourPair(cr2, cr1);
    ASSERT_EQ(p.m_crColour2, ScaleColour(cr2, 2));
    ASSERT_EQ(p.m_crColour1, ScaleColour(cr1, 3));
    int bSolid1 = 0, bSolid2 = 0;
    if (RandomInt(0, 100) > 74) {
      if (RandomInt(0, 100) >= 75)
        bSolid1 = bSolid2 = 1;
      else
        bSolid2 = RandomChance();
    }
    ASSERT_EQ(p.m_bSolid1, bSolid1);
    ASSERT_EQ(p.m_bSolid2, bSolid2);
    BackgroundSpec bg;
    ChooseBackground(bg, 0.5, 85);
    ASSERT_EQ(p.m_Background.m_bUsePicture, bg.m_bUsePicture);
    if (!bg.m_bUsePicture) {
      ASSERT_EQ(p.m_Background.m_crColour, bg.m_crColour);
    }
    ASSERT_EQ(RawRandom(), iNext);
  }

  // The radio pairs store the flag itself.
  const CFormRef form(kTeknoFragForm);
  std::string csError;
  ASSERT_TRUE(SetFieldFromText(form, &p, "colour_1_source", "image", csError)) << csError;
  EXPECT_EQ(p.m_bSolid1, 0);
  p.m_bSolid2 = 1;
  EXPECT_EQ(FieldText(form, &p, form.Find("colour_2_source")), "solid");
}
