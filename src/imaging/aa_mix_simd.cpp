#include "imaging/aa_mix_simd.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// AVX2 code is compiled for its own functions only (the rest of the build
// stays portable) and runs only where the processor has it.
#if defined(__SSE2__) && defined(__GNUC__) && defined(__x86_64__)
#define VX_MIX_AVX2 1
#include <immintrin.h>
#define VX_TARGET_AVX2 __attribute__((target("avx2")))
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

std::uint8_t MixByte(std::uint8_t a, std::uint8_t o, double w, double wx) {
  return static_cast<std::uint8_t>(static_cast<int>(a * wx + o * w));
}

void MixUniformPlain(const std::uint8_t* pAvg, const std::uint8_t* pOrg, double w, double wx, int n,
                     std::uint8_t* pOut) {
  for (int i = 0; i < n; ++i) pOut[i] = MixByte(pAvg[i], pOrg[i], w, wx);
}

void MixPerPixelPlain(const std::uint8_t* pAvg, const std::uint8_t* pOrg, const double* aOrg,
                      int iWidth, std::uint8_t* pOut) {
  for (int x = 0; x < iWidth; ++x) {
    const double w = aOrg[x], wx = 1.0 - w;
    for (int c = 3 * x; c < 3 * x + 3; ++c) pOut[c] = MixByte(pAvg[c], pOrg[c], w, wx);
  }
}

#if defined(__SSE2__)

// Sharpened ramps give long runs of pure pictures: 16 pixels whose weights
// are all 1 (or all 0) are the original's (or the average's) bytes, exactly
// as the arithmetic gives them (O * 1 + A * 0 = O). True when copied.
bool CopyPureRun(const std::uint8_t* pAvg, const std::uint8_t* pOrg, const double* aOrg,
                 std::uint8_t* pOut) {
  bool bOrg = true, bAvg = true;
  for (int i = 0; i < 16; ++i) {
    bOrg = bOrg && aOrg[i] == 1.0;
    bAvg = bAvg && aOrg[i] == 0.0;
  }
  if (bOrg || bAvg) std::memcpy(pOut, bOrg ? pOrg : pAvg, 48);
  return bOrg || bAvg;
}

// The block sums are made in two steps, both exact in 16 bits (at most
// 16 x 255): the L rows are added column by column into a row of sums kept in
// the first-level cache, then the L pixels of each block are added from it.
// The three sums of a pixel lie in lanes 0..2 of a vector loaded at its first
// sum, those of the next pixel in lanes 3..5 of one loaded three sums
// earlier; two pixels go into one vector through masks.
constexpr int kChunk = 128;  // output pixels per row of sums

using VerticalFn = void (*)(const std::uint8_t* pSrc, std::ptrdiff_t iStride, int iSums,
                            std::uint16_t* aSum);

template <int L>
void VerticalTail(const std::uint8_t* pSrc, std::ptrdiff_t iStride, int i, int iSums,
                  std::uint16_t* aSum) {
  for (; i < iSums; ++i) {
    unsigned s = 0;
    for (int k = 0; k < L; ++k) s += pSrc[k * iStride + i];
    aSum[i] = static_cast<std::uint16_t>(s);
  }
}

// Asks for the cache line at p + iOffset. A prefetch never faults, so the
// address may lie past the surface: it is formed as an integer.
void Prefetch(const std::uint8_t* p, std::ptrdiff_t iOffset) {
  _mm_prefetch(reinterpret_cast<const char*>(reinterpret_cast<std::uintptr_t>(p) + iOffset),
               _MM_HINT_T0);
}

// The processor's own prefetching leaves the L row streams short of the
// memory's pace: each cache line is asked for a kilobyte ahead as well
// (a sixth faster at L = 4; 512 to 2048 bytes ahead all do about as well).
template <int L>
void PrefetchAhead(const std::uint8_t* pSrc, std::ptrdiff_t iStride, int i) {
  constexpr int kAhead = 1024;
  if (i % 64 == 0)
    for (int k = 0; k < L; ++k) Prefetch(pSrc, k * iStride + i + kAhead);
}

