// Tekno Frag ("Tekno Cubism"): the picture broken into hundreds of small
// triangles. Each is flat (filled with one colour, outlined with the other)
// or shaded (concentric rings clipped to it, blending from one colour far
// from its first corner to the other near it). The two colours are fixed
// colours or the picture's colours at two of its corners; the background is a
// colour or the picture.
#pragma once

#include <cstdint>
#include <type_traits>

#include "imaging/xform_helpers.h"
#include "platform/dc.h"
#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/xform_context.h"

struct TeknoFragParams {
  std::int32_t m_bWizard = 1;
  std::int32_t m_iReserved = 0;        // always 0, never read
  COLORREF m_crColour1 = RGB(255, 255, 0);
  COLORREF m_crColour2 = RGB(0, 0, 255);
  std::int32_t m_bSolid1 = 1;          // 1: colour 1, 0: the picture under corner 0
  std::int32_t m_bSolid2 = 1;          // 1: colour 2, 0: the picture under corner 1
  std::int32_t m_iNumber = 850;        // number of triangles
  BackgroundSpec m_Background;         // black
  double m_dSize = 8.0;                // average triangle size, % of the picture's diagonal
};
static_assert(std::is_trivially_copyable_v<TeknoFragParams>);

inline constexpr auto kTeknoFragForm = MakeForm<TeknoFragParams>(
    224, "Tekno Cubism Settings",
    Group("Color 1",
          // 1: the solid colour ("Solid color" 1088), 0: the picture ("Image" 1089).
          RadioPair(&TeknoFragParams::m_bSolid1, "colour_1_source", "Color 1",
                    {1089, "Image", "image"}, {1088, "Solid color", "solid"}),
          Colour(&TeknoFragParams::m_crColour1, "colour_1", 1131, 1018, "Select")
              .EnabledWhen([](const TeknoFragParams& p) { return p.m_bSolid1 != 0; })),
    Group("Color 2",
          RadioPair(&TeknoFragParams::m_bSolid2, "colour_2_source", "Color 2",
                    {1277, "Image", "image"}, {1276, "Solid color", "solid"}),
          Colour(&TeknoFragParams::m_crColour2, "colour_2", 1278, 1281, "Select")
              .EnabledWhen([](const TeknoFragParams& p) { return p.m_bSolid2 != 0; })),
    IntPair(&TeknoFragParams::m_iNumber, "triangles", 1279, 1280, "Number of Triangles", 300,
            1400)
        .EditAccepts(0, 10000),
    Group("Background", Background(&TeknoFragParams::m_Background, "background", 1130, 1017,
                                   "Select", "background_picture")
                            .FlagRadios({1086, "Solid color"}, {1087, "Image"})),
    RealPair(&TeknoFragParams::m_dSize, "size", 1180, 1181,
             "Average Triangle Size (% of diagonal)", 4.0, 12.0)
        .EditChars(10),
    Note<TeknoFragParams>("F1 for help with Tekno Cubism"),
    WizardSwitch(&TeknoFragParams::m_bWizard, "&Wizard Chooses"));

// Accepts every record unchanged.
int ValidateTeknoFrag(TeknoFragParams& p);
// Size, number, the colour pair, where the colours come from, background,
// drawn in that order.
void AutochooseTeknoFrag(TeknoFragParams& p);
// 1 when drawn; 0 on a bad context, a failed force field (built only when a
// colour is solid) or a stop.
int ApplyTeknoFrag(const TeknoFragParams& p, XformContext& ctx);

// The distance in input pixels that each corner strays from the triangle's
// seed point: half the spread of a size in percent of the diagonal of w x h.
int TeknoFragHalfSpread(double dSize, int iWidth, int iHeight);
// The two kinds of triangle over output corners pPts[0..2] at scale a,
// exposed for tests. Flat: filled with crFill, outlined in crLine by a pen
// of a * 1.5. Shaded: rings around corner 0 clipped to the triangle, from
// crFill outside to crLine near the corner, every 3 a pixels, then the
// outline in crFill; nothing at all when corner 1 or 2 lies within 4 a
// pixels of corner 0 in both directions.
void TeknoFragFlatTriangle(CDC& dc, const POINT* pPts, COLORREF crFill, COLORREF crLine, int a);
void TeknoFragShadedTriangle(CDC& dc, const POINT* pPts, COLORREF crFill, COLORREF crLine, int a);
