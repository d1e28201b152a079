// Constants whose values are part of the look of every picture (they are
// these rounded values, not the exact mathematical ones), and the stop flag.
#pragma once

#include <atomic>

inline constexpr double TWO_PI = 6.28318;
inline constexpr double HALF_PI = 1.570795;
inline constexpr double ROOT_TWO = 1.4142135623730951;

// The default stop flag: what a context polls when no generation worker runs
// it (a worker points its runs at its own flag), and what the selection
// preview polls. Long loops poll their stop flag once per row, column or
// drawn element and give up when it is set.
extern std::atomic<int> g_bStop;
