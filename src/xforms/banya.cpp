#include "xforms/banya.h"

#include <cstdint>

#include "imaging/colour.h"
#include "imaging/file_utils.h"
#include "imaging/force_field.h"
#include "imaging/gdi_helpers.h"
#include "imaging/random.h"
#include "imaging/xform_helpers.h"
#include "platform/dc.h"
#include "xforms/progress.h"

int ValidateBanya(BanyaParams& /*p*/) { return 1; }

void AutochooseBanya(BanyaParams& p, int iWidth, int /*iHeight*/) {
  p.m_iShapeMode = RandomInt(1, 3);
  p.m_dEllipseSize = RandomReal(0.4, 0.8);
  p.m_crBackground = RandomColour();
  p.m_crShape = RandomColour();
  p.m_crOdd = RandomColour();
  p.m_crEven = RandomColour();
  for (int iTry = 0; iTry < 100; ++iTry) {
    p.m_iSquares = RandomInt(10, 100);
    if (iWidth / p.m_iSquares >= 10) break;
  }
  p.m_bWizard = 1;
}

namespace {

// Fills shapes without outline, each with a brush of its own; the DC's pen
// and brush are back when it ends.
class CDiamondPainter {
 public:
  explicit CDiamondPainter(CDC& dc) : m_dc(dc), m_slots(dc) {}

  void Polygon(const POINT* pPts, int n, COLORREF cr) {
    Select(cr);
    m_dc.Polygon(pPts, n);
  }
  void Ellipse(int cx, int cy, int rx, int ry, COLORREF cr) {
    Select(cr);
    m_dc.Ellipse(cx - rx, cy - ry, cx + rx, cy + ry);
  }

 private:
  void Select(COLORREF cr) { m_slots.Select(PS_NULL, 1, 0, cr); }

  CDC& m_dc;
  CPenBrushSlots m_slots;
};

}  // namespace

