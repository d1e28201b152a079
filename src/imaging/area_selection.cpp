#include "imaging/area_selection.h"

#include "imaging/colour.h"
#include "imaging/random.h"

void AreaSelection::UpdateColour() {
  double r, g, b;
  HsvToRgb(m_dHue, m_dSat, m_dVal, r, g, b);
  m_iRed = static_cast<int>(r * 255);
  m_iGreen = static_cast<int>(g * 255);
  m_iBlue = static_cast<int>(b * 255);
}

void AreaSelection::SetHsv(double dHue, double dSat, double dVal) {
  if (dHue >= 360.0)
    dHue -= 360.0;
  else if (dHue < 0.0)
    dHue += 360.0;
  m_dHue = dHue;
  m_dSat = dSat > 1.0 ? 1.0 : dSat;
  m_dVal = dVal > 1.0 ? 1.0 : dVal;
  UpdateColour();
}

void AreaSelection::SetFromColour(COLORREF c) {
  RgbToHsv(GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0, m_dHue, m_dSat,
           m_dVal);
  UpdateColour();
}

void AreaSelection::Randomize(int iInvertPercent, int bWithSmooth) {
  m_dHue = RandomReal(0, 359);
  m_dSat = RandomReal(0, 1);
  m_dVal = RandomReal(0, 1);
  const int r = RandomInt(0, 100);
  m_bInvert = r < iInvertPercent ? 1 : 0;
  m_iSmooth = bWithSmooth ? RandomInt(0, 8) : 0;
  UpdateColour();
}
