#include "xforms/primitive_art.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "imaging/colour.h"
#include "imaging/constants.h"
#include "imaging/force_field.h"
#include "imaging/gdi_helpers.h"
#include "imaging/random.h"
#include "imaging/xform_helpers.h"
#include "platform/dc.h"
#include "xforms/progress.h"

int ValidatePrimitiveArt(PrimitiveArtParams& /*p*/) { return 1; }

void AutochoosePrimitiveArt(PrimitiveArtParams& p, AreaSelection& sel) {
  p.m_crLine = RandomColour();
  p.m_crPaper = RandomColour();
  sel.Reset();
  sel.m_bInvert = RandomInt(0, 100) < 20 ? 1 : 0;
  p.m_iDensity = RandomInt(80, 300);
  p.m_iAreaCovered = RandomInt(5, 60);
  p.m_dFeatureWidth = RandomReal(3.5, 6);
  const int r = RandomInt(1, 100);
  if (r <= 24)
    p.m_iShape = PRIMITIVE_NONE;
  else if (r < 50)
    p.m_iShape = PRIMITIVE_CIRCLE;
  else if (r > 74)
    p.m_iShape = PRIMITIVE_TRIANGLE;
  else
    p.m_iShape = PRIMITIVE_SQUARE;
}

int PercentOfDiagonal(double p, int iWidth, int iHeight) {
  if (!(p >= 0.0 && p <= 100.0)) return 3;
  return static_cast<int>(p * BoundedDiagonal(iWidth, iHeight) * 0.01);
}

void CGradedLinkDrawer::DrawLinks(CDC& dc, int s, const std::vector<CNetNode>& aNodes,
                                  const std::vector<CNetLink>& aLinks) {
  CPenBrushSlots slots(dc);
  const int iOldRop = dc.GetROP2();
  const int n = m_iPasses;
  if (n <= 0) return;
  // Wide and dark first, merged into what lies below: the merged passes of a
  // link commute with those of every other link, so each link's are drawn
  // at once, each pixel written once.
  std::vector<int> aWidths;
  std::vector<COLORREF> aColours;
  for (int i = 0; i + 1 < n; ++i) {
    aWidths.push_back(s * (n - i));
    aColours.push_back(ScaleColour(m_crLine, static_cast<double>(i + 1) / n));
  }
  if (n > 1) {
    for (const CNetLink& link : aLinks) {
      const CNetNode& a = aNodes[static_cast<std::size_t>(link.m_iA)];
      const CNetNode& b = aNodes[static_cast<std::size_t>(link.m_iB)];
      if (a.m_iX == b.m_iX && a.m_iY == b.m_iY) continue;  // LineTo draws nothing there
      const POINT aPts[2] = {{s * a.m_iX, s * a.m_iY}, {s * b.m_iX, s * b.m_iY}};
      dc.MergeGradedStroke(aPts, 2, false, aWidths.data(), aColours.data(), n - 1);
    }
  }
  // Thin and in the full colour last, copied on top.
  const COLORREF crLine = ScaleColour(m_crLine, static_cast<double>(n) / n);
  slots.Select(PS_SOLID, s, crLine, crLine);  // the brush is not used by lines
  dc.SetROP2(R2_COPYPEN);
  for (const CNetLink& link : aLinks) {
    const CNetNode& a = aNodes[static_cast<std::size_t>(link.m_iA)];
    const CNetNode& b = aNodes[static_cast<std::size_t>(link.m_iB)];
    dc.MoveTo(s * a.m_iX, s * a.m_iY);
    dc.LineTo(s * b.m_iX, s * b.m_iY);
  }
  dc.SetROP2(iOldRop);
}

