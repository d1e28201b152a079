#include "xforms/marilyn_warhol.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "imaging/random.h"
#include "imaging/row_blocks.h"
#include "platform/dc.h"
#include "xforms/progress.h"

int ValidateMarilyn(MarilynParams& p) {
  auto clamp = [](std::int32_t& v) { v = v < 1 ? 1 : (v > 8 ? 8 : v); };
  clamp(p.m_iAcross);
  clamp(p.m_iDown);
  if (p.m_iInks > 5) p.m_iInks = 5;
  return 1;
}

void AutochooseMarilyn(MarilynParams& p) {
  p.m_iAcross = RandomInt(1, 8);
  const int r = RandomInt(0, 100);
  p.m_iDown = r >= 90 ? RandomInt(1, 8) : p.m_iAcross;
  p.m_iSplodge = RandomInt(0, 6);
}

int MarilynLevel(int g, int c, int d, int n) {
  if (n <= 0) return n / 2;  // no band at all
  // The smallest k with c + (d - c) (k + 1) / n >= g (integer division) is
  // the smallest with (d - c) (k + 1) >= (g - c) n.
  const long long m = g - c, span = d - c;
  if (m <= 0 || span <= 0) return 0;
  const long long k = (m * n + span - 1) / span - 1;
  return k < n ? static_cast<int>(k) : n / 2;
}

namespace {

struct CFree {
  void operator()(void* p) const { std::free(p); }
};
template <class T>
using Block = std::unique_ptr<T[], CFree>;

// dCount elements of T from the allocator (never a request for 0 bytes);
// null when the count is absurd or the memory cannot be had.
template <class T>
Block<T> Allocate(MarilynAllocator pfnAllocate, double dCount) {
  if (!(dCount >= 0) || dCount * sizeof(T) > 1e12) return nullptr;
  const std::size_t iBytes = static_cast<std::size_t>(dCount) * sizeof(T);
  return Block<T>(static_cast<T*>(pfnAllocate(iBytes ? iBytes : 1)));
}

// The force of every input pixel: the area selection's weight of its colour.
// False when all of them are equal (read so far, after a stop).
bool ReadForces(const CDADC& in, const XformContext& ctx, std::uint8_t* v, int& c, int& d) {
  const int w = in.m_iWidth, h = in.m_iHeight;
  c = 10241024;
  d = -1;
  SetStatusText("Creating...");
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int f = ctx.m_Select.Weight(in.m_pDC->GetPixel(x, y));
      v[static_cast<std::size_t>(y) * w + x] = static_cast<std::uint8_t>(f);
      if (f < c) c = f;
      if (f > d) d = f;
    }
    SetPercent(ctx.m_pPercent, 0, 25, y * 100 / h);
    if (ctx.Stopped()) break;
  }
  return c != d;
}

// g := the integer mean of v over the (2a + 1) x (2a + 1) window around each
// pixel, counting only the pixels inside the picture. Running sums (of each
// column over the window's rows, and of those along the row) give every mean
// in constant time; the sums and counts are those of the window itself.
bool Splodge(const std::uint8_t* v, std::uint8_t* g, int w, int h, int a,
             MarilynAllocator pfnAllocate, const XformContext& ctx) {
  Block<long long> col = Allocate<long long>(pfnAllocate, w);
  if (!col) return false;
  auto at = [v, w](int x, int y) { return v[static_cast<std::size_t>(y) * w + x]; };
  SetStatusText("Splodging...");
  for (int x = 0; x < w; ++x) {
    col[x] = 0;
    for (int y = 0; y <= a && y < h; ++y) col[x] += at(x, y);
  }
  for (int y = 0; y < h; ++y) {
    if (y > 0) {
      for (int x = 0; x < w; ++x) {
        if (y + a < h) col[x] += at(x, y + a);
        if (y - a - 1 >= 0) col[x] -= at(x, y - a - 1);
      }
    }
    const long long iRows = (y + a < h ? y + a : h - 1) - (y - a > 0 ? y - a : 0) + 1;
    long long sum = 0;
    for (int x = 0; x <= a && x < w; ++x) sum += col[x];
    for (int x = 0; x < w; ++x) {
      if (x > 0) {
        if (x + a < w) sum += col[x + a];
        if (x - a - 1 >= 0) sum -= col[x - a - 1];
      }
      const long long iColumns = (x + a < w ? x + a : w - 1) - (x - a > 0 ? x - a : 0) + 1;
      g[static_cast<std::size_t>(y) * w + x] = static_cast<std::uint8_t>(sum / (iRows * iColumns));
    }
    SetPercent(ctx.m_pPercent, 25, 50, y * 100 / h);
  }
  return true;
}

