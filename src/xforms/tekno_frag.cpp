#include "xforms/tekno_frag.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "imaging/colour.h"
#include "imaging/constants.h"
#include "imaging/force_field.h"
#include "imaging/pixel_runs.h"
#include "imaging/random.h"
#include "imaging/xform_helpers.h"
#include "platform/dc.h"
#include "platform/gdi/raster.h"
#include "platform/gdi/region.h"
#include "xforms/progress.h"

int ValidateTeknoFrag(TeknoFragParams& /*p*/) { return 1; }

void AutochooseTeknoFrag(TeknoFragParams& p) {
  p.m_dSize = RandomReal(4, 12);
  // Small triangles come in larger numbers.
  p.m_iNumber = p.m_dSize < 6 ? RandomInt(850, 1400) : RandomInt(300, 1400);
  RandomColourPair(p.m_crColour2, p.m_crColour1);
  p.m_crColour2 = ScaleColour(p.m_crColour2, 2);
  p.m_crColour1 = ScaleColour(p.m_crColour1, 3);
  if (RandomInt(0, 100) > 74) {
    if (RandomInt(0, 100) >= 75) {
      p.m_bSolid1 = 1;
      p.m_bSolid2 = 1;
    } else {
      p.m_bSolid1 = 0;
      p.m_bSolid2 = RandomChance() == 1 ? 1 : 0;
    }
  } else {
    p.m_bSolid1 = 0;
    p.m_bSolid2 = 0;
  }
  ChooseBackground(p.m_Background, 0.5, 85);  // mostly the picture
}

int TeknoFragHalfSpread(double dSize, int iWidth, int iHeight) {
  const double dDiagonal = BoundedDiagonal(iWidth, iHeight);
  int iSpread;
  if (dSize < 0)
    iSpread = 1;
  else if (!(dSize <= 100))
    iSpread = 3;
  else
    iSpread = static_cast<int>(dSize * dDiagonal * 0.01);
  return iSpread / 2;
}

void TeknoFragFlatTriangle(CDC& dc, const POINT* pPts, COLORREF crFill, COLORREF crLine, int a) {
  HPEN hPen = CreatePen(PS_SOLID, static_cast<int>(a * 1.5), crLine);
  HBRUSH hBrush = CreateSolidBrush(crFill);
  HPEN hOldPen = dc.SelectObject(hPen);
  HBRUSH hOldBrush = dc.SelectObject(hBrush);
  dc.Polygon(pPts, 3);
  dc.SelectObject(hOldPen);
  dc.SelectObject(hOldBrush);
  DeleteObject(hPen);
  DeleteObject(hBrush);
}

namespace {

// The rings of a triangle written straight into the surface. Ring k is the
// disc CDC::Ellipse(x0 - r, y0 - r, x0 + r, y0 + r) fills without a pen,
// clipped to the triangle and painted over the larger rings, so a pixel ends
// in the colour of the smallest disc that holds it. Without the pen that box
// is one pixel smaller: the pixels whose centres lie within r - 1/2 of
// (x0 - 1/2, y0 - 1/2), pixel centres lying at + 1/2. In doubled
// coordinates, with A = 2r - 1 and Y = 2y - 2y0 + 2, row y holds the pixels x
// with |2x - 2x0 + 2| <= D, D the largest whole number with D^2 <= A^2 - Y^2
// (none when A < |Y|). The discs share their centre, so on every row each
// one's run holds the runs of the smaller ones: a row is written from the
// smallest disc out, each pixel once, and left as soon as its part of the
// triangle is covered.
struct Ring {
  std::int64_t A;  // 2r - 1, twice the disc's radius
  RunColour paint;
};

void PaintRings(CBitmap& bitmap, const CRgnData& triangle, POINT p0,
                const std::vector<Ring>& aRings) {
  const int W = bitmap.Width(), H = bitmap.Height();
  for (const CRgnData::Band& band : triangle.Bands()) {
    const auto [pFirst, pEnd] = triangle.RowSpans(band.y0);
    for (int y = std::max(band.y0, 0); y < std::min(band.y1, H); ++y) {
      std::uint8_t* pRow = bitmap.Row(y);
      const std::int64_t Y = 2 * (static_cast<std::int64_t>(y) - p0.y + 1);
      for (const CRgnData::XSpan* pRun = pFirst; pRun != pEnd; ++pRun) {
        const std::int64_t a = std::max(pRun->x0, 0), b = std::min(pRun->x1, W);
        std::int64_t c0 = 0, c1 = 0;  // the covered part of [a, b)
        for (auto it = aRings.rbegin(); it != aRings.rend() && a < b && !(c0 == a && c1 == b);
             ++it) {
          const std::int64_t n = it->A * it->A - Y * Y;
          if (n < 0) continue;
          const auto D = static_cast<std::int64_t>(gdi::ISqrt(static_cast<std::uint64_t>(n)));
          // |x - (x0 - 1)| <= D / 2
          const std::int64_t xl = std::max(p0.x - 1 - D / 2, a);
          const std::int64_t xr = std::min(p0.x + D / 2, b);
          if (xl >= xr) continue;
          if (c0 == c1) {
            WritePixels(pRow, static_cast<int>(xl), static_cast<int>(xr), it->paint);
            c0 = xl;
            c1 = xr;
            continue;
          }
          if (xl < c0) WritePixels(pRow, static_cast<int>(xl), static_cast<int>(c0), it->paint);
          if (c1 < xr) WritePixels(pRow, static_cast<int>(c1), static_cast<int>(xr), it->paint);
          c0 = std::min(c0, xl);
          c1 = std::max(c1, xr);
        }
      }
    }
  }
}

}  // namespace

