#include "xforms/net.h"

#include <cstdint>

#include "imaging/colour.h"
#include "imaging/force_field.h"
#include "imaging/random.h"
#include "imaging/xform_helpers.h"
#include "xforms/progress.h"

int ValidateNet(NetParams& /*p*/) { return 1; }

void AutochooseNet(NetParams& p, int iWidth, int iHeight) {
  for (int iTry = 0; iTry < 200; ++iTry) {
    p.m_iThreads = RandomInt(20, 200);
    if (10 * p.m_iThreads <= iWidth + iHeight) break;
  }
  p.m_bImageBackground = RandomInt(0, 100) > 80 ? 1 : 0;
  p.m_crBackground = ScaleColour(RandomColour(), 0.5);
  p.m_crThread = ScaleColour(RandomColour(), 3.0);
  if (RandomInt(0, 100) < 34)
    p.m_iGeometry = RandomChance() ? NET_HORIZONTAL : NET_VERTICAL;
  else
    p.m_iGeometry = NET_GRID;
  p.m_bBlur = RandomChance();
}

void DrawNet(CDC& dc, const std::uint8_t* pField, int w, int h, int s, int n, int iGeometry,
             const XformContext& ctx, int iLo, int iHi) {
  // Fewer than two threads would leave no spacing between the first and last.
  if (n < 2) n = 2;
  // Products of output sizes and counts may pass 2^31 on large pictures.
  const std::int64_t W = static_cast<std::int64_t>(w) * s, H = static_cast<std::int64_t>(h) * s;
  // Rows in proportion, as many at most as a picture four times taller than wide has.
  std::int64_t r = ProportionalCount(n, H, W);
  if (r < 4) r = 4;
  std::int64_t A = W / n;
  if (A <= 1) A = 2;
  // Input pixel of output coordinate v; the last row and column sample one
  // pixel inside.
  auto inX = [&](std::int64_t v) { return v / s >= w ? w - 1 : static_cast<int>(v / s); };
  auto inY = [&](std::int64_t v) { return v / s >= h ? h - 1 : static_cast<int>(v / s); };
  const int iMid = iLo + (iHi - iLo) / 2;

  if (iGeometry == NET_VERTICAL || iGeometry == NET_GRID) {
    SetStatusText("Knotting...");
    const int iEnd = iGeometry == NET_VERTICAL ? iHi : iMid;
    for (int i = 0; i < n; ++i) {
      const std::int64_t x = W * i / (n - 1);
      const int xi = inX(x);
      for (std::int64_t k = 0; k < r; ++k) {
        const std::int64_t y = k * H / (r - 1);
        const std::int64_t q = ForceAt(pField, xi, inY(y), w);
        const int px = static_cast<int>(x + q * A / 255), py = static_cast<int>(y);
        if (k == 0)
          dc.MoveToEx(px, py, nullptr);
        else
          dc.LineTo(px, py);
      }
      SetPercent(ctx.m_pPercent, iLo, iEnd, i * 100 / n);
      if (ctx.Stopped()) break;
    }
  }
  if (ctx.Stopped() || iGeometry == NET_VERTICAL) return;

  if (iGeometry == NET_HORIZONTAL || iGeometry == NET_GRID) {
    SetStatusText("Pulling...");
    for (std::int64_t k = 0; k < r; ++k) {
      const std::int64_t y = H * k / (r - 1);
      const int yi = inY(y);
      for (int i = 0; i < n; ++i) {
        const std::int64_t x = i * W / (n - 1);
        const std::int64_t q = ForceAt(pField, inX(x), yi, w);
        const int px = static_cast<int>(x), py = static_cast<int>(y + q * A / 255);
        if (i == 0)
          dc.MoveToEx(px, py, nullptr);
        else
          dc.LineTo(px, py);
      }
      SetPercent(ctx.m_pPercent, iMid, iHi, static_cast<int>(k * 100 / r));
      if (ctx.Stopped()) break;
    }
  }
}

int ApplyNet(const NetParams& p, XformContext& ctx) {
  if (!ctx.IsValid()) return 0;
  const CDADC& in = *ctx.m_pIn;
  CDADC& out = *ctx.m_pOut;
  CDC& dc = *out.m_pDC;
  const int w = in.m_iWidth, h = in.m_iHeight, s = ctx.ScaleFactor();

  SetPercent(ctx.m_pPercent, 0, 100, 5, "Knitting...");
  ForceFieldMap pField = MakeForceField(&in, ctx.m_Select, ctx.m_pStop);
  if (!pField) return 0;

  FillBackground(out, in, BackgroundSpec{p.m_crBackground, p.m_bImageBackground});

  // One pen per drawing of the net, put back and deleted after it.
  auto drawWith = [&](int iPenWidth, COLORREF c, int iLo, int iHi) {
    HPEN hPen = CreatePen(PS_SOLID, iPenWidth, c);
    HPEN hOld = dc.SelectObject(hPen);
    DrawNet(dc, pField.get(), w, h, s, p.m_iThreads, p.m_iGeometry, ctx, iLo, iHi);
    dc.SelectObject(hOld);
    DeleteObject(hPen);
  };
  if (p.m_bBlur) drawWith(5 * s, BlendColour(0.5, p.m_crThread, p.m_crBackground), 10, 55);
  if (!ctx.Stopped()) drawWith(s, p.m_crThread, 55, 100);

  SetPercent(ctx.m_pPercent, 0, 100, 101);
  SetStatusText("");
  pField.reset();
  return ctx.Stopped() ? 0 : 1;
}
