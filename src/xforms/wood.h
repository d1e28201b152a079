// Wood: the picture as a wooden board. The force field is folded into
// repeating bands, each painted in one of the four colours of a wood palette,
// so that the picture's contours become the year rings of the grain; then
// short saw strokes in a darker shade of the most common band are scattered
// over that band, all one way, round a centre, or pointing at it.
#pragma once

#include <cstdint>
#include <type_traits>

#include "imaging/area_selection.h"
#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/swarm.h"  // the sticks the saw strokes are drawn as
#include "xforms/xform_context.h"

// How the saw strokes point.
enum : std::int32_t {
  WOOD_STROKES_FIXED = 1,       // all at the stroke angle
  WOOD_STROKES_TANGENTIAL = 2,  // along circles round the centre
  WOOD_STROKES_RADIAL = 3,      // towards the centre
};

struct WoodParams {
  std::int32_t m_bWizard = 1;
  std::int32_t m_iSawStrokes = 660;  // strokes tried for; Autochoose 320..1000
  std::int32_t m_iGrain = 32;        // force levels per repeat of the bands, 8..64 in the dialog
  std::int32_t m_iKind = 0;          // wood kind 0..6
  std::int32_t m_iStrokeMode = WOOD_STROKES_FIXED;
  double m_dStrokeAngle = 0.0;  // radians, for WOOD_STROKES_FIXED
};
static_assert(std::is_trivially_copyable_v<WoodParams>);

// The built-in wood kinds: a name and a palette of n colours (room for eight).
struct WoodKind {
  const char* m_szName;
  int m_iColours;
  COLORREF m_acr[8];
};
constexpr int kWoodKinds = 7;
// The kind of that index; any other index gives kind 0.
const WoodKind& GetWoodKind(int iKind);


inline constexpr auto kWoodForm = MakeForm<WoodParams>(
    175, "Wood Settings",
    IntPair(&WoodParams::m_iGrain, "grain_width", 1156, 1157, "Grain Width", 8, 64)
        .EditAccepts(1, 64)
        .EndLabels("Min", "Max"),
    Choice(&WoodParams::m_iKind, "wood_type", 1158, "Wood Type",
           {{0, "Legno05"}, {1, "Pav03"}, {2, "Legno04"}, {3, "Mahogany"}, {4, "Walnut"},
            {5, "Radica"}, {6, "Pav07"}}),
    Note<WoodParams>("F1 for help with Wood"),
    WizardSwitch(&WoodParams::m_bWizard),
    // The saw's settings have no place in the dialog: only the wizard
    // chooses them. Recipes and the command line carry them, so that a recipe
    // saws the same board again.
    IntPair(&WoodParams::m_iSawStrokes, "saw_strokes", 0, 0, "Saw strokes", 320, 1000)
        .WithoutControl(),
    // Named by what the saw draws: mode 2 turns the strokes towards the
    // centre, mode 3 lays them along circles round it. Recipes written
    // under the earlier names still read as the same modes.
    Radios(&WoodParams::m_iStrokeMode, "stroke_direction", "Stroke direction",
           {{WOOD_STROKES_FIXED, "Fixed angle", "fixed"},
            {WOOD_STROKES_TANGENTIAL, "Towards the centre", "pointing", nullptr, "tangential"},
            {WOOD_STROKES_RADIAL, "Round the centre", "circling", nullptr, "radial"}})
        .WithoutControl(),
    RealPair(&WoodParams::m_dStrokeAngle, "stroke_angle", 0, 0, "Stroke angle", 0.0, kSwarmPi)
        .WithoutControl());

// A wood kind outside 0..6 becomes 0; a grain width below 1 becomes 1. Always 1.
int ValidateWood(WoodParams& p);
// Saw strokes, grain width, stroke mode, stroke angle, wood kind, then the
// selection's smoothing (2..5), drawn in that order.
void AutochooseWood(WoodParams& p, AreaSelection& sel);
// 1 when the board is sawn; 0 on a bad context, no force field, no memory
// for the band map or a stop.
int ApplyWood(const WoodParams& p, XformContext& ctx);
