#include "imaging/force_field.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>
#include <vector>

#include "imaging/constants.h"
#include "imaging/dadc.h"
#include "support/recording_reporter.h"

using ::testing::ElementsAre;

namespace {

void Paint(CDADC& dc, int x, int y, COLORREF c) { dc.m_pDC->SetPixelV(x, y, c); }

std::vector<int> MapOf(const ForceFieldMap& map, int iSize) {
  return std::vector<int>(map.get(), map.get() + iSize);
}

// The map computed the slow, obvious way: GetPixel per pixel, the full window
// summed for every pixel, the same minimum/maximum and normalisation rules.
std::vector<int> ReferenceField(const CDADC& dc, const AreaSelection& sel) {
  const int w = dc.m_iWidth, h = dc.m_iHeight;
  std::vector<int> a(static_cast<std::size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const COLORREF c = dc.m_pDC->GetPixel(x, y);
      a[y * w + x] =
          sel.IsDefault() ? (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3 : sel.Weight(c);
    }
  if (sel.m_iSmooth > 1) {
    const int r = sel.m_iSmooth - 1;
    std::vector<int> s(a.size());
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        int iSum = 0, iCount = 0;
        for (int j = y - r; j <= y + r; ++j)
          for (int i = x - r; i <= x + r; ++i)
            if (i >= 0 && j >= 0 && i < w && j < h) {
              iSum += a[j * w + i];
              ++iCount;
            }
        s[y * w + x] = iSum / iCount;
      }
    a = s;
  }
  const auto [pMin, pMax] = std::minmax_element(a.begin(), a.end());
  const int iMin = *pMin, iMax = *pMax;
  if (iMin != iMax)
    for (int& v : a) v = (v - iMin) * 255 / (iMax - iMin);
  return a;
}

// Guards the global stop flag for a test that sets it.
struct CStopGuard {
  CStopGuard() { g_bStop = 1; }
  ~CStopGuard() { g_bStop = 0; }
};

}  // namespace

// A selection from a hand-made recipe may hold any numbers: the map is made
// (its bytes are whatever they are) and nothing is written outside it.
TEST(ForceField, SelectionOutsideItsRangesIsSafe) {
  CDADC dc(4, 3);
  Paint(dc, 0, 0, RGB(255, 255, 255));
  Paint(dc, 1, 1, RGB(0, 90, 200));
  for (const auto& [dHue, dSat, dVal] : {std::tuple{10.0, -2.0, 1.0}, std::tuple{200.0, 5.0, -3.0},
                                         std::tuple{-20.0, 0.5, 40.0}}) {
    AreaSelection sel;
    sel.SetHsv(dHue, dSat, dVal);
    for (int iSmooth : {0, 3}) {
      sel.m_iSmooth = iSmooth;
      EXPECT_TRUE(MakeForceField(&dc, sel, &g_bStop)) << dHue << ' ' << dSat << ' ' << dVal;
    }
  }
}

TEST(ForceField, DefaultSelectionIsBrightnessAnyChangeSelectsColour) {
  CDADC dc(3, 1);
  Paint(dc, 0, 0, RGB(255, 255, 255));
  Paint(dc, 1, 0, RGB(255, 0, 0));
  AreaSelection sel;
  // Brightness: white 255, red 85, black 0, already spanning 0..255.
  EXPECT_EQ(MapOf(MakeForceField(&dc, sel, &g_bStop), 3), (std::vector<int>{255, 85, 0}));
  // Value 0.99 makes the colour (252, 252, 252): squared weights 249, 29, 0,
  // stretched to 255, 29, 0.
  sel.SetHsv(0, 0, 0.99);
  EXPECT_EQ(MapOf(MakeForceField(&dc, sel, &g_bStop), 3), (std::vector<int>{255, 29, 0}));
  // Smoothing 1 keeps the weights linear (252, 86, 3) without averaging.
  sel.SetSmooth(1);
  EXPECT_EQ(MapOf(MakeForceField(&dc, sel, &g_bStop), 3), (std::vector<int>{255, 85, 0}));
}

