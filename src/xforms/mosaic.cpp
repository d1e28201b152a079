#include "xforms/mosaic.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>
#include <vector>

#include "imaging/colour.h"
#include "imaging/constants.h"
#include "imaging/gdi_helpers.h"
#include "imaging/random.h"
#include "platform/dc.h"
#include "xforms/progress.h"

namespace {

// Draws the tiles: every tile gets a pen and a brush in its own colour, every
// highlight line a wider pen; the DC's own pen and brush are back when it
// ends.
class CTilePainter {
 public:
  CTilePainter(CDC& dc, int iDirection, COLORREF crHighLight, int s)
      : m_dc(dc), m_light(MosaicLightVector(iDirection)), m_crHighLight(crHighLight), m_s(s),
        m_bHighLight(iDirection != HIGHLIGHT_OFF), m_slots(dc) {}

  // The polygon in the colour of the input picture at the sample point, then
  // its highlights. iTile is the tile size in output pixels.
  void Tile(const CDADC& in, POINT sample, const POINT* pPts, int n, int iTile) {
    // A tile wholly off the surface changes no pixel: it needs no pen or
    // brush of its own (every tile selects its own).
    if (OffSurface(pPts, n)) return;
    const COLORREF cr = in.m_pDC->GetPixel(sample.x, sample.y);
    m_slots.Select(PS_SOLID, 1, cr, cr);
    m_dc.Polygon(pPts, n);
    if (m_bHighLight) HighlightEdges(pPts, n, iTile);
  }

 private:
  // Whether the polygon, with room for the highlight pen on its edges, lies
  // wholly outside the surface.
  bool OffSurface(const POINT* pPts, int n) const {
    const CBitmap* pBitmap = m_dc.GetCurrentBitmap();
    if (!pBitmap || n <= 0) return false;
    long long l = pPts[0].x, r = pPts[0].x, t = pPts[0].y, b = pPts[0].y;
    for (int i = 1; i < n; ++i) {
      l = std::min<long long>(l, pPts[i].x), r = std::max<long long>(r, pPts[i].x);
      t = std::min<long long>(t, pPts[i].y), b = std::max<long long>(b, pPts[i].y);
    }
    const long long iMargin = m_s * 3 / 2 + 2;
    return r + iMargin < 0 || b + iMargin < 0 || l - iMargin >= pBitmap->Width() ||
           t - iMargin >= pBitmap->Height();
  }

  // Lights the edges that face the light: an edge running along the light
  // vector (the corners run clockwise on the screen) gets a line in the
  // highlight colour, brighter the better it faces the light.
  void HighlightEdges(const POINT* pPts, int n, int iTile) {
    int S = 10 * iTile;
    if (S == 0) S = 1;
    for (int i = 0; i < n; ++i) {
      const POINT& a = pPts[i];
      const POINT& b = pPts[(i + 1) % n];
      const int d = (b.x - a.x) * m_light.x + (b.y - a.y) * m_light.y;
      if (d <= S / 4) continue;
      auto channel = [d, S](int c) {
        const int v = c * d / S;
        return v > 255 ? 255 : v;
      };
      const COLORREF cr = RGB(channel(GetRValue(m_crHighLight)), channel(GetGValue(m_crHighLight)),
                              channel(GetBValue(m_crHighLight)));
      m_slots.Select(PS_SOLID, m_s * 3 / 2, cr, 0);
      m_dc.MoveTo(a.x, a.y);
      m_dc.LineTo(b.x, b.y);
    }
  }

