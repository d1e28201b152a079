// Primitive Art: the picture as a network of dots and strokes, like a
// primitive drawing. Nodes are picked on rings around the centre where the
// picture is bright enough, joined to their nearest neighbours by thick graded
// strokes, and marked with a small square, circle or triangle in graded
// outlines, on a paper of one colour sprinkled with slightly varied specks.
#pragma once

#include <cstdint>
#include <type_traits>
#include <vector>

#include "imaging/area_selection.h"
#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/node_network.h"
#include "xforms/xform_context.h"

// Feature shapes; any other non-zero code draws a triangle.
enum : std::int32_t {
  PRIMITIVE_NONE = 0,
  PRIMITIVE_SQUARE = 1,
  PRIMITIVE_CIRCLE = 2,
  PRIMITIVE_TRIANGLE = 4,
};

struct PrimitiveArtParams {
  std::int32_t m_bWizard = 1;
  std::int32_t m_iDensity = 190;     // target number of nodes
  std::int32_t m_iAreaCovered = 50;  // percent
  double m_dFeatureWidth = 3.5;      // percent of the picture's diagonal
  std::int32_t m_iShape = PRIMITIVE_CIRCLE;
  COLORREF m_crLine = RGB(15, 15, 255);
  COLORREF m_crPaper = RGB(0, 0, 0);
};
static_assert(std::is_trivially_copyable_v<PrimitiveArtParams>);

inline constexpr auto kPrimitiveArtForm = MakeForm<PrimitiveArtParams>(
    219, "Primitive Art Settings",
    IntPair(&PrimitiveArtParams::m_iDensity, "density", 1256, 1257, "Density", 80, 300),
    IntPair(&PrimitiveArtParams::m_iAreaCovered, "area_covered", 1258, 1261, "Area Covered (%)", 10,
            90)
        .WizardChooses(5, 60),
    RealPair(&PrimitiveArtParams::m_dFeatureWidth, "feature_width", 1259, 1263,
             "Feature width (% of diagonal)", 1.0, 6.0),
    // The shape list stores the shape's code, not its place in the list.
    Choice(&PrimitiveArtParams::m_iShape, "feature_shape", 1264, "Feature Shape",
           {{PRIMITIVE_SQUARE, "SQUARE"},
            {PRIMITIVE_CIRCLE, "CIRCLE"},
            {PRIMITIVE_TRIANGLE, "TRIANGLE"},
            {PRIMITIVE_NONE, "NONE"}}),
    Colour(&PrimitiveArtParams::m_crLine, "line_colour", 1132, 1262, "Line color"),
    Colour(&PrimitiveArtParams::m_crPaper, "paper_colour", 1130, 1017, "Background:"),
    Note<PrimitiveArtParams>("F1 for help with primitives"),
    WizardSwitch(&PrimitiveArtParams::m_bWizard));

// Accepts every record unchanged.
int ValidatePrimitiveArt(PrimitiveArtParams& p);
// Line and paper colours, a fresh selection (inverted one time in five),
// density, area covered, feature width, shape, drawn in that order.
void AutochoosePrimitiveArt(PrimitiveArtParams& p, AreaSelection& sel);
// 1 when drawn, 0 on a bad context, no force field or a stop.
int ApplyPrimitiveArt(const PrimitiveArtParams& p, XformContext& ctx);

// p percent of the diagonal of a w x h picture, truncated; 3 for a p outside 0..100.
int PercentOfDiagonal(double p, int iWidth, int iHeight);

// The links as n graded strokes: pass i (0 .. n - 1) draws every link with a
// pen s (n - i) wide in the colour scaled by (i + 1) / n, merged (R2_MERGEPEN)
// except the last pass, which copies. The DC's pen and raster operation are
// put back at the end.
class CGradedLinkDrawer : public CLinkDrawer {
 public:
  CGradedLinkDrawer(COLORREF crLine, int iPasses) : m_crLine(crLine), m_iPasses(iPasses) {}
  void DrawLinks(CDC& dc, int s, const std::vector<CNetNode>& aNodes,
                 const std::vector<CNetLink>& aLinks) override;

 private:
  COLORREF m_crLine;
  int m_iPasses;
};

// Each node as a square, circle or triangle filled with the fill colour and
// outlined in e + 1 graded passes (widest and darkest first, merged; the last
// one copies). The radius grows with the node's force value around
// r0 = s (iSize / 2); each node draws its rotation RandomReal(0, 3.14159).
class CShapeNodeDrawer : public CNodeDrawer {
 public:
  CShapeNodeDrawer(COLORREF crLine, COLORREF crFill, int iSize, int iPasses, int iShape)
      : m_crLine(crLine), m_crFill(crFill), m_iSize(iSize), m_iPasses(iPasses), m_iShape(iShape) {}
  void DrawNode(CDC& dc, int s, const CNetNode& node) override;
  void End(CDC& dc) override;

 private:
  COLORREF m_crLine, m_crFill;
  int m_iSize, m_iPasses, m_iShape;
  HPEN m_hPen;
  HBRUSH m_hBrush;
  std::vector<int> m_aWidths;  // the merged passes of a node
  std::vector<COLORREF> m_aColours;
};
