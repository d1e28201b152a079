// Small drawing and colour helpers shared by many Xforms. The random ones
// draw through imaging/random.h in the order written beside each, because a
// stored recipe must regenerate the same picture.
#pragma once

#include <cstdint>
#include <memory>
#include <type_traits>

#include "imaging/dadc.h"
#include "imaging/random.h"
#include "imaging/vec.h"
#include "platform/win_types.h"

// The background (paper) of many Xforms: a colour, or the input picture itself.
struct BackgroundSpec {
  COLORREF m_crColour = 0;         // the background colour
  std::int32_t m_bUsePicture = 0;  // non-zero: the input picture is the background
};
static_assert(std::is_trivially_copyable_v<BackgroundSpec>);

// Fills all of pOut with the colour, or (use-picture) stretches the whole input
// picture over it (COLORONCOLOR, SRCCOPY).
void FillBackground(CDADC& out, const CDADC& in, const BackgroundSpec& bg);
// One RandomInt(0, 100): below iChance the picture is the background (colour
// left as it was); otherwise ScaleColour(RandomColour(), dFactor).
void ChooseBackground(BackgroundSpec& bg, double dFactor, int iChance);

// pt += (RandomInt(-d, d), RandomInt(-d, d)) in that order, then kept inside
// 0..width-1 and 0..height-1.
void JitterPoint(POINT& pt, int d, int iWidth, int iHeight);

// The complement: hue + 180, saturation 1 - s, value 1 - v.
COLORREF ComplementColour(COLORREF c);
// A random colour (RandomInt(0, 255) taken as green, then blue, then red) and
// its complement.
void RandomColourPair(COLORREF& crFirst, COLORREF& crSecond);
// Each channel times RandomReal(1 - v, 1 + v) (red, green, blue), truncated
// and kept to 0..255. A v outside 0..1 returns c and draws nothing.
COLORREF JitterColour(COLORREF c, double v);
// The same with the run's draws, for loops that jitter millions of pixels:
// lo = 1 - v and hi = 1 + v worked out once; the same draws and arithmetic,
// channel by channel, red first.
inline COLORREF JitterColour(CRandomRun& rnd, COLORREF c, double dLo, double dHi) {
  auto channel = [&](int ch, int r) {
    const int i = static_cast<int>(ch * CRandomRun::RealOf(r, dLo, dHi));
    return i < 0 ? 0 : (i > 255 ? 255 : i);
  };
  int r0, r1, r2;
  rnd.Raw3(r0, r1, r2);
  return RGB(channel(GetRValue(c), r0), channel(GetGValue(c), r1), channel(GetBValue(c), r2));
}
// JitterColour, then one pixel at (x, y) when s is 1, else an opaque s x s
// block at (x s, y s).
void JitterPixel(CDC& dc, int x, int y, int s, COLORREF c, double v);

// The longest side a count follows over the shortest: rows (or columns)
// that follow a picture's proportions stop growing beyond it, so that a long
// strip costs no more than an ordinary picture of its area.
constexpr int kMaxCountAspect = 4;

// n * iAlong / iAcross (a count following the proportions, e.g. rows for n
// columns), at most kMaxCountAspect * n; 0 for a zero iAcross.
long long ProportionalCount(long long n, long long iAlong, long long iAcross);

// The diagonal of a W x H picture, but no longer than that of a picture of
// the same area with sides 1 : kMaxCountAspect: sizes that follow the
// diagonal stay within what an ordinary picture of that area has.
double BoundedDiagonal(double dWidth, double dHeight);
// A side of a picture whose other side is dOther, but no longer than the
// long side of a picture of the same area with sides 1 : kMaxCountAspect.
double BoundedSide(double dSide, double dOther);

// Equal cells over W x H with about n columns (n outside 7..250 becomes 125)
// and rows in proportion (at most kMaxCountAspect times the columns).
struct CellGrid {
  CellGrid(int iWidth, int iHeight, int iColumns);
  // Centre of cell (i, j); an index out of range is replaced by the middle one.
  POINT Centre(int i, int j) const;
  // The centre plus and minus the half cell sizes.
  RECT Cell(int i, int j) const;

  int m_iColumns;
  int m_iRows;
  int m_iCellWidth;
  int m_iCellHeight;
  int m_iWidth;
  int m_iHeight;
};

// Filled outlines: 1 petal, 2 drop, anything else the sine leaf; the offset is
// added to every x. Null (after a message) when it cannot be made.
enum : int { OUTLINE_SINE_LEAF = 0, OUTLINE_PETAL = 1, OUTLINE_DROP = 2 };
std::unique_ptr<COutline> MakeOutline(int iKind, double dOffset);
