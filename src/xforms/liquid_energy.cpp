#include "xforms/liquid_energy.h"

#include <array>

#include "imaging/colour.h"
#include "imaging/force_field.h"
#include "imaging/random.h"
#include "imaging/row_blocks.h"
#include "imaging/xform_helpers.h"
#include "xforms/block_rows.h"
#include "xforms/progress.h"

int ValidateLiquidEnergy(LiquidEnergyParams& /*p*/) { return 1; }

void AutochooseLiquidEnergy(LiquidEnergyParams& p, AreaSelection& sel) {
  p.m_iRippleWidth = RandomInt(10, 100);
  sel.SetSmooth(RandomInt(3, 5));
  RandomColourPair(p.m_crEnergy, p.m_crLiquid);
}

COLORREF RippleColour(int v, int iPeriod, COLORREF crA, COLORREF crB) {
  // A width of 0 or 1 would leave no half ripple to divide by.
  const int P = iPeriod < 2 ? 2 : iPeriod;
  const int iHalf = P / 2;
  v %= P;
  const double t = static_cast<double>(v > iHalf ? P - v : v) / iHalf;
  return BlendColour(t * t, crA, crB);
}

void RippleFill(CDC& dc, int s, int iPeriod, COLORREF crA, COLORREF crB,
                const std::uint8_t* pField, int w, int h, const XformContext& ctx, int iLo,
                int iHi, const char* szMessage) {
  SetStatusText(szMessage);
  // Force levels are bytes: one colour per level, worked out once.
  std::array<COLORREF, 256> aColours;
  for (int v = 0; v < 256; ++v) aColours[v] = RippleColour(v, iPeriod, crA, crB);
  CBitmap* pBitmap = DirectlyWritable(dc, w * s, h * s);
  if (!pBitmap) {
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x)
        dc.FillSolidRect(x * s, y * s, x * s + s, y * s + s, aColours[ForceAt(pField, x, y, w)]);
      SetPercent(ctx.m_pPercent, iLo, iHi, 100 * y / h);
      if (ctx.Stopped()) break;
    }
    return;
  }
  // Every block is filled and none overlaps another, so the rows may be
  // shared between the cores.
  std::array<PixelBytes, 256> aBytes;
  for (int v = 0; v < 256; ++v) aBytes[v] = BytesOf(aColours[v]);
  WriteBlocksByRows(*pBitmap, w, h, s, RowBlockCount(h), ctx, iLo, iHi,
                    [&](int, int x, int y) { return aBytes[ForceAt(pField, x, y, w)]; });
  // The fills left the last block's colour as the background.
  if (w > 0 && h > 0) dc.SetBkColor(aColours[ForceAt(pField, w - 1, h - 1, w)]);
}

int ApplyLiquidEnergy(const LiquidEnergyParams& p, XformContext& ctx) {
  if (!ctx.IsValid()) return 0;
  const CDADC& in = *ctx.m_pIn;
  const int s = ctx.ScaleFactor();

  SetPercent(ctx.m_pPercent, 0, 10, 100);
  SetStatusText("Splashing around...");
  ForceFieldMap pField = MakeForceField(&in, ctx.m_Select, ctx.m_pStop);
  if (!pField) return 0;

  RippleFill(*ctx.m_pOut->m_pDC, s, p.m_iRippleWidth, p.m_crEnergy, p.m_crLiquid, pField.get(),
             in.m_iWidth, in.m_iHeight, ctx, 10, 100, "Energizing...");

  SetStatusText("");
  return ctx.Stopped() ? 0 : 1;
}
