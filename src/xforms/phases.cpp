#include "xforms/phases.h"

#include "imaging/colour.h"
#include "imaging/constants.h"
#include "imaging/force_field.h"
#include "imaging/gdi_helpers.h"
#include "imaging/random.h"
#include "imaging/xform_helpers.h"
#include "platform/report.h"
#include "xforms/progress.h"

int ValidatePhases(PhasesParams& p) {
  if (p.m_iNumber < 16) p.m_iNumber = 16;
  if (p.m_iNumber > 60) p.m_iNumber = 60;
  if (p.m_iDiameter < 50) p.m_iDiameter = 50;
  if (p.m_iDiameter > 90) p.m_iDiameter = 90;
  return 1;
}

void AutochoosePhases(PhasesParams& p, int iWidth, int /*iHeight*/) {
  p.m_crPlanet = ScaleColour(RandomColour(), 3.0);  // a light colour
  p.m_crTexture = ScaleColour(p.m_crPlanet, 0.75);
  p.m_crBackground = ScaleColour(RandomColour(), 0.2);  // a dark colour
  p.m_iNumber = RandomInt(38, 60);
  // Cells under 20 pixels on a small picture: fewer, larger planets.
  if (iWidth / p.m_iNumber < 20) p.m_iNumber = 16;
  p.m_iDiameter = RandomInt(50, 90);
  p.m_bTextured = RandomChance();
}

namespace {

// Maria (flat ellipses) and craters (small discs) in the texture colour,
// clipped to the planet's disc, which is filled with the planet colour first.
// Random draws: the maria's half-width and its ratio to their half-height,
// their number and centres (y, x), the craters' number and centres (x, y).
void DrawTexturedPlanet(CDC& dc, const PhasesParams& p, const RECT& rc) {
  HRGN hDisc = CreateEllipticRgn(rc.left, rc.top, rc.right, rc.bottom);
  dc.SelectClipRgn(hDisc);
  dc.FillSolidRect(rc.left, rc.top, rc.right, rc.bottom, p.m_crPlanet);
  CPenBrushSlots slots(dc);
  slots.Select(PS_SOLID, 1, p.m_crTexture, p.m_crTexture);

  const int d = rc.right - rc.left;
  int a = RandomInt(d / 15, d / 2);
  if (a < 1) a = 1;
  const int q = RandomInt(5, 15);
  int b = a / q;
  if (b < 1) b = 1;
  const int iMaria = RandomInt(1, 6);
  for (int k = 0; k < iMaria; ++k) {
    const int y = RandomInt(rc.top, rc.bottom);
    const int x = RandomInt(rc.left, rc.right);
    dc.Ellipse(x - a, y - b, x + a, y + b);
  }
  int r = d / 15;
  if (r < 1) r = 1;
  const int iCraters = RandomInt(5, 20);
  for (int k = 0; k < iCraters; ++k) {
    const int x = RandomInt(rc.left, rc.right);
    const int y = RandomInt(rc.top, rc.bottom);
    dc.Ellipse(x - r, y - r, x + r, y + r);
  }

  dc.SelectClipRgn(nullptr);
  DeleteObject(hDisc);
}

// The planet image, one cell in size, drawn once and copied to the top-left
// corner of every output cell, column by column (progress 10..30 %). False
// when the image cannot be made: after "Could not create bitmap for Phases"
// when its bitmap fails, silently when its DC does.
bool CopyPlanets(const PhasesParams& p, XformContext& ctx, const CellGrid& grid, int R,
                 PhasesBitmapMaker pfnMakeBitmap) {
  CDC& dc = *ctx.m_pOut->m_pDC;
  const int cw = grid.m_iCellWidth, ch = grid.m_iCellHeight;
  std::unique_ptr<CBitmap> pBitmap = pfnMakeBitmap(dc, cw, ch);
  if (!pBitmap) {
    ReportError("Could not create bitmap for Phases");
    return false;
  }
  std::unique_ptr<CDC> pCellDC = CreateCompatibleDC(&dc);
  if (!pCellDC) return false;
  pCellDC->SelectObject(pBitmap.get());
  if (pCellDC->GetCurrentBitmap() != pBitmap.get()) return false;

  pCellDC->FillSolidRect(0, 0, cw, ch, p.m_crBackground);
  const RECT rc{cw / 2 - R, ch / 2 - R, cw / 2 + R, ch / 2 + R};
  if (p.m_bTextured) {
    DrawTexturedPlanet(*pCellDC, p, rc);
  } else {
    CPenBrushSlots slots(*pCellDC);
    slots.Select(PS_SOLID, 1, p.m_crPlanet, p.m_crPlanet);
    pCellDC->Ellipse(rc.left, rc.top, rc.right, rc.bottom);
  }

  const int n = grid.m_iColumns;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < grid.m_iRows; ++j) {
      const RECT cell = grid.Cell(i, j);
      dc.BitBlt(cell.left, cell.top, cw, ch, *pCellDC, 0, 0, SRCCOPY);
    }
    if (ctx.Stopped()) break;
    SetPercent(ctx.m_pPercent, 10, 30, i * 100 / n);
  }
  pCellDC->SelectObject(static_cast<CBitmap*>(nullptr));
  DeleteDC(pCellDC);
  DeleteObject(pBitmap);
  return true;
}

