#include <gtest/gtest.h>

#include <limits>

#include "engine/filspec.h"
#include "xforms/stardust.h"
#include "xforms/test_pictures.h"

namespace {
CFilSpec StarDustSpec(int iSpiked, int iEnergy) {
  CFilSpec spec = SpecFor(XFORM_STARDUST, 4);
  spec.m_StarDust.m_iStars = 900;
  spec.m_StarDust.m_iSpiked = iSpiked;
  spec.m_StarDust.m_iEnergy = iEnergy;
  spec.m_StarDust.m_dSpikeSize = 4.0;
  return spec;
}

void StopInGravity(int iPercent, const char*) {
  if (iPercent >= 45 && iPercent <= 50) g_bStop = 1;
}
}  // namespace

TEST(StarDust, OnlyPlacedStarsAreDrawn) {
  auto in = MakeTestPicture(160, 100);
  ExpectReproducedAndPinned(StarDustSpec(20, 40), *in, "stardust");
  // The test picture is black at its top left, where no star is ever placed:
  // every record drawn must have been placed, also with all stars spiked and
  // after a stop.
  for (int q : {1, 2}) {
    for (int iSpiked : {50, 100}) {
      const CXformRun run = RunXform(StarDustSpec(iSpiked, 0), *in, q);
      ASSERT_EQ(run.m_iResult, 1);
      EXPECT_EQ(run.m_pOut->m_pDC->GetPixel(0, 0), RGB(0, 0, 0)) << q << " " << iSpiked;
    }
    SetProgressHook(&StopInGravity);
    const CXformRun stopped = RunXform(StarDustSpec(0, 0), *in, q);
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
  EXPECT_EQ(RunXform(StarDustSpec(50, 40), one, 4).m_iResult, 1);

  StarDustParams p;
  p.m_dSpikeSize = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(ValidateStarDust(p), 1);
  EXPECT_EQ(p.m_dSpikeSize, 1.5);
}
