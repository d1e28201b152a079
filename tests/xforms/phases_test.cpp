#include <gtest/gtest.h>

#include <gmock/gmock.h>

#include "engine/filspec.h"
#include "imaging/colour.h"
#include "imaging/constants.h"
#include "imaging/random.h"
#include "support/recording_reporter.h"
#include "xforms/phases.h"
#include "xforms/test_pictures.h"

using ::testing::ElementsAre;

namespace {
constexpr COLORREF kSpace = RGB(10, 20, 30);
constexpr COLORREF kPlanet = RGB(255, 255, 155);

CFilSpec PhasesSpec(int bTextured, int iSeed = 99) {
  CFilSpec spec = SpecFor(XFORM_PHASES, iSeed);
  spec.m_Phases.m_iNumber = 16;
  spec.m_Phases.m_iDiameter = 80;
  spec.m_Phases.m_crBackground = kSpace;
  spec.m_Phases.m_bTextured = bTextured;
  return spec;
}

std::unique_ptr<CDADC> Uniform(int iWidth, int iHeight, int iGrey) {
  auto p = std::make_unique<CDADC>(iWidth, iHeight);
  p->m_pDC->FillSolidRect(0, 0, iWidth, iHeight, RGB(iGrey, iGrey, iGrey));
  return p;
}
}  // namespace