void CShapeNodeDrawer::DrawNode(CDC& dc, int s, const CNetNode& node) {
  const int cx = s * node.m_iX, cy = s * node.m_iY;
  const double dRotation = RandomReal(0, 3.14159);
  const int r0 = s * m_iSize / 2;
  const int c = (node.m_iV - 127) * r0 / 255 + r0;
  POINT aPts[4];
  const int k = m_iShape == PRIMITIVE_SQUARE ? 4 : 3;
  if (m_iShape != PRIMITIVE_CIRCLE) {
    for (int i = 0; i < k; ++i) {
      const double dAngle = dRotation + static_cast<double>(i) / k * TWO_PI;
      aPts[i] = {static_cast<LONG>(cx + std::sin(dAngle) * c),
                 static_cast<LONG>(cy + std::cos(dAngle) * c)};
    }
  }
  const int e = m_iPasses;
  // The merged outlines, widest and darkest first, at once. Their fills
  // would be covered by the last pass's copied fill, so they are left out.
  m_aWidths.clear();
  m_aColours.clear();
  for (int l = 0; l < e; ++l) {
    m_aWidths.push_back((e + 1 - l) * s);
    m_aColours.push_back(ScaleColour(m_crLine, static_cast<double>(l + 1) / (e + 1)));
  }
  if (e > 0) {
    if (m_iShape == PRIMITIVE_CIRCLE)
      dc.MergeGradedEllipse(cx - c, cy - c, cx + c, cy + c, m_aWidths.data(), m_aColours.data(), e);
    else
      dc.MergeGradedStroke(aPts, k, true, m_aWidths.data(), m_aColours.data(), e);
  }
  const COLORREF cr = ScaleColour(m_crLine, static_cast<double>(e + 1) / (e + 1));
  SelectPenAndBrush(m_hPen, PS_SOLID, s, cr, m_hBrush, m_crFill, dc);
  dc.SetROP2(R2_COPYPEN);
  if (m_iShape == PRIMITIVE_CIRCLE)
    dc.Ellipse(cx - c, cy - c, cx + c, cy + c);
  else
    dc.Polygon(aPts, k);
}

void CShapeNodeDrawer::End(CDC& /*dc*/) {
  // The network has put the DC's own objects back: the last pair is free.
  DeleteObject(m_hPen);
  DeleteObject(m_hBrush);
}

namespace {

// JitterColour(c, v) with the run's draws, lo = 1 - v and hi = 1 + v: the
// same draws and arithmetic, channel by channel, red first.
COLORREF JitterWith(CRandomRun& rnd, COLORREF c, double dLo, double dHi) {
  auto channel = [&](int ch, int r) {
    const int i = static_cast<int>(ch * CRandomRun::RealOf(r, dLo, dHi));
    return i < 0 ? 0 : (i > 255 ? 255 : i);
  };
  int r0, r1, r2;
  rnd.Raw3(r0, r1, r2);
  return RGB(channel(GetRValue(c), r0), channel(GetGValue(c), r1), channel(GetBValue(c), r2));
}

// Stores a colour as a pixel's blue, green, red; with bSpare, the byte after
// the pixel may be overwritten too (it is written again later).
inline void PutPixel(std::uint8_t* p, COLORREF cr, bool bSpare) {
  if (bSpare) {
    const std::uint32_t v = ((cr >> 16) & 0xFF) | (cr & 0xFF00) | ((cr & 0xFF) << 16);
    std::memcpy(p, &v, 4);  // little-endian: blue, green, red, then the spare byte
  } else {
    p[0] = static_cast<std::uint8_t>(GetBValue(cr));
    p[1] = static_cast<std::uint8_t>(GetGValue(cr));
    p[2] = static_cast<std::uint8_t>(GetRValue(cr));
  }
}

// The paper: one colour, about one pixel in five varied, more where the
// picture is dark. The specks are drawn column by column (the generator's
// order) and the surface is written along its rows, each pixel once: a band
// of columns at a time, whose forces are copied out beside a table of its
// colours (both row by row, small enough to stay in the cache while the
// columns are drawn), then the band is written row by row. Without memory
// for the band, or on a clipped DC, the specks are drawn straight away.
void DrawPaper(CDC& dc, COLORREF crPaper, const std::uint8_t* pField, int w, int h, int s,
               XformContext& ctx) {
  constexpr int kBand = 32;
  const int iBand = std::min(w, kBand);
  const std::size_t iBandPixels = static_cast<std::size_t>(iBand) * static_cast<std::size_t>(h);
  CBitmap* pBitmap = dc.GetCurrentBitmap();
  std::unique_ptr<COLORREF[]> pSpecks;
  std::unique_ptr<std::uint8_t[]> pForces;
  if (pBitmap && !dc.HasClipRegion()) {
    pSpecks.reset(new (std::nothrow) COLORREF[iBandPixels]);
    pForces.reset(new (std::nothrow) std::uint8_t[iBandPixels]);
  }
  if (!pSpecks || !pForces) {
    dc.FillSolidRect(0, 0, w * s, h * s, crPaper);
    for (int x = 0; x < w; ++x) {
      for (int y = 0; y < h; ++y)
        if (RandomInt(0, 100) > 80)
          JitterPixel(dc, x, y, s, crPaper, (255 - ForceAt(pField, x, y, w)) / 255.0);
      if (ctx.Stopped()) break;
    }
    return;
  }
  // The jitter's range for each force.
  double aLo[256], aHi[256];
  for (int f = 0; f < 256; ++f) {
    const double v = (255 - f) / 255.0;
    aLo[f] = 1.0 - v;
    aHi[f] = 1.0 + v;
  }
  COLORREF crBk = crPaper & 0xFFFFFF;  // what the fills would leave as background
  const int iRight = std::min(w * s, pBitmap->Width()), iBottom = std::min(h * s, pBitmap->Height());
  bool bStopped = false;
  CRandomRun rnd;
  for (int x0 = 0; x0 < w; x0 += kBand) {
    const int n = std::min(kBand, w - x0);  // pixel (x0 + k, y) of the band at y * n + k
    if (!bStopped)
      for (int y = 0; y < h; ++y)
        std::memcpy(pForces.get() + static_cast<std::size_t>(y) * n,
                    pField + static_cast<std::size_t>(y) * w + x0, static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) {
      COLORREF* pSpeck = pSpecks.get() + k;
      const std::uint8_t* pForce = pForces.get() + k;
      if (bStopped) {  // the rest stays plain
        for (int y = 0; y < h; ++y) pSpeck[static_cast<std::size_t>(y) * n] = crPaper;
        continue;
      }
      for (int y = 0; y < h; ++y) {
        COLORREF cr = crPaper;
        if (rnd.Int(0, 100) > 80) {
          const int f = pForce[static_cast<std::size_t>(y) * n];
          cr = JitterWith(rnd, crPaper, aLo[f], aHi[f]);
          if (s > 1) crBk = cr;
        }
        pSpeck[static_cast<std::size_t>(y) * n] = cr;
      }
      if (ctx.Stopped()) bStopped = true;
    }
    const int X0 = x0 * s, X1 = std::min((x0 + n) * s, iRight);
    if (X0 >= X1) continue;
    // Every pixel but the row's last may spill a byte into the next, which
    // is written after it.
    const bool bLastSpare = X1 < iRight;
    for (int Y = 0; Y < iBottom; ++Y) {
      std::uint8_t* pRow = pBitmap->Row(Y) + static_cast<std::size_t>(3) * X0;
      if (Y % s != 0) {  // a copy of the row above
        std::memcpy(pRow, pBitmap->Row(Y - 1) + static_cast<std::size_t>(3) * X0,
                    static_cast<std::size_t>(3) * (X1 - X0));
        continue;
      }
      const COLORREF* pLine = pSpecks.get() + static_cast<std::size_t>(Y / s) * n;
      const int iLast = X1 - X0 - 1;
      if (s == 1) {
        for (int k = 0; k < iLast; ++k) PutPixel(pRow + 3 * k, pLine[k], true);
        PutPixel(pRow + 3 * iLast, pLine[iLast], bLastSpare);
        continue;
      }
      for (int k = 0, i = 0; i <= iLast; ++k)
        for (const int iEnd = std::min(i + s, iLast + 1); i < iEnd; ++i)
          PutPixel(pRow + 3 * i, pLine[k], i < iLast || bLastSpare);
    }
  }
  dc.SetBkColor(crBk);
}

}  // namespace

