// Web Fade: fades the picture into one colour along a direction (left to
// right, top to bottom and back) or along circles or ellipses from the centre
// out or from the edges in, for pictures that must melt into the plain
// background of a web page. The band of the transition is set by its
// sharpness. No force field, no random numbers: the result depends only on
// the picture and the record.
#pragma once

#include <cstdint>
#include <type_traits>

#include "imaging/area_selection.h"
#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/xform_context.h"

struct WebFadeParams {
  // The fade colour as the six digits typed into the hex edit: red in bits
  // 16-23, green in 8-15, blue in 0-7 (RRGGBB, not a COLORREF's order).
  COLORREF m_crFade = 0x00FFFFFF;
  // The fade settings, laid out as a MixSettings: one of the eight
  // directional mix modes, a selection (kept, not used) and the sharpness.
  std::int32_t m_iMixMode = MIX_ELLIPSE_IN;
  AreaSelection m_Selection;
  std::int32_t m_iPercent = 50;  // 1..99
};
static_assert(std::is_trivially_copyable_v<WebFadeParams>);

inline constexpr auto kWebFadeForm = MakeForm<WebFadeParams>(
    204, "WEB Fading Settings",
    Radios(&WebFadeParams::m_iMixMode, "mode", "",
           {{MIX_LEFT_RIGHT, "&Left Right", "left-right"},
            {MIX_TOP_BOTTOM, "&Top Bottom", "top-bottom"},
            {MIX_RIGHT_LEFT, "&Right Left", "right-left"},
            {MIX_BOTTOM_TOP, "&Bottom Top", "bottom-top"},
            {MIX_CIRCLE_OUT, "&Center Out", "circle-out", "Circular"},
            {MIX_CIRCLE_IN, "O&uter In", "circle-in", "Circular"},
            {MIX_ELLIPSE_OUT, "Center Out", "ellipse-out", "Elliptical"},
            {MIX_ELLIPSE_IN, "Outer In", "ellipse-in", "Elliptical"}}),
    IntPair(&WebFadeParams::m_iPercent, "sharpness", 1099, 1101, "Mix sharpness", 1, 99)
        .EditAccepts(0, 100),
    Group("WEB Fade color",
          HexColour(&WebFadeParams::m_crFade, "colour", 1034, 1036, 1216, "WEB Fade color")),
    Note<WebFadeParams>("F1 for help on WEB fading"),
    Selection<&WebFadeParams::m_Selection>("selection", "Selection (kept, not used)"));

// A mode that is not one of the eight directional ones (Off, Even, Hsv)
// becomes the elliptical "Outer In". Always 1.
int ValidateWebFade(WebFadeParams& p);
// 1 when faded; 0 on a bad context or a stop.
int ApplyWebFade(const WebFadeParams& p, XformContext& ctx);

// The pieces, exposed for tests. The position value l of input pixel (x, y)
// of a w x h picture in the mode: low where the picture stays, high where
// the fade colour takes over (an unknown mode counts as elliptical "Outer In").
double WebFadePosition(int iMode, int x, int y, int iWidth, int iHeight);
// The weight of the picture at position l for the sharpness in percent: 1 up
// to l = u, 0 from l = 1 - u, a linear ramp between, u = (percent / 2) %.
double WebFadeWeight(double l, int iPercent);
