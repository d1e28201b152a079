#include "xforms/ivy.h"

#include <cmath>
#include <cstdlib>

#include "imaging/colour.h"
#include "imaging/constants.h"
#include "imaging/force_field.h"
#include "imaging/gdi_helpers.h"
#include "imaging/random.h"
#include "imaging/xform_helpers.h"
#include "platform/dc.h"
#include "xforms/progress.h"

int ValidateIvy(IvyParams& /*p*/) { return 1; }

void AutochooseIvy(IvyParams& p, AreaSelection& sel) {
  ChooseBackground(p.m_Background, 0.5, 75);
  sel.Reset();
  sel.m_bInvert = RandomInt(0, 100) < 20 ? 1 : 0;
  p.m_dLeafSize = RandomReal(2, 6);
  p.m_iDensity = RandomInt(40, 200);
  p.m_iAreaCovered = RandomInt(5, 60);
  p.m_crFill = JitterColour(RGB(65, 188, 4), 0.25);
  p.m_crLine = ScaleColour(p.m_crFill, RandomChance() == 1 ? 0.5 : 2.0);
}

int IvyLeafScale(double dLeafSize, int iWidth, int iHeight) {
  if (!(dLeafSize >= 2.0)) dLeafSize = 2.0;
  if (dLeafSize > 6.0) dLeafSize = 6.0;
  const double D = BoundedDiagonal(iWidth, iHeight);
  return static_cast<int>(D * dLeafSize * 0.01);
}

double IvyStemAngle(int dx, int dy) {
  dx = std::abs(dx);
  dy = std::abs(dy);
  return dx != 0 && (dy == 0 || dy < dx) ? HALF_PI : 0.0;
}

void CIvyStemDrawer::DrawLinks(CDC& dc, int s, const std::vector<CNetNode>& aNodes,
                               const std::vector<CNetLink>& aLinks) {
  HPEN hPen = CreatePen(PS_SOLID, s * m_k / 10, BlendColour(0.5, m_p.m_crFill, m_p.m_crLine));
  HPEN hOldPen = dc.SelectObject(hPen);
  // Made once for all stems; without it the stems carry no leaves.
  const std::unique_ptr<COutline> pLeaf = MakeOutline(OUTLINE_DROP, 0.5);
  OutlineStyle style;
  style.m_crPen = m_p.m_crLine;
  style.m_crFill = m_p.m_crFill;
  style.m_bFill = 1;
  style.m_dPenWidth = s;
  std::vector<POINT> aBends;
  for (const CNetLink& link : aLinks) {
    if (link.m_iA < 0 || link.m_iB < 0) break;
    const CNetNode& a = aNodes[static_cast<std::size_t>(link.m_iA)];
    const CNetNode& b = aNodes[static_cast<std::size_t>(link.m_iB)];
    const int ax = s * a.m_iX, ay = s * a.m_iY, bx = s * b.m_iX, by = s * b.m_iY;

    // The stem: n pieces through jittered points on the straight line.
    const int n = RandomInt(2, 5);
    dc.MoveTo(ax, ay);
    aBends.clear();
    for (int i = 0; i < n - 1 && !m_ctx.Stopped(); ++i) {
      const double t = static_cast<double>(i + 1) / n, u = static_cast<double>(n - i - 1) / n;
      POINT pt{static_cast<LONG>(t * bx + u * ax), static_cast<LONG>(t * by + u * ay)};
      pt.x += RandomInt(-3 * s, 3 * s);
      pt.y += RandomInt(-3 * s, 3 * s);
      dc.LineTo(pt.x, pt.y);
      aBends.push_back(pt);
    }
    if (m_ctx.Stopped()) break;
    dc.LineTo(bx, by);

    // Leaves at about a third of the bends, across the stem either way.
    if (pLeaf) {
      double f = (a.m_iV + b.m_iV) / 511.0;
      if (f < 0.5) f = 0.5;
      const CVec vScale(s * m_k * f, s * m_k * f, 1.0);
      const double dBase = IvyStemAngle(bx - ax, by - ay);
      for (const POINT& pt : aBends) {
        if (RandomInt(0, 100) > 66) {
          double dAngle = RandomReal(-0.39269875, 0.39269875) + dBase;
          if (RandomChance() == 1) dAngle += 3.14159;
          DrawOutline(dc, *pLeaf, style, vScale, dAngle, CVec(pt.x, pt.y, 0));
        }
        if (m_ctx.Stopped()) break;
      }
    }
    if (m_ctx.Stopped()) break;
  }
  dc.SelectObject(hOldPen);
  DeleteObject(hPen);
}

void CIvyClusterDrawer::Begin(CDC& /*dc*/, int /*s*/) { m_pLeaf = MakeOutline(OUTLINE_DROP, 0.5); }

void CIvyClusterDrawer::DrawNode(CDC& dc, int s, const CNetNode& node) {
  if (!m_pLeaf) return;  // reported when it was made; no cluster without it
  OutlineStyle style;
  style.m_crFill = JitterColour(m_p.m_crFill, 0.075);
  style.m_crPen = JitterColour(m_p.m_crLine, 0.075);
  style.m_bFill = 1;
  style.m_dPenWidth = s;
  double f = node.m_iV / 255.0;
  if (f < 0.5) f = 0.5;
  const CVec vScale(m_k * s * f, m_k * s * f, 1.0);
  const CVec vPosition(s * node.m_iX, s * node.m_iY, 0);
  const int n = RandomInt(1, 4);
  for (int i = 0; i < n; ++i)
    DrawOutline(dc, *m_pLeaf, style, vScale, RandomReal(-3.14159, 3.14159), vPosition);
}

int ApplyIvy(const IvyParams& p, XformContext& ctx) {
  if (!ctx.IsValid()) return 0;
  const CDADC& in = *ctx.m_pIn;
  CDADC& out = *ctx.m_pOut;
  const int w = in.m_iWidth, h = in.m_iHeight, s = ctx.ScaleFactor();
  SetPercent(ctx.m_pPercent, 0, 5, 100);
  SetStatusText("Compost...");
  ForceFieldMap pField = MakeForceField(&in, ctx.m_Select, ctx.m_pStop);
  if (!pField) return 0;
  SetPercent(ctx.m_pPercent, 0, 10, 100);
  FillBackground(out, in, p.m_Background);

  const NodeNetworkSettings settings =
      RingNetworkSettings(pField.get(), w, h, p.m_iAreaCovered, p.m_iDensity, 4);
  const int k = IvyLeafScale(p.m_dLeafSize, w, h);
  CIvyStemDrawer stems(p, k, ctx);
  CIvyClusterDrawer clusters(p, k);
  CNodeNetwork network(&stems, &clusters, ctx.m_pPercent, ctx.m_pStop, "Ivy growth...",
                       "Ivy trail...", "Ivy crawl...");
  if (network.Build(settings)) network.Draw(*out.m_pDC, s);

  pField.reset();
  SetStatusText("");
  return ctx.Stopped() ? 0 : 1;
}
