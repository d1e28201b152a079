// The random numbers every Xform draws from. The generator is the classic
// linear congruential one (state * 214013 + 2531011, 15-bit results), kept
// per thread, so that a stored seed regenerates the same picture and draws on
// one thread never disturb another's sequence. Never use rand(): its
// generator differs between C libraries.
#pragma once

#include "platform/win_types.h"

constexpr int RAND_MAX_15 = 32767;

// Seeds this thread's generator (a new thread starts as if seeded with 1).
void SeedRandom(unsigned int iSeed);
// One raw draw, 0..32767.
int RawRandom();
// Moves this thread's generator on as iCount draws would, in time that grows
// with the logarithm of the count: for elements whose draws must be made so
// that later ones stay the same, but whose results are not needed (an
// element wholly outside the picture). Nothing for a count of 0 or less.
void SkipRandom(long long iCount);

// lo + r * (1/32767) * (hi - lo); both ends can occur. One draw.
double RandomReal(double dLo, double dHi);
// lo + ((hi - lo + 1) * r) / 32767 with r = 32767 taken as 32766. One draw.
int RandomInt(int iLo, int iHi);
// 1 when RandomInt(1, 100) > 50. One draw.
int RandomChance();
// Red, green, blue: three RandomInt(0, 255) draws in that order.
COLORREF RandomColour();

// This thread's generator, taken into a local object for a loop that draws
// millions of times: the same draws as RawRandom, RandomInt and RandomReal,
// in the same order, inline and without a thread-local lookup each. It takes
// the thread's state when made and gives it back when it goes, so the thread
// goes on as if the plain functions had drawn. Nothing else may draw on this
// thread while it lives (those draws would be overwritten).
class CRandomRun {
 public:
  CRandomRun();
  ~CRandomRun();
  CRandomRun(const CRandomRun&) = delete;
  CRandomRun& operator=(const CRandomRun&) = delete;

  // A run of its own, tied to no thread, that starts where this one will be
  // after iCount more draws: for work split between threads whose draws can
  // be counted beforehand. Reading this run meanwhile is safe; drawing from
  // it is not.
  CRandomRun Ahead(long long iCount) const;
  // Moves on as iCount draws would (SkipRandom).
  void Skip(long long iCount);

  int Raw() {
    const unsigned int iState = static_cast<unsigned int>(m_iState) * 214013u + 2531011u;
    m_iState = iState;
    return static_cast<int>((iState >> 16) & 0x7FFF);
  }
  int Int(int iLo, int iHi) {
    int r = Raw();
    if (r == RAND_MAX_15) r = RAND_MAX_15 - 1;
    // 64-bit product: wide ranges must not overflow.
    const long long iSpan = static_cast<long long>(iHi) - iLo + 1;
    return static_cast<int>(iLo + (iSpan * r) / RAND_MAX_15);
  }
  double Real(double dLo, double dHi) { return RealOf(Raw(), dLo, dHi); }
  // What Real gives for the raw draw r.
  static double RealOf(int r, double dLo, double dHi) {
    return dLo + r * (1.0 / 32767.0) * (dHi - dLo);
  }
  // The next three raw draws, as three Raw calls give them. Each of the three
  // states is one step from the current one, so none waits for the one before.
  void Raw3(int& r0, int& r1, int& r2) {
    constexpr unsigned int a = 214013u, c = 2531011u;
    const unsigned int iState = static_cast<unsigned int>(m_iState);
    const unsigned int s0 = iState * a + c;
    const unsigned int s1 = iState * (a * a) + (c * a + c);
    const unsigned int s2 = iState * (a * a * a) + ((c * a + c) * a + c);
    m_iState = s2;
    r0 = static_cast<int>((s0 >> 16) & 0x7FFF);
    r1 = static_cast<int>((s1 >> 16) & 0x7FFF);
    r2 = static_cast<int>((s2 >> 16) & 0x7FFF);
  }

 private:
  explicit CRandomRun(unsigned int iState) : m_iState(iState), m_bThread(false) {}

  // The 32-bit state, held in a wider type: a store through an unsigned int
  // pointer (a COLORREF table) cannot touch it, so a loop keeps it in a
  // register instead of reloading it after every such store.
  unsigned long long m_iState;
  bool m_bThread;  // hands its state back to the thread that made it
};
