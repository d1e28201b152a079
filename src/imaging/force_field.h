// The force field: one byte per pixel, 0..255, telling the Xforms (and the
// Hsv mix) how strongly each pixel of a picture is selected. By default it is
// the picture's brightness; with an area selection it is how close (or, when
// inverted, how far) each pixel's colour is from the selection colour,
// optionally smoothed. Values are stretched to the full 0..255 range.
//
// A map is width x height bytes, row by row from the top row of the picture,
// x fastest (index y * width + x). The caller owns it.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "imaging/area_selection.h"

class CDADC;

using ForceFieldMap = std::unique_ptr<std::uint8_t[]>;
using ForceFieldHistogramCounts = std::array<std::uint32_t, 256>;

// The map of pSurface with the selection; nullptr when the surface is
// missing, when memory runs out or when *pStop is set while it runs (polled
// once per row; a null pStop never stops). The rows are shared between
// iBlocks blocks on as many cores (0: one block per core); the map is the
// same whatever the count.
ForceFieldMap MakeForceField(const CDADC* pSurface, const AreaSelection& sel,
                             const std::atomic<int>* pStop, int iBlocks = 0);

inline int ForceAt(const std::uint8_t* pMap, int x, int y, int iWidth) {
  return pMap[x + static_cast<std::ptrdiff_t>(y) * iWidth];
}
inline int ForceAt(const ForceFieldMap& map, int x, int y, int iWidth) {
  return ForceAt(map.get(), x, y, iWidth);
}

// Paints the map of pSource into pTarget as grey pixels (a preview of the
// selection). Both surfaces must exist and have the same size. 1 on success,
// 0 after a message or when the map cannot be made.
int ShowForceField(CDADC* pTarget, const CDADC* pSource, const AreaSelection& sel);

// One counter per byte value of the first iSize bytes of the map.
ForceFieldHistogramCounts ForceFieldHistogram(const std::uint8_t* pMap, std::size_t iSize);

// The level at or above which roughly iPercent % of the pixels lie: 255 for
// iPercent <= 0, 0 for iPercent >= 100.
int PercentileLevel(int iPercent, const ForceFieldHistogramCounts& aHist);

// The middle between the lowest and the highest level that each hold more
// than 5 % of the pixels. False when fewer than two levels do, or when the
// middle is 0.
bool BimodalMidpoint(const ForceFieldHistogramCounts& aHist, int& iLevel);

// The threshold an Xform uses to place iPercent % of its elements: the
// bimodal midpoint when there is one, else PercentileLevel. 128 without a map.
int ForceFieldThreshold(int iPercent, const std::uint8_t* pMap, std::size_t iSize);

// A nearest-neighbour reduction of a map: target pixel (j, i) takes source
// pixel (j * srcW / dstW, i * srcH / dstH). nullptr unless the target is
// smaller than the source in both directions and at least 24 x 24.
ForceFieldMap ShrinkForceField(const std::uint8_t* pMap, int iSrcWidth, int iSrcHeight,
                               int iDstWidth, int iDstHeight);