// Each softened value becomes its band (in place).
void Bands(std::uint8_t* g, int w, int h, int n, int c, int d, const XformContext& ctx) {
  std::uint8_t aLevel[256];
  for (int i = 0; i < 256; ++i) aLevel[i] = static_cast<std::uint8_t>(MarilynLevel(i, c, d, n));
  for (int y = 0; y < h; ++y) {
    std::uint8_t* pRow = g + static_cast<std::size_t>(y) * w;
    for (int x = 0; x < w && !ctx.Stopped(); ++x) pRow[x] = aLevel[pRow[x]];
    SetPercent(ctx.m_pPercent, 50, 75, y * 100 / h);
  }
}

// The grid of copies, each in its own palette (n inks per copy, drawn copy
// column by copy column).
void Print(const std::uint8_t* pLevels, int w, int h, const COLORREF* pPalettes, int n, int nx,
           int ny, CDADC& out, int s, const XformContext& ctx) {
  const long long W = out.m_iWidth, H = out.m_iHeight;
  // The column of the levels for each column of a copy depends only on the
  // column's place in its copy: worked out once, not divided out per pixel.
  long long iWidest = 0;
  for (int i = 0; i < nx; ++i) iWidest = std::max(iWidest, W * (i + 1) / nx - W * i / nx);
  std::vector<int> aColumn;
  try {
    aColumn.resize(static_cast<std::size_t>(iWidest));
  } catch (const std::bad_alloc&) {
    aColumn.clear();
  }
  const bool bTable = !aColumn.empty();
  for (long long o = 0; bTable && o < iWidest; ++o)
    aColumn[static_cast<std::size_t>(o)] = static_cast<int>(o * nx / s % w);

  CBitmap* pBitmap = out.m_pDC->GetCurrentBitmap();
  if (bTable && pBitmap && !out.m_pDC->HasClipRegion() && out.m_pDC->GetROP2() == R2_COPYPEN &&
      pBitmap->Width() >= W && pBitmap->Height() >= H) {
    // SetPixel is then a plain store, and the copies do not overlap: the
    // rows of the surface are shared between the cores, each writing the
    // bytes of every copy along its own rows.
    const int iRows = static_cast<int>(H);
    ForEachRowBlock(iRows, RowBlockCount(iRows), [&](int iBlock, int iFirst, int iEnd) {
      int j = 0;  // the copy row of row y
      for (long long y = iFirst; y < iEnd; ++y) {
        while (H * (j + 1) / ny <= y) ++j;
        const long long y0 = H * j / ny;
        const std::uint8_t* pRow = pLevels + ((y - y0) * ny / s % h) * w;
        std::uint8_t* pOut = pBitmap->Row(static_cast<int>(y));
        for (int i = 0; i < nx; ++i) {
          const COLORREF* pPalette = pPalettes + (static_cast<std::size_t>(i) * ny + j) * n;
          const long long x0 = W * i / nx, x1 = W * (i + 1) / nx;
          std::uint8_t* px = pOut + 3 * x0;
          for (long long o = 0; o < x1 - x0; ++o, px += 3) {
            const int k = pRow[aColumn[static_cast<std::size_t>(o)]];
            if (k >= n) break;
            const COLORREF c = pPalette[k];
            px[0] = static_cast<std::uint8_t>(GetBValue(c));
            px[1] = static_cast<std::uint8_t>(GetGValue(c));
            px[2] = static_cast<std::uint8_t>(GetRValue(c));
          }
        }
        if (iBlock == 0)
          SetPercent(ctx.m_pPercent, 75, 100,
                     static_cast<int>((y - iFirst) * 100 / std::max(1, iEnd - iFirst)));
        if (ctx.Stopped()) break;
      }
    });
    return;
  }

  bool bStopped = false;
  for (int j = 0; j < ny && !bStopped; ++j) {
    for (int i = 0; i < nx && !bStopped; ++i) {
      const COLORREF* pPalette = pPalettes + (static_cast<std::size_t>(i) * ny + j) * n;
      const long long x0 = W * i / nx, x1 = W * (i + 1) / nx;
      const long long y0 = H * j / ny, y1 = H * (j + 1) / ny;
      for (long long y = y0; y < y1; ++y) {
        const std::uint8_t* pRow = pLevels + ((y - y0) * ny / s % h) * w;
        for (long long x = x0; x < x1; ++x) {
          const long long o = x - x0;
          const int k = pRow[bTable ? aColumn[static_cast<std::size_t>(o)] : o * nx / s % w];
          if (k >= n) break;
          out.m_pDC->SetPixel(static_cast<int>(x), static_cast<int>(y), pPalette[k]);
        }
        if (ctx.Stopped()) {
          bStopped = true;
          break;
        }
      }
      SetPercent(ctx.m_pPercent, 75, 100,
                 static_cast<int>((j * nx + i + 1LL) * 100 / (static_cast<long long>(nx) * ny)));
    }
  }
}

}  // namespace