template <int L>
void VerticalSse2(const std::uint8_t* pSrc, std::ptrdiff_t iStride, int iSums,
                  std::uint16_t* aSum) {
  const __m128i z = _mm_setzero_si128();
  int i = 0;
  for (; i + 16 <= iSums; i += 16) {
    PrefetchAhead<L>(pSrc, iStride, i);
    __m128i lo = z, hi = z;
    for (int k = 0; k < L; ++k) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pSrc + k * iStride + i));
      lo = _mm_add_epi16(lo, _mm_unpacklo_epi8(v, z));
      hi = _mm_add_epi16(hi, _mm_unpackhi_epi8(v, z));
    }
    _mm_store_si128(reinterpret_cast<__m128i*>(aSum + i), lo);
    _mm_store_si128(reinterpret_cast<__m128i*>(aSum + i + 8), hi);
  }
  VerticalTail<L>(pSrc, iStride, i, iSums, aSum);
}

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
void AverageChunks(const std::uint8_t* pBlockRow, std::ptrdiff_t iStride, int iWidth,
                   std::uint8_t* pAvg, VerticalFn fnVertical) {
  constexpr int P = 3 * L;  // sums per output pixel
  alignas(32) std::uint16_t aSum[P * kChunk + 32];
  for (int x0 = 0; x0 < iWidth; x0 += kChunk) {
    const int n = std::min(kChunk, iWidth - x0);
    const int iSums = P * n;
    fnVertical(pBlockRow + static_cast<std::ptrdiff_t>(P) * x0, iStride, iSums, aSum);
    // The vectors of the last pixels reach a little past the sums; those
    // lanes are masked off, but are read.
    std::memset(aSum + iSums, 0, 32 * sizeof aSum[0]);

    // Four pixels a step, written as two 8-byte stores of 6 bytes each and 2
    // bytes that the next step (or the next chunk) overwrites; the last
    // pixel of the row is always left to the plain loop below.
    std::uint8_t* pOut = pAvg + 3 * x0;
    const int iSimd = x0 + n < iWidth ? n : n - 1;
    // Meanwhile the next chunk's block rows are fetched, the same part of
    // each row as this step's.
    const std::uint8_t* pNext =
        x0 + n < iWidth ? pBlockRow + static_cast<std::ptrdiff_t>(P) * (x0 + n) : nullptr;
    int x = 0;
    for (; x + 4 <= iSimd; x += 4) {
      if (pNext)
        for (int k = 0; k < L; ++k) Prefetch(pNext, k * iStride + P * x);
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

// 16 values truncated to int, of which the low bytes are kept, as the cast to
// std::uint8_t does (the mixed values lie in 0..255 anyway).
__m128i LowBytes(__m128i q0, __m128i q1, __m128i q2, __m128i q3) {
  const __m128i mByte = _mm_set1_epi16(0xFF);
  const __m128i lo = _mm_and_si128(_mm_packs_epi32(q0, q1), mByte);
  const __m128i hi = _mm_and_si128(_mm_packs_epi32(q2, q3), mByte);
  return _mm_packus_epi16(lo, hi);
}

// The 16 bytes at pAvg and pOrg mixed with the weights of their pairs of
// bytes: aW[k] for the original, aX[k] for the Xform picture.
void Mix16(const std::uint8_t* pAvg, const std::uint8_t* pOrg, const __m128d* aW, const __m128d* aX,
           std::uint8_t* pOut) {
  __m128d a[8], o[8];
  ToDoubles(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pAvg)), a);
  ToDoubles(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pOrg)), o);
  __m128i q[4];
  for (int k = 0; k < 4; ++k) {
    const __m128d s0 = _mm_add_pd(_mm_mul_pd(a[2 * k], aX[2 * k]), _mm_mul_pd(o[2 * k], aW[2 * k]));
    const __m128d s1 = _mm_add_pd(_mm_mul_pd(a[2 * k + 1], aX[2 * k + 1]),
                                  _mm_mul_pd(o[2 * k + 1], aW[2 * k + 1]));
    q[k] = _mm_unpacklo_epi64(_mm_cvttpd_epi32(s0), _mm_cvttpd_epi32(s1));
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(pOut), LowBytes(q[0], q[1], q[2], q[3]));
}

