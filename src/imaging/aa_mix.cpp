#include "imaging/aa_mix.h"

#include <cmath>
#include <cstddef>
#include <memory>
#include <vector>

#include "imaging/dadc.h"
#include "imaging/force_field.h"
#include "platform/report.h"

namespace {

// The pieces of the weights. MixWeight and the row weights of the mix loop
// both go through these, so that the fast loop gives exactly MixWeight's
// values (the core is built without contracted multiply-adds).

bool IsDirectional(int iMode) { return iMode >= MIX_LEFT_RIGHT && iMode <= MIX_ELLIPSE_IN; }

// Even Mix: the share of the original. Percentages outside 0..100 cannot come
// from the dialog; they are held to a pure picture instead of overflowing.
double EvenWeight(int iPercent) {
  const double w = iPercent * 0.01;
  return w < 0.0 ? 0.0 : (w > 1.0 ? 1.0 : w);
}

double HsvWeight(int iForce) { return 1.0 - iForce / 255.0; }

// Sharpening of the directional modes: all original up to r = u, all Xform
// from r = 1 - u, a linear ramp between; u = half the sharpness, in percent.
double Sharpen(double r, int iPercent) {
  const double u = (iPercent / 2) * 0.01;
  if (r <= u) return 1.0;
  if (r >= 1.0 - u) return 0.0;
  return (r - (1.0 - u)) / (u - (1.0 - u));
}

double Ratio(int v, int n) { return static_cast<double>(v) / n; }

// Squared offset of column (or row) v from the centre, in pixels (circles)
// or in half-sizes (ellipses).
double CircleTerm(int v, int n) {
  const double d = v - n / 2.0;
  return d * d;
}
double EllipseTerm(int v, int n) {
  const double d = 2.0 * std::fabs(Ratio(v, n) - 0.5);
  return d * d;
}

// The base ratio r of the circular and elliptical modes from the column's
// and the row's terms.
double RadialRatio(int iMode, double dColumn, double dRow, double dDiag) {
  switch (iMode) {
    case MIX_CIRCLE_OUT:
      return 1.0 - std::sqrt(dColumn + dRow) / dDiag;
    case MIX_CIRCLE_IN:
      return std::sqrt(dColumn + dRow) / dDiag;
    case MIX_ELLIPSE_OUT:
      return 1.0 - 1.1 * std::sqrt(dColumn + dRow) / 2.0;
    default:  // MIX_ELLIPSE_IN
      return 1.1 * std::sqrt(dColumn + dRow) / 2.0;
  }
}

bool IsCircular(int iMode) { return iMode == MIX_CIRCLE_OUT || iMode == MIX_CIRCLE_IN; }
bool IsRadial(int iMode) { return iMode >= MIX_CIRCLE_OUT && iMode <= MIX_ELLIPSE_IN; }

double BaseRatio(int iMode, int x, int y, int iWidth, int iHeight, double dDiag) {
  switch (iMode) {
    case MIX_LEFT_RIGHT:
      return 1.0 - Ratio(x, iWidth);
    case MIX_TOP_BOTTOM:
      return 1.0 - Ratio(y, iHeight);
    case MIX_RIGHT_LEFT:
      return Ratio(x, iWidth);
    case MIX_BOTTOM_TOP:
      return Ratio(y, iHeight);
    default:
      if (IsCircular(iMode))
        return RadialRatio(iMode, CircleTerm(x, iWidth), CircleTerm(y, iHeight), dDiag);
      return RadialRatio(iMode, EllipseTerm(x, iWidth), EllipseTerm(y, iHeight), dDiag);
  }
}

// The weights of one output row, kept as two arrays (original, Xform) so
// that the pixel loop is the same for every mode. Each mode recomputes only
// what varies: nothing (Even, Left Right, Right Left), one value per row
// (Top Bottom, Bottom Top), a square root per pixel (circles, ellipses) or a
// table look-up of the force field (Hsv).
class CRowWeights {
 public:
  CRowWeights(const MixSettings& mix, int iWidth, int iHeight, double dDiag,
              const std::uint8_t* pField)
      : m_mix(mix),
        m_iWidth(iWidth),
        m_iHeight(iHeight),
        m_dDiag(dDiag),
        m_pField(pField),
        m_aOrg(static_cast<std::size_t>(iWidth)),
        m_aXform(static_cast<std::size_t>(iWidth)) {
    const int iMode = mix.m_iMixMode;
    if (iMode == MIX_HSV) {
      for (int f = 0; f < 256; ++f) {
        m_aHsvOrg[f] = HsvWeight(f);
        m_aHsvXform[f] = 1.0 - m_aHsvOrg[f];
      }
    } else if (IsRadial(iMode)) {
      m_aColumnTerm.resize(static_cast<std::size_t>(iWidth));
      for (int x = 0; x < iWidth; ++x)
        m_aColumnTerm[x] = IsCircular(iMode) ? CircleTerm(x, iWidth) : EllipseTerm(x, iWidth);
    } else if (iMode != MIX_TOP_BOTTOM && iMode != MIX_BOTTOM_TOP) {
      // The same for every row: Even, the horizontal ramps, unknown modes.
      for (int x = 0; x < iWidth; ++x)
        Set(x, MixWeight(mix, x, 0, iWidth, iHeight, dDiag, nullptr));
    }
  }

