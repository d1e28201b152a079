// Klee: the picture repainted as a mosaic of hand-laid colour patches on a
// grey ground. A regular grid of slightly irregular quadrilaterals, each in
// the source colour under its centre varied a little at random, some with a
// smaller patch of a nearby colour inside. The patches overlap a little and
// are laid in four random layers, so the order of overlaps varies.
#pragma once

#include <cstdint>
#include <type_traits>

#include "platform/dc.h"
#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/xform_context.h"

struct KleeParams {
  std::int32_t m_bWizard = 1;
  std::int32_t m_iStrokes = 30;  // patches per row, 10..50
  double m_dFreedom = 0.25;      // colour jitter of each patch, 0..0.5
};
static_assert(std::is_trivially_copyable_v<KleeParams>);

inline constexpr auto kKleeForm = MakeForm<KleeParams>(
    198, "Klee Xform Parameters",
    IntPair(&KleeParams::m_iStrokes, "strokes", 1167, 1168, "Number of strokes (width)", 10, 50)
        .EditAccepts(10, 10000),
    RealPair(&KleeParams::m_dFreedom, "colour_freedom", 1169, 1170, "Klee Color Freedom", 0.0,
             0.5)
        .EditChars(8),
    WizardSwitch(&KleeParams::m_bWizard, "&Wizard Chooses"));

// Number of strokes into 10..50. Always 1.
int ValidateKlee(KleeParams& p);
// Number of strokes, then the colour freedom, drawn in that order.
void AutochooseKlee(KleeParams& p);
// 1 when the patches are laid (also after a stop, and when the picture is
// too wide and low for a single row: the grey ground alone), 0 on a bad
// context or when the layer table cannot be had.
int ApplyKlee(const KleeParams& p, XformContext& ctx);

// One patch of size z centred at (x, y) in colour c, with the DC's pen as it
// is (Apply selects the null pen). Draws eight corner offsets RandomInt(0,
// z/5), one RandomChance and, for an inner patch, the three draws of its
// colour. The DC's brush is put back.
void DrawKleePatch(CDC& dc, int x, int y, int z, COLORREF c);
