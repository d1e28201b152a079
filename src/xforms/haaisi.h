// Haaisi: a target of concentric rings around the picture's centre, each ring
// made of small circles or triangles laid edge to edge. Every element is
// filled with a blend of the two foreground colours steered by the force
// field under it and outlined with the opposite blend, so the picture shows
// as light and dark elements on the rings.
#pragma once

#include <cstdint>
#include <type_traits>

#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/xform_context.h"

// Element shapes; any other value draws circles.
enum : std::int32_t {
  HAAISI_CIRCLES = 0,
  HAAISI_OUTWARD = 1,  // base on the ring's inner circle, point on the outer one
  HAAISI_INWARD = 2,   // base on the outer circle, point on the inner one
};

struct HaaisiParams {
  std::int32_t m_bWizard = 1;
  std::int32_t m_iRings = 27;  // 15..40
  COLORREF m_crFore1 = RGB(255, 105, 164);
  COLORREF m_crFore2 = RGB(48, 135, 255);
  COLORREF m_crSpare = RGB(255, 125, 64);  // chosen with the background, never drawn
  COLORREF m_crBackground = RGB(52, 126, 255);
  std::int32_t m_iShape = HAAISI_CIRCLES;
};
static_assert(std::is_trivially_copyable_v<HaaisiParams>);

// The rings slider has no edit of its own (edit id 0). The element shape has
// no control in the dialog; it is declared (control id 0) so that recipes and
// --set carry it, since it changes the picture.
inline constexpr auto kHaaisiForm = MakeForm<HaaisiParams>(
    203, "Haaisi Parameters",
    IntPair(&HaaisiParams::m_iRings, "rings", 1215, 0, "Low----   Detail   ----High", 15, 40),
    Colour(&HaaisiParams::m_crFore1, "fore_1", 1132, 1014, "Fore 1..."),
    Colour(&HaaisiParams::m_crFore2, "fore_2", 1133, 1018, "Fore 2..."),
    Colour(&HaaisiParams::m_crBackground, "background", 1214, 1213, "Background..."),
    Choice(&HaaisiParams::m_iShape, "shape", 0, "Element shape",
           {{HAAISI_CIRCLES, "Circles"},
            {HAAISI_OUTWARD, "Outward triangles", "outward"},
            {HAAISI_INWARD, "Inward triangles", "inward"}})
        .WithoutControl(),
    Colour(&HaaisiParams::m_crSpare, "spare_colour", 0, 0, "Spare colour").WithoutControl(),
    WizardSwitch(&HaaisiParams::m_bWizard));

// Rings into 15..40. Always 1.
int ValidateHaaisi(HaaisiParams& p);
// Rings; the spare colour and the background as a random colour and its
// complement (a RandomChance decides which is the random one); Fore 1 and
// its complement Fore 2; the shape. Drawn in that order.
void AutochooseHaaisi(HaaisiParams& p);
// 1 when drawn, also after a stop; 0 on a bad context or no force field.
int ApplyHaaisi(const HaaisiParams& p, XformContext& ctx);
