#include "platform/gdi/raster.h"

#include <algorithm>
#include <cmath>

namespace gdi {
namespace {

using Int128 = __int128;

Int128 FloorDiv128(Int128 a, Int128 b) {  // b > 0
  Int128 q = a / b;
  if ((a % b != 0) && (a < 0)) --q;
  return q;
}

// One non-horizontal polygon edge, oriented downwards, with its state on the
// current row: the first pixel column at or right of its crossing (q) and the
// exact remainder, stepped row by row.
struct Edge {
  std::int64_t x0, y0, x1, y1;  // fixed point, y0 < y1
  int iFirstRow, iEndRow;       // rows with y0 <= 16 y < y1
  std::int64_t q, e;            // crossing column ceil(num / den), e = q*den - num
  std::int64_t den, stepQ, stepR;
};

int ClampRow(std::int64_t y) {
  return static_cast<int>(std::clamp<std::int64_t>(y, INT32_MIN / 2, INT32_MAX / 2));
}

// The edge from a to b oriented downwards, with the rows it crosses within
// the window; false when it crosses none (horizontal edges cross no sample
// row).
bool SetUpEdge(FixPoint a, FixPoint b, const Window& win, Edge& ed) {
  if (a.y == b.y) return false;
  if (a.y > b.y) std::swap(a, b);
  ed.x0 = a.x;
  ed.y0 = a.y;
  ed.x1 = b.x;
  ed.y1 = b.y;
  ed.iFirstRow = ClampRow(std::max<std::int64_t>(CeilDiv(a.y, kFixOne), win.t));
  ed.iEndRow = ClampRow(std::min<std::int64_t>(CeilDiv(b.y, kFixOne), win.b));
  return ed.iFirstRow < ed.iEndRow;
}

// Sets the edge's state to row y (exact, once per edge).
void StartEdge(Edge& ed, int y) {
  const std::int64_t dx = ed.x1 - ed.x0, dy = ed.y1 - ed.y0;
  ed.den = kFixOne * dy;
  // The crossing of row y in pixels is num / den with
  // num = x0 * dy + (16 y - y0) * dx.
  const Int128 num = static_cast<Int128>(ed.x0) * dy +
                     static_cast<Int128>(kFixOne * static_cast<std::int64_t>(y) - ed.y0) * dx;
  // 128-bit division is slow; most edges fit in 64 bits.
  const Int128 q = (num >= INT64_MIN / 2 && num <= INT64_MAX / 2)
                       ? Int128{CeilDiv(static_cast<std::int64_t>(num), ed.den)}
                       : -FloorDiv128(-num, ed.den);
  ed.q = static_cast<std::int64_t>(q);
  ed.e = static_cast<std::int64_t>(q * ed.den - num);
  const std::int64_t s = kFixOne * dx;  // num grows by this per row
  ed.stepQ = FloorDiv(s, ed.den);
  ed.stepR = s - ed.stepQ * ed.den;
}

void StepEdge(Edge& ed) {
  ed.q += ed.stepQ;
  ed.e -= ed.stepR;
  if (ed.e < 0) {
    ed.e += ed.den;
    ++ed.q;
  }
}

// Per-thread scratch, so that a stream of small shapes allocates nothing.
thread_local std::vector<Edge> t_aEdges;
thread_local std::vector<Edge*> t_aActive;
thread_local std::vector<std::int64_t> t_aCross;

// The even-odd interior of a polygon, row by row from the top: calls
// emit(y, x0, x1) for each run, sorted and disjoint within a row.
template <class Emit>
void ScanPolygonEvenOdd(const FixPoint* pPts, int n, const Window& win, Emit&& emit) {
  if (n < 3 || win.IsEmpty()) return;
  std::vector<Edge>& aEdges = t_aEdges;
  aEdges.clear();
  for (int i = 0; i < n; ++i) {
    Edge ed{};
    if (SetUpEdge(pPts[i], pPts[(i + 1) % n], win, ed)) aEdges.push_back(ed);
  }
  if (aEdges.size() < 2) return;
  std::sort(aEdges.begin(), aEdges.end(),
            [](const Edge& a, const Edge& b) { return a.iFirstRow < b.iFirstRow; });
  int iEnd = aEdges[0].iEndRow;
  for (const Edge& ed : aEdges) iEnd = std::max(iEnd, ed.iEndRow);

  std::vector<Edge*>& aActive = t_aActive;
  std::vector<std::int64_t>& aCross = t_aCross;
  aActive.clear();
  std::size_t iNext = 0;
  for (int y = aEdges[0].iFirstRow; y < iEnd; ++y) {
    // Drop edges that ended, step the others, add the ones that begin.
    std::size_t k = 0;
    for (Edge* pEd : aActive) {
      if (y >= pEd->iEndRow) continue;
      StepEdge(*pEd);
      aActive[k++] = pEd;
    }
    aActive.resize(k);
    while (iNext < aEdges.size() && aEdges[iNext].iFirstRow == y) {
      StartEdge(aEdges[iNext], y);
      aActive.push_back(&aEdges[iNext]);
      ++iNext;
    }
    if (aActive.empty()) {
      if (iNext < aEdges.size()) {
        y = aEdges[iNext].iFirstRow - 1;
        continue;
      }
      break;
    }
    aCross.clear();
    for (const Edge* pEd : aActive) aCross.push_back(pEd->q);
    if (aCross.size() <= 8) {  // the usual few crossings: insertion sort
      for (std::size_t i = 1; i < aCross.size(); ++i)
        for (std::size_t j = i; j > 0 && aCross[j - 1] > aCross[j]; --j)
          std::swap(aCross[j - 1], aCross[j]);
    } else {
      std::sort(aCross.begin(), aCross.end());
    }
    // Even-odd: the crossings pair up; pixel x is inside when an odd number
    // of crossings lie at or left of it, i.e. ceil(c0) <= x < ceil(c1).
    for (std::size_t i = 0; i + 1 < aCross.size(); i += 2) {
      const std::int64_t x0 = std::max<std::int64_t>(aCross[i], win.l);
      const std::int64_t x1 = std::min<std::int64_t>(aCross[i + 1], win.r);
      if (x0 < x1) emit(y, static_cast<int>(x0), static_cast<int>(x1));
    }
  }
}

// The half chord of a disc of radius R (fixed point) dy below its centre
// (-R <= dy < R). Left boundary included: cx - 16x <= sqrt(R^2 - dy^2), i.e.
// up to s; right one excluded: 16x - cx < sqrt(R^2 - dy^2), i.e. up to sRight.
struct Chord {
  std::int64_t s, sRight;
};
Chord DiscChord(std::int64_t R, std::int64_t dy) {
  const std::uint64_t h2 = static_cast<std::uint64_t>(R * R - dy * dy);
  const std::int64_t s = static_cast<std::int64_t>(ISqrt(h2));
  return {s, (static_cast<std::uint64_t>(s * s) == h2) ? s - 1 : s};
}

// The disc's runs, one per row from the top, through emit(y, x0, x1);
// chord(dy) gives DiscChord(R, dy).
template <class Emit, class ChordOf>
void ScanDisc(FixPoint c, std::int64_t iDiameter, const Window& win, Emit&& emit,
              ChordOf&& chord) {
  if (iDiameter <= 0 || win.IsEmpty()) return;
  const std::int64_t R = iDiameter * (kFixOne / 2);  // radius in fixed point
  // Rows with -R <= 16 y - cy < R.
  const std::int64_t y0 = std::max<std::int64_t>(CeilDiv(c.y - R, kFixOne), win.t);
  const std::int64_t y1 = std::min<std::int64_t>(CeilDiv(c.y + R, kFixOne), win.b);
  for (std::int64_t y = y0; y < y1; ++y) {
    const auto [s, sRight] = chord(kFixOne * y - c.y);
    const std::int64_t xl = std::max<std::int64_t>(CeilDiv(c.x - s, kFixOne), win.l);
    const std::int64_t xr = std::min<std::int64_t>(FloorDiv(c.x + sRight, kFixOne) + 1, win.r);
    if (xl < xr) emit(static_cast<int>(y), static_cast<int>(xl), static_cast<int>(xr));
  }
}

// The same runs as ScanPolygonEvenOdd for a polygon of four points, with
// the edges in a fixed array instead of the general edge lists.
template <class Emit>
void ScanQuadEvenOdd(const FixPoint* pPts, const Window& win, Emit&& emit) {
  if (win.IsEmpty()) return;
  Edge aEdges[4];
  int nEdges = 0, iFirst = INT32_MAX, iEnd = INT32_MIN;
  for (int i = 0; i < 4; ++i) {
    Edge& ed = aEdges[nEdges];
    if (!SetUpEdge(pPts[i], pPts[(i + 1) % 4], win, ed)) continue;
    iFirst = std::min(iFirst, ed.iFirstRow);
    iEnd = std::max(iEnd, ed.iEndRow);
    ++nEdges;
  }
  if (nEdges < 2) return;
  // Bands of rows between the edges' first and end rows, each with one set
  // of active edges. With two (a convex quad's usual case) the run lies
  // between their crossings; otherwise the crossings are sorted and paired.
  int y = iFirst;
  while (y < iEnd) {
    int iBandEnd = iEnd;
    int aOn[4], nOn = 0;
    for (int e = 0; e < nEdges; ++e) {
      const Edge& ed = aEdges[e];
      if (y >= ed.iFirstRow && y < ed.iEndRow) {
        aOn[nOn++] = e;
        iBandEnd = std::min(iBandEnd, ed.iEndRow);
      } else if (ed.iFirstRow > y) {
        iBandEnd = std::min(iBandEnd, ed.iFirstRow);
      }
    }
    // An edge is set up on its first row and stepped on the rows after it.
    auto advance = [](Edge& ed, int yy) {
      if (yy == ed.iFirstRow)
        StartEdge(ed, yy);
      else
        StepEdge(ed);
    };
    if (nOn == 2) {
      Edge& a = aEdges[aOn[0]];
      Edge& b = aEdges[aOn[1]];
      for (int yy = y; yy < iBandEnd; ++yy) {
        advance(a, yy);
        advance(b, yy);
        const std::int64_t x0 = std::max<std::int64_t>(std::min(a.q, b.q), win.l);
        const std::int64_t x1 = std::min<std::int64_t>(std::max(a.q, b.q), win.r);
        if (x0 < x1) emit(yy, static_cast<int>(x0), static_cast<int>(x1));
      }
    } else {
      for (int yy = y; yy < iBandEnd; ++yy) {
        std::int64_t aCross[4];
        for (int k = 0; k < nOn; ++k) {
          Edge& ed = aEdges[aOn[k]];
          advance(ed, yy);
          int i = k;  // insertion in order
          for (; i > 0 && aCross[i - 1] > ed.q; --i) aCross[i] = aCross[i - 1];
          aCross[i] = ed.q;
        }
        for (int i = 0; i + 1 < nOn; i += 2) {
          const std::int64_t x0 = std::max<std::int64_t>(aCross[i], win.l);
          const std::int64_t x1 = std::min<std::int64_t>(aCross[i + 1], win.r);
          if (x0 < x1) emit(yy, static_cast<int>(x0), static_cast<int>(x1));
        }
      }
    }
    y = iBandEnd;
  }
}

// The quad of a wide-pen segment's body: the rectangle of the given width
// centred on it. False for a zero length.
bool StrokeBodyQuad(FixPoint a, FixPoint b, std::int64_t iWidth, FixPoint* pQuad) {
  const double dx = static_cast<double>(b.x - a.x), dy = static_cast<double>(b.y - a.y);
  const double dLen = std::sqrt(dx * dx + dy * dy);
  if (dLen == 0 || iWidth <= 0) return false;
  // Half the width along the segment's normal, in fixed point.
  const double dHalf = static_cast<double>(iWidth) * (kFixOne / 2) / dLen;
  const std::int64_t nx = std::llround(-dy * dHalf), ny = std::llround(dx * dHalf);
  pQuad[0] = {a.x + nx, a.y + ny};
  pQuad[1] = {b.x + nx, b.y + ny};
  pQuad[2] = {b.x - nx, b.y - ny};
  pQuad[3] = {a.x - nx, a.y - ny};
  return true;
}

// The body of a wide-pen segment through emit(y, x0, x1).
template <class Emit>
void ScanStrokeBody(FixPoint a, FixPoint b, std::int64_t iWidth, const Window& win, Emit&& emit) {
  FixPoint quad[4];
  if (StrokeBodyQuad(a, b, iWidth, quad)) ScanQuadEvenOdd(quad, win, emit);
}

}  // namespace

void FillPolygonEvenOdd(const FixPoint* pPts, int n, const Window& win, SpanList& out) {
  ScanPolygonEvenOdd(pPts, n, win, [&out](int y, int x0, int x1) { out.push_back({y, x0, x1}); });
}

void FillDisc(FixPoint c, std::int64_t iDiameter, const Window& win, SpanList& out) {
  const std::int64_t R = iDiameter * (kFixOne / 2);
  ScanDisc(
      c, iDiameter, win, [&out](int y, int x0, int x1) { out.push_back({y, x0, x1}); },
      [R](std::int64_t dy) { return DiscChord(R, dy); });
}

void FillStrokeBody(FixPoint a, FixPoint b, std::int64_t iWidth, const Window& win,
                    SpanList& out) {
  // Through the general scanner: StrokePolylineSpans is checked against this.
  FixPoint quad[4];
  if (StrokeBodyQuad(a, b, iWidth, quad)) FillPolygonEvenOdd(quad, 4, win, out);
}

void StrokePolyline(const FixPoint* pPts, int n, bool bClosed, std::int64_t iWidth,
                    const Window& win, SpanList& out) {
  if (n <= 0 || iWidth <= 0) return;
  for (int i = 0; i < n; ++i) FillDisc(pPts[i], iWidth, win, out);
  for (int i = 0; i + 1 < n; ++i) FillStrokeBody(pPts[i], pPts[i + 1], iWidth, win, out);
  if (bClosed && n > 2) FillStrokeBody(pPts[n - 1], pPts[0], iWidth, win, out);
}

void SortSpans(SpanList& spans) {
  std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) {
    return a.y != b.y ? a.y < b.y : a.x0 < b.x0;
  });
}

