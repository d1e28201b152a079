// Banya: a paper collage of diamonds. A diamond is glued into every cell of
// a grid, shaded between the background colour and its complement by the
// force field; then crayon diamonds in two alternating colours are laid on
// the grid's corners, each carrying an inner diamond or an ellipse.
#pragma once

#include <cstdint>
#include <type_traits>

#include "platform/win_types.h"
#include "xforms/form.h"
#include "xforms/xform_context.h"

// Shape mode 2 puts an ellipse on every crayon diamond; 1 and 3 an inner diamond.
constexpr std::int32_t BANYA_ELLIPSES = 2;

struct BanyaParams {
  std::int32_t m_iShapeMode = 1;  // 1..3
  double m_dEllipseSize = 0.5;
  COLORREF m_crBackground = RGB(255, 0, 0);
  COLORREF m_crShape = RGB(255, 0, 255);
  COLORREF m_crOdd = RGB(0, 255, 0);
  COLORREF m_crEven = RGB(0, 255, 255);
  std::int32_t m_iSquares = 10;  // diamonds across
  std::int32_t m_bWizard = 1;
};
static_assert(std::is_trivially_copyable_v<BanyaParams>);

// The shape mode and the ellipse size have no control in the dialog; they
// are declared (control id 0) so that recipes and --set carry them, since
// they change the picture.
inline constexpr auto kBanyaForm = MakeForm<BanyaParams>(
    186, "Banya Object Xform Settings",
    Colour(&BanyaParams::m_crBackground, "background", 1119, 1120, "&Background"),
    Colour(&BanyaParams::m_crShape, "shape_colour", 1123, 1124, "&ShapeColor"),
    Colour(&BanyaParams::m_crOdd, "odd_colour", 1186, 1187, "&Odd Color"),
    Colour(&BanyaParams::m_crEven, "even_colour", 1121, 1122, "&Even Color"),
    IntPair(&BanyaParams::m_iSquares, "squares", 1111, 1112, "Num. Squares", 10, 100)
        .EditAccepts(2, 200),
    Choice(&BanyaParams::m_iShapeMode, "shape_mode", 0, "Shape",
           {{1, "Inner diamond", "diamond"},
            {BANYA_ELLIPSES, "Ellipse", "ellipse"},
            {3, "Inner diamond (3)", "diamond-3"}})
        .WithoutControl(),
    RealPair(&BanyaParams::m_dEllipseSize, "ellipse_size", 0, 0, "Ellipse size", 0.4, 0.8)
        .WithoutControl(),
    WizardSwitch(&BanyaParams::m_bWizard, "&Wizard Chooses"));

// Accepts every record unchanged.
int ValidateBanya(BanyaParams& p);
// Shape mode, ellipse size, background, shape, odd and even colours, then
// the number of squares (up to 100 tries for one that leaves cells at least
// 10 pixels wide); turns the wizard on.
void AutochooseBanya(BanyaParams& p, int iWidth, int iHeight);
// 1 when drawn; 0 on a bad context, no force field, fewer than one square
// across, or a stop.
int ApplyBanya(const BanyaParams& p, XformContext& ctx);
