#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/filspec.h"
#include "imaging/colour.h"
#include "imaging/constants.h"
#include "imaging/random.h"
#include "support/recording_reporter.h"
#include "xforms/mosaic.h"
#include "xforms/test_pictures.h"

namespace {
CFilSpec MosaicSpec(int iGeometry, int iHighLight, int iSeed = 2024) {
  CFilSpec spec = SpecFor(XFORM_MOSAIC, iSeed);
  spec.m_Mosaic.m_iGeometry = iGeometry;
  spec.m_Mosaic.m_iHighLight = iHighLight;
  spec.m_Mosaic.m_dTileSize = 6.0;
  spec.m_Mosaic.m_dSpacing = 20.0;
  spec.m_Mosaic.m_Background.m_crColour = RGB(20, 10, 40);
  return spec;
}
}  // namespace

TEST(Mosaic, ReproducibleAndSeededInEveryGeometry) {
  auto in = MakeTestPicture(160, 100);
  const struct {
    int m_iGeometry;
    int m_iHighLight;
    const char* m_szName;
  } aCases[] = {{MOSAIC_RECTANGULAR, HIGHLIGHT_TOP_LEFT, "mosaic_rect"},
                {MOSAIC_CIRCULAR, HIGHLIGHT_BOTTOM, "mosaic_circ"},
                {MOSAIC_RECT_AND_CIRCLE, HIGHLIGHT_RIGHT, "mosaic_both"}};
  for (const auto& c : aCases) {
    ExpectReproducedAndPinned(MosaicSpec(c.m_iGeometry, c.m_iHighLight), *in, c.m_szName);
    const CXformRun a = RunXform(MosaicSpec(c.m_iGeometry, c.m_iHighLight), *in, 1);
    const CXformRun other = RunXform(MosaicSpec(c.m_iGeometry, c.m_iHighLight, 2025), *in, 1);
    EXPECT_FALSE(SameSurfaces(*a.m_pOut, *other.m_pOut)) << c.m_szName;
  }
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(Mosaic, HighlightsOnlyAddLines) {
  auto in = MakeTestPicture(120, 90);
  for (int iGeometry : {MOSAIC_RECTANGULAR, MOSAIC_CIRCULAR, MOSAIC_RECT_AND_CIRCLE}) {
    const CXformRun off = RunXform(MosaicSpec(iGeometry, HIGHLIGHT_OFF), *in, 2);
    const int iAfterOff = RawRandom();
    const CXformRun on = RunXform(MosaicSpec(iGeometry, HIGHLIGHT_TOP), *in, 2);
    const int iAfterOn = RawRandom();
    EXPECT_EQ(iAfterOff, iAfterOn) << iGeometry;  // the same random sequence
    EXPECT_FALSE(SameSurfaces(*off.m_pOut, *on.m_pOut)) << iGeometry;
  }
}

TEST(Mosaic, TinyAndNarrowPictures) {
  // Fewer than one ring: the centre octagon takes the whole radius (no division by zero).
  auto wide = MakeTestPicture(1000, 90);
  CFilSpec spec = MosaicSpec(MOSAIC_RECT_AND_CIRCLE, HIGHLIGHT_OFF);
  spec.m_Mosaic.m_dTileSize = 5.0;
  EXPECT_EQ(RunXform(spec, *wide, 1).m_iResult, 1);
  for (int w : {1, 2}) {
    auto tiny = MakeTestPicture(w, 1);
    EXPECT_EQ(RunXform(MosaicSpec(MOSAIC_CIRCULAR, HIGHLIGHT_TOP), *tiny, 4).m_iResult, 1);
    EXPECT_EQ(RunXform(MosaicSpec(MOSAIC_RECTANGULAR, HIGHLIGHT_TOP), *tiny, 1).m_iResult, 1);
  }
  // No whole pixel of tile: tiles of 4 whose corners move in by exactly 1.
  auto narrow = MakeTestPicture(10, 8);
  const CXformRun run = RunXform(MosaicSpec(MOSAIC_RECTANGULAR, HIGHLIGHT_OFF), *narrow, 1);
  ASSERT_EQ(run.m_iResult, 1);
  const COLORREF bg = RGB(20, 10, 40);
  EXPECT_EQ(run.m_pOut->m_pDC->GetPixel(0, 0), bg);
  EXPECT_EQ(run.m_pOut->m_pDC->GetPixel(4, 4), bg);  // the gap between tiles
  EXPECT_NE(run.m_pOut->m_pDC->GetPixel(2, 2), bg);
  EXPECT_NE(run.m_pOut->m_pDC->GetPixel(6, 6), bg);

  // An unknown geometry draws the background only and fails.
  CFilSpec bad = MosaicSpec(1031, HIGHLIGHT_OFF);
  const CXformRun none = RunXform(bad, *narrow, 1);
  EXPECT_EQ(none.m_iResult, 0);
  EXPECT_EQ(none.m_pOut->m_pDC->GetPixel(2, 2), bg);
  // Only the in and out surfaces are needed.
  XformContext ctx;
  EXPECT_EQ(ApplyMosaic(bad.m_Mosaic, ctx), 0);
}

namespace {
void StopAt40(int iPercent, const char*) {
  if (iPercent >= 40 && iPercent <= 100) g_bStop = 1;
}
}  // namespace

TEST(Mosaic, StopInTheGridStillDrawsRingAndOctagon) {
  auto in = MakeTestPicture(200, 120);
  const CXformRun full = RunXform(MosaicSpec(MOSAIC_RECT_AND_CIRCLE, HIGHLIGHT_OFF), *in, 1);
  SetProgressHook(&StopAt40);
  const CXformRun stopped = RunXform(MosaicSpec(MOSAIC_RECT_AND_CIRCLE, HIGHLIGHT_OFF), *in, 1);
  SetProgressHook(nullptr);
  EXPECT_EQ(g_bStop, 1);
  g_bStop = 0;
  EXPECT_EQ(stopped.m_iResult, 0);  // stopped: no idea, though it was drawn
  // The octagon in the middle is there; the grid's last rows are not.
  EXPECT_NE(stopped.m_pOut->m_pDC->GetPixel(100, 60), RGB(20, 10, 40));
  EXPECT_NE(full.m_pOut->m_pDC->GetPixel(5, 115), RGB(20, 10, 40));
  EXPECT_EQ(stopped.m_pOut->m_pDC->GetPixel(5, 115), RGB(20, 10, 40));
}

TEST(Mosaic, ValidationAutochooseAndLights) {
  MosaicParams p;
  p.m_dTileSize = 0.5;
  p.m_dSpacing = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(ValidateMosaic(p), 1);
  EXPECT_EQ(p.m_dTileSize, 1.0);
  EXPECT_EQ(p.m_dSpacing, 5.0);
  p.m_dTileSize = 9;
  p.m_dSpacing = 41;
  ValidateMosaic(p);
  EXPECT_EQ(p.m_dTileSize, 7.0);
  EXPECT_EQ(p.m_dSpacing, 40.0);

  // A narrow picture never reaches 5 pixels of tile: 100 tile-size draws, then
  // spacing, geometry, the background's chance and colour, the highlight colour
  // and direction.
  SeedRandom(8);
  AutochooseMosaic(p, 50, 50);
  const int iNext = RawRandom();
  SeedRandom(8);
  double dTile = 0;
  for (int i = 0; i < 100; ++i) dTile = RandomReal(1, 4);
  EXPECT_EQ(p.m_dTileSize, dTile);
  EXPECT_EQ(p.m_dSpacing, RandomReal(5, 40));
  EXPECT_EQ(p.m_iGeometry, RandomInt(1028, 1030));
  RandomInt(0, 100);
  EXPECT_EQ(p.m_Background.m_crColour, ScaleColour(RandomColour(), 0.5));
  EXPECT_EQ(p.m_Background.m_bUsePicture, 0);
  EXPECT_EQ(p.m_crHighLight, ScaleColour(RandomColour(), 2));
  EXPECT_EQ(p.m_iHighLight, RandomInt(1101, 1108));
  EXPECT_EQ(RawRandom(), iNext);
  // A wide picture stops at the first tile size giving 5 pixels.
  SeedRandom(8);
  AutochooseMosaic(p, 1000, 50);
  SeedRandom(8);
  EXPECT_EQ(p.m_dTileSize, RandomReal(1, 4));

  EXPECT_EQ(MosaicLightVector(HIGHLIGHT_TOP).x, 10);
  EXPECT_EQ(MosaicLightVector(1999).x, 10);
  EXPECT_EQ(MosaicLightVector(HIGHLIGHT_BOTTOM).x, -10);
  EXPECT_EQ(MosaicLightVector(HIGHLIGHT_RIGHT).y, 10);
  EXPECT_EQ(MosaicLightVector(HIGHLIGHT_LEFT).y, -10);
  EXPECT_EQ(MosaicLightVector(HIGHLIGHT_BOTTOM_LEFT).x, -7);
  EXPECT_EQ(MosaicLightVector(HIGHLIGHT_TOP_LEFT).y, -7);
  EXPECT_EQ(MosaicLightVector(HIGHLIGHT_BOTTOM_RIGHT).y, 7);
  EXPECT_EQ(MosaicLightVector(HIGHLIGHT_TOP_RIGHT).x, 7);
}
