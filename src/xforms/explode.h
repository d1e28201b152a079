// Explode: the picture blown apart from its centre. Over a solid colour or
// the picture itself, many short traces start at random points and fly
// straight away from the centre, widening as they go, running through a
// colour gradient and sagging under a gravity effect. Their start and end
// colours can be taken from the picture at the trace's two ends.
#pragma once

#include <cstdint>
#include <type_traits>

#include "imaging/xform_helpers.h"
#include "platform/dc.h"
#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/xform_context.h"

// The background of a new record: a solid colour that depends on the state
// of this thread's generator (one RandomInt(0, 100) left unused, then
// ScaleColour(RandomColour(), 1.0)), so that fresh settings vary.
BackgroundSpec NewExplodeBackground();

struct ExplodeParams {
  std::int32_t m_bWizard = 1;
  std::int32_t m_bStartFromImage = 1;  // start colour from the picture at the start point
  std::int32_t m_bEndFromImage = 1;    // end colour from the picture at the end point
  std::int32_t m_iTraces = 1500;       // 500..2500
  std::int32_t m_iGravity = 50;        // 0..100
  double m_dLength = 8.25;             // percent of the half diagonal, 1.5..15
  double m_dEndWidth = 2.25;           // width at the end, 0.5..4
  COLORREF m_crStart = RGB(255, 0, 0);
  COLORREF m_crEnd = RGB(255, 128, 255);
  BackgroundSpec m_Background = NewExplodeBackground();  // a solid colour or the picture
};
static_assert(std::is_trivially_copyable_v<ExplodeParams>);

inline constexpr auto kExplodeForm = MakeForm<ExplodeParams>(
    207, "Explode Settings",
    Check(&ExplodeParams::m_bStartFromImage, "start_from_image", 1143, "Start from Image"),
    Check(&ExplodeParams::m_bEndFromImage, "end_from_image", 1144, "End from Image"),
    Group("Number of traces", IntPair(&ExplodeParams::m_iTraces, "traces", 1228, 1229,
                                      "Number of traces", 500, 2500)
                                  .EditAccepts(100, 30000)),
    Group("Gravity effect", IntPair(&ExplodeParams::m_iGravity, "gravity", 1234, 1235,
                                    "Gravity effect", 0, 100)),
    Group("Trace length", RealPair(&ExplodeParams::m_dLength, "length", 1230, 1231,
                                   "Trace length", 1.5, 15.0)
                              .EditChars(12)),
    Group("Trace ending width", RealPair(&ExplodeParams::m_dEndWidth, "ending_width", 1232, 1233,
                                         "Trace ending width", 0.5, 4.0)
                                    .EditChars(6)),
    NextColumn<ExplodeParams>(),
    Colour(&ExplodeParams::m_crStart, "start_colour", 1224, 1225, "Start Color")
        .EnabledWhen([](const ExplodeParams& p) { return p.m_bStartFromImage == 0; }),
    Colour(&ExplodeParams::m_crEnd, "end_colour", 1226, 1227, "End Color")
        .EnabledWhen([](const ExplodeParams& p) { return p.m_bEndFromImage == 0; }),
    // "Solid color" (1086) and "Image" (1087) set the use-picture flag.
    Group("Background", Background(&ExplodeParams::m_Background, "background", 1130, 1017,
                                   "Select", "background_picture", 1087, "Image")
                            .FlagRadios({1086, "Solid color"}, {1087, "Image"})),
    WizardSwitch(&ExplodeParams::m_bWizard, "&Wizard Chooses"));

// Accepts every record unchanged.
int ValidateExplode(ExplodeParams& p);
// Start and end colours, the from-image flags, traces, gravity, length,
// ending width and background, drawn in that order.
void AutochooseExplode(ExplodeParams& p);
// 1 when the traces are drawn (also after a stop), 0 on a bad context.
int ApplyExplode(const ExplodeParams& p, XformContext& ctx);

// One trace from (x0, y0) to (x1, y1): ten segments, the k-th with pen width
// trunc(k dWidth / 10) + 1 and colour c0 + (k - 1)(c1 - c0)/10 per channel,
// ending at the k-th tenth of the way lowered by trunc((k - 1) dSag). The
// DC's pen and brush are put back.
void DrawExplodeTrace(CDC& dc, int x0, int y0, int x1, int y1, COLORREF c0, COLORREF c1,
                      double dWidth, double dSag);
