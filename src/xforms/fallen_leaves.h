// Fallen Leaves: autumn leaves over the picture. Each leaf is a two-tone
// filled shape (an ordinary or a maple outline, slightly deformed at random)
// with a midrib and random veins, coloured by a mix of two autumn palettes.
// Piling lets leaves fall only where the picture is bright enough, Shading
// takes the palette mix from the brightness under the leaf and Angling turns
// the leaf by that brightness around a common direction. The background is a
// solid colour or the picture.
#pragma once

#include <cstdint>
#include <type_traits>

#include "imaging/vec.h"
#include "imaging/xform_helpers.h"
#include "platform/dc.h"
#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/xform_context.h"

enum : std::int32_t {
  LEAF_ORDINARY = 0,
  LEAF_MAPLE = 1,
  LEAF_MIXED = 2,  // ordinary or maple, decided per leaf
};

constexpr int kLeafPalettes = 5;

struct FallenLeavesParams {
  BackgroundSpec m_Background;
  std::int32_t m_bWizard = 1;
  std::int32_t m_bPiling = 1;   // leaves only where the force reaches the threshold
  std::int32_t m_bShading = 1;  // the palette mix follows the force
  std::int32_t m_bAngling = 1;  // the leaf turns with the force
  std::int32_t m_iLeaves = 1075;
  std::int32_t m_iAreaPiled = 50;  // %
  double m_dLeafSize = 6.0;        // % of the output diagonal
  double m_dColourJitter = 0.1255;
  std::int32_t m_iLeafType = LEAF_MIXED;
  std::int32_t m_iPaletteA = 0;
  std::int32_t m_iPaletteB = 1;
};
static_assert(std::is_trivially_copyable_v<FallenLeavesParams>);

// The dialog's OK: refused with the message unless Piling, Shading or
// Angling is set.
const char* CheckFallenLeavesSettings(FallenLeavesParams& p);

inline constexpr auto kFallenLeavesForm = MakeForm<FallenLeavesParams>(
    222, "Fallen Leaves Settings",
    Group("Background",
          Background(&FallenLeavesParams::m_Background, "background", 1130, 1017, "Select",
                     "background_picture", 1087, "Image")
              .FlagRadios({1086, "Solid color", "colour"}, {1087, "Image", "picture"})),
    Check(&FallenLeavesParams::m_bPiling, "piling", 1271, "Piling"),
    Check(&FallenLeavesParams::m_bShading, "shading", 1272, "Shading"),
    Check(&FallenLeavesParams::m_bAngling, "angling", 1273, "Angling"),
    IntPair(&FallenLeavesParams::m_iLeaves, "leaves", 1268, 1269, "Number of leaves", 150, 2000)
        .EditAccepts(100, 3000),
    IntPair(&FallenLeavesParams::m_iAreaPiled, "area_piled", 1258, 1261,
            "Area of piled leaves (%)", 10, 90)
        .EditAccepts(0, 100)
        .EnabledWhen([](const FallenLeavesParams& p) { return p.m_bPiling != 0; }),
    RealPair(&FallenLeavesParams::m_dLeafSize, "leaf_size", 1262, 1263,
             "Size of leaves (% of image diagonal)", 2.0, 10.0)
        .EditChars(10),
    Choice(&FallenLeavesParams::m_iLeafType, "leaf_type", 1274, "Leaf type",
           {{LEAF_ORDINARY, "Ordinary", "ordinary"},
            {LEAF_MAPLE, "Maple", "maple"},
            {LEAF_MIXED, "Mixed", "mixed"}}),
    // The dialog has no controls for these three; a recipe keeps what
    // Autochoose picked.
    RealPair(&FallenLeavesParams::m_dColourJitter, "colour_jitter", 0, 0, "Colour jitter", 0.0,
             1.0)
        .WithoutControl(),
    IntPair(&FallenLeavesParams::m_iPaletteA, "palette_a", 0, 0, "Palette A", 0,
            kLeafPalettes - 1)
        .WithoutControl(),
    IntPair(&FallenLeavesParams::m_iPaletteB, "palette_b", 0, 0, "Palette B", 0,
            kLeafPalettes - 1)
        .WithoutControl(),
    Note<FallenLeavesParams>("F1 for help on this dialog"),
    WizardSwitch(&FallenLeavesParams::m_bWizard, "&Wizard Chooses"))
    .CheckedBy(&CheckFallenLeavesSettings);

// Number of leaves into 150 .. 2000; with none of Piling, Shading, Angling
// set, Piling is set. Always 1.
int ValidateFallenLeaves(FallenLeavesParams& p);
// Background, the three switches, number, size, palettes, colour jitter,
// area and leaf type, drawn in that order.
void AutochooseFallenLeaves(FallenLeavesParams& p);
// 1 when the leaves have fallen; 0 on a bad context, no force field or a stop.
int ApplyFallenLeaves(const FallenLeavesParams& p, XformContext& ctx);

// Colour n of palette iPalette (0 .. 4).
COLORREF LeafPaletteColour(int iPalette, int n);

// One leaf, x along it from the stem side (-0.5) to the tip (0.5), y across.
class CLeaf {
 public:
  // New outlines for a leaf of iType (LEAF_MAPLE, anything else ordinary)
  // with the inner points moved by up to ±a; draws four RandomReal(-a, a)
  // per inner point. The colours become palette 0.
  void Build(double a, int iType);
  // Colour n := JitterColour(BlendColour(t, A[n], B[n]), jitter); t outside
  // 0 .. 1 counts as 0.5, a jitter outside 0 .. 1 as 0.05, and palettes out
  // of range as A 0 and B 1.
  void SetColours(double t, int iPaletteA, int iPaletteB, double dJitter);
  // The upper and lower faces, the midrib and the veins (two RandomChance
  // per inner point), transformed by Compose(scale, angle, position).
  void Draw(CDC& dc, const CVec& vPosition, const CVec& vScale, double dAngle, double dPenWidth);

  COLORREF m_aColour[kLeafPalettes] = {};
  COutline m_Upper, m_Lower, m_Midrib;
};
