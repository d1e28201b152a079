#include "imaging/aa_mix.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "imaging/aa_mix_simd.h"
#include "imaging/constants.h"
#include "imaging/dadc.h"
#include "imaging/force_field.h"
#include "support/recording_reporter.h"

using ::testing::ElementsAre;

namespace {

const COLORREF kWhite = RGB(255, 255, 255);

void Fill(CDADC& dc, COLORREF c) { dc.m_pDC->FillSolidRect(0, 0, dc.m_iWidth, dc.m_iHeight, c); }

void FillRandom(CDADC& dc, std::mt19937& rng) {
  for (int y = 0; y < dc.m_iHeight; ++y)
    for (int x = 0; x < dc.m_iWidth; ++x)
      dc.m_pDC->SetPixelV(x, y, RGB(rng() & 255, rng() & 255, rng() & 255));
}

std::vector<std::uint8_t> Bytes(const CDADC& dc) {
  return std::vector<std::uint8_t>(dc.m_pBits, dc.m_pBits + dc.m_iImageSize);
}

MixSettings Mix(int iMode, int iPercent) {
  MixSettings mix;
  mix.m_iMixMode = iMode;
  mix.m_iPercent = iPercent;
  return mix;
}

// The weight of the original written out plainly for one pixel, formula by
// formula, as an independent check of the fast per-row weights.
double ReferenceWeight(const MixSettings& mix, int x, int y, int w, int h,
                       const std::uint8_t* pField) {
  const int iMode = mix.m_iMixMode;
  if (iMode == MIX_EVEN) return mix.m_iPercent * 0.01;
  if (iMode == MIX_HSV) return 1.0 - pField[y * w + x] / 255.0;
  const double D = std::sqrt(static_cast<double>(w) * w + static_cast<double>(h) * h) * 0.5;
  const double dx = x - w / 2.0, dy = y - h / 2.0;
  const double d = std::sqrt(dx * dx + dy * dy);
  const double ex = 2.0 * std::fabs(static_cast<double>(x) / w - 0.5);
  const double ey = 2.0 * std::fabs(static_cast<double>(y) / h - 0.5);
  const double e = 1.1 * std::sqrt(ex * ex + ey * ey);
  double r = 0;
  switch (iMode) {
    case MIX_LEFT_RIGHT:
      r = 1.0 - static_cast<double>(x) / w;
      break;
    case MIX_TOP_BOTTOM:
      r = 1.0 - static_cast<double>(y) / h;
      break;
    case MIX_RIGHT_LEFT:
      r = static_cast<double>(x) / w;
      break;
    case MIX_BOTTOM_TOP:
      r = static_cast<double>(y) / h;
      break;
    case MIX_CIRCLE_OUT:
      r = 1.0 - d / D;
      break;
    case MIX_CIRCLE_IN:
      r = d / D;
      break;
    case MIX_ELLIPSE_OUT:
      r = 1.0 - e / 2.0;
      break;
    case MIX_ELLIPSE_IN:
      r = e / 2.0;
      break;
  }
  const double u = (mix.m_iPercent / 2) * 0.01;
  if (r <= u) return 1.0;
  if (r >= 1.0 - u) return 0.0;
  return (r - (1.0 - u)) / (u - (1.0 - u));
}

// The whole reduction and mix, one pixel at a time through GetPixel/SetPixel:
// the block average, then trunc(A (1 - w) + O w).
void ReferenceMix(CDADC& out, const CDADC& src, const CDADC& org, const MixSettings& mix) {
  const int w = out.m_iWidth, h = out.m_iHeight, L = src.m_iWidth / w;
  ForceFieldMap field;
  if (mix.m_iMixMode == MIX_HSV) field = MakeForceField(&org, mix.m_Selection, &g_bStop);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int aSum[3] = {0, 0, 0};
      for (int j = 0; j < L; ++j)
        for (int i = 0; i < L; ++i) {
          const COLORREF c = src.m_pDC->GetPixel(x * L + i, y * L + j);
          aSum[0] += GetRValue(c);
          aSum[1] += GetGValue(c);
          aSum[2] += GetBValue(c);
        }
      int a[3];
      for (int k = 0; k < 3; ++k) a[k] = aSum[k] / (L * L);
      if (mix.m_iMixMode != MIX_OFF) {
        const double dOrg = ReferenceWeight(mix, x, y, w, h, field.get());
        const COLORREF o = org.m_pDC->GetPixel(x, y);
        const int aOrg[3] = {GetRValue(o), GetGValue(o), GetBValue(o)};
        for (int k = 0; k < 3; ++k) a[k] = static_cast<int>(a[k] * (1.0 - dOrg) + aOrg[k] * dOrg);
      }
      out.m_pDC->SetPixelV(x, y, RGB(a[0], a[1], a[2]));
    }
}