int ApplyPrimitiveArt(const PrimitiveArtParams& p, XformContext& ctx) {
  if (!ctx.IsValid()) return 0;
  const CDADC& in = *ctx.m_pIn;
  CDC& dc = *ctx.m_pOut->m_pDC;
  const int w = in.m_iWidth, h = in.m_iHeight, s = ctx.ScaleFactor();

  SetPercent(ctx.m_pPercent, 0, 5, 100);
  SetStatusText("Soaking tools...");
  ForceFieldMap pField = MakeForceField(&in, ctx.m_Select, ctx.m_pStop);
  if (!pField) return 0;
  SetPercent(ctx.m_pPercent, 0, 10, 100);

  DrawPaper(dc, p.m_crPaper, pField.get(), w, h, s, ctx);

  if (!ctx.Stopped()) {
    const int iWidth = PercentOfDiagonal(p.m_dFeatureWidth, w, h);
    const int iHalf = PercentOfDiagonal(p.m_dFeatureWidth * 0.5, w, h);
    CShapeNodeDrawer nodeDrawer(p.m_crLine, p.m_crPaper, iWidth / 2, iHalf / 2, p.m_iShape);
    CGradedLinkDrawer linkDrawer(p.m_crLine, iHalf);
    const NodeNetworkSettings settings =
        RingNetworkSettings(pField.get(), w, h, p.m_iAreaCovered, p.m_iDensity, 2);
    CNodeNetwork network(&linkDrawer, p.m_iShape == PRIMITIVE_NONE ? nullptr : &nodeDrawer,
                         ctx.m_pPercent, ctx.m_pStop, "Insertion...", "Acretion...", "Baking...");
    if (network.Build(settings)) network.Draw(dc, s);
  }

  pField.reset();
  SetStatusText("");
  return ctx.Stopped() ? 0 : 1;
}
