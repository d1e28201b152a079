#include <gtest/gtest.h>

#include <limits>
#include <tuple>

#include "engine/filspec.h"
#include "imaging/random.h"
#include "support/recording_reporter.h"
#include "xforms/stardust.h"
#include "xforms/test_pictures.h"

namespace {
constexpr COLORREF kWhite = RGB(255, 255, 255), kStar = RGB(250, 250, 255);

CFilSpec StarDustSpec(int iSeed, int iSpiked, int iEnergy = 40) {
  CFilSpec spec = SpecFor(XFORM_STARDUST, iSeed);
  spec.m_StarDust.m_iStars = 900;
  spec.m_StarDust.m_iSpiked = iSpiked;
  spec.m_StarDust.m_iEnergy = iEnergy;
  spec.m_StarDust.m_dSpikeSize = 4.0;
  return spec;
}

int CountColour(const CDADC& s, COLORREF cr) {
  int n = 0;
  for (int y = 0; y < s.m_iHeight; ++y)
    for (int x = 0; x < s.m_iWidth; ++x) n += s.m_pDC->GetPixel(x, y) == cr;
  return n;
}

void StopInGravity(int iPercent, const char*) {
  if (iPercent >= 45 && iPercent <= 50) g_bStop = 1;
}
}  // namespace

TEST(StarDust, PinnedSky) {
  auto in = MakeTestPicture(160, 100);
  ExpectReproducedAndPinned(StarDustSpec(31, 20), *in, "stardust");
  const CXformRun run = RunXform(StarDustSpec(31, 20), *in, 1);
  EXPECT_GT(CountColour(*run.m_pOut, kWhite), 100);  // dust
  EXPECT_GT(CountColour(*run.m_pOut, kStar), 100);   // spiked stars
  EXPECT_EQ(GetStatusText(), "");
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(StarDust, OnlyPlacedStarsAreDrawn) {
  // The test picture is black at its top left, where no star is ever placed:
  // every record that is drawn must have been placed, also after a stop.
  auto in = MakeTestPicture(160, 100);
  for (int q : {1, 2}) {
    for (int iSpiked : {50, 100}) {
      const CXformRun run = RunXform(StarDustSpec(4, iSpiked, 0), *in, q);
      ASSERT_EQ(run.m_iResult, 1);
      EXPECT_EQ(run.m_pOut->m_pDC->GetPixel(0, 0), RGB(0, 0, 0)) << q << " " << iSpiked;
    }
    SetProgressHook(&StopInGravity);
    const CXformRun stopped = RunXform(StarDustSpec(4, 0, 0), *in, q);
    SetProgressHook(nullptr);
    EXPECT_EQ(g_bStop, 1);
    g_bStop = 0;
    EXPECT_EQ(stopped.m_iResult, 0);
    EXPECT_EQ(stopped.m_pOut->m_pDC->GetPixel(0, 0), RGB(0, 0, 0)) << q;
  }
  // One pixel below the threshold (255): no spiked star can be placed, and
  // the run still ends.
  CDADC one(1, 1);
  one.m_pDC->SetPixelV(0, 0, RGB(200, 100, 50));
  EXPECT_EQ(RunXform(StarDustSpec(4, 50), one, 4).m_iResult, 1);
}

TEST(StarDust, ValidationAndAutochoose) {
  StarDustParams lo, hi;
  lo.m_iStars = 10, lo.m_iEnergy = -1, lo.m_iSpiked = -5;
  lo.m_dSpikeSize = std::numeric_limits<double>::quiet_NaN();
  hi.m_iStars = 32000, hi.m_iEnergy = 100, hi.m_iSpiked = 101, hi.m_dSpikeSize = 12.0;
  EXPECT_EQ(ValidateStarDust(lo) + ValidateStarDust(hi), 2);
  EXPECT_EQ(std::tuple(lo.m_iStars, lo.m_iEnergy, lo.m_iSpiked, lo.m_dSpikeSize),
            std::tuple(200, 0, 0, 1.5));
  EXPECT_EQ(std::tuple(hi.m_iStars, hi.m_iEnergy, hi.m_iSpiked, hi.m_dSpikeSize),
            std::tuple(6000, 75, 100, 10.0));

  bool bDense = false, bSparse = false;
  for (int iSeed = 1; iSeed < 80000; iSeed += 7919) {
    StarDustParams p;
    p.m_bWizard = 0;
    SeedRandom(iSeed);
    AutochooseStarDust(p);
    const int iNext = RawRandom();
    SeedRandom(iSeed);
    EXPECT_EQ(p.m_iStars, RandomInt(400, 6000));
    const int e = RandomInt(0, 75);
    EXPECT_EQ(p.m_iEnergy, e < 10 ? 0 : e);
    const bool bMany = p.m_iStars >= 2000;
    (bMany ? bDense : bSparse) = true;
    EXPECT_EQ(p.m_dSpikeSize, RandomReal(1.5, bMany ? 3.0 : 5.75));
    EXPECT_EQ(p.m_iSpiked, RandomInt(bMany ? 1 : 5, bMany ? 5 : 20));
    EXPECT_EQ(p.m_Select.m_bInvert, RandomChance());
    EXPECT_EQ(p.m_bRings, RandomInt(0, 100) > 33 ? 1 : 0);
    EXPECT_EQ(RawRandom(), iNext);
    EXPECT_EQ(p.m_bWizard, 0);
  }
  EXPECT_TRUE(bDense && bSparse);
}
