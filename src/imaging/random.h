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
