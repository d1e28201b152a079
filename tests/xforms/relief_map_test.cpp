#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <tuple>
#include <utility>
#include <vector>

#include "cli/cli_run.h"
#include "engine/filspec.h"
#include "imaging/random.h"
#include "imaging/row_blocks.h"
#include "xforms/relief_map.h"
#include "xforms/test_pictures.h"

namespace {
CFilSpec ReliefSpec(int iSeed, int bContours, int bNumbered) {
  CFilSpec spec = SpecFor(XFORM_RELIEF_MAP, iSeed);
  spec.m_ReliefMap.m_bContours = bContours;
  spec.m_ReliefMap.m_bNumbered = bNumbered;
  return spec;
}

// All tracer contours of one level.
std::vector<std::vector<ReliefPoint>> Contours(const std::vector<std::uint8_t>& aMap, int n,
                                               int L) {
  std::vector<std::vector<ReliefPoint>> aAll;
  CContourTracer(aMap.data(), n, n).Level(L, true, [&](const std::vector<ReliefPoint>& a) {
    aAll.push_back(a);
  });
  return aAll;
}
}  // namespace

TEST(ReliefMap, ReproducibleWithLabelsEveryTime) {
  auto in = MakeTestPicture(200, 150);
  ExpectReproducedAndPinned(ReliefSpec(4, 1, 1), *in, "relief_map");

  // The label counter starts afresh in every Apply: a picture in between
  // does not move the labels of the next.
  const CXformRun a = RunXform(ReliefSpec(4, 1, 1), *in, 1);
  RunXform(ReliefSpec(9, 1, 1), *MakeTestPicture(300, 97), 1);
  EXPECT_TRUE(SameSurfaces(*a.m_pOut, *RunXform(ReliefSpec(4, 1, 1), *in, 1).m_pOut));
  // The labels are black text: the numbered map has some, the plain one none.
  EXPECT_GT(CountColour(*a.m_pOut, 0), 0);
  EXPECT_EQ(CountColour(*RunXform(ReliefSpec(4, 1, 0), *in, 1).m_pOut, 0), 0);

  // Below 48 pixels the half map is too small for contours: the same picture
  // as without (contours draw nothing random).
  auto small = MakeTestPicture(47, 90);
  EXPECT_TRUE(SameSurfaces(*RunXform(ReliefSpec(4, 1, 1), *small, 2).m_pOut,
                           *RunXform(ReliefSpec(4, 0, 0), *small, 2).m_pOut));
}

// Written straight into the surface by one block of columns or several, or
// drawn through a clipped DC: the same bytes, and the generator left in the
// same place for whatever draws next.
TEST(ReliefMap, SameBytesAndDrawsHoweverWritten) {
  auto in = MakeTestPicture(413, 120);
  for (int q : {1, 2}) {
    for (int bEarth : {1, 0}) {
      CFilSpec spec = ReliefSpec(6, 0, 0);
      spec.m_ReliefMap.m_bEarth = bEarth;
      LimitRowBlocks(1);
      const CXformRun one = RunXform(spec, *in, q);
      const int iNextOne = RawRandom();
      LimitRowBlocks(3);
      const CXformRun three = RunXform(spec, *in, q);
      const int iNextThree = RawRandom();
      LimitRowBlocks(0);
      ASSERT_EQ(one.m_iResult, 1);
      ASSERT_EQ(three.m_iResult, 1);
      EXPECT_TRUE(SameSurfaces(*one.m_pOut, *three.m_pOut)) << q;
      EXPECT_EQ(iNextOne, iNextThree) << q;

      // Clipped to the left half: that half as before, the rest untouched.
      CXformRun clipped;
      const int W = 413 * q, H = 120 * q;
      clipped.m_pOut = std::make_unique<CDADC>(W, H);
      clipped.m_pDrw = std::make_unique<CDADC>(413, 120);
      clipped.m_pOut->m_pDC->SelectClipRgn(CreateRectRgn(0, 0, W / 2, H));
      spec.SetDCs(clipped.m_pDrw.get(), clipped.m_pOut.get(), in.get());
      ASSERT_EQ(spec.Apply(), 1);
      EXPECT_EQ(RawRandom(), iNextOne) << q;
      int iDiffer = 0, iDrawn = 0;
      for (int y = 0; y < H; ++y)
        for (int i = 0; i < 3 * W; ++i) {
          const std::uint8_t b = clipped.m_pOut->Row(y)[i];
          if (i < 3 * (W / 2))
            iDiffer += b != one.m_pOut->Row(y)[i];
          else
            iDrawn += b != 0;
        }
      EXPECT_EQ(iDiffer, 0) << q;
      EXPECT_EQ(iDrawn, 0) << q;
    }
  }
}

