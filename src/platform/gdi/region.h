// Regions as y-x banded span lists: a sorted list of bands (row ranges), each
// holding the sorted, disjoint pixel runs [x0, x1) shared by all its rows.
// Adjacent bands with equal runs are merged, so a rectangle is one band and an
// ellipse one band per distinct row. No full-surface masks: a region costs
// memory in proportion to its outline, not its area.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/gdi/raster.h"
#include "platform/win_types.h"

// CombineRgn modes and region kinds (results of the region calls).
constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_XOR = 3;
constexpr int RGN_DIFF = 4;
constexpr int RGN_COPY = 5;
constexpr int ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

class CRgnData {
 public:
  struct XSpan {
    int x0;
    int x1;
    bool operator==(const XSpan&) const = default;
  };
  struct Band {
    int y0;  // rows y0 <= y < y1
    int y1;
    std::uint32_t iFirst;  // its runs are m_aSpans[iFirst .. iLast)
    std::uint32_t iLast;
  };

  CRgnData() = default;
  // The pixels l <= x < r, t <= y < b (corners in any order).
  static CRgnData FromRect(int l, int t, int r, int b);
  // From a normalised span list (sorted by row and x, disjoint).
  static CRgnData FromSpans(const gdi::SpanList& spans);
  // a op b for RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF; RGN_COPY gives a.
  static CRgnData Combine(const CRgnData& a, const CRgnData& b, int iMode);

  bool IsEmpty() const { return m_aBands.empty(); }
  // NULLREGION, SIMPLEREGION (one rectangle) or COMPLEXREGION.
  int Kind() const;
  // The bounding box (all zero when empty).
  RECT Bounds() const;
  bool Contains(int x, int y) const;
  // The runs of row y (an empty range when the row is outside).
  std::pair<const XSpan*, const XSpan*> RowSpans(int y) const;
  bool operator==(const CRgnData& o) const;

  const std::vector<Band>& Bands() const { return m_aBands; }

 private:
  void AppendBand(int y0, int y1, const XSpan* pFirst, const XSpan* pLast);

  std::vector<Band> m_aBands;
  std::vector<XSpan> m_aSpans;
};