void MixUniformSse2(const std::uint8_t* pAvg, const std::uint8_t* pOrg, double w, double wx, int n,
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

void MixPerPixelSse2(const std::uint8_t* pAvg, const std::uint8_t* pOrg, const double* aOrg,
                     int iWidth, std::uint8_t* pOut) {
  // 16 pixels (48 bytes, 24 pairs of bytes) a step. Pixels 2m and 2m + 1
  // give pairs 3m (2m, 2m), 3m + 1 (2m, 2m + 1) and 3m + 2 (2m + 1, 2m + 1).
  const __m128d one = _mm_set1_pd(1.0);
  int x = 0;
  for (; x + 16 <= iWidth; x += 16) {
    if (CopyPureRun(pAvg + 3 * x, pOrg + 3 * x, aOrg + x, pOut + 3 * x)) continue;
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

#endif  // __SSE2__

#if defined(VX_MIX_AVX2)

template <int L>
VX_TARGET_AVX2 void VerticalAvx2(const std::uint8_t* pSrc, std::ptrdiff_t iStride, int iSums,
                                 std::uint16_t* aSum) {
  int i = 0;
  for (; i + 16 <= iSums; i += 16) {
    PrefetchAhead<L>(pSrc, iStride, i);
    __m256i s = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pSrc + i)));
    for (int k = 1; k < L; ++k)
      s = _mm256_add_epi16(s, _mm256_cvtepu8_epi16(_mm_loadu_si128(
                                  reinterpret_cast<const __m128i*>(pSrc + k * iStride + i))));
    _mm256_store_si256(reinterpret_cast<__m256i*>(aSum + i), s);
  }
  VerticalTail<L>(pSrc, iStride, i, iSums, aSum);
}

// Four doubles from the bytes p[0..3], built as in ToDoubles.
VX_TARGET_AVX2 __m256d ToDoubles4(const std::uint8_t* p) {
  std::int32_t v;
  std::memcpy(&v, p, sizeof v);
  const __m256i q = _mm256_cvtepu8_epi64(_mm_cvtsi32_si128(v));
  return _mm256_sub_pd(
      _mm256_castsi256_pd(_mm256_or_si256(q, _mm256_set1_epi64x(0x4330000000000000))),
      _mm256_set1_pd(4503599627370496.0));
}

// The 16 bytes at pAvg and pOrg mixed with the weights of their groups of
// four bytes.
VX_TARGET_AVX2 void Mix16Avx2(const std::uint8_t* pAvg, const std::uint8_t* pOrg, const __m256d* aW,
                              const __m256d* aX, std::uint8_t* pOut) {
  __m128i q[4];
  for (int k = 0; k < 4; ++k) {
    const __m256d s = _mm256_add_pd(_mm256_mul_pd(ToDoubles4(pAvg + 4 * k), aX[k]),
                                    _mm256_mul_pd(ToDoubles4(pOrg + 4 * k), aW[k]));
    q[k] = _mm256_cvttpd_epi32(s);
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(pOut), LowBytes(q[0], q[1], q[2], q[3]));
}

VX_TARGET_AVX2 void MixUniformAvx2(const std::uint8_t* pAvg, const std::uint8_t* pOrg, double w,
                                   double wx, int n, std::uint8_t* pOut) {
  const __m256d aW[4] = {_mm256_set1_pd(w), _mm256_set1_pd(w), _mm256_set1_pd(w),
                         _mm256_set1_pd(w)};
  const __m256d aX[4] = {_mm256_set1_pd(wx), _mm256_set1_pd(wx), _mm256_set1_pd(wx),
                         _mm256_set1_pd(wx)};
  int i = 0;
  for (; i + 16 <= n; i += 16) Mix16Avx2(pAvg + i, pOrg + i, aW, aX, pOut + i);
  MixUniformPlain(pAvg + i, pOrg + i, w, wx, n - i, pOut + i);
}