// Runs AAMixBlit with a status recorder and g_bStop as its stop flag;
// returns the texts shown, and whether the output was written in *pWritten.
std::vector<std::string> RunMix(CDADC& out, const CDADC& src, const CDADC* pOrg,
                                const MixSettings* pMix, std::atomic<int>* pPercent = nullptr,
                                bool* pWritten = nullptr) {
  std::vector<std::string> aStatus;
  const bool bWritten = AAMixBlit(&out, &src, pOrg, pMix, pPercent,
                                  [&](const char* s) { aStatus.emplace_back(s); }, &g_bStop);
  if (pWritten) *pWritten = bWritten;
  return aStatus;
}

struct CStopGuard {
  CStopGuard() { g_bStop = 1; }
  ~CStopGuard() { g_bStop = 0; }
};

}  // namespace

TEST(AAMix, EveryModeAndLevelMatchesThePlainFormulas) {
  std::mt19937 rng(11);
  // 261 and 130 pixels cross the loops' chunks; even and odd heights pair
  // mirrored rows differently.
  const int aSizes[][2] = {{1, 1}, {7, 3}, {3, 8}, {16, 9}, {25, 25}, {261, 4}, {130, 5}};
  for (int L = 1; L <= 4; ++L)
    for (const auto& size : aSizes)
      for (int iMode = MIX_OFF; iMode <= MIX_HSV; ++iMode)
        for (const int iPercent : {1, 37, 80, 98, 99}) {
          const int w = size[0], h = size[1];
          CDADC src(w * L, h * L), org(w, h), out(w, h), expected(w, h);
          FillRandom(src, rng);
          FillRandom(org, rng);
          MixSettings mix = Mix(iMode, iPercent);
          if (iPercent == 37) mix.m_Selection.SetHsv(rng() % 360, 0.5, 0.7);
          if (iPercent == 80) mix.m_Selection.SetSmooth(3);
          ReferenceMix(expected, src, org, mix);
          std::atomic<int> iProgress{-1};
          RunMix(out, src, iMode == MIX_OFF ? nullptr : &org, &mix, &iProgress);
          ASSERT_EQ(Bytes(out), Bytes(expected))
              << "L " << L << ", " << w << "x" << h << ", mode " << iMode << ", " << iPercent;
          if (L > 1 || iMode != MIX_OFF) {
            ASSERT_EQ(iProgress, 100 * (h - 1) / h);  // the last row
          }
        }
  EXPECT_THAT(TakeMessages(), ElementsAre());
}

