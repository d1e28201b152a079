#include "xforms/bubble.h"

#include "imaging/colour.h"
#include "imaging/constants.h"
#include "imaging/force_field.h"
#include "imaging/random.h"
#include "platform/dc.h"
#include "xforms/progress.h"

int ValidateBubble(BubbleParams& p) {
  if (p.m_iBubbles < 100) p.m_iBubbles = 100;
  if (p.m_iBubbles > 5000) p.m_iBubbles = 5000;
  if (!(p.m_dSize >= 0.5)) p.m_dSize = 0.5;
  if (p.m_dSize > 3.0) p.m_dSize = 3.0;
  if (p.m_iHighLight < HIGHLIGHT_OFF) p.m_iHighLight = HIGHLIGHT_OFF;
  if (p.m_iHighLight > HIGHLIGHT_LEFT) p.m_iHighLight = HIGHLIGHT_LEFT;
  return 1;
}

void AutochooseBubble(BubbleParams& p, AreaSelection& sel) {
  p.m_iBubbles = RandomInt(2550, 5000);
  p.m_iHighLight = RandomInt(HIGHLIGHT_TOP_LEFT, HIGHLIGHT_LEFT);  // never "Off"
  RandomColourPair(p.m_crBubble, p.m_Background.m_crColour);
  p.m_Background.m_bUsePicture = 0;
  p.m_Background.m_crColour = ScaleColour(p.m_Background.m_crColour, 0.25);
  p.m_crHighLight = ScaleColour(RandomColour(), 2.0);
  p.m_dSize = RandomReal(0.5, 1.5);
  sel.m_bInvert = RandomChance();
}

bool BubbleHighlightArc(int iDirection, const RECT& rc, POINT& ptStart, POINT& ptEnd) {
  const LONG l = rc.left, t = rc.top, r = rc.right, b = rc.bottom;
  // The arc runs counter-clockwise from the start ray to the end ray: halves
  // from corner to corner, quarters along one side.
  switch (iDirection) {
    case HIGHLIGHT_TOP_LEFT: ptStart = {r, t}, ptEnd = {l, b}; return true;
    case HIGHLIGHT_TOP: ptStart = {r, t}, ptEnd = {l, t}; return true;
    case HIGHLIGHT_TOP_RIGHT: ptStart = {r, b}, ptEnd = {l, t}; return true;
    case HIGHLIGHT_RIGHT: ptStart = {r, b}, ptEnd = {r, t}; return true;
    case HIGHLIGHT_BOTTOM_RIGHT: ptStart = {l, b}, ptEnd = {r, t}; return true;
    case HIGHLIGHT_BOTTOM: ptStart = {l, b}, ptEnd = {r, b}; return true;
    case HIGHLIGHT_BOTTOM_LEFT: ptStart = {l, t}, ptEnd = {r, b}; return true;
    case HIGHLIGHT_LEFT: ptStart = {l, t}, ptEnd = {l, b}; return true;
    default: return false;
  }
}

CBubbleBlower::CBubbleBlower(CDC& dc, const BubbleParams& p, double dR0, const std::uint8_t* pField,
                             int iWidth, int s)
    : m_dc(dc),
      m_iHighLight(p.m_iHighLight),
      m_pField(pField),
      m_iWidth(iWidth),
      m_s(s),
      m_dR0(dR0) {
  m_hOldPen = m_dc.GetCurrentPen();
  m_hOldBrush = m_dc.GetCurrentBrush();
  m_hBubblePen = CreatePen(PS_SOLID, s, p.m_crBubble);
  m_hHighLightPen = CreatePen(PS_SOLID, s, p.m_crHighLight);
  m_dc.SelectObject(GetStockBrush(NULL_BRUSH));
}

CBubbleBlower::~CBubbleBlower() {
  m_dc.SelectObject(m_hOldPen);
  m_dc.SelectObject(m_hOldBrush);
  DeleteObject(m_hBubblePen);
  DeleteObject(m_hHighLightPen);
}

int CBubbleBlower::String(int x, int y, int d) {
  const int c = RandomChance();
  const int l = static_cast<int>(m_dR0 * 2 / m_s + 1);
  const int m = c ? 2 * l : l;
  int k = 0;
  do {
    int u = static_cast<int>(m_dR0 * RandomReal(0.9, 1.1));
    if (u < m_s) u = m_s;  // never smaller than one input pixel
    const RECT rc{m_s * x - u, m_s * y - u, m_s * x + u, m_s * y + u};
    m_dc.SelectObject(m_hBubblePen);
    m_dc.Ellipse(rc.left, rc.top, rc.right, rc.bottom);
    POINT ptStart, ptEnd;
    if (BubbleHighlightArc(m_iHighLight, rc, ptStart, ptEnd)) {
      m_dc.SelectObject(m_hHighLightPen);
      m_dc.Arc(rc.left, rc.top, rc.right, rc.bottom, ptStart.x, ptStart.y, ptEnd.x, ptEnd.y);
    }
    y -= m + 2 * k;
    ++k;
    if (y < 0) break;
  } while (ForceAt(m_pField, x, y, m_iWidth) >= d);
  return k;
}

int ApplyBubble(const BubbleParams& p, XformContext& ctx) {
  if (!ctx.IsValid()) return 0;
  const CDADC& in = *ctx.m_pIn;
  CDADC& out = *ctx.m_pOut;
  const int w = in.m_iWidth, h = in.m_iHeight, s = ctx.ScaleFactor();
  // A record that skipped validation must not divide the progress by zero.
  const int N = p.m_iBubbles > 0 ? p.m_iBubbles : 1;
  // The base radius: half of Size percent of the output width.
  const double dR0 = p.m_dSize * out.m_iWidth * 0.005;

  SetPercent(ctx.m_pPercent, 0, 100, 5, "Analysing soap...");
  ForceFieldMap pField = MakeForceField(&in, ctx.m_Select, ctx.m_pStop);
  if (!pField) return 0;

  SetPercent(ctx.m_pPercent, 0, 100, 10);
  FillBackground(out, in, p.m_Background);

  SetStatusText("Blowing bubbles...");
  {
    CBubbleBlower blower(*out.m_pDC, p, dR0, pField.get(), w, s);
    int n = 0;
    while (!ctx.Stopped()) {
      const int x = RandomInt(0, w - 1);
      const int y = RandomInt(0, h - 1);
      const int v = ForceAt(pField, x, y, w);
      const int d = RandomInt(0, 253);
      if (v >= d) {
        const int k = blower.String(x, y, d);
        SetPercent(ctx.m_pPercent, 10, 100, (n * 100 + k * 100 + 100) / N);
        n += k + 1;
        if (n >= N) break;
      }
    }
  }
  pField.reset();
  SetStatusText("");
  return ctx.Stopped() ? 0 : 1;
}
