// Net: a net of threads stretched over the picture. Evenly spaced vertical
// threads, horizontal threads or both, each a line through points pushed
// sideways (vertical threads to the right, horizontal ones down) by up to one
// mesh width with the force field, so the picture shows as a bulging of the
// mesh. A wide half-tone copy of the net can lie underneath as a soft shadow.
#pragma once

#include <cstdint>
#include <type_traits>

#include "platform/dc.h"
#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/xform_context.h"

enum : std::int32_t { NET_HORIZONTAL = 0, NET_VERTICAL = 1, NET_GRID = 2 };

struct NetParams {
  std::int32_t m_bWizard = 1;
  COLORREF m_crThread = RGB(255, 255, 255);
  COLORREF m_crBackground = RGB(0, 0, 0);
  std::int32_t m_bImageBackground = 0;  // 1: the picture itself lies under the net
  std::int32_t m_iThreads = 110;        // number of vertical threads
  std::int32_t m_iGeometry = NET_GRID;
  std::int32_t m_bBlur = 1;             // a wide half-tone net underneath
};
static_assert(std::is_trivially_copyable_v<NetParams>);

inline constexpr auto kNetForm = MakeForm<NetParams>(
    192, "Net settings",
    Colour(&NetParams::m_crThread, "foreground", 1131, 1013, "Foreground"),
    Group("Background",
          RadioPair(&NetParams::m_bImageBackground, "background_image", "Background",
                    {1086, "&Solid color", "solid"}, {1087, "&Image", "image"}),
          Colour(&NetParams::m_crBackground, "background", 1130, 1017, "Select")
              .EnabledWhen([](const NetParams& p) { return p.m_bImageBackground == 0; })),
    IntPair(&NetParams::m_iThreads, "threads", 1192, 1193, "Number of vertical threads", 20, 200)
        .EditAccepts(20, 2000),
    Choice(&NetParams::m_iGeometry, "geometry", 1190, "Geometry:",
           {{NET_HORIZONTAL, "Horizontal"}, {NET_VERTICAL, "Vertical"}, {NET_GRID, "Grid"}}),
    Check(&NetParams::m_bBlur, "blur", 1191, "Thread &Blur"),
    WizardSwitch(&NetParams::m_bWizard));

// Accepts every record unchanged.
int ValidateNet(NetParams& p);
// Thread count (at most 200 tries for one that suits w + h), image
// background, background colour, thread colour, geometry, blur, drawn in
// that order.
void AutochooseNet(NetParams& p, int iWidth, int iHeight);
// 1 when the net is drawn, 0 on a bad context, no force field or a stop.
int ApplyNet(const NetParams& p, XformContext& ctx);

// Draws the net once with the DC's pen: n vertical threads over an output of
// W x H (the force field pField is the input's, w x h, scale s), reporting
// progress over lo..hi. Counts below 2 are taken as 2.
void DrawNet(CDC& dc, const std::uint8_t* pField, int w, int h, int s, int n, int iGeometry,
             const XformContext& ctx, int iLo, int iHi);
