#include <gtest/gtest.h>

#include <cmath>

#include "engine/filspec.h"
#include "imaging/colour.h"
#include "imaging/constants.h"
#include "imaging/force_field.h"
#include "imaging/random.h"
#include "support/recording_reporter.h"
#include "xforms/clouds.h"
#include "xforms/test_pictures.h"

namespace {
CFilSpec CloudsSpec(int iSeed) {
  CFilSpec spec = SpecFor(XFORM_CLOUDS, iSeed);
  spec.m_Clouds.m_iCoverage = 40;
  spec.m_Clouds.m_iDetail = 5;
  return spec;
}
}  // namespace

TEST(Clouds, ReproducibleAndSeeded) {
  auto in = MakeTestPicture(120, 80);
  const CXformRun a = RunXform(CloudsSpec(1234), *in, 1);
  const CXformRun b = RunXform(CloudsSpec(1234), *in, 1);
  const CXformRun c = RunXform(CloudsSpec(1235), *in, 1);
  ASSERT_EQ(a.m_iResult, 1);
  EXPECT_TRUE(SameSurfaces(*a.m_pOut, *b.m_pOut));
  EXPECT_FALSE(SameSurfaces(*a.m_pOut, *c.m_pOut));
  EXPECT_TRUE(CDigestFile::Get().Check("clouds_q1", SurfaceDigest(*a.m_pOut)))
      << SurfaceDigest(*a.m_pOut);

  // At quality 2 every value of the input grid fills a 2 x 2 block: the same sky, larger.
  const CXformRun q2 = RunXform(CloudsSpec(1234), *in, 2);
  ASSERT_EQ(q2.m_iResult, 1);
  EXPECT_TRUE(CDigestFile::Get().Check("clouds_q2", SurfaceDigest(*q2.m_pOut)))
      << SurfaceDigest(*q2.m_pOut);
  for (int y = 0; y < 80; y += 7)
    for (int x = 0; x < 120; x += 5)
      for (int d = 0; d < 4; ++d)
        ASSERT_EQ(q2.m_pOut->m_pDC->GetPixel(2 * x + d % 2, 2 * y + d / 2),
                  a.m_pOut->m_pDC->GetPixel(x, y));
  EXPECT_TRUE(TakeMessages().empty());
}

namespace {
void StopAt20(int iPercent, const char*) {
  if (iPercent >= 20) g_bStop = 1;
}
}  // namespace

TEST(Clouds, StopEndsTheRunEarly) {
  auto in = MakeTestPicture(60, 40);
  SetProgressHook(&StopAt20);
  const CXformRun run = RunXform(CloudsSpec(7), *in, 1);
  SetProgressHook(nullptr);
  EXPECT_EQ(run.m_iResult, 0);
  EXPECT_EQ(g_bStop, 1);
  g_bStop = 0;
  EXPECT_EQ(g_iProgress, 101);  // the final progress is still set
  // A stop while the range is measured leaves nothing drawn.
  for (int y = 0; y < 40; ++y) ASSERT_EQ(run.m_pOut->m_pDC->GetPixel(30, y), RGB(0, 0, 0));
}

TEST(Clouds, FlatTextureLeavesTheForceFieldAlone) {
  // One pixel: the texture's range is empty; the cloud density is the force alone.
  auto in = MakeTestPicture(1, 1);
  const CFilSpec spec = CloudsSpec(3);
  const CXformRun run = RunXform(spec, *in, 4);
  ASSERT_EQ(run.m_iResult, 1);
  ForceFieldMap field = MakeForceField(in.get(), spec.m_Select, &g_bStop);
  ASSERT_TRUE(field);
  const double T = ForceFieldThreshold(spec.m_Clouds.m_iCoverage, field.get(), 1) / 255.0;
  const COLORREF cr = CloudColour(spec.m_Clouds, T, 0.67 * (field[0] / 255.0), 1.0);
  EXPECT_EQ(run.m_pOut->m_pDC->GetPixel(3, 3), cr);
}

TEST(Clouds, ColourBands) {
  const CloudsParams p;
  const double T = 0.5;
  EXPECT_EQ(CloudColour(p, T, 0.2, 1.0), p.m_crHighSky);
  EXPECT_EQ(CloudColour(p, T, 0.2, 0.0), p.m_crLowSky);
  auto near = [](COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= 1 && std::abs(GetGValue(a) - GetGValue(b)) <= 1 &&
           std::abs(GetBValue(a) - GetBValue(b)) <= 1;
  };
  EXPECT_TRUE(near(CloudColour(p, T, 0.5, 1.0), p.m_crBacklight));  // the rim ends in the backlight
  EXPECT_TRUE(near(CloudColour(p, T, 0.5499, 1.0), p.m_crCloudDark));  // the dark ring
  EXPECT_EQ(CloudColour(p, T, 1.0, 1.0), p.m_crCloudLight);          // the core
  EXPECT_EQ(CloudColour(p, T, 0.525, 1.0), BlendColour(0.5, p.m_crCloudDark, p.m_crBacklight));
  EXPECT_DOUBLE_EQ(CloudWindOffset(0.0, 0.3, 10.0), 7.0);
  EXPECT_GT(CloudWindOffset(0.99, 0.3, 10.0), CloudWindOffset(0.5, 0.3, 10.0));
  EXPECT_EQ(CloudNoise(3, 4, 10, 1.0, 0, 2.0, 0.1), 0.0);
  CloudsParams q;
  q.m_iCoverage = 500;
  EXPECT_EQ(ValidateClouds(q), 1);
  EXPECT_EQ(q.m_iCoverage, 500);  // accepted unchanged
}

TEST(Clouds, AutochooseDrawOrder) {
  CloudsParams p;
  p.m_bWizard = 0;
  AreaSelection sel;
  SeedRandom(77);
  AutochooseClouds(p, sel);
  SeedRandom(77);
  const double h = RandomReal(0.1, 0.7);
  const int iCoverage = RandomInt(20, 60);
  const int k = RandomInt(0, 4);
  const int iDetail = RandomInt(3, 6);
  const int bInvert = RandomChance();
  const int iSmooth = RandomInt(1, 3);
  EXPECT_EQ(p.m_dHorizon, h);
  EXPECT_EQ(p.m_iCoverage, iCoverage);
  EXPECT_EQ(p.m_iDetail, iDetail);
  EXPECT_EQ(sel.m_bInvert, bInvert);
  EXPECT_EQ(sel.m_iSmooth, iSmooth);
  EXPECT_EQ(p.m_bWizard, 0);
  const COLORREF aHighSky[5] = {RGB(50, 50, 255), RGB(124, 125, 118), RGB(246, 196, 147),
                                RGB(4, 10, 108), RGB(35, 57, 184)};
  EXPECT_EQ(p.m_crHighSky, aHighSky[k]);
}
