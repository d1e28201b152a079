#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/filspec.h"
#include "imaging/colour.h"
#include "imaging/constants.h"
#include "imaging/random.h"
#include "support/recording_reporter.h"
#include "xforms/bubble.h"
#include "xforms/progress.h"
#include "xforms/test_pictures.h"

namespace {
CFilSpec BubbleSpec(int iSeed, int iHighLight = HIGHLIGHT_TOP_LEFT) {
  CFilSpec spec = SpecFor(XFORM_BUBBLE, iSeed);
  spec.m_Bubble.m_iBubbles = 400;
  spec.m_Bubble.m_iHighLight = iHighLight;
  spec.m_Bubble.m_dSize = 2.5;
  spec.m_Bubble.m_crBubble = RGB(250, 240, 200);
  spec.m_Bubble.m_crHighLight = RGB(0, 255, 0);
  spec.m_Bubble.m_Background.m_crColour = RGB(10, 20, 60);
  return spec;
}

int CountColour(const CDADC& s, COLORREF cr) {
  int n = 0;
  for (int y = 0; y < s.m_iHeight; ++y)
    for (int x = 0; x < s.m_iWidth; ++x) n += s.m_pDC->GetPixel(x, y) == cr;
  return n;
}
}  // namespace

TEST(Bubble, ReproducibleAndSeeded) {
  auto in = MakeTestPicture(120, 80);
  for (int q : {1, 2}) {
    const CXformRun a = RunXform(BubbleSpec(99), *in, q);
    const CXformRun b = RunXform(BubbleSpec(99), *in, q);
    ASSERT_EQ(a.m_iResult, 1);
    EXPECT_TRUE(SameSurfaces(*a.m_pOut, *b.m_pOut));
    const std::string csName = "bubble_q" + std::to_string(q);
    EXPECT_TRUE(CDigestFile::Get().Check(csName, SurfaceDigest(*a.m_pOut)))
        << csName << " " << SurfaceDigest(*a.m_pOut);
    // Bubbles and highlights are there, on the background.
    EXPECT_GT(CountColour(*a.m_pOut, RGB(250, 240, 200)), 100 * q);
    EXPECT_GT(CountColour(*a.m_pOut, RGB(0, 255, 0)), 50 * q);
    EXPECT_GT(CountColour(*a.m_pOut, RGB(10, 20, 60)), 1000 * q * q);
  }
  const CXformRun a = RunXform(BubbleSpec(99), *in, 1);
  const CXformRun other = RunXform(BubbleSpec(100), *in, 1);
  EXPECT_FALSE(SameSurfaces(*a.m_pOut, *other.m_pOut));
  EXPECT_TRUE(TakeMessages().empty());
  EXPECT_EQ(GetStatusText(), "");
}

TEST(Bubble, BackgroundPenAndHighlightOff) {
  auto in = MakeTestPicture(90, 60);
  // The picture as background: where no bubble lies, the input shows.
  CFilSpec spec = BubbleSpec(5);
  spec.m_Bubble.m_Background.m_bUsePicture = 1;
  spec.m_Bubble.m_iBubbles = 100;
  const CXformRun pic = RunXform(spec, *in, 2);
  ASSERT_EQ(pic.m_iResult, 1);
  int iSame = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 90; ++x)
      iSame += pic.m_pOut->m_pDC->GetPixel(2 * x, 2 * y) == in->m_pDC->GetPixel(x, y);
  EXPECT_GT(iSame, 90 * 60 / 2);

  // Highlights off: no highlight colour, and the same random sequence as with highlights.
  const CXformRun off = RunXform(BubbleSpec(5, HIGHLIGHT_OFF), *in, 1);
  const int iAfterOff = RawRandom();
  const CXformRun on = RunXform(BubbleSpec(5, HIGHLIGHT_RIGHT), *in, 1);
  const int iAfterOn = RawRandom();
  EXPECT_EQ(iAfterOff, iAfterOn);
  EXPECT_EQ(CountColour(*off.m_pOut, RGB(0, 255, 0)), 0);
  EXPECT_GT(CountColour(*on.m_pOut, RGB(0, 255, 0)), 0);

  // The DC's own pen and brush are back after the run.
  CDADC out(90, 60), drw(90, 60);
  const HPEN hPen = out.m_pDC->GetCurrentPen();
  const HBRUSH hBrush = out.m_pDC->GetCurrentBrush();
  XformContext ctx;
  ctx.m_pIn = in.get();
  ctx.m_pOut = &out;
  ctx.m_pDrw = &drw;
  SeedRandom(1);
  EXPECT_EQ(ApplyBubble(spec.m_Bubble, ctx), 1);
  EXPECT_EQ(out.m_pDC->GetCurrentPen(), hPen);
  EXPECT_EQ(out.m_pDC->GetCurrentBrush(), hBrush);
  // A context without the drawing surface is refused.
  ctx.m_pDrw = nullptr;
  EXPECT_EQ(ApplyBubble(spec.m_Bubble, ctx), 0);
}

