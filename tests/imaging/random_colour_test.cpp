#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "imaging/colour.h"
#include "imaging/xform_helpers.h"
#include "imaging/random.h"
#include "support/recording_reporter.h"

using ::testing::ElementsAre;

TEST(Random, ReproducesTheClassicGenerator) {
  SeedRandom(1);
  EXPECT_EQ(RawRandom(), 41);
  EXPECT_EQ(RawRandom(), 18467);
  EXPECT_EQ(RawRandom(), 6334);
  EXPECT_EQ(RawRandom(), 26500);
  EXPECT_EQ(RawRandom(), 19169);
}

TEST(Random, StateIsPerThread) {
  SeedRandom(1);
  RawRandom();
  int iOther = -1;
  // A new thread starts from seed 1 and its draws leave this thread's alone.
  std::thread t([&iOther] {
    iOther = RawRandom();
    for (int i = 0; i < 100; ++i) RawRandom();
  });
  t.join();
  EXPECT_EQ(iOther, 41);
  EXPECT_EQ(RawRandom(), 18467);
}

// A local run draws what the plain calls draw and leaves the thread's state
// where they would; a run ahead and a skip land where that many draws would.
TEST(Random, LocalRunsFollowTheThreadsSequence) {
  SeedRandom(77);
  const int r = RawRandom(), i = RandomInt(0, 100), iWide = RandomInt(-5, 1 << 30);
  const double d = RandomReal(0.91, 1.09);
  SkipRandom(1000);
  const int iNext = RawRandom();

  SeedRandom(77);
  {
    CRandomRun run;
    EXPECT_EQ(run.Raw(), r);
    EXPECT_EQ(run.Int(0, 100), i);
    EXPECT_EQ(run.Int(-5, 1 << 30), iWide);
    EXPECT_EQ(run.Real(0.91, 1.09), d);
    run.Skip(1000);
  }
  EXPECT_EQ(RawRandom(), iNext);

  SeedRandom(77);
  {
    CRandomRun ahead = CRandomRun().Ahead(1004);
    EXPECT_EQ(ahead.Raw(), iNext);
  }
  EXPECT_EQ(RawRandom(), r);  // a run ahead is one of its own: the thread's state is untouched
}

// Finds a seed whose first draw is r, so that the mapping of single draws can be checked.
static unsigned SeedForDraw(int r) {
  for (unsigned s = 0;; ++s) {
    if ((((s * 214013u + 2531011u) >> 16) & 0x7FFF) == static_cast<unsigned>(r)) return s;
  }
}

TEST(Random, RandomIntMapsDrawsOntoTheRange) {
  struct Case { int r, lo, hi, expected; };
  for (const Case& c : {Case{0, 0, 255, 0}, Case{127, 0, 255, 0}, Case{128, 0, 255, 1},
                        Case{32639, 0, 255, 254}, Case{32640, 0, 255, 255},
                        Case{32767, 0, 255, 255}, Case{32766, 0, 255, 255},
                        Case{12345, 5, 5, 5}, Case{32767, -10, 10, 10}, Case{0, -10, 10, -10}}) {
    SeedRandom(SeedForDraw(c.r));
    EXPECT_EQ(RandomInt(c.lo, c.hi), c.expected) << "draw " << c.r << " in [" << c.lo << ", " << c.hi << "]";
  }
}

TEST(Random, RealChanceAndColour) {
  SeedRandom(SeedForDraw(0));
  EXPECT_EQ(RandomReal(2.0, 3.0), 2.0);
  SeedRandom(SeedForDraw(32767));
  EXPECT_EQ(RandomReal(2.0, 3.0), 3.0);
  // RandomChance is 1 for exactly half of the outcomes of RandomInt(1, 100).
  int iOnes = 0;
  for (int r = 0; r < 32767; ++r) {
    SeedRandom(SeedForDraw(r));
    iOnes += RandomChance();
  }
  const int iFirstOne = (51 - 1) * 32767 / 100;  // smallest r with 1 + 100r/32767 >= 51
  EXPECT_NEAR(iOnes, 32767 - iFirstOne, 2);
  // Red first, then green, then blue.
  SeedRandom(7);
  const int r = RandomInt(0, 255), g = RandomInt(0, 255), b = RandomInt(0, 255);
  SeedRandom(7);
  EXPECT_EQ(RandomColour(), RGB(r, g, b));
}

TEST(Colour, BlendAndScale) {
  EXPECT_EQ(BlendColour(0.5, RGB(255, 255, 255), 0), 0x7F7F7Fu);
  EXPECT_EQ(BlendColour(1.0, RGB(1, 2, 3), RGB(9, 9, 9)), RGB(1, 2, 3));
  EXPECT_EQ(BlendColour(0.0, RGB(1, 2, 3), RGB(9, 8, 7)), RGB(9, 8, 7));
  EXPECT_EQ(ScaleColour(0x804020, 2.0), 0xFF8040u);
  EXPECT_EQ(ScaleColour(0xFFFFFF, 0.25), 0x3F3F3Fu);
}

