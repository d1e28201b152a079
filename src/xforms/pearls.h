// Pearls ("Pearls on Silk"): pearls laid on a silk cloth. The silk is the
// force field painted as soft grey ripples; pearls are then placed where the
// picture is bright, each a round body with a drop shadow, an inner glow and
// a few highlights. Their colours blend between two pearl palettes with the
// brightness under them; the shadow is a darkened copy of the picture there.
#pragma once

#include <cstdint>
#include <type_traits>

#include "imaging/area_selection.h"
#include "imaging/xform_helpers.h"
#include "platform/dc.h"
#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/xform_context.h"

struct PearlsParams {
  BackgroundSpec m_Background;        // chosen by Autochoose, not used when drawing
  std::int32_t m_bWizard = 1;
  std::int32_t m_iPearls = 150;       // pearls placed, 50..250
  std::int32_t m_iAreaCovered = 50;   // percent of the picture pearls may lie on, 10..90
  double m_dSize = 1.0;               // pearl radius in percent of the output diagonal
  std::int32_t m_iPaletteB = 1;       // the colours of pearls on the darkest allowed parts
  std::int32_t m_iPaletteA = 0;       // the colours of pearls on the brightest parts
};
static_assert(std::is_trivially_copyable_v<PearlsParams>);

inline constexpr auto kPearlsForm = MakeForm<PearlsParams>(
    225, "Pearls on Silk",
    IntPair(&PearlsParams::m_iPearls, "pearls", 1192, 1193, "Number of pearls", 50, 250)
        .EditAccepts(10, 10000),
    IntPair(&PearlsParams::m_iAreaCovered, "area_covered", 1258, 1261, "Area covered", 10, 90)
        .EditAccepts(0, 100),
    RealPair(&PearlsParams::m_dSize, "size", 1180, 1181, "Pearl size", 0.5, 1.5),
    Note<PearlsParams>("F1 for help on throwing pearls around"),
    // Only the wizard chooses the palettes and the (unused) background.
    IntPair(&PearlsParams::m_iPaletteB, "palette_b", 0, 0, "Palette B", 0, 2)
        .WithoutControl(),
    IntPair(&PearlsParams::m_iPaletteA, "palette_a", 0, 0, "Palette A", 0, 2)
        .WithoutControl(),
    Background(&PearlsParams::m_Background, "background", 0, 0, "Background", "background_picture")
        .WithoutControl(),
    WizardSwitch(&PearlsParams::m_bWizard));

// Number of pearls into 50..250; an area outside 10..90 becomes 50; a palette
// outside 0..2 becomes 0. Always 1.
int ValidatePearls(PearlsParams& p);
// The selection's smoothing (4..8), the record's background, number, size
// (larger on small originals), palette A, palette B (unlike A), area, drawn
// in that order.
void AutochoosePearls(PearlsParams& p, AreaSelection& sel, int iWidth, int iHeight);
// 1 when the pearls lie on the silk, 0 on a bad context, no force field or a stop.
int ApplyPearls(const PearlsParams& p, XformContext& ctx);

// One pearl's shape and colours for an output of W x H, exposed for tests.
struct CPearl {
  static constexpr int kMaxHighlights = 4;
  // dSize: radius in percent of the diagonal; iHighlights is kept to 0..4.
  CPearl(double dSize, int iWidth, int iHeight, int iPaletteA, int iPaletteB, int iHighlights);
  // Shadow, body, inner glow and highlights at (x, y); t (kept to 0..1) is 1
  // for palette A's colours, 0 for B's; the shadow is half of crPicture. The
  // DC's pen and brush are put back.
  void Draw(CDC& dc, int x, int y, double t, COLORREF crPicture) const;

  int m_iOuter = 0;  // R
  int m_iInner = 0;  // r
  COLORREF m_aA[3] = {};  // body, inner glow, highlight
  COLORREF m_aB[3] = {};
  int m_iHighlights = 0;
  POINT m_aOffset[kMaxHighlights] = {};
  int m_aRadius[kMaxHighlights] = {};
};
