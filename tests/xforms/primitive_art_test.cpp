#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "engine/filspec.h"
#include "imaging/colour.h"
#include "imaging/constants.h"
#include "imaging/random.h"
#include "imaging/row_blocks.h"
#include "support/recording_reporter.h"
#include "xforms/primitive_art.h"
#include "xforms/progress.h"
#include "xforms/test_pictures.h"

namespace {
constexpr COLORREF kLine = RGB(240, 200, 40), kPaper = RGB(40, 60, 90);

CFilSpec PrimitiveSpec(int iSeed, int iShape = PRIMITIVE_CIRCLE) {
  CFilSpec spec = SpecFor(XFORM_PRIMITIVE_ART, iSeed);
  spec.m_PrimitiveArt.m_iShape = iShape;
  spec.m_PrimitiveArt.m_iDensity = 120;
  spec.m_PrimitiveArt.m_dFeatureWidth = 6.0;
  spec.m_PrimitiveArt.m_crLine = kLine;
  spec.m_PrimitiveArt.m_crPaper = kPaper;
  return spec;
}

std::vector<std::string> g_aTexts;
const char* g_szStopAt = nullptr;
void RecordTexts(int iPercent, const char* szText) {
  if (szText && *szText && (g_aTexts.empty() || g_aTexts.back() != szText))
    g_aTexts.push_back(szText);
  // A stop at a text, or as the paper begins (10 %).
  if (g_szStopAt && (szText ? std::string(szText) == g_szStopAt : iPercent == 10 && !*g_szStopAt))
    g_bStop = 1;
}
}  // namespace

TEST(PrimitiveArt, ReproducibleAndSeededInEveryShape) {
  auto in = MakeTestPicture(240, 180);
  for (int q : {1, 2}) {
    const CXformRun a = RunXform(PrimitiveSpec(31), *in, q);
    ASSERT_EQ(a.m_iResult, 1);
    EXPECT_TRUE(SameSurfaces(*a.m_pOut, *RunXform(PrimitiveSpec(31), *in, q).m_pOut));
    const std::string csName = "primitive_art_q" + std::to_string(q);
    EXPECT_TRUE(CDigestFile::Get().Check(csName, SurfaceDigest(*a.m_pOut)))
        << csName << " " << SurfaceDigest(*a.m_pOut);
  }
  const CXformRun a = RunXform(PrimitiveSpec(31), *in, 1);
  for (int iShape : {PRIMITIVE_SQUARE, PRIMITIVE_TRIANGLE}) {
    const CXformRun b = RunXform(PrimitiveSpec(31, iShape), *in, 1);
    const std::string csName = "primitive_art_shape" + std::to_string(iShape);
    EXPECT_TRUE(CDigestFile::Get().Check(csName, SurfaceDigest(*b.m_pOut)))
        << csName << " " << SurfaceDigest(*b.m_pOut);
    EXPECT_FALSE(SameSurfaces(*a.m_pOut, *b.m_pOut));
  }
  EXPECT_FALSE(SameSurfaces(*a.m_pOut, *RunXform(PrimitiveSpec(32), *in, 1).m_pOut));
  for (int w : {1, 2, 3}) {
    EXPECT_EQ(RunXform(PrimitiveSpec(5), *MakeTestPicture(w, 2), 4).m_iResult, 1);
  }
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(PrimitiveArt, PhasesStopsAndShapeNone) {
  auto in = MakeTestPicture(100, 80);
  SetProgressHook(&RecordTexts);
  g_aTexts.clear();
  const CXformRun circles = RunXform(PrimitiveSpec(3), *in, 1);
  EXPECT_EQ(g_aTexts, (std::vector<std::string>{"Soaking tools...", "Baking...", "Insertion...",
                                                "Acretion..."}));
  // Without a shape there is no node drawer: the same paper and links.
  g_aTexts.clear();
  const CXformRun none = RunXform(PrimitiveSpec(3, PRIMITIVE_NONE), *in, 1);
  EXPECT_EQ(g_aTexts, (std::vector<std::string>{"Soaking tools...", "Baking...", "Insertion..."}));
  ASSERT_EQ(none.m_iResult, 1);
  EXPECT_GT(CountColour(*none.m_pOut, kLine), 100);
  int iDiffer = 0;
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 100; ++x)
      iDiffer += none.m_pOut->m_pDC->GetPixel(x, y) != circles.m_pOut->m_pDC->GetPixel(x, y);
  EXPECT_GT(iDiffer, 0);
  EXPECT_LT(iDiffer, 100 * 80 / 2);

  // A stop in the paper ends it after the first column; one while linking
  // draws no links; one while the links are drawn leaves the nodes out.
  for (const char* sz : {"", "Baking...", "Insertion..."}) {
    g_szStopAt = sz;
    g_aTexts.clear();
    const CXformRun run = RunXform(PrimitiveSpec(4), *in, 1);
    EXPECT_EQ(g_bStop, 1) << sz;
    g_bStop = 0;
    EXPECT_EQ(run.m_iResult, 0) << sz;
    EXPECT_EQ(GetStatusText(), "");
    EXPECT_EQ(g_aTexts.back(), *sz ? sz : "Soaking tools...");
    const int iLine = CountColour(*run.m_pOut, kLine);
    EXPECT_EQ(iLine > 0, std::string(sz) == "Insertion...") << sz;
    for (int x = 1; !*sz && x < 100; ++x) ASSERT_EQ(run.m_pOut->m_pDC->GetPixel(x, 40), kPaper);
  }
  g_szStopAt = nullptr;
  SetProgressHook(nullptr);
}

