// Constants whose values are part of the look of every picture (they are
// these rounded values, not the exact mathematical ones), and the stop flag.
#pragma once

#include <atomic>

inline constexpr double TWO_PI = 6.28318;
inline constexpr double HALF_PI = 1.570795;
inline constexpr double ROOT_TWO = 1.4142135623730951;

// Set by STOP, cleared by the generation engine; every long loop polls it once
// per row, column or drawn element and gives up when it is set.
extern std::atomic<int> g_bStop;