// Cuts the phase of force v (0..255) out of the planet in cell rc: the right
// half of the cell (4 pixels wider), widened into the left half by a dark
// ellipse below 127, narrowed by a lit ellipse from 128 up; the shadow is
// filled with the selected background pen and brush. A cell whose regions
// cannot be combined keeps its whole planet.
void CutShadow(CDC& dc, const RECT& rc, int v, int R) {
  const int hx = (rc.left + rc.right) / 2, hy = (rc.top + rc.bottom) / 2;
  HRGN hShadow = CreateRectRgn(hx, rc.top, rc.right + 4, rc.bottom);
  int iKind = SIMPLEREGION;
  if (v < 127) {
    const int e = R * (127 - v) / 127 + 1;
    HRGN hEllipse = CreateEllipticRgn(hx - e, hy - R, hx + e, hy + R);
    iKind = CombineRgn(hShadow, hShadow, hEllipse, RGN_OR);
    DeleteObject(hEllipse);
  } else if (v >= 128) {
    const int e = R * (v - 127) / 127 + 1;
    HRGN hEllipse = CreateEllipticRgn(hx - e, hy - R, hx + e, hy + R);
    // (ellipse XOR half) AND half: the half without the ellipse.
    iKind = CombineRgn(hEllipse, hEllipse, hShadow, RGN_XOR);
    if (iKind != ERROR) iKind = CombineRgn(hShadow, hEllipse, hShadow, RGN_AND);
    DeleteObject(hEllipse);
  }
  if (iKind != ERROR) {
    dc.SelectClipRgn(hShadow);
    dc.Rectangle(rc.left, rc.top, rc.right, rc.bottom);
    dc.SelectClipRgn(nullptr);
  }
  DeleteObject(hShadow);
}

}  // namespace

int ApplyPhases(const PhasesParams& p, XformContext& ctx) {
  return ApplyPhasesWith(p, ctx, &CreateCompatibleBitmap);
}

int ApplyPhasesWith(const PhasesParams& p, XformContext& ctx, PhasesBitmapMaker pfnMakeBitmap) {
  if (!ctx.IsValid()) return 0;
  CDADC& in = *ctx.m_pIn;
  CDADC& out = *ctx.m_pOut;
  CDC& dc = *out.m_pDC;
  std::atomic<int>* pPercent = ctx.m_pPercent;

  SetPercent(pPercent, 0, 100, 5, "Pointing telescope...");
  ForceFieldMap pField = MakeForceField(&in, ctx.m_Select, ctx.m_pStop);
  if (!pField) return 0;

  SetPercent(pPercent, 0, 100, 10);
  dc.FillSolidRect(0, 0, out.m_iWidth, out.m_iHeight, p.m_crBackground);

  SetStatusText("Phasing...");
  // The same columns and rows over the input and the output, so that the
  // force of input cell (i, j) decides the phase of output cell (i, j).
  const CellGrid gridIn(in.m_iWidth, in.m_iHeight, p.m_iNumber);
  const CellGrid gridOut(out.m_iWidth, out.m_iHeight, p.m_iNumber);
  const int R = p.m_iDiameter * gridOut.m_iCellWidth / 200;
  if (!CopyPlanets(p, ctx, gridOut, R, pfnMakeBitmap)) {
    // Background-coloured cells are no picture of planets: the idea fails.
    SetStatusText("");
    return 0;
  }

  SetStatusText("Fayzing...");
  {
    CPenBrushSlots slots(dc);
    slots.Select(PS_SOLID, 1, p.m_crBackground, p.m_crBackground);
    const int iRows = gridOut.m_iRows;
    for (int j = 0; j < iRows; ++j) {
      for (int i = 0; i < gridOut.m_iColumns; ++i) {
        const POINT c = gridIn.Centre(i, j);
        CutShadow(dc, gridOut.Cell(i, j), ForceAt(pField, c.x, c.y, in.m_iWidth), R);
      }
      if (ctx.Stopped()) break;
      SetPercent(pPercent, 35, 100, 100 * j / iRows);
    }
  }

  pField.reset();
  SetStatusText("");
  return ctx.Stopped() ? 0 : 1;
}