// Every row loop the build and processor offer gives the plain loop's bytes,
// on widths around the vector steps and the chunks, with weights that
// include the pure ends.
TEST(AAMix, FastRowLoopsGiveThePlainBytes) {
  std::mt19937 rng(7);
  std::vector<int> aWidths;
  for (int w = 1; w <= 40; ++w) aWidths.push_back(w);
  for (const int w : {127, 128, 129, 255, 256, 257, 300, 1601}) aWidths.push_back(w);
  const mixrows::Path aPaths[] = {mixrows::Path::Sse2, mixrows::Path::Avx2};
  for (const int w : aWidths) {
    const int n = 3 * w, iStride = 4 * n + 4;  // room for L = 4 and a padded row
    std::vector<std::uint8_t> src(static_cast<std::size_t>(4) * iStride), org(n), avg(n);
    for (auto& b : src) b = static_cast<std::uint8_t>(rng());
    for (auto& b : org) b = static_cast<std::uint8_t>(rng());
    std::vector<double> aW(w);
    for (int x = 0; x < w; ++x) {  // 16..31 all original, 32..47 all average
      const bool bOrg = x / 16 == 1 || x % 5 == 0, bAvg = x / 16 == 2 || x % 5 == 1;
      aW[x] = bOrg ? 1.0 : (bAvg ? 0.0 : (rng() % 1001) / 1000.0);
    }
    const double w0 = (rng() % 100) * 0.01;
    for (int L = 1; L <= 4; ++L) {
      std::vector<std::uint8_t> expected(n), out(n + 1, 0xA5);  // out[n]: never written
      mixrows::AverageRow(mixrows::Path::Plain, L, src.data(), iStride, w, expected.data());
      for (const mixrows::Path path : aPaths) {
        mixrows::AverageRow(path, L, src.data(), iStride, w, out.data());
        ASSERT_TRUE(std::equal(expected.begin(), expected.end(), out.begin())) << w << " " << L;
        ASSERT_EQ(out[n], 0xA5);
      }
    }
    mixrows::AverageRow(mixrows::Path::Plain, 4, src.data(), iStride, w, avg.data());
    std::vector<std::uint8_t> aUniform(n), aPerPixel(n), out(n + 1, 0xA5);
    mixrows::MixUniform(mixrows::Path::Plain, avg.data(), org.data(), w0, 1.0 - w0, n,
                        aUniform.data());
    mixrows::MixPerPixel(mixrows::Path::Plain, avg.data(), org.data(), aW.data(), w,
                         aPerPixel.data());
    for (const mixrows::Path path : aPaths) {
      mixrows::MixUniform(path, avg.data(), org.data(), w0, 1.0 - w0, n, out.data());
      ASSERT_TRUE(std::equal(aUniform.begin(), aUniform.end(), out.begin())) << w;
      mixrows::MixPerPixel(path, avg.data(), org.data(), aW.data(), w, out.data());
      ASSERT_TRUE(std::equal(aPerPixel.begin(), aPerPixel.end(), out.begin())) << w;
      ASSERT_EQ(out[n], 0xA5);
    }
  }
  // The pure ends copy a picture exactly.
  const std::uint8_t a[3] = {0, 128, 255}, o[3] = {255, 7, 1};
  const double aEnds[2] = {1.0, 0.0};
  std::uint8_t out[3];
  mixrows::MixPerPixel(mixrows::FastestPath(), a, o, aEnds, 1, out);
  EXPECT_THAT(out, ElementsAre(255, 7, 1));
  mixrows::MixUniform(mixrows::FastestPath(), a, o, 0.0, 1.0, 3, out);
  EXPECT_THAT(out, ElementsAre(0, 128, 255));
}

TEST(AAMix, MixWeightAgreesWithThePlainFormulas) {
  const int w = 37, h = 23;
  std::vector<std::uint8_t> field(w * h);
  for (int i = 0; i < w * h; ++i) field[i] = static_cast<std::uint8_t>(i * 13);
  const double D = std::sqrt(37.0 * 37 + 23.0 * 23) * 0.5;
  for (int iMode = MIX_EVEN; iMode <= MIX_HSV; ++iMode)
    for (const int iPercent : {1, 2, 50, 99})
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const MixSettings mix = Mix(iMode, iPercent);
          const MixWeights m = MixWeight(mix, x, y, w, h, D, field.data());
          const double dRef = ReferenceWeight(mix, x, y, w, h, field.data());
          ASSERT_EQ(m.m_dOrg, dRef) << iMode << " " << iPercent << " " << x << "," << y;
          ASSERT_EQ(m.m_dXform, 1.0 - dRef);
        }
}

TEST(AAMix, BlockAverageTruncates) {
  CDADC src(2, 2), out(1, 1);
  src.m_pDC->SetPixelV(0, 0, kWhite);
  src.m_pDC->SetPixelV(1, 1, kWhite);
  EXPECT_THAT(RunMix(out, src, nullptr, nullptr), ElementsAre("Anti-alias...", ""));
  EXPECT_EQ(out.m_pDC->GetPixel(0, 0), RGB(127, 127, 127));  // 510 / 4
}

TEST(AAMix, LevelOneWithoutMixIsAnExactCopy) {
  std::mt19937 rng(3);
  CDADC src(13, 7), out(13, 7);
  FillRandom(src, rng);
  const MixSettings off;
  EXPECT_THAT(RunMix(out, src, nullptr, &off), ElementsAre("Output...", ""));
  EXPECT_EQ(Bytes(out), Bytes(src));
}

