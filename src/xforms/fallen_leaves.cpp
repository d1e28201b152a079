#include "xforms/fallen_leaves.h"

#include <algorithm>
#include <cmath>

#include "imaging/colour.h"
#include "imaging/constants.h"
#include "imaging/force_field.h"
#include "imaging/gdi_helpers.h"
#include "imaging/random.h"
#include "imaging/xform_helpers.h"
#include "xforms/progress.h"

namespace {

constexpr int kLeafPoints = 9;

// The base outlines: the upper edge from the stem end to the tip; the lower
// edge mirrors it. The first and last points are never moved.
constexpr double kOrdinary[kLeafPoints][2] = {
    {-0.425, 0},     {-0.325, -0.075}, {-0.175, -0.125}, {-0.05, -0.15}, {0.1, -0.15},
    {0.25, -0.125}, {0.375, -0.05},   {0.4, -0.025},    {0.5, 0}};
constexpr double kMaple[kLeafPoints][2] = {
    {-0.22, 0},     {-0.28, -0.3}, {-0.16, -0.16}, {-0.08, -0.46}, {-0.02, -0.22},
    {0.14, -0.28}, {0.32, -0.24}, {0.16, -0.1},   {0.5, 0}};

constexpr COLORREF kPalette[kLeafPalettes][5] = {
    {RGB(148, 107, 89), RGB(223, 196, 149), RGB(223, 196, 151), RGB(148, 107, 89),
     RGB(100, 90, 80)},
    {RGB(117, 94, 76), RGB(187, 186, 166), RGB(117, 94, 89), RGB(187, 186, 166),
     RGB(70, 70, 45)},
    {RGB(225, 197, 158), RGB(238, 247, 226), RGB(225, 200, 158), RGB(238, 247, 226),
     RGB(200, 200, 177)},
    {RGB(118, 117, 112), RGB(152, 169, 159), RGB(118, 123, 112), RGB(152, 169, 159),
     RGB(100, 101, 80)},
    {RGB(191, 91, 65), RGB(47, 20, 11), RGB(175, 99, 67), RGB(106, 64, 44), RGB(185, 133, 111)},
};

OutlineStyle Style(COLORREF crPen, COLORREF crFill, int bFill, double dWidth) {
  OutlineStyle style;
  style.m_crPen = crPen;
  style.m_crFill = crFill;
  style.m_bFill = bFill;
  style.m_dPenWidth = dWidth;
  return style;
}

}  // namespace

COLORREF LeafPaletteColour(int iPalette, int n) { return kPalette[iPalette][n]; }

void CLeaf::Build(double a, int iType) {
  const auto& aBase = iType == LEAF_MAPLE ? kMaple : kOrdinary;
  m_Upper.Reset();
  m_Lower.Reset();
  m_Midrib.Reset();
  for (int i = 0; i < kLeafPoints; ++i) {
    double d[4] = {0, 0, 0, 0};
    if (i > 0 && i < kLeafPoints - 1)
      for (double& v : d) v = RandomReal(-a, a);
    const double x = aBase[i][0], y = aBase[i][1];
    m_Upper.AddVertex(x + d[0], y + d[1], 0);
    m_Lower.AddVertex(x + d[2], -(y + d[3]), 0);
  }
  m_Midrib.AddVertex(-0.5, 0, 0);
  for (int i = 1; i < kLeafPoints - 1; ++i)
    m_Midrib.AddVertex(iType == LEAF_MAPLE ? -0.18 : m_Upper.GetVertex(i).x(), 0, 0);
  m_Midrib.AddVertex(0.5, 0, 0);
  m_Midrib.m_bFilled = 0;
  for (int n = 0; n < 5; ++n) m_aColour[n] = kPalette[0][n];
}

