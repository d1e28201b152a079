#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/filspec.h"
#include "imaging/colour.h"
#include "imaging/constants.h"
#include "imaging/random.h"
#include "support/recording_reporter.h"
#include "xforms/primitive_art.h"
#include "xforms/progress.h"
#include "xforms/test_pictures.h"

namespace {
CFilSpec PrimitiveSpec(int iSeed, int iShape = PRIMITIVE_CIRCLE) {
  CFilSpec spec = SpecFor(XFORM_PRIMITIVE_ART, iSeed);
  spec.m_PrimitiveArt.m_iShape = iShape;
  spec.m_PrimitiveArt.m_iDensity = 120;
  spec.m_PrimitiveArt.m_dFeatureWidth = 6.0;
  spec.m_PrimitiveArt.m_crLine = RGB(240, 200, 40);
  spec.m_PrimitiveArt.m_crPaper = RGB(40, 60, 90);
  return spec;
}

std::vector<std::string> g_aTexts;
void RecordTexts(int, const char* szText) {
  if (szText && *szText && (g_aTexts.empty() || g_aTexts.back() != szText))
    g_aTexts.push_back(szText);
}
const char* g_szStopAt = nullptr;
void StopAtText(int, const char* szText) {
  if (szText && g_szStopAt && std::string(szText) == g_szStopAt) g_bStop = 1;
}
void StopAt10(int iPercent, const char*) {
  if (iPercent == 10) g_bStop = 1;
}

int CountColour(const CDADC& s, COLORREF cr) {
  int n = 0;
  for (int y = 0; y < s.m_iHeight; ++y)
    for (int x = 0; x < s.m_iWidth; ++x) n += s.m_pDC->GetPixel(x, y) == cr;
  return n;
}
}  // namespace

TEST(PrimitiveArt, ReproducibleAndSeeded) {
  auto in = MakeTestPicture(240, 180);
  for (int q : {1, 2}) {
    const CXformRun a = RunXform(PrimitiveSpec(31), *in, q);
    const CXformRun b = RunXform(PrimitiveSpec(31), *in, q);
    ASSERT_EQ(a.m_iResult, 1);
    EXPECT_TRUE(SameSurfaces(*a.m_pOut, *b.m_pOut));
    const std::string csName = "primitive_art_q" + std::to_string(q);
    EXPECT_TRUE(CDigestFile::Get().Check(csName, SurfaceDigest(*a.m_pOut)))
        << csName << " " << SurfaceDigest(*a.m_pOut);
    EXPECT_GT(CountColour(*a.m_pOut, RGB(240, 200, 40)), 200 * q);
  }
  for (int iShape : {PRIMITIVE_SQUARE, PRIMITIVE_TRIANGLE}) {
    const CXformRun a = RunXform(PrimitiveSpec(31, iShape), *in, 1);
    ASSERT_EQ(a.m_iResult, 1);
    const std::string csName = "primitive_art_shape" + std::to_string(iShape);
    EXPECT_TRUE(CDigestFile::Get().Check(csName, SurfaceDigest(*a.m_pOut)))
        << csName << " " << SurfaceDigest(*a.m_pOut);
  }
  const CXformRun a = RunXform(PrimitiveSpec(31), *in, 1);
  const CXformRun square = RunXform(PrimitiveSpec(31, PRIMITIVE_SQUARE), *in, 1);
  EXPECT_FALSE(SameSurfaces(*a.m_pOut, *square.m_pOut));
  const CXformRun other = RunXform(PrimitiveSpec(32), *in, 1);
  EXPECT_FALSE(SameSurfaces(*a.m_pOut, *other.m_pOut));
  EXPECT_TRUE(TakeMessages().empty());
  EXPECT_EQ(GetStatusText(), "");
}

TEST(PrimitiveArt, PhasesAndShapeNone) {
  auto in = MakeTestPicture(100, 80);
  g_aTexts.clear();
  SetProgressHook(&RecordTexts);
  const CXformRun circles = RunXform(PrimitiveSpec(3), *in, 1);
  EXPECT_EQ(g_aTexts, (std::vector<std::string>{"Soaking tools...", "Baking...", "Insertion...",
                                                "Acretion..."}));
  // Without a shape there is no node drawer: the links only.
  g_aTexts.clear();
  const CXformRun none = RunXform(PrimitiveSpec(3, PRIMITIVE_NONE), *in, 1);
  SetProgressHook(nullptr);
  EXPECT_EQ(g_aTexts, (std::vector<std::string>{"Soaking tools...", "Baking...", "Insertion..."}));
  ASSERT_EQ(none.m_iResult, 1);
  EXPECT_GT(CountColour(*none.m_pOut, RGB(240, 200, 40)), 100);
  // The same paper and links: the circles only cover part of them.
  int iDiffer = 0;
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 100; ++x)
      iDiffer += none.m_pOut->m_pDC->GetPixel(x, y) != circles.m_pOut->m_pDC->GetPixel(x, y);
  EXPECT_GT(iDiffer, 0);
  EXPECT_LT(iDiffer, 100 * 80 / 2);
}