TEST(Bubble, BlackPictureStillEnds) {
  // All force values are 0: only threshold draws of 0 start a string, but
  // the count is reached all the same.
  CDADC in(40, 30);
  CFilSpec spec = BubbleSpec(8);
  spec.m_Bubble.m_iBubbles = 100;
  const CXformRun run = RunXform(spec, in, 1);
  EXPECT_EQ(run.m_iResult, 1);
  EXPECT_GT(CountColour(*run.m_pOut, RGB(250, 240, 200)), 0);
}

namespace {
void StopAt30(int iPercent, const char*) {
  if (iPercent >= 30 && iPercent <= 100) g_bStop = 1;
}
}  // namespace

TEST(Bubble, StopEndsTheRun) {
  auto in = MakeTestPicture(80, 60);
  CFilSpec spec = BubbleSpec(11);
  spec.m_Bubble.m_iBubbles = 5000;
  const CXformRun full = RunXform(spec, *in, 1);
  SetProgressHook(&StopAt30);
  const CXformRun stopped = RunXform(spec, *in, 1);
  SetProgressHook(nullptr);
  EXPECT_EQ(g_bStop, 1);
  g_bStop = 0;
  EXPECT_EQ(stopped.m_iResult, 0);
  EXPECT_EQ(GetStatusText(), "");
  const int iStopped = CountColour(*stopped.m_pOut, RGB(250, 240, 200));
  EXPECT_GT(iStopped, 0);
  EXPECT_LT(iStopped, CountColour(*full.m_pOut, RGB(250, 240, 200)));
}

namespace {
// A white force field of w x h with rows above iDarkBelow set to iDark.
std::vector<std::uint8_t> Field(int w, int h, int iDarkAbove = 0, int iDark = 0) {
  std::vector<std::uint8_t> a(static_cast<std::size_t>(w) * h, 255);
  for (int y = 0; y < iDarkAbove; ++y)
    for (int x = 0; x < w; ++x)
      a[static_cast<std::size_t>(y) * w + x] = static_cast<std::uint8_t>(iDark);
  return a;
}
}  // namespace

TEST(Bubble, StringsClimbUntilTheTopOrADarkerPoint) {
  BubbleParams p;
  p.m_iHighLight = HIGHLIGHT_OFF;
  CDADC out(100, 200);
  std::vector<std::uint8_t> aBright = Field(100, 200);
  // The steps: 1 or 2 times trunc(2 R0 + 1) = 5, growing by 2 after each bubble.
  auto expected = [](int y, int iDarkAbove) {
    SeedRandom(3);
    const int m = RandomChance() ? 10 : 5;
    int k = 0;
    do {
      y -= m + 2 * k;
      ++k;
    } while (y >= 0 && y >= iDarkAbove);
    return k;
  };
  {
    CBubbleBlower blower(*out.m_pDC, p, 2.0, aBright.data(), 100, 1);
    SeedRandom(3);
    EXPECT_EQ(blower.String(50, 0, 200), 1);  // from the top row: one bubble
    SeedRandom(3);
    EXPECT_EQ(blower.String(50, 199, 200), expected(199, 0));
  }
  // Rows above 120 are darker than the string's threshold: it stops below them.
  std::vector<std::uint8_t> aHalf = Field(100, 200, 120, 100);
  CBubbleBlower blower(*out.m_pDC, p, 2.0, aHalf.data(), 100, 1);
  SeedRandom(3);
  EXPECT_EQ(blower.String(50, 199, 101), expected(199, 120));
  SeedRandom(3);
  EXPECT_EQ(blower.String(50, 199, 100), expected(199, 0));  // not darker than 100
}

