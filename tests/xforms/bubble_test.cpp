#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

#include "engine/filspec.h"
#include "imaging/colour.h"
#include "imaging/constants.h"
#include "imaging/random.h"
#include "support/recording_reporter.h"
#include "xforms/bubble.h"
#include "xforms/test_pictures.h"

namespace {
constexpr COLORREF kBubble = RGB(250, 240, 200), kLight = RGB(0, 255, 0);

CFilSpec BubbleSpec(int iSeed, int iHighLight = HIGHLIGHT_TOP_LEFT) {
  CFilSpec spec = SpecFor(XFORM_BUBBLE, iSeed);
  spec.m_Bubble.m_iBubbles = 400;
  spec.m_Bubble.m_iHighLight = iHighLight;
  spec.m_Bubble.m_dSize = 2.5;
  spec.m_Bubble.m_crBubble = kBubble;
  spec.m_Bubble.m_crHighLight = kLight;
  spec.m_Bubble.m_Background.m_crColour = RGB(10, 20, 60);
  return spec;
}

void StopAt30(int iPercent, const char*) {
  if (iPercent >= 30 && iPercent <= 100) g_bStop = 1;
}
}  // namespace

TEST(Bubble, ReproducibleSeededAndStoppable) {
  auto in = MakeTestPicture(120, 80);
  ExpectReproducedAndPinned(BubbleSpec(99), *in, "bubble");
  const CXformRun a = RunXform(BubbleSpec(99), *in, 1);
  EXPECT_FALSE(SameSurfaces(*a.m_pOut, *RunXform(BubbleSpec(100), *in, 1).m_pOut));
  // Highlights off: none drawn, and the same random sequence as with them.
  const CXformRun off = RunXform(BubbleSpec(99, HIGHLIGHT_OFF), *in, 1);
  const int iAfterOff = RawRandom();
  RunXform(BubbleSpec(99), *in, 1);
  EXPECT_EQ(RawRandom(), iAfterOff);
  EXPECT_EQ(CountColour(*off.m_pOut, kLight), 0);
  EXPECT_GT(CountColour(*a.m_pOut, kLight), 0);
  EXPECT_TRUE(TakeMessages().empty());

  // A stop ends the loop at its next test: fewer bubbles, and 0.
  SetProgressHook(&StopAt30);
  const CXformRun stopped = RunXform(BubbleSpec(99), *in, 1);
  SetProgressHook(nullptr);
  EXPECT_EQ(g_bStop, 1);
  g_bStop = 0;
  EXPECT_EQ(stopped.m_iResult, 0);
  EXPECT_EQ(GetStatusText(), "");
  EXPECT_LT(CountColour(*stopped.m_pOut, kBubble), CountColour(*a.m_pOut, kBubble));

  // All force values 0: only threshold draws of 0 start strings, but the run
  // ends. Tiny pictures work too.
  CDADC black(40, 30);
  EXPECT_EQ(RunXform(BubbleSpec(8), black, 1).m_iResult, 1);
  for (int w : {1, 2}) EXPECT_EQ(RunXform(BubbleSpec(8), *MakeTestPicture(w, 1), 4).m_iResult, 1);
}

TEST(Bubble, StringsClimbUntilTheTopOrADarkerPoint) {
  BubbleParams p;
  p.m_crBubble = kBubble;
  CDADC out(100, 200);
  // Force 255, except 100 in the rows above 120.
  std::vector<std::uint8_t> aField(100 * 200, 255);
  std::fill(aField.begin(), aField.begin() + 100 * 120, 100);
  // Steps of 1 or 2 times trunc(2 R0 + 1) = 5, growing by 2 after each bubble.
  auto expected = [](int y, int iStopAbove) {
    SeedRandom(3);
    const int m = RandomChance() ? 10 : 5;
    int k = 0;
    do y -= m + 2 * k++;
    while (y >= 0 && y >= iStopAbove);
    return k;
  };
  const HPEN hPen = out.m_pDC->GetCurrentPen();
  const HBRUSH hBrush = out.m_pDC->GetCurrentBrush();
  {
    CBubbleBlower blower(*out.m_pDC, p, 2.0, aField.data(), 100, 1);
    SeedRandom(3);
    EXPECT_EQ(blower.String(50, 0, 200), 1);  // from the top row: one bubble
    SeedRandom(3);
    EXPECT_EQ(blower.String(50, 199, 101), expected(199, 120));  // the dark rows stop it
    SeedRandom(3);
    EXPECT_EQ(blower.String(50, 199, 100), expected(199, 0));  // not darker than 100
  }
  EXPECT_EQ(out.m_pDC->GetCurrentPen(), hPen);  // the DC's own objects are back
  EXPECT_EQ(out.m_pDC->GetCurrentBrush(), hBrush);

  // Size 3 on a 1000-pixel-wide output: radius about 15 (hollow). A tiny
  // size still gives radius s. A threshold of 256 stops after one bubble.
  auto rightmost = [&](double dR0, int s, int iCentre) {
    CDADC big(1000, 60);
    CBubbleBlower(*big.m_pDC, p, dR0, aField.data(), 100, s).String(iCentre / s, iCentre / s, 256);
    int iRight = 0;
    for (int x = iCentre; x < 60; ++x)
      if (big.m_pDC->GetPixel(x, iCentre) == kBubble) iRight = x - iCentre;
    EXPECT_EQ(big.m_pDC->GetPixel(iCentre + 5, iCentre), 0u);
    return iRight;
  };
  SeedRandom(5);
  const int iBig = rightmost(15.0, 1, 30);
  SeedRandom(5);
  RandomChance();
  EXPECT_EQ(iBig, static_cast<int>(15.0 * RandomReal(0.9, 1.1)) - 1);
  EXPECT_GE(iBig, 12);
  EXPECT_EQ(rightmost(0.01, 2, 30), 1);  // the box 28..32: columns 28 to 31
}