TEST(Phases, ReproducibleAndSeeded) {
  auto in = MakeTestPicture(240, 150);
  for (int bTextured : {0, 1}) {
    const std::string csKind = bTextured ? "phases_textured" : "phases_plain";
    ExpectReproducedAndPinned(PhasesSpec(bTextured), *in, csKind);
  }
  // The texture is what the seed changes.
  EXPECT_FALSE(SameSurfaces(*RunXform(PhasesSpec(1), *in, 1).m_pOut,
                            *RunXform(PhasesSpec(1, 100), *in, 1).m_pOut));
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(Phases, BrightnessDecidesThePhase) {
  // 16 cells of 20 x 20 in 8 rows; planets of radius 8 around the cell centres.
  const CellGrid grid(320, 160, 16);
  ASSERT_EQ(grid.m_iCellWidth, 20);
  ASSERT_EQ(grid.m_iRows, 8);
  // Lit ('L') or dark ('.') at x offsets -6, -3, 0, +3, +6 from a cell centre.
  const struct {
    int m_iGrey;
    const char* m_szLit;
  } aCases[] = {{0, "....."},     // e = R + 1: the planet vanishes
                {64, "L...."},    // a crescent on the left
                {127, "LL..."},   // half lit, on the left
                {192, "LLLL."},   // gibbous
                {255, "LLLLL"}};  // full
  for (const auto& c : aCases) {
    auto in = Uniform(320, 160, c.m_iGrey);
    const CXformRun run = RunXform(PhasesSpec(0), *in, 1);
    ASSERT_EQ(run.m_iResult, 1);
    for (int i : {0, 7, 15}) {
      for (int j : {0, 5}) {
        const POINT ctr = grid.Centre(i, j);
        for (int k = 0; k < 5; ++k) {
          const COLORREF cr = run.m_pOut->m_pDC->GetPixel(ctr.x + 3 * (k - 2), ctr.y);
          EXPECT_EQ(cr, c.m_szLit[k] == 'L' ? kPlanet : kSpace)
              << "grey " << c.m_iGrey << " cell " << i << "," << j << " offset " << k;
        }
      }
    }
    // Between the planets there is only the background.
    EXPECT_EQ(run.m_pOut->m_pDC->GetPixel(1, 1), kSpace);
  }
}

namespace {
std::unique_ptr<CBitmap> NoBitmap(const CDC&, int, int) { return nullptr; }
}  // namespace

TEST(Phases, NoPlanetImageFailsTheIdea) {
  // Without its planet image the picture would be plain background: that is
  // a failure, not an idea.
  auto in = MakeTestPicture(120, 80);
  CDADC out(240, 160), drw(120, 80);
  XformContext ctx;
  ctx.m_pIn = in.get();
  ctx.m_pOut = &out;
  ctx.m_pDrw = &drw;
  const PhasesParams p = PhasesSpec(1).m_Phases;
  EXPECT_EQ(ApplyPhasesWith(p, ctx, &NoBitmap), 0);
  EXPECT_THAT(TakeMessages(), ElementsAre("Could not create bitmap for Phases"));
  EXPECT_EQ(g_bStop, 0);
  EXPECT_EQ(GetStatusText(), "");
  for (int y = 0; y < 160; y += 3)
    for (int x = 0; x < 240; x += 3) ASSERT_EQ(out.m_pDC->GetPixel(x, y), kSpace);
}

namespace {
int g_iStopFrom = 0, g_iStopTo = 0;
void StopInRange(int iPercent, const char*) {
  if (iPercent >= g_iStopFrom && iPercent <= g_iStopTo) g_bStop = 1;
}
CXformRun StoppedRun(const CFilSpec& spec, CDADC& in, int iFrom, int iTo) {
  g_iStopFrom = iFrom;
  g_iStopTo = iTo;
  SetProgressHook(&StopInRange);
  CXformRun run = RunXform(spec, in, 1);
  SetProgressHook(nullptr);
  EXPECT_EQ(g_bStop, 1);
  g_bStop = 0;
  return run;
}
}  // namespace

TEST(Phases, StopEndsTheCopyOrTheShadows) {
  const CellGrid grid(320, 160, 16);
  auto full = Uniform(320, 160, 255);
  // Stopped after the second column of the copy: the third is still copied,
  // then the shadow pass does its first row only.
  const CXformRun copy = StoppedRun(PhasesSpec(0), *full, 11, 30);
  EXPECT_EQ(copy.m_iResult, 0);
  EXPECT_EQ(GetStatusText(), "");
  for (int i = 0; i < 16; ++i) {
    const POINT c = grid.Centre(i, 6);
    EXPECT_EQ(copy.m_pOut->m_pDC->GetPixel(c.x, c.y), i <= 2 ? kPlanet : kSpace) << i;
  }

  // Stopped at the first row's progress: the second row is still cut, the
  // rows below keep whole planets.
  auto half = Uniform(320, 160, 127);
  const CXformRun shadows = StoppedRun(PhasesSpec(0), *half, 35, 100);
  EXPECT_EQ(shadows.m_iResult, 0);
  for (int j = 0; j < 8; ++j) {
    const POINT c = grid.Centre(4, j);
    EXPECT_EQ(shadows.m_pOut->m_pDC->GetPixel(c.x + 3, c.y), j <= 1 ? kSpace : kPlanet) << j;
  }
}

TEST(Phases, TinyCellsValidationAndAutochoose) {
  // Cells one pixel wide: radius 0, planets of at most a pixel.
  auto narrow = MakeTestPicture(20, 10), dot = MakeTestPicture(1, 1);
  for (int bTextured : {0, 1}) {
    EXPECT_EQ(RunXform(PhasesSpec(bTextured), *narrow, 1).m_iResult, 1);
    EXPECT_EQ(RunXform(PhasesSpec(bTextured), *dot, 4).m_iResult, 1);
  }

  PhasesParams p;
  p.m_iNumber = 3;
  p.m_iDiameter = 101;
  EXPECT_EQ(ValidatePhases(p), 1);
  EXPECT_EQ(p.m_iNumber, 16);
  EXPECT_EQ(p.m_iDiameter, 90);

  // A picture under 760 pixels falls back to 16 planets whenever its width
  // over the choice is below 20.
  for (int iWidth : {300, 1000}) {
    for (int iSeed = 1; iSeed < 40; ++iSeed) {
      SeedRandom(iSeed);
      AutochoosePhases(p, iWidth, 500);
      const int iNext = RawRandom();
      SeedRandom(iSeed);
      const COLORREF crPlanet = ScaleColour(RandomColour(), 3.0);
      ASSERT_EQ(p.m_crPlanet, crPlanet);
      ASSERT_EQ(p.m_crTexture, ScaleColour(crPlanet, 0.75));
      ASSERT_EQ(p.m_crBackground, ScaleColour(RandomColour(), 0.2));
      const int n = RandomInt(38, 60);
      ASSERT_EQ(p.m_iNumber, iWidth / n < 20 ? 16 : n);
      ASSERT_EQ(p.m_iDiameter, RandomInt(50, 90));
      ASSERT_EQ(p.m_bTextured, RandomChance());
      ASSERT_EQ(RawRandom(), iNext);
    }
  }
}
