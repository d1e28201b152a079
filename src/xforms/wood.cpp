#include "xforms/wood.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "imaging/colour.h"
#include "imaging/force_field.h"
#include "imaging/random.h"
#include "imaging/row_blocks.h"
#include "xforms/block_rows.h"
#include "xforms/progress.h"
#include "xforms/swarm.h"

namespace {

constexpr WoodKind kKinds[kWoodKinds] = {
    {"Legno05", 4, {RGB(105, 64, 41), RGB(151, 104, 71), RGB(179, 135, 98), RGB(142, 97, 70)}},
    {"Pav03", 4, {RGB(87, 61, 31), RGB(114, 87, 47), RGB(121, 89, 49), RGB(108, 65, 21)}},
    {"Legno04", 4, {RGB(135, 42, 8), RGB(158, 57, 15), RGB(174, 68, 14), RGB(186, 79, 19)}},
    {"Mahogany", 4, {RGB(131, 45, 32), RGB(110, 45, 51), RGB(43, 12, 9), RGB(79, 19, 21)}},
    {"Walnut", 4, {RGB(42, 51, 32), RGB(107, 53, 53), RGB(136, 57, 50), RGB(155, 105, 56)}},
    {"Radica", 4, {RGB(49, 22, 13), RGB(162, 53, 17), RGB(213, 76, 18), RGB(237, 102, 14)}},
    {"Pav07", 4, {RGB(246, 160, 100), RGB(246, 165, 95), RGB(200, 114, 46), RGB(188, 116, 54)}},
};

// The sawing phase draws band numbers until one differs from the most common
// band: a palette of one colour would never end it.
constexpr bool EveryPaletteHasTwoColours() {
  for (const WoodKind& k : kKinds)
    if (k.m_iColours < 2 || k.m_iColours > 8) return false;
  return true;
}
static_assert(EveryPaletteHasTwoColours());

}  // namespace

const WoodKind& GetWoodKind(int iKind) {
  return kKinds[iKind >= 0 && iKind < kWoodKinds ? iKind : 0];
}

int ValidateWood(WoodParams& p) {
  if (p.m_iKind < 0 || p.m_iKind >= kWoodKinds) p.m_iKind = 0;
  // The force is folded modulo the grain width.
  if (p.m_iGrain < 1) p.m_iGrain = 1;
  return 1;
}

void AutochooseWood(WoodParams& p, AreaSelection& sel) {
  p.m_iSawStrokes = RandomInt(320, 1000);
  p.m_iGrain = RandomInt(8, 64);
  p.m_iStrokeMode = RandomInt(1, 3);
  p.m_dStrokeAngle = RandomReal(0, kSwarmPi);
  p.m_iKind = RandomInt(0, 6);
  sel.SetSmooth(RandomInt(2, 5));
}

