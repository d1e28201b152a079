#include "imaging/force_field.h"

#include <algorithm>
#include <array>
#include <memory>
#include <new>
#include <vector>

#include "imaging/constants.h"
#include "imaging/dadc.h"
#include "imaging/row_blocks.h"
#include "platform/report.h"

namespace {

// The running minimum starts above any byte value, the maximum at 0.
constexpr int kMinStart = 10241024;

// Not cleared: every byte is written before the map is used (a map cut short
// by a stop is thrown away), and the blocks' threads touch its pages first.
ForceFieldMap NewMap(std::size_t iSize) {
  return ForceFieldMap(new (std::nothrow) std::uint8_t[iSize]);
}

// Stretches the values iMin..iMax of a map to 0..255. A map whose values are
// all equal has no range to stretch and is kept as it is (dividing by a range
// of 1 instead would turn a value v into v * 255 cut to a byte).
//
// The range comes from the selection's weights, which a hand-made recipe can
// push outside 0..255: it is cut to the byte range that the map can hold, so
// the level table is never indexed outside itself.
void Normalise(std::uint8_t* pMap, int iWidth, int iHeight, int iBlocks, int iMin, int iMax) {
  iMin = std::clamp(iMin, 0, 255);
  iMax = std::clamp(iMax, 0, 255);
  if (iMin >= iMax) return;
  std::uint8_t aLevel[256] = {};
  for (int v = iMin; v <= iMax; ++v)
    aLevel[v] = static_cast<std::uint8_t>((v - iMin) * 255 / (iMax - iMin));
  ForEachRowBlock(iHeight, iBlocks, [&](int, int iFirst, int iEnd) {
    std::uint8_t* p = pMap + static_cast<std::size_t>(iFirst) * iWidth;
    const std::size_t n = static_cast<std::size_t>(iEnd - iFirst) * iWidth;
    for (std::size_t i = 0; i < n; ++i) p[i] = aLevel[p[i]];
  });
}

// Integer division of sums below 2^16 by counts 1..225 as a multiplication:
// with m = ceil(2^32 / d) the product's error stays below one d-th for every
// dividend below 2^32 / d, so the quotient is exact.
struct CReciprocals {
  std::uint64_t m_aMul[226];
  CReciprocals() {
    for (std::uint64_t d = 1; d < 226; ++d) m_aMul[d] = ((std::uint64_t{1} << 32) + d - 1) / d;
  }
  std::uint32_t Divide(std::uint32_t iSum, int iCount) const {
    return static_cast<std::uint32_t>((iSum * m_aMul[iCount]) >> 32);
  }
};

// The outcome of smoothing: a new map, or the old one kept (no memory for the
// new one), or a stop.
enum class SmoothResult { Smoothed, Kept, Stopped };

// The extremes of the values a block of rows holds; a block without rows
// leaves them as they start.
struct CRange {
  int m_iMin = kMinStart, m_iMax = 0;
  void Add(int iMin, int iMax) {
    m_iMin = std::min(m_iMin, iMin);
    m_iMax = std::max(m_iMax, iMax);
  }
};
using CBlockRanges = std::array<CRange, kMaxRowBlocks>;

CRange Combined(const CBlockRanges& aRanges) {
  CRange all;
  for (const CRange& r : aRanges) all.Add(r.m_iMin, r.m_iMax);
  return all;
}

// Replaces every pixel by the integer mean of the (2n - 1) x (2n - 1) window
// around it, counting only the pixels inside the picture. Column sums over
// the window's rows slide down the picture and a row sum over the window's
// columns slides along each row, so a pixel costs a few additions whatever n
// is. Each block of rows starts its column sums afresh from the rows above
// and below its first row (whole sums, so every block finds the same
// values). Tracks the new map's minimum and maximum.
SmoothResult Smooth(ForceFieldMap& map, int iWidth, int iHeight, int n, int iBlocks,
                    CRange& range, const std::atomic<int>* pStop) {
  const std::size_t iSize = static_cast<std::size_t>(iWidth) * iHeight;
  ForceFieldMap smoothed = NewMap(iSize);
  std::unique_ptr<std::uint32_t[]> pColumns(
      new (std::nothrow) std::uint32_t[static_cast<std::size_t>(iWidth) * iBlocks]);
  if (!smoothed || !pColumns) {
    ReportError("SFF:Could not created smoothed force field");
    return SmoothResult::Kept;
  }
  static const CReciprocals kRecip;
  const int r = n - 1;
  const std::uint8_t* pOld = map.get();
  CBlockRanges aRanges;
  ForEachRowBlock(iHeight, iBlocks, [&](int iBlock, int iFirst, int iEnd) {
    std::uint32_t* aColumn = pColumns.get() + static_cast<std::size_t>(iWidth) * iBlock;
    std::fill(aColumn, aColumn + iWidth, 0u);
    auto addRow = [&](int y, int iSign) {
      const std::uint8_t* pRow = pOld + static_cast<std::size_t>(y) * iWidth;
      if (iSign > 0)
        for (int x = 0; x < iWidth; ++x) aColumn[x] += pRow[x];
      else
        for (int x = 0; x < iWidth; ++x) aColumn[x] -= pRow[x];
    };
    if (iFirst < iEnd)
      for (int y = std::max(0, iFirst - r); y <= std::min(iFirst + r, iHeight - 1); ++y)
        addRow(y, +1);
    int iMin = kMinStart, iMax = 0;
    for (int y = iFirst; y < iEnd; ++y) {
      if (y > iFirst) {
        if (y + r < iHeight) addRow(y + r, +1);
        if (y - r - 1 >= 0) addRow(y - r - 1, -1);
      }
      const int iRows = std::min(iHeight - 1, y + r) - std::max(0, y - r) + 1;
      std::uint32_t iSum = 0;
      for (int x = 0; x <= std::min(r, iWidth - 1); ++x) iSum += aColumn[x];
      std::uint8_t* pOut = smoothed.get() + static_cast<std::size_t>(y) * iWidth;
      for (int x = 0; x < iWidth; ++x) {
        if (x > 0) {
          if (x + r < iWidth) iSum += aColumn[x + r];
          if (x - r - 1 >= 0) iSum -= aColumn[x - r - 1];
        }
        const int iCols = std::min(iWidth - 1, x + r) - std::max(0, x - r) + 1;
        const int v = static_cast<int>(kRecip.Divide(iSum, iRows * iCols));
        pOut[x] = static_cast<std::uint8_t>(v);
        iMin = std::min(iMin, v);
        iMax = std::max(iMax, v);
      }
      if (pStop && pStop->load(std::memory_order_relaxed)) break;
    }
    aRanges[static_cast<std::size_t>(iBlock)].Add(iMin, iMax);
  });
  if (pStop && pStop->load(std::memory_order_relaxed)) return SmoothResult::Stopped;
  range = Combined(aRanges);
  map = std::move(smoothed);
  return SmoothResult::Smoothed;
}

// The map's values before smoothing, rows iFirst .. iEnd - 1.
CRange RawRows(const CDADC& surface, const AreaSelection& sel, std::uint8_t* pMap, int iFirst,
               int iEnd, const std::atomic<int>* pStop) {
  // The colour map reads the pixel memory directly: the same colour GetPixel
  // would give, without the call and its bounds checks.
  const int iWidth = surface.m_iWidth;
  const bool bBrightness = sel.IsDefault();
  CRange range;
  for (int y = iFirst; y < iEnd; ++y) {
    const std::uint8_t* p = surface.Row(y);
    std::uint8_t* pOut = pMap + static_cast<std::size_t>(y) * iWidth;
    if (bBrightness) {
      // Two plain loops the compiler can vectorise: the means, then their
      // extremes.
      for (int x = 0; x < iWidth; ++x)
        pOut[x] = static_cast<std::uint8_t>((p[3 * x] + p[3 * x + 1] + p[3 * x + 2]) / 3);
      std::uint8_t iRowMin = 255, iRowMax = 0;
      for (int x = 0; x < iWidth; ++x) {
        iRowMin = std::min(iRowMin, pOut[x]);
        iRowMax = std::max(iRowMax, pOut[x]);
      }
      if (iWidth > 0) range.Add(iRowMin, iRowMax);
    } else {
      int iMin = kMinStart, iMax = 0;
      for (int x = 0; x < iWidth; ++x, p += 3) {
        const int v = sel.Weight(RGB(p[2], p[1], p[0]));
        pOut[x] = static_cast<std::uint8_t>(v);
        iMin = std::min(iMin, v);
        iMax = std::max(iMax, v);
      }
      range.Add(iMin, iMax);
    }
    if (pStop && pStop->load(std::memory_order_relaxed)) break;
  }
  return range;
}

}  // namespace