TEST(ReliefMap, ClassesAndSlopes) {
  ReliefMapParams p;  // sea 51, hill 102, rock 153, snow 204
  const ReliefColours cols = ChooseReliefColours(p);
  COLORREF c;
  // At sea level: land; hill up to 153 + (102 - 153)/2 = 128; mountain from
  // 153 + 51/2 = 178; at the snow line no snow yet.
  const std::pair<int, EReliefClass> aCases[] = {
      {50, RELIEF_WATER}, {51, RELIEF_LOWLAND},    {127, RELIEF_HILL}, {129, RELIEF_ROCK},
      {178, RELIEF_MOUNTAIN}, {204, RELIEF_MOUNTAIN}, {205, RELIEF_SNOW}};
  for (const auto& [m, eClass] : aCases) EXPECT_EQ(ReliefClass(p, cols, m, c), eClass) << m;

  // Rising towards the bottom lightens, falling darkens, never below 0.1;
  // the lowest lowland is flat.
  EXPECT_DOUBLE_EQ(ReliefSlope(p, RELIEF_MOUNTAIN, 190, 180), 1 + 10 * 6.0 / 255);
  EXPECT_DOUBLE_EQ(ReliefSlope(p, RELIEF_SNOW, 210, 255), 0.1);
  EXPECT_DOUBLE_EQ(ReliefSlope(p, RELIEF_LOWLAND, 60, 40), 1.0);
  // Sea level equal to hill with rock one above: the fade has no width, and
  // a pixel at that level is shaded in full rather than 0/0.
  p.m_iSeaLevel = p.m_iHill = 100, p.m_iRock = 101;
  EXPECT_DOUBLE_EQ(ReliefSlope(p, RELIEF_HILL, 100, 90), 1 + 10 * 6.0 / 255);
}

TEST(ReliefMap, ContourTracing) {
  // A cone around (25, 25): one closed contour at distance (255 - 128)/6.
  // (Odd values only: a corner exactly at the level ends a contour there.)
  constexpr int m = 50;
  std::vector<std::uint8_t> aCone(m * m);
  for (int y = 0; y < m; ++y)
    for (int x = 0; x < m; ++x)
      aCone[y * m + x] =
          static_cast<std::uint8_t>(std::max(0.0, 255 - 6 * std::hypot(x - 25, y - 25))) | 1;
  auto aRings = Contours(aCone, m, 128);
  ASSERT_EQ(aRings.size(), 1u);
  EXPECT_GT(aRings[0].size(), 60u);
  for (const ReliefPoint& pt : aRings[0])
    EXPECT_NEAR(std::hypot(pt.x * (m - 1) - 25, pt.y * (m - 1) - 25), 127 / 6.0, 0.5);

  constexpr int n = 40;
  // A ramp rising to the right: one open contour from the bottom to the top
  // along the column where it crosses the level, traced once only.
  std::vector<std::uint8_t> aRamp(n * n);
  for (int y = 0; y < n; ++y)
    for (int x = 0; x < n; ++x) aRamp[y * n + x] = static_cast<std::uint8_t>(x * 6);
  auto aLines = Contours(aRamp, n, 100);
  ASSERT_EQ(aLines.size(), 1u);
  EXPECT_EQ(aLines[0].size(), static_cast<std::size_t>(n));
  for (const ReliefPoint& pt : aLines[0]) EXPECT_NEAR(pt.x * (n - 1), 100 / 6.0, 1e-9);
  // Level above every value: nothing.
  EXPECT_TRUE(Contours(aRamp, n, 250).empty());
}

