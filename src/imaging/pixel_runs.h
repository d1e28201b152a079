// Runs of one colour written straight into a 24-bit surface row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/win_types.h"

// A colour as 16 pixels' bytes, for writing runs 48 bytes at a time.
struct RunColour {
  explicit RunColour(COLORREF cr) {
    for (int i = 0; i < 16; ++i) {
      a[3 * i] = static_cast<std::uint8_t>(GetBValue(cr));
      a[3 * i + 1] = static_cast<std::uint8_t>(GetGValue(cr));
      a[3 * i + 2] = static_cast<std::uint8_t>(GetRValue(cr));
    }
  }
  std::uint8_t a[48];
};

// Pixels [x0, x1) of the row (x0 <= x1) in the colour.
inline void WritePixels(std::uint8_t* pRow, int x0, int x1, const RunColour& paint) {
  std::uint8_t* p = pRow + 3 * static_cast<std::size_t>(x0);
  int n = x1 - x0;
  for (; n >= 16; n -= 16, p += 48) std::memcpy(p, paint.a, 48);
  std::memcpy(p, paint.a, 3 * static_cast<std::size_t>(n));
}
