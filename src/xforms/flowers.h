// Flowers: a meadow over the picture. The output is filled with a darkened
// leaf colour, hundreds to thousands of leaves are scattered over it, each
// turned by the brightness under it around a common direction, and flowers
// (rings of petals around a round centre) grow only where the picture is
// bright enough. Colours come from the three parameter colours or, derived,
// from the picture itself; every leaf and flower varies them at random.
#pragma once

#include <cstdint>
#include <type_traits>

#include "imaging/area_selection.h"
#include "imaging/vec.h"
#include "platform/dc.h"
#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/xform_context.h"

struct FlowersParams {
  std::int32_t m_bWizard = 1;
  std::int32_t m_bDerived = 0;              // colours from the picture
  COLORREF m_crLeaf = RGB(5, 100, 5);
  COLORREF m_crPetal = RGB(100, 150, 0);
  COLORREF m_crCentre = RGB(255, 100, 20);  // the flower's round centre
  double m_dCentreSize = 2.0;               // % of the output diagonal
  double m_dLeafLength = 3.0;               // % of the output diagonal
  double m_dLeafWidth = 22.5;               // % of the leaf length
  double m_dPetalLength = 3.0;              // % of the output diagonal
  double m_dPetalWidth = 22.5;              // % of the petal length
  std::int32_t m_iFlowers = 175;
  std::int32_t m_iPetals = 6;               // per flower, before the variability adds some
  std::int32_t m_iAreaCovered = 52;         // % of the picture where flowers may grow
  double m_dVariability = 0.225;            // 0 .. 0.45: colour jitter and extra petals
};
static_assert(std::is_trivially_copyable_v<FlowersParams>);

inline constexpr auto kFlowersForm = MakeForm<FlowersParams>(
    208, "Flowers Settings",
    Check(&FlowersParams::m_bDerived, "derived", 1275, "Derived from original image"),
    Colour(&FlowersParams::m_crLeaf, "leaf_colour", 1235, 1236, "Leaf Color"),
    Colour(&FlowersParams::m_crPetal, "petal_colour", 1241, 1242, "Petal Color"),
    Colour(&FlowersParams::m_crCentre, "centre_colour", 1247, 1248, "Flower Color")
        .EnabledWhen([](const FlowersParams& p) { return p.m_bDerived == 0; }),
    RealPair(&FlowersParams::m_dCentreSize, "centre_size", 1251, 1250, "Size", 1.0, 3.0)
        .EditChars(6),
    Group("Leaves",
          RealPair(&FlowersParams::m_dLeafLength, "leaf_length", 1232, 1231, "Size", 1.0, 5.0)
              .EditChars(6),
          RealPair(&FlowersParams::m_dLeafWidth, "leaf_width", 1234, 1233, "Width", 5.0, 40.0)
              .EditChars(6)),
    Group("Petals",
          RealPair(&FlowersParams::m_dPetalLength, "petal_length", 1238, 1237, "Size", 1.0, 5.0)
              .EditChars(6),
          RealPair(&FlowersParams::m_dPetalWidth, "petal_width", 1240, 1239, "Width", 5.0, 40.0)
              .EditChars(6)),
    NextColumn<FlowersParams>(),
    IntPair(&FlowersParams::m_iFlowers, "flowers", 1243, 1244, "# of flowers", 0, 350)
        .EditAccepts(0, 10000),
    IntPair(&FlowersParams::m_iPetals, "petals", 1245, 1246, "# of petals", 4, 9)
        .EditAccepts(1, 100),
    IntPair(&FlowersParams::m_iAreaCovered, "area_covered", 1258, 1261,
            "Area covered by flowers (%)", 10, 95)
        .EditAccepts(1, 101),
    // A slider without an edit, positions 0 .. 100 for 0 .. 0.45.
    RealPair(&FlowersParams::m_dVariability, "variability", 1249, 0, "Variability", 0.0, 0.45)
        .Format("%6.3f")
        .SliderSteps(100),
    Note<FlowersParams>("Schematic ----------- Wild"),
    Note<FlowersParams>("F1 for help on designing flowers"),
    WizardSwitch(&FlowersParams::m_bWizard));

// Accepts every record unchanged.
int ValidateFlowers(FlowersParams& p);
// Leaf, petal and centre colours, leaf length and width, petal length and
// centre size, variability, flowers and petals, petal width, the selection's
// invert flag, area covered and the derived flag, drawn in that order.
void AutochooseFlowers(FlowersParams& p, AreaSelection& sel);
// 1 when the meadow is grown; 0 on a bad context, no force field, an outline
// that cannot be made or a stop.
int ApplyFlowers(const FlowersParams& p, XformContext& ctx);

// The number of leaves: trunc(r × trunc(W H / (length × width))) kept to
// 50 .. 8000, also for sizes of 0 or not a number.
int FlowersLeafCount(double r, int iOutWidth, int iOutHeight, double dLeafLength,
                     double dLeafWidth);

// Petals of one flower: trunc(n + r n) for the draw r = RandomReal(0,
// variability), within 0 .. kMaxPetals (no dialog value comes near it; a
// hand-made recipe could otherwise overflow the count).
constexpr int kMaxPetals = 1000;
int FlowersPetalCount(int n, double r);

// The two phases of Apply on the output DC (the context's out surface), for
// the w x h input and its force field, positions times s. Without an outline
// a phase refuses: 0, with nothing drawn and no random draw. Otherwise 1, or
// 0 when stopped.
struct CMeadow {
  const FlowersParams& m_p;
  XformContext& m_ctx;
  CDC& m_dc;
  const std::uint8_t* m_pField;
  int m_iWidth, m_iHeight, m_s;

  int Grow(const COutline* pLeaf);
  int Blossom(const COutline* pPetal);
  // One ring of petals at the position and the round centre of the given radius.
  void DrawFlower(const COutline& petal, const OutlineStyle& style, const CVec& vPosition,
                  const CVec& vScale, double dRadius, COLORREF crCentre);
};
