#include "xforms/op_art.h"

#include <cmath>

#include "imaging/constants.h"
#include "imaging/force_field.h"
#include "imaging/gdi_helpers.h"
#include "imaging/random.h"
#include "imaging/vec.h"
#include "xforms/progress.h"

int ValidateOpArt(OpArtParams& p, int iWidth, int /*iHeight*/) {
  if (p.m_iSquares < 32) p.m_iSquares = 32;
  if (p.m_iSquares > 128) p.m_iSquares = 128;
  // Every cell at least one pixel wide; one square stays even on a picture
  // without width.
  while (p.m_iSquares > 1 && iWidth / p.m_iSquares == 0) --p.m_iSquares;
  return 1;
}

void AutochooseOpArt(OpArtParams& p, int iWidth, int /*iHeight*/) {
  p.m_bWizard = 1;
  p.m_bOutlineOnly = RandomInt(0, 100) > 80 ? 1 : 0;
  // Cells of 8 pixels or more if it can be had in 100 tries; the last draw
  // stays otherwise.
  for (int i = 0; i < 100; ++i) {
    p.m_iSquares = RandomInt(12, 64);
    if (iWidth / p.m_iSquares >= 8) break;
  }
  // Validation ran before this draw: a picture narrower than the squares
  // drawn gets as many as it can hold, one pixel each.
  if (iWidth > 0 && p.m_iSquares > iWidth) p.m_iSquares = iWidth;
  const int c = RandomInt(0, 100);
  p.m_iGeometry = c <= 4 ? OPART_ROTATION
                  : c <= 9 ? OPART_SIZE
                  : c <= 14 ? OPART_ROTATION_AND_SIZE
                            : OPART_STRETCH;
  p.m_crForeground = RandomColour();
  ChooseBackground(p.m_Background, 1.0, 0);
  if (!p.m_Background.m_bUsePicture)
    RandomColourPair(p.m_crForeground, p.m_Background.m_crColour);
}

namespace {

// The square with half side a, turned by t about its centre and moved to
// (x, y), each coordinate truncated.
void DrawTurnedSquare(CDC& dc, int x, int y, int a, double t) {
  const CMatrix m = CMatrix::Multiply(CMatrix::Translate(CVec(x, y, 0)), CMatrix::Rotate(t, 2));
  const double d = a;
  const double aCorners[4][2] = {{-d, -d}, {d, -d}, {d, d}, {-d, d}};
  POINT aPts[4];
  for (int k = 0; k < 4; ++k) {
    const CVec v = TransformPoint(m, CVec(aCorners[k][0], aCorners[k][1], 0));
    aPts[k] = POINT{static_cast<LONG>(v.x()), static_cast<LONG>(v.y())};
  }
  dc.Polygon(aPts, 4);
}

}  // namespace

void DrawOpArtFigure(CDC& dc, int iGeometry, int x, int y, int b, int v) {
  const double t = v * HALF_PI / 255;
  switch (iGeometry) {
    case OPART_ROTATION: {
      int a = static_cast<int>(b * 0.9 / (ROOT_TWO * 2.0));
      if (a < 1) a += 2;
      DrawTurnedSquare(dc, x, y, a, t);
      return;
    }
    case OPART_ROTATION_AND_SIZE: {
      int a = static_cast<int>(b * 0.25 * ROOT_TWO) * v / 255;
      if (a < 1) a += 1;
      DrawTurnedSquare(dc, x, y, a, t);
      return;
    }
    case OPART_STRETCH: {
      // A rectangle of constant diagonal: a vertical bar at v = 0, a
      // horizontal one at 255; never narrower than a pixel.
      const int f = static_cast<int>(b * 0.5 * ROOT_TWO);
      const int g = static_cast<int>(f * std::sin(t));
      const int h = static_cast<int>(f * std::cos(t));
      const int x1 = x + g, y1 = y + h;
      int x2 = x - g, y2 = y - h;
      if (x2 < x1 + 1) ++x2;
      if (y2 < y1 + 1) ++y2;
      dc.Rectangle(x1, y1, x2, y2);
      return;
    }
    default: {
      int e = b * v / 600;
      if (e <= 1) e = 1;
      dc.Rectangle(x - e, y - e, x + e, y + e);
      return;
    }
  }
}

int ApplyOpArt(const OpArtParams& p, XformContext& ctx) {
  if (!ctx.IsValid()) return 0;
  CDADC& in = *ctx.m_pIn;
  CDADC& out = *ctx.m_pOut;
  CDC& dc = *out.m_pDC;
  const int w = in.m_iWidth, h = in.m_iHeight, s = ctx.ScaleFactor();
  const int W = out.m_iWidth, H = out.m_iHeight, n = p.m_iSquares;
  std::atomic<int>* pPercent = ctx.m_pPercent;

  SetStatusText("Squint and squeeze...");
  ForceFieldMap pField = MakeForceField(&in, ctx.m_Select, ctx.m_pStop);
  if (!pField) return 0;
  // A picture too narrow for the squares or too low for one row of them
  // gives no grid: a failed idea, not a division by zero.
  if (n <= 0) return ctx.Refuse("no squares across");
  const int b = W / n;
  if (b <= 0) return ctx.Refuse("the picture is narrower than its squares");
  const int r = H / b;
  if (r <= 0) return ctx.Refuse("the picture is lower than one row of its squares");

  FillBackground(out, in, p.m_Background);
  SetPercent(pPercent, 0, 100, 10, "Off we go...");

  SetStatusText("Optical creation...");
  {
    CPenBrushSlots slots(dc);
    slots.Select(PS_SOLID, s < 2 ? 1 : 2 * s, p.m_crForeground,
                 p.m_bOutlineOnly ? p.m_Background.m_crColour : p.m_crForeground);
    for (int i = 0; i < n && !ctx.Stopped(); ++i) {
      const int x = static_cast<int>(static_cast<long long>(W) * i / n) + b / 2;
      for (int j = 0; j < r; ++j) {
        const int y = static_cast<int>(static_cast<long long>(H) * j / r) + b / 2;
        // An out surface a little larger than in x s keeps its samples inside.
        const int fx = x / s < w ? x / s : w - 1;
        const int fy = y / s < h ? y / s : h - 1;
        DrawOpArtFigure(dc, p.m_iGeometry, x, y, b, ForceAt(pField, fx, fy, w));
        // A tall strip has many rows.
        if ((j & 1023) == 1023 && ctx.Stopped()) break;
      }
      SetPercent(pPercent, 10, 100, i * 100 / n);
    }
  }

  SetStatusText("Optical destruction...");
  pField.reset();
  SetPercent(pPercent, 10, 100, 101);
  return ctx.Stopped() ? 0 : 1;
}