// The rings start at the farther of corners 1 and 2. A triangle with a corner
// that close to corner 0 is too thin for rings and is left out altogether.
void TeknoFragShadedTriangle(CDC& dc, const POINT* pPts, COLORREF crFill, COLORREF crLine, int a) {
  const int iLimit = 4 * a;
  const POINT& p0 = pPts[0];
  for (int k = 1; k <= 2; ++k)
    if (std::abs(p0.x - pPts[k].x) < iLimit && std::abs(p0.y - pPts[k].y) < iLimit) return;
  auto squared = [&p0](const POINT& q) {
    const long long dx = q.x - p0.x, dy = q.y - p0.y;
    return dx * dx + dy * dy;
  };
  const long long iMax2 = std::max(squared(pPts[1]), squared(pPts[2]));
  const int R0 = static_cast<int>(std::sqrt(static_cast<double>(iMax2))) + 1;

  HRGN hTriangle = CreatePolygonRgn(pPts, 3, ALTERNATE);
  CBitmap* pBitmap = dc.GetCurrentBitmap();
  if (hTriangle && pBitmap && dc.GetROP2() == R2_COPYPEN) {
    std::vector<Ring> aRings;
    for (int r = R0; r > 2; r -= 3 * a)
      aRings.push_back(
          {2 * r - 1, RunColour(BlendColour(static_cast<double>(r) / R0, crFill, crLine))});
    PaintRings(*pBitmap, hTriangle->Data(), p0, aRings);
  } else if (hTriangle) {
    // A DC that does not copy: every disc in turn, cut to the triangle.
    dc.SelectClipRgn(hTriangle);
    for (int r = R0; r > 2; r -= 3 * a) {
      HBRUSH hBrush = CreateSolidBrush(BlendColour(static_cast<double>(r) / R0, crFill, crLine));
      HPEN hOldPen = dc.SelectObject(GetStockPen(NULL_PEN));
      HBRUSH hOldBrush = dc.SelectObject(hBrush);
      dc.Ellipse(p0.x - r, p0.y - r, p0.x + r, p0.y + r);
      dc.SelectObject(hOldPen);
      dc.SelectObject(hOldBrush);
      DeleteObject(hBrush);
    }
  }
  dc.SelectClipRgn(nullptr);

  HPEN hPen = CreatePen(PS_SOLID, static_cast<int>(a * 1.5), crFill);
  HPEN hOldPen = dc.SelectObject(hPen);
  HBRUSH hOldBrush = dc.SelectObject(GetStockBrush(NULL_BRUSH));
  dc.Polygon(pPts, 3);
  dc.SelectObject(hOldPen);
  dc.SelectObject(hOldBrush);
  DeleteObject(hPen);
  DeleteObject(hTriangle);
}

int ApplyTeknoFrag(const TeknoFragParams& p, XformContext& ctx) {
  if (!ctx.IsValid()) return 0;
  CDADC& in = *ctx.m_pIn;
  CDADC& out = *ctx.m_pOut;
  const int a = ctx.ScaleFactor(), w = in.m_iWidth, h = in.m_iHeight;
  std::atomic<int>* pPercent = ctx.m_pPercent;

  SetPercent(pPercent, 0, 5, 100);
  SetStatusText("Constructing...");
  // The field's values are not used, but with a solid colour it must be
  // possible to build it.
  ForceFieldMap pField;
  if (p.m_bSolid1 || p.m_bSolid2) {
    pField = MakeForceField(&in, ctx.m_Select, ctx.m_pStop);
    if (!pField) return 0;
  }

  SetPercent(pPercent, 0, 10, 100);
  FillBackground(out, in, p.m_Background);
  SetStatusText("Deconstructing...");

  const int iHalf = TeknoFragHalfSpread(p.m_dSize, w, h);
  CDC& dc = *out.m_pDC;
  const CDC& src = *in.m_pDC;
  for (int i = 0; i < p.m_iNumber; ++i) {
    SetPercent(pPercent, 10, 100, static_cast<int>(100LL * i / p.m_iNumber));
    if (ctx.Stopped()) break;
    const int cx = RandomInt(0, w - 1);
    const int cy = RandomInt(0, h - 1);
    POINT aIn[3], aOut[3];
    for (int k = 0; k < 3; ++k) {
      aIn[k] = POINT{cx, cy};
      JitterPoint(aIn[k], iHalf, w, h);
      aOut[k] = POINT{a * aIn[k].x, a * aIn[k].y};
    }
    const COLORREF cr2 = p.m_bSolid2 ? p.m_crColour2 : src.GetPixel(aIn[1].x, aIn[1].y);
    const COLORREF cr1 = p.m_bSolid1 ? p.m_crColour1 : src.GetPixel(aIn[0].x, aIn[0].y);
    COLORREF crFill = cr2, crLine = cr1;
    if (RandomChance() == 1) {
      crFill = cr1;
      crLine = cr2;
    }
    if (RandomInt(0, 1) == 1)
      TeknoFragFlatTriangle(dc, aOut, crFill, crLine, a);
    else
      TeknoFragShadedTriangle(dc, aOut, crFill, crLine, a);
  }

  pField.reset();
  SetStatusText("");
  return ctx.Stopped() ? 0 : 1;
}