  void ForRow(int y) {
    const int iMode = m_mix.m_iMixMode;
    if (iMode == MIX_HSV) {
      const std::uint8_t* pForce = m_pField + static_cast<std::size_t>(y) * m_iWidth;
      for (int x = 0; x < m_iWidth; ++x) {
        m_aOrg[x] = m_aHsvOrg[pForce[x]];
        m_aXform[x] = m_aHsvXform[pForce[x]];
      }
    } else if (IsRadial(iMode)) {
      const double dRow = IsCircular(iMode) ? CircleTerm(y, m_iHeight) : EllipseTerm(y, m_iHeight);
      for (int x = 0; x < m_iWidth; ++x) {
        const double w =
            Sharpen(RadialRatio(iMode, m_aColumnTerm[x], dRow, m_dDiag), m_mix.m_iPercent);
        m_aOrg[x] = w;
        m_aXform[x] = 1.0 - w;
      }
    } else if (iMode == MIX_TOP_BOTTOM || iMode == MIX_BOTTOM_TOP) {
      const MixWeights w = MixWeight(m_mix, 0, y, m_iWidth, m_iHeight, m_dDiag, nullptr);
      for (int x = 0; x < m_iWidth; ++x) Set(x, w);
    }
  }

  const double* Org() const { return m_aOrg.data(); }
  const double* Xform() const { return m_aXform.data(); }

 private:
  void Set(int x, MixWeights w) {
    m_aOrg[x] = w.m_dOrg;
    m_aXform[x] = w.m_dXform;
  }

  const MixSettings& m_mix;
  int m_iWidth, m_iHeight;
  double m_dDiag;
  const std::uint8_t* m_pField;
  std::vector<double> m_aOrg, m_aXform, m_aColumnTerm;
  double m_aHsvOrg[256] = {}, m_aHsvXform[256] = {};
};

// Averages the L x L blocks of one output row into pAvg (3 bytes a pixel).
// pBlockRow is the lowest memory row of the block row; the others follow
// upwards in memory. The integer division is a shift for L = 1, 2, 4.
template <int L>
void AverageRow(const std::uint8_t* pBlockRow, std::ptrdiff_t iStride, int iWidth,
                std::uint8_t* pAvg) {
  for (int x = 0; x < iWidth; ++x) {
    const std::uint8_t* pBlock = pBlockRow + static_cast<std::ptrdiff_t>(3 * L) * x;
    unsigned b = 0, g = 0, r = 0;
    for (int k = 0; k < L; ++k) {
      const std::uint8_t* p = pBlock + k * iStride;
      for (int i = 0; i < L; ++i, p += 3) {
        b += p[0];
        g += p[1];
        r += p[2];
      }
    }
    pAvg[3 * x] = static_cast<std::uint8_t>(b / (L * L));
    pAvg[3 * x + 1] = static_cast<std::uint8_t>(g / (L * L));
    pAvg[3 * x + 2] = static_cast<std::uint8_t>(r / (L * L));
  }
}

// out = trunc(A * (1 - w) + O * w) for every channel of one row.
void MixRow(const std::uint8_t* pAvg, const std::uint8_t* pOrg, const double* aOrg,
            const double* aXform, int iWidth, std::uint8_t* pOut) {
  for (int x = 0; x < iWidth; ++x) {
    const double w = aOrg[x], wx = aXform[x];
    for (int c = 3 * x; c < 3 * x + 3; ++c)
      pOut[c] = static_cast<std::uint8_t>(static_cast<int>(pAvg[c] * wx + pOrg[c] * w));
  }
}

struct CMixJob {
  CDADC* m_pOut;
  const CDADC* m_pSrc;
  const CDADC* m_pOrg;  // NULL: a mix leaves the output as it is
  const MixSettings* m_pMix;
  bool m_bMix;
  double m_dDiag;
  const std::uint8_t* m_pField;
  std::atomic<int>* m_pPercent;
};

template <int L>
void ReduceAndMix(const CMixJob& job) {
  const int iWidth = job.m_pOut->m_iWidth, iHeight = job.m_pOut->m_iHeight;
  const std::ptrdiff_t iStride = job.m_pSrc->m_iBytesPerRow;
  const bool bBlend = job.m_bMix && job.m_pOrg;
  std::vector<std::uint8_t> aAvg(bBlend && L > 1 ? static_cast<std::size_t>(3) * iWidth : 0);
  std::unique_ptr<CRowWeights> weights;
  if (bBlend)
    weights =
        std::make_unique<CRowWeights>(*job.m_pMix, iWidth, iHeight, job.m_dDiag, job.m_pField);

  for (int y = 0; y < iHeight; ++y) {
    // Output row y lies in memory row H - 1 - y; its source block rows are
    // memory rows (H - 1 - y) L ... (H - 1 - y) L + L - 1.
    const std::uint8_t* pBlockRow =
        job.m_pSrc->m_pBits + static_cast<std::ptrdiff_t>(iHeight - 1 - y) * L * iStride;
    std::uint8_t* pOut = job.m_pOut->Row(y);
    if (!job.m_bMix) {
      AverageRow<L>(pBlockRow, iStride, iWidth, pOut);
    } else if (bBlend) {
      const std::uint8_t* pAvg = pBlockRow;
      if (L > 1) {
        AverageRow<L>(pBlockRow, iStride, iWidth, aAvg.data());
        pAvg = aAvg.data();
      }
      weights->ForRow(y);
      MixRow(pAvg, job.m_pOrg->Row(y), weights->Org(), weights->Xform(), iWidth, pOut);
    }
    if (job.m_pPercent)
      job.m_pPercent->store(static_cast<int>(100LL * y / iHeight), std::memory_order_relaxed);
  }
}

}  // namespace

