#include "xforms/clouds.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "imaging/colour.h"
#include "imaging/constants.h"
#include "imaging/force_field.h"
#include "imaging/random.h"
#include "imaging/row_blocks.h"
#include "platform/report.h"
#include "xforms/progress.h"

namespace {

constexpr double kNoiseWeight = 0.33;
constexpr double kForceWeight = 0.67;
constexpr double kBandWidth = 0.1;

// The five colours of each sky set: high sky, low sky, backlight, cloud light, cloud dark.
constexpr COLORREF kColourSets[5][5] = {
    {RGB(50, 50, 255), RGB(150, 150, 255), RGB(250, 100, 100), RGB(255, 255, 255), RGB(55, 55, 55)},
    {RGB(124, 125, 118), RGB(150, 150, 255), RGB(252, 236, 185), RGB(120, 106, 77), RGB(61, 52, 45)},
    {RGB(246, 196, 147), RGB(241, 225, 165), RGB(241, 192, 149), RGB(145, 110, 108), RGB(81, 64, 80)},
    {RGB(4, 10, 108), RGB(99, 155, 229), RGB(34, 95, 184), RGB(122, 164, 236), RGB(39, 86, 176)},
    {RGB(35, 57, 184), RGB(175, 212, 221), RGB(97, 126, 166), RGB(228, 231, 254), RGB(64, 81, 135)},
};

}  // namespace

int ValidateClouds(CloudsParams& /*p*/) { return 1; }

void AutochooseClouds(CloudsParams& p, AreaSelection& sel) {
  p.m_dHorizon = RandomReal(0.1, 0.7);
  p.m_iCoverage = RandomInt(20, 60);
  const int k = RandomInt(0, 4);
  p.m_crHighSky = kColourSets[k][0];
  p.m_crLowSky = kColourSets[k][1];
  p.m_crBacklight = kColourSets[k][2];
  p.m_crCloudLight = kColourSets[k][3];
  p.m_crCloudDark = kColourSets[k][4];
  p.m_iDetail = RandomInt(3, 6);
  sel.m_bInvert = RandomChance();
  sel.SetSmooth(RandomInt(1, 3));
}

double CloudWindOffset(double t, double dHorizon, double dWind) {
  return t * 2 * std::tan(t * HALF_PI) * dHorizon * dWind + (1 - dHorizon) * dWind;
}

namespace {

// The texture is a product A x B of two sums over the octaves. A and the
// inner sines of B depend only on the row, so they are worked out once per
// row; per pixel one sine per octave remains. The arithmetic is the same, in
// the same order, as evaluating every term at every pixel.
class CCloudRow {
 public:
  CCloudRow(int iDetail, double dF0, double dPhase)
      : m_iDetail(iDetail < 0 ? 0 : iDetail), m_dF0(dF0), m_dPhase(dPhase),
        m_pS1(new (std::nothrow) double[static_cast<std::size_t>(m_iDetail) + 1]) {}
  bool IsValid() const { return m_pS1 != nullptr; }

  void Prepare(int y, int iWidth, double dRowOffset) {
    const double v = static_cast<double>(y) / iWidth;
    double X = dRowOffset, F = m_dF0, g = 1.0;
    m_dA = 0.0;
    for (int k = 0; k < m_iDetail; ++k) {
      m_pS1[k] = HALF_PI * std::sin(0.5 * v * X);
      const double S2 = HALF_PI * std::sin(0.5 * v * F);
      double V = v * X;
      if (k == 0) V += m_dPhase;
      m_dA += g * std::sin(S2 + V);
      X *= 2.0;
      F *= 2.0;
      g *= 0.7071;
    }
  }

  double Noise(int x, int iWidth) const {
    const double u = static_cast<double>(x) / iWidth;
    double B = 0.0, F = m_dF0, g = 1.0;
    for (int k = 0; k < m_iDetail; ++k) {
      double U = u * F;
      if (k == 0) U += m_dPhase;
      B += g * std::sin(m_pS1[k] + U);
      F *= 2.0;
      g *= 0.7071;
    }
    return m_dA * B;
  }

 private:
  int m_iDetail;
  double m_dF0, m_dPhase;
  std::unique_ptr<double[]> m_pS1;
  double m_dA = 0.0;
};

}  // namespace