TEST(ReliefMap, ValidationSettingsAndAutochoose) {
  ReliefMapParams p;
  EXPECT_EQ(ValidateReliefMap(p), 1);
  p.m_iHill = 40, p.m_bNumbered = 1;  // hill below the sea level; numbered without contours
  EXPECT_EQ(ValidateReliefMap(p), 0);
  EXPECT_EQ(CheckReliefMapSettings(p), nullptr);
  EXPECT_EQ(std::tuple(p.m_iSeaLevel, p.m_iHill, p.m_bNumbered), std::tuple(51, 51, 0));

  // Seed 3 gives contours, seed 7 no earth colours (Numbered kept).
  for (int iSeed : {3, 7}) {
    ReliefMapParams r;
    r.m_bWizard = 0, r.m_bNumbered = 1;
    AreaSelection sel;
    SeedRandom(iSeed);
    AutochooseReliefMap(r, sel);
    const int iNext = RawRandom();
    SeedRandom(iSeed);
    const int a = RandomInt(0, 85), b = RandomInt(a, 127), c = RandomInt(b, 191);
    const int d = RandomInt(c, 255), iSmooth = RandomInt(2, 4), bInvert = RandomChance();
    const int e = RandomInt(0, 100);
    const bool bContours = e <= 84 && RandomInt(0, 100) > 66;
    const int iSmooth2 = bContours ? RandomInt(4, 8) : iSmooth;
    const int bNumbered = bContours ? RandomChance() : 1;
    EXPECT_EQ(std::tuple(r.m_iSeaLevel, r.m_iHill, r.m_iRock, r.m_iSnowLine, sel.m_iSmooth,
                         sel.m_bInvert, r.m_bEarth, r.m_bContours, r.m_bNumbered),
              std::tuple(a, b, c, d, iSmooth2, bInvert, e < 85, bContours, bNumbered));
    EXPECT_EQ(RawRandom(), iNext);
    EXPECT_EQ(r.m_bWizard, 0);
  }
}

#ifdef VX_CLI_PATH
// Contours without labels draw no text: a damaged font does not fail them
// (nor are the fonts read); numbered contours fail naming the file.
TEST(ReliefMap, OnlyLabelsNeedTheFonts) {
  CTempDir tmp;
  const std::string csPic = tmp.Path("pic.bmp");
  ASSERT_EQ(MakeTestPicture(160, 120)->WriteBmpFile(csPic.c_str()), 1);
  const std::string csEnv = DataDirWithDamagedFont(tmp);
  namespace fs = std::filesystem;
  const fs::path damaged = fs::path(tmp.Path("data")) / "fonts" / "LiberationSans-Regular.ttf";
  const std::string csMake = "make " + csPic + " relief-map --quiet --set contours=contours ";
  std::string csErr;
  EXPECT_EQ(Cli(csMake + "-o " + tmp.Path("plain.png"), &csErr, csEnv), 0) << csErr;
  EXPECT_TRUE(fs::exists(tmp.Path("plain.png")));
  EXPECT_NE(Cli(csMake + "--set numbered=on -o " + tmp.Path("labels.png"), &csErr, csEnv), 0);
  EXPECT_THAT(csErr, ::testing::HasSubstr(damaged.string()));
  EXPECT_FALSE(fs::exists(tmp.Path("labels.png")));
}
#endif