MixWeights MixWeight(const MixSettings& mix, int x, int y, int iWidth, int iHeight, double dDiag,
                     const std::uint8_t* pField) {
  double w = 0.0;  // unknown modes: the Xform picture alone
  if (mix.m_iMixMode == MIX_EVEN)
    w = EvenWeight(mix.m_iPercent);
  else if (mix.m_iMixMode == MIX_HSV)
    w = pField ? HsvWeight(ForceAt(pField, x, y, iWidth)) : 0.0;
  else if (IsDirectional(mix.m_iMixMode))
    w = Sharpen(BaseRatio(mix.m_iMixMode, x, y, iWidth, iHeight, dDiag), mix.m_iPercent);
  return {w, 1.0 - w};
}

void AAMixBlit(CDADC* pOut, const CDADC* pSrc, const CDADC* pOrg, const MixSettings* pMix,
               std::atomic<int>* pPercent, const MixStatusFn& fnStatus) {
  auto status = [&](const char* szText) {
    if (fnStatus) fnStatus(szText);
  };
  if (!pOut || !pSrc || !pOut->IsValid() || !pSrc->IsValid()) {
    ReportError("AAMB: missing output or Xform picture");
    return;
  }
  const int iWidth = pOut->m_iWidth, iHeight = pOut->m_iHeight;
  const AreaSelection selection = pMix ? pMix->m_Selection : AreaSelection{};

  if (pOrg) {
    if (!pMix) {
      ReportError("AAMB: insufficient mix data");
      return;
    }
    if (pOrg->m_iWidth != iWidth) {
      ReportError("AAMB: Origin and destination\nx sizes are different...");
      return;
    }
    if (pOrg->m_iHeight != iHeight) {
      ReportError("AAMB: Origin and destination\ny sizes are different...");
      return;
    }
  }

  const bool bMix = pMix && pMix->m_iMixMode != MIX_OFF;
  double dDiag = 0.0;
  ForceFieldMap field;
  if (bMix && pOrg) {
    dDiag =
        std::sqrt(static_cast<double>(iWidth) * iWidth + static_cast<double>(iHeight) * iHeight) *
        0.5;
    if (pMix->m_iMixMode == MIX_HSV) {
      status("Hsv mix analysis...");
      if (pPercent) pPercent->store(5, std::memory_order_relaxed);
      field = MakeForceField(pOrg, selection);
      if (!field) return;  // stopped or out of memory: no output
    }
  }

  const double dRatioX = static_cast<double>(pSrc->m_iWidth) / iWidth;
  const double dRatioY = static_cast<double>(pSrc->m_iHeight) / iHeight;
  if (dRatioY != dRatioX) {
    ReportError("AAMixBlit, non square pixel error");
    return;
  }
  const int iLevel = static_cast<int>(dRatioX);
  if (iLevel < 1 || iLevel > 4) {
    ReportError("AAMixBlit, Bad aa level (%d)", iLevel);
    return;
  }
  if (pSrc->m_iWidth / iWidth != iLevel) {
    ReportError("AAMixBlit, Bad aa level, odd sizes");
    return;
  }

  if (iLevel == 1 && !bMix) {
    status("Output...");
    pOut->m_pDC->BitBlt(0, 0, iWidth, iHeight, *pSrc->m_pDC, 0, 0, SRCCOPY);
    status("");
    return;
  }
  status(iLevel == 1 ? "Mixing..." : "Anti-alias...");
  const CMixJob job{pOut, pSrc, pOrg, pMix, bMix, dDiag, field.get(), pPercent};
  switch (iLevel) {
    case 1:
      ReduceAndMix<1>(job);
      break;
    case 2:
      ReduceAndMix<2>(job);
      break;
    case 3:
      ReduceAndMix<3>(job);
      break;
    default:
      ReduceAndMix<4>(job);
      break;
  }
  status("");
}
