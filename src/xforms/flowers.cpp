#include "xforms/flowers.h"

#include <cmath>

#include "imaging/colour.h"
#include "imaging/constants.h"
#include "imaging/force_field.h"
#include "imaging/gdi_helpers.h"
#include "imaging/random.h"
#include "imaging/xform_helpers.h"
#include "xforms/progress.h"

namespace {

// (Of a long strip: as of an ordinary picture of its area, so that the
// leaves and petals stay within its size.)
double Diagonal(int iWidth, int iHeight) { return BoundedDiagonal(iWidth, iHeight); }

// The style of every leaf and petal; the colours are set per item.
OutlineStyle ItemStyle(int s) {
  OutlineStyle style;
  style.m_crPen = RGB(255, 255, 255);
  style.m_crFill = RGB(0, 0, 0);
  style.m_bFill = 1;
  style.m_dPenWidth = s;
  return style;
}

// trunc(v) as a pixel coordinate, held within the int range (a centre size
// from a hand-made recipe may be far beyond any picture).
int Coord(double v) {
  if (!(v > -1e9)) return -1000000000;
  if (v > 1e9) return 1000000000;
  return static_cast<int>(v);
}

}  // namespace

int ValidateFlowers(FlowersParams& /*p*/) { return 1; }

void AutochooseFlowers(FlowersParams& p, AreaSelection& sel) {
  // Each colour is drawn green, blue, red.
  auto colour = [](int iLoG, int iHiG, int iLoB, int iHiB, int iLoR, int iHiR) {
    const int g = RandomInt(iLoG, iHiG);
    const int b = RandomInt(iLoB, iHiB);
    const int r = RandomInt(iLoR, iHiR);
    return RGB(r, g, b);
  };
  p.m_crLeaf = colour(64, 128, 0, 64, 0, 64);
  p.m_crPetal = colour(64, 200, 64, 200, 100, 200);
  p.m_crCentre = colour(100, 255, 100, 255, 100, 255);
  p.m_dLeafLength = RandomReal(3, 5);
  p.m_dLeafWidth = RandomReal(5, 40);
  const double dPetal = RandomReal(1, 2.5);
  p.m_dPetalLength = dPetal;
  p.m_dCentreSize = RandomReal(1, dPetal);
  p.m_dVariability = RandomReal(0.225, 0.45);
  p.m_iFlowers = RandomInt(175, 350);
  p.m_iPetals = RandomInt(4, 9);
  // Few petals need broad ones to close the ring.
  p.m_dPetalWidth = p.m_iPetals > 4 ? RandomReal(5, 40) : RandomReal(20, 40);
  sel.m_bInvert = RandomChance();
  p.m_iAreaCovered = RandomInt(10, 95);
  // The coin is drawn whatever the invert flag says.
  const int iCoin = RandomChance();
  p.m_bDerived = iCoin == 1 && sel.m_bInvert == 0 ? 1 : 0;
}

int FlowersLeafCount(double r, int iOutWidth, int iOutHeight, double dLeafLength,
                     double dLeafWidth) {
  // Worked in doubles and limited before the conversion: a leaf of size 0
  // from a hand-made recipe would otherwise turn an infinite count into an
  // undefined integer.
  const double dCount =
      std::trunc(r * std::trunc(static_cast<double>(iOutWidth) * iOutHeight /
                                (dLeafLength * dLeafWidth)));
  if (!(dCount >= 50.0)) return 50;
  if (dCount > 8000.0) return 8000;
  return static_cast<int>(dCount);
}

int FlowersPetalCount(int n, double r) {
  const double dPetals = std::trunc(n + r * n);
  if (!(dPetals >= 0)) return 0;
  if (dPetals > kMaxPetals) return kMaxPetals;
  return static_cast<int>(dPetals);
}

int CMeadow::Grow(const COutline* pLeaf) {
  SetStatusText("Growing...");
  if (!pLeaf) return 0;
  const int W = m_ctx.m_pOut->m_iWidth, H = m_ctx.m_pOut->m_iHeight;
  const OutlineStyle base = ItemStyle(m_s);
  const double diag = Diagonal(W, H);
  const double dLength = diag * m_p.m_dLeafLength * 0.01;
  const double dWidth = dLength * m_p.m_dLeafWidth * 0.01;
  const CVec vScale(dLength, dWidth, 1.0);
  const double dBaseAngle = RandomReal(0, 3.14159);
  const double r = RandomReal(2, 3);
  const int iCount = FlowersLeafCount(r, W, H, dLength, dWidth);
  const CDC& in = *m_ctx.m_pIn->m_pDC;
  for (int i = 0; i < iCount; ++i) {
    const int x = RandomInt(0, m_iWidth - 1);
    const int y = RandomInt(0, m_iHeight - 1);
    const int f = ForceAt(m_pField, x, y, m_iWidth);
    const double dAngle =
        f * 3.14159 * 0.5 * (1.0 / 255) + dBaseAngle + RandomReal(-0.52359833, 0.52359833);
    OutlineStyle style = base;
    if (m_p.m_bDerived) {
      const COLORREF m = BlendColour(0.5, in.GetPixel(x, y), m_p.m_crLeaf);
      style.m_crFill = JitterColour(m, 0.15);
      style.m_crPen = JitterColour(m, 0.15);
    } else {
      style.m_crFill = JitterColour(m_p.m_crLeaf, m_p.m_dVariability);
      style.m_crPen = JitterColour(m_p.m_crLeaf, m_p.m_dVariability);
    }
    DrawOutline(m_dc, *pLeaf, style, vScale, dAngle, CVec(x * m_s, y * m_s, 0));
    if (m_ctx.Stopped()) break;
    SetPercent(m_ctx.m_pPercent, 10, 75, static_cast<int>(100LL * (i + 1) / iCount));
  }
  return m_ctx.Stopped() ? 0 : 1;
}

