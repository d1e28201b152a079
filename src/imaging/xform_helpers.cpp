#include "imaging/xform_helpers.h"

#include <cmath>
#include <new>

#include "imaging/colour.h"
#include "imaging/random.h"
#include "platform/report.h"

void FillBackground(CDADC& out, const CDADC& in, const BackgroundSpec& bg) {
  if (!out.m_pDC) return;
  if (!bg.m_bUsePicture) {
    out.m_pDC->FillSolidRect(0, 0, out.m_iWidth, out.m_iHeight, bg.m_crColour);
    return;
  }
  if (!in.m_pDC) return;
  out.m_pDC->SetStretchBltMode(COLORONCOLOR);
  out.m_pDC->StretchBlt(0, 0, out.m_iWidth, out.m_iHeight, *in.m_pDC, 0, 0, in.m_iWidth,
                        in.m_iHeight, SRCCOPY);
}

void ChooseBackground(BackgroundSpec& bg, double dFactor, int iChance) {
  if (RandomInt(0, 100) < iChance) {
    bg.m_bUsePicture = 1;
    return;
  }
  bg.m_bUsePicture = 0;
  bg.m_crColour = ScaleColour(RandomColour(), dFactor);
}

void JitterPoint(POINT& pt, int d, int iWidth, int iHeight) {
  pt.x += RandomInt(-d, d);
  pt.y += RandomInt(-d, d);
  if (pt.x > iWidth - 1) pt.x = iWidth - 1;
  if (pt.x < 0) pt.x = 0;
  if (pt.y > iHeight - 1) pt.y = iHeight - 1;
  if (pt.y < 0) pt.y = 0;
}

COLORREF ComplementColour(COLORREF c) {
  double h, s, v;
  RgbToHsv(GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0, h, s, v);
  // The opposite hue. The conversion takes hues up to 420 (360..420 is its
  // first sector again) and refuses the rest, which blue and violet colours
  // would reach: only those are wrapped, since subtracting 360 from a hue the
  // conversion takes can round its result one level differently.
  double dHue = h + 180.0;
  if (dHue >= 420.0) dHue -= 360.0;
  double r, g, b;
  HsvToRgb(dHue, 1.0 - s, 1.0 - v, r, g, b);
  return RGB(static_cast<int>(r * 255), static_cast<int>(g * 255), static_cast<int>(b * 255));
}

void RandomColourPair(COLORREF& crFirst, COLORREF& crSecond) {
  const int g = RandomInt(0, 255);
  const int b = RandomInt(0, 255);
  const int r = RandomInt(0, 255);
  crFirst = RGB(r, g, b);
  crSecond = ComplementColour(crFirst);
}

COLORREF JitterColour(COLORREF c, double v) {
  if (!(v >= 0.0 && v <= 1.0)) return c;
  auto channel = [v](int ch) {
    const int i = static_cast<int>(ch * RandomReal(1.0 - v, 1.0 + v));
    return i < 0 ? 0 : (i > 255 ? 255 : i);
  };
  const int r = channel(GetRValue(c));
  const int g = channel(GetGValue(c));
  const int b = channel(GetBValue(c));
  return RGB(r, g, b);
}

void JitterPixel(CDC& dc, int x, int y, int s, COLORREF c, double v) {
  const COLORREF cr = JitterColour(c, v);
  if (s == 1)
    dc.SetPixelV(x, y, cr);
  else
    dc.FillSolidRect(x * s, y * s, x * s + s, y * s + s, cr);
}

long long ProportionalCount(long long n, long long iAlong, long long iAcross) {
  if (iAcross == 0) return 0;
  const long long iCount = n * iAlong / iAcross;
  return iCount > kMaxCountAspect * n ? kMaxCountAspect * n : iCount;
}

double BoundedDiagonal(double dWidth, double dHeight) {
  const double dDiagonal = std::sqrt(dWidth * dWidth + dHeight * dHeight);
  constexpr double k = kMaxCountAspect;
  const double dLimit = std::sqrt((1 + k * k) / k * dWidth * dHeight);
  // (A picture of exactly 1 : 4 keeps its own diagonal despite rounding.)
  return dDiagonal > dLimit * (1 + 1e-12) ? dLimit : dDiagonal;
}

