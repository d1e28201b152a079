#include "imaging/random.h"

namespace {

thread_local unsigned int t_iRandomState = 1;

// The state iCount draws after iState, in time that grows with the logarithm
// of the count.
unsigned int StateAfter(unsigned int iState, long long iCount) {
  if (iCount <= 0) return iState;
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
  return A * iState + C;
}

}  // namespace

void SeedRandom(unsigned int iSeed) { t_iRandomState = iSeed; }

CRandomRun::CRandomRun() : m_iState(t_iRandomState), m_bThread(true) {}

CRandomRun::~CRandomRun() {
  if (m_bThread) t_iRandomState = static_cast<unsigned int>(m_iState);
}

CRandomRun CRandomRun::Ahead(long long iCount) const {
  return CRandomRun(StateAfter(static_cast<unsigned int>(m_iState), iCount));
}

void CRandomRun::Skip(long long iCount) {
  m_iState = StateAfter(static_cast<unsigned int>(m_iState), iCount);
}

int RawRandom() { return CRandomRun().Raw(); }

void SkipRandom(long long iCount) { t_iRandomState = StateAfter(t_iRandomState, iCount); }

// The plain draws are those of a run made and given back at once: one formula
// for both (64-bit product in RandomInt: wide ranges must not overflow, same
// result where the 32-bit product fits).
double RandomReal(double dLo, double dHi) { return CRandomRun().Real(dLo, dHi); }

int RandomInt(int iLo, int iHi) { return CRandomRun().Int(iLo, iHi); }

int RandomChance() { return RandomInt(1, 100) > 50 ? 1 : 0; }

COLORREF RandomColour() {
  const int r = RandomInt(0, 255);
  const int g = RandomInt(0, 255);
  const int b = RandomInt(0, 255);
  return RGB(r, g, b);
}
