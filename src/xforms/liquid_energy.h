// Liquid Energy: the picture as smooth ripples between two colours. The force
// field is folded with the ripple width and every fold is shaded with a
// squared triangle wave, from the liquid colour at the fold edges to the
// energy colour in its middle, so the contours of the picture become glowing
// bands. The ripple painter is shared with Pearls, whose silk it paints.
#pragma once

#include <cstdint>
#include <type_traits>

#include "imaging/area_selection.h"
#include "platform/dc.h"
#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/xform_context.h"

struct LiquidEnergyParams {
  std::int32_t m_bWizard = 1;
  COLORREF m_crEnergy = RGB(255, 255, 255);  // the middle of every fold
  COLORREF m_crLiquid = RGB(0, 0, 255);      // the fold edges
  std::int32_t m_iRippleWidth = 64;          // force levels per ripple
};
static_assert(std::is_trivially_copyable_v<LiquidEnergyParams>);

inline constexpr auto kLiquidEnergyForm = MakeForm<LiquidEnergyParams>(
    184, "Liquid Energy Settings",
    Group("Colors",
          Colour(&LiquidEnergyParams::m_crEnergy, "energy", 1131, 1013, "Energy"),
          Colour(&LiquidEnergyParams::m_crLiquid, "liquid", 1130, 1017, "Liquid")),
    IntPair(&LiquidEnergyParams::m_iRippleWidth, "ripple_width", 1181, 1182, "Ripple Width", 10,
            100)
        .EditAccepts(1, 1000)
        .EndLabels("Min", "Max"),
    Note<LiquidEnergyParams>("F1 for help on this dialog"),
    WizardSwitch(&LiquidEnergyParams::m_bWizard));

// Accepts every record unchanged.
int ValidateLiquidEnergy(LiquidEnergyParams& p);
// Ripple width, the selection's smoothing (3..5), then the colour pair
// (energy the random colour, liquid its complement), drawn in that order.
void AutochooseLiquidEnergy(LiquidEnergyParams& p, AreaSelection& sel);
// 1 when the ripples are painted, 0 on a bad context, no force field or a stop.
int ApplyLiquidEnergy(const LiquidEnergyParams& p, XformContext& ctx);

// The colour of force level v with ripple width iPeriod: t is 0 at the fold
// edges and 1 in the middle of a fold, and the colour BlendColour(t * t, crA,
// crB). Widths below 2 are taken as 2 (a record may hold any number).
COLORREF RippleColour(int v, int iPeriod, COLORREF crA, COLORREF crB);
// Paints the force field of a w x h picture (pField, row by row) into dc as
// opaque s x s blocks in RippleColour. Shows szMessage, reports progress over
// lo..hi as rows end (where the rows are shared between the cores, those of
// the first block) and ends soon after a stop is asked for.
void RippleFill(CDC& dc, int s, int iPeriod, COLORREF crA, COLORREF crB,
                const std::uint8_t* pField, int w, int h, const XformContext& ctx, int iLo,
                int iHi, const char* szMessage);
