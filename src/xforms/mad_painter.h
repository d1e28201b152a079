// Mad Painter: the picture repainted with thousands of curved brush strokes
// from a palette of ten random paints. Each stroke is laid at a random point
// in the palette colour nearest to the picture's colour there, slightly
// varied; it points in a fixed direction, or circles or points at a focus,
// and the painter's madness adds randomness to its direction, width, length
// and curvature. The strokes are thick cubic Bézier curves over a solid
// colour or the picture itself.
#pragma once

#include <cstdint>
#include <type_traits>

#include "imaging/dadc.h"
#include "imaging/xform_helpers.h"
#include "platform/dc.h"
#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/xform_context.h"

// Stroke directions. A stroke's angle is measured from the vertical (its half
// extents are L sin / L cos of it), the focus angle from the horizontal, so
// with no extra angle mode 2 lays the strokes along the line to the focus and
// mode 3 across it (circling the focus).
enum : std::int32_t {
  PAINT_FIXED = 1,     // all at the direction angle
  PAINT_POINTING = 2,  // the angle of the line to the focus + a right angle + the angle
  PAINT_CIRCLING = 3,  // the angle of the line to the focus + the angle
};

struct MadPainterParams {
  std::int32_t m_bWizard = 1;
  std::int32_t m_iDirection = PAINT_FIXED;  // no control
  double m_dAngle = 0.0;                    // radians; no control
  std::int32_t m_iFocusX = 100;             // input pixels; no control
  std::int32_t m_iFocusY = 100;
  BackgroundSpec m_Background;              // black, or the picture itself
  std::int32_t m_iStrokes = 6000;           // 3000..9000
  double m_dWidth = 1.75;                   // average stroke width, % of the output width
  double m_dLength = 4.25;                  // average stroke length, % of the output width
  double m_dMadness = 0.5;                  // 0..1
};
static_assert(std::is_trivially_copyable_v<MadPainterParams>);

inline constexpr auto kMadPainterForm = MakeForm<MadPainterParams>(
    178, "Mad Painter Settings",
    Group("Background",
          Background(&MadPainterParams::m_Background, "background", 1130, 1017, "Select",
                     "background_picture", 1087, "Image")
              .FlagRadios({1086, "Solid color"}, {1087, "Image"})),
    IntPair(&MadPainterParams::m_iStrokes, "strokes", 1167, 1168, "Number of brush strokes", 3000,
            9000)
        .EditAccepts(50, 30000),
    RealPair(&MadPainterParams::m_dWidth, "width", 1169, 1170, "Average stroke width (% x dim.)",
             1.0, 2.5)
        .EditChars(12),
    RealPair(&MadPainterParams::m_dLength, "length", 1173, 1174,
             "Average stroke length (% x dim.)", 0.5, 8.0)
        .EditChars(12),
    RealPair(&MadPainterParams::m_dMadness, "madness", 1171, 1172, "Madness of painter", 0.0, 1.0)
        .EditChars(10),
    Note<MadPainterParams>("F1 for help with a mad painter"),
    // Only the wizard chooses how the strokes are turned.
    Radios(&MadPainterParams::m_iDirection, "direction", "Stroke direction",
           {{PAINT_FIXED, "Fixed angle", "fixed"},
            {PAINT_POINTING, "Towards the focus", "pointing"},
            {PAINT_CIRCLING, "Round the focus", "circling"}})
        .WithoutControl(),
    RealPair(&MadPainterParams::m_dAngle, "angle", 0, 0, "Angle (radians)", -1e9, 1e9)
        .WithoutControl(),
    IntPair(&MadPainterParams::m_iFocusX, "focus_x", 0, 0, "Focus x", -1000000000, 1000000000)
        .WithoutControl(),
    IntPair(&MadPainterParams::m_iFocusY, "focus_y", 0, 0, "Focus y", -1000000000, 1000000000)
        .WithoutControl(),
    WizardSwitch(&MadPainterParams::m_bWizard));

// Number of strokes into 3000..9000. Always 1.
int ValidateMadPainter(MadPainterParams& p);
// Direction, focus x and y (on the original), angle, number, width, length,
// madness, background kind, background colour, drawn in that order.
void AutochooseMadPainter(MadPainterParams& p, const CDADC& org);
// 1 when painted, 0 on a bad context or a stop.
int ApplyMadPainter(const MadPainterParams& p, XformContext& ctx);

// The palette entry nearest to cr (sum of the channel differences; the
// first of equals).
COLORREF NearestPaint(const COLORREF* pPalette, int n, COLORREF cr);

// The strokes of one Apply on one DC; the DC's pen is put back after each.
class CMadBrush {
 public:
  // p: the record (direction, angle, focus, width, length, madness); the
  // output size (the percentages refer to its width); s: the image quality.
  CMadBrush(CDC& dc, const MadPainterParams& p, int iOutWidth, int iOutHeight, int s);

  // The four Bézier points of a stroke at output point (x, y) and its pen
  // width. Draws, in order, the direction jitter, the width and length
  // factors and the curvature of the two control points (x, y, x, y).
  void Shape(int x, int y, POINT aPts[4], int& iPenWidth) const;
  // Shape, then one PolyBezier with a solid pen of that width in colour cr.
  void Stroke(int x, int y, COLORREF cr);

 private:
  CDC& m_dc;
  int m_iDirection;
  double m_dAngle, m_dMadness;
  double m_dFocusX, m_dFocusY;  // output pixels
  int m_iBaseWidth, m_iBaseLength;
  int m_iLimit;  // no coordinate or size leaves -limit..limit
};