int ApplyWood(const WoodParams& p, XformContext& ctx) {
  if (!ctx.IsValid()) return 0;
  CDADC& in = *ctx.m_pIn;
  CDC& dc = *ctx.m_pOut->m_pDC;
  const int w = in.m_iWidth, h = in.m_iHeight, s = ctx.ScaleFactor();
  std::atomic<int>* pPercent = ctx.m_pPercent;
  // Records that never went through validation are read as it would leave them.
  const int g = p.m_iGrain < 1 ? 1 : p.m_iGrain;

  SetPercent(pPercent, 0, 5, 100);
  SetStatusText("Seeding...");
  ForceFieldMap pField = MakeForceField(&in, ctx.m_Select, ctx.m_pStop);
  if (!pField) return 0;
  SetPercent(pPercent, 0, 10, 100);

  // The band of every input pixel, so that the saw finds its band without
  // the force field.
  std::unique_ptr<std::uint8_t[]> pMap(new (std::nothrow)
                                           std::uint8_t[static_cast<std::size_t>(w) * h]);
  if (!pMap) return 0;

  // The kind's palette, rotated by a random start.
  const WoodKind& kind = GetWoodKind(p.m_iKind);
  const int n = kind.m_iColours;
  const int r = RandomInt(0, n - 1);
  COLORREF acr[8];
  int aiCount[8] = {};
  for (int i = 0; i < n; ++i) acr[i] = kind.m_acr[(r + i) % n];

  SetStatusText("Growing tree...");
  // A pixel's band depends on its force alone: one per force level.
  std::array<std::uint8_t, 256> aBand;
  for (int f = 0; f < 256; ++f)
    aBand[static_cast<std::size_t>(f)] = static_cast<std::uint8_t>(((f % g) * n) / g);
  const std::uint8_t* const pForce = pField.get();
  auto bandAt = [&aBand, pForce, w](int x, int y) { return aBand[ForceAt(pForce, x, y, w)]; };
  if (CBitmap* pBitmap = DirectlyWritable(dc, w * s, h * s)) {
    // Every block is filled and none overlaps another, so the rows may be
    // shared between the cores, each block counting its own bands; the
    // counts are added after.
    PixelBytes aBytes[8];
    for (int i = 0; i < n; ++i) aBytes[i] = BytesOf(acr[i]);
    // Each block's counts on a cache line of their own.
    struct alignas(64) CBandCounts {
      int m_a[8] = {};
    };
    const int iBlocks = RowBlockCount(h);
    std::vector<CBandCounts> aBlockCounts(static_cast<std::size_t>(iBlocks));
    WriteBlocksByRows(*pBitmap, w, h, s, iBlocks, ctx, 10, 90, [&](int iBlock, int x, int y) {
      const int band = bandAt(x, y);
      pMap[x + static_cast<std::size_t>(y) * w] = static_cast<std::uint8_t>(band);
      ++aBlockCounts[static_cast<std::size_t>(iBlock)].m_a[band];
      return aBytes[band];
    });
    for (const CBandCounts& counts : aBlockCounts)
      for (int i = 0; i < n; ++i) aiCount[i] += counts.m_a[i];
    // The fills left the last block's colour as the background.
    dc.SetBkColor(acr[bandAt(w - 1, h - 1)]);
  } else {
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const int band = bandAt(x, y);
        dc.FillSolidRect(x * s, y * s, x * s + s, y * s + s, acr[band]);
        pMap[x + static_cast<std::size_t>(y) * w] = static_cast<std::uint8_t>(band);
        ++aiCount[band];
      }
      SetPercent(pPercent, 10, 90, 100 * y / h);
      if (ctx.Stopped()) break;
    }
  }
  pField.reset();
  SetStatusText("Sawing...");

  int most = 0;
  for (int i = 1; i < n; ++i)
    if (aiCount[i] > aiCount[most]) most = i;
  // Draws that only keep the random sequence of the picture: the value is
  // not used.
  while (RandomInt(0, n - 1) == most && !ctx.Stopped()) {
  }

  HPEN hSaw = CreatePen(PS_SOLID, s == 4 ? 3 : 1, ScaleColour(acr[most], 0.5));
  const HPEN hOldPen = dc.SelectObject(hSaw);
  // The centre the strokes circle round or point at; it may lie outside.
  const int cx = RandomInt(-s * w, 2 * s * w);
  const int cy = RandomInt(-s * h, 2 * s * h);

  // drawn starts at 1, so at most saw strokes - 1 strokes are drawn; the
  // tries are limited in case the band is tiny.
  const long long iMaxTries = 2000LL * p.m_iSawStrokes;
  int iDrawn = 1;
  long long iTries = 0;
  while (!ctx.Stopped()) {
    const int x = RandomInt(0, w - 1);
    const int y = RandomInt(0, h - 1);
    if (pMap[x + static_cast<std::size_t>(y) * w] == most) {
      SwarmStick stick;
      stick.m_iX = x * s;
      stick.m_iY = y * s;
      stick.m_iLength = RandomInt(s, 5 * s);
      const double dToCentre = std::atan2(cy - stick.m_iY, stick.m_iX - cx);
      if (p.m_iStrokeMode == WOOD_STROKES_POINTING)
        stick.m_dAngle = dToCentre + kSwarmPi * 0.5;
      else if (p.m_iStrokeMode == WOOD_STROKES_CIRCLING)
        stick.m_dAngle = dToCentre;
      else
        stick.m_dAngle = p.m_dStrokeAngle;
      DrawSwarmStick(dc, stick);
      ++iDrawn;
      if (p.m_iSawStrokes > 0)
        SetPercent(pPercent, 90, 100, static_cast<int>(100LL * iDrawn / p.m_iSawStrokes));
    }
    ++iTries;
    if (iTries > iMaxTries || iDrawn >= p.m_iSawStrokes) break;
  }

  pMap.reset();
  dc.SelectObject(hOldPen);
  DeleteObject(hSaw);
  SetStatusText("");
  return ctx.Stopped() ? 0 : 1;
}
