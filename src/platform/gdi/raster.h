// The scan converter of the drawing layer: closed polygons and discs become
// sorted runs of pixels (spans), which the device context then clips against
// its clip region and writes into the surface.
//
// Raster rules, applied here once for every shape:
// - Geometry is kept in fixed point with 4 fraction bits (FixPoint). Pixel
//   (x, y) is sampled at the geometric point (x, y), i.e. (16x, 16y).
// - A pixel belongs to a shape when its sample point is inside it; a sample on
//   the boundary counts only on the left and top edges (right and bottom edges
//   excluded). For a polygon with integer vertices (l,t)-(r,b) this gives the
//   pixels l <= x < r, t <= y < b.
// - Polygons use the even-odd (ALTERNATE) rule.
// - All edge arithmetic is exact (64-bit stepping, 128-bit set-up), so shapes
//   with vertices far outside the surface are cut, never wrapped.
#pragma once

#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace gdi {

constexpr int kFixShift = 4;
constexpr std::int64_t kFixOne = 16;

struct FixPoint {
  std::int64_t x = 0;
  std::int64_t y = 0;
};

inline FixPoint FixFromInt(std::int64_t x, std::int64_t y) { return {x * kFixOne, y * kFixOne}; }

// The pixels [x0, x1) of row y.
struct Span {
  int y;
  int x0;
  int x1;
};
using SpanList = std::vector<Span>;

// The pixel window spans are produced for: l <= x < r, t <= y < b.
struct Window {
  int l = 0;
  int t = 0;
  int r = 0;
  int b = 0;
  bool IsEmpty() const { return l >= r || t >= b; }
};

// Floor and ceiling of a / b for b > 0.
inline std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}
inline std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return -FloorDiv(-a, b); }
// The largest whole number whose square is at most v.
inline std::uint64_t ISqrt(std::uint64_t v) {
  std::uint64_t s = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(v)));
  while (s > 0 && s * s > v) --s;
  while ((s + 1) * (s + 1) <= v) ++s;
  return s;
}

// Appends, row by row from top to bottom, the even-odd interior of the closed
// polygon pts[0..n) (closed automatically), clipped to the window. The spans
// of one row are sorted and disjoint.
void FillPolygonEvenOdd(const FixPoint* pPts, int n, const Window& win, SpanList& out);

// Appends the disc of the given diameter (pixels) centred at c: the sample
// points within diameter / 2 of c, boundary ties resolved as above.
void FillDisc(FixPoint c, std::int64_t iDiameter, const Window& win, SpanList& out);

// Appends the body of a wide-pen stroke from a to b: the rectangle of the
// given width centred on the segment (no caps). Nothing for a zero length.
void FillStrokeBody(FixPoint a, FixPoint b, std::int64_t iWidth, const Window& win,
                    SpanList& out);

// Appends the stroke of a polyline with a round pen of the given width:
// round caps at both ends and round joins, i.e. a disc at every vertex and a
// body along every segment. closed adds the segment from the last point back
// to the first. The result is not yet normalised.
void StrokePolyline(const FixPoint* pPts, int n, bool bClosed, std::int64_t iWidth,
                    const Window& win, SpanList& out);

// The same stroke, normalised (what NormaliseSpans makes of StrokePolyline's
// spans), appended to out: the runs of each row are merged as the discs and
// bodies are scanned, without collecting and sorting them.
void StrokePolylineSpans(const FixPoint* pPts, int n, bool bClosed, std::int64_t iWidth,
                         const Window& win, SpanList& out);

// The half chords of the discs of the pen widths already stroked, each worked
// out once, for a caller that strokes many paths with a few widths.
struct DiscChordCache {
  // Per disc radius (fixed point), the chord of each row offset dy at dy + R;
  // -1 where not yet worked out.
  std::unordered_map<std::int64_t, std::vector<std::int32_t>> m_aByRadius;
};

// The same stroke, with the chords kept in the cache between calls.
void StrokePolylineSpans(const FixPoint* pPts, int n, bool bClosed, std::int64_t iWidth,
                         const Window& win, SpanList& out, DiscChordCache& cache);

// Sorts spans by row and x and merges overlapping or touching ones, so that
// the list describes the union of its spans with each pixel once.
void NormaliseSpans(SpanList& spans);

// Sorts spans by row and x only (for lists whose rows are already disjoint
// but were produced out of order).
void SortSpans(SpanList& spans);

}  // namespace gdi
