// Ivy: a creeper grown over the picture. Nodes are picked where the picture
// is bright (the node network shared with Primitive Art), each is linked to
// up to four near neighbours, the links are drawn as jagged stems with a few
// small leaves along them, and every node carries a cluster of one to four
// leaves. The background is a solid colour or the picture.
#pragma once

#include <cstdint>
#include <memory>
#include <type_traits>

#include "imaging/area_selection.h"
#include "imaging/vec.h"
#include "imaging/xform_helpers.h"
#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/node_network.h"
#include "xforms/xform_context.h"

struct IvyParams {
  std::int32_t m_bWizard = 1;
  std::int32_t m_iDensity = 120;     // number of nodes aimed at
  double m_dLeafSize = 4.0;          // % of the input diagonal, used within 2 .. 6
  std::int32_t m_iAreaCovered = 50;  // %
  BackgroundSpec m_Background;
  COLORREF m_crFill = RGB(65, 188, 4);
  COLORREF m_crLine = RGB(65, 100, 4);
};
static_assert(std::is_trivially_copyable_v<IvyParams>);

inline constexpr auto kIvyForm = MakeForm<IvyParams>(
    214, "Ivy Settings",
    IntPair(&IvyParams::m_iDensity, "density", 1256, 1257, "Density of growth", 40, 200)
        .EditAccepts(10, 3000),
    RealPair(&IvyParams::m_dLeafSize, "leaf_size", 1262, 1263, "Size of leaves", 2.0, 6.0),
    IntPair(&IvyParams::m_iAreaCovered, "area_covered", 1258, 1261, "Area covered", 10, 90)
        .EditAccepts(0, 100)
        .WizardChooses(5, 60),
    Group("Background",
          Background(&IvyParams::m_Background, "background", 1130, 1017, "Select",
                     "background_picture", 1087, "Image")
              .FlagRadios({1086, "Solid color", "colour"}, {1087, "Image", "picture"})),
    Colour(&IvyParams::m_crFill, "fill_colour", 1131, 1013, "Fill color:"),
    Colour(&IvyParams::m_crLine, "line_colour", 1132, 1014, "Line color:"),
    Note<IvyParams>("F1 for help on this dialog"),
    WizardSwitch(&IvyParams::m_bWizard));

// Accepts every record unchanged.
int ValidateIvy(IvyParams& p);
// Background, a fresh selection (inverted one time in five), leaf size,
// density, area covered, fill colour and the line colour's coin, drawn in
// that order.
void AutochooseIvy(IvyParams& p, AreaSelection& sel);
// 1 when grown; 0 on a bad context, no force field or a stop.
int ApplyIvy(const IvyParams& p, XformContext& ctx);

// The leaf scale k: trunc(D × leaf size / 100) for the diagonal D of a w x h
// input, the leaf size taken within 2 .. 6.
int IvyLeafScale(double dLeafSize, int iWidth, int iHeight);
// The direction around which a stem's leaves point: HALF_PI for a stem more
// horizontal than vertical, else 0.
double IvyStemAngle(int dx, int dy);

// The stems: each link a jagged line of 2 to 5 pieces (pen s k / 10 wide in
// the half-and-half mix of the two colours), with leaves at about a third of
// its bends, pointing either way across the stem.
class CIvyStemDrawer : public CLinkDrawer {
 public:
  CIvyStemDrawer(const IvyParams& p, int k, const XformContext& ctx)
      : m_p(p), m_k(k), m_ctx(ctx) {}
  void DrawLinks(CDC& dc, int s, const std::vector<CNetNode>& aNodes,
                 const std::vector<CNetLink>& aLinks) override;

 private:
  const IvyParams& m_p;
  int m_k;
  const XformContext& m_ctx;
};

// One to four leaves at every node, half size below force 128 and up to full
// size at 255, in slightly varied colours.
class CIvyClusterDrawer : public CNodeDrawer {
 public:
  CIvyClusterDrawer(const IvyParams& p, int k) : m_p(p), m_k(k) {}
  void Begin(CDC& dc, int s) override;
  void DrawNode(CDC& dc, int s, const CNetNode& node) override;

 private:
  const IvyParams& m_p;
  int m_k;
  std::unique_ptr<COutline> m_pLeaf;
};
