#include "imaging/aa_mix_simd.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace mixrows {

namespace {

template <int L>
void AveragePlain(const std::uint8_t* pBlockRow, std::ptrdiff_t iStride, int iWidth,
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

std::uint8_t MixByte(std::uint8_t a, std::uint8_t o, double w, double wx) {
  return static_cast<std::uint8_t>(static_cast<int>(a * wx + o * w));
}

#if defined(__SSE2__)

// The block sums are made in two steps, both exact in 16 bits (at most
// 16 x 255): the L rows are added column by column into a row of sums kept in
// the first-level cache, then the L pixels of each block are added from it.
// The three sums of a pixel lie in lanes 0..2 of a vector loaded at its first
// sum, those of the next pixel in lanes 3..5 of one loaded three sums
// earlier; two pixels go into one vector through masks.
constexpr int kChunk = 128;  // output pixels per row of sums

template <int L>
__m128i BlockSums(const std::uint16_t* p) {
  __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  for (int i = 1; i < L; ++i)
    s = _mm_add_epi16(s, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 3 * i)));
  return s;
}

template <int L>
__m128i TwoPixels(const std::uint16_t* p) {
  const __m128i mFirst = _mm_set_epi16(0, 0, 0, 0, 0, -1, -1, -1);
  const __m128i mSecond = _mm_set_epi16(0, 0, -1, -1, -1, 0, 0, 0);
  const __m128i a = _mm_and_si128(BlockSums<L>(p), mFirst);
  const __m128i b = _mm_and_si128(BlockSums<L>(p + 3 * L - 3), mSecond);
  return _mm_srli_epi16(_mm_or_si128(a, b), L == 2 ? 2 : 4);
}

template <int L>
void AverageSimd(const std::uint8_t* pBlockRow, std::ptrdiff_t iStride, int iWidth,
                 std::uint8_t* pAvg) {
  constexpr int P = 3 * L;  // sums per output pixel
  alignas(16) std::uint16_t aSum[P * kChunk + 32];
  const __m128i z = _mm_setzero_si128();
  for (int x0 = 0; x0 < iWidth; x0 += kChunk) {
    const int n = std::min(kChunk, iWidth - x0);
    const int iSums = P * n;
    const std::uint8_t* pSrc = pBlockRow + static_cast<std::ptrdiff_t>(P) * x0;
    int i = 0;
    for (; i + 16 <= iSums; i += 16) {
      __m128i lo = z, hi = z;
      for (int k = 0; k < L; ++k) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pSrc + k * iStride + i));
        lo = _mm_add_epi16(lo, _mm_unpacklo_epi8(v, z));
        hi = _mm_add_epi16(hi, _mm_unpackhi_epi8(v, z));
      }
      _mm_store_si128(reinterpret_cast<__m128i*>(aSum + i), lo);
      _mm_store_si128(reinterpret_cast<__m128i*>(aSum + i + 8), hi);
    }
    for (; i < iSums; ++i) {
      unsigned s = 0;
      for (int k = 0; k < L; ++k) s += pSrc[k * iStride + i];
      aSum[i] = static_cast<std::uint16_t>(s);
    }
    // The vectors of the last pixels reach a little past the sums; those
    // lanes are masked off, but are read.
    std::memset(aSum + iSums, 0, 32 * sizeof aSum[0]);

    // Four pixels a step, written as two 8-byte stores of 6 bytes each and 2
    // bytes that the next step (or the next chunk) overwrites; the last
    // pixel of the row is always left to the plain loop below.
    std::uint8_t* pOut = pAvg + 3 * x0;
    const int iSimd = x0 + n < iWidth ? n : n - 1;
    int x = 0;
    for (; x + 4 <= iSimd; x += 4) {
      const std::uint16_t* p = aSum + P * x;
      const __m128i v = _mm_packus_epi16(TwoPixels<L>(p), TwoPixels<L>(p + 2 * P));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(pOut + 3 * x), v);
      _mm_storel_epi64(reinterpret_cast<__m128i*>(pOut + 3 * x + 6), _mm_srli_si128(v, 8));
    }
    for (; x < n; ++x)
      for (int c = 0; c < 3; ++c) {
        unsigned s = 0;
        for (int k = 0; k < L; ++k) s += aSum[P * x + 3 * k + c];
        pOut[3 * x + c] = static_cast<std::uint8_t>(s / (L * L));
      }
  }
}

