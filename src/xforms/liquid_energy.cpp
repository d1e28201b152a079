#include "xforms/liquid_energy.h"

#include <array>
#include <cstring>

#include "imaging/colour.h"
#include "imaging/force_field.h"
#include "imaging/random.h"
#include "imaging/row_blocks.h"
#include "imaging/xform_helpers.h"
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
  // shared between the cores, each writing the bytes the fills would write:
  // a row's pixels once, then the row copied s - 1 times below it.
  std::array<std::array<std::uint8_t, 3>, 256> aBytes;
  for (int v = 0; v < 256; ++v)
    aBytes[v] = {static_cast<std::uint8_t>(GetBValue(aColours[v])),
                 static_cast<std::uint8_t>(GetGValue(aColours[v])),
                 static_cast<std::uint8_t>(GetRValue(aColours[v]))};
  const std::size_t iRowBytes = static_cast<std::size_t>(3) * w * s;
  ForEachRowBlock(h, RowBlockCount(h), [&](int iBlock, int iFirst, int iEnd) {
    for (int y = iFirst; y < iEnd; ++y) {
      std::uint8_t* const pRow = pBitmap->Row(y * s);
      std::uint8_t* p = pRow;
      const std::uint8_t* pForce = pField + static_cast<std::size_t>(y) * w;
      for (int x = 0; x < w; ++x) {
        const std::array<std::uint8_t, 3>& b = aBytes[pForce[x]];
        for (int i = 0; i < s; ++i, p += 3) std::memcpy(p, b.data(), 3);
      }
      for (int i = 1; i < s; ++i) std::memcpy(pBitmap->Row(y * s + i), pRow, iRowBytes);
      if (iBlock == 0) SetPercent(ctx.m_pPercent, iLo, iHi, 100 * (y - iFirst) / (iEnd - iFirst));
      if (ctx.Stopped()) break;
    }
  });
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
