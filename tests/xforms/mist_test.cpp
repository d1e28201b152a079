#include <gtest/gtest.h>

#include "engine/filspec.h"
#include "imaging/colour.h"
#include "imaging/force_field.h"
#include "imaging/random.h"
#include "xforms/mist.h"
#include "xforms/test_pictures.h"

namespace {
constexpr COLORREF kMist = RGB(240, 230, 90), kGround = RGB(10, 30, 120);

CFilSpec MistSpec() {
  CFilSpec spec = SpecFor(XFORM_MIST, 7);
  MistParams& p = spec.m_Mist;
  p.m_crMist = kMist, p.m_crBackground = kGround;
  p.m_dFrequency = 0.7, p.m_dWind = 6.0, p.m_dCoupling = 0.08;
  return spec;
}
}  // namespace

TEST(Mist, ReproducibleAndPinned) {
  auto in = MakeTestPicture(90, 60);
  ExpectReproducedAndPinned(MistSpec(), *in, "mist");
}

TEST(Mist, EveryPixelIsTheNormalisedTexture) {
  // The texture worked out pixel by pixel, stretched from Color B (darkest)
  // to Color A (brightest), in s x s blocks.
  auto in = MakeTestPicture(70, 40);
  const CFilSpec spec = MistSpec();
  const CXformRun run = RunXform(spec, *in, 2);
  ASSERT_EQ(run.m_iResult, 1);
  ForceFieldMap pField = MakeForceField(in.get(), AreaSelection{}, nullptr);
  std::vector<double> aNoise;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 70; ++x)
      aNoise.push_back(MistNoise(spec.m_Mist, x, y, 70, 40, ForceAt(pField, x, y, 70)));
  const auto [itMin, itMax] = std::minmax_element(aNoise.begin(), aNoise.end());
  int iA = 0, iB = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 70; ++x) {
      const double t = (aNoise[y * 70 + x] - *itMin) / (*itMax - *itMin);
      const COLORREF cr = BlendColour(t, kMist, kGround);
      iA += cr == kMist, iB += cr == kGround;
      for (int k = 0; k < 4; ++k)
        ASSERT_EQ(run.m_pOut->m_pDC->GetPixel(2 * x + k % 2, 2 * y + k / 2), cr) << x << "," << y;
    }
  EXPECT_GE(iA, 1);
  EXPECT_GE(iB, 1);
}

TEST(Mist, NoRangeGivesTheBackground) {
  // One pixel: the texture has no range, the block is Color B.
  CDADC in(1, 1);
  const CXformRun run = RunXform(MistSpec(), in, 4);
  EXPECT_EQ(run.m_iResult, 1);
  for (int k = 0; k < 16; ++k) EXPECT_EQ(run.m_pOut->m_pDC->GetPixel(k % 4, k / 4), kGround);
}

TEST(Mist, AutochooseKeepsTheWindToTheFrequency) {
  MistParams p;
  int iWhite = 0;
  for (int iSeed = 1; iSeed < 60; ++iSeed) {
    SeedRandom(iSeed * 7919);
    AutochooseMist(p);
    EXPECT_TRUE(p.m_dFrequency >= 0.1 && p.m_dFrequency <= 1.1);
    EXPECT_TRUE(p.m_dWind >= p.m_dFrequency * 0.5 && p.m_dWind <= p.m_dFrequency * 20);
    EXPECT_TRUE(p.m_dCoupling >= 0.01 && p.m_dCoupling <= 0.1);
    iWhite += p.m_crMist == RGB(255, 255, 255) && p.m_crBackground == 0;
  }
  EXPECT_TRUE(iWhite > 5 && iWhite < 40) << iWhite;
}
