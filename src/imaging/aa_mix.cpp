#include "imaging/aa_mix.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <vector>

#include "imaging/aa_mix_simd.h"
#include "imaging/dadc.h"
#include "imaging/force_field.h"
#include "platform/report.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Sharpen(RadialRatio(iMode, aColumnTerm[x], dRow, dDiag), iPercent) for
// the n columns from 0, two at a time where SSE2 is there: the same
// operations in the same order, and square roots and divisions are exactly
// rounded either way.
void RadialWeights(int iMode, const double* aColumnTerm, double dRow, double dDiag, int iPercent,
                   int n, double* aOrg) {
  int x = 0;
#if defined(__SSE2__)
  const double u = (iPercent / 2) * 0.01;
  const __m128d vU = _mm_set1_pd(u), vFar = _mm_set1_pd(1.0 - u),
                vSpan = _mm_set1_pd(u - (1.0 - u)), vRow = _mm_set1_pd(dRow),
                vDiag = _mm_set1_pd(dDiag), one = _mm_set1_pd(1.0);
  for (; x + 2 <= n; x += 2) {
    const __m128d s = _mm_sqrt_pd(_mm_add_pd(_mm_loadu_pd(aColumnTerm + x), vRow));
    __m128d r;
    switch (iMode) {
      case MIX_CIRCLE_OUT:
        r = _mm_sub_pd(one, _mm_div_pd(s, vDiag));
        break;
      case MIX_CIRCLE_IN:
        r = _mm_div_pd(s, vDiag);
        break;
      case MIX_ELLIPSE_OUT:
        r = _mm_sub_pd(one, _mm_div_pd(_mm_mul_pd(_mm_set1_pd(1.1), s), _mm_set1_pd(2.0)));
        break;
      default:  // MIX_ELLIPSE_IN
        r = _mm_div_pd(_mm_mul_pd(_mm_set1_pd(1.1), s), _mm_set1_pd(2.0));
        break;
    }
    const __m128d ramp = _mm_div_pd(_mm_sub_pd(r, vFar), vSpan);
    const __m128d near = _mm_cmple_pd(r, vU), far = _mm_cmpge_pd(r, vFar);
    _mm_storeu_pd(aOrg + x,
                  _mm_or_pd(_mm_and_pd(near, one), _mm_andnot_pd(near, _mm_andnot_pd(far, ramp))));
  }
#endif
  for (; x < n; ++x) aOrg[x] = Sharpen(RadialRatio(iMode, aColumnTerm[x], dRow, dDiag), iPercent);
}

// The weights of the original in one output row, for a pixel loop without
// any per-pixel dispatch (the Xform's weight is always 1 - w, computed there).
// Each mode recomputes only what varies:
// - Uniform: one pair for the row (Even and unknown modes once, the vertical
//   ramps per row);
// - PerPixel: a weight per pixel, computed once for the horizontal ramps, per
//   row for circles and ellipses, where columns mirrored about the centre
//   share their weights whenever their column terms are equal, which halves
//   the square roots and divisions, and looked up per row in a table of 256
//   weights by the force field for Hsv.
// Rows mirrored about the centre have the same weights when their row terms
// are equal (MirrorRow); the mix loop then does both with one ForRow.
class CRowWeights {
 public:
  enum class Kind { Uniform, PerPixel };

  CRowWeights(const MixSettings& mix, int iWidth, int iHeight, double dDiag,
              const std::uint8_t* pField)
      : m_mix(mix), m_iWidth(iWidth), m_iHeight(iHeight), m_dDiag(dDiag), m_pField(pField) {
    const int iMode = mix.m_iMixMode;
    if (iMode != MIX_HSV && !IsRadial(iMode) && iMode != MIX_LEFT_RIGHT &&
        iMode != MIX_RIGHT_LEFT) {
      m_kind = Kind::Uniform;
      m_pair = MixWeight(mix, 0, 0, iWidth, iHeight, dDiag, nullptr);
      return;
    }
    m_kind = Kind::PerPixel;
    m_aOrg.resize(static_cast<std::size_t>(iWidth));
    if (iMode == MIX_HSV) {
      for (int f = 0; f < 256; ++f) m_aField[f] = HsvWeight(f);
      return;
    }
    if (!IsRadial(iMode)) {
      for (int x = 0; x < iWidth; ++x)
        m_aOrg[x] = MixWeight(mix, x, 0, iWidth, iHeight, dDiag, nullptr).m_dOrg;
      return;
    }
    m_aColumnTerm.resize(static_cast<std::size_t>(iWidth));
    m_aMirror.resize(static_cast<std::size_t>(iWidth), -1);
    // Columns up to the centre are never mirrored: they are computed at once.
    m_iFirstMirror = std::min(iWidth, iWidth / 2 + 1);
    for (int x = 0; x < iWidth; ++x) {
      m_aColumnTerm[x] = IsCircular(iMode) ? CircleTerm(x, iWidth) : EllipseTerm(x, iWidth);
      const int m = iWidth - x;
      if (m < x && m_aColumnTerm[m] == m_aColumnTerm[x]) m_aMirror[x] = m;
    }
  }

