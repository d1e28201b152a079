// Pictures whose every pixel becomes one opaque s x s block, written straight
// into the surface with the rows shared between the cores: the bytes that one
// fill per pixel would leave, each written once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "imaging/row_blocks.h"
#include "xforms/progress.h"
#include "xforms/xform_context.h"

// The bytes of one pixel as the surface holds them (blue, green, red).
using PixelBytes = std::array<std::uint8_t, 3>;

inline PixelBytes BytesOf(COLORREF cr) {
  return {static_cast<std::uint8_t>(GetBValue(cr)), static_cast<std::uint8_t>(GetGValue(cr)),
          static_cast<std::uint8_t>(GetRValue(cr))};
}

// Writes the w x h picture into bitmap as s x s blocks in iBlocks blocks of
// rows (ForEachRowBlock): fnPixel(iBlock, x, y) gives picture pixel (x, y)'s
// bytes; each row is written once and copied s - 1 times below it. Block 0
// reports progress over iLo..iHi; a block ends after the row in which a stop
// is asked for.
template <class PixelFn>
void WriteBlocksByRows(CBitmap& bitmap, int w, int h, int s, int iBlocks, const XformContext& ctx,
                       int iLo, int iHi, PixelFn fnPixel) {
  const std::size_t iRowBytes = static_cast<std::size_t>(3) * w * s;
  ForEachRowBlock(h, iBlocks, [&](int iBlock, int iFirst, int iEnd) {
    for (int y = iFirst; y < iEnd; ++y) {
      std::uint8_t* const pRow = bitmap.Row(y * s);
      std::uint8_t* p = pRow;
      for (int x = 0; x < w; ++x) {
        const PixelBytes b = fnPixel(iBlock, x, y);
        for (int i = 0; i < s; ++i, p += 3) std::memcpy(p, b.data(), 3);
      }
      for (int i = 1; i < s; ++i) std::memcpy(bitmap.Row(y * s + i), pRow, iRowBytes);
      if (iBlock == 0) SetPercent(ctx.m_pPercent, iLo, iHi, 100 * (y - iFirst) / (iEnd - iFirst));
      if (ctx.Stopped()) break;
    }
  });
}
