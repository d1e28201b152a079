#include "xforms/stardust.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "imaging/covered_painter.h"
#include "imaging/force_field.h"
#include "imaging/gdi_helpers.h"
#include "imaging/random.h"
#include "imaging/row_blocks.h"
#include "imaging/xform_helpers.h"
#include "platform/dc.h"
#include "xforms/progress.h"

namespace {

// One star in output pixels. A star without a long arm is a dust star.
struct Star {
  int x = 0, y = 0;
  int iGlow = 0;       // halo radius unit
  int iLongArm = 0;
  int iShortArm = 0;
  int iRing = 0;       // ring radius
  int iBrightness = 0;
};

constexpr COLORREF kStarColour = RGB(250, 250, 255);
constexpr COLORREF kDustColour = RGB(255, 255, 255);
constexpr int kHaloPasses = 6;

// The blue glow of the force field: every pixel whose energy e is above 0
// becomes a block of RGB(0, 0, e) on the black surface. No block overlaps
// another and no random number is drawn, so the rows are filled from the top
// (each block's fill and force read next to the last one's) and, where the
// surface's bytes may be written directly, shared between the cores. The
// background colour is then the one of the last block in column order (the
// rightmost column with energy, its lowest such pixel), as filling column
// by column left it.
void BackgroundEnergy(CDC& dc, const std::uint8_t* pField, int w, int h, int s, int E,
                      const XformContext& ctx) {
  SetStatusText("Background energy...");
  auto energy = [&](int x, int y) { return E * ForceAt(pField, x, y, w) / 100; };
  // Per row: the last column with energy, -1 for none.
  std::vector<int> aLastX(static_cast<std::size_t>(h), -1);
  CBitmap* pBitmap = DirectlyWritable(dc, w * s, h * s);
  const std::size_t iRowBytes = static_cast<std::size_t>(3) * w * s;
  ForEachRowBlock(h, pBitmap ? RowBlockCount(h) : 1, [&](int iBlock, int iFirst, int iEnd) {
    for (int y = iFirst; y < iEnd; ++y) {
      int& iLastX = aLastX[static_cast<std::size_t>(y)];
      if (pBitmap) {
        // The black surface's bytes, those the fills would write.
        std::uint8_t* pRow = pBitmap->Row(y * s);
        for (int x = 0; x < w; ++x) {
          const int e = energy(x, y);
          if (e <= 0) continue;
          const COLORREF c = RGB(0, 0, e);
          for (std::uint8_t* px = pRow + 3 * x * s; px < pRow + 3 * (x + 1) * s; px += 3) {
            px[0] = static_cast<std::uint8_t>(GetBValue(c));
            px[1] = static_cast<std::uint8_t>(GetGValue(c));
            px[2] = static_cast<std::uint8_t>(GetRValue(c));
          }
          iLastX = x;
        }
        for (int i = 1; i < s; ++i) std::memcpy(pBitmap->Row(y * s + i), pRow, iRowBytes);
      } else {
        for (int x = 0; x < w; ++x) {
          const int e = energy(x, y);
          if (e <= 0) continue;
          dc.FillSolidRect(x * s, y * s, x * s + s, y * s + s, RGB(0, 0, e));
          iLastX = x;
        }
      }
      if (iBlock == 0) SetPercent(ctx.m_pPercent, 5, 40, 100 * (y - iFirst) / (iEnd - iFirst));
      if (ctx.Stopped()) break;
    }
  });
  if (ctx.Stopped()) return;  // the picture is dropped
  int xLast = -1, yLast = -1;
  for (int y = 0; y < h; ++y)
    if (aLastX[static_cast<std::size_t>(y)] >= xLast) {
      xLast = aLastX[static_cast<std::size_t>(y)];
      yLast = y;
    }
  if (xLast >= 0) dc.SetBkColor(RGB(0, 0, energy(xLast, yLast)));
}

}  // namespace