TEST(AAMix, EvenMixHalvesWhiteOverBlack) {
  CDADC src(8, 8), org(4, 4), out(4, 4);
  Fill(src, kWhite);
  const MixSettings mix = Mix(MIX_EVEN, 50);
  std::atomic<int> iPercent{-1};
  EXPECT_THAT(RunMix(out, src, &org, &mix, &iPercent), ElementsAre("Anti-alias...", ""));
  EXPECT_EQ(out.m_pDC->GetPixel(3, 2), RGB(127, 127, 127));
  EXPECT_EQ(iPercent, 75);  // the last row: 100 * 3 / 4
  // Percentages outside 1..99 give a pure picture, never a wrapped byte.
  const MixSettings over = Mix(MIX_EVEN, 150), under = Mix(MIX_EVEN, -20);
  EXPECT_THAT(RunMix(out, src, &org, &over), ElementsAre("Anti-alias...", ""));
  EXPECT_EQ(out.m_pDC->GetPixel(1, 1), RGB(0, 0, 0));
  RunMix(out, src, &org, &under);
  EXPECT_EQ(out.m_pDC->GetPixel(1, 1), kWhite);
}

TEST(AAMix, LeftRightRampAndHardEdge) {
  CDADC src(100, 2), org(100, 2), out(100, 2);
  Fill(src, kWhite);
  const MixSettings soft = Mix(MIX_LEFT_RIGHT, 1);
  EXPECT_THAT(RunMix(out, src, &org, &soft), ElementsAre("Mixing...", ""));
  EXPECT_EQ(GetRValue(out.m_pDC->GetPixel(0, 1)), 255);   // pure Xform
  EXPECT_EQ(GetRValue(out.m_pDC->GetPixel(50, 1)), 127);  // half and half
  EXPECT_EQ(GetRValue(out.m_pDC->GetPixel(99, 1)), 2);    // 99 % original
  const MixSettings hard = Mix(MIX_LEFT_RIGHT, 99);
  RunMix(out, src, &org, &hard);
  for (int x = 0; x < 100; ++x)
    EXPECT_EQ(GetRValue(out.m_pDC->GetPixel(x, 0)), x < 50 ? 255 : (x == 50 ? 127 : 0)) << x;
}

TEST(AAMix, VignetteKeepsTheCentreAndGivesTheCornersToTheXform) {
  const MixSettings vignette = Mix(MIX_ELLIPSE_IN, 80);
  const int w = 200, h = 100;
  const double D = std::sqrt(200.0 * 200 + 100.0 * 100) * 0.5;
  EXPECT_EQ(MixWeight(vignette, 100, 50, w, h, D, nullptr).m_dOrg, 1.0);
  EXPECT_EQ(MixWeight(vignette, 0, 0, w, h, D, nullptr).m_dOrg, 0.0);
  EXPECT_EQ(MixWeight(vignette, 199, 99, w, h, D, nullptr).m_dOrg, 0.0);
  // Along the middle row e = 1.1 * |2x/W - 1|: original up to e = 0.8, Xform
  // from e = 1.2, halfway at e = 1.
  for (int x = 100; x < w; ++x) {
    const double e = 1.1 * (2.0 * x / w - 1.0);
    const double dOrg = MixWeight(vignette, x, 50, w, h, D, nullptr).m_dOrg;
    if (e < 0.799) {
      EXPECT_EQ(dOrg, 1.0) << x;
    } else if (e > 1.201) {
      EXPECT_EQ(dOrg, 0.0) << x;
    } else if (e > 0.801 && e < 1.199) {
      EXPECT_NEAR(dOrg, (1.2 - e) / 0.4, 1e-9) << x;
    }
  }
}

