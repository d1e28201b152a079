// Mist: swirling fog in two colours over the whole picture. The fog is an
// analytic texture of five octaves of nested sines whose phase at every
// pixel is shifted by the force field, so the shapes of the picture show
// through as distortions of the swirls; its value runs from the background
// colour (Color B) to the mist colour (Color A). The vertical frequency grows
// slowly from the top to the bottom.
#pragma once

#include <cstdint>
#include <type_traits>

#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/xform_context.h"

struct MistParams {
  std::int32_t m_bWizard = 1;
  COLORREF m_crMist = RGB(255, 255, 255);    // Color A
  COLORREF m_crBackground = RGB(0, 0, 0);    // Color B
  double m_dFrequency = 1.0;                 // F; no control, Autochoose 0.1..1.1
  double m_dWind = 1.0;                      // W; no control, Autochoose F/2..20 F
  double m_dCoupling = 0.055;                // K: phase shift per force level
};
static_assert(std::is_trivially_copyable_v<MistParams>);

inline constexpr auto kMistForm = MakeForm<MistParams>(
    180, "Mist Formation Settings",
    Group("Colors", Colour(&MistParams::m_crMist, "mist_colour", 1131, 1013, "Color A"),
          Colour(&MistParams::m_crBackground, "background_colour", 1130, 1017, "Color B")),
    Note<MistParams>("F1 for help with pea soup"), WizardSwitch(&MistParams::m_bWizard),
    // The texture's numbers have no controls: only the wizard chooses them.
    RealPair(&MistParams::m_dFrequency, "frequency", 0, 0, "Frequency", 0.0, 1e9).WithoutControl(),
    RealPair(&MistParams::m_dWind, "wind", 0, 0, "Wind", 0.0, 1e9).WithoutControl(),
    RealPair(&MistParams::m_dCoupling, "coupling", 0, 0, "Coupling", -1e9, 1e9).WithoutControl());

// Accepts every record unchanged.
int ValidateMist(MistParams& p);
// The colour pair (white on black three times in ten, else a random colour
// and its complement), frequency, wind, coupling, drawn in that order.
void AutochooseMist(MistParams& p);
// 1 when the fog is laid, 0 on a bad context, no force field or a stop.
int ApplyMist(const MistParams& p, XformContext& ctx);

// The texture at column x, row y of a w x h picture whose force there is q.
double MistNoise(const MistParams& p, int x, int y, int w, int h, int q);
