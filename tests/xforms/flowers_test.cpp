#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/filspec.h"
#include "imaging/constants.h"
#include "imaging/force_field.h"
#include "imaging/gdi_helpers.h"
#include "imaging/random.h"
#include "imaging/xform_helpers.h"
#include "support/recording_reporter.h"
#include "xforms/flowers.h"
#include "xforms/test_pictures.h"

namespace {
constexpr COLORREF kCentre = RGB(255, 0, 255);

CFilSpec FlowersSpec(int iSeed, int iFlowers) {
  CFilSpec spec = SpecFor(XFORM_FLOWERS, iSeed);
  spec.m_Flowers.m_iFlowers = iFlowers;
  spec.m_Flowers.m_crCentre = kCentre;
  spec.m_Flowers.m_dCentreSize = 3.0;
  spec.m_Flowers.m_dVariability = 0.0;  // exact colours
  return spec;
}

}  // namespace

TEST(Flowers, ReproducedPinnedAndFlowersOnlyWhereAsked) {
  auto in = MakeTestPicture(120, 80);
  CFilSpec spec = FlowersSpec(5, 60);
  spec.m_Flowers.m_dVariability = 0.3;
  ExpectReproducedAndPinned(spec, *in, "flowers");
  spec.m_Flowers.m_bDerived = 1;
  ExpectReproducedAndPinned(spec, *in, "flowers_derived");

  // Centres appear with flowers; none without, nor on a picture whose field
  // never reaches the threshold (Blossoming gives up after its tries).
  EXPECT_GT(CountColour(*RunXform(FlowersSpec(5, 60), *in, 1).m_pOut, kCentre), 0);
  const CXformRun none = RunXform(FlowersSpec(5, 0), *in, 1);
  EXPECT_EQ(none.m_iResult, 1);
  EXPECT_EQ(CountColour(*none.m_pOut, kCentre), 0);
  CDADC black(60, 40);
  const CXformRun dark = RunXform(FlowersSpec(5, 300), black, 1);
  EXPECT_EQ(dark.m_iResult, 1);
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(Flowers, LeafAndPetalCountsStayWithinTheirLimits) {
  // Variability adds petals: 9 petals at 0.45 give 9 .. 13.
  EXPECT_EQ(FlowersPetalCount(9, 0.0), 9);
  EXPECT_EQ(FlowersPetalCount(9, 0.45), 13);
  EXPECT_EQ(FlowersPetalCount(2000000000, 0.45), kMaxPetals);
  EXPECT_EQ(FlowersLeafCount(2.0, 1000, 1000, 1.0, 1.0), 8000);
  EXPECT_EQ(FlowersLeafCount(2.0, 100, 100, 50.0, 50.0), 50);
  EXPECT_EQ(FlowersLeafCount(2.5, 400, 300, 15.0, 4.0), 5000);  // trunc(2.5 × 2000)
  // Sizes of 0 or not a number (hand-made recipes) stay within the limits
  // instead of turning an infinite count into an undefined integer.
  EXPECT_EQ(FlowersLeafCount(2.0, 400, 300, 0.0, 1.0), 8000);
  EXPECT_EQ(FlowersLeafCount(2.0, 400, 300, std::numeric_limits<double>::quiet_NaN(), 1.0), 50);
}

TEST(Flowers, PetalAndLeafOutlinesLandOnHandComputedPoints) {
  // Petal (kind 1, offset 0.5) scaled (10, 4), turned a quarter, moved to (100, 50).
  const auto pPetal = MakeOutline(OUTLINE_PETAL, 0.5);
  const CMatrix m = CMatrix::Compose(CVec(10, 4, 1), HALF_PI, CVec(100, 50, 0));
  const struct { int i; double x, y; } aExpected[] = {
      {0, 100, 50}, {5, 100, 60}, {2, 96, 56.5}, {8, 104, 56.5}};
  for (const auto& e : aExpected) {
    const CVec v = TransformPoint(m, pPetal->GetVertex(e.i));
    EXPECT_NEAR(v.x(), e.x, 1e-3) << e.i;
    EXPECT_NEAR(v.y(), e.y, 1e-3) << e.i;
  }
  // The sine leaf is a lens centred on its offset: vertex 2 is (-0.1, sin(0.4 pi) / 2).
  const auto pLeaf = MakeOutline(OUTLINE_SINE_LEAF, 0.0);
  EXPECT_NEAR(pLeaf->GetVertex(2).x(), -0.1, 1e-9);
  EXPECT_NEAR(pLeaf->GetVertex(2).y(), 0.4755283, 1e-6);
  EXPECT_NEAR(pLeaf->GetVertex(7).y(), -0.4755283, 1e-6);

  // Drawn, the petal covers its inside and nothing behind its rotation point.
  CDADC out(200, 100);
  OutlineStyle style;
  style.m_crPen = style.m_crFill = RGB(0, 200, 0);
  style.m_bFill = 1;
  DrawOutline(*out.m_pDC, *pPetal, style, CVec(20, 8, 1), HALF_PI, CVec(100, 50, 0));
  EXPECT_EQ(out.m_pDC->GetPixel(100, 60), RGB(0, 200, 0));
  EXPECT_EQ(out.m_pDC->GetPixel(100, 45), RGB(0, 0, 0));
}

TEST(Flowers, AMissingOutlineDrawsNothingAndFailsThePhase) {
  auto in = MakeTestPicture(40, 30);
  CDADC out(40, 30);
  CDADC drw(40, 30);
  XformContext ctx;
  ctx.m_pIn = in.get();
  ctx.m_pOut = &out;
  ctx.m_pDrw = &drw;
  const ForceFieldMap pField = MakeForceField(in.get(), ctx.m_Select, nullptr);
  FlowersParams p;
  CMeadow meadow{p, ctx, *out.m_pDC, pField.get(), 40, 30, 1};
  SeedRandom(7);
  EXPECT_EQ(meadow.Grow(nullptr), 0);
  EXPECT_EQ(meadow.Blossom(nullptr), 0);
  const int iNext = RawRandom();
  SeedRandom(7);
  EXPECT_EQ(RawRandom(), iNext);  // nothing was drawn at random
  EXPECT_EQ(SurfaceDigest(out), SurfaceDigest(CDADC(40, 30)));
}