// The 16 bytes of v as 16 doubles, exactly: each byte becomes the low bits of
// the double 2^52 + v, from which 2^52 is subtracted.
void ToDoubles(__m128i v, __m128d d[8]) {
  const __m128i z = _mm_setzero_si128();
  const __m128i iHigh = _mm_set1_epi32(0x43300000);
  const __m128d dBias = _mm_set1_pd(4503599627370496.0);  // 2^52
  const __m128i lo = _mm_unpacklo_epi8(v, z), hi = _mm_unpackhi_epi8(v, z);
  const __m128i q[4] = {_mm_unpacklo_epi16(lo, z), _mm_unpackhi_epi16(lo, z),
                        _mm_unpacklo_epi16(hi, z), _mm_unpackhi_epi16(hi, z)};
  for (int k = 0; k < 4; ++k) {
    d[2 * k] = _mm_sub_pd(_mm_castsi128_pd(_mm_unpacklo_epi32(q[k], iHigh)), dBias);
    d[2 * k + 1] = _mm_sub_pd(_mm_castsi128_pd(_mm_unpackhi_epi32(q[k], iHigh)), dBias);
  }
}

// Truncates 16 doubles to int and keeps the low byte of each, as the cast
// to std::uint8_t does (the mixed values lie in 0..255 anyway).
__m128i ToBytes(const __m128d s[8]) {
  __m128i q[4];
  for (int k = 0; k < 4; ++k)
    q[k] = _mm_unpacklo_epi64(_mm_cvttpd_epi32(s[2 * k]), _mm_cvttpd_epi32(s[2 * k + 1]));
  const __m128i mByte = _mm_set1_epi16(0xFF);
  const __m128i lo = _mm_and_si128(_mm_packs_epi32(q[0], q[1]), mByte);
  const __m128i hi = _mm_and_si128(_mm_packs_epi32(q[2], q[3]), mByte);
  return _mm_packus_epi16(lo, hi);
}

// The 16 bytes at pAvg and pOrg mixed with the weights of their pairs of
// bytes: aW[k] for the original, aX[k] for the Xform picture.
void Mix16(const std::uint8_t* pAvg, const std::uint8_t* pOrg, const __m128d* aW,
           const __m128d* aX, std::uint8_t* pOut) {
  __m128d a[8], o[8], s[8];
  ToDoubles(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pAvg)), a);
  ToDoubles(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pOrg)), o);
  for (int k = 0; k < 8; ++k) s[k] = _mm_add_pd(_mm_mul_pd(a[k], aX[k]), _mm_mul_pd(o[k], aW[k]));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(pOut), ToBytes(s));
}

#endif  // __SSE2__

}  // namespace

#if defined(__SSE2__)

bool HasSimd() { return true; }

void AverageRow(int L, const std::uint8_t* pBlockRow, std::ptrdiff_t iStride, int iWidth,
                std::uint8_t* pOut) {
  switch (L) {
    case 2:
      AverageSimd<2>(pBlockRow, iStride, iWidth, pOut);
      break;
    case 4:
      AverageSimd<4>(pBlockRow, iStride, iWidth, pOut);
      break;
    default:
      AverageRowPlain(L, pBlockRow, iStride, iWidth, pOut);
      break;
  }
}

void MixUniform(const std::uint8_t* pAvg, const std::uint8_t* pOrg, double w, double wx, int n,
                std::uint8_t* pOut) {
  __m128d aW[8], aX[8];
  for (int k = 0; k < 8; ++k) {
    aW[k] = _mm_set1_pd(w);
    aX[k] = _mm_set1_pd(wx);
  }
  int i = 0;
  for (; i + 16 <= n; i += 16) Mix16(pAvg + i, pOrg + i, aW, aX, pOut + i);
  MixUniformPlain(pAvg + i, pOrg + i, w, wx, n - i, pOut + i);
}