void CLeaf::SetColours(double t, int iPaletteA, int iPaletteB, double dJitter) {
  if (!(t >= 0.0 && t <= 1.0)) t = 0.5;
  if (!(dJitter >= 0.0 && dJitter <= 1.0)) dJitter = 0.05;
  if (iPaletteA < 0 || iPaletteA >= kLeafPalettes || iPaletteB < 0 ||
      iPaletteB >= kLeafPalettes) {
    iPaletteA = 0;
    iPaletteB = 1;
  }
  for (int n = 0; n < 5; ++n)
    m_aColour[n] =
        JitterColour(BlendColour(t, kPalette[iPaletteA][n], kPalette[iPaletteB][n]), dJitter);
}

void CLeaf::Draw(CDC& dc, const CVec& vPosition, const CVec& vScale, double dAngle, double p) {
  const int iMidrib = m_Midrib.m_iCount;
  if (iMidrib < 3) return;
  // The upper face closes along the midrib, the lower one along its own
  // straight chord.
  COutline upper;
  for (int i = 0; i < m_Upper.m_iCount; ++i) upper.AddVertex(m_Upper.GetVertex(i));
  for (int i = 1; i <= iMidrib - 2; ++i) upper.AddVertex(m_Midrib.GetVertex(i));
  DrawOutline(dc, upper, Style(m_aColour[2], m_aColour[0], 1, p), vScale, dAngle, vPosition);
  DrawOutline(dc, m_Lower, Style(m_aColour[3], m_aColour[1], 1, p), vScale, dAngle, vPosition);
  DrawOutline(dc, m_Midrib, Style(m_aColour[4], 0, 0, 1.5 * p), vScale, dAngle, vPosition);

  // The veins grow as one polyline, so each drawing repeats the earlier
  // veins and joins the end of one to the start of the next.
  COutline veins;
  veins.m_bFilled = 0;
  const OutlineStyle vein = Style(m_aColour[4], 0, 0, 0.5 * p);
  for (int j = 1; j <= m_Upper.m_iCount - 2; ++j) {
    if (RandomChance()) {
      veins.AddVertex(m_Midrib.GetVertex(j));
      veins.AddVertex(m_Upper.GetVertex(j));
      DrawOutline(dc, veins, vein, vScale, dAngle, vPosition);
    }
    if (RandomChance()) {
      veins.AddVertex(m_Midrib.GetVertex(j));
      veins.AddVertex(m_Lower.GetVertex(j));
      DrawOutline(dc, veins, vein, vScale, dAngle, vPosition);
    }
  }
}

const char* CheckFallenLeavesSettings(FallenLeavesParams& p) {
  if (!p.m_bPiling && !p.m_bShading && !p.m_bAngling)
    return "You should choose at least one of\nPiling, Shading, Angling";
  return nullptr;
}

int ValidateFallenLeaves(FallenLeavesParams& p) {
  p.m_iLeaves = std::clamp(p.m_iLeaves, 150, 2000);
  if (!p.m_bPiling && !p.m_bShading && !p.m_bAngling) p.m_bPiling = 1;
  return 1;
}

void AutochooseFallenLeaves(FallenLeavesParams& p) {
  ChooseBackground(p.m_Background, 0.5, 33);
  do {
    p.m_bPiling = RandomChance();
    p.m_bShading = RandomChance();
    p.m_bAngling = RandomChance();
  } while (!p.m_bPiling && !p.m_bShading && !p.m_bAngling);
  // Angling alone would leave the picture out of the leaves' places and colours.
  if (p.m_bAngling && !p.m_bPiling && !p.m_bShading) {
    if (RandomChance() == 1)
      p.m_bShading = 1;
    else
      p.m_bPiling = 1;
  }
  p.m_iLeaves = RandomInt(150, 2000);
  p.m_dLeafSize = p.m_iLeaves > 1074 ? RandomReal(2, 6) : RandomReal(6, 10);
  p.m_iPaletteA = RandomInt(0, kLeafPalettes - 1);
  p.m_iPaletteB = RandomInt(0, kLeafPalettes - 1);
  for (int iDraws = 1; p.m_iPaletteB == p.m_iPaletteA && iDraws < 101; ++iDraws)
    p.m_iPaletteB = RandomInt(0, kLeafPalettes - 1);
  p.m_dColourJitter = p.m_bShading ? 0.075 : RandomReal(0.075, 0.176);
  p.m_iAreaPiled = p.m_bPiling ? RandomInt(10, 90) : 50;
  p.m_iLeafType = RandomInt(0, 2);
}