ForceFieldMap MakeForceField(const CDADC* pSurface, const AreaSelection& sel,
                             const std::atomic<int>* pStop, int iBlocks) {
  const auto Stopped = [pStop] { return pStop && pStop->load(std::memory_order_relaxed) != 0; };
  if (!pSurface || !pSurface->IsValid()) return nullptr;
  const int iWidth = pSurface->m_iWidth, iHeight = pSurface->m_iHeight;
  const std::size_t iSize = static_cast<std::size_t>(iWidth) * iHeight;
  ForceFieldMap map = NewMap(iSize);
  if (!map) return nullptr;
  iBlocks = std::clamp(iBlocks > 0 ? iBlocks : RowBlockCount(iHeight), 1, kMaxRowBlocks);

  CBlockRanges aRanges;
  ForEachRowBlock(iHeight, iBlocks, [&](int iBlock, int iFirst, int iEnd) {
    aRanges[static_cast<std::size_t>(iBlock)] =
        RawRows(*pSurface, sel, map.get(), iFirst, iEnd, pStop);
  });
  if (Stopped()) return nullptr;
  CRange range = Combined(aRanges);

  if (sel.m_iSmooth > 1) {
    // A record written without SetSmooth may hold more than 8: smooth as 8.
    switch (Smooth(map, iWidth, iHeight, std::min<int>(sel.m_iSmooth, 8), iBlocks, range,
                   pStop)) {
      case SmoothResult::Stopped:
        return nullptr;
      case SmoothResult::Kept:  // neither smoothed nor normalised
        return Stopped() ? nullptr : std::move(map);
      case SmoothResult::Smoothed:
        break;
    }
  }
  Normalise(map.get(), iWidth, iHeight, iBlocks, range.m_iMin, range.m_iMax);
  if (Stopped()) return nullptr;
  return map;
}

