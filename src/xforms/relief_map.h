// Relief Map: the force field read as a height map and painted as a coloured
// map seen from the air: water below the sea level, lowland, hills, rock
// blending into mountains and snow above the snow line. Land is shaded by its
// north-south slope and given a slight random grain; optionally contour lines
// are drawn every 32 height units, with height labels in metres.
#pragma once

#include <cstdint>
#include <functional>
#include <type_traits>
#include <vector>

#include "imaging/area_selection.h"
#include "platform/dc.h"
#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/xform_context.h"

struct ReliefMapParams {
  std::int32_t m_bWizard = 1;
  std::int32_t m_bEarth = 1;      // earth colours; else five random colours per Apply
  std::int32_t m_bContours = 0;   // contour lines every 32 levels
  std::int32_t m_bNumbered = 0;   // with height labels (only with contours)
  // The four levels are force values 0..255, Sea Level <= Hill <= Rock <= Snow Line.
  std::int32_t m_iSnowLine = 204;
  std::int32_t m_iRock = 153;
  std::int32_t m_iHill = 102;
  std::int32_t m_iSeaLevel = 51;
};
static_assert(std::is_trivially_copyable_v<ReliefMapParams>);

// Puts the four levels in order (each at least the one below it) and clears
// Numbered without contours. The dialog's sliders keep the levels ordered,
// so only a record opened out of order is changed. Always accepts.
const char* CheckReliefMapSettings(ReliefMapParams& p);

// The four levels stand side by side as vertical sliders, each shown as a
// percentage of 255 and stopped by its neighbours; one list sets both
// contour flags.
inline constexpr auto kReliefMapForm =
    MakeForm<ReliefMapParams>(
        176, "Aerial View Settings",
        IntPair(&ReliefMapParams::m_iSnowLine, "snow_line", 1164, 1187, "Snow Line", 0, 255)
            .Hint(EHint::Vertical)
            .ShownAsPercentOf(255)
            .HeldBetween(&ReliefMapParams::m_iRock, nullptr),
        IntPair(&ReliefMapParams::m_iRock, "rock", 1163, 1186, "Rock", 0, 255)
            .Hint(EHint::Vertical)
            .ShownAsPercentOf(255)
            .HeldBetween(&ReliefMapParams::m_iHill, &ReliefMapParams::m_iSnowLine),
        IntPair(&ReliefMapParams::m_iHill, "hill", 1162, 1185, "Hill", 0, 255)
            .Hint(EHint::Vertical)
            .ShownAsPercentOf(255)
            .HeldBetween(&ReliefMapParams::m_iSeaLevel, &ReliefMapParams::m_iRock),
        IntPair(&ReliefMapParams::m_iSeaLevel, "sea_level", 1161, 1184, "Sea Level", 0, 255)
            .Hint(EHint::Vertical)
            .ShownAsPercentOf(255)
            .HeldBetween(nullptr, &ReliefMapParams::m_iHill),
        Check(&ReliefMapParams::m_bEarth, "earth", 1209, "Earth"),
        FlagList(&ReliefMapParams::m_bContours, &ReliefMapParams::m_bNumbered, 1245, "",
                 {{0, "No contours"}, {1, "Contours"}, {3, "Numbered Contours"}}),
        // The two flags the list sets, as recipes and the command line name them.
        Choice(&ReliefMapParams::m_bContours, "contours", 0, "Contours",
               {{0, "No contours", "none"}, {1, "Contours", "contours"}})
            .WithoutControl(),
        Check(&ReliefMapParams::m_bNumbered, "numbered", 0, "Numbered Contours").WithoutControl(),
        WizardSwitch(&ReliefMapParams::m_bWizard))
        .CheckedBy(&CheckReliefMapSettings);

// 1 when Sea Level <= Hill <= Rock <= Snow Line, else 0 with the rule broken
// in *pszWhy; changes nothing.
int ValidateReliefMap(ReliefMapParams& p, const char** pszWhy = nullptr);
// The four levels, the selection's smoothing and invert flag, the earth
// colours and the contours, drawn in that order.
void AutochooseReliefMap(ReliefMapParams& p, AreaSelection& sel);
// 1 when the map is painted, 0 on a bad context, no force field, a stop or
// a font that cannot be made for the labels (the map is painted then).
int ApplyReliefMap(const ReliefMapParams& p, XformContext& ctx);

// The pieces of the map, exposed for tests.
enum EReliefClass : int {
  RELIEF_WATER,
  RELIEF_LOWLAND,
  RELIEF_HILL,
  RELIEF_ROCK,
  RELIEF_MOUNTAIN,
  RELIEF_SNOW
};
struct ReliefColours {
  COLORREF m_crLowland, m_crHill, m_crMountain, m_crWater, m_crSnow;
};
// The earth colours, or five RandomColour draws (lowland, hill, mountain,
// water, snow).
ReliefColours ChooseReliefColours(const ReliefMapParams& p);
// The class of force value m and its colour before shading.
EReliefClass ReliefClass(const ReliefMapParams& p, const ReliefColours& cols, int m,
                         COLORREF& crColour);
// The brightness factor of a land pixel of class eClass at value m below a
// pixel of value iAbove: at least 0.1.
double ReliefSlope(const ReliefMapParams& p, EReliefClass eClass, int m, int iAbove);

// One contour of a half map at level L: crossing points in 0..1 (x over the
// map's width - 1, y over its height - 1).
struct ReliefPoint {
  double x, y;
};
// Traces every contour of an nw x nh map at level L with a marching-squares
// walker: open contours from the four borders first, then closed ones. No
// cell edge is crossed twice within a level.
class CContourTracer {
 public:
  using DrawFn = std::function<void(const std::vector<ReliefPoint>&)>;
  CContourTracer(const std::uint8_t* pMap, int nw, int nh);
  // Hands each contour of level L to draw. bHighSaddle (L at or above the
  // map's mean) decides the turn at saddle cells.
  void Level(int L, bool bHighSaddle, const DrawFn& draw);

 private:
  struct Walker {
    int x, y, d;  // a cell, and the direction it is entered in (0..3)
  };
  // The grid point of corner k (0..3) of the walker's cell; for d = 0 the
  // corners are (x, y), (x, y + 1), (x + 1, y + 1), (x + 1, y).
  static POINT GridPoint(const Walker& w, int k);
  // The value of corner k, -1 outside the map.
  int Corner(const Walker& w, int k) const;
  // The mark of the cell edge between corners k0 and k1, and its bit.
  std::uint8_t& MarkOf(const Walker& w, int k0, int k1, std::uint8_t& bit);
  bool Marked(const Walker& w, int k0, int k1);
  void Mark(const Walker& w, int k0, int k1);
  // The entry edge goes from at least L (corner 0) to below L (corner 1).
  bool Starts(const Walker& w, int L) const;
  // Follows one contour from w into m_aPoints.
  void Follow(Walker w, int L, bool bHighSaddle);

  const std::uint8_t* m_pMap;
  int m_nw, m_nh;
  std::vector<std::uint8_t> m_aMarks;  // per grid point: bit 0 the edge to its right, bit 1 below
  std::vector<ReliefPoint> m_aPoints;
};