TEST(AAMix, HsvWithDefaultSelectionGivesBrightPartsToTheXform) {
  CDADC src(4, 1), org(4, 1), out(4, 1);
  Fill(src, RGB(200, 100, 0));
  org.m_pDC->SetPixelV(0, 0, kWhite);
  org.m_pDC->SetPixelV(2, 0, RGB(51, 51, 51));
  const MixSettings hsv = Mix(MIX_HSV, 50);
  std::atomic<int> iPercent{0};
  EXPECT_THAT(RunMix(out, src, &org, &hsv, &iPercent),
              ElementsAre("Hsv mix analysis...", "Mixing...", ""));
  EXPECT_EQ(out.m_pDC->GetPixel(0, 0), RGB(200, 100, 0));  // bright: the Xform
  EXPECT_EQ(out.m_pDC->GetPixel(1, 0), RGB(0, 0, 0));      // dark: the original
  EXPECT_EQ(out.m_pDC->GetPixel(2, 0), RGB(80, 60, 40));   // w = 0.8
  EXPECT_EQ(iPercent, 0);
}

TEST(AAMix, SizeAndLevelErrorsLeaveTheOutputUnchanged) {
  CDADC out(100, 100), org(100, 100);
  Fill(out, RGB(1, 2, 3));
  const std::vector<std::uint8_t> before = Bytes(out);
  const MixSettings even = Mix(MIX_EVEN, 50);
  CDADC wide(300, 200), five(500, 500), half(50, 50), orgX(99, 100), orgY(100, 101), ok(200, 200);
  bool bWritten = true;
  EXPECT_THAT(RunMix(out, wide, &org, &even, nullptr, &bWritten), ElementsAre());
  EXPECT_FALSE(bWritten);  // nothing written is not a finished mix
  EXPECT_THAT(RunMix(out, five, &org, &even), ElementsAre());
  EXPECT_THAT(RunMix(out, half, nullptr, nullptr), ElementsAre());
  EXPECT_THAT(RunMix(out, ok, &org, nullptr), ElementsAre());
  EXPECT_THAT(RunMix(out, ok, &orgX, &even), ElementsAre());
  EXPECT_THAT(RunMix(out, ok, &orgY, &even), ElementsAre());
  AAMixBlit(nullptr, &ok, nullptr, nullptr, nullptr);
  EXPECT_THAT(TakeMessages(),
              ElementsAre("AAMixBlit, non square pixel error", "AAMixBlit, Bad aa level (5)",
                          "AAMixBlit, Bad aa level (0)", "AAMB: insufficient mix data",
                          "AAMB: Origin and destination\nx sizes are different...",
                          "AAMB: Origin and destination\ny sizes are different...",
                          "AAMB: missing output or Xform picture"));
  EXPECT_EQ(Bytes(out), before);
}

TEST(AAMix, MixWithoutOriginalLeavesEveryPixel) {
  CDADC src(20, 20), out(10, 10);
  Fill(src, kWhite);
  Fill(out, RGB(9, 8, 7));
  const std::vector<std::uint8_t> before = Bytes(out);
  const MixSettings circle = Mix(MIX_CIRCLE_OUT, 50);
  EXPECT_THAT(RunMix(out, src, nullptr, &circle), ElementsAre("Anti-alias...", ""));
  EXPECT_EQ(Bytes(out), before);
}

TEST(AAMix, StopEndsOnlyTheHsvAnalysis) {
  CDADC src(8, 8), org(4, 4), out(4, 4);
  Fill(src, kWhite);
  const std::vector<std::uint8_t> before = Bytes(out);
  CStopGuard stop;
  const MixSettings hsv = Mix(MIX_HSV, 50);
  std::atomic<int> iPercent{0};
  bool bWritten = true;
  EXPECT_THAT(RunMix(out, src, &org, &hsv, &iPercent, &bWritten), ElementsAre("Hsv mix analysis..."));
  EXPECT_FALSE(bWritten);
  EXPECT_EQ(iPercent, 5);
  EXPECT_EQ(Bytes(out), before);
  // Any other mix runs to the end.
  const MixSettings even = Mix(MIX_EVEN, 50);
  EXPECT_THAT(RunMix(out, src, &org, &even, nullptr, &bWritten), ElementsAre("Anti-alias...", ""));
  EXPECT_TRUE(bWritten);
  EXPECT_EQ(out.m_pDC->GetPixel(0, 0), RGB(127, 127, 127));
}

TEST(AAMix, UnknownModeKeepsTheXformPicture) {
  CDADC src(4, 4), org(2, 2), out(2, 2);
  Fill(src, kWhite);
  const MixSettings odd = Mix(2000, 50);
  RunMix(out, src, &org, &odd);
  EXPECT_EQ(out.m_pDC->GetPixel(1, 1), kWhite);
}
