// Op Art: the picture as a regular grid of identical figures in two colours,
// squares that turn, grow, or are stretched and squeezed by the brightness
// under them. From a distance the grid shows the picture's light and dark;
// close up it is a pattern of squares and bars.
#pragma once

#include <cstdint>
#include <type_traits>

#include "imaging/xform_helpers.h"
#include "platform/dc.h"
#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/xform_context.h"

// The geometries: the ids of their radio buttons.
enum : std::int32_t {
  OPART_ROTATION = 1113,
  OPART_SIZE = 1114,
  OPART_ROTATION_AND_SIZE = 1115,
  OPART_STRETCH = 1116,
};

struct OpArtParams {
  std::int32_t m_bWizard = 1;
  std::int32_t m_bOutlineOnly = 0;
  std::int32_t m_iSquares = 24;  // squares across, 32..128 after validation
  std::int32_t m_iGeometry = OPART_STRETCH;
  COLORREF m_crForeground = RGB(255, 255, 255);
  BackgroundSpec m_Background;  // black; no control sets its picture flag
};
static_assert(std::is_trivially_copyable_v<OpArtParams>);

inline constexpr auto kOpArtForm = MakeForm<OpArtParams>(
    165, "Op Art Xform Settings",
    Check(&OpArtParams::m_bOutlineOnly, "outline_only", 1122, "&Outline Only"),
    IntPair(&OpArtParams::m_iSquares, "squares", 1111, 1112, "Num. Squares", 32, 128)
        .EditAccepts(1, 1024)
        .WizardChooses(12, 64),
    Group("Geometry", Radios(&OpArtParams::m_iGeometry, "geometry", "Geometry",
                             {{OPART_ROTATION, "&Rotation"},
                              {OPART_SIZE, "&Size"},
                              {OPART_ROTATION_AND_SIZE, "Rotation &And Size"},
                              {OPART_STRETCH, "S&tretch, Squeeze", "stretch-squeeze"}})),
    Colour(&OpArtParams::m_crForeground, "foreground", 1117, 1118, "&Foreground"),
    Background(&OpArtParams::m_Background, "background", 1119, 1120, "&Background",
               "background_picture"),
    WizardSwitch(&OpArtParams::m_bWizard));

// Squares into 32..128, then fewer while a cell would be narrower than a
// pixel of the picture (never below 1). Always 1.
int ValidateOpArt(OpArtParams& p, int iWidth, int iHeight);
// Wizard flag on, outline, squares across, geometry, foreground, background,
// then the foreground and background as a complementary pair, drawn in that
// order.
void AutochooseOpArt(OpArtParams& p, int iWidth, int iHeight);
// 1 when drawn; 0 on a bad context, no force field, a grid without a cell
// or a row (a picture too low for one row of squares) or a stop.
int ApplyOpArt(const OpArtParams& p, XformContext& ctx);

// The figure of geometry iGeometry centred at (x, y) for cell size b and
// force v (0..255), drawn with the selected pen and brush; an unknown
// geometry draws like OPART_SIZE.
void DrawOpArtFigure(CDC& dc, int iGeometry, int x, int y, int b, int v);
