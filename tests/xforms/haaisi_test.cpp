#include <gtest/gtest.h>

#include "engine/filspec.h"
#include "support/recording_reporter.h"
#include "xforms/haaisi.h"
#include "xforms/test_pictures.h"

namespace {
CFilSpec HaaisiSpec(int iShape, int iRings = 18) {
  CFilSpec spec = SpecFor(XFORM_HAAISI, 11);
  spec.m_Haaisi.m_iRings = iRings;
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

TEST(Haaisi, StopLeavesTheOuterRingsOutAndFewRingsDoNotDivideByZero) {
  // A stop leaves the outer rings (the corners) out, and the run counts as
  // stopped.
  auto in = MakeTestPicture(120, 90);
  const CFilSpec spec = HaaisiSpec(HAAISI_CIRCLES);
  SetProgressHook(&StopAtHalf);
  const CXformRun stopped = RunXform(spec, *in, 1);
  SetProgressHook(nullptr);
  EXPECT_EQ(g_bStop, 1);
  g_bStop = 0;
  EXPECT_EQ(stopped.m_iResult, 0);
  EXPECT_EQ(GetStatusText(), "");
  EXPECT_EQ(stopped.m_pOut->m_pDC->GetPixel(0, 0), spec.m_Haaisi.m_crBackground);
  EXPECT_NE(RunXform(spec, *in, 1).m_pOut->m_pDC->GetPixel(0, 0), spec.m_Haaisi.m_crBackground);

  for (int iRings : {1, 0}) EXPECT_EQ(RunXform(HaaisiSpec(0, iRings), *in, 1).m_iResult, 1);
  HaaisiParams p;
  p.m_iRings = 3;
  EXPECT_EQ(ValidateHaaisi(p), 1);
  EXPECT_EQ(p.m_iRings, 15);
}