double CloudNoise(int x, int y, int iWidth, double dRowOffset, int iDetail, double dF0,
                  double dPhase) {
  CCloudRow row(iDetail, dF0, dPhase);
  if (!row.IsValid()) return 0.0;
  row.Prepare(y, iWidth, dRowOffset);
  return row.Noise(x, iWidth);
}

COLORREF CloudColour(const CloudsParams& p, double T, double c, double y1) {
  const double hb = kBandWidth * 0.5;
  const COLORREF crSky = BlendColour(y1, p.m_crHighSky, p.m_crLowSky);
  double m;
  COLORREF a, b;
  if (c <= T - hb) return crSky;
  if (c <= T) {
    // The backlit rim where the cloud meets the sky.
    m = (c - (T - hb)) / hb;
    a = p.m_crBacklight;
    b = crSky;
  } else if (c <= T + hb) {
    // The dark ring inside the rim.
    m = (c - T) / hb;
    a = p.m_crCloudDark;
    b = p.m_crBacklight;
  } else {
    // The light core.
    m = (c - T - hb) / (1 - T - hb);
    a = p.m_crCloudLight;
    b = p.m_crCloudDark;
  }
  if (!(m >= 0.0 && m <= 1.0)) return 0;
  return BlendColour(m, a, b);
}

