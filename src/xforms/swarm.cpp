#include "xforms/swarm.h"

#include <cmath>

#include "imaging/force_field.h"
#include "imaging/gdi_helpers.h"
#include "imaging/random.h"
#include "imaging/xform_helpers.h"
#include "xforms/progress.h"

const char* CheckSwarmSettings(SwarmParams& p) {
  return ValidateSwarm(p) ? nullptr : "Choose at least one of:\nAngle, Intensity, Size";
}

int ValidateSwarm(SwarmParams& p, const char** pszWhy) {
  if (p.m_bAngle || p.m_bIntensity || p.m_bSize) return 1;
  if (pszWhy) *pszWhy = "at least one of angle, intensity and size must be on";
  return 0;
}

void AutochooseSwarm(SwarmParams& p) {
  do {
    RandomColourPair(p.m_crForeground, p.m_crBackground);
    p.m_iSticks = RandomInt(15000, 30000);
    p.m_bAngle = RandomChance();
    p.m_bIntensity = RandomInt(0, 100) > 10 ? 1 : 0;
    p.m_bSize = RandomChance();
  } while (!ValidateSwarm(p));
}

void DrawSwarmStick(CDC& dc, const SwarmStick& stick) {
  const double L = stick.m_iLength;
  int bx = static_cast<int>(L * std::sin(stick.m_dAngle)) / 2;
  const int by = static_cast<int>(L * std::cos(stick.m_dAngle)) / 2;
  if (bx == 0 || by == 0) ++bx;
  dc.MoveTo(stick.m_iX - bx, stick.m_iY - by);
  dc.LineTo(stick.m_iX + bx, stick.m_iY + by);
}

int ApplySwarm(const SwarmParams& p, XformContext& ctx) {
  if (!ctx.IsValid()) return 0;
  CDADC& in = *ctx.m_pIn;
  CDADC& out = *ctx.m_pOut;
  CDC& dc = *out.m_pDC;
  const int w = in.m_iWidth, h = in.m_iHeight, s = ctx.ScaleFactor();
  const int W = out.m_iWidth, H = out.m_iHeight;
  std::atomic<int>* pPercent = ctx.m_pPercent;

  SetPercent(pPercent, 0, 100, 5, "Laying eggs...");
  ForceFieldMap pField = MakeForceField(&in, ctx.m_Select, ctx.m_pStop);
  if (!pField) return 0;

  SetPercent(pPercent, 0, 100, 10);
  dc.FillSolidRect(0, 0, W, H, p.m_crBackground);
  SetStatusText("Swarming...");

  // One pen and brush for the whole swarm; the DC's own go back at the end.
  CPenBrushSlots slots(dc);
  slots.Select(PS_SOLID, s, p.m_crForeground, p.m_crBackground);

  // Drawn whether or not the directions follow the field.
  const double dBase = RandomReal(0, kSwarmPi);
  const int iDefaultLength = 2 * (W + H) / 200;
  const int iMaxLength = 3 * (W + H) / 200;

  // An attempt rejected by the intensity test lays nothing and is not
  // counted; the loop ends when enough sticks are laid or on STOP.
  int iCount = 0;
  while (!ctx.Stopped() && iCount < p.m_iSticks) {
    const int x = RandomInt(0, w - 1);
    const int y = RandomInt(0, h - 1);
    const int v = ForceAt(pField, x, y, w);
    if (p.m_bIntensity && RandomInt(0, 253) > v) continue;
    SwarmStick stick;
    stick.m_iX = x * s;
    stick.m_iY = y * s;
    stick.m_iLength = p.m_bSize ? RandomInt(1, iMaxLength) * v / 255 : iDefaultLength;
    stick.m_dAngle = p.m_bAngle ? v * kSwarmPi * 0.75 / 255 + dBase : RandomReal(0, kSwarmPi);
    DrawSwarmStick(dc, stick);
    ++iCount;
    SetPercent(pPercent, 20, 100, static_cast<int>(100LL * iCount / p.m_iSticks));
  }

  pField.reset();
  SetStatusText("");
  return ctx.Stopped() ? 0 : 1;
}
