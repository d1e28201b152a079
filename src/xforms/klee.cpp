#include "xforms/klee.h"

#include <cstdint>
#include <memory>
#include <new>

#include "imaging/random.h"
#include "imaging/xform_helpers.h"
#include "platform/dc.h"
#include "platform/report.h"
#include "xforms/progress.h"

int ValidateKlee(KleeParams& p) {
  if (p.m_iStrokes < 10) p.m_iStrokes = 10;
  if (p.m_iStrokes > 50) p.m_iStrokes = 50;
  return 1;
}

void AutochooseKlee(KleeParams& p) {
  p.m_iStrokes = RandomInt(30, 50);
  p.m_dFreedom = RandomReal(0, 0.5);
}

void DrawKleePatch(CDC& dc, int x, int y, int z, COLORREF c) {
  const int hz = z / 2, a = z / 5;
  int r[8];
  for (int& v : r) v = RandomInt(0, a);
  POINT aPts[4] = {{x - r[0] - hz, y - r[1] - hz},
                   {x + r[2] + hz, y - r[3] - hz},
                   {x + r[4] + hz, y + r[5] + hz},
                   {x - r[6] - hz, y + r[7] + hz}};
  HBRUSH hBrush = CreateSolidBrush(c);
  HBRUSH hOldBrush = dc.SelectObject(hBrush);
  dc.Polygon(aPts, 4);
  // The chance is drawn for every patch, so that the sequence does not depend
  // on the patch size.
  HBRUSH hInner;  // lives until the old brush is back
  if (RandomChance() && a > 0) {
    hInner = CreateSolidBrush(JitterColour(c, 0.11));
    dc.SelectObject(hInner);
    aPts[0].x += a, aPts[0].y += a;
    aPts[1].x -= a, aPts[1].y += a;
    aPts[2].x -= a, aPts[2].y -= a;
    aPts[3].x += a, aPts[3].y -= a;
    dc.Polygon(aPts, 4);
  }
  dc.SelectObject(hOldBrush);
}

int ApplyKlee(const KleeParams& p, XformContext& ctx) {
  if (!ctx.IsValid()) return 0;
  const CDADC& in = *ctx.m_pIn;
  CDADC& out = *ctx.m_pOut;
  CDC& dc = *out.m_pDC;
  const int W = out.m_iWidth, H = out.m_iHeight, s = ctx.ScaleFactor();
  // A record that skipped validation must not divide by zero.
  const int n = p.m_iStrokes > 0 ? p.m_iStrokes : 1;

  SetPercent(ctx.m_pPercent, 0, 100, 5, "Paul...");
  // A strip wider than n times its height has no row: the grey ground alone.
  // A tall strip has at most kMaxCountAspect times n rows.
  const int iRows = static_cast<int>(ProportionalCount(n, H, W));
  const int z = static_cast<int>(static_cast<std::int64_t>(W) * 125 / (n * 100));
  const std::size_t iCells = static_cast<std::size_t>(iRows) * n;

  std::unique_ptr<std::uint8_t[]> aLayer(new (std::nothrow) std::uint8_t[iCells ? iCells : 1]);
  if (!aLayer) {
    // A failed idea, not a stop: later ideas of the run still get made.
    ReportError("Klee: not enough memory");
    return 0;
  }
  for (std::size_t k = 0; k < iCells; ++k) aLayer[k] = static_cast<std::uint8_t>(RandomInt(1, 4));

  dc.FillSolidRect(0, 0, W, H, RGB(127, 127, 127));
  HPEN hOldPen = dc.SelectObject(GetStockPen(NULL_PEN));
  if (iRows > 0) {
    std::int64_t iCount = 0;
    bool bStopped = false;
    for (int L = 1; L <= 4 && !bStopped; ++L) {
      for (int i = 0; i < n; ++i) {
        const int x = static_cast<int>(static_cast<std::int64_t>(W) * i / n) + z / 2;
        for (int j = 0; j < iRows; ++j) {
          if (aLayer[static_cast<std::size_t>(j) * n + i] != L) continue;
          const int y = static_cast<int>(static_cast<std::int64_t>(H) * j / iRows) + z / 2;
          const COLORREF c = JitterColour(in.m_pDC->GetPixel(x / s, y / s), p.m_dFreedom);
          DrawKleePatch(dc, x, y, z, c);
          ++iCount;
        }
        SetPercent(ctx.m_pPercent, 5, 100,
                   static_cast<int>(iCount * 100 / static_cast<std::int64_t>(iCells)));
        if (ctx.Stopped()) {
          bStopped = true;
          break;
        }
      }
    }
  }
  SetStatusText("");
  dc.SelectObject(hOldPen);
  return ctx.Stopped() ? 0 : 1;
}
