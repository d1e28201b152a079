// Loops over the rows of a picture shared between the processor's cores.
// Each block of rows is worked on by one thread, and nothing a block
// computes depends on another block or on timing, so a picture comes out
// the same to the bit however many blocks ran.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <new>

#include "platform/dc.h"

// The most blocks one loop is split into.
inline constexpr int kMaxRowBlocks = 8;

// How many blocks a loop over iRows rows uses: one per core (or the limit
// set below), at most kMaxRowBlocks, none shorter than iMinRows rows, and
// always at least one.
int RowBlockCount(int iRows, int iMinRows = 64);

// Caps the blocks of every later loop (0: one per core). A program that
// makes several ideas at once gives each fewer cores.
void LimitRowBlocks(int iMaxBlocks);

// Runs fnBlock(iBlock, iFirstRow, iEndRow) for iBlock = 0 .. iBlocks - 1;
// the blocks split [0, iRows) into consecutive runs. Block 0 runs on the
// calling thread (so it is the one that reports progress), each other block
// on a thread of its own, or after block 0 on the calling thread when the
// system gives no thread. Returns when every block has ended. A block writes
// only its own rows and its own slot of any per-block result.
void ForEachRowBlock(int iRows, int iBlocks, const std::function<void(int, int, int)>& fnBlock);

// The DC's bitmap when a pass may write its bytes itself instead of drawing
// (no clip region, the copy mode, at least iWidth x iHeight); else null.
inline CBitmap* DirectlyWritable(CDC& dc, int iWidth, int iHeight) {
  CBitmap* pBitmap = dc.GetCurrentBitmap();
  return pBitmap && !dc.HasClipRegion() && dc.GetROP2() == R2_COPYPEN &&
                 pBitmap->Width() >= iWidth && pBitmap->Height() >= iHeight
             ? pBitmap
             : nullptr;
}

// A value per picture pixel kept from a texture pass (whose rows the blocks
// share) for the colour pass after it. When the colour pass writes the
// surface's bytes itself and each pixel's block holds a double in its first
// row (quality 4), the value is kept there, where the pixel's own colour
// later overwrites it: no memory of its own. Otherwise it takes a buffer;
// without memory for one nothing is kept and the caller works the values
// out again (to the same bits).
class CKeptTexture {
 public:
  // pDirect: the surface's bitmap when the colour pass writes it directly
  // (else null); w x h: the picture; s: the quality (the surface is s times
  // larger each way).
  CKeptTexture(CBitmap* pDirect, int w, int h, int s)
      : m_pInSurface(pDirect && 3 * s >= static_cast<int>(sizeof(double)) ? pDirect : nullptr),
        m_w(w),
        m_s(s) {
    if (!m_pInSurface)
      m_pValues.reset(new (std::nothrow) double[static_cast<std::size_t>(w) * h]);
  }
  bool IsKept() const { return m_pInSurface || m_pValues; }
  void Keep(int x, int y, double n) {
    if (m_pInSurface)
      std::memcpy(At(x, y), &n, sizeof n);
    else
      m_pValues[static_cast<std::size_t>(y) * m_w + x] = n;
  }
  double Kept(int x, int y) const {
    double n;
    if (m_pInSurface)
      std::memcpy(&n, At(x, y), sizeof n);
    else
      n = m_pValues[static_cast<std::size_t>(y) * m_w + x];
    return n;
  }

 private:
  std::uint8_t* At(int x, int y) const {
    return m_pInSurface->Row(y * m_s) + static_cast<std::size_t>(3) * m_s * x;
  }

  CBitmap* m_pInSurface;
  int m_w, m_s;
  std::unique_ptr<double[]> m_pValues;
};