// The paper written a band of columns at a time, or drawn speck by speck
// through a clipped DC: the same picture (the links after it draw on from
// where the paper's draws leave the generator).
TEST(PrimitiveArt, SamePaperHoweverWritten) {
  auto in = MakeTestPicture(150, 61);
  for (int q : {1, 2}) {
    const CFilSpec spec = PrimitiveSpec(8);
    CXformRun clipped;
    clipped.m_pOut = std::make_unique<CDADC>(150 * q, 61 * q);
    clipped.m_pDrw = std::make_unique<CDADC>(150, 61);
    clipped.m_pOut->m_pDC->SelectClipRgn(CreateRectRgn(0, 0, 150 * q, 61 * q));
    CFilSpec copy = spec;
    copy.SetDCs(clipped.m_pDrw.get(), clipped.m_pOut.get(), in.get());
    ASSERT_EQ(copy.Apply(), 1);
    // On this thread alone, and beside a thread writing the bands.
    for (int iBlocks : {1, 2}) {
      LimitRowBlocks(iBlocks);
      const CXformRun plain = RunXform(spec, *in, q);
      ASSERT_EQ(plain.m_iResult, 1);
      EXPECT_TRUE(SameSurfaces(*plain.m_pOut, *clipped.m_pOut)) << q << " " << iBlocks;
      // A stop as the paper begins: the first column drawn, the rest plain.
      SetProgressHook(&RecordTexts);
      g_szStopAt = "";
      const CXformRun stopped = RunXform(spec, *in, q);
      g_szStopAt = nullptr;
      g_bStop = 0;
      SetProgressHook(nullptr);
      EXPECT_EQ(stopped.m_iResult, 0);
      int iPlain = 0;
      for (int y = 0; y < 61 * q; ++y)
        for (int x = q; x < 150 * q; ++x) iPlain += stopped.m_pOut->m_pDC->GetPixel(x, y) == kPaper;
      EXPECT_EQ(iPlain, 149 * 61 * q * q) << q << " " << iBlocks;
    }
    LimitRowBlocks(0);
  }
}

