// Pictures whose pixels are worked out column by column (the random
// generator's order) but written along the surface's rows: a band of a few
// columns at a time, its forces copied out along the rows and its colours
// kept along the rows, both small enough to stay in the cache.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/dc.h"
#include "platform/win_types.h"

// Copies the forces of columns [x0, x0 + n) of a w x h field out along the
// rows: pixel (x0 + j, y) to pTo[y * n + j].
inline void CopyBandForces(const std::uint8_t* pField, int w, int h, int x0, int n,
                           std::uint8_t* pTo) {
  for (int y = 0; y < h; ++y)
    std::memcpy(pTo + static_cast<std::size_t>(y) * n,
                pField + static_cast<std::size_t>(y) * w + x0, static_cast<std::size_t>(n));
}

// Writes the first k of a band's n columns, pixel (x0 + j, y)'s colour at
// pColours[y * n + j], as the first rows of the s x s blocks of block rows
// 0 .. iRows - 1, the surface cut at column iRight. Every pixel but each
// row's last is stored as four bytes, the fourth the next pixel's first,
// written after it; the last takes three, so that the columns beyond may be
// another thread's.
inline void WriteBandRows(CBitmap& bitmap, const COLORREF* pColours, int n, int k, int iRows,
                          int x0, int s, int iRight) {
  const int X0 = x0 * s, X1 = std::min((x0 + k) * s, iRight);
  if (X0 >= X1) return;
  const int iLast = X1 - X0 - 1;
  auto put = [](std::uint8_t* p, COLORREF c, bool bSpill) {
    if (bSpill) {
      const std::uint32_t v = ((c >> 16) & 0xFF) | (c & 0xFF00) | ((c & 0xFF) << 16);
      std::memcpy(p, &v, 4);  // little-endian: blue, green, red, then the spilt byte
    } else {
      p[0] = static_cast<std::uint8_t>(GetBValue(c));
      p[1] = static_cast<std::uint8_t>(GetGValue(c));
      p[2] = static_cast<std::uint8_t>(GetRValue(c));
    }
  };
  for (int y = 0; y < iRows; ++y) {
    std::uint8_t* pRow = bitmap.Row(y * s) + static_cast<std::size_t>(3) * X0;
    const COLORREF* pLine = pColours + static_cast<std::size_t>(y) * n;
    if (s == 1) {
      for (int i = 0; i < iLast; ++i) put(pRow + 3 * i, pLine[i], true);
      put(pRow + 3 * iLast, pLine[iLast], false);
      continue;
    }
    for (int j = 0, i = 0; i <= iLast; ++j)
      for (const int iEnd = std::min(i + s, iLast + 1); i < iEnd; ++i)
        put(pRow + 3 * i, pLine[j], i < iLast);
  }
}