  Kind GetKind() const { return m_kind; }

  void ForRow(int y) {
    const int iMode = m_mix.m_iMixMode;
    if (m_kind == Kind::Uniform) {
      if (iMode == MIX_TOP_BOTTOM || iMode == MIX_BOTTOM_TOP)
        m_pair = MixWeight(m_mix, 0, y, m_iWidth, m_iHeight, m_dDiag, nullptr);
    } else if (iMode == MIX_HSV) {
      const std::uint8_t* pForce = m_pField + static_cast<std::size_t>(y) * m_iWidth;
      for (int x = 0; x < m_iWidth; ++x) m_aOrg[x] = m_aField[pForce[x]];
    } else if (IsRadial(iMode)) {
      const double dRow = RowTerm(y);
      RadialWeights(iMode, m_aColumnTerm.data(), dRow, m_dDiag, m_mix.m_iPercent, m_iFirstMirror,
                    m_aOrg.data());
      for (int x = m_iFirstMirror; x < m_iWidth; ++x)
        m_aOrg[x] = m_aMirror[x] >= 0 ? m_aOrg[m_aMirror[x]]
                                      : Sharpen(RadialRatio(iMode, m_aColumnTerm[x], dRow, m_dDiag),
                                                m_mix.m_iPercent);
    }
  }

  // A later row whose weights are those of row y, or -1.
  int MirrorRow(int y) const {
    if (m_kind != Kind::PerPixel || !IsRadial(m_mix.m_iMixMode)) return -1;
    const int m = m_iHeight - y;
    return m > y && m < m_iHeight && RowTerm(m) == RowTerm(y) ? m : -1;
  }

  // Uniform
  MixWeights m_pair{0.0, 1.0};
  // PerPixel
  std::vector<double> m_aOrg;

 private:
  Kind m_kind = Kind::Uniform;
  const MixSettings& m_mix;
  int m_iWidth, m_iHeight;
  double m_dDiag;
  const std::uint8_t* m_pField;
  double m_aField[256] = {};
  std::vector<double> m_aColumnTerm;
  std::vector<int> m_aMirror;  // an earlier column with the same term, or -1
  int m_iFirstMirror = 0;

  double RowTerm(int y) const {
    return IsCircular(m_mix.m_iMixMode) ? CircleTerm(y, m_iHeight) : EllipseTerm(y, m_iHeight);
  }
};

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

// Output pixels averaged and mixed at a time: the averaged bytes stay in the
// first-level cache between the two.
constexpr int kMixChunk = 256;

