// The HSV area selection: which colours of a picture an Xform (or the Hsv
// mix) treats as "selected". Plain data, copied bitwise into every recipe.
#pragma once

#include <type_traits>

#include "platform/win_types.h"

struct AreaSelection {
  std::int32_t m_bInvert = 0;  // 0: colours close to the selection colour; else far from it
  std::int32_t m_iReserved = 0;  // where the doubles' alignment would leave padding: always 0,
                                 // so that equal selections are equal bytes
  double m_dHue = 0.0;         // degrees, [0, 360)
  double m_dSat = 0.0;         // [0, 1]
  double m_dVal = 1.0;         // [0, 1]
  std::int32_t m_iRed = 255;   // the selection colour, always derived from hue/sat/val
  std::int32_t m_iGreen = 255;
  std::int32_t m_iBlue = 255;
  std::int32_t m_iSmooth = 0;  // 0..8

  // White, not inverted, no smoothing.
  void Reset() { *this = AreaSelection{}; }
  // True for the default selection, whose map is the picture's brightness.
  bool IsDefault() const {
    return m_dHue <= 0.0 && m_dSat <= 0.0 && m_dVal >= 1.0 && m_bInvert == 0 && m_iSmooth == 0;
  }
  // Hue wrapped once into [0, 360), s and v above 1 cut to 1; colour recomputed.
  void SetHsv(double dHue, double dSat, double dVal);
  void SetFromColour(COLORREF c);
  void SetSmooth(int n) { m_iSmooth = n < 0 ? 0 : (n > 8 ? 8 : n); }
  COLORREF GetColour() const { return RGB(m_iRed, m_iGreen, m_iBlue); }
  void GetRgb(int& r, int& g, int& b) const {
    r = m_iRed;
    g = m_iGreen;
    b = m_iBlue;
  }
  // Hue, saturation, value, invert (RandomInt(0, 100) < iInvertPercent), then
  // smoothing RandomInt(0, 8) when bWithSmooth: draws in exactly this order.
  void Randomize(int iInvertPercent, int bWithSmooth);
  // 0..255: how selected a pixel colour is.
  int Weight(COLORREF crPixel) const {
    int d = Abs(GetRValue(crPixel) - m_iRed) + Abs(GetGValue(crPixel) - m_iGreen) +
            Abs(GetBValue(crPixel) - m_iBlue);
    if (!m_bInvert) d = 765 - d;
    d /= 3;
    return m_iSmooth < 1 ? d * d / 255 : d;
  }

 private:
  static int Abs(int v) { return v < 0 ? -v : v; }
  void UpdateColour();
};

static_assert(std::is_trivially_copyable_v<AreaSelection>);
static_assert(sizeof(AreaSelection) == 48, "the recipe's layout");

// Mix modes: the ids of the mix dialog's radio buttons, stored as they are.
enum : std::int32_t {
  MIX_OFF = 1064,
  MIX_EVEN = 1065,
  MIX_LEFT_RIGHT = 1066,
  MIX_TOP_BOTTOM = 1067,
  MIX_RIGHT_LEFT = 1068,
  MIX_BOTTOM_TOP = 1069,
  MIX_CIRCLE_OUT = 1070,
  MIX_CIRCLE_IN = 1071,
  MIX_ELLIPSE_OUT = 1072,
  MIX_ELLIPSE_IN = 1073,
  MIX_HSV = 1074,
};

// How the Xform's picture is mixed back with the original.
struct MixSettings {
  std::int32_t m_iMixMode = MIX_OFF;
  AreaSelection m_Selection;
  std::int32_t m_iPercent = 50;  // 1..99: share of the original (Even) or mix sharpness
};

static_assert(std::is_trivially_copyable_v<MixSettings>);
