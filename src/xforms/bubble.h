// Bubble: strings of soap bubbles rising through the picture. Each string
// starts where the force field accepts a random point and climbs bubble by
// bubble, the gaps growing as it rises, until it leaves the top or reaches a
// part darker than its own starting threshold. Bubbles are hollow circles,
// optionally with a highlight arc on one side, over a solid colour or the
// picture itself.
#pragma once

#include <cstdint>
#include <type_traits>

#include "imaging/area_selection.h"
#include "imaging/xform_helpers.h"
#include "platform/dc.h"
#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/mosaic.h"  // the highlight directions of the 3 x 3 compass
#include "xforms/xform_context.h"

struct BubbleParams {
  std::int32_t m_bWizard = 1;
  COLORREF m_crBubble = RGB(255, 255, 255);
  COLORREF m_crHighLight = RGB(0, 255, 0);
  BackgroundSpec m_Background;     // black, or the picture itself
  std::int32_t m_iBubbles = 2550;  // bubbles drawn in all, 100..5000
  std::int32_t m_iHighLight = HIGHLIGHT_OFF;
  double m_dSize = 1.75;  // bubble diameter in percent of the output width, 0.5..3
};
static_assert(std::is_trivially_copyable_v<BubbleParams>);

inline constexpr auto kBubbleForm = MakeForm<BubbleParams>(
    172, "Bubble Xform settings",
    Colour(&BubbleParams::m_crBubble, "bubble_colour", 1131, 1013, "Bubble color:"),
    IntPair(&BubbleParams::m_iBubbles, "bubbles", 1147, 1148, "# Bubbles", 100, 5000)
        .EditAccepts(10, 60000),
    RealPair(&BubbleParams::m_dSize, "size", 1149, 1150, "Size (% of x)", 0.5, 3.0).EditChars(12),
    Group("Background",
          Background(&BubbleParams::m_Background, "background", 1130, 1017, "Select",
                     "background_picture")
              .FlagRadios({1086, "Solid color"}, {1087, "Image"})),
    Group("High Lighting",
          HighlightCompass(&BubbleParams::m_iHighLight),
          Colour(&BubbleParams::m_crHighLight, "highlight_colour", 1035, 1036, "High Light Color")
              .EnabledWhen([](const BubbleParams& p) { return p.m_iHighLight != HIGHLIGHT_OFF; })),
    WizardSwitch(&BubbleParams::m_bWizard));

// Number of bubbles into 100..5000, size into 0.5..3 (a size that is not a
// number becomes 0.5), highlight into 1100..1108. Always 1.
int ValidateBubble(BubbleParams& p);
// Number, highlight direction, bubble and background colours, highlight
// colour, size, then the selection's invert flag, drawn in that order.
void AutochooseBubble(BubbleParams& p, AreaSelection& sel);
// 1 when the bubbles are blown, 0 on a bad context, no force field or a stop.
int ApplyBubble(const BubbleParams& p, XformContext& ctx);

// The start and end points of the highlight arc in direction iDirection on
// the bubble's box; false for "Off" (and any code without an arc).
bool BubbleHighlightArc(int iDirection, const RECT& rc, POINT& ptStart, POINT& ptEnd);

// Blows the strings of one Apply into a DC. The DC's pen and brush are saved
// first and the stock null brush selected; the bubble and highlight pens
// (width s) are made once and deleted at the end, after the saved objects
// are back.
class CBubbleBlower {
 public:
  // dR0: the base radius in output pixels; pField: the force field of the
  // input picture, iWidth wide; s: the image quality.
  CBubbleBlower(CDC& dc, const BubbleParams& p, double dR0, const std::uint8_t* pField, int iWidth,
                int s);
  ~CBubbleBlower();
  CBubbleBlower(const CBubbleBlower&) = delete;
  CBubbleBlower& operator=(const CBubbleBlower&) = delete;

  // One string rising from input point (x, y) with threshold d; returns the
  // number of bubbles drawn. The step between bubbles (input pixels) is one
  // or two diameters (one RandomChance) and grows by 2 after every bubble;
  // each bubble draws its radius factor RandomReal(0.9, 1.1). The string ends
  // above the top row or at the first point whose force is below d.
  int String(int x, int y, int d);

 private:
  CDC& m_dc;
  int m_iHighLight;
  const std::uint8_t* m_pField;
  int m_iWidth;
  int m_s;
  double m_dR0;
  HPEN m_hOldPen, m_hBubblePen, m_hHighLightPen;
  HBRUSH m_hOldBrush;
};