  CDC& m_dc;
  POINT m_light;
  COLORREF m_crHighLight;
  int m_s;
  bool m_bHighLight;
  CPenBrushSlots m_slots;
};

// The four corners of a grid tile around (cx, cy), each pulled inwards by
// RandomInt(1, t): eight draws in the order top-left x, y, top-right x, y,
// bottom-right x, y, bottom-left x, y.
void GridCorners(POINT* pPts, int cx, int cy, int half, int t) {
  const int r1 = RandomInt(1, t), r2 = RandomInt(1, t), r3 = RandomInt(1, t),
            r4 = RandomInt(1, t), r5 = RandomInt(1, t), r6 = RandomInt(1, t),
            r7 = RandomInt(1, t), r8 = RandomInt(1, t);
  pPts[0] = {cx - half + r1, cy - half + r2};
  pPts[1] = {cx + half - r3, cy - half + r4};
  pPts[2] = {cx + half - r5, cy + half - r6};
  pPts[3] = {cx - half + r7, cy + half - r8};
}

// The grid tile centre of row i, column j (integer arithmetic, wide enough
// for the largest surfaces).
int GridCentre(int half, int iExtent, int i, int iCount) {
  return half + static_cast<int>(static_cast<long long>(iExtent) * i / iCount);
}

POINT JitteredSample(int cx, int cy, int s, int d, const CDADC& in) {
  POINT pt{cx / s, cy / s};
  JitterPoint(pt, d, in.m_iWidth, in.m_iHeight);
  return pt;
}

int Rectangular(const MosaicParams& p, XformContext& ctx, int s) {
  const CDADC& in = *ctx.m_pIn;
  CDADC& out = *ctx.m_pOut;
  const int W = out.m_iWidth, H = out.m_iHeight;
  const int iTileIn = static_cast<int>(in.m_iWidth * p.m_dTileSize * 0.01);
  int iTile = s * iTileIn;
  if (iTile <= 2) iTile = 4;
  const int iColumns = W / iTile, iRows = H / iTile, half = iTile / 2;
  const int t = static_cast<int>(p.m_dSpacing * iTileIn * 0.01 * s);

  SetPercent(ctx.m_pPercent, 0, 100, 0);
  SetStatusText("Making rectangular...");
  CTilePainter painter(*out.m_pDC, p.m_iHighLight, p.m_crHighLight, s);
  for (int i = 0; i < iRows; ++i) {
    const int cy = GridCentre(half, H, i, iRows);
    for (int j = 0; j < iColumns; ++j) {
      const int cx = GridCentre(half, W, j, iColumns);
      const POINT sample = JitteredSample(cx, cy, s, 2, in);
      POINT aPts[4];
      GridCorners(aPts, cx, cy, half, t);
      painter.Tile(in, sample, aPts, 4, iTile);
    }
    SetPercent(ctx.m_pPercent, 0, 100, 100 * i / iRows);
    if (ctx.Stopped()) break;
  }
  return 1;
}

// Grid tiles that touch the disc of radius R around (cx, cy) have their one
// or two inside corners pushed out along their dominant axis; false when the
// tile must be skipped (more than two corners inside, or a pushed corner
// still inside).
bool PushOutOfDisc(POINT* pPts, int cx, int cy, long long R2, int iTile) {
  auto inside = [cx, cy, R2](const POINT& pt) {
    const long long dx = pt.x - cx, dy = pt.y - cy;
    return dx * dx + dy * dy <= R2;
  };
  bool aInside[4];
  int iInside = 0;
  for (int k = 0; k < 4; ++k) iInside += aInside[k] = inside(pPts[k]);
  if (iInside > 2) return false;
  if (iInside == 0) return true;
  for (int k = 0; k < 4; ++k) {
    if (!aInside[k]) continue;
    POINT& pt = pPts[k];
    const int dx = pt.x - cx, dy = pt.y - cy;
    if (std::abs(dx) < std::abs(dy))
      pt.y += dy > 0 ? iTile / 2 : -(iTile / 2);
    else
      pt.x += dx > 0 ? iTile / 2 : -(iTile / 2);
    if (inside(pt)) return false;
  }
  return true;
}

// The wedges of a ring that may touch the surface: the ring of radius rIn
// around (cx, cy) has iCount wedges, wedge k anchored at angle
// k * 2 pi / iCount + dOffset (clockwise from straight up), and no corner of a
// wedge (nor the highlight on its edges) lies farther than dReach from its
// anchor on either axis. On a long strip most of a large ring lies off the
// surface: only two short arcs of it can touch it. Ascending, disjoint index
// ranges [first, end); the whole ring when it cannot be narrowed.
std::vector<std::pair<int, int>> WedgesNearSurface(int iCount, int rIn, double dOffset, int cx,
                                                   int cy, int W, int H, double dReach) {
  const double X = std::max(cx, W - cx) + dReach + 2, Y = std::max(cy, H - cy) + dReach + 2;
  const double u = std::min(X, Y) / rIn;
  if (u >= 0.75) return {{0, iCount}};
  // |sin| <= X / rIn near 0 and pi, or |cos| <= Y / rIn near pi/2 and 3 pi/2.
  const double dHalf = std::asin(u), dBase = X <= Y ? 0.0 : std::numbers::pi / 2;
  std::vector<std::pair<int, int>> aRanges;
  for (const double dCentre : {dBase, dBase + std::numbers::pi}) {
    const long long lo =
        static_cast<long long>(std::floor((dCentre - dHalf - dOffset) * iCount / TWO_PI)) - 2;
    const long long hi =
        static_cast<long long>(std::ceil((dCentre + dHalf - dOffset) * iCount / TWO_PI)) + 2;
    if (hi - lo + 1 >= iCount) return {{0, iCount}};
    const long long a = (lo % iCount + iCount) % iCount, b = a + (hi - lo) + 1;
    if (b <= iCount) {
      aRanges.emplace_back(static_cast<int>(a), static_cast<int>(b));
    } else {
      aRanges.emplace_back(static_cast<int>(a), iCount);
      aRanges.emplace_back(0, static_cast<int>(b - iCount));
    }
  }
  std::sort(aRanges.begin(), aRanges.end());
  std::vector<std::pair<int, int>> aMerged;
  for (const auto& r : aRanges) {
    if (!aMerged.empty() && r.first <= aMerged.back().second)
      aMerged.back().second = std::max(aMerged.back().second, r.second);
    else
      aMerged.push_back(r);
  }
  return aMerged;
}

int Circular(const MosaicParams& p, XformContext& ctx, int s) {
  const CDADC& in = *ctx.m_pIn;
  CDADC& out = *ctx.m_pOut;
  const int W = out.m_iWidth, H = out.m_iHeight, w = in.m_iWidth, h = in.m_iHeight;
  const bool bCombined = p.m_iGeometry == MOSAIC_RECT_AND_CIRCLE;
  const int iTileIn = static_cast<int>(w * p.m_dTileSize * 0.01);
  int iTile = s * iTileIn;
  if (iTile <= 1) iTile = 2;
  const int iColumns = W / iTile, iRows = H / iTile, half = iTile / 2;
  const int t = static_cast<int>(p.m_dSpacing * iTileIn * 0.01 * s);

  SetPercent(ctx.m_pPercent, 0, 100, 0);
  int R;
  if (bCombined) {
    SetStatusText("Making mosaic...");
    R = (H < W ? H : W) / 2;
  } else {
    SetStatusText("Making circular...");
    // Half the diagonal, so that the rings cover the corners.
    R = static_cast<int>(std::sqrt(static_cast<double>(W) * W + static_cast<double>(H) * H) * 0.5);
  }
  const int iRings = R / iTile;
  const int cx = W / 2, cy = H / 2;
  const long long R2 = static_cast<long long>(R) * R;

  CTilePainter painter(*out.m_pDC, p.m_iHighLight, p.m_crHighLight, s);
  if (bCombined) {
    for (int i = 0; i < iRows; ++i) {
      const int ty = GridCentre(half, H, i, iRows);
      for (int j = 0; j < iColumns; ++j) {
        const int tx = GridCentre(half, W, j, iColumns);
        const POINT sample = JitteredSample(tx, ty, s, 2, in);
        POINT aPts[4];
        GridCorners(aPts, tx, ty, half, t);
        if (PushOutOfDisc(aPts, cx, cy, R2, iTile)) painter.Tile(in, sample, aPts, 4, iTile);
      }
      SetPercent(ctx.m_pPercent, 0, 50, 100 * i / iRows);
      if (ctx.Stopped()) break;
    }
  }

  // Rings of wedge tiles between the centre octagon and the radius.
  for (int j = 1; j <= iRings - 2; ++j) {
    const int rIn = R * j / (iRings - 1);
    const int rOut = R * (j + 1) / (iRings - 1);
    double dThickness = (rOut - rIn) * 0.95;
    const int iCount = static_cast<int>(rIn * TWO_PI / iTile);
    if (iCount < 4) continue;
    if (iCount < 8) dThickness -= 2 * s;
    const double dSpread = std::sin(TWO_PI / iCount * 0.5) * dThickness;
    // The wedge in tile coordinates, -y pointing away from the centre.
    const double Ax = -(half + dSpread), Ay = -dThickness;
    const double Bx = half + dSpread, By = -dThickness;
    const double Cx = half, Cy = 0.0;
    const double Dx = -half, Dy = 0.0;
    const double dOffset = RandomReal(0.0314159, 0.1570795);
    // Wedges wholly off the surface draw nothing: only their eight draws
    // are made (skipped over), so that the later wedges stay the same.
    const double dReach = half + std::abs(dSpread) + std::abs(dThickness) + 2.0 * t + 2 +
                          (s * 3 / 2 + 2);
    int iNext = 0;
    for (const auto& [iFirst, iEnd] :
         WedgesNearSurface(iCount, rIn, dOffset, cx, cy, W, H, dReach)) {
     SkipRandom(8LL * (iFirst - iNext));
     iNext = iEnd;
     for (int k = iFirst; k < iEnd; ++k) {
      const int r1 = RandomInt(1, t), r2 = RandomInt(1, t), r3 = RandomInt(1, t),
                r4 = RandomInt(1, t), r5 = RandomInt(1, t), r6 = RandomInt(1, t),
                r7 = RandomInt(1, t), r8 = RandomInt(1, t);
      const double aCorner[4][2] = {
          {Ax + r1, Ay + r2}, {Bx - r3, By + r4}, {Cx - r5, Cy - r6}, {Dx + r7, Dy - r8}};
      const double theta = k * TWO_PI / iCount + dOffset;
      const double dSin = std::sin(theta), dCos = std::cos(theta);
      const int px = static_cast<int>(dSin * rIn) + cx;
      const int py = cy - static_cast<int>(rIn * dCos);
      POINT aPts[4];
      for (int c = 0; c < 4; ++c) {
        const double x = aCorner[c][0], y = aCorner[c][1];
        aPts[c].x = static_cast<int>(x * dCos - y * dSin) + px;
        aPts[c].y = static_cast<int>(x * dSin + y * dCos) + py;
      }
      POINT sample{px / s, py / s};
      if (!bCombined) {
        if (sample.x > w - 1) sample.x = w - 1;
        if (sample.x < 0) sample.x = 0;
        if (sample.y > h - 1) sample.y = h - 1;
        if (sample.y < 0) sample.y = 0;
      }
      painter.Tile(in, sample, aPts, 4, iTile);
     }
    }
    SkipRandom(8LL * (iCount - iNext));
    SetPercent(ctx.m_pPercent, 50, 100, 100 * j / iRings);
    if (ctx.Stopped()) break;
  }

  // The centre octagon. Fewer than one ring (a picture under two tiles in its
  // shorter side) makes it as large as the radius instead of dividing by zero.
  const int r0 = iRings >= 1 ? R / iRings : R;
  POINT aOctagon[8];
  for (int i = 0; i < 8; ++i) {
    const int iDist = r0 - RandomInt(1, t);
    const double dAngle = i * TWO_PI * 0.125;
    aOctagon[i].x = cx - static_cast<int>(iDist * std::sin(dAngle));
    aOctagon[i].y = cy + static_cast<int>(iDist * std::cos(dAngle));
  }
  const POINT sample = JitteredSample(cx, cy, s, 4, in);
  painter.Tile(in, sample, aOctagon, 8, iTile);
  return 1;
}

}  // namespace

