#include "imaging/colour.h"

#include <algorithm>

#include "platform/report.h"

COLORREF BlendColour(double t, COLORREF a, COLORREF b) {
  auto channel = [t](int ca, int cb) {
    return static_cast<int>(t * ca + (1.0 - t) * cb) & 0xFF;
  };
  return RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
             channel(GetBValue(a), GetBValue(b)));
}

COLORREF ScaleColour(COLORREF c, double f) {
  auto channel = [f](int ch) { return std::min(static_cast<int>(ch * f), 255); };
  return RGB(channel(GetRValue(c)), channel(GetGValue(c)), channel(GetBValue(c)));
}

void HsvToRgb(double h, double s, double v, double& r, double& g, double& b) {
  if (s == 0.0) {
    r = g = b = v;
    return;
  }
  const double x = h / 60.0;
  const int i = static_cast<int>(x);
  const double f = x - i;
  const double p = v * (1.0 - s);
  const double q = v * (1.0 - s * f);
  const double t = v * (1.0 - s * (1.0 - f));
  switch (i) {
    case 0:
    case 6: r = v; g = t; b = p; break;
    case 1: r = q; g = v; b = p; break;
    case 2: r = p; g = v; b = t; break;
    case 3: r = p; g = q; b = v; break;
    case 4: r = t; g = p; b = v; break;
    case 5: r = v; g = p; b = q; break;
    default:
      ReportError("HsvToRgb(%6.3f,%6.3f,%6.3f) = (%d)\n", x, s, v, i);
      r = v; g = p; b = q;
      break;
  }
}

void RgbToHsv(double r, double g, double b, double& h, double& s, double& v) {
  v = std::max({r, g, b});
  const double m = std::min({r, g, b});
  const double d = v - m;
  s = v != 0.0 ? d / v : 0.0;
  if (s == 0.0) {
    h = 0.0;
    return;
  }
  const double rc = (v - r) / d, gc = (v - g) / d, bc = (v - b) / d;
  if (r == v)
    h = bc - gc;
  else if (g == v)
    h = 2.0 + rc - bc;
  else
    h = 4.0 + gc - rc;
  h *= 60.0;
  if (h < 0.0)
    h += 360.0;
  else if (h > 360.0)
    h -= 360.0;
}