TEST(PrimitiveArt, PaperSpecksVaryWithDarkness) {
  // A black picture: the force is 0 everywhere, so the specks vary fully.
  CDADC black(60, 40);
  CFilSpec spec = PrimitiveSpec(12);
  spec.m_PrimitiveArt.m_crPaper = RGB(100, 100, 100);
  const CXformRun run = RunXform(spec, black, 2);
  ASSERT_EQ(run.m_iResult, 1);
  std::map<COLORREF, int> aColours;
  for (int y = 0; y < 80; y += 2)
    for (int x = 0; x < 120; x += 2) {
      const COLORREF cr = run.m_pOut->m_pDC->GetPixel(x, y);
      ++aColours[cr];
      // Specks are whole 2 x 2 blocks.
      ASSERT_EQ(run.m_pOut->m_pDC->GetPixel(x + 1, y + 1), cr);
    }
  const int iPlain = aColours[RGB(100, 100, 100)];
  EXPECT_GT(iPlain, 60 * 40 * 70 / 100);  // about four pixels in five stay plain
  EXPECT_LT(iPlain, 60 * 40 * 90 / 100);
  EXPECT_GT(aColours.size(), 50u);
}

TEST(PrimitiveArt, StopInEachPhase) {
  auto in = MakeTestPicture(100, 80);
  const COLORREF crPaper = RGB(40, 60, 90);
  // During the paper: it ends after the first column, nothing else is drawn.
  SetProgressHook(&StopAt10);
  const CXformRun paper = RunXform(PrimitiveSpec(4), *in, 1);
  SetProgressHook(nullptr);
  EXPECT_EQ(g_bStop, 1);
  g_bStop = 0;
  EXPECT_EQ(paper.m_iResult, 0);
  for (int x = 1; x < 100; ++x)
    for (int y = 0; y < 80; ++y) ASSERT_EQ(paper.m_pOut->m_pDC->GetPixel(x, y), crPaper);
  EXPECT_EQ(GetStatusText(), "");

  // While linking: no links are drawn. While drawing links: no nodes.
  for (const char* sz : {"Baking...", "Insertion..."}) {
    g_szStopAt = sz;
    g_aTexts.clear();
    SetProgressHook(&StopAtText);
    const CXformRun run = RunXform(PrimitiveSpec(4), *in, 1);
    SetProgressHook(nullptr);
    EXPECT_EQ(g_bStop, 1) << sz;
    g_bStop = 0;
    EXPECT_EQ(run.m_iResult, 0) << sz;
    const int iLine = CountColour(*run.m_pOut, RGB(240, 200, 40));
    if (std::string(sz) == "Baking...")
      EXPECT_EQ(iLine, 0);
    else
      EXPECT_GT(iLine, 0);
  }
  g_szStopAt = nullptr;
}

TEST(PrimitiveArt, GradedLinks) {
  // One horizontal link in three passes: widths 3, 2, 1 in a third, two thirds
  // and all of the colour, the first two merged, the last copied.
  CDADC out(40, 20);
  CDC& dc = *out.m_pDC;
  const COLORREF cr = RGB(90, 150, 240);
  const std::vector<CNetNode> aNodes{{200, 5, 10}, {200, 35, 10}};
  const std::vector<CNetLink> aLinks{{0, 1}};
  const HPEN hPen = dc.GetCurrentPen();
  CGradedLinkDrawer(cr, 3).DrawLinks(dc, 1, aNodes, aLinks);
  EXPECT_EQ(dc.GetCurrentPen(), hPen);
  EXPECT_EQ(dc.GetROP2(), R2_COPYPEN);
  std::multiset<COLORREF> aColumn;
  for (int y = 0; y < 20; ++y)
    if (dc.GetPixel(20, y) != 0) aColumn.insert(dc.GetPixel(20, y));
  const COLORREF c1 = ScaleColour(cr, 1.0 / 3), c2 = ScaleColour(cr, 2.0 / 3);
  EXPECT_EQ(aColumn, (std::multiset<COLORREF>{c1, c1 | c2, cr}));
  EXPECT_EQ(dc.GetPixel(20, 10), cr);
  // No passes, no links.
  CDADC empty(40, 20);
  CGradedLinkDrawer(cr, 0).DrawLinks(*empty.m_pDC, 1, aNodes, aLinks);
  EXPECT_EQ(CountColour(empty, 0), 40 * 20);
}

