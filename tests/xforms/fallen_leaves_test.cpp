#include <gtest/gtest.h>

#include <string>

#include "engine/filspec.h"
#include "imaging/constants.h"
#include "imaging/random.h"
#include "support/recording_reporter.h"
#include "xforms/fallen_leaves.h"
#include "xforms/test_pictures.h"

TEST(FallenLeaves, ReproducedAndPinned) {
  auto in = MakeTestPicture(120, 80);
  CFilSpec spec = SpecFor(XFORM_FALLEN_LEAVES, 21);
  spec.m_FallenLeaves.m_iLeaves = 300;
  spec.m_FallenLeaves.m_iPaletteA = 4;
  spec.m_FallenLeaves.m_iPaletteB = 2;
  ExpectReproducedAndPinned(spec, *in, "fallen_leaves");
  spec.m_FallenLeaves.m_bPiling = spec.m_FallenLeaves.m_bAngling = 0;
  spec.m_FallenLeaves.m_iLeafType = LEAF_MAPLE;
  spec.m_FallenLeaves.m_Background.m_bUsePicture = 1;
  ExpectReproducedAndPinned(spec, *in, "fallen_leaves_shading");
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(FallenLeaves, PilingOnAFieldThatNeverReachesTheThresholdEnds) {
  // A flat picture asked for 0 % of piled leaves: no point is eligible, so
  // the run ends at once on the bare background instead of searching for ever.
  CDADC grey(40, 30);
  grey.m_pDC->FillSolidRect(0, 0, 40, 30, RGB(90, 90, 90));
  CFilSpec spec = SpecFor(XFORM_FALLEN_LEAVES, 2);
  spec.m_FallenLeaves.m_bShading = spec.m_FallenLeaves.m_bAngling = 0;
  spec.m_FallenLeaves.m_iAreaPiled = 0;
  spec.m_FallenLeaves.m_Background.m_crColour = RGB(0, 0, 80);
  const CXformRun run = RunXform(spec, grey, 1);
  EXPECT_EQ(run.m_iResult, 1);
  CDADC blue(40, 30);
  blue.m_pDC->FillSolidRect(0, 0, 40, 30, RGB(0, 0, 80));
  EXPECT_TRUE(SameSurfaces(*run.m_pOut, blue));
}

TEST(FallenLeaves, ValidationAutochooseAndTheCheckOnOk) {
  FallenLeavesParams p;
  p.m_bPiling = p.m_bShading = p.m_bAngling = 0;
  EXPECT_EQ(std::string(CheckFallenLeavesSettings(p)),
            "You should choose at least one of\nPiling, Shading, Angling");
  p.m_iLeaves = 99999;
  EXPECT_EQ(ValidateFallenLeaves(p), 1);
  EXPECT_EQ(p.m_iLeaves, 2000);
  EXPECT_EQ(p.m_bPiling, 1);
  EXPECT_EQ(CheckFallenLeavesSettings(p), nullptr);

  for (int iSeed = 1; iSeed <= 80; ++iSeed) {
    SeedRandom(iSeed);
    FallenLeavesParams q;
    AutochooseFallenLeaves(q);
    EXPECT_TRUE(q.m_bPiling || q.m_bShading) << iSeed;  // never Angling alone
    EXPECT_NE(q.m_iPaletteA, q.m_iPaletteB) << iSeed;
    if (q.m_bShading) {
      EXPECT_EQ(q.m_dColourJitter, 0.075);
    }
    if (!q.m_bPiling) {
      EXPECT_EQ(q.m_iAreaPiled, 50);
    }
    EXPECT_EQ(q.m_dLeafSize > 6.0, q.m_iLeaves <= 1074) << iSeed;
  }
}

TEST(FallenLeaves, LeafOutlinesAndFacesLandOnHandComputedPoints) {
  // Four draws per inner point, none for the two ends.
  SeedRandom(9);
  CLeaf leaf;
  leaf.Build(0.0, LEAF_ORDINARY);
  const int iAfterBuild = RawRandom();
  SeedRandom(9);
  for (int i = 0; i < 28; ++i) RawRandom();
  EXPECT_EQ(RawRandom(), iAfterBuild);

  ASSERT_EQ(leaf.m_Upper.m_iCount, 9);
  EXPECT_DOUBLE_EQ(leaf.m_Upper.GetVertex(3).x(), -0.05);
  EXPECT_DOUBLE_EQ(leaf.m_Upper.GetVertex(3).y(), -0.15);
  EXPECT_DOUBLE_EQ(leaf.m_Lower.GetVertex(3).y(), 0.15);
  ASSERT_EQ(leaf.m_Midrib.m_iCount, 9);
  EXPECT_EQ(leaf.m_Midrib.m_bFilled, 0);
  EXPECT_DOUBLE_EQ(leaf.m_Midrib.GetVertex(3).x(), -0.05);
  EXPECT_DOUBLE_EQ(leaf.m_Midrib.GetVertex(3).y(), 0.0);
  CLeaf maple;
  maple.Build(0.0, LEAF_MAPLE);
  EXPECT_DOUBLE_EQ(maple.m_Midrib.GetVertex(4).x(), -0.18);
  EXPECT_DOUBLE_EQ(maple.m_Upper.GetVertex(3).y(), -0.46);

  // Length 100 at (100, 100): the upper face (colour 0) lies above the
  // midrib, the lower face (colour 1) below; turned a quarter, to the right
  // and the left of it.
  for (double dAngle : {0.0, HALF_PI}) {
    CDADC out(200, 200);
    leaf.Draw(*out.m_pDC, CVec(100, 100, 0), CVec(100, 100, 1), dAngle, 1);
    const bool bTurned = dAngle != 0.0;
    EXPECT_EQ(out.m_pDC->GetPixel(bTurned ? 112 : 103, bTurned ? 103 : 88),
              LeafPaletteColour(0, 0));
    EXPECT_EQ(out.m_pDC->GetPixel(bTurned ? 88 : 103, bTurned ? 103 : 112),
              LeafPaletteColour(0, 1));
    // Beside the stem end, outside the leaf.
    EXPECT_EQ(out.m_pDC->GetPixel(bTurned ? 105 : 60, bTurned ? 60 : 95), 0u);
  }
}
