#include "imaging/random.h"

namespace {
thread_local unsigned int t_iRandomState = 1;
}

void SeedRandom(unsigned int iSeed) { t_iRandomState = iSeed; }

int RawRandom() {
  t_iRandomState = t_iRandomState * 214013u + 2531011u;
  return static_cast<int>((t_iRandomState >> 16) & 0x7FFF);
}

void SkipRandom(long long iCount) {
  if (iCount <= 0) return;
  // n steps of x -> a x + c are x -> A x + C; square the step while halving n.
  unsigned int a = 214013u, c = 2531011u, A = 1u, C = 0u;
  for (unsigned long long n = static_cast<unsigned long long>(iCount); n; n >>= 1) {
    if (n & 1) {
      A = A * a;
      C = C * a + c;
    }
    c = (a + 1u) * c;
    a = a * a;
  }
  t_iRandomState = A * t_iRandomState + C;
}

double RandomReal(double dLo, double dHi) {
  const int r = RawRandom();
  return dLo + r * (1.0 / 32767.0) * (dHi - dLo);
}

int RandomInt(int iLo, int iHi) {
  int r = RawRandom();
  if (r == RAND_MAX_15) r = RAND_MAX_15 - 1;
  // 64-bit product: wide ranges must not overflow (same result where the
  // 32-bit product fits).
  const long long iSpan = static_cast<long long>(iHi) - iLo + 1;
  return static_cast<int>(iLo + (iSpan * r) / RAND_MAX_15);
}

int RandomChance() { return RandomInt(1, 100) > 50 ? 1 : 0; }

COLORREF RandomColour() {
  const int r = RandomInt(0, 255);
  const int g = RandomInt(0, 255);
  const int b = RandomInt(0, 255);
  return RGB(r, g, b);
}