void CMeadow::DrawFlower(const COutline& petal, const OutlineStyle& style, const CVec& vPosition,
                         const CVec& vScale, double dRadius, COLORREF crCentre) {
  const int iPetals = FlowersPetalCount(m_p.m_iPetals, RandomReal(0, m_p.m_dVariability));
  const double dStart = RandomReal(0, 3.14159 * 0.5);
  for (int i = 0; i < iPetals; ++i)
    DrawOutline(m_dc, petal, style, vScale, i * TWO_PI / iPetals + dStart, vPosition);

  HPEN hPen = CreatePen(PS_SOLID, 1, crCentre);
  HBRUSH hBrush = CreateSolidBrush(crCentre);
  HPEN hOldPen = m_dc.SelectObject(hPen);
  HBRUSH hOldBrush = m_dc.SelectObject(hBrush);
  const double px = vPosition.x(), py = vPosition.y();
  m_dc.Ellipse(Coord(px - dRadius), Coord(py - dRadius), Coord(px + dRadius), Coord(py + dRadius));
  m_dc.SelectObject(hOldPen);
  m_dc.SelectObject(hOldBrush);
  DeleteObject(hPen);
  DeleteObject(hBrush);
}

int CMeadow::Blossom(const COutline* pPetal) {
  SetStatusText("Blossoming...");
  if (!pPetal) return 0;
  if (m_p.m_iFlowers <= 0) return m_ctx.Stopped() ? 0 : 1;
  const int W = m_ctx.m_pOut->m_iWidth, H = m_ctx.m_pOut->m_iHeight;
  const int iThreshold = ForceFieldThreshold(m_p.m_iAreaCovered, m_pField,
                                             static_cast<std::size_t>(m_iWidth) * m_iHeight);
  const OutlineStyle base = ItemStyle(m_s);
  const double diag = Diagonal(W, H);
  const double dLength = diag * m_p.m_dPetalLength * 0.01;
  const CVec vScale(dLength, dLength * m_p.m_dPetalWidth * 0.01, 1.0);
  const CDC& in = *m_ctx.m_pIn->m_pDC;
  int iDrawn = 0, iTries = 0;
  while (!m_ctx.Stopped()) {
    ++iTries;
    const int x = RandomInt(0, m_iWidth - 1);
    const int y = RandomInt(0, m_iHeight - 1);
    if (ForceAt(m_pField, x, y, m_iWidth) >= iThreshold) {
      OutlineStyle style = base;
      COLORREF crCentre;
      if (m_p.m_bDerived) {
        const COLORREF c = in.GetPixel(x, y);
        const double v = m_p.m_dVariability * 0.5;
        style.m_crFill = JitterColour(c, v);
        style.m_crPen = JitterColour(c, v);
        crCentre = JitterColour(c, v);
      } else {
        style.m_crFill = JitterColour(m_p.m_crPetal, m_p.m_dVariability);
        style.m_crPen = JitterColour(m_p.m_crPetal, m_p.m_dVariability);
        crCentre = JitterColour(m_p.m_crCentre, m_p.m_dVariability);
      }
      const double dRadius = m_p.m_dCentreSize * diag * 0.01 * 0.5 * RandomReal(0.85, 1.15);
      DrawFlower(*pPetal, style, CVec(x * m_s, y * m_s, 0), vScale, dRadius, crCentre);
      ++iDrawn;
      SetPercent(m_ctx.m_pPercent, 75, 100, static_cast<int>(100LL * iDrawn / m_p.m_iFlowers));
    }
    if (iDrawn >= m_p.m_iFlowers || iTries >= 10000) break;
  }
  return m_ctx.Stopped() ? 0 : 1;
}

int ApplyFlowers(const FlowersParams& p, XformContext& ctx) {
  if (!ctx.IsValid()) return 0;
  const CDADC& in = *ctx.m_pIn;
  CDADC& out = *ctx.m_pOut;
  SetPercent(ctx.m_pPercent, 0, 5, 100);
  SetStatusText("Planting...");
  ForceFieldMap pField = MakeForceField(&in, ctx.m_Select, ctx.m_pStop);
  if (!pField) return 0;
  SetPercent(ctx.m_pPercent, 0, 10, 100);
  out.m_pDC->FillSolidRect(0, 0, out.m_iWidth, out.m_iHeight, ScaleColour(p.m_crLeaf, 0.5));

  CMeadow meadow{p, ctx, *out.m_pDC, pField.get(), in.m_iWidth, in.m_iHeight, ctx.ScaleFactor()};
  // An outline that cannot be made has been reported by MakeOutline; the
  // idea then fails instead of showing a meadow without leaves or flowers.
  int iResult = meadow.Grow(MakeOutline(OUTLINE_SINE_LEAF, 0.0).get());
  if (iResult && p.m_iFlowers > 0) iResult = meadow.Blossom(MakeOutline(OUTLINE_PETAL, 0.5).get());

  pField.reset();
  SetStatusText("");
  return iResult && !ctx.Stopped() ? 1 : 0;
}
