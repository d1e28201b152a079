#include "xforms/mad_painter.h"

#include <cmath>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "imaging/colour.h"
#include "imaging/constants.h"
#include "imaging/covered_painter.h"
#include "imaging/random.h"
#include "imaging/row_blocks.h"
#include "imaging/xform_helpers.h"
#include "xforms/progress.h"

namespace {

constexpr int kPaints = 10;
constexpr int kMinPenWidth = 3;
constexpr int kMinLength = 6;
// The painter takes wide pens only.
static_assert(kMinPenWidth >= 2);

// trunc(v), held within -iLimit..iLimit (a few times the picture's size); 0
// for NaN. Only a record that skipped the dialog's ranges gets there: its
// sizes must neither overflow nor send the drawing layer strokes far larger
// than the picture.
int TruncWithin(double v, int iLimit) {
  if (std::isnan(v)) return 0;
  const double t = std::trunc(v);
  if (t <= -iLimit) return -iLimit;
  if (t >= iLimit) return iLimit;
  return static_cast<int>(t);
}

}  // namespace

int ValidateMadPainter(MadPainterParams& p) {
  if (p.m_iStrokes < 3000) p.m_iStrokes = 3000;
  if (p.m_iStrokes > 9000) p.m_iStrokes = 9000;
  return 1;
}

void AutochooseMadPainter(MadPainterParams& p, const CDADC& org) {
  p.m_iDirection = RandomInt(PAINT_FIXED, PAINT_CIRCLING);
  p.m_iFocusX = RandomInt(0, org.m_iWidth);
  p.m_iFocusY = RandomInt(0, org.m_iHeight);
  p.m_dAngle = RandomReal(0, HALF_PI);
  p.m_iStrokes = RandomInt(3000, 9000);
  p.m_dWidth = RandomReal(1, 2.5);
  p.m_dLength = RandomReal(0.5, 8);
  p.m_dMadness = RandomReal(0, 1);
  p.m_Background.m_bUsePicture = RandomInt(0, 100) > 80 ? 1 : 0;
  p.m_Background.m_crColour = ScaleColour(RandomColour(), 2.5);
}

COLORREF NearestPaint(const COLORREF* pPalette, int n, COLORREF cr) {
  int iBest = 0, iBestDistance = 1 << 30;
  for (int i = 0; i < n; ++i) {
    const COLORREF c = pPalette[i];
    const int d = std::abs(static_cast<int>(GetRValue(c)) - static_cast<int>(GetRValue(cr))) +
                  std::abs(static_cast<int>(GetGValue(c)) - static_cast<int>(GetGValue(cr))) +
                  std::abs(static_cast<int>(GetBValue(c)) - static_cast<int>(GetBValue(cr)));
    if (d < iBestDistance) {
      iBestDistance = d;
      iBest = i;
    }
  }
  return n > 0 ? pPalette[iBest] : cr;
}

CMadBrush::CMadBrush(CDC& dc, const MadPainterParams& p, int iOutWidth, int iOutHeight, int s)
    : m_dc(dc),
      m_iDirection(p.m_iDirection),
      m_dAngle(p.m_dAngle),
      m_dMadness(p.m_dMadness),
      m_dFocusX(static_cast<double>(p.m_iFocusX) * s),
      m_dFocusY(static_cast<double>(p.m_iFocusY) * s) {
  m_iLimit = 4 * (iOutWidth + iOutHeight) + 64;
  // The pen and the strokes follow the width (of a wide strip: as of an
  // ordinary picture of its area, whose strokes would otherwise be hundreds
  // of pixels wide on a surface a few pixels high).
  const double dWidth = BoundedSide(iOutWidth, iOutHeight);
  m_iBaseWidth = TruncWithin(dWidth * p.m_dWidth * 0.01, m_iLimit);
  m_iBaseLength = TruncWithin(p.m_dLength * dWidth * 0.01, m_iLimit);
}

void CMadBrush::Shape(int x, int y, POINT aPts[4], int& iPenWidth) const {
  const double m = m_dMadness;
  double dTheta;
  switch (m_iDirection) {
    case PAINT_POINTING:
      dTheta = std::atan2(m_dFocusY - y, x - m_dFocusX) + m_dAngle + HALF_PI;
      break;
    case PAINT_CIRCLING:
      dTheta = std::atan2(m_dFocusY - y, x - m_dFocusX) + m_dAngle;
      break;
    default:
      dTheta = m_dAngle;
      break;
  }
  dTheta += RandomReal(0, m / 2);

  const double g = RandomReal(-m, m);
  iPenWidth = TruncWithin((g / 2 + 1) * m_iBaseWidth, m_iLimit);
  if (iPenWidth < kMinPenWidth) iPenWidth = kMinPenWidth;

  const double o = RandomReal(-m, m);
  int L = TruncWithin((o / 2 + 1) * m_iBaseLength, m_iLimit);
  if (L < kMinLength) L = kMinLength;

  // Half extents along the direction; the stroke runs from P0 to P3 through
  // its centre.
  const int dx = TruncWithin(L * std::sin(dTheta) * 0.5, m_iLimit);
  const int dy = TruncWithin(L * std::cos(dTheta) * 0.5, m_iLimit);
  aPts[0] = {x + dx, y + dy};
  aPts[3] = {x - dx, y - dy};
  // The controls sit at 2/3 and 1/3 of the way (a straight stroke), then
  // madness bends them by up to m times the jitter amplitude.
  const int Dx = -2 * dx, Dy = -2 * dy;
  const int j = -(dx + dy);
  aPts[1] = {aPts[0].x + 2 * Dx / 3, aPts[0].y + 2 * Dy / 3};
  aPts[2] = {aPts[0].x + Dx / 3, aPts[0].y + Dy / 3};
  for (int k = 1; k <= 2; ++k) {
    aPts[k].x += TruncWithin(RandomReal(-m, m) * j, m_iLimit);
    aPts[k].y += TruncWithin(RandomReal(-m, m) * j, m_iLimit);
  }
}