namespace {
thread_local std::vector<std::uint32_t> t_aRowStart;
thread_local SpanList t_aSorted;

// Sorts by row with a counting pass (strokes give many spans over few rows),
// then each row by x.
void SortSpansByRows(SpanList& spans) {
  int yMin = spans[0].y, yMax = spans[0].y;
  for (const Span& s : spans) {
    yMin = std::min(yMin, s.y);
    yMax = std::max(yMax, s.y);
  }
  const std::size_t iRows = static_cast<std::size_t>(yMax) - static_cast<std::size_t>(yMin) + 1;
  if (iRows > 4 * spans.size() + 1024) {
    SortSpans(spans);
    return;
  }
  std::vector<std::uint32_t>& aStart = t_aRowStart;
  aStart.assign(iRows + 1, 0);
  for (const Span& s : spans) ++aStart[static_cast<std::size_t>(s.y - yMin) + 1];
  for (std::size_t i = 1; i <= iRows; ++i) aStart[i] += aStart[i - 1];
  SpanList& aSorted = t_aSorted;
  aSorted.resize(spans.size());
  for (const Span& s : spans) aSorted[aStart[static_cast<std::size_t>(s.y - yMin)]++] = s;
  // aStart[i] is now the end of row i.
  std::size_t iBegin = 0;
  for (std::size_t i = 0; i < iRows; ++i) {
    const std::size_t iEnd = aStart[i];
    auto first = aSorted.begin() + static_cast<std::ptrdiff_t>(iBegin);
    auto last = aSorted.begin() + static_cast<std::ptrdiff_t>(iEnd);
    if (iEnd - iBegin <= 16) {
      for (auto it = first + (first != last ? 1 : 0); it < last; ++it)
        for (auto j = it; j != first && (j - 1)->x0 > j->x0; --j) std::iter_swap(j - 1, j);
    } else {
      std::sort(first, last, [](const Span& a, const Span& b) { return a.x0 < b.x0; });
    }
    iBegin = iEnd;
  }
  spans.swap(aSorted);
}
}  // namespace