int ValidateStarDust(StarDustParams& p) {
  if (p.m_iStars < 200) p.m_iStars = 200;
  if (p.m_iStars > 6000) p.m_iStars = 6000;
  if (p.m_iEnergy < 0) p.m_iEnergy = 0;
  if (p.m_iEnergy > 75) p.m_iEnergy = 75;
  if (p.m_iSpiked < 0) p.m_iSpiked = 0;
  if (p.m_iSpiked > 100) p.m_iSpiked = 100;
  if (!(p.m_dSpikeSize >= 1.5)) p.m_dSpikeSize = 1.5;
  if (p.m_dSpikeSize > 10.0) p.m_dSpikeSize = 10.0;
  return 1;
}

void AutochooseStarDust(StarDustParams& p) {
  p.m_iStars = RandomInt(400, 6000);
  p.m_iEnergy = RandomInt(0, 75);
  if (p.m_iEnergy < 10) p.m_iEnergy = 0;
  const bool bDense = p.m_iStars >= 2000;
  p.m_dSpikeSize = RandomReal(1.5, bDense ? 3.0 : 5.75);
  p.m_iSpiked = RandomInt(bDense ? 1 : 5, bDense ? 5 : 20);
  p.m_Select.m_bInvert = RandomChance();
  p.m_bRings = RandomInt(0, 100) > 33 ? 1 : 0;
}

