#include "xforms/explode.h"

#include <cmath>

#include "imaging/colour.h"
#include "imaging/gdi_helpers.h"
#include "imaging/random.h"
#include "imaging/xform_helpers.h"
#include "platform/dc.h"
#include "xforms/progress.h"

BackgroundSpec NewExplodeBackground() {
  BackgroundSpec bg;
  RandomInt(0, 100);
  bg.m_crColour = ScaleColour(RandomColour(), 1.0);
  return bg;
}

int ValidateExplode(ExplodeParams&) { return 1; }

void AutochooseExplode(ExplodeParams& p) {
  // The pair's second colour is not used: the end is a lighter start.
  RandomColourPair(p.m_crStart, p.m_crEnd);
  p.m_crStart = ScaleColour(p.m_crStart, 1.5);
  p.m_crEnd = ScaleColour(p.m_crStart, 1.5);
  p.m_bEndFromImage = RandomInt(0, 100) >= 15 ? 1 : 0;
  p.m_bStartFromImage = p.m_bEndFromImage ? RandomChance() : 1;
  p.m_iTraces = RandomInt(500, 1500);
  p.m_iGravity = RandomInt(0, 100);
  p.m_dLength = RandomReal(1.5, 15.0);
  p.m_dEndWidth = RandomReal(0.5, 4.0);
  ChooseBackground(p.m_Background, 0.5, 75);
}

void DrawExplodeTrace(CDC& dc, int x0, int y0, int x1, int y1, COLORREF c0, COLORREF c1,
                      double dWidth, double dSag) {
  const int dx = x1 - x0, dy = y1 - y0;
  const int r0 = GetRValue(c0), g0 = GetGValue(c0), b0 = GetBValue(c0);
  const int dR = GetRValue(c1) - r0, dG = GetGValue(c1) - g0, dB = GetBValue(c1) - b0;
  CPenBrushSlots slots(dc);
  dc.MoveTo(x0, y0);
  for (int k = 1; k <= 10; ++k) {
    const int iWidth = static_cast<int>(k * dWidth / 10) + 1;
    // The steps stop one short of c1: the last segment has 9/10 of the way.
    const COLORREF c = RGB((r0 + (k - 1) * dR / 10) & 0xFF, (g0 + (k - 1) * dG / 10) & 0xFF,
                           (b0 + (k - 1) * dB / 10) & 0xFF);
    slots.Select(PS_SOLID, iWidth, c, c);
    dc.LineTo(x0 + k * dx / 10, y0 + k * dy / 10 + static_cast<int>((k - 1) * dSag));
  }
}

int ApplyExplode(const ExplodeParams& p, XformContext& ctx) {
  if (!ctx.IsValid()) return 0;
  const CDADC& in = *ctx.m_pIn;
  CDADC& out = *ctx.m_pOut;
  const int w = in.m_iWidth, h = in.m_iHeight, s = ctx.ScaleFactor();

  SetPercent(ctx.m_pPercent, 0, 100, 100);
  SetStatusText("Stand well back...");
  FillBackground(out, in, p.m_Background);

  // Half the diagonal (of a long strip: as of an ordinary picture of its area).
  const double R = BoundedDiagonal(w, h) / 2;
  double L = p.m_dLength * 0.01 * R;
  if (!(L >= 5)) L = 5;  // at least 5 input pixels (also for a length that is not a number)
  double dWidth = R * p.m_dEndWidth * s * 0.01;
  if (std::isnan(dWidth)) dWidth = 0;
  // The sag follows the height (of a tall strip: as of an ordinary picture
  // of its area, whose traces would otherwise fall thousands of pixels).
  const double dSag = s * p.m_iGravity * BoundedSide(h, w) * 0.0001;

  const int N = p.m_iTraces;
  for (int i = 0; i < N; ++i) {
    const int x = RandomInt(0, w - 1);
    const int y = RandomInt(0, h - 1);
    const double o = RandomReal(0.7, 1.0);
    // Away from the centre; a start exactly at the centre flies to the right.
    const double a = std::atan2(y - h / 2, x - w / 2);
    const int ex = static_cast<int>(o * L * std::cos(a) + x);
    const int ey = static_cast<int>(o * L * std::sin(a) + y);
    const COLORREF c0 = p.m_bStartFromImage ? in.m_pDC->GetPixel(x, y) : p.m_crStart;
    COLORREF c1 = p.m_crEnd;
    if (p.m_bEndFromImage)
      c1 = (ex >= 0 && ex < w && ey >= 0 && ey < h) ? in.m_pDC->GetPixel(ex, ey) : c0;
    DrawExplodeTrace(*out.m_pDC, s * x, s * y, s * ex, s * ey, c0, c1, dWidth, dSag);
    SetPercent(ctx.m_pPercent, 0, 100, static_cast<int>(i * 100LL / N));
    if (ctx.Stopped()) break;
  }
  SetStatusText("");
  return ctx.Stopped() ? 0 : 1;
}
