// Swarm: thousands of short straight sticks over a plain background, like a
// swarm of insects or a heap of straws. Each stick is centred on a random
// point; the force field there can decide whether it is laid at all (a dense
// swarm in bright parts), how long it is and which way it points, so the
// two-colour texture follows the picture.
#pragma once

#include <cstdint>
#include <type_traits>

#include "platform/dc.h"
#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/xform_context.h"

struct SwarmParams {
  std::int32_t m_bWizard = 1;
  COLORREF m_crForeground = RGB(255, 255, 255);
  COLORREF m_crBackground = RGB(0, 0, 0);
  std::int32_t m_iSticks = 5000;  // sticks laid in all, 100..30000 in the dialog
  std::int32_t m_bAngle = 1;      // direction follows the force field (else random)
  std::int32_t m_bIntensity = 0;  // laid with a chance that grows with the force field
  std::int32_t m_bSize = 0;       // random length scaled by the force field (else fixed)
};
static_assert(std::is_trivially_copyable_v<SwarmParams>);

// The dialog's check on OK: at least one of the three switches.
const char* CheckSwarmSettings(SwarmParams& p);

inline constexpr auto kSwarmForm =
    MakeForm<SwarmParams>(
        168, "Swarm Xform Settings",
        Colour(&SwarmParams::m_crForeground, "foreground", 1131, 1013, "Foreground"),
        Colour(&SwarmParams::m_crBackground, "background", 1130, 1017, "Background"),
        Group("Number of sticks",
              IntPair(&SwarmParams::m_iSticks, "sticks", 1123, 1122, "Number of sticks", 100,
                      30000)
                  .EditAccepts(-300, 50000)),
        Check(&SwarmParams::m_bAngle, "angle", 1126, "&Angle"),
        Check(&SwarmParams::m_bIntensity, "intensity", 1124, "&Intensity"),
        Check(&SwarmParams::m_bSize, "size", 1125, "&Size"),
        WizardSwitch(&SwarmParams::m_bWizard))
        .CheckedBy(&CheckSwarmSettings);

// 1 when at least one of Angle, Intensity and Size is set, else 0 (the
// record is unusable) with the rule broken in *pszWhy. Nothing is clamped.
int ValidateSwarm(SwarmParams& p, const char** pszWhy = nullptr);
// Colour pair, number of sticks, Angle, Intensity, Size, drawn in that order
// and the whole block again until the record is usable.
void AutochooseSwarm(SwarmParams& p);
// 1 when the swarm is laid, 0 on a bad context, no force field or a stop.
int ApplySwarm(const SwarmParams& p, XformContext& ctx);

// Pi as the sticks' angles use it (the rounded value is part of the picture).
inline constexpr double kSwarmPi = 3.14159;

// One stick: centre in output pixels, direction in radians, length in pixels.
struct SwarmStick {
  int m_iX = 0;
  int m_iY = 0;
  double m_dAngle = 0.0;
  int m_iLength = 0;
};
// A line through the stick's centre with the selected pen. The half extents
// are trunc(L sin a) / 2 and trunc(L cos a) / 2 (truncated toward zero); when
// either is 0 the first grows by 1, so even a stick of length 0 is a short
// dash.
void DrawSwarmStick(CDC& dc, const SwarmStick& stick);
