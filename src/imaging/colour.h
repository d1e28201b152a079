// Colour arithmetic on COLORREF values and HSV conversions.
#pragma once

#include "platform/win_types.h"

// Per channel trunc(t * a + (1 - t) * b), kept to 8 bits; t = 1 gives a.
COLORREF BlendColour(double t, COLORREF a, COLORREF b);
// Per channel trunc(c * f), 255 at most; f is not negative.
COLORREF ScaleColour(COLORREF c, double f);

// h in degrees, s and v in [0, 1]; results in [0, 1]. A hue of -60 or below,
// or 420 and above, is reported and gives the last sector's colour.
void HsvToRgb(double h, double s, double v, double& r, double& g, double& b);
// Inputs in [0, 1]; h in degrees [0, 360], s and v in [0, 1]. Red wins ties.
void RgbToHsv(double r, double g, double b, double& h, double& s, double& v);
