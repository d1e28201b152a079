#include "xforms/tekno_frag.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "imaging/colour.h"
#include "imaging/constants.h"
#include "imaging/force_field.h"
#include "imaging/random.h"
#include "imaging/xform_helpers.h"
#include "platform/dc.h"
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
  int r = static_cast<int>(std::sqrt(static_cast<double>(iMax2))) + 1;
  const int R0 = r;

  HRGN hTriangle = CreatePolygonRgn(pPts, 3, ALTERNATE);
  dc.SelectClipRgn(hTriangle);
  // Without the triangle's region the rings would cover their whole discs.
  while (hTriangle && r > 2) {
    HBRUSH hBrush = CreateSolidBrush(BlendColour(static_cast<double>(r) / R0, crFill, crLine));
    HPEN hOldPen = dc.SelectObject(GetStockPen(NULL_PEN));
    HBRUSH hOldBrush = dc.SelectObject(hBrush);
    dc.Ellipse(p0.x - r, p0.y - r, p0.x + r, p0.y + r);
    dc.SelectObject(hOldPen);
    dc.SelectObject(hOldBrush);
    DeleteObject(hBrush);
    r -= 3 * a;
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