int ApplyStarDust(const StarDustParams& p, XformContext& ctx) {
  if (!ctx.IsValid()) return 0;
  const CDADC& in = *ctx.m_pIn;
  CDADC& out = *ctx.m_pOut;
  CDC& dc = *out.m_pDC;
  const int w = in.m_iWidth, h = in.m_iHeight, s = ctx.ScaleFactor();
  // A record that skipped validation: no stars rather than a negative count.
  const int N = p.m_iStars > 0 ? p.m_iStars : 0;
  const int E = p.m_iEnergy;

  SetPercent(ctx.m_pPercent, 0, 5, 100);
  SetStatusText("big banging...");
  ForceFieldMap pField = MakeForceField(&in, ctx.m_Select, ctx.m_pStop);
  if (!pField) return 0;
  const int iThreshold = ForceFieldThreshold(50, pField.get(), static_cast<std::size_t>(w) * h);

  std::unique_ptr<Star[]> aStars(new (std::nothrow) Star[static_cast<std::size_t>(N)]());
  if (!aStars) return 0;  // the field goes with pField

  dc.FillSolidRect(0, 0, out.m_iWidth, out.m_iHeight, RGB(0, 0, 0));

  if (E > 0) BackgroundEnergy(dc, pField.get(), w, h, s, E, ctx);

  SetStatusText("Gravity...");
  // (Of a long strip: as of an ordinary picture of its area.)
  const int iDiag = static_cast<int>(BoundedDiagonal(w, h));
  const int g = static_cast<int>(p.m_dSpikeSize * s * iDiag * 0.005);
  const int hg = s * iDiag * 2 / 200;
  int i = 0;
  const int iDust = N - N * p.m_iSpiked / 100;
  while (i < iDust && !ctx.Stopped()) {
    const int x = RandomInt(0, w - 1);
    const int y = RandomInt(0, h - 1);
    const int f = ForceAt(pField, x, y, w);
    if (f >= RandomInt(0, 253)) {
      Star& star = aStars[i];
      star.x = x * s;
      star.y = y * s;
      star.iGlow = hg * f / 255;
      star.iBrightness = E * f / 100;
      ++i;
      SetPercent(ctx.m_pPercent, 40, 50, 100 * i / N);
    }
  }
  // The spiked stars fill the rest of the array, up to and including the
  // last record. On a picture of a few pixels the threshold can lie above
  // every pixel: then none can be placed, and the loop (which has no attempt
  // limit) would never end.
  const std::uint8_t* pBegin = pField.get();
  const bool bPlaceable =
      std::any_of(pBegin, pBegin + static_cast<std::size_t>(w) * h,
                  [&](std::uint8_t f) { return f >= iThreshold; });
  while (bPlaceable && i < N && !ctx.Stopped()) {
    const int x = RandomInt(0, w - 1);
    const int y = RandomInt(0, h - 1);
    const int f = ForceAt(pField, x, y, w);
    if (f >= iThreshold) {
      Star& star = aStars[i];
      star.iBrightness = E * f / 100;
      star.x = x * s;
      star.y = y * s;
      const int t = RandomInt(2, g) + 2 * s;
      star.iLongArm = t;
      star.iShortArm = t / 6;
      star.iRing = ((t + t / 6) * 2) / 5;
      star.iGlow = hg * f / 255;
      ++i;
      SetPercent(ctx.m_pPercent, 40, 50, 100 * i / N);
    }
  }
  // Only the stars placed before a stop are drawn.
  const int iPlaced = i;

  CPenBrushSlots slots(dc);

  SetStatusText("Star birth...");
  // Every pass draws its discs in one opaque colour over the background
  // energy. Where the surface's bytes may be written directly the discs are
  // gathered in drawing order and painted last first, each pixel once; the
  // pens and brushes are selected as drawing them would, for what follows.
  CBitmap* pDirect = DirectlyWritable(dc, out.m_iWidth, out.m_iHeight);
  CCoveredPainter halos;
  for (int k = 0; k < kHaloPasses; ++k) {
    const int L = 18 * k;
    slots.Select(PS_SOLID, 1, RGB(0, 0, L), RGB(0, 0, L));
    for (int j = 0; j < iPlaced; ++j) {
      const Star& star = aStars[j];
      if (star.iGlow > 0 && star.iBrightness < L) {
        const int r = star.iGlow * 6 / (k + 1);
        if (pDirect)
          halos.AddEllipse(star.x - r, star.y - r, star.x + r, star.y + r, RGB(0, 0, L));
        else
          dc.Ellipse(star.x - r, star.y - r, star.x + r, star.y + r);
      }
      if (!pDirect)
        SetPercent(ctx.m_pPercent, 50, 90, 100 * j / (kHaloPasses * N) + 100 * k / kHaloPasses);
    }
    if (ctx.Stopped()) break;
  }
  if (pDirect && !ctx.Stopped())
    halos.Paint(*pDirect, [&ctx](int iDone) {
      SetPercent(ctx.m_pPercent, 50, 90, iDone);
      return !ctx.Stopped();
    });

  SetStatusText("Astronomy Domonee...");
  slots.Select(PS_SOLID, 1, kStarColour, kStarColour);
  HPEN hRingPen = CreatePen(PS_SOLID, s, kStarColour);
  const HBRUSH hNullBrush = GetStockBrush(NULL_BRUSH);
  for (int j = 0; j < iPlaced; ++j) {
    const Star& star = aStars[j];
    const int x = star.x, y = star.y;
    if (star.iLongArm > 0) {
      const int b = star.iLongArm, a = star.iShortArm;
      const POINT aPts[8] = {{x, y - b}, {x + a, y - a}, {x + b, y}, {x + a, y + a},
                             {x, y + b}, {x - a, y + a}, {x - b, y}, {x - a, y - a}};
      dc.Polygon(aPts, 8);
      if (p.m_bRings && star.iRing > 0) {
        const HBRUSH hBrushBack = dc.SelectObject(hNullBrush);
        const HPEN hPenBack = dc.SelectObject(hRingPen);
        const int q = s == 1 ? star.iRing + 1 : star.iRing;
        dc.Ellipse(x - q, y - q, x + s + q, y + s + q);
        dc.SelectObject(hBrushBack);
        dc.SelectObject(hPenBack);
      }
    } else if (s < 2) {
      dc.SetPixel(x, y, kDustColour);
    } else {
      dc.FillSolidRect(x / s * s, y / s * s, x / s * s + s, y / s * s + s, kDustColour);
    }
    if (ctx.Stopped()) break;
    SetPercent(ctx.m_pPercent, 90, 100, 100 * j / N);
  }

  pField.reset();
  aStars.reset();
  DeleteObject(hRingPen);
  SetPercent(ctx.m_pPercent, 0, 100, 100);
  SetStatusText("");
  return ctx.Stopped() ? 0 : 1;
}
