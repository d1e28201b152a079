#include <gtest/gtest.h>

#include "engine/filspec.h"
#include "imaging/random.h"
#include "support/recording_reporter.h"
#include "xforms/swarm.h"
#include "xforms/test_pictures.h"

namespace {
constexpr COLORREF kInsect = RGB(250, 200, 20);

CFilSpec SwarmSpec(int bAngle, int bIntensity, int bSize, int iSticks) {
  CFilSpec spec = SpecFor(XFORM_SWARM, 77);
  spec.m_Swarm.m_crForeground = kInsect;
  spec.m_Swarm.m_crBackground = RGB(0, 0, 40);
  spec.m_Swarm.m_iSticks = iSticks;
  spec.m_Swarm.m_bAngle = bAngle;
  spec.m_Swarm.m_bIntensity = bIntensity;
  spec.m_Swarm.m_bSize = bSize;
  return spec;
}

int CountInsects(const CDADC& s, int x0, int x1) {
  int n = 0;
  for (int y = 0; y < s.m_iHeight; ++y)
    for (int x = x0; x < x1; ++x) n += s.m_pDC->GetPixel(x, y) == kInsect;
  return n;
}
}  // namespace

TEST(Swarm, ReproducibleAndPinned) {
  auto in = MakeTestPicture(160, 100);
  ExpectReproducedAndPinned(SwarmSpec(1, 1, 1, 3000), *in, "swarm_all");
  ExpectReproducedAndPinned(SwarmSpec(0, 0, 1, 3000), *in, "swarm_size");
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(Swarm, AtLeastOneSwitchIsNeeded) {
  CFilSpec spec = SwarmSpec(0, 0, 0, 100);
  EXPECT_EQ(spec.Effect(50, 50), 0);
  EXPECT_STREQ(CheckSwarmSettings(spec.m_Swarm), "Choose at least one of:\nAngle, Intensity, Size");
  spec.m_Swarm.m_bSize = 1;
  EXPECT_EQ(CheckSwarmSettings(spec.m_Swarm), nullptr);
  // Autochoose draws its block again until the record is usable.
  for (unsigned iSeed = 1; iSeed < 300; ++iSeed) {
    SeedRandom(iSeed);
    SwarmParams p;
    AutochooseSwarm(p);
    ASSERT_EQ(ValidateSwarm(p), 1) << iSeed;
  }
}

TEST(Swarm, SticksOfLengthZeroAreTwoPixelDashes) {
  CDADC s(20, 20);
  s.m_pDC->SelectObject(CreatePen(PS_SOLID, 1, kInsect));
  // Both half extents 0: the first becomes 1.
  DrawSwarmStick(*s.m_pDC, SwarmStick{10, 10, 0.3, 0});
  EXPECT_EQ(CountInsects(s, 0, 20), 2);
  EXPECT_EQ(s.m_pDC->GetPixel(9, 10), kInsect);
  // Pictures whose default length is 0 still get their dashes.
  auto in = MakeTestPicture(20, 10);
  const CXformRun run = RunXform(SwarmSpec(1, 0, 0, 100), *in, 1);
  ASSERT_EQ(run.m_iResult, 1);
  EXPECT_GT(CountInsects(*run.m_pOut, 0, 20), 0);
}

TEST(Swarm, IntensityLaysTheSwarmWhereItIsBright) {
  // Left half black, right half white: on the black half only a draw of 0
  // from 0..253 lays a stick.
  CDADC in(200, 100);
  in.m_pDC->FillSolidRect(100, 0, 200, 100, RGB(255, 255, 255));
  const CXformRun run = RunXform(SwarmSpec(0, 1, 0, 2000), in, 1);
  ASSERT_EQ(run.m_iResult, 1);
  EXPECT_GT(CountInsects(*run.m_pOut, 110, 200), 20 * CountInsects(*run.m_pOut, 0, 90));
  // The DC's own pen and brush are back.
  EXPECT_EQ(run.m_pOut->m_pDC->GetCurrentPen(), GetStockPen(BLACK_PEN));
  EXPECT_EQ(run.m_pOut->m_pDC->GetCurrentBrush(), GetStockBrush(WHITE_BRUSH));
}