TEST(PrimitiveArt, GradedLinksAndShapes) {
  // One horizontal link in three passes: widths 3, 2, 1 in a third, two thirds
  // and all of the colour, the first two merged, the last copied.
  CDADC out(40, 20);
  CDC& dc = *out.m_pDC;
  const COLORREF cr = RGB(90, 150, 240);
  const HPEN hPen = dc.GetCurrentPen();
  CGradedLinkDrawer(cr, 3).DrawLinks(dc, 1, {{200, 5, 10}, {200, 35, 10}}, {{0, 1}});
  EXPECT_EQ(dc.GetCurrentPen(), hPen);
  EXPECT_EQ(dc.GetROP2(), R2_COPYPEN);
  std::multiset<COLORREF> aColumn;
  for (int y = 0; y < 20; ++y)
    if (dc.GetPixel(20, y) != 0) aColumn.insert(dc.GetPixel(20, y));
  const COLORREF c1 = ScaleColour(cr, 1.0 / 3), c2 = ScaleColour(cr, 2.0 / 3);
  EXPECT_EQ(aColumn, (std::multiset<COLORREF>{c1, c1 | c2, cr}));
  EXPECT_EQ(dc.GetPixel(20, 10), cr);

  // Radius (v - 127) r0 / 255 + r0, r0 = s size / 2 = 20: 20 at v = 127, 30
  // at 255, 11 at 0; filled with the fill colour; one rotation draw per node.
  const COLORREF crFill = RGB(10, 20, 30);
  auto rightmost = [&](int v, int iShape, int iPasses) {
    CDADC node(100, 100);
    CShapeNodeDrawer drawer(cr, crFill, 40, iPasses, iShape);
    SeedRandom(1);
    drawer.DrawNode(*node.m_pDC, 1, CNetNode{v, 50, 50});
    const int iAfter = RawRandom();
    SeedRandom(1);
    RandomReal(0, 3.14159);
    EXPECT_EQ(RawRandom(), iAfter);
    EXPECT_EQ(node.m_pDC->GetPixel(50, 50), crFill);
    EXPECT_EQ(iPasses > 0, CountColour(node, c1) > 0);  // the outermost of 3 passes
    int iRight = 0;
    for (int x = 50; x < 100; ++x)
      if (node.m_pDC->GetPixel(x, 50) != 0) iRight = x - 50;
    return iRight;
  };
  EXPECT_EQ(rightmost(127, PRIMITIVE_CIRCLE, 0), 19);
  EXPECT_EQ(rightmost(255, PRIMITIVE_CIRCLE, 0), 29);
  EXPECT_EQ(rightmost(0, PRIMITIVE_CIRCLE, 0), 10);
  for (int iShape : {int{PRIMITIVE_CIRCLE}, int{PRIMITIVE_SQUARE}, int{PRIMITIVE_TRIANGLE}, 3})
    EXPECT_LE(rightmost(127, iShape, 2), 22) << iShape;
}

TEST(PrimitiveArt, ValidationAutochooseAndSizes) {
  PrimitiveArtParams p;
  p.m_iDensity = 5000;
  EXPECT_EQ(ValidatePrimitiveArt(p), 1);
  EXPECT_EQ(p.m_iDensity, 5000);
  EXPECT_EQ(PercentOfDiagonal(3.5, 300, 400), 17);
  EXPECT_EQ(PercentOfDiagonal(-1, 300, 400), 3);
  EXPECT_EQ(PercentOfDiagonal(101, 300, 400), 3);

  p.m_bWizard = 0;
  AreaSelection sel;
  sel.SetHsv(120, 0.5, 0.5);
  sel.SetSmooth(4);
  std::set<int> aShapes;
  for (int iSeed = 0; iSeed < 100; ++iSeed) {
    SeedRandom(iSeed * 7919);
    AutochoosePrimitiveArt(p, sel);
    const int iNext = RawRandom();
    SeedRandom(iSeed * 7919);
    EXPECT_EQ(p.m_crLine, RandomColour());
    EXPECT_EQ(p.m_crPaper, RandomColour());
    EXPECT_EQ(sel.m_bInvert, RandomInt(0, 100) < 20 ? 1 : 0);
    EXPECT_EQ(p.m_iDensity, RandomInt(80, 300));
    EXPECT_EQ(p.m_iAreaCovered, RandomInt(5, 60));
    EXPECT_EQ(p.m_dFeatureWidth, RandomReal(3.5, 6));
    const int r = RandomInt(1, 100);
    EXPECT_EQ(p.m_iShape, r <= 24 ? 0 : (r < 50 ? 2 : (r > 74 ? 4 : 1)));
    EXPECT_EQ(RawRandom(), iNext);
    aShapes.insert(p.m_iShape);
  }
  EXPECT_EQ(sel.m_iSmooth, 0);  // the selection is reset
  EXPECT_EQ(sel.m_dHue, 0.0);
  EXPECT_EQ(aShapes.size(), 4u);
}