void NormaliseSpans(SpanList& spans) {
  if (spans.empty()) return;
  SortSpansByRows(spans);
  std::size_t k = 0;
  for (std::size_t i = 1; i < spans.size(); ++i) {
    Span& last = spans[k];
    const Span& s = spans[i];
    if (s.y == last.y && s.x0 <= last.x1) {
      last.x1 = std::max(last.x1, s.x1);
    } else {
      spans[++k] = s;
    }
  }
  spans.resize(k + 1);
}

namespace {

// The union of a stroke's runs kept row by row: up to kRowRuns sorted runs
// per row, with a gap between any two; a run that meets or touches others
// merges with them as it comes.
constexpr int kRowRuns = 6;
struct RowRuns {
  int n;
  int x[2 * kRowRuns];  // x0, x1 of each run
};
thread_local std::vector<RowRuns> t_aRowRuns;
thread_local std::vector<Chord> t_aChords;
thread_local SpanList t_aStrokeSpans;

}  // namespace

namespace {

void StrokeSpans(const FixPoint* pPts, int n, bool bClosed, std::int64_t iWidth,
                 const Window& win, SpanList& out, DiscChordCache* pCache) {
  if (n <= 0 || iWidth <= 0 || win.IsEmpty()) return;
  // The rows the discs and bodies can reach: half the width around the
  // points, and a pixel more for the rounding of the bodies' corners.
  std::int64_t yTop = pPts[0].y, yBottom = pPts[0].y;
  for (int i = 1; i < n; ++i) {
    yTop = std::min(yTop, pPts[i].y);
    yBottom = std::max(yBottom, pPts[i].y);
  }
  const std::int64_t iReach = iWidth * (kFixOne / 2) + kFixOne;
  const std::int64_t y0 = std::max<std::int64_t>(FloorDiv(yTop - iReach, kFixOne), win.t);
  const std::int64_t y1 = std::min<std::int64_t>(CeilDiv(yBottom + iReach, kFixOne) + 1, win.b);
  if (y0 >= y1) return;
  std::vector<RowRuns>& aRows = t_aRowRuns;
  aRows.resize(static_cast<std::size_t>(y1 - y0));
  for (RowRuns& row : aRows) row.n = 0;
  // A row that would need more runs (a path that crosses itself often)
  // sends the whole stroke through the general sort below.
  bool bOverflow = false;
  auto add = [&](int y, int a, int b) {
    if (bOverflow) return;
    if (y < y0 || y >= y1) {
      bOverflow = true;
      return;
    }
    RowRuns& row = aRows[static_cast<std::size_t>(y - y0)];
    int* x = row.x;
    int i = 0;
    while (i < row.n && x[2 * i + 1] < a) ++i;  // runs wholly left of [a, b), not touching
    int j = i;
    while (j < row.n && x[2 * j] <= b) ++j;  // runs i .. j - 1 meet or touch it
    if (j > i) {
      x[2 * i] = std::min(a, x[2 * i]);
      x[2 * i + 1] = std::max(b, x[2 * j - 1]);
      const int iGone = j - i - 1;
      if (iGone > 0) {
        for (int k = j; k < row.n; ++k) {
          x[2 * (k - iGone)] = x[2 * k];
          x[2 * (k - iGone) + 1] = x[2 * k + 1];
        }
        row.n -= iGone;
      }
      return;
    }
    if (row.n == kRowRuns) {
      bOverflow = true;
      return;
    }
    for (int k = row.n; k > i; --k) {
      x[2 * k] = x[2 * (k - 1)];
      x[2 * k + 1] = x[2 * (k - 1) + 1];
    }
    x[2 * i] = a;
    x[2 * i + 1] = b;
    ++row.n;
  };
  // The discs share their chords, each worked out once (s < 0: not yet).
  const std::int64_t R = iWidth * (kFixOne / 2);
  const bool bTable = n > 2 && R <= (1 << 15);
  std::vector<Chord>& aChords = t_aChords;
  if (bTable && !pCache) aChords.assign(static_cast<std::size_t>(2 * R), Chord{-1, 0});
  std::vector<std::int32_t>* pKept = nullptr;
  if (pCache && R <= (1 << 15)) {
    pKept = &pCache->m_aByRadius[R];
    if (pKept->empty()) pKept->assign(static_cast<std::size_t>(2 * R), -1);
  }
  auto chord = [&](std::int64_t dy) {
    if (pKept) {
      std::int32_t& s = (*pKept)[static_cast<std::size_t>(dy + R)];
      if (s < 0) {
        const Chord c = DiscChord(R, dy);
        s = static_cast<std::int32_t>(c.s);
        return c;
      }
      return Chord{s, static_cast<std::int64_t>(s) * s == R * R - dy * dy ? s - 1 : s};
    }
    if (!bTable) return DiscChord(R, dy);
    Chord& c = aChords[static_cast<std::size_t>(dy + R)];
    if (c.s < 0) c = DiscChord(R, dy);
    return c;
  };
  for (int i = 0; i < n && !bOverflow; ++i) ScanDisc(pPts[i], iWidth, win, add, chord);
  for (int i = 0; i + 1 < n && !bOverflow; ++i)
    ScanStrokeBody(pPts[i], pPts[i + 1], iWidth, win, add);
  if (bClosed && n > 2) ScanStrokeBody(pPts[n - 1], pPts[0], iWidth, win, add);
  if (bOverflow) {
    SpanList& aAll = t_aStrokeSpans;
    aAll.clear();
    StrokePolyline(pPts, n, bClosed, iWidth, win, aAll);
    NormaliseSpans(aAll);
    out.insert(out.end(), aAll.begin(), aAll.end());
    return;
  }
  for (std::int64_t y = y0; y < y1; ++y) {
    const RowRuns& row = aRows[static_cast<std::size_t>(y - y0)];
    for (int k = 0; k < row.n; ++k)
      out.push_back({static_cast<int>(y), row.x[2 * k], row.x[2 * k + 1]});
  }
}

}  // namespace

void StrokePolylineSpans(const FixPoint* pPts, int n, bool bClosed, std::int64_t iWidth,
                         const Window& win, SpanList& out) {
  StrokeSpans(pPts, n, bClosed, iWidth, win, out, nullptr);
}

void StrokePolylineSpans(const FixPoint* pPts, int n, bool bClosed, std::int64_t iWidth,
                         const Window& win, SpanList& out, DiscChordCache& cache) {
  StrokeSpans(pPts, n, bClosed, iWidth, win, out, &cache);
}

}  // namespace gdi