double BoundedSide(double dSide, double dOther) {
  const double dLimit = std::sqrt(kMaxCountAspect * dSide * dOther);
  return dSide > dLimit * (1 + 1e-12) ? dLimit : dSide;
}

CellGrid::CellGrid(int iWidth, int iHeight, int iColumns)
    : m_iWidth(iWidth < 1 ? 1 : iWidth), m_iHeight(iHeight < 1 ? 1 : iHeight) {
  m_iColumns = (iColumns < 7 || iColumns > 250) ? 125 : iColumns;
  m_iRows = static_cast<int>(ProportionalCount(m_iColumns, m_iHeight, m_iWidth));
  if (m_iRows < 1) m_iRows = 1;
  m_iCellWidth = m_iWidth / m_iColumns;
  if (m_iCellWidth < 1) m_iCellWidth = 1;
  m_iCellHeight = m_iHeight / m_iRows;
  if (m_iCellHeight < 1) m_iCellHeight = 1;
}

POINT CellGrid::Centre(int i, int j) const {
  if (i < 0 || i >= m_iColumns) i = m_iColumns / 2;
  if (j < 0 || j >= m_iRows) j = m_iRows / 2;
  POINT pt;
  pt.x = static_cast<LONG>((i + 0.5) * m_iWidth / m_iColumns);
  pt.y = static_cast<LONG>((j + 0.5) * m_iHeight / m_iRows);
  return pt;
}

RECT CellGrid::Cell(int i, int j) const {
  const POINT c = Centre(i, j);
  RECT r;
  r.left = c.x - m_iCellWidth / 2;
  r.right = c.x + m_iCellWidth / 2;
  r.top = c.y - m_iCellHeight / 2;
  r.bottom = c.y + m_iCellHeight / 2;
  return r;
}

std::unique_ptr<COutline> MakeOutline(int iKind, double dOffset) {
  std::unique_ptr<COutline> pOutline(new (std::nothrow) COutline);
  if (!pOutline) {
    ReportError(iKind == OUTLINE_PETAL || iKind == OUTLINE_DROP ? "Could not CreatePetalOutline"
                                                                : "Could not create SineLeafOutline");
    return nullptr;
  }
  pOutline->m_bFilled = 1;
  if (iKind == OUTLINE_PETAL) {
    static constexpr double kPetal[10][2] = {{-0.5, 0},   {-0.25, 0.6}, {0.15, 1.0},  {0.35, 0.8},
                                             {0.4, 0.4},  {0.5, 0},     {0.4, -0.4},  {0.35, -0.8},
                                             {0.15, -1.0}, {-0.25, -0.6}};
    for (const auto& v : kPetal) pOutline->AddVertex(v[0] + dOffset, v[1], 0.0);
  } else if (iKind == OUTLINE_DROP) {
    static constexpr double kDrop[16][2] = {
        {-0.5, 0},     {-0.47, 0.1},   {-0.47, 0.2},   {-0.4, 0.29},  {-0.26, 0.33}, {-0.1, 0.28},
        {0.13, 0.15},  {0.37, 0.02},   {0.45, 0},      {0.37, -0.02}, {0.13, -0.15}, {-0.1, -0.28},
        {-0.26, -0.33}, {-0.4, -0.29}, {-0.47, -0.2}, {-0.47, -0.1}};
    for (const auto& v : kDrop) pOutline->AddVertex(v[0] + dOffset, v[1], 0.0);
  } else {
    // A lens of length 1 and width 1: the upper arc left to right, then the
    // lower arc back without repeating the two tips.
    for (int i = 0; i <= 5; ++i)
      pOutline->AddVertex(i / 5.0 + dOffset - 0.5, std::sin(i / 5.0 * 3.14159) * 0.5, 0.0);
    for (int i = 4; i >= 1; --i)
      pOutline->AddVertex(i / 5.0 + dOffset - 0.5, -std::sin(i / 5.0 * 3.14159) * 0.5, 0.0);
  }
  return pOutline;
}