void CMadBrush::Stroke(int x, int y, COLORREF cr) {
  POINT aPts[4];
  int iPenWidth;
  Shape(x, y, aPts, iPenWidth);
  HPEN hPen = CreatePen(PS_SOLID, iPenWidth, cr);
  HPEN hOld = m_dc.SelectObject(hPen);
  m_dc.PolyBezier(aPts, 4);
  m_dc.SelectObject(hOld);
  DeleteObject(hPen);
}

// What FillBackground would have left under the strokes, written into the
// runs no stroke covers (FillBackground's effects on the DC's state are made
// at once). Null when it would draw nothing.
CCoveredPainter::RunFn BackgroundUnderStrokes(const CDADC& out, const CDADC& in,
                                              const BackgroundSpec& bg,
                                              std::vector<int>& aSrcX) {
  const int W = out.m_iWidth, H = out.m_iHeight;
  if (!bg.m_bUsePicture) {
    out.m_pDC->SetBkColor(bg.m_crColour);
    const auto B = static_cast<std::uint8_t>(GetBValue(bg.m_crColour));
    const auto G = static_cast<std::uint8_t>(GetGValue(bg.m_crColour));
    const auto R = static_cast<std::uint8_t>(GetRValue(bg.m_crColour));
    return [=](int y, int x0, int x1, std::uint8_t* pRow) {
      if (y >= H) return;
      for (std::uint8_t* p = pRow + 3 * static_cast<std::size_t>(x0); x0 < std::min(x1, W);
           ++x0, p += 3) {
        p[0] = B;
        p[1] = G;
        p[2] = R;
      }
    };
  }
  if (!in.m_pDC) return {};
  out.m_pDC->SetStretchBltMode(COLORONCOLOR);
  const CBitmap* pSrc = in.m_pDC->GetCurrentBitmap();
  if (!pSrc) return {};
  // Nearest pixels: output pixel i samples picture pixel i * w / W.
  const int w = in.m_iWidth, h = in.m_iHeight;
  aSrcX.resize(static_cast<std::size_t>(W));
  for (int x = 0; x < W; ++x) {
    const long long sx = static_cast<long long>(x) * w / W;
    aSrcX[static_cast<std::size_t>(x)] = sx < pSrc->Width() ? static_cast<int>(sx) : -1;
  }
  return [=, &aSrcX](int y, int x0, int x1, std::uint8_t* pRow) {
    const long long sy = static_cast<long long>(y) * h / H;
    if (y >= H || sy >= pSrc->Height()) return;
    const std::uint8_t* pSrcRow = pSrc->Row(static_cast<int>(sy));
    for (x1 = std::min(x1, W); x0 < x1; ++x0) {
      const int sx = aSrcX[static_cast<std::size_t>(x0)];
      if (sx >= 0) std::memcpy(pRow + 3 * static_cast<std::size_t>(x0), pSrcRow + 3 * sx, 3);
    }
  };
}

int ApplyMadPainter(const MadPainterParams& p, XformContext& ctx) {
  if (!ctx.IsValid()) return 0;
  const CDADC& in = *ctx.m_pIn;
  CDADC& out = *ctx.m_pOut;
  const int w = in.m_iWidth, h = in.m_iHeight, s = ctx.ScaleFactor();
  const int N = p.m_iStrokes;

  // Every stroke is an opaque copy of one colour, so where the surface takes
  // plain stores the strokes are worked out first (their random draws in the
  // same order) and painted last first, each pixel once, the background
  // last of all where no stroke lies.
  CBitmap* pDirect = DirectlyWritable(*out.m_pDC, out.m_iWidth, out.m_iHeight);
  if (!pDirect) FillBackground(out, in, p.m_Background);
  COLORREF aPalette[kPaints];
  for (COLORREF& c : aPalette) c = RandomColour();
  SetPercent(ctx.m_pPercent, 0, 100, 5, "Drinking oh-ho...");

  CMadBrush brush(*out.m_pDC, p, out.m_iWidth, out.m_iHeight, s);
  CCoveredPainter painter;
  for (int i = 0; i < N; ++i) {
    const int x = RandomInt(0, w - 1);
    const int y = RandomInt(0, h - 1);
    const COLORREF cr = in.m_pDC->GetPixel(x, y);
    const COLORREF crPaint = JitterColour(NearestPaint(aPalette, kPaints, cr), 0.15);
    if (pDirect) {
      POINT aPts[4];
      int iPenWidth;
      brush.Shape(x * s, y * s, aPts, iPenWidth);
      painter.AddBezier(aPts, iPenWidth, crPaint);
      SetPercent(ctx.m_pPercent, 5, 20, static_cast<int>(i * 100LL / N));
    } else {
      brush.Stroke(x * s, y * s, crPaint);
      SetPercent(ctx.m_pPercent, 5, 90, static_cast<int>(i * 100LL / N));
    }
    if (ctx.Stopped()) return 0;
  }
  if (!pDirect) return 1;
  std::vector<int> aSrcX;
  const CCoveredPainter::RunFn fnBackground =
      BackgroundUnderStrokes(out, in, p.m_Background, aSrcX);
  const bool bDone = painter.Paint(
      *pDirect,
      [&ctx](int iDone) {
        SetPercent(ctx.m_pPercent, 20, 90, iDone);
        return !ctx.Stopped();
      },
      fnBackground);
  return bDone ? 1 : 0;
}