TEST(ForceField, MatchesTheWindowMeanOnRandomPicturesForEverySmoothing) {
  std::mt19937 rng(7);
  const int aSizes[][2] = {{1, 1}, {1, 9}, {9, 1}, {5, 3}, {16, 16}, {23, 17}, {40, 31}};
  for (const auto& size : aSizes) {
    const int w = size[0], h = size[1];
    CDADC dc(w, h);
    for (int iPattern = 0; iPattern < 2; ++iPattern) {
      // Random colours, then white with one black pixel (the largest window sums).
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          Paint(dc, x, y, iPattern == 0 ? RGB(rng() & 255, rng() & 255, rng() & 255) : 0xFFFFFF);
      if (iPattern == 1) Paint(dc, w / 2, h / 2, 0);
      for (int n = 0; n <= 8; ++n) {
        AreaSelection sel;
        if (n > 0 || iPattern == 1) sel.SetHsv(rng() % 360, (rng() % 100) / 99.0, 1.0);
        sel.m_bInvert = static_cast<int>(rng() & 1) * (iPattern == 0);
        sel.SetSmooth(n);
        const ForceFieldMap map = MakeForceField(&dc, sel, &g_bStop);
        ASSERT_TRUE(map);
        EXPECT_EQ(MapOf(map, w * h), ReferenceField(dc, sel))
            << w << "x" << h << " pattern " << iPattern << " smoothing " << n;
        if (n == 8) {  // beyond the range (set directly): smoothed as 8
          sel.m_iSmooth = 40;
          EXPECT_EQ(MapOf(MakeForceField(&dc, sel, &g_bStop), w * h), MapOf(map, w * h));
        }
      }
    }
  }
  EXPECT_THAT(TakeMessages(), ElementsAre());
}

TEST(ForceField, UniformPictureKeepsItsValuesUnstretched) {
  // A range of zero would otherwise read white as 255 * 255 cut to a byte (1).
  CDADC dc(20, 20);
  dc.m_pDC->FillSolidRect(0, 0, 20, 20, RGB(255, 255, 255));
  ForceFieldMap map = MakeForceField(&dc, AreaSelection{}, &g_bStop);
  EXPECT_EQ(MapOf(map, 400), std::vector<int>(400, 255));

  dc.m_pDC->FillSolidRect(0, 0, 20, 20, RGB(90, 100, 110));
  map = MakeForceField(&dc, AreaSelection{}, &g_bStop);
  EXPECT_EQ(MapOf(map, 400), std::vector<int>(400, 100));

  // The same after smoothing: a white selection weighs (100, 100, 100) as 100.
  AreaSelection sel;
  sel.SetSmooth(3);
  dc.m_pDC->FillSolidRect(0, 0, 20, 20, RGB(100, 100, 100));
  map = MakeForceField(&dc, sel, &g_bStop);
  EXPECT_EQ(MapOf(map, 400), std::vector<int>(400, 100));
}

TEST(ForceField, MissingSurfaceOrStopGivesNoMap) {
  EXPECT_FALSE(MakeForceField(nullptr, AreaSelection{}, &g_bStop));
  CDADC empty;
  EXPECT_FALSE(MakeForceField(&empty, AreaSelection{}, &g_bStop));
  CDADC dc(30, 30);
  {
    CStopGuard stop;
    EXPECT_FALSE(MakeForceField(&dc, AreaSelection{}, &g_bStop));
    AreaSelection sel;
    sel.SetSmooth(8);
    EXPECT_FALSE(MakeForceField(&dc, sel, &g_bStop));
  }
  EXPECT_THAT(TakeMessages(), ElementsAre());
}

TEST(ForceField, ShowPaintsGreyAndChecksItsSurfaces) {
  CDADC src(4, 2), dst(4, 2);
  Paint(src, 0, 0, RGB(255, 255, 255));
  Paint(src, 1, 1, RGB(30, 60, 90));
  EXPECT_EQ(ShowForceField(&dst, &src, AreaSelection{}), 1);
  EXPECT_EQ(dst.m_pDC->GetPixel(0, 0), RGB(255, 255, 255));
  EXPECT_EQ(dst.m_pDC->GetPixel(1, 1), RGB(60, 60, 60));
  EXPECT_EQ(dst.m_pDC->GetPixel(3, 1), RGB(0, 0, 0));

  CDADC wide(5, 2), tall(4, 3), empty;
  EXPECT_EQ(ShowForceField(nullptr, &src, AreaSelection{}), 0);
  EXPECT_EQ(ShowForceField(&empty, &src, AreaSelection{}), 0);
  EXPECT_EQ(ShowForceField(&wide, &src, AreaSelection{}), 0);
  EXPECT_EQ(ShowForceField(&tall, &src, AreaSelection{}), 0);
  EXPECT_THAT(TakeMessages(),
              ElementsAre("AHRF: Bad DCs", "AHRF: Bad DCs", "AHRF: in-out size x error",
                          "AHRF: in-out size y error"));
  CStopGuard stop;
  EXPECT_EQ(ShowForceField(&dst, &src, AreaSelection{}), 0);
}

