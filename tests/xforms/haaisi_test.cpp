#include <gtest/gtest.h>

#include "engine/filspec.h"
#include "imaging/random.h"
#include "imaging/xform_helpers.h"
#include "support/recording_reporter.h"
#include "xforms/haaisi.h"
#include "xforms/test_pictures.h"

namespace {
CFilSpec HaaisiSpec(int iShape, int iSeed = 11) {
  CFilSpec spec = SpecFor(XFORM_HAAISI, iSeed);
  spec.m_Haaisi.m_iRings = 18;
  spec.m_Haaisi.m_iShape = iShape;
  return spec;
}

void StopAtHalf(int iPercent, const char*) {
  if (iPercent >= 55 && iPercent <= 100) g_bStop = 1;
}
}  // namespace

TEST(Haaisi, ReproducibleAndPinned) {
  auto in = MakeTestPicture(120, 90);
  ExpectReproducedAndPinned(HaaisiSpec(HAAISI_CIRCLES), *in, "haaisi_circles");
  ExpectReproducedAndPinned(HaaisiSpec(HAAISI_OUTWARD), *in, "haaisi_outward");
  ExpectReproducedAndPinned(HaaisiSpec(HAAISI_INWARD), *in, "haaisi_inward");
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(Haaisi, StopAndValidation) {
  auto in = MakeTestPicture(120, 90);
  const CFilSpec spec = HaaisiSpec(HAAISI_CIRCLES);
  const CXformRun run = RunXform(spec, *in, 1);
  ASSERT_EQ(run.m_iResult, 1);

  // A stop ends the rings early, yet the run counts as done.
  SetProgressHook(&StopAtHalf);
  const CXformRun stopped = RunXform(spec, *in, 1);
  SetProgressHook(nullptr);
  EXPECT_EQ(g_bStop, 1);
  g_bStop = 0;
  EXPECT_EQ(stopped.m_iResult, 1);
  EXPECT_EQ(GetStatusText(), "");
  EXPECT_FALSE(SameSurfaces(*run.m_pOut, *stopped.m_pOut));
  EXPECT_EQ(stopped.m_pOut->m_pDC->GetPixel(0, 0), spec.m_Haaisi.m_crBackground);

  HaaisiParams p;
  p.m_iRings = 3;
  EXPECT_EQ(ValidateHaaisi(p), 1);
  EXPECT_EQ(p.m_iRings, 15);
  p.m_iRings = 99;
  ValidateHaaisi(p);
  EXPECT_EQ(p.m_iRings, 40);
  // An unvalidated record with a single ring draws without dividing by zero.
  CFilSpec one = spec;
  one.m_Haaisi.m_iRings = 1;
  EXPECT_EQ(RunXform(one, *in, 1).m_iResult, 1);
}

TEST(Haaisi, AutochooseDrawOrder) {
  for (int iSeed = 0; iSeed < 20; ++iSeed) {
    HaaisiParams p;
    p.m_bWizard = 0;
    SeedRandom(iSeed);
    AutochooseHaaisi(p);
    const int iNext = RawRandom();
    SeedRandom(iSeed);
    ASSERT_EQ(p.m_iRings, RandomInt(15, 40));
    COLORREF crSpare, crBackground, crFore1, crFore2;
    if (RandomChance())
      RandomColourPair(crSpare, crBackground);
    else
      RandomColourPair(crBackground, crSpare);
    RandomColourPair(crFore1, crFore2);
    ASSERT_EQ(p.m_crSpare, crSpare);
    ASSERT_EQ(p.m_crBackground, crBackground);
    ASSERT_EQ(p.m_crFore1, crFore1);
    ASSERT_EQ(p.m_crFore2, crFore2);
    ASSERT_EQ(p.m_iShape, RandomInt(0, 2));
    ASSERT_EQ(RawRandom(), iNext);
    ASSERT_EQ(p.m_bWizard, 0);
  }
}