void ReduceAndMix(const CMixJob& job, int L) {
  const int iWidth = job.m_pOut->m_iWidth, iHeight = job.m_pOut->m_iHeight;
  const std::ptrdiff_t iStride = job.m_pSrc->m_iBytesPerRow;
  const bool bBlend = job.m_bMix && job.m_pOrg;
  std::vector<std::uint8_t> aAvg(bBlend && L > 1 ? static_cast<std::size_t>(3) * kMixChunk : 0);
  const mixrows::Path path = mixrows::FastestPath();
  std::unique_ptr<CRowWeights> weights;
  if (bBlend)
    weights =
        std::make_unique<CRowWeights>(*job.m_pMix, iWidth, iHeight, job.m_dDiag, job.m_pField);

  // Output row y lies in memory row H - 1 - y; its source block rows are
  // memory rows (H - 1 - y) L ... (H - 1 - y) L + L - 1.
  auto blockRow = [&](int y) {
    return job.m_pSrc->m_pBits + static_cast<std::ptrdiff_t>(iHeight - 1 - y) * L * iStride;
  };
  // Mixes row y with the weights of the last ForRow.
  auto mixRow = [&](int y) {
    const std::uint8_t* pBlockRow = blockRow(y);
    const std::uint8_t* pOrg = job.m_pOrg->Row(y);
    std::uint8_t* pOut = job.m_pOut->Row(y);
    for (int x0 = 0; x0 < iWidth; x0 += kMixChunk) {
      const int n = std::min(kMixChunk, iWidth - x0);
      const std::ptrdiff_t i0 = static_cast<std::ptrdiff_t>(3) * x0;
      const std::uint8_t* pAvg = pBlockRow + i0;
      if (L > 1) {
        mixrows::AverageRow(path, L, pBlockRow + i0 * L, iStride, n, aAvg.data());
        pAvg = aAvg.data();
      }
      // The mix is arithmetic: meanwhile the next chunk's block rows are
      // fetched, a part before each piece of the mix.
      const std::uint8_t* pNext = pBlockRow + (i0 + 3 * n) * L;
      const int iNextBytes = 3 * L * std::min(kMixChunk, iWidth - x0 - n);
      constexpr int kPiece = 32;
      const int iPieces = (n + kPiece - 1) / kPiece;
      const int iPieceBytes = (iNextBytes + iPieces - 1) / iPieces;
      for (int p = 0; p < n; p += kPiece) {
        const int m = std::min(kPiece, n - p);
        const int iFrom = (p / kPiece) * iPieceBytes;
        for (int b = iFrom; b < std::min(iNextBytes, iFrom + iPieceBytes); b += 64)
          for (int k = 0; k < L; ++k) __builtin_prefetch(pNext + k * iStride + b);
        const std::ptrdiff_t j = 3 * p;
        if (weights->GetKind() == CRowWeights::Kind::Uniform)
          mixrows::MixUniform(path, pAvg + j, pOrg + i0 + j, weights->m_pair.m_dOrg,
                              weights->m_pair.m_dXform, 3 * m, pOut + i0 + j);
        else
          mixrows::MixPerPixel(path, pAvg + j, pOrg + i0 + j, weights->m_aOrg.data() + x0 + p, m,
                               pOut + i0 + j);
      }
    }
  };
  // Progress counts the rows done, whatever their order.
  int iDone = 0;
  auto rowDone = [&]() {
    if (job.m_pPercent)
      job.m_pPercent->store(static_cast<int>(100LL * iDone / iHeight), std::memory_order_relaxed);
    ++iDone;
  };

  std::vector<bool> aMixed(bBlend ? static_cast<std::size_t>(iHeight) : 0, false);
  for (int y = 0; y < iHeight; ++y) {
    if (!job.m_bMix) {
      mixrows::AverageRow(path, L, blockRow(y), iStride, iWidth, job.m_pOut->Row(y));
    } else if (bBlend) {
      if (aMixed[y]) continue;  // done with its mirror row
      weights->ForRow(y);
      mixRow(y);
      const int m = weights->MirrorRow(y);
      if (m >= 0) {
        rowDone();
        mixRow(m);
        aMixed[m] = true;
      }
    }
    rowDone();
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

bool AAMixBlit(CDADC* pOut, const CDADC* pSrc, const CDADC* pOrg, const MixSettings* pMix,
               std::atomic<int>* pPercent, const MixStatusFn& fnStatus,
               const std::atomic<int>* pStop) {
  auto status = [&](const char* szText) {
    if (fnStatus) fnStatus(szText);
  };
  if (!pOut || !pSrc || !pOut->IsValid() || !pSrc->IsValid()) {
    ReportError("AAMB: missing output or Xform picture");
    return false;
  }
  const int iWidth = pOut->m_iWidth, iHeight = pOut->m_iHeight;
  const AreaSelection selection = pMix ? pMix->m_Selection : AreaSelection{};

  if (pOrg) {
    if (!pMix) {
      ReportError("AAMB: insufficient mix data");
      return false;
    }
    if (pOrg->m_iWidth != iWidth) {
      ReportError("AAMB: Origin and destination\nx sizes are different...");
      return false;
    }
    if (pOrg->m_iHeight != iHeight) {
      ReportError("AAMB: Origin and destination\ny sizes are different...");
      return false;
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
      field = MakeForceField(pOrg, selection, pStop);
      if (!field) return false;  // stopped or out of memory: no output
    }
  }

  const double dRatioX = static_cast<double>(pSrc->m_iWidth) / iWidth;
  const double dRatioY = static_cast<double>(pSrc->m_iHeight) / iHeight;
  if (dRatioY != dRatioX) {
    ReportError("AAMixBlit, non square pixel error");
    return false;
  }
  const int iLevel = static_cast<int>(dRatioX);
  if (iLevel < 1 || iLevel > 4) {
    ReportError("AAMixBlit, Bad aa level (%d)", iLevel);
    return false;
  }
  if (pSrc->m_iWidth / iWidth != iLevel) {
    ReportError("AAMixBlit, Bad aa level, odd sizes");
    return false;
  }

  if (iLevel == 1 && !bMix) {
    status("Output...");
    pOut->m_pDC->BitBlt(0, 0, iWidth, iHeight, *pSrc->m_pDC, 0, 0, SRCCOPY);
    status("");
    return true;
  }
  status(iLevel == 1 ? "Mixing..." : "Anti-alias...");
  const CMixJob job{pOut, pSrc, pOrg, pMix, bMix, dDiag, field.get(), pPercent};
  ReduceAndMix(job, iLevel);
  status("");
  return true;
}