int ApplyMarilyn(const MarilynParams& p, XformContext& ctx) {
  return ApplyMarilynWith(p, ctx, [](std::size_t iBytes) { return std::malloc(iBytes); });
}

int ApplyMarilynWith(const MarilynParams& p, XformContext& ctx, MarilynAllocator pfnAllocate) {
  if (!ctx.IsValid()) return 0;
  const CDADC& in = *ctx.m_pIn;
  const int w = in.m_iWidth, h = in.m_iHeight, s = ctx.ScaleFactor();
  const int n = p.m_iInks, nx = p.m_iAcross, ny = p.m_iDown;
  // A negative radius is no blur; one beyond the picture blurs no more than
  // the whole picture.
  int a = p.m_iSplodge < 0 ? 0 : p.m_iSplodge;
  if (a > w && a > h) a = w > h ? w : h;

  SetStatusText("Mary Mary...");
  SetPercent(ctx.m_pPercent, 0, 100, 0);
  // The forces, then the levels in the second half.
  const double dPixels = static_cast<double>(w) * h;
  Block<std::uint8_t> pMap = Allocate<std::uint8_t>(pfnAllocate, 2 * dPixels);
  if (!pMap) return 0;
  std::memset(pMap.get(), 0, static_cast<std::size_t>(2 * dPixels));
  std::uint8_t* pForces = pMap.get();
  std::uint8_t* pLevels = pMap.get() + static_cast<std::size_t>(dPixels);

  int c, d;
  if (!ReadForces(in, ctx, pForces, c, d) || !Splodge(pForces, pLevels, w, h, a, pfnAllocate, ctx))
    return 0;
  Bands(pLevels, w, h, n, c, d, ctx);

  // Without palettes nothing can be printed: that is a failed idea.
  const double dInks = nx > 0 && ny > 0 && n > 0 ? static_cast<double>(nx) * ny * n : 0;
  Block<COLORREF> pPalettes = Allocate<COLORREF>(pfnAllocate, dInks);
  if (!pPalettes) {
    SetStatusText("");
    return 0;
  }
  for (std::size_t i = 0; i < static_cast<std::size_t>(dInks); ++i) pPalettes[i] = RandomColour();
  Print(pLevels, w, h, pPalettes.get(), n, nx, ny, *ctx.m_pOut, s, ctx);

  SetPercent(ctx.m_pPercent, 0, 100, 101);
  SetStatusText("");
  return 1;
}
