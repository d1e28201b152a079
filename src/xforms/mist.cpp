#include "xforms/mist.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "imaging/colour.h"
#include "imaging/constants.h"
#include "imaging/force_field.h"
#include "imaging/random.h"
#include "imaging/row_blocks.h"
#include "imaging/xform_helpers.h"
#include "xforms/progress.h"

namespace {

constexpr int kOctaves = 5;
constexpr int kLevels = 256;  // force values 0..255

// The texture row by row. Everything but the outer sine of A depends only on
// the row and the force value, so per row those terms are worked out once for
// each force value that occurs; per pixel five sines remain. The arithmetic
// is the same, in the same order, as MistNoise.
class CMistRow {
 public:
  CMistRow(const MistParams& p, int w, int h) : m_p(p), m_w(w), m_h(h) {}

  void Prepare(int y) {
    m_v = static_cast<double>(y) / m_w;
    double X = m_p.m_dWind * (1 + static_cast<double>(y) / m_h) * 0.5;
    double F = m_p.m_dFrequency, g = 1.0;
    for (int k = 0; k < kOctaves; ++k) {
      m_aX[k] = X;
      m_aF[k] = F;
      m_aG[k] = g;
      F = 2 * F;
      X = 2 * X;
      g = 0.7071 * g;
    }
    for (bool& b : m_abKnown) b = false;
  }

  double Noise(int x, int q) {
    if (!m_abKnown[q]) Learn(q);
    const double u = static_cast<double>(x) / m_w;
    double A = 0.0;
    for (int k = 0; k < kOctaves; ++k) A += m_aG[k] * std::sin(u * m_aF[k] + m_aInner[q][k]);
    return A * m_aB[q];
  }

 private:
  void Learn(int q) {
    const double P = m_p.m_dCoupling * q;
    double B = 0.0;
    for (int k = 0; k < kOctaves; ++k) {
      m_aInner[q][k] = HALF_PI * std::sin(0.5 * m_v * m_aX[k] + P);
      B += m_aG[k] * std::sin(m_v * m_aX[k] + HALF_PI * std::sin(0.5 * m_v * m_aF[k] + P));
    }
    m_aB[q] = B;
    m_abKnown[q] = true;
  }

  const MistParams& m_p;
  int m_w, m_h;
  double m_v = 0.0;
  double m_aX[kOctaves] = {}, m_aF[kOctaves] = {}, m_aG[kOctaves] = {};
  double m_aInner[kLevels][kOctaves] = {};
  double m_aB[kLevels] = {};
  bool m_abKnown[kLevels] = {};
};

}  // namespace

int ValidateMist(MistParams& /*p*/) { return 1; }

void AutochooseMist(MistParams& p) {
  if (RandomInt(0, 100) <= 30) {
    p.m_crMist = RGB(255, 255, 255);
    p.m_crBackground = RGB(0, 0, 0);
  } else {
    RandomColourPair(p.m_crMist, p.m_crBackground);
  }
  p.m_dFrequency = RandomReal(0.1, 1.1);
  p.m_dWind = RandomReal(p.m_dFrequency * 0.5, p.m_dFrequency * 20);
  p.m_dCoupling = RandomReal(0.01, 0.1);
}

double MistNoise(const MistParams& p, int x, int y, int w, int h, int q) {
  const double u = static_cast<double>(x) / w, v = static_cast<double>(y) / w;
  const double P = p.m_dCoupling * q;
  double X = p.m_dWind * (1 + static_cast<double>(y) / h) * 0.5;  // the row's wind
  double F = p.m_dFrequency, g = 1.0;
  double A = 0.0, B = 0.0;
  for (int k = 0; k < kOctaves; ++k) {
    A += g * std::sin(u * F + HALF_PI * std::sin(0.5 * v * X + P));
    B += g * std::sin(v * X + HALF_PI * std::sin(0.5 * v * F + P));
    F = 2 * F;
    X = 2 * X;
    g = 0.7071 * g;
  }
  return A * B;
}

