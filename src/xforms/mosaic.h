// Mosaic: small four-sided tiles, each in the colour sampled under its centre,
// separated by the background because every corner is pulled inwards by a
// random amount. Rectangular grid, concentric rings with a centre octagon, or
// the grid outside a disc with the rings inside; optional bevel highlights.
#pragma once

#include <cstdint>
#include <type_traits>

#include "imaging/xform_helpers.h"
#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/xform_context.h"

enum : std::int32_t {
  MOSAIC_RECTANGULAR = 1028,
  MOSAIC_CIRCULAR = 1029,
  MOSAIC_RECT_AND_CIRCLE = 1030,
};

// Highlight directions: the nine buttons of a 3 x 3 compass.
enum : std::int32_t {
  HIGHLIGHT_OFF = 1100,
  HIGHLIGHT_TOP_LEFT = 1101,
  HIGHLIGHT_TOP = 1102,
  HIGHLIGHT_TOP_RIGHT = 1103,
  HIGHLIGHT_RIGHT = 1104,
  HIGHLIGHT_BOTTOM_RIGHT = 1105,
  HIGHLIGHT_BOTTOM = 1106,
  HIGHLIGHT_BOTTOM_LEFT = 1107,
  HIGHLIGHT_LEFT = 1108,
};

// The nine highlight directions as the 3 x 3 compass of radio buttons that
// Mosaic's and Bubble's dialogs show, row by row.
template <class P>
constexpr FormField<P> HighlightCompass(std::int32_t P::*pMember) {
  return Radios(pMember, "highlight", "High Lighting",
                {{HIGHLIGHT_TOP_LEFT, "", "top-left"},
                 {HIGHLIGHT_TOP, "Top", "top"},
                 {HIGHLIGHT_TOP_RIGHT, "", "top-right"},
                 {HIGHLIGHT_LEFT, "", "left"},
                 {HIGHLIGHT_OFF, "Off", "off"},
                 {HIGHLIGHT_RIGHT, "", "right"},
                 {HIGHLIGHT_BOTTOM_LEFT, "", "bottom-left"},
                 {HIGHLIGHT_BOTTOM, "Bot.", "bottom"},
                 {HIGHLIGHT_BOTTOM_RIGHT, "", "bottom-right"}})
      .Hint(EHint::Compass);
}

struct MosaicParams {
  double m_dTileSize = 5.0;   // percent of the input width, 1..7
  double m_dSpacing = 10.0;   // percent of the tile size, 5..40
  std::int32_t m_iGeometry = MOSAIC_RECTANGULAR;
  BackgroundSpec m_Background;  // black; the picture flag is never set by Mosaic itself
  COLORREF m_crHighLight = RGB(240, 240, 245);
  std::int32_t m_iHighLight = HIGHLIGHT_OFF;
  std::int32_t m_bWizard = 1;
};
static_assert(std::is_trivially_copyable_v<MosaicParams>);

inline constexpr auto kMosaicForm = MakeForm<MosaicParams>(
    142, "Mosaic settings",
    Group("Sizes",
          // The wizard switch locks the edits only; the sliders stay movable.
          RealPair(&MosaicParams::m_dTileSize, "tile_size", 1091, 1031,
                   "Tile size (% of x dimension)", 1.0, 7.0)
              .SliderFreeOfWizard(),
          RealPair(&MosaicParams::m_dSpacing, "spacing", 1092, 1032, "Spacing (% of tile size)",
                   5.0, 40.0)
              .SliderFreeOfWizard()),
    Group("Geometry", Radios(&MosaicParams::m_iGeometry, "geometry", "Geometry",
                             {{MOSAIC_RECTANGULAR, "&Rectangular"},
                              {MOSAIC_CIRCULAR, "&Circular"},
                              {MOSAIC_RECT_AND_CIRCLE, "Rect. &and Circle"}})),
    Background(&MosaicParams::m_Background, "background", 1034, 1033, "Background color",
               "background_picture"),
    Group("High Lighting",
          HighlightCompass(&MosaicParams::m_iHighLight),
          Colour(&MosaicParams::m_crHighLight, "highlight_colour", 1035, 1036, "High Light Color")
              .EnabledWhen([](const MosaicParams& p) { return p.m_iHighLight != HIGHLIGHT_OFF; })),
    Note<MosaicParams>("F1 for help with mosaics"),
    WizardSwitch(&MosaicParams::m_bWizard));

// Tile size into 1..7, spacing into 5..40 (anything not >= 5 becomes 5). Always 1.
int ValidateMosaic(MosaicParams& p);
// Tile size, spacing, geometry, background, highlight colour, direction.
void AutochooseMosaic(MosaicParams& p, int iWidth, int iHeight);
// 1 when drawn; 0 without in or out surface or with an unknown geometry.
int ApplyMosaic(const MosaicParams& p, XformContext& ctx);

// The light vector of a highlight direction (x, y in surface coordinates).
POINT MosaicLightVector(int iDirection);