int ApplyBanya(const BanyaParams& p, XformContext& ctx) {
  const int n = p.m_iSquares;
  // The rows follow the picture's proportions (at least 3, at most
  // kMaxCountAspect times the squares across). Worked out before
  // the context is checked, so a missing picture counts as none.
  const int iInWidth = ctx.m_pIn ? ctx.m_pIn->m_iWidth : 0;
  const int iInHeight = ctx.m_pIn ? ctx.m_pIn->m_iHeight : 0;
  int m = static_cast<int>(ProportionalCount(n, iInHeight, iInWidth));
  if (m < 3) m = 3;
  if (!ctx.IsValid()) return 0;
  // A record that skipped validation must not divide by zero.
  if (n < 1) return 0;

  const CDADC& in = *ctx.m_pIn;
  CDADC& out = *ctx.m_pOut;
  const int w = in.m_iWidth, h = in.m_iHeight, s = ctx.ScaleFactor();
  const long long W = out.m_iWidth, H = out.m_iHeight;

  SetPercent(ctx.m_pPercent, 0, 100, 5, "Preparing paper...");
  ForceFieldMap pField = MakeForceField(&in, ctx.m_Select, ctx.m_pStop);
  if (!pField) return 0;
  // The force at an input pixel (kept inside the picture).
  auto force = [&pField, w, h](long long x, long long y) {
    x = x < 0 ? 0 : (x >= w ? w - 1 : x);
    y = y < 0 ? 0 : (y >= h ? h - 1 : y);
    return ForceAt(pField, static_cast<int>(x), static_cast<int>(y), w);
  };

  SetPercent(ctx.m_pPercent, 0, 100, 20);
  const int cw = static_cast<int>(W / n), ch = static_cast<int>(H / m);
  {
    CDiamondPainter painter(*out.m_pDC);

    SetStatusText("Preparing Glue...");
    const COLORREF K = ComplementColour(p.m_crBackground);
    out.m_pDC->FillSolidRect(0, 0, static_cast<int>(W), static_cast<int>(H),
                             BlendColour(0.5, p.m_crBackground, K));

    // The glue: one diamond per cell, a pixel beyond the cell on three sides.
    // On a surface narrower than the squares across, neighbouring columns
    // fall on the same pixels: a column whose diamonds the next column
    // draws again in the same places (every one opaque, in the same order)
    // is wholly painted over, so it is not drawn. The same picture, and
    // work bounded by the surface's width rather than the count.
    SetStatusText("Sticky bits...");
    for (int i = 0; i < n; ++i) {
      const int x0 = static_cast<int>(i * W / n), x1 = static_cast<int>((i + 1) * W / n);
      const bool bCovered = i + 1 < n && static_cast<int>((i + 1) * W / n) == x0 &&
                            static_cast<int>((i + 2) * W / n) == x1;
      for (int j = 0; j < m && !bCovered; ++j) {
        const int y0 = static_cast<int>(j * H / m), y1 = static_cast<int>((j + 1) * H / m);
        const int q = force(static_cast<long long>(i) * w / n + cw / (2 * s),
                            static_cast<long long>(j) * h / m + ch / (2 * s));
        const POINT aPts[4] = {
            {x0 - 1, y0 + ch / 2}, {x0 - 1 + cw / 2, y0 - 1}, {x1 + 1, y0 + ch / 2},
            {x0 - 1 + cw / 2, y1 + 1}};
        painter.Polygon(aPts, 4, BlendColour(q / 255.0, p.m_crBackground, K));
      }
      SetPercent(ctx.m_pPercent, 20, 50, i * 100 / n);
      if (ctx.Stopped()) break;
    }

    // The crayons on the grid's corners, one more column and row than cells.
    SetStatusText("Crayon...");
    for (int i = 0; i <= n && !ctx.Stopped(); ++i) {
      const int x = static_cast<int>(i * W / n);
      // As for the glue: the next column's shapes cover the same pixels.
      const bool bCovered = i < n && static_cast<int>((i + 1) * W / n) == x;
      for (int j = 0; j <= m && !bCovered; ++j) {
        const int y = static_cast<int>(j * H / m);
        const int q = force(static_cast<long long>(i) * w / (n + 1) + cw / (2 * s),
                            static_cast<long long>(j) * h / (m + 1) + ch / (2 * s));
        const double t = q / 255.0;
        const COLORREF cr = IsEven(i + j) ? BlendColour(t, p.m_crEven, p.m_crOdd)
                                          : BlendColour(t, p.m_crOdd, p.m_crEven);
        const POINT aPts[4] = {{x - cw / 2, y}, {x, y - ch / 2}, {x + cw / 2, y}, {x, y + ch / 2}};
        painter.Polygon(aPts, 4, cr);

        const COLORREF crShape = BlendColour(t, p.m_crShape, p.m_crBackground);
        if (p.m_iShapeMode == BANYA_ELLIPSES) {
          const int cx = (aPts[0].x + aPts[1].x + aPts[2].x + aPts[3].x) / 4;
          const int cy = (aPts[0].y + aPts[1].y + aPts[2].y + aPts[3].y) / 4;
          painter.Ellipse(cx, cy, static_cast<int>(2 * (cw / 2) * p.m_dEllipseSize * 0.4),
                          static_cast<int>(2 * (ch / 2) * p.m_dEllipseSize * 0.4), crShape);
        } else {
          // Through the midpoints of the sides: a diamond of half the size.
          POINT aInner[4];
          for (int k = 0; k < 4; ++k)
            aInner[k] = {(aPts[k].x + aPts[(k + 1) % 4].x) / 2,
                         (aPts[k].y + aPts[(k + 1) % 4].y) / 2};
          painter.Polygon(aInner, 4, crShape);
        }
      }
      SetPercent(ctx.m_pPercent, 50, 100, i * 100 / n);
    }
  }
  pField.reset();
  SetPercent(ctx.m_pPercent, 0, 100, 101);
  SetStatusText("");
  return ctx.Stopped() ? 0 : 1;
}