int ApplyMist(const MistParams& p, XformContext& ctx) {
  if (!ctx.IsValid()) return 0;
  const CDADC& in = *ctx.m_pIn;
  CDC& dc = *ctx.m_pOut->m_pDC;
  const int w = in.m_iWidth, h = in.m_iHeight, s = ctx.ScaleFactor();

  SetPercent(ctx.m_pPercent, 0, 100, 5, "Mystification...");
  ForceFieldMap pField = MakeForceField(&in, ctx.m_Select, ctx.m_pStop);
  if (!pField) return 0;
  SetPercent(ctx.m_pPercent, 0, 100, 10, "Evaporation...");

  // First pass: the range of the texture, so that it can be stretched over
  // the two colours. The values are kept for the second pass when there is
  // room for them (else they are worked out again, to the same bits); then
  // the rows are shared between the cores, each block with its own range,
  // and the ranges are joined (the extremes do not depend on the order).
  // At quality 4 a value is kept in the surface itself (see CKeptTexture).
  CBitmap* pBitmap = DirectlyWritable(dc, w * s, h * s);
  const bool bDirect = pBitmap != nullptr;
  CMistRow row(p, w, h);
  CKeptTexture kept(pBitmap, w, h, s);
  const bool bKept = kept.IsKept();
  struct CRange {
    double dMax = -20000000.0, dMin = 20000000.0;
  };
  std::array<CRange, kMaxRowBlocks> aRanges;
  ForEachRowBlock(h, bKept ? RowBlockCount(h) : 1, [&](int iBlock, int iFirst, int iEnd) {
    CRange& range = aRanges[static_cast<std::size_t>(iBlock)];
    CMistRow blockRow(p, w, h);
    for (int y = iFirst; y < iEnd; ++y) {
      blockRow.Prepare(y);
      for (int x = 0; x < w; ++x) {
        const double n = blockRow.Noise(x, ForceAt(pField, x, y, w));
        if (bKept) kept.Keep(x, y, n);
        if (n > range.dMax) range.dMax = n;
        if (n < range.dMin) range.dMin = n;
      }
      if (iBlock == 0) SetPercent(ctx.m_pPercent, 10, 55, (y - iFirst) * 100 / (iEnd - iFirst));
      if (ctx.Stopped()) break;
    }
  });
  double dMax = -20000000.0, dMin = 20000000.0;
  for (const CRange& range : aRanges) {
    if (range.dMax > dMax) dMax = range.dMax;
    if (range.dMin < dMin) dMin = range.dMin;
  }

  // A texture without range (only on tiny pictures) is all background. After
  // a stop the range is unfinished and the picture is dropped: no second pass.
  const double dRange = dMax - dMin;
  const bool bFlat = !(dRange > 0.0);
  SetStatusText("Condensation...");
  auto ColourOf = [&](double n) {
    const double t = bFlat ? 0.0 : (n - dMin) / dRange;
    return BlendColour(t, p.m_crMist, p.m_crBackground);
  };
  if (bDirect && bKept && !ctx.Stopped()) {
    // The rows are shared between the cores too. Each block writes the
    // pixels of its own rows straight into the surface, the bytes that
    // SetPixelV or FillSolidRect would write: drawing calls would share the
    // context's state between the blocks. A pixel's kept value is read
    // before its block is written.
    const double dLast = w > 0 && h > 0 ? kept.Kept(w - 1, h - 1) : 0.0;
    const std::size_t iRowBytes = static_cast<std::size_t>(3) * w * s;
    ForEachRowBlock(h, RowBlockCount(h), [&](int iBlock, int iFirst, int iEnd) {
      for (int y = iFirst; y < iEnd; ++y) {
        std::uint8_t* pOut = pBitmap->Row(y * s);
        for (int x = 0; x < w; ++x) {
          const COLORREF cr = ColourOf(kept.Kept(x, y));
          for (std::uint8_t* px = pOut + 3 * x * s; px < pOut + 3 * (x + 1) * s; px += 3) {
            px[0] = GetBValue(cr);
            px[1] = GetGValue(cr);
            px[2] = GetRValue(cr);
          }
        }
        for (int i = 1; i < s; ++i) std::memcpy(pBitmap->Row(y * s + i), pOut, iRowBytes);
        if (iBlock == 0) SetPercent(ctx.m_pPercent, 55, 90, (y - iFirst) * 100 / (iEnd - iFirst));
        if (ctx.Stopped()) break;
      }
    });
    // The rectangle fills would leave the last colour as the background.
    if (s > 1 && w > 0 && h > 0) dc.SetBkColor(ColourOf(dLast));
  }
  for (int y = 0; !(bDirect && bKept) && y < h && !ctx.Stopped(); ++y) {
    if (!bKept) row.Prepare(y);
    for (int x = 0; x < w; ++x) {
      const COLORREF cr = ColourOf(bKept ? kept.Kept(x, y) : row.Noise(x, ForceAt(pField, x, y, w)));
      if (s == 1)
        dc.SetPixelV(x, y, cr);
      else
        dc.FillSolidRect(x * s, y * s, x * s + s, y * s + s, cr);
    }
    SetPercent(ctx.m_pPercent, 55, 90, y * 100 / h);
  }

  SetPercent(ctx.m_pPercent, 0, 100, 101);
  SetStatusText("");
  pField.reset();
  return ctx.Stopped() ? 0 : 1;
}
