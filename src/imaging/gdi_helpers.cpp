#include "imaging/gdi_helpers.h"

#include <climits>
#include <cmath>
#include <vector>

#include "platform/report.h"

namespace {

// trunc(v) as a pixel coordinate; values beyond the int range (never
// visible) are held at its ends instead of overflowing.
LONG TruncCoord(double v) {
  if (std::isnan(v)) return 0;
  const double t = std::trunc(v);
  if (t <= static_cast<double>(INT_MIN)) return INT_MIN;
  if (t >= static_cast<double>(INT_MAX)) return INT_MAX;
  return static_cast<LONG>(t);
}

}  // namespace

void SelectPenAndBrush(HPEN& hPen, int iPenStyle, int iPenWidth, COLORREF crPen, HBRUSH& hBrush,
                       COLORREF crBrush, CDC& dc) {
  HPEN hNewPen = CreatePen(iPenStyle, iPenWidth, crPen);
  dc.SelectObject(hNewPen);
  HBRUSH hNewBrush = CreateSolidBrush(crBrush);
  dc.SelectObject(hNewBrush);
  if (hPen && !DeleteObject(hPen)) ReportError("SPAB:Could not delete a pen");
  if (hBrush && !DeleteObject(hBrush)) ReportError("SPAB:Could not delete a brush");
  hPen = std::move(hNewPen);
  hBrush = std::move(hNewBrush);
}

CPenBrushSlots::~CPenBrushSlots() {
  m_dc.SelectObject(m_hOldPen);
  m_dc.SelectObject(m_hOldBrush);
  DeleteObject(m_hPen);
  DeleteObject(m_hBrush);
}

void DrawOutline(CDC& dc, const COutline& outline, const OutlineStyle& style, const CVec& vScale,
                 double dAngle, const CVec& vTranslation) {
  const CMatrix m = CMatrix::Compose(vScale, dAngle, vTranslation);
  std::vector<POINT> aPts;
  for (int i = 0; i < outline.m_iCount; ++i) {
    const CVec p = TransformPoint(m, outline.GetVertex(i));
    aPts.push_back(POINT{TruncCoord(p.x()), TruncCoord(p.y())});
  }
  HPEN hPen = CreatePen(PS_SOLID, TruncCoord(style.m_dPenWidth), style.m_crPen);
  HBRUSH hBrush = (style.m_bFill && outline.m_bFilled) ? CreateSolidBrush(style.m_crFill)
                                                       : GetStockBrush(NULL_BRUSH);
  HPEN hOldPen = dc.SelectObject(hPen);
  HBRUSH hOldBrush = dc.SelectObject(hBrush);
  if (outline.m_bFilled) {
    dc.Polygon(aPts.data(), static_cast<int>(aPts.size()));
  } else if (!aPts.empty()) {
    dc.MoveTo(aPts[0].x, aPts[0].y);
    for (std::size_t i = 1; i < aPts.size(); ++i) dc.LineTo(aPts[i].x, aPts[i].y);
  }
  dc.SelectObject(hOldPen);
  dc.SelectObject(hOldBrush);
  DeleteObject(hPen);
  DeleteObject(hBrush);
}
