#include <gtest/gtest.h>

#include <cmath>

#include "engine/filspec.h"
#include "support/recording_reporter.h"
#include "xforms/test_pictures.h"
#include "xforms/web_fade.h"

namespace {
CFilSpec WebFadeSpec(int iMode, int iPercent, COLORREF crFade) {
  CFilSpec spec = SpecFor(XFORM_WEB_FADE, 1);
  spec.m_WebFade.m_iMixMode = iMode;
  spec.m_WebFade.m_iPercent = iPercent;
  spec.m_WebFade.m_crFade = crFade;
  return spec;
}

void StopAtHalf(int iPercent, const char*) {
  if (iPercent >= 50 && iPercent <= 100) g_bStop = 1;
}
}  // namespace

TEST(WebFade, ReproducibleAndPinned) {
  auto in = MakeTestPicture(100, 70);
  ExpectReproducedAndPinned(WebFadeSpec(MIX_ELLIPSE_IN, 30, 0x336699), *in, "web_fade");
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(WebFade, FadesIntoTheColourAsTyped) {
  // "FF8000" is orange: red in the high byte of the stored value.
  auto in = MakeTestPicture(100, 60);
  const CXformRun run = RunXform(WebFadeSpec(MIX_LEFT_RIGHT, 1, 0xFF8000), *in, 2);
  ASSERT_EQ(run.m_iResult, 1);
  const CDC& out = *run.m_pOut->m_pDC;
  EXPECT_EQ(out.GetPixel(0, 0), RGB(255, 128, 0));   // l = 1: all fade colour
  EXPECT_EQ(out.GetPixel(1, 119), RGB(255, 128, 0)); // the s x s block of column 0
  // Column 50: half and half; the last column keeps 99 % of the picture.
  const COLORREF p50 = in->m_pDC->GetPixel(50, 10), got = out.GetPixel(100, 20);
  EXPECT_EQ(GetRValue(got), static_cast<int>(0.5 * GetRValue(p50) + 0.5 * 255));
  EXPECT_EQ(GetGValue(got), static_cast<int>(0.5 * GetGValue(p50) + 0.5 * 128));
  EXPECT_EQ(GetBValue(got), static_cast<int>(0.5 * GetBValue(p50)));
}

TEST(WebFade, PositionsAndSharpness) {
  // Circles reach 0 or 1 at the corners; the elliptical "Outer In" is 0.75
  // at the middle of each edge and about 1.06 at the corners.
  EXPECT_NEAR(WebFadePosition(MIX_CIRCLE_OUT, 0, 0, 100, 50), 0.0, 1e-12);
  EXPECT_NEAR(WebFadePosition(MIX_CIRCLE_IN, 100, 50, 100, 50), 1.0, 1e-12);
  EXPECT_DOUBLE_EQ(WebFadePosition(MIX_ELLIPSE_IN, 0, 25, 100, 50), 0.75);
  EXPECT_DOUBLE_EQ(WebFadePosition(MIX_ELLIPSE_IN, 50, 0, 100, 50), 0.75);
  EXPECT_NEAR(WebFadePosition(MIX_ELLIPSE_IN, 0, 0, 100, 50), 0.75 * std::sqrt(2.0), 1e-12);

  // Sharpness 99: a ramp only 0.02 wide around 0.5; 1: the whole range.
  EXPECT_EQ(WebFadeWeight(0.48, 99), 1.0);
  EXPECT_EQ(WebFadeWeight(0.52, 99), 0.0);
  EXPECT_NEAR(WebFadeWeight(0.25, 1), 0.75, 1e-12);
}

TEST(WebFade, ValidationAndStop) {
  WebFadeParams p;
  for (int iMode : {int{MIX_OFF}, int{MIX_EVEN}, int{MIX_HSV}, 0}) {
    p.m_iMixMode = iMode;
    EXPECT_EQ(ValidateWebFade(p), 1);
    EXPECT_EQ(p.m_iMixMode, MIX_ELLIPSE_IN) << iMode;
  }
  p.m_iMixMode = MIX_CIRCLE_OUT;
  ValidateWebFade(p);
  EXPECT_EQ(p.m_iMixMode, MIX_CIRCLE_OUT);

  // A stop keeps the rows done so far and fails the idea.
  auto in = MakeTestPicture(80, 40);
  SetProgressHook(&StopAtHalf);
  const CXformRun run = RunXform(WebFadeSpec(MIX_RIGHT_LEFT, 50, 0xFFFFFF), *in, 1);
  SetProgressHook(nullptr);
  EXPECT_EQ(g_bStop, 1);
  g_bStop = 0;
  EXPECT_EQ(run.m_iResult, 0);
  EXPECT_EQ(GetStatusText(), "");
  EXPECT_EQ(run.m_pOut->m_pDC->GetPixel(0, 0), in->m_pDC->GetPixel(0, 0));
  EXPECT_EQ(run.m_pOut->m_pDC->GetPixel(0, 39), RGB(0, 0, 0));
}
