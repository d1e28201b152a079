// Marilyn Warhol: a pop-art poster. The picture is reduced to a few levels
// (its force values, softened by a blur, the "splodge", and cut into as many
// bands as there are inks) and printed in a grid of copies, each copy in
// flat inks of its own random colours.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/xform_context.h"

struct MarilynParams {
  std::int32_t m_iAcross = 2;  // copies across, 1..8
  std::int32_t m_iDown = 2;    // copies down, 1..8
  std::int32_t m_iInks = 3;    // at most 5
  std::int32_t m_iSplodge = 3;  // blur radius in input pixels
  std::int32_t m_bWizard = 1;
};
static_assert(std::is_trivially_copyable_v<MarilynParams>);

inline constexpr auto kMarilynForm = MakeForm<MarilynParams>(
    159, "Marylin Warhol Settings",
    IntPair(&MarilynParams::m_iAcross, "across", 1090, 1085, "Horizontal images", 1, 8),
    IntPair(&MarilynParams::m_iDown, "down", 1091, 1086, "Vertical images", 1, 8),
    IntPair(&MarilynParams::m_iInks, "inks", 1092, 1088, "Number of inks", 2, 5),
    IntPair(&MarilynParams::m_iSplodge, "splodge", 1093, 1087, "Splodge", 0, 6),
    Note<MarilynParams>("F1 for help with Mary and Andy"),
    WizardSwitch(&MarilynParams::m_bWizard));

// Copies across and down into 1..8, inks lowered to 5. Always 1.
int ValidateMarilyn(MarilynParams& p);
// Copies across; one RandomInt(0, 100) and, when it is 90 or more, copies
// down (else as many as across); splodge. Drawn in that order.
void AutochooseMarilyn(MarilynParams& p);
// 1 when printed, also after a stop; 0 on a bad context, a picture whose
// force is the same everywhere, or when memory for the levels or the
// palettes runs out (nothing is printed then).
int ApplyMarilyn(const MarilynParams& p, XformContext& ctx);

// The band of a softened force g on a picture whose forces run from c to d:
// the smallest k in 0..n-1 with c + (d - c) (k + 1) / n >= g (integer
// division), n / 2 when there is none.
int MarilynLevel(int g, int c, int d, int n);

// Where Apply takes its working memory from (released with std::free); the
// tests hand in one that fails.
using MarilynAllocator = void* (*)(std::size_t iBytes);
int ApplyMarilynWith(const MarilynParams& p, XformContext& ctx, MarilynAllocator pfnAllocate);