VX_TARGET_AVX2 void MixPerPixelAvx2(const std::uint8_t* pAvg, const std::uint8_t* pOrg,
                                    const double* aOrg, int iWidth, std::uint8_t* pOut) {
  // 16 pixels (48 bytes, 12 groups of four bytes) a step. Pixels 4m .. 4m + 3
  // give groups 3m (4m, 4m, 4m, 4m + 1), 3m + 1 (4m + 1, 4m + 1, 4m + 2,
  // 4m + 2) and 3m + 2 (4m + 2, 4m + 3, 4m + 3, 4m + 3).
  const __m256d one = _mm256_set1_pd(1.0);
  int x = 0;
  for (; x + 16 <= iWidth; x += 16) {
    if (CopyPureRun(pAvg + 3 * x, pOrg + 3 * x, aOrg + x, pOut + 3 * x)) continue;
    __m256d aW[12], aX[12];
    for (int m = 0; m < 4; ++m) {
      const __m256d w = _mm256_loadu_pd(aOrg + x + 4 * m), wx = _mm256_sub_pd(one, w);
      aW[3 * m] = _mm256_permute4x64_pd(w, 0x40);
      aW[3 * m + 1] = _mm256_permute4x64_pd(w, 0xA5);
      aW[3 * m + 2] = _mm256_permute4x64_pd(w, 0xFE);
      aX[3 * m] = _mm256_permute4x64_pd(wx, 0x40);
      aX[3 * m + 1] = _mm256_permute4x64_pd(wx, 0xA5);
      aX[3 * m + 2] = _mm256_permute4x64_pd(wx, 0xFE);
    }
    for (int g = 0; g < 3; ++g) {
      const int i = 3 * x + 16 * g;
      Mix16Avx2(pAvg + i, pOrg + i, aW + 4 * g, aX + 4 * g, pOut + i);
    }
  }
  MixPerPixelPlain(pAvg + 3 * x, pOrg + 3 * x, aOrg + x, iWidth - x, pOut + 3 * x);
}

#endif  // VX_MIX_AVX2

}  // namespace

bool Supports(Path path) {
  switch (path) {
    case Path::Plain:
      return true;
    case Path::Sse2:
#if defined(__SSE2__)
      return true;
#else
      return false;
#endif
    case Path::Avx2:
#if defined(VX_MIX_AVX2)
      return __builtin_cpu_supports("avx2");
#else
      return false;
#endif
  }
  return false;
}

Path FastestPath() {
  static const Path s_path =
      Supports(Path::Avx2) ? Path::Avx2 : (Supports(Path::Sse2) ? Path::Sse2 : Path::Plain);
  return s_path;
}

namespace {
// A path the build or processor lacks falls back to the next slower one.
Path Usable(Path path) {
  if (path == Path::Avx2 && !Supports(path)) path = Path::Sse2;
  if (path == Path::Sse2 && !Supports(path)) path = Path::Plain;
  return path;
}
}  // namespace

void AverageRow(Path path, int L, const std::uint8_t* pBlockRow, std::ptrdiff_t iStride, int iWidth,
                std::uint8_t* pOut) {
  path = Usable(path);
  if (path == Path::Plain || (L != 2 && L != 4)) {
    AverageRowPlain(L, pBlockRow, iStride, iWidth, pOut);
    return;
  }
#if defined(__SSE2__)
  VerticalFn fnVertical = L == 2 ? VerticalSse2<2> : VerticalSse2<4>;
#if defined(VX_MIX_AVX2)
  if (path == Path::Avx2) fnVertical = L == 2 ? VerticalAvx2<2> : VerticalAvx2<4>;
#endif
  if (L == 2)
    AverageChunks<2>(pBlockRow, iStride, iWidth, pOut, fnVertical);
  else
    AverageChunks<4>(pBlockRow, iStride, iWidth, pOut, fnVertical);
#endif
}

void MixUniform(Path path, const std::uint8_t* pAvg, const std::uint8_t* pOrg, double w, double wx,
                int n, std::uint8_t* pOut) {
  switch (Usable(path)) {
#if defined(VX_MIX_AVX2)
    case Path::Avx2:
      MixUniformAvx2(pAvg, pOrg, w, wx, n, pOut);
      return;
#endif
#if defined(__SSE2__)
    case Path::Sse2:
      MixUniformSse2(pAvg, pOrg, w, wx, n, pOut);
      return;
#endif
    default:
      MixUniformPlain(pAvg, pOrg, w, wx, n, pOut);
      return;
  }
}

void MixPerPixel(Path path, const std::uint8_t* pAvg, const std::uint8_t* pOrg, const double* aOrg,
                 int iWidth, std::uint8_t* pOut) {
  switch (Usable(path)) {
#if defined(VX_MIX_AVX2)
    case Path::Avx2:
      MixPerPixelAvx2(pAvg, pOrg, aOrg, iWidth, pOut);
      return;
#endif
#if defined(__SSE2__)
    case Path::Sse2:
      MixPerPixelSse2(pAvg, pOrg, aOrg, iWidth, pOut);
      return;
#endif
    default:
      MixPerPixelPlain(pAvg, pOrg, aOrg, iWidth, pOut);
      return;
  }
}

}  // namespace mixrows