TEST(Bubble, RadiusFollowsSizeAndNeverVanishes) {
  BubbleParams p;
  p.m_iHighLight = HIGHLIGHT_OFF;
  std::vector<std::uint8_t> aField = Field(1000, 40);
  // Size 3 on a 1000-pixel-wide output: radius about 15 (diameter 3 %).
  CDADC big(1000, 40);
  {
    CBubbleBlower blower(*big.m_pDC, p, 3.0 * 1000 * 0.005, aField.data(), 1000, 1);
    blower.String(500, 0, 0);
  }
  int iLeft = -1;
  for (int x = 0; x < 1000 && iLeft < 0; ++x)
    if (big.m_pDC->GetPixel(x, 0 + 0) != 0 || big.m_pDC->GetPixel(x, 1) != 0) iLeft = x;
  int iRight = -1;
  for (int y = 0; y < 40; ++y)
    for (int x = 999; x > iRight; --x)
      if (big.m_pDC->GetPixel(x, y) != 0) iRight = x;
  EXPECT_GE(iRight - 500, 12);
  EXPECT_LE(iRight - 500, 16);

  // A tiny size still draws a ring of radius s around the point.
  CDADC small(40, 40);
  {
    CBubbleBlower blower(*small.m_pDC, p, 0.01, aField.data(), 20, 2);
    blower.String(10, 10, 0);
  }
  EXPECT_NE(small.m_pDC->GetPixel(18, 20), 0u);
  EXPECT_NE(small.m_pDC->GetPixel(21, 20), 0u);
  EXPECT_EQ(small.m_pDC->GetPixel(24, 20), 0u);
}

TEST(Bubble, HighlightArcsFaceTheirDirection) {
  // Each arc lies within 45 degrees (a quarter) or 90 degrees (a half) of its direction.
  const struct {
    int m_iDirection;
    double m_dx, m_dy, m_dHalfSweep;
  } aCases[] = {{HIGHLIGHT_TOP_LEFT, -1, -1, 90},   {HIGHLIGHT_TOP, 0, -1, 45},
                {HIGHLIGHT_TOP_RIGHT, 1, -1, 90},   {HIGHLIGHT_RIGHT, 1, 0, 45},
                {HIGHLIGHT_BOTTOM_RIGHT, 1, 1, 90}, {HIGHLIGHT_BOTTOM, 0, 1, 45},
                {HIGHLIGHT_BOTTOM_LEFT, -1, 1, 90}, {HIGHLIGHT_LEFT, -1, 0, 45}};
  std::vector<std::uint8_t> aField = Field(80, 80);
  for (const auto& c : aCases) {
    BubbleParams p;
    p.m_iHighLight = c.m_iDirection;
    CDADC out(80, 80);
    {
      CBubbleBlower blower(*out.m_pDC, p, 30.0, aField.data(), 80, 1);
      SeedRandom(1);
      blower.String(40, 0, 0);  // one bubble of radius 27..33 around (40, 0)
    }
    const double dLen = std::hypot(c.m_dx, c.m_dy);
    int iArc = 0;
    double dMaxAngle = 0;
    for (int y = 0; y < 80; ++y)
      for (int x = 0; x < 80; ++x) {
        if (out.m_pDC->GetPixel(x, y) != RGB(0, 255, 0)) continue;
        ++iArc;
        const double px = x + 0.5 - 40, py = y + 0.5 - 0;
        const double dCos = (px * c.m_dx + py * c.m_dy) / (std::hypot(px, py) * dLen);
        dMaxAngle = std::max(dMaxAngle, std::acos(std::min(1.0, dCos)) * 180 / 3.14159265);
      }
    // Only the lower half of the bubble is on the surface, so count what is seen.
    EXPECT_LE(dMaxAngle, c.m_dHalfSweep + 5) << c.m_iDirection;
    if (c.m_dy >= 0) {
      EXPECT_GT(iArc, 10) << c.m_iDirection;
    }
  }
  POINT a, b;
  EXPECT_FALSE(BubbleHighlightArc(HIGHLIGHT_OFF, RECT{0, 0, 10, 10}, a, b));
}

TEST(Bubble, ValidationAndAutochoose) {
  BubbleParams p;
  p.m_iBubbles = 5;
  p.m_dSize = std::numeric_limits<double>::quiet_NaN();
  p.m_iHighLight = 1099;
  EXPECT_EQ(ValidateBubble(p), 1);
  EXPECT_EQ(p.m_iBubbles, 100);
  EXPECT_EQ(p.m_dSize, 0.5);
  EXPECT_EQ(p.m_iHighLight, HIGHLIGHT_OFF);
  p.m_iBubbles = 9000;
  p.m_dSize = 3.5;
  p.m_iHighLight = 1109;
  ValidateBubble(p);
  EXPECT_EQ(p.m_iBubbles, 5000);
  EXPECT_EQ(p.m_dSize, 3.0);
  EXPECT_EQ(p.m_iHighLight, HIGHLIGHT_LEFT);

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
