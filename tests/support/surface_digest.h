// A digest of a surface's pixels, shared by the tests and the benchmark-side
// exactness check (no test framework here).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "imaging/dadc.h"

// FNV-1a over the pixels of every row (padding left out), as 16 hex digits.
inline std::string SurfaceDigest(const CDADC& s) {
  std::uint64_t h = 1469598103934665603ull;
  for (int y = 0; y < s.m_iHeight; ++y) {
    const std::uint8_t* p = s.Row(y);
    for (int i = 0; i < 3 * s.m_iWidth; ++i) {
      h ^= p[i];
      h *= 1099511628211ull;
    }
  }
  char sz[17];
  std::snprintf(sz, sizeof sz, "%016llx", static_cast<unsigned long long>(h));
  return sz;
}