void MixPerPixel(const std::uint8_t* pAvg, const std::uint8_t* pOrg, const double* aOrg,
                 int iWidth, std::uint8_t* pOut) {
  // 16 pixels (48 bytes, 24 pairs of bytes) a step. Pixels 2m and 2m + 1
  // give pairs 3m (2m, 2m), 3m + 1 (2m, 2m + 1) and 3m + 2 (2m + 1, 2m + 1).
  const __m128d one = _mm_set1_pd(1.0);
  int x = 0;
  for (; x + 16 <= iWidth; x += 16) {
    __m128d aW[24], aX[24];
    for (int m = 0; m < 8; ++m) {
      const __m128d w = _mm_loadu_pd(aOrg + x + 2 * m), wx = _mm_sub_pd(one, w);
      aW[3 * m] = _mm_unpacklo_pd(w, w);
      aW[3 * m + 1] = w;
      aW[3 * m + 2] = _mm_unpackhi_pd(w, w);
      aX[3 * m] = _mm_unpacklo_pd(wx, wx);
      aX[3 * m + 1] = wx;
      aX[3 * m + 2] = _mm_unpackhi_pd(wx, wx);
    }
    for (int g = 0; g < 3; ++g) {
      const int i = 3 * x + 16 * g;
      Mix16(pAvg + i, pOrg + i, aW + 8 * g, aX + 8 * g, pOut + i);
    }
  }
  MixPerPixelPlain(pAvg + 3 * x, pOrg + 3 * x, aOrg + x, iWidth - x, pOut + 3 * x);
}

#else

bool HasSimd() { return false; }

void AverageRow(int L, const std::uint8_t* pBlockRow, std::ptrdiff_t iStride, int iWidth,
                std::uint8_t* pOut) {
  AverageRowPlain(L, pBlockRow, iStride, iWidth, pOut);
}

void MixUniform(const std::uint8_t* pAvg, const std::uint8_t* pOrg, double w, double wx, int n,
                std::uint8_t* pOut) {
  MixUniformPlain(pAvg, pOrg, w, wx, n, pOut);
}

void MixPerPixel(const std::uint8_t* pAvg, const std::uint8_t* pOrg, const double* aOrg,
                 int iWidth, std::uint8_t* pOut) {
  MixPerPixelPlain(pAvg, pOrg, aOrg, iWidth, pOut);
}

#endif

void AverageRowPlain(int L, const std::uint8_t* pBlockRow, std::ptrdiff_t iStride, int iWidth,
                     std::uint8_t* pOut) {
  switch (L) {
    case 1:
      std::memcpy(pOut, pBlockRow, static_cast<std::size_t>(3) * iWidth);
      break;
    case 2:
      AveragePlain<2>(pBlockRow, iStride, iWidth, pOut);
      break;
    case 3:
      AveragePlain<3>(pBlockRow, iStride, iWidth, pOut);
      break;
    default:
      AveragePlain<4>(pBlockRow, iStride, iWidth, pOut);
      break;
  }
}

void MixUniformPlain(const std::uint8_t* pAvg, const std::uint8_t* pOrg, double w, double wx,
                     int n, std::uint8_t* pOut) {
  for (int i = 0; i < n; ++i) pOut[i] = MixByte(pAvg[i], pOrg[i], w, wx);
}

void MixPerPixelPlain(const std::uint8_t* pAvg, const std::uint8_t* pOrg, const double* aOrg,
                      int iWidth, std::uint8_t* pOut) {
  for (int x = 0; x < iWidth; ++x) {
    const double w = aOrg[x], wx = 1.0 - w;
    for (int c = 3 * x; c < 3 * x + 3; ++c) pOut[c] = MixByte(pAvg[c], pOrg[c], w, wx);
  }
}

}  // namespace mixrows