int ShowForceField(CDADC* pTarget, const CDADC* pSource, const AreaSelection& sel) {
  if (!pTarget || !pSource || !pTarget->IsValid() || !pSource->IsValid()) {
    ReportError("AHRF: Bad DCs");
    return 0;
  }
  if (pTarget->m_iWidth != pSource->m_iWidth) {
    ReportError("AHRF: in-out size x error");
    return 0;
  }
  if (pTarget->m_iHeight != pSource->m_iHeight) {
    ReportError("AHRF: in-out size y error");
    return 0;
  }
  const ForceFieldMap map = MakeForceField(pSource, sel, &g_bStop);
  if (!map) return 0;
  const int iWidth = pTarget->m_iWidth;
  for (int y = 0; y < pTarget->m_iHeight; ++y) {
    std::uint8_t* p = pTarget->Row(y);
    for (int x = 0; x < iWidth; ++x, p += 3)
      p[0] = p[1] = p[2] = static_cast<std::uint8_t>(ForceAt(map, x, y, iWidth));
  }
  return 1;
}

ForceFieldHistogramCounts ForceFieldHistogram(const std::uint8_t* pMap, std::size_t iSize) {
  ForceFieldHistogramCounts aHist{};
  if (!pMap) return aHist;
  for (std::size_t i = 0; i < iSize; ++i) ++aHist[pMap[i]];
  return aHist;
}

namespace {
std::uint64_t Total(const ForceFieldHistogramCounts& aHist) {
  std::uint64_t iTotal = 0;
  for (const std::uint32_t c : aHist) iTotal += c;
  return iTotal;
}
}  // namespace

int PercentileLevel(int iPercent, const ForceFieldHistogramCounts& aHist) {
  if (iPercent <= 0) return 255;
  if (iPercent >= 100) return 0;
  // 64 bits: a large picture's count times the percentage overflows 32.
  const std::uint64_t iTarget = Total(aHist) * static_cast<std::uint64_t>(iPercent) / 100;
  std::uint64_t iSum = 0;
  for (int iLevel = 255; iLevel >= 0; --iLevel) {
    iSum += aHist[iLevel];
    if (iSum >= iTarget) return iLevel;
  }
  return 0;
}

bool BimodalMidpoint(const ForceFieldHistogramCounts& aHist, int& iLevel) {
  const std::uint64_t iLimit = Total(aHist) * 5 / 100;
  int iFirst = -1, iLast = -1, iCount = 0;
  for (int i = 0; i < 256; ++i) {
    if (aHist[i] > iLimit) {
      if (iFirst < 0) iFirst = i;
      iLast = i;
      ++iCount;
    }
  }
  if (iCount < 2) return false;
  const int iMid = (iFirst + iLast) / 2;
  if (iMid < 1 || iMid > 255) return false;
  iLevel = iMid;
  return true;
}

int ForceFieldThreshold(int iPercent, const std::uint8_t* pMap, std::size_t iSize) {
  if (!pMap || iSize == 0) return 128;
  const ForceFieldHistogramCounts aHist = ForceFieldHistogram(pMap, iSize);
  int iLevel = 0;
  if (BimodalMidpoint(aHist, iLevel)) return iLevel;
  return PercentileLevel(iPercent, aHist);
}

ForceFieldMap ShrinkForceField(const std::uint8_t* pMap, int iSrcWidth, int iSrcHeight,
                               int iDstWidth, int iDstHeight) {
  if (!pMap || iDstWidth >= iSrcWidth || iDstHeight >= iSrcHeight || iDstWidth < 24 ||
      iDstHeight < 24)
    return nullptr;
  ForceFieldMap shrunk = NewMap(static_cast<std::size_t>(iDstWidth) * iDstHeight);
  if (!shrunk) return nullptr;
  std::vector<int> aSrcX(static_cast<std::size_t>(iDstWidth));
  for (int j = 0; j < iDstWidth; ++j)
    aSrcX[j] = static_cast<int>(static_cast<long long>(j) * iSrcWidth / iDstWidth);
  for (int i = 0; i < iDstHeight; ++i) {
    const int iSrcY = static_cast<int>(static_cast<long long>(i) * iSrcHeight / iDstHeight);
    const std::uint8_t* pRow = pMap + static_cast<std::size_t>(iSrcY) * iSrcWidth;
    std::uint8_t* pOut = shrunk.get() + static_cast<std::size_t>(i) * iDstWidth;
    for (int j = 0; j < iDstWidth; ++j) pOut[j] = pRow[aSrcX[j]];
  }
  return shrunk;
}
