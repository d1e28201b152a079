#include "xforms/pearls.h"

#include <algorithm>
#include <cmath>

#include "imaging/colour.h"
#include "imaging/constants.h"
#include "imaging/force_field.h"
#include "imaging/gdi_helpers.h"
#include "imaging/random.h"
#include "imaging/xform_helpers.h"
#include "xforms/liquid_energy.h"
#include "xforms/progress.h"

namespace {

// Body, inner glow and highlight of the three pearl kinds.
constexpr COLORREF kPalettes[3][3] = {
    {RGB(238, 221, 178), RGB(213, 192, 207), RGB(244, 244, 252)},
    {RGB(225, 224, 196), RGB(174, 176, 152), RGB(249, 255, 250)},
    {RGB(121, 95, 82), RGB(202, 176, 187), RGB(255, 250, 242)},
};

constexpr COLORREF kSilkLight = RGB(220, 220, 220);
constexpr COLORREF kSilkDark = RGB(170, 170, 170);
constexpr int kSilkRipple = 64;

int ValidPalette(int i) { return i >= 0 && i <= 2 ? i : 0; }

// p percent of the diagonal d in whole pixels; 3 for a percentage outside 0..100.
int PercentOf(double p, double d) {
  if (!(p >= 0.0 && p <= 100.0)) return 3;
  return static_cast<int>(p * d * 0.01);
}

}  // namespace

int ValidatePearls(PearlsParams& p) {
  if (p.m_iPearls < 50) p.m_iPearls = 50;
  if (p.m_iPearls > 250) p.m_iPearls = 250;
  if (p.m_iAreaCovered < 10 || p.m_iAreaCovered > 90) p.m_iAreaCovered = 50;
  p.m_iPaletteA = ValidPalette(p.m_iPaletteA);
  p.m_iPaletteB = ValidPalette(p.m_iPaletteB);
  return 1;
}

void AutochoosePearls(PearlsParams& p, AreaSelection& sel, int iWidth, int iHeight) {
  sel.SetSmooth(RandomInt(4, 8));
  ChooseBackground(p.m_Background, 0.5, 33);
  p.m_iPearls = RandomInt(50, 250);
  const int d = static_cast<int>(
      std::sqrt(static_cast<double>(iWidth) * iWidth + static_cast<double>(iHeight) * iHeight));
  p.m_dSize = d < 501 ? RandomReal(1.0, 1.5) : RandomReal(0.5, 1.0);
  p.m_iPaletteA = RandomInt(0, 2);
  p.m_iPaletteB = RandomInt(0, 2);
  for (int iDraws = 1; p.m_iPaletteB == p.m_iPaletteA && iDraws < 101; ++iDraws)
    p.m_iPaletteB = RandomInt(0, 2);
  p.m_iAreaCovered = RandomInt(10, 90);
}

CPearl::CPearl(double dSize, int iWidth, int iHeight, int iPaletteA, int iPaletteB,
               int iHighlights) {
  const double D = BoundedDiagonal(iWidth, iHeight);
  m_iOuter = PercentOf(dSize, D);
  m_iInner = PercentOf(0.9 * dSize, D);
  for (int k = 0; k < 3; ++k) {
    m_aA[k] = kPalettes[ValidPalette(iPaletteA)][k];
    m_aB[k] = kPalettes[ValidPalette(iPaletteB)][k];
  }
  const int n = iHighlights < 0 ? 0 : (iHighlights > kMaxHighlights ? kMaxHighlights : iHighlights);
  m_iHighlights = n;
  for (int i = 0; i < n; ++i) {
    m_aRadius[i] = PercentOf(dSize * (i + 1) * 0.33 / (n + 1), D);
    const double dAngle = i * TWO_PI / n - 3.14159 / 6;
    m_aOffset[i] = POINT{static_cast<LONG>(std::cos(dAngle) * m_iOuter * 0.5),
                         static_cast<LONG>(std::sin(dAngle) * m_iOuter * -0.5)};
  }
}

void CPearl::Draw(CDC& dc, int x, int y, double t, COLORREF crPicture) const {
  if (!(t >= 0.0)) t = 0.0;
  if (t > 1.0) t = 1.0;
  CPenBrushSlots slots(dc);
  // One disc in one colour, outline and fill alike.
  auto disc = [&](COLORREF c, int l, int tp, int r, int b) {
    slots.Select(PS_SOLID, 0, c, c);
    dc.Ellipse(l, tp, r, b);
  };
  const int R = m_iOuter, r = m_iInner;
  // The shadow falls 2 output pixels down and right at every quality.
  disc(ScaleColour(crPicture, 0.5), x - R + 2, y - R + 2, x + R + 2, y + R + 2);
  disc(BlendColour(t, m_aA[0], m_aB[0]), x - R, y - R, x + R, y + R);
  disc(BlendColour(t, m_aA[1], m_aB[1]), x - r, y - r, x + r, y + r);
  const COLORREF crHighlight = BlendColour(t, m_aA[2], m_aB[2]);
  for (int i = 0; i < m_iHighlights; ++i) {
    const int cx = x + m_aOffset[i].x, cy = y + m_aOffset[i].y, q = m_aRadius[i];
    disc(crHighlight, cx - q, cy - q, cx + q, cy + q);
  }
}

int ApplyPearls(const PearlsParams& p, XformContext& ctx) {
  if (!ctx.IsValid()) return 0;
  const CDADC& in = *ctx.m_pIn;
  CDADC& out = *ctx.m_pOut;
  const int w = in.m_iWidth, h = in.m_iHeight, s = ctx.ScaleFactor();

  SetPercent(ctx.m_pPercent, 0, 5, 100);
  SetStatusText("Silk worms breed...");
  ForceFieldMap pField = MakeForceField(&in, ctx.m_Select, ctx.m_pStop);
  if (!pField) return 0;

  RippleFill(*out.m_pDC, s, kSilkRipple, kSilkLight, kSilkDark, pField.get(), w, h, ctx, 10, 50,
             "Silk worms work...");

  const int iThreshold =
      ForceFieldThreshold(p.m_iAreaCovered, pField.get(), static_cast<std::size_t>(w) * h);
  const CPearl pearl(p.m_dSize, out.m_iWidth, out.m_iHeight, p.m_iPaletteA, p.m_iPaletteB, 3);
  int iRange = 255 - iThreshold;
  if (iRange <= 0) iRange = 1;

  // On a picture of a few pixels the threshold can lie above every pixel; the
  // loop, which has no attempt limit, would then never end. No pearl then.
  const std::uint8_t* pBegin = pField.get();
  const bool bPlaceable =
      std::any_of(pBegin, pBegin + static_cast<std::size_t>(w) * h,
                  [&](std::uint8_t f) { return f >= iThreshold; });

  SetStatusText("Oysters open...");
  int iPlaced = 0;
  if (p.m_iPearls > 0 && bPlaceable) {
    while (!ctx.Stopped()) {
      const int x = RandomInt(0, w - 1);
      const int y = RandomInt(0, h - 1);
      const int f = ForceAt(pField, x, y, w);
      const COLORREF c = in.m_pDC->GetPixel(x, y);
      if (f >= iThreshold) {
        pearl.Draw(*out.m_pDC, x * s, y * s, static_cast<double>(f - iThreshold) / iRange, c);
        ++iPlaced;
        SetPercent(ctx.m_pPercent, 55, 100, 100 * iPlaced / p.m_iPearls);
      }
      if (iPlaced >= p.m_iPearls) break;
    }
  }
  pField.reset();
  return ctx.Stopped() ? 0 : 1;
}
