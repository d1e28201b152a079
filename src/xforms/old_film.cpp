#include "xforms/old_film.h"

#include "imaging/area_selection.h"
#include "imaging/force_field.h"
#include "imaging/gdi_helpers.h"
#include "imaging/random.h"
#include "platform/dc.h"
#include "xforms/progress.h"

namespace {

constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kWhite = 0xFFFFFF;

constexpr COLORREF Grey(int v) { return static_cast<COLORREF>(v) * 0x010101; }

// Black or white film edges W / 10 wide on both sides, with rounded sprocket
// holes in the opposite colour. Returns the edge width.
int DrawFilmEdges(CDC& dc, CPenBrushSlots& pens, int W, int H) {
  const bool bWhite = RandomChance() != 0;
  const int edge = W / 10;
  dc.FillSolidRect(0, 0, edge, H, bWhite ? kWhite : kBlack);
  dc.FillSolidRect(W - edge, 0, W, H, bWhite ? kWhite : kBlack);
  const COLORREF crHole = bWhite ? kBlack : kWhite;
  pens.Select(PS_SOLID, 1, crHole, crHole);
  int hole = edge / 3;
  if (hole < 2) hole = 2;
  int gap = hole / 2;
  if (gap < 2) gap = 2;
  const int n = H / (hole + gap);
  const int c = edge / 5;
  int top = gap / 2;
  for (int i = 0; i <= n; ++i) {
    dc.RoundRect(c, top, edge - c, top + hole, c, c);
    dc.RoundRect(W - edge + c, top, W - c, top + hole, c, c);
    top += hole + gap;
  }
  return edge;
}

}  // namespace

int ValidateOldFilm(OldFilmParams& p) {
  if (p.m_iDirtiness < 0) p.m_iDirtiness = 0;
  if (p.m_iDirtiness > 150) p.m_iDirtiness = 150;
  if (p.m_iScratches < 0) p.m_iScratches = 0;
  if (p.m_iScratches > 40) p.m_iScratches = 40;
  return 1;
}

void AutochooseOldFilm(OldFilmParams& p) {
  p.m_iDirtiness = RandomInt(75, 150);
  p.m_bSprockets = RandomChance();
  p.m_bErrors = RandomChance();
  // The extra draw happens only without sprockets.
  if (p.m_bSprockets || RandomInt(0, 100) < 95)
    p.m_iScratches = RandomInt(20, 40);
  else
    p.m_iScratches = 0;
}

int ApplyOldFilm(const OldFilmParams& p, XformContext& ctx) {
  if (!ctx.IsValid()) return 0;
  const CDADC& in = *ctx.m_pIn;
  CDADC& out = *ctx.m_pOut;
  CDC& dc = *out.m_pDC;
  const int w = in.m_iWidth, h = in.m_iHeight, s = ctx.ScaleFactor();
  const int W = out.m_iWidth, H = out.m_iHeight;

  SetPercent(ctx.m_pPercent, 0, 5, 100, "Filming...");
  // Processing errors: the film reacts to a random colour instead of the
  // chosen one.
  AreaSelection sel = ctx.m_Select;
  if (p.m_bErrors) {
    sel.Randomize(50, 0);
    sel.SetSmooth(RandomInt(0, 2));
  }
  ForceFieldMap pField = MakeForceField(&in, sel, ctx.m_pStop);
  if (!pField) return 0;
  SetPercent(ctx.m_pPercent, 0, 5, 100, "Developing...");

  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const COLORREF cr = Grey(ForceAt(pField, x, y, w));
      if (s == 1)
        dc.SetPixelV(x, y, cr);
      else
        dc.FillSolidRect(x * s, y * s, x * s + s, y * s + s, cr);
    }
    SetPercent(ctx.m_pPercent, 10, 70, 100 * y / h);
    if (ctx.Stopped()) break;
  }

  {
    CPenBrushSlots pens(dc);
    // The marks fall between the film edges.
    int x0 = 0, x1 = W;
    if (p.m_bSprockets) {
      const int edge = DrawFilmEdges(dc, pens, W, H);
      x0 = edge;
      x1 = W - edge;
    }

    pens.Select(PS_SOLID, s, kBlack, kBlack);
    int iWidth = s;  // the pen width of the last hair or scratch; dust dots keep it
    const int n = 4 * p.m_iDirtiness;
    const int a1 = W / 550, a2 = W / 300, d1 = W / 1550, d2 = W / 500;
    for (int i = 0; i < n; ++i) {
      const int x = RandomInt(x0, x1);
      const int y = RandomInt(0, H - 1);
      if (RandomInt(0, 100) >= 96) {
        // A hair: an arc of a small ellipse.
        const int m = RandomInt(4 * s, 30 * s);
        const int o = RandomInt(4 * s, 30 * s);
        const int xs = x + RandomInt(-m, m);
        const int ys = y + RandomInt(-m, m);
        const int xe = x + RandomInt(-m, m);
        const int ye = y + RandomInt(-m, m);
        const int g = RandomInt(16, 64);
        iWidth = RandomInt(a1, a2);
        pens.Select(PS_SOLID, iWidth, Grey(g), kBlack);
        dc.Arc(x - m / 2, y - o / 2, x + m / 2, y + o / 2, xs, ys, xe, ye);
      } else if (RandomInt(0, 100) <= 60) {
        // A dust dot.
        const int r = RandomInt(d1, d2);
        const int g = RandomInt(16, 128);
        pens.Select(PS_SOLID, iWidth, Grey(g), Grey(g));
        dc.Ellipse(x - r, y - r, x + r, y + r);
      } else {
        // A short scratch.
        iWidth = RandomInt(a1, a2);
        const int g = RandomInt(16, 128);
        const int dx = RandomInt(-8 * s, 8 * s);
        const int dy = RandomInt(-8 * s, 8 * s);
        pens.Select(PS_SOLID, iWidth, Grey(g), kBlack);
        dc.MoveTo(x, y);
        dc.LineTo(x + dx, y + dy);
      }
      SetPercent(ctx.m_pPercent, 75, 100, 100 * i / n);
      if (ctx.Stopped()) break;
    }

    const int k = p.m_iScratches;
    if (k > 0) {
      // Vertical scratches through the whole frame, each with a few specks.
      const int q = (x1 - x0 + 1) / 40;
      pens.Select(PS_SOLID, s, kBlack, kBlack);
      for (int i = 0; i < k; ++i) {
        const int x = RandomInt(x0, x1);
        const int y1 = RandomInt(-10, H + 10);
        const int y2 = RandomInt(-10, H + 10);
        dc.MoveTo(x, y1);
        dc.LineTo(x, y2);
        const int iSpecks = RandomInt(0, 10);
        for (int j = 0; j < iSpecks; ++j) {
          const int l = RandomInt(x - q, x + q);
          const int t = RandomInt(y1 - q, y2 + q);
          if (s < 2)
            dc.SetPixelV(l, t, kBlack);
          else
            dc.Ellipse(l, t, l + s, t + s);
        }
      }
    }
  }

  pField.reset();
  SetStatusText("");
  return ctx.Stopped() ? 0 : 1;
}