int ApplyFallenLeaves(const FallenLeavesParams& p, XformContext& ctx) {
  if (!ctx.IsValid()) return 0;
  const int s = ctx.ScaleFactor();
  const CDADC& in = *ctx.m_pIn;
  CDADC& out = *ctx.m_pOut;
  const int w = in.m_iWidth, h = in.m_iHeight, W = out.m_iWidth, H = out.m_iHeight;
  SetPercent(ctx.m_pPercent, 0, 5, 100);
  SetStatusText("Drifting...");
  ForceFieldMap pField = MakeForceField(&in, ctx.m_Select, ctx.m_pStop);
  if (!pField) return 0;
  SetPercent(ctx.m_pPercent, 0, 10, 100);
  const std::size_t iPixels = static_cast<std::size_t>(w) * h;
  const int iThreshold = ForceFieldThreshold(p.m_iAreaPiled, pField.get(), iPixels);
  FillBackground(out, in, p.m_Background);
  SetStatusText("Falling...");

  const double dSize =
      p.m_dLeafSize >= 0.0 && p.m_dLeafSize <= 100.0
          ? BoundedDiagonal(W, H) * p.m_dLeafSize * 0.01
          : 3.0;
  int iType = p.m_iLeafType == LEAF_MAPLE || p.m_iLeafType == LEAF_MIXED ? LEAF_MAPLE : 0;
  const double dBaseAngle = RandomReal(0, 3.14159);
  const int N = p.m_iLeaves > 0 ? p.m_iLeaves : 1;
  // With Piling, a field that nowhere reaches the threshold (a flat picture
  // asked for 0 %) would keep the loop searching for ever: no leaf falls.
  const bool bNowhere =
      p.m_bPiling && *std::max_element(pField.get(), pField.get() + iPixels) < iThreshold;
  CLeaf leaf;
  int iCount = 0;
  while (!bNowhere && !ctx.Stopped()) {
    const int x = RandomInt(0, w - 1);
    const int y = RandomInt(0, h - 1);
    const int f = ForceAt(pField, x, y, w);
    if (!p.m_bPiling || f >= iThreshold) {
      if (p.m_iLeafType == LEAF_MIXED) iType = 1 - RandomChance();
      leaf.Build(0.025, iType);
      const double r1 = RandomReal(0.9, 1.1);
      const double r2 = RandomReal(0.9, 1.1);
      const double r3 = RandomReal(0.8, 1.2);
      const CVec vScale(r3 * dSize * r1, r3 * dSize * r2, 1.0);
      const CVec vPosition(x * s, y * s, 0);
      const double t = p.m_bShading ? f / 255.0 : RandomReal(0, 1);
      leaf.SetColours(t, p.m_iPaletteA, p.m_iPaletteB, p.m_dColourJitter);
      const double dAngle =
          p.m_bAngling
              ? RandomReal(-0.3490655555555555, 0.3490655555555555) + f * HALF_PI / 255 +
                    dBaseAngle
              : RandomReal(-3.14159, 3.14159);
      leaf.Draw(*out.m_pDC, vPosition, vScale, dAngle, s);
      SetPercent(ctx.m_pPercent, 10, 100, static_cast<int>(100LL * iCount / N));
      ++iCount;
    }
    if (iCount >= N) break;
  }

  pField.reset();
  SetStatusText("");
  return ctx.Stopped() ? 0 : 1;
}
