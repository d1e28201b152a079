#include "xforms/haaisi.h"

#include <cmath>
#include <cstdint>

#include "imaging/colour.h"
#include "imaging/constants.h"
#include "imaging/force_field.h"
#include "imaging/gdi_helpers.h"
#include "imaging/random.h"
#include "imaging/xform_helpers.h"
#include "platform/dc.h"
#include "xforms/progress.h"

int ValidateHaaisi(HaaisiParams& p) {
  if (p.m_iRings < 15) p.m_iRings = 15;
  if (p.m_iRings > 40) p.m_iRings = 40;
  return 1;
}

void AutochooseHaaisi(HaaisiParams& p) {
  p.m_iRings = RandomInt(15, 40);
  if (RandomChance())
    RandomColourPair(p.m_crSpare, p.m_crBackground);
  else
    RandomColourPair(p.m_crBackground, p.m_crSpare);
  RandomColourPair(p.m_crFore1, p.m_crFore2);
  p.m_iShape = RandomInt(0, 2);
}

namespace {

// Draws the rings' elements, each with a pen and brush of its own; the DC's
// pen and brush are back when it ends.
class CRingPainter {
 public:
  CRingPainter(CDC& dc, const HaaisiParams& p, const std::uint8_t* pField, int iWidth,
               int iHeight, int s, double f, int cx, int cy)
      : m_dc(dc), m_p(p), m_pField(pField), m_iWidth(iWidth), m_iHeight(iHeight), m_s(s), m_f(f),
        m_cx(cx), m_cy(cy), m_slots(dc) {}

  // The elements of the ring between the radii r0 and r1 (output pixels).
  // The innermost ring, too narrow for a whole element around it, gets 3 to
  // 6 smaller ones.
  void Ring(double r0, double r1, const XformContext& ctx) {
    const double rm = (r0 + r1) / 2;
    double d = r1 - r0;
    int k = static_cast<int>(r0 / d * TWO_PI);
    if (k <= 0) {
      d = RandomReal(0.5, 0.9) * d;
      k = RandomInt(3, 6);
    }
    const double a = TWO_PI / k * m_f;
    const double z = m_f * d;
    for (int t = 0; t < k && !ctx.Stopped(); ++t) {
      const double th = t * TWO_PI / k;
      const int ex = static_cast<int>(std::cos(th) * rm + m_cx);
      const int ey = static_cast<int>(std::sin(th) * rm + m_cy);
      const int q = Force(ex / m_s, ey / m_s);
      const COLORREF crFill = BlendColour(q / 255.0, m_p.m_crFore1, m_p.m_crFore2);
      const COLORREF crLine = BlendColour((255 - q) / 255.0, m_p.m_crFore1, m_p.m_crFore2);
      m_slots.Select(PS_SOLID, m_s, crLine, crFill);
      if (m_p.m_iShape == HAAISI_OUTWARD)
        Triangle(th, a, r0, r1);
      else if (m_p.m_iShape == HAAISI_INWARD)
        Triangle(th, a, r1, r0);
      else
        m_dc.Ellipse(static_cast<int>(ex - z / 2), static_cast<int>(ey - z / 2),
                     static_cast<int>(ex + z / 2), static_cast<int>(ey + z / 2));
    }
  }

 private:
  // The force at an input pixel; outside the picture that of the nearest
  // edge pixel.
  int Force(int x, int y) const {
    x = x < 0 ? 0 : (x >= m_iWidth ? m_iWidth - 1 : x);
    y = y < 0 ? 0 : (y >= m_iHeight ? m_iHeight - 1 : y);
    return ForceAt(m_pField, x, y, m_iWidth);
  }

  // Base on the circle of radius rBase across the angle a around th, point
  // on the circle of radius rPoint at th.
  void Triangle(double th, double a, double rBase, double rPoint) {
    const POINT aPts[3] = {
        {static_cast<LONG>(m_cx + rBase * std::cos(th - a / 2)),
         static_cast<LONG>(m_cy + rBase * std::sin(th - a / 2))},
        {static_cast<LONG>(m_cx + rBase * std::cos(th + a / 2)),
         static_cast<LONG>(m_cy + rBase * std::sin(th + a / 2))},
        {static_cast<LONG>(m_cx + rPoint * std::cos(th)),
         static_cast<LONG>(m_cy + rPoint * std::sin(th))}};
    m_dc.Polygon(aPts, 3);
  }

  CDC& m_dc;
  const HaaisiParams& m_p;
  const std::uint8_t* m_pField;
  int m_iWidth, m_iHeight, m_s;
  double m_f;
  int m_cx, m_cy;
  CPenBrushSlots m_slots;
};

}  // namespace

int ApplyHaaisi(const HaaisiParams& p, XformContext& ctx) {
  if (!ctx.IsValid()) return 0;
  const CDADC& in = *ctx.m_pIn;
  CDADC& out = *ctx.m_pOut;
  const int W = out.m_iWidth, H = out.m_iHeight, s = ctx.ScaleFactor();
  // A record that skipped validation must not divide by zero.
  const int n = p.m_iRings < 1 ? 1 : p.m_iRings;
  const int iSteps = n > 1 ? n - 1 : 1;

  // How far neighbouring elements overlap: drawn once, before the field.
  const double f = RandomReal(0.95, 1.5);

  SetPercent(ctx.m_pPercent, 0, 100, 5, "How alien...");
  ForceFieldMap pField = MakeForceField(&in, ctx.m_Select, ctx.m_pStop);
  if (!pField) return 0;

  SetPercent(ctx.m_pPercent, 0, 100, 5);
  out.m_pDC->FillSolidRect(0, 0, W, H, p.m_crBackground);
  {
    CRingPainter painter(*out.m_pDC, p, pField.get(), in.m_iWidth, in.m_iHeight, s, f, W / 2,
                         H / 2);
    // Half the output's diagonal.
    const double R = std::sqrt(static_cast<double>(H) * H / 4 + static_cast<double>(W) * W / 4);
    SetStatusText("Light years from here...");
    // n + 1 rings: the last one reaches beyond the corners.
    for (int i = 0; i <= n; ++i) {
      painter.Ring(R * i / n, R * (i + 1) / n, ctx);
      SetPercent(ctx.m_pPercent, 10, 100, i * 100 / iSteps);
      if (ctx.Stopped()) break;
    }
  }
  pField.reset();
  SetStatusText("");
  return ctx.Stopped() ? 0 : 1;
}