TEST(ForceFieldLevels, PercentileCountsDownFromTheTop) {
  ForceFieldHistogramCounts h{};
  for (int v = 0; v < 100; v += 10) h[v] = 10;  // 100 pixels at 0, 10, ... 90
  EXPECT_EQ(PercentileLevel(0, h), 255);
  EXPECT_EQ(PercentileLevel(-3, h), 255);
  EXPECT_EQ(PercentileLevel(100, h), 0);
  EXPECT_EQ(PercentileLevel(250, h), 0);
  EXPECT_EQ(PercentileLevel(25, h), 70);  // 90, 80, 70 hold 30 >= 25
  EXPECT_EQ(PercentileLevel(30, h), 70);
  EXPECT_EQ(PercentileLevel(31, h), 60);
  // Counts too large for 32-bit products: 90 % of 10^8 pixels lies at 10.
  ForceFieldHistogramCounts big{};
  big[200] = 50000000;
  big[10] = 50000000;
  EXPECT_EQ(PercentileLevel(90, big), 10);
}

TEST(ForceFieldLevels, BimodalMidpointNeedsTwoLevelsAboveFivePercent) {
  ForceFieldHistogramCounts h{};
  int iLevel = -1;
  h[40] = 50;
  EXPECT_FALSE(BimodalMidpoint(h, iLevel));
  h[201] = 45;
  h[100] = 5;  // exactly 5 % does not count
  ASSERT_TRUE(BimodalMidpoint(h, iLevel));
  EXPECT_EQ(iLevel, 120);
  ForceFieldHistogramCounts low{};
  low[0] = low[1] = 50;  // midpoint 0 is refused
  EXPECT_FALSE(BimodalMidpoint(low, iLevel));
}

TEST(ForceFieldLevels, ThresholdPrefersTheBimodalMidpoint) {
  EXPECT_EQ(ForceFieldThreshold(50, nullptr, 100), 128);
  std::vector<std::uint8_t> a(100, 77);
  EXPECT_EQ(ForceFieldThreshold(50, a.data(), 0), 128);
  // One populated level: the percentile.
  ForceFieldHistogramCounts h = ForceFieldHistogram(a.data(), a.size());
  EXPECT_EQ(h[77], 100u);
  EXPECT_EQ(ForceFieldThreshold(30, a.data(), a.size()), PercentileLevel(30, h));
  EXPECT_EQ(ForceFieldThreshold(30, a.data(), a.size()), 77);
  std::fill(a.begin(), a.begin() + 40, 10);
  EXPECT_EQ(ForceFieldThreshold(30, a.data(), a.size()), 43);
}

TEST(ForceFieldLevels, ShrinkTakesNearestPixelsAndRefusesBadSizes) {
  const int sw = 50, sh = 40;
  std::vector<std::uint8_t> a(sw * sh);
  for (int i = 0; i < sw * sh; ++i) a[i] = static_cast<std::uint8_t>(i * 7);
  const ForceFieldMap s = ShrinkForceField(a.data(), sw, sh, 25, 24);
  ASSERT_TRUE(s);
  for (int i = 0; i < 24; ++i)
    for (int j = 0; j < 25; ++j)
      ASSERT_EQ(ForceAt(s, j, i, 25), a[(i * sh / 24) * sw + j * sw / 25]) << j << "," << i;
  EXPECT_FALSE(ShrinkForceField(a.data(), sw, sh, 23, 24));
  EXPECT_FALSE(ShrinkForceField(a.data(), sw, sh, 25, 23));
  EXPECT_FALSE(ShrinkForceField(a.data(), sw, sh, 50, 30));
  EXPECT_FALSE(ShrinkForceField(a.data(), sw, sh, 30, 40));
  EXPECT_FALSE(ShrinkForceField(nullptr, sw, sh, 25, 24));
}