POINT MosaicLightVector(int iDirection) {
  switch (iDirection) {
    case HIGHLIGHT_BOTTOM: return {-10, 0};
    case HIGHLIGHT_RIGHT: return {0, 10};
    case HIGHLIGHT_LEFT: return {0, -10};
    case HIGHLIGHT_BOTTOM_LEFT: return {-7, -7};
    case HIGHLIGHT_TOP_LEFT: return {7, -7};
    case HIGHLIGHT_BOTTOM_RIGHT: return {-7, 7};
    case HIGHLIGHT_TOP_RIGHT: return {7, 7};
    default: return {10, 0};  // Top, and any code without a vector of its own
  }
}

int ValidateMosaic(MosaicParams& p) {
  if (p.m_dTileSize > 7.0) p.m_dTileSize = 7.0;
  if (p.m_dTileSize < 1.0) p.m_dTileSize = 1.0;
  if (p.m_dSpacing > 40.0) p.m_dSpacing = 40.0;
  if (!(p.m_dSpacing >= 5.0)) p.m_dSpacing = 5.0;
  return 1;
}

void AutochooseMosaic(MosaicParams& p, int iWidth, int /*iHeight*/) {
  for (int iDraw = 0; iDraw < 100; ++iDraw) {
    p.m_dTileSize = RandomReal(1, 4);
    if (static_cast<int>(iWidth * p.m_dTileSize * 0.01) >= 5) break;
  }
  p.m_dSpacing = RandomReal(5, 40);
  p.m_iGeometry = RandomInt(MOSAIC_RECTANGULAR, MOSAIC_RECT_AND_CIRCLE);
  ChooseBackground(p.m_Background, 0.5, 0);
  p.m_crHighLight = ScaleColour(RandomColour(), 2);
  p.m_iHighLight = RandomInt(HIGHLIGHT_TOP_LEFT, HIGHLIGHT_LEFT);
}

int ApplyMosaic(const MosaicParams& p, XformContext& ctx) {
  if (!ctx.m_pOut || !ctx.m_pIn) return 0;
  const int s = ctx.ScaleFactor();
  FillBackground(*ctx.m_pOut, *ctx.m_pIn, p.m_Background);
  int iResult = 0;
  if (p.m_iGeometry == MOSAIC_RECTANGULAR)
    iResult = Rectangular(p, ctx, s);
  else if (p.m_iGeometry == MOSAIC_CIRCULAR || p.m_iGeometry == MOSAIC_RECT_AND_CIRCLE)
    iResult = Circular(p, ctx, s);
  SetStatusText("");
  return ctx.Stopped() ? 0 : iResult;
}
