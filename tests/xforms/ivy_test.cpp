#include <gtest/gtest.h>

#include <limits>

#include "engine/filspec.h"
#include "imaging/constants.h"
#include "imaging/random.h"
#include "support/recording_reporter.h"
#include "xforms/ivy.h"
#include "xforms/test_pictures.h"

namespace {
int CountLit(const CDADC& s) {
  int n = 0;
  for (int y = 0; y < s.m_iHeight; ++y)
    for (int x = 0; x < s.m_iWidth; ++x) n += s.m_pDC->GetPixel(x, y) != 0;
  return n;
}

// The pixels one cluster covers at (50, 50) for force value v, same draws.
int ClusterPixels(int v) {
  IvyParams p;
  CIvyClusterDrawer drawer(p, 20);
  CDADC out(100, 100);
  SeedRandom(3);
  drawer.Begin(*out.m_pDC, 1);
  drawer.DrawNode(*out.m_pDC, 1, CNetNode{v, 50, 50});
  drawer.End(*out.m_pDC);
  return CountLit(out);
}
}  // namespace

TEST(Ivy, ReproducedAndPinned) {
  auto in = MakeTestPicture(160, 120);
  CFilSpec spec = SpecFor(XFORM_IVY, 11);
  spec.m_Ivy.m_iDensity = 60;
  spec.m_Ivy.m_Background.m_crColour = RGB(30, 20, 10);
  ExpectReproducedAndPinned(spec, *in, "ivy");
  spec.m_Ivy.m_Background.m_bUsePicture = 1;
  spec.m_Ivy.m_dLeafSize = 6.0;
  ExpectReproducedAndPinned(spec, *in, "ivy_picture");
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(Ivy, LeafScaleAndStemDirection) {
  // Diagonal 500: 4 % is 20; sizes act within 2 .. 6.
  EXPECT_EQ(IvyLeafScale(4.0, 300, 400), 20);
  EXPECT_EQ(IvyLeafScale(1.0, 300, 400), 10);
  EXPECT_EQ(IvyLeafScale(9.0, 300, 400), 30);
  EXPECT_EQ(IvyLeafScale(std::numeric_limits<double>::quiet_NaN(), 300, 400), 10);
  // Leaves lie across their stem: around HALF_PI on a flat stem, 0 on a steep one.
  EXPECT_EQ(IvyStemAngle(10, 0), HALF_PI);
  EXPECT_EQ(IvyStemAngle(-10, 3), HALF_PI);
  EXPECT_EQ(IvyStemAngle(3, -10), 0.0);
  EXPECT_EQ(IvyStemAngle(7, 7), 0.0);
  EXPECT_EQ(IvyStemAngle(0, 0), 0.0);
}

TEST(Ivy, DarkNodesStillGetHalfSizeLeaves) {
  const int iHalf = ClusterPixels(0);
  EXPECT_GT(iHalf, 20);
  EXPECT_EQ(ClusterPixels(127), iHalf);
  // Full size covers about four times the area.
  const int iFull = ClusterPixels(255);
  EXPECT_GT(iFull, 3 * iHalf);
  EXPECT_LT(iFull, 5 * iHalf);
}
