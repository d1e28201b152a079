#include <gtest/gtest.h>

#include "engine/filspec.h"
#include "imaging/random.h"
#include "imaging/xform_helpers.h"
#include "support/recording_reporter.h"
#include "xforms/swarm.h"
#include "xforms/test_pictures.h"

namespace {
constexpr COLORREF kInsect = RGB(250, 200, 20), kGround = RGB(0, 0, 40);

CFilSpec SwarmSpec(int bAngle, int bIntensity, int bSize, int iSticks = 3000) {
  CFilSpec spec = SpecFor(XFORM_SWARM, 77);
  spec.m_Swarm.m_crForeground = kInsect;
  spec.m_Swarm.m_crBackground = kGround;
  spec.m_Swarm.m_iSticks = iSticks;
  spec.m_Swarm.m_bAngle = bAngle;
  spec.m_Swarm.m_bIntensity = bIntensity;
  spec.m_Swarm.m_bSize = bSize;
  return spec;
}

int CountColour(const CDADC& s, COLORREF cr, int x0, int x1) {
  int n = 0;
  for (int y = 0; y < s.m_iHeight; ++y)
    for (int x = x0; x < x1; ++x) n += s.m_pDC->GetPixel(x, y) == cr;
  return n;
}
}  // namespace

TEST(Swarm, ReproducibleAndPinned) {
  auto in = MakeTestPicture(160, 100);
  ExpectReproducedAndPinned(SwarmSpec(1, 1, 1), *in, "swarm_all");
  ExpectReproducedAndPinned(SwarmSpec(0, 0, 1), *in, "swarm_size");
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(Swarm, AtLeastOneSwitchIsNeeded) {
  SwarmParams p;
  p.m_bAngle = p.m_bIntensity = p.m_bSize = 0;
  EXPECT_EQ(ValidateSwarm(p), 0);
  EXPECT_STREQ(CheckSwarmSettings(p), "Choose at least one of:\nAngle, Intensity, Size");
  p.m_bSize = 1;
  EXPECT_EQ(ValidateSwarm(p), 1);
  EXPECT_EQ(CheckSwarmSettings(p), nullptr);
  // The engine refuses a record without any.
  CFilSpec spec = SwarmSpec(0, 0, 0);
  EXPECT_EQ(spec.Effect(50, 50), 0);

  // Autochoose repeats its whole block until the record is usable, and
  // keeps the colours complementary and the count in 15000..30000.
  for (unsigned iSeed = 1; iSeed < 300; ++iSeed) {
    SeedRandom(iSeed);
    SwarmParams q;
    q.m_bWizard = 0;
    AutochooseSwarm(q);
    ASSERT_EQ(ValidateSwarm(q), 1);
    EXPECT_EQ(q.m_bWizard, 0);
    EXPECT_GE(q.m_iSticks, 15000);
    EXPECT_LE(q.m_iSticks, 30000);
    EXPECT_EQ(q.m_crBackground, ComplementColour(q.m_crForeground));
  }
}

TEST(Swarm, SticksOfLengthZeroAreTwoPixelDashes) {
  CDADC s(20, 20);
  s.m_pDC->SelectObject(CreatePen(PS_SOLID, 1, kInsect));
  // Length 0: both half extents 0, the first becomes 1.
  DrawSwarmStick(*s.m_pDC, SwarmStick{10, 10, 0.3, 0});
  EXPECT_EQ(CountColour(s, kInsect, 0, 20), 2);
  EXPECT_EQ(s.m_pDC->GetPixel(9, 10), kInsect);
  EXPECT_EQ(s.m_pDC->GetPixel(10, 10), kInsect);
  // Angle 0 points down: half extents (0, 5), widened to (1, 5); the end
  // point is left out.
  CDADC t(20, 20);
  t.m_pDC->SelectObject(CreatePen(PS_SOLID, 1, kInsect));
  DrawSwarmStick(*t.m_pDC, SwarmStick{10, 10, 0.0, 10});
  EXPECT_EQ(t.m_pDC->GetPixel(9, 5), kInsect);
  EXPECT_EQ(t.m_pDC->GetPixel(10, 10), kInsect);
  EXPECT_EQ(t.m_pDC->GetPixel(11, 15), 0u);

  // Pictures whose default length is 0 still get their dashes.
  auto in = MakeTestPicture(20, 10);
  const CXformRun run = RunXform(SwarmSpec(1, 0, 0, 100), *in, 1);
  ASSERT_EQ(run.m_iResult, 1);
  EXPECT_GT(CountColour(*run.m_pOut, kInsect, 0, 20), 0);
}

TEST(Swarm, IntensityLaysTheSwarmWhereItIsBright) {
  // Left half black, right half white: with Intensity alone a stick is laid
  // on the black half only when the draw from 0..253 is 0.
  CDADC in(200, 100);
  in.m_pDC->FillSolidRect(100, 0, 200, 100, RGB(255, 255, 255));
  const CXformRun run = RunXform(SwarmSpec(0, 1, 0, 2000), in, 1);
  ASSERT_EQ(run.m_iResult, 1);
  const int iDark = CountColour(*run.m_pOut, kInsect, 0, 90);
  const int iBright = CountColour(*run.m_pOut, kInsect, 110, 200);
  EXPECT_GT(iBright, 20 * iDark);
  // The DC's own pen and brush are back.
  EXPECT_EQ(run.m_pOut->m_pDC->GetCurrentPen(), GetStockPen(BLACK_PEN));
  EXPECT_EQ(run.m_pOut->m_pDC->GetCurrentBrush(), GetStockBrush(WHITE_BRUSH));
  EXPECT_EQ(GetStatusText(), "");
}