TEST(Colour, HsvToRgbSectors) {
  double r, g, b;
  HsvToRgb(360, 1, 1, r, g, b);  // sector 6 is red again
  EXPECT_EQ(r, 1.0);
  EXPECT_EQ(g, 0.0);
  EXPECT_EQ(b, 0.0);
  HsvToRgb(120, 1, 1, r, g, b);
  EXPECT_EQ(g, 1.0);
  EXPECT_EQ(r, 0.0);
  HsvToRgb(240, 0.5, 0.8, r, g, b);
  EXPECT_DOUBLE_EQ(b, 0.8);
  EXPECT_DOUBLE_EQ(r, 0.4);
  HsvToRgb(77, 0, 0.3, r, g, b);  // no saturation: grey
  EXPECT_EQ(r, 0.3);
  EXPECT_EQ(b, 0.3);
  EXPECT_TRUE(TakeMessages().empty());
  HsvToRgb(-10, 1, 1, r, g, b);  // truncates to sector 0 silently
  EXPECT_TRUE(TakeMessages().empty());
  HsvToRgb(-60, 1, 1, r, g, b);
  EXPECT_THAT(TakeMessages(), ElementsAre("HsvToRgb(-1.000, 1.000, 1.000) = (-1)\n"));
  EXPECT_EQ(r, 1.0);  // the last sector's colour: (v, p, q)
  HsvToRgb(420, 1, 1, r, g, b);
  EXPECT_THAT(TakeMessages(), ElementsAre("HsvToRgb( 7.000, 1.000, 1.000) = (7)\n"));
}

TEST(Colour, RgbToHsvAndBack) {
  double h, s, v;
  RgbToHsv(1, 1, 0, h, s, v);
  EXPECT_EQ(h, 60.0);
  RgbToHsv(0.4, 0.4, 0.4, h, s, v);
  EXPECT_EQ(h, 0.0);
  EXPECT_EQ(s, 0.0);
  EXPECT_EQ(v, 0.4);
  RgbToHsv(0, 0, 0, h, s, v);
  EXPECT_EQ(s, 0.0);
  RgbToHsv(1, 0, 1, h, s, v);  // magenta: negative raw hue wraps
  EXPECT_EQ(h, 300.0);
  for (double dHue = 0; dHue < 360; dHue += 7.5) {
    double r, g, b, h2, s2, v2;
    HsvToRgb(dHue, 0.75, 0.5, r, g, b);
    RgbToHsv(r, g, b, h2, s2, v2);
    EXPECT_NEAR(h2, dHue, 1e-9);
    EXPECT_NEAR(s2, 0.75, 1e-12);
    EXPECT_NEAR(v2, 0.5, 1e-12);
  }
}

#include "imaging/area_selection.h"

TEST(AreaSelection, DefaultsWeightsAndSetters) {
  AreaSelection sel;
  EXPECT_TRUE(sel.IsDefault());
  EXPECT_EQ(sel.GetColour(), RGB(255, 255, 255));
  // Not inverted, no smoothing: closeness squared.
  EXPECT_EQ(sel.Weight(RGB(255, 255, 255)), 255);
  EXPECT_EQ(sel.Weight(RGB(0, 0, 0)), 0);
  EXPECT_EQ(sel.Weight(RGB(128, 128, 128)), 128 * 128 / 255);
  sel.SetSmooth(1);  // linear
  EXPECT_EQ(sel.Weight(RGB(128, 128, 128)), 128);
  sel.m_bInvert = 1;
  EXPECT_EQ(sel.Weight(RGB(128, 128, 128)), 127);
  sel.SetSmooth(12);
  EXPECT_EQ(sel.m_iSmooth, 8);
  sel.SetSmooth(-1);
  EXPECT_EQ(sel.m_iSmooth, 0);

  sel.Reset();
  sel.SetHsv(480, 2.0, 0.5);  // wrapped once, saturation cut to 1
  EXPECT_EQ(sel.m_dHue, 120.0);
  EXPECT_EQ(sel.m_dSat, 1.0);
  EXPECT_EQ(sel.GetColour(), RGB(0, 127, 0));
  EXPECT_FALSE(sel.IsDefault());
  sel.SetFromColour(RGB(255, 255, 0));
  EXPECT_EQ(sel.m_dHue, 60.0);
  EXPECT_EQ(sel.GetColour(), RGB(255, 255, 0));
}

TEST(AreaSelection, RandomizeDrawsInOrder) {
  SeedRandom(99);
  const double h = RandomReal(0, 359), s = RandomReal(0, 1), v = RandomReal(0, 1);
  const int r = RandomInt(0, 100), n = RandomInt(0, 8);
  SeedRandom(99);
  AreaSelection sel;
  sel.Randomize(50, 1);
  EXPECT_EQ(sel.m_dHue, h);
  EXPECT_EQ(sel.m_dSat, s);
  EXPECT_EQ(sel.m_dVal, v);
  EXPECT_EQ(sel.m_bInvert, r < 50 ? 1 : 0);
  EXPECT_EQ(sel.m_iSmooth, n);
}

TEST(ComplementColour, WrapsOnlyTheHuesTheConversionRefuses) {
  // Hue 235 + 180 = 415 is still taken by the conversion: wrapping it to 55
  // would round the green channel one level lower (EB instead of EC).
  EXPECT_EQ(ComplementColour(RGB(3, 4, 15)), RGB(0xF0, 0xEC, 0xC0));
  // Blue to violet hues (240 and more) wrap round instead of raising an error.
  for (int r = 0; r < 256; r += 5)
    for (int g = 0; g < 256; g += 5)
      for (int b = 0; b < 256; b += 5) ComplementColour(RGB(r, g, b));
  EXPECT_TRUE(TakeMessages().empty());
}