TEST(Bubble, HighlightArcsFaceTheirDirection) {
  // Every arc pixel lies within 45 degrees (quarters) or 90 (halves) of its direction.
  const struct {
    int m_iDirection;
    double m_dx, m_dy, m_dHalfSweep;
  } aCases[] = {{HIGHLIGHT_TOP_LEFT, -1, -1, 90},   {HIGHLIGHT_TOP, 0, -1, 45},
                {HIGHLIGHT_TOP_RIGHT, 1, -1, 90},   {HIGHLIGHT_RIGHT, 1, 0, 45},
                {HIGHLIGHT_BOTTOM_RIGHT, 1, 1, 90}, {HIGHLIGHT_BOTTOM, 0, 1, 45},
                {HIGHLIGHT_BOTTOM_LEFT, -1, 1, 90}, {HIGHLIGHT_LEFT, -1, 0, 45}};
  const std::vector<std::uint8_t> aField(80 * 80, 255);
  for (const auto& c : aCases) {
    BubbleParams p;
    p.m_iHighLight = c.m_iDirection;
    p.m_crHighLight = kLight;
    CDADC out(80, 80);
    {
      CBubbleBlower blower(*out.m_pDC, p, 30.0, aField.data(), 80, 1);
      blower.String(40, 0, 0);  // one bubble around (40, 0): its lower half is seen
    }
    int iArc = 0;
    double dMaxAngle = 0;
    for (int y = 0; y < 80; ++y)
      for (int x = 0; x < 80; ++x) {
        if (out.m_pDC->GetPixel(x, y) != kLight) continue;
        ++iArc;
        const double px = x + 0.5 - 40, py = y + 0.5;
        const double dCos =
            (px * c.m_dx + py * c.m_dy) / (std::hypot(px, py) * std::hypot(c.m_dx, c.m_dy));
        dMaxAngle = std::max(dMaxAngle, std::acos(std::min(1.0, dCos)) * 180 / 3.14159265);
      }
    EXPECT_LE(dMaxAngle, c.m_dHalfSweep + 5) << c.m_iDirection;
    EXPECT_TRUE(c.m_dy < 0 || iArc > 10) << c.m_iDirection;
  }
}

TEST(Bubble, ValidationAndAutochoose) {
  BubbleParams lo, hi;
  lo.m_iBubbles = 5, lo.m_dSize = std::numeric_limits<double>::quiet_NaN(), lo.m_iHighLight = 1099;
  hi.m_iBubbles = 9000, hi.m_dSize = 3.5, hi.m_iHighLight = 1109;
  EXPECT_EQ(ValidateBubble(lo) + ValidateBubble(hi), 2);
  EXPECT_EQ(std::tuple(lo.m_iBubbles, lo.m_dSize, lo.m_iHighLight), std::tuple(100, 0.5, 1100));
  EXPECT_EQ(std::tuple(hi.m_iBubbles, hi.m_dSize, hi.m_iHighLight), std::tuple(5000, 3.0, 1108));

  BubbleParams p;
  p.m_bWizard = 0;
  p.m_Background.m_bUsePicture = 1;
  AreaSelection sel;
  SeedRandom(41);
  AutochooseBubble(p, sel);
  const int iNext = RawRandom();
  SeedRandom(41);
  EXPECT_EQ(p.m_iBubbles, RandomInt(2550, 5000));
  EXPECT_EQ(p.m_iHighLight, RandomInt(1101, 1108));
  COLORREF crFirst, crSecond;
  RandomColourPair(crFirst, crSecond);
  EXPECT_EQ(p.m_crBubble, crFirst);
  EXPECT_EQ(p.m_Background.m_crColour, ScaleColour(crSecond, 0.25));
  EXPECT_EQ(p.m_Background.m_bUsePicture, 0);
  EXPECT_EQ(p.m_crHighLight, ScaleColour(RandomColour(), 2.0));
  EXPECT_EQ(p.m_dSize, RandomReal(0.5, 1.5));
  EXPECT_EQ(sel.m_bInvert, RandomChance());
  EXPECT_EQ(RawRandom(), iNext);
  EXPECT_EQ(p.m_bWizard, 0);
}
