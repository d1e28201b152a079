// Clouds: a sky over the whole picture, a vertical gradient between two sky
// colours covered by clouds where the force field is bright, broken up by an
// analytic wind texture that flattens towards the horizon.
#pragma once

#include <cstdint>
#include <type_traits>

#include "imaging/area_selection.h"
#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/xform_context.h"

struct CloudsParams {
  std::int32_t m_bWizard = 1;
  double m_dHorizon = 0.5;         // horizon effect 0.1..0.7
  std::int32_t m_iCoverage = 50;   // percent 10..90
  std::int32_t m_iDetail = 4;      // octaves 3..6
  COLORREF m_crHighSky = RGB(50, 50, 255);
  COLORREF m_crLowSky = RGB(150, 150, 255);
  COLORREF m_crBacklight = RGB(250, 100, 100);
  COLORREF m_crCloudLight = RGB(255, 255, 255);
  COLORREF m_crCloudDark = RGB(55, 55, 55);
};
static_assert(std::is_trivially_copyable_v<CloudsParams>);

inline constexpr auto kCloudsForm = MakeForm<CloudsParams>(
    179, "Cloud Formation Settings",
    RealPair(&CloudsParams::m_dHorizon, "horizon", 1176, 1177, "Horizon Effect", 0.1, 0.7)
        .EditChars(8),
    IntPair(&CloudsParams::m_iCoverage, "coverage", 1005, 1062, "Cloud coverage", 10, 90)
        .EditAccepts(0, 100),
    IntPair(&CloudsParams::m_iDetail, "detail", 1006, 1063, "Cloud detail", 3, 6)
        .EditAccepts(2, 10),
    Colour(&CloudsParams::m_crHighSky, "high_sky", 1174, 1175, "High Sky"),
    Colour(&CloudsParams::m_crLowSky, "low_sky", 1179, 1178, "Low Sky"),
    Colour(&CloudsParams::m_crBacklight, "backlight", 1185, 1184, "Backlight"),
    Colour(&CloudsParams::m_crCloudLight, "cloud_light", 1181, 1180, "Cloud Light"),
    Colour(&CloudsParams::m_crCloudDark, "cloud_dark", 1183, 1182, "Cloud Dark"),
    WizardSwitch(&CloudsParams::m_bWizard));

// Accepts every record unchanged.
int ValidateClouds(CloudsParams& p);
// Horizon, coverage, colour set, detail, then the selection's invert flag and
// smoothing (1..3), drawn in that order.
void AutochooseClouds(CloudsParams& p, AreaSelection& sel);
// 1 when the sky is painted, 0 on a bad context, no force field or a stop.
int ApplyClouds(const CloudsParams& p, XformContext& ctx);

// The pieces of the sky, exposed for tests.
// The wind offset of row t (0 <= t < 1).
double CloudWindOffset(double t, double dHorizon, double dWind);
// The texture at column x, row y of a picture iWidth wide.
double CloudNoise(int x, int y, int iWidth, double dRowOffset, int iDetail, double dF0,
                  double dPhase);
// The colour of density c at height y1 (1 at the top) with threshold dThreshold.
COLORREF CloudColour(const CloudsParams& p, double dThreshold, double c, double y1);
