// StarDust: the picture as a night sky. The output is painted black, the
// picture's brightness shows through as a faint blue glow (background
// energy), and thousands of stars are placed where the picture is bright:
// most are white dust points, some are eight-pointed bluish-white spiked stars
// with blue halos and optional rings.
#pragma once

#include <cstdint>
#include <type_traits>

#include "imaging/area_selection.h"
#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/xform_context.h"

struct StarDustParams {
  std::int32_t m_bWizard = 1;
  AreaSelection m_Select;          // only its invert flag is chosen (by Autochoose); never read
  std::int32_t m_iStars = 3100;    // N, 200..6000
  std::int32_t m_iEnergy = 37;     // background energy in percent, 0..75
  std::int32_t m_iSpiked = 50;     // percent of N that are spiked stars, 0..100
  double m_dSpikeSize = 5.75;      // spike size in percent of the picture, 1.5..10
  std::int32_t m_bRings = 1;       // spiked stars get a ring
};
static_assert(std::is_trivially_copyable_v<StarDustParams>);

inline constexpr auto kStarDustForm = MakeForm<StarDustParams>(
    153, "Stardust Settings",
    IntPair(&StarDustParams::m_iStars, "stars", 1004, 1061, "Number of stars", 200, 6000)
        .EditAccepts(10, 32000),
    IntPair(&StarDustParams::m_iEnergy, "background_energy", 1006, 1063, "Background Energy", 0,
            75)
        .EditAccepts(0, 100),
    IntPair(&StarDustParams::m_iSpiked, "spiked", 1005, 1062,
            "Stars with spikes (% of total stars)", 0, 100),
    RealPair(&StarDustParams::m_dSpikeSize, "spike_size", 1007, 1064,
             "Spike Diameter (% of image)", 1.5, 10.0),
    Check(&StarDustParams::m_bRings, "rings", 1143, "Spiked stars have &Halos"),
    Note<StarDustParams>("F1 for help with Stardust design"),
    WizardSwitch(&StarDustParams::m_bWizard),
    Selection<&StarDustParams::m_Select>("selection", "Selection (kept, not used)"));

// Stars into 200..6000, energy into 0..75, spiked share into 0..100, spike
// size into 1.5..10 (a size that is not a number becomes 1.5). Always 1.
int ValidateStarDust(StarDustParams& p);
// Number of stars, energy, spike size, spiked share, the record's own
// invert flag, rings, drawn in that order.
void AutochooseStarDust(StarDustParams& p);
// 1 when the sky is made, 0 on a bad context, no force field, no memory for
// the stars or a stop.
int ApplyStarDust(const StarDustParams& p, XformContext& ctx);