TEST(PrimitiveArt, NodeShapes) {
  const COLORREF crLine = RGB(200, 100, 50), crFill = RGB(10, 20, 30);
  // Radius (v - 127) r0 / 255 + r0 with r0 = s size / 2: 20 at v = 127,
  // 30 at v = 255, 11 at v = 0 (half of r0 roughly, never 0).
  auto extent = [&](int v, int iShape) {
    CDADC out(100, 100);
    CShapeNodeDrawer drawer(crLine, crFill, 40, 0, iShape);
    SeedRandom(1);
    drawer.DrawNode(*out.m_pDC, 1, CNetNode{v, 50, 50});
    drawer.End(*out.m_pDC);
    int iRight = 0;
    for (int x = 50; x < 100; ++x)
      if (out.m_pDC->GetPixel(x, 50) != 0) iRight = x - 50;
    EXPECT_EQ(out.m_pDC->GetPixel(50, 50), crFill);
    return iRight;
  };
  EXPECT_EQ(extent(127, PRIMITIVE_CIRCLE), 19);
  EXPECT_EQ(extent(255, PRIMITIVE_CIRCLE), 29);
  EXPECT_EQ(extent(0, PRIMITIVE_CIRCLE), 10);

  // Graded outlines: e + 1 passes, the outermost ring darkest; the shape
  // filled with the fill colour; squares and triangles use the rotation drawn.
  for (int iShape : {int{PRIMITIVE_CIRCLE}, int{PRIMITIVE_SQUARE}, int{PRIMITIVE_TRIANGLE}, 3}) {
    CDADC out(100, 100);
    CDC& dc = *out.m_pDC;
    CShapeNodeDrawer drawer(crLine, crFill, 60, 2, iShape);
    SeedRandom(7);
    const int iSaved = dc.SaveDC();
    drawer.DrawNode(dc, 1, CNetNode{127, 50, 50});
    const int iAfter = RawRandom();
    dc.RestoreDC(iSaved);
    drawer.End(dc);
    SeedRandom(7);
    RandomReal(0, 3.14159);
    EXPECT_EQ(RawRandom(), iAfter);  // one draw per node
    EXPECT_EQ(dc.GetPixel(50, 50), crFill) << iShape;
    EXPECT_GT(CountColour(out, crLine), 0) << iShape;
    EXPECT_GT(CountColour(out, ScaleColour(crLine, 1.0 / 3)), 0) << iShape;
  }
}

TEST(PrimitiveArt, ValidationAutochooseAndSizes) {
  PrimitiveArtParams p;
  p.m_iDensity = 5000;
  p.m_iShape = 3;
  EXPECT_EQ(ValidatePrimitiveArt(p), 1);
  EXPECT_EQ(p.m_iDensity, 5000);
  EXPECT_EQ(p.m_iShape, 3);

  EXPECT_EQ(PercentOfDiagonal(3.5, 300, 400), 17);
  EXPECT_EQ(PercentOfDiagonal(1.75, 300, 400), 8);
  EXPECT_EQ(PercentOfDiagonal(-1, 300, 400), 3);
  EXPECT_EQ(PercentOfDiagonal(101, 300, 400), 3);
  EXPECT_EQ(PercentOfDiagonal(std::nan(""), 300, 400), 3);

  p.m_bWizard = 0;
  AreaSelection sel;
  sel.SetHsv(120, 0.5, 0.5);
  sel.SetSmooth(4);
  std::map<int, int> aShapes;
  for (int iSeed = 0; iSeed < 200; ++iSeed) {
    SeedRandom(iSeed);
    AutochoosePrimitiveArt(p, sel);
    const int iNext = RawRandom();
    SeedRandom(iSeed);
    EXPECT_EQ(p.m_crLine, RandomColour());
    EXPECT_EQ(p.m_crPaper, RandomColour());
    EXPECT_EQ(sel.m_bInvert, RandomInt(0, 100) < 20 ? 1 : 0);
    EXPECT_EQ(p.m_iDensity, RandomInt(80, 300));
    EXPECT_EQ(p.m_iAreaCovered, RandomInt(5, 60));
    EXPECT_EQ(p.m_dFeatureWidth, RandomReal(3.5, 6));
    const int r = RandomInt(1, 100);
    EXPECT_EQ(p.m_iShape, r <= 24 ? 0 : (r < 50 ? 2 : (r > 74 ? 4 : 1)));
    EXPECT_EQ(RawRandom(), iNext);
    ++aShapes[p.m_iShape];
  }
  // The selection is reset (only the invert flag is drawn).
  EXPECT_EQ(sel.m_dHue, 0.0);
  EXPECT_EQ(sel.m_iSmooth, 0);
  EXPECT_EQ(p.m_bWizard, 0);
  EXPECT_EQ(aShapes.size(), 4u);
}
