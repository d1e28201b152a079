#include "platform/gdi/objects.h"

#include <algorithm>
#include <vector>

#include "platform/gdi/geometry.h"

namespace {

// Regions made from shapes are limited to this many rows around the origin,
// far beyond any surface, so that a huge shape cannot exhaust memory.
constexpr int kRegionRowLimit = 1 << 22;
const gdi::Window kRegionWindow{INT32_MIN / 4, -kRegionRowLimit, INT32_MAX / 4, kRegionRowLimit};

}  // namespace

HPEN CreatePen(int iStyle, int iWidth, COLORREF cr) {
  return std::make_shared<CPen>(iStyle == PS_NULL ? PS_NULL : PS_SOLID, iWidth < 0 ? 0 : iWidth,
                                cr & 0xFFFFFF);
}

HBRUSH CreateSolidBrush(COLORREF cr) { return std::make_shared<CBrush>(false, cr & 0xFFFFFF); }

HPEN GetStockPen(int iObject) {
  static const HPEN s_hWhite = MakeStockObject(CreatePen(PS_SOLID, 0, RGB(255, 255, 255)));
  static const HPEN s_hBlack = MakeStockObject(CreatePen(PS_SOLID, 0, RGB(0, 0, 0)));
  static const HPEN s_hNull = MakeStockObject(CreatePen(PS_NULL, 0, 0));
  switch (iObject) {
    case WHITE_PEN: return s_hWhite;
    case BLACK_PEN: return s_hBlack;
    case NULL_PEN: return s_hNull;
    default: return nullptr;
  }
}

HBRUSH GetStockBrush(int iObject) {
  static const HBRUSH s_hWhite = MakeStockObject(CreateSolidBrush(RGB(255, 255, 255)));
  static const HBRUSH s_hBlack = MakeStockObject(CreateSolidBrush(RGB(0, 0, 0)));
  static const HBRUSH s_hNull = MakeStockObject(std::make_shared<CBrush>(true, 0));
  switch (iObject) {
    case WHITE_BRUSH: return s_hWhite;
    case BLACK_BRUSH: return s_hBlack;
    case NULL_BRUSH: return s_hNull;
    default: return nullptr;
  }
}

HRGN CreateRectRgn(int l, int t, int r, int b) {
  return std::make_shared<CRgn>(CRgnData::FromRect(l, t, r, b));
}

HRGN CreateEllipticRgn(int l, int t, int r, int b) {
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  gdi::SpanList spans;
  auto clampBox = [](int v) {
    return std::clamp<std::int64_t>(v, -gdi::kMaxBoxCoord, gdi::kMaxBoxCoord);
  };
  const std::int64_t L = clampBox(l), T = clampBox(t), R = clampBox(r) - 1, B = clampBox(b) - 1;
  if (R + 1 - L <= 2 || B + 1 - T <= 2)  // tiny boxes are rectangles, as in Ellipse
    gdi::RowShapeSpans(gdi::CBoxShape(L, T, R, B), kRegionWindow, nullptr, &spans);
  else
    gdi::RowShapeSpans(gdi::CEllipseShape(L, T, R, B), kRegionWindow, nullptr, &spans);
  return std::make_shared<CRgn>(CRgnData::FromSpans(spans));
}

HRGN CreatePolygonRgn(const POINT* pPts, int n, int iFillMode) {
  if (!pPts || n < 3 || iFillMode != ALTERNATE) return nullptr;
  std::vector<gdi::FixPoint> aPts(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) aPts[i] = gdi::FixFromInt(pPts[i].x, pPts[i].y);
  gdi::SpanList spans;
  gdi::FillPolygonEvenOdd(aPts.data(), n, kRegionWindow, spans);
  return std::make_shared<CRgn>(CRgnData::FromSpans(spans));
}

int CombineRgn(const HRGN& hDst, const HRGN& hA, const HRGN& hB, int iMode) {
  if (!hDst || !hA || iMode < RGN_AND || iMode > RGN_COPY) return ERROR;
  if (iMode != RGN_COPY && !hB) return ERROR;
  CRgnData result = CRgnData::Combine(hA->m_data, iMode == RGN_COPY ? hA->m_data : hB->m_data,
                                      iMode);
  hDst->m_data = std::move(result);
  return hDst->m_data.Kind();
}

BOOL PtInRegion(const HRGN& hRgn, int x, int y) {
  return hRgn && hRgn->Data().Contains(x, y) ? TRUE : FALSE;
}

int GetRgnBox(const HRGN& hRgn, RECT* pRect) {
  if (!hRgn) return ERROR;
  if (pRect) *pRect = hRgn->Data().Bounds();
  return hRgn->Data().Kind();
}