int ApplyClouds(const CloudsParams& p, XformContext& ctx) {
  if (!ctx.IsValid()) return 0;
  CDADC& in = *ctx.m_pIn;
  CDADC& out = *ctx.m_pOut;
  const int w = in.m_iWidth, h = in.m_iHeight, s = ctx.ScaleFactor();
  std::atomic<int>* pPercent = ctx.m_pPercent;

  SetPercent(pPercent, 0, 100, 5, "Breeze...");
  ForceFieldMap pField = MakeForceField(&in, ctx.m_Select, ctx.m_pStop);
  if (!pField) return 0;
  const double T =
      ForceFieldThreshold(p.m_iCoverage, pField.get(), static_cast<std::size_t>(w) * h) / 255.0;

  const double dF0 = RandomReal(1.5, 4.0);
  const double dWind = RandomReal(0.5, 40.0);
  const double dPhase = RandomReal(-HALF_PI, HALF_PI);

  SetPercent(pPercent, 0, 100, 10, "Wind...");
  std::unique_ptr<double[]> pOffsets(new (std::nothrow) double[static_cast<std::size_t>(h)]);
  CCloudRow row(p.m_iDetail, dF0, dPhase);
  if (!pOffsets || !row.IsValid()) {
    // A failed idea, not a stop: later ideas of the run still get made.
    ReportError("Clouds: not enough memory");
    return 0;
  }

  // First pass: the range of the texture, so that it can be stretched to 0..1.
  // The values are kept for the second pass when there is memory for them;
  // then the rows are shared between the cores, each block with its own
  // range, and the ranges are joined (the extremes do not depend on the order).
  for (int i = 0; i < h; ++i)
    pOffsets[i] = CloudWindOffset(static_cast<double>(i) / h, p.m_dHorizon, dWind);
  // At quality 4 a value is kept in the surface itself (see CKeptTexture).
  CBitmap* pBitmap = DirectlyWritable(*out.m_pDC, w * s, h * s);
  const bool bDirect = pBitmap != nullptr;
  CKeptTexture kept(pBitmap, w, h, s);
  const bool bKept = kept.IsKept();
  struct CRange {
    double dMax = -20000000.0, dMin = 20000000.0;
    bool bMemory = true;
  };
  std::array<CRange, kMaxRowBlocks> aRanges;
  ForEachRowBlock(h, bKept ? RowBlockCount(h) : 1, [&](int iBlock, int iFirst, int iEnd) {
    CRange& range = aRanges[static_cast<std::size_t>(iBlock)];
    CCloudRow blockRow(p.m_iDetail, dF0, dPhase);
    if (!blockRow.IsValid()) {
      range.bMemory = false;
      return;
    }
    for (int i = iFirst; i < iEnd; ++i) {
      blockRow.Prepare(i, w, pOffsets[i]);
      for (int j = 0; j < w; ++j) {
        const double n = blockRow.Noise(j, w);
        if (bKept) kept.Keep(j, i, n);
        if (n > range.dMax) range.dMax = n;
        if (n < range.dMin) range.dMin = n;
      }
      if (iBlock == 0) SetPercent(pPercent, 10, 40, (i - iFirst) * 100 / (iEnd - iFirst));
      if (ctx.Stopped()) break;
    }
  });
  double dMax = -20000000.0, dMin = 20000000.0;
  for (const CRange& range : aRanges) {
    if (!range.bMemory) {
      ReportError("Clouds: not enough memory");
      return 0;
    }
    if (range.dMax > dMax) dMax = range.dMax;
    if (range.dMin < dMin) dMin = range.dMin;
  }
  if (ctx.Stopped()) {
    // The range is unfinished and the picture is dropped: no second pass.
    SetPercent(pPercent, 0, 100, 101);
    SetStatusText("");
    return 0;
  }

  SetStatusText("clouds and sky and wind and ");
  // An empty range (a texture that is the same everywhere, possible on tiny
  // pictures) leaves the clouds to the force field alone.
  const double dRange = dMax - dMin;
  const bool bFlat = !(dRange > 0.0);
  auto ColourAt = [&](int k, int j, double y1, double dNoise) {
    const double f = ForceAt(pField, k, j, w) / 255.0;
    const double n = bFlat ? 0.0 : (dNoise - dMin) / dRange;
    const double c = kForceWeight * f + kNoiseWeight * n;
    return CloudColour(p, T, c, y1);
  };
  auto RowHeight = [h](int j) { return 1 - static_cast<double>(j) / h; };

  if (bDirect && bKept) {
    // The rows are shared between the cores too. Each block writes the
    // pixels of its own rows straight into the surface, the bytes that
    // SetPixelV or FillSolidRect would write: drawing calls would share the
    // context's state between the blocks. A pixel's kept value is read
    // before its block is written.
    const double dLast = w > 0 && h > 0 ? kept.Kept(w - 1, h - 1) : 0.0;
    const std::size_t iRowBytes = static_cast<std::size_t>(3) * w * s;
    ForEachRowBlock(h, RowBlockCount(h), [&](int iBlock, int iFirst, int iEnd) {
      for (int j = iFirst; j < iEnd; ++j) {
        std::uint8_t* pRow = pBitmap->Row(j * s);
        for (int k = 0; k < w; ++k) {
          const COLORREF cr = ColourAt(k, j, RowHeight(j), kept.Kept(k, j));
          for (std::uint8_t* px = pRow + 3 * k * s; px < pRow + 3 * (k + 1) * s; px += 3) {
            px[0] = GetBValue(cr);
            px[1] = GetGValue(cr);
            px[2] = GetRValue(cr);
          }
        }
        for (int i = 1; i < s; ++i) std::memcpy(pBitmap->Row(j * s + i), pRow, iRowBytes);
        if (iBlock == 0) SetPercent(pPercent, 40, 95, (j - iFirst) * 100 / (iEnd - iFirst));
        if (ctx.Stopped()) break;
      }
    });
    // The rectangle fills would leave the last colour as the background.
    if (s > 1 && w > 0 && h > 0)
      out.m_pDC->SetBkColor(ColourAt(w - 1, h - 1, RowHeight(h - 1), dLast));
  } else {
    for (int j = 0; j < h; ++j) {
      if (!bKept) row.Prepare(j, w, pOffsets[j]);
      for (int k = 0; k < w; ++k) {
        const COLORREF cr = ColourAt(k, j, RowHeight(j), bKept ? kept.Kept(k, j) : row.Noise(k, w));
        if (s == 1)
          out.m_pDC->SetPixelV(k, j, cr);
        else
          out.m_pDC->FillSolidRect(k * s, j * s, k * s + s, j * s + s, cr);
      }
      SetPercent(pPercent, 40, 95, j * 100 / h);
      if (ctx.Stopped()) break;
    }
  }

  SetPercent(pPercent, 0, 100, 101);
  SetStatusText("");
  return ctx.Stopped() ? 0 : 1;
}
