// Phases: a regular grid of planets on a background, each in a phase like the
// moon. Over a bright part of the picture a planet is full, over mid-grey it
// is half lit, over a dark part a thin crescent or nothing; the lit side is
// always the left. One planet image (plain, or with random maria and craters)
// is drawn off-screen per run and copied into every cell; then each cell's
// shadow is cut out with regions.
#pragma once

#include <cstdint>
#include <memory>
#include <type_traits>

#include "platform/dc.h"
#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/xform_context.h"

struct PhasesParams {
  std::int32_t m_bWizard = 1;
  std::int32_t m_iNumber = 38;     // planets per row, 16..60
  std::int32_t m_iDiameter = 70;   // percent of the cell width, 50..90
  COLORREF m_crPlanet = RGB(255, 255, 155);
  COLORREF m_crTexture = RGB(155, 155, 255);
  COLORREF m_crBackground = RGB(0, 0, 0);
  std::int32_t m_bTextured = 0;
};
static_assert(std::is_trivially_copyable_v<PhasesParams>);

inline constexpr auto kPhasesForm = MakeForm<PhasesParams>(
    213, "Phases settings",
    IntPair(&PhasesParams::m_iNumber, "planets", 1249, 1250, "Number of planets (in x)", 16, 60)
        .EditAccepts(1, 500),
    IntPair(&PhasesParams::m_iDiameter, "diameter", 1251, 1252, "Planet diameter (%)", 50, 90)
        .EditAccepts(0, 101),
    Colour(&PhasesParams::m_crPlanet, "planet_colour", 1131, 1013, "Planet Color"),
    Colour(&PhasesParams::m_crTexture, "texture_colour", 1253, 1254, "Texture")
        .EnabledWhen([](const PhasesParams& p) { return p.m_bTextured != 0; }),
    Colour(&PhasesParams::m_crBackground, "background", 1130, 1017, "Background"),
    Check(&PhasesParams::m_bTextured, "textured", 1255, "Textured surface"),
    WizardSwitch(&PhasesParams::m_bWizard));

// Number of planets into 16..60, diameter into 50..90. Always 1.
int ValidatePhases(PhasesParams& p);
// Planet colour, texture colour, background, number of planets (16 when the
// picture's width divided by the choice is below 20), diameter, texture,
// drawn in that order.
void AutochoosePhases(PhasesParams& p, int iWidth, int iHeight);

// Makes the off-screen bitmap of the planet image (tests put in one that fails).
using PhasesBitmapMaker = std::unique_ptr<CBitmap> (*)(const CDC& dc, int iWidth, int iHeight);
// 1 when drawn; 0 on a bad context, no force field, a planet image that
// cannot be made (nothing is worth showing then) or a stop.
int ApplyPhases(const PhasesParams& p, XformContext& ctx);
// The same with the planet image made by pfnMakeBitmap.
int ApplyPhasesWith(const PhasesParams& p, XformContext& ctx, PhasesBitmapMaker pfnMakeBitmap);
