#include "imaging/covered_painter.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "imaging/pixel_runs.h"
#include "imaging/row_blocks.h"
#include "platform/gdi/geometry.h"
#include "platform/gdi/raster.h"

namespace {

// The DC's cap on pen widths.
constexpr std::int64_t kWidestPen = std::int64_t{1} << 24;

// Pixels [x0, x1) of a row that later strokes have written.
struct Run {
  int x0, x1;
};
// Sorted, disjoint and never touching (touching runs are merged).
using RowRuns = std::vector<Run>;

// Whether [xl, xr) lies within one covered run.
bool Covered(const RowRuns& runs, int xl, int xr) {
  // The last run starting at or left of xl.
  auto it = std::upper_bound(runs.begin(), runs.end(), xl,
                             [](int x, const Run& r) { return x < r.x0; });
  return it != runs.begin() && (it - 1)->x1 >= xr;
}

// Writes the parts of [a, b) no run covers, then adds [a, b) to the runs.
void PaintRun(RowRuns& runs, std::uint8_t* pRow, int a, int b, const RunColour& paint) {
  // The first run that reaches a (touching counts: it merges).
  auto first = std::lower_bound(runs.begin(), runs.end(), a,
                                [](const Run& r, int x) { return r.x1 < x; });
  auto last = first;
  int x = a;
  for (; last != runs.end() && last->x0 <= b; ++last) {
    if (last->x0 > x) WritePixels(pRow, x, last->x0, paint);
    x = std::max(x, last->x1);
  }
  if (x < b) WritePixels(pRow, x, b, paint);
  if (first == last) {
    runs.insert(first, Run{a, b});
    return;
  }
  first->x0 = std::min(a, first->x0);
  first->x1 = std::max(b, (last - 1)->x1);
  runs.erase(first + 1, last);
}

// Whether every row of [y0, y1) (in the block from iFirst) is covered over
// [x0, x1).
bool RowsCovered(const std::vector<RowRuns>& aRows, int iFirst, std::int64_t y0, std::int64_t y1,
                 std::int64_t x0, std::int64_t x1) {
  for (std::int64_t y = y0; y < y1; ++y)
    if (!Covered(aRows[static_cast<std::size_t>(y - iFirst)], static_cast<int>(x0),
                 static_cast<int>(x1)))
      return false;
  return true;
}

}  // namespace

void CCoveredPainter::AddEllipse(int l, int t, int r, int b, COLORREF cr) {
  Stroke s;
  s.aPts[0] = {std::min(l, r), std::min(t, b)};
  s.aPts[1] = {std::max(l, r), std::max(t, b)};
  s.aPts[2] = s.aPts[3] = s.aPts[1];
  s.iWidth = 0;
  s.cr = cr;
  m_aStrokes.push_back(s);
}

void CCoveredPainter::AddBezier(const POINT aPts[4], int iWidth, COLORREF cr) {
  Stroke s;
  std::copy(aPts, aPts + 4, s.aPts);
  s.iWidth = iWidth;
  s.cr = cr;
  m_aStrokes.push_back(s);
}

bool CCoveredPainter::Paint(CBitmap& bitmap, const std::function<bool(int)>& fnProgress,
                            const RunFn& fnUncovered) const {
  const int W = bitmap.Width(), H = bitmap.Height();
  const int N = static_cast<int>(m_aStrokes.size());
  if (W <= 0 || H <= 0 || (N == 0 && !fnUncovered)) return true;
  std::atomic<bool> bStop{false};

  ForEachRowBlock(H, RowBlockCount(H), [&](int iBlock, int iFirst, int iEnd) {
    std::vector<RowRuns> aRows(static_cast<std::size_t>(iEnd - iFirst));
    std::vector<gdi::FixPoint> aPath;
    gdi::SpanList aSpans;
    gdi::DiscChordCache chords;
    for (int i = N - 1; i >= 0; --i) {
      if (bStop.load(std::memory_order_relaxed)) return;
      if (iBlock == 0 && fnProgress && (N - 1 - i) % 64 == 0 &&
          !fnProgress(static_cast<int>((N - 1 - i) * 100LL / N))) {
        bStop.store(true, std::memory_order_relaxed);
        return;
      }
      const Stroke& s = m_aStrokes[static_cast<std::size_t>(i)];
      if (s.iWidth == 0) {
        // An ellipse: the pen's outline and the brush's inside are the one
        // shape's runs. The DC draws a box at most 2 pixels wide or high as
        // a rectangle, and clamps an ellipse's larger boxes.
        const std::int64_t l = s.aPts[0].x, t = s.aPts[0].y, r = s.aPts[1].x, b = s.aPts[1].y;
        if (l == r || t == b) continue;
        const bool bBox = r - l <= 2 || b - t <= 2;
        auto clampBox = [bBox](std::int64_t v) {
          return bBox ? v : std::clamp(v, -gdi::kMaxBoxCoord, gdi::kMaxBoxCoord);
        };
        const std::int64_t L = clampBox(l), T = clampBox(t), R = clampBox(r), B = clampBox(b);
        const std::int64_t x0 = std::max<std::int64_t>(L, 0), x1 = std::min<std::int64_t>(R, W);
        const std::int64_t ya = std::max<std::int64_t>(T, iFirst),
                           yb = std::min<std::int64_t>(B, iEnd);
        if (x0 >= x1 || ya >= yb || RowsCovered(aRows, iFirst, ya, yb, x0, x1)) continue;
        const gdi::Window win{0, static_cast<int>(ya), W, static_cast<int>(yb)};
        aSpans.clear();
        if (bBox)
          gdi::RowShapeSpans(gdi::CBoxShape(L, T, R, B), win, nullptr, &aSpans);
        else
          gdi::RowShapeSpans(gdi::CEllipseShape(L, T, R, B), win, nullptr, &aSpans);
        const RunColour paint(s.cr);
        for (const gdi::Span& sp : aSpans)
          PaintRun(aRows[static_cast<std::size_t>(sp.y - iFirst)], bitmap.Row(sp.y), sp.x0, sp.x1,
                   paint);
        continue;
      }
      const std::int64_t iWidth = std::min<std::int64_t>(s.iWidth, kWidestPen);

      // The DC leaves out a stroke whose control points, widened by half the
      // pen and two pixels, miss the surface.
      std::int64_t l = s.aPts[0].x, r = l, t = s.aPts[0].y, b = t;
      for (const POINT& p : s.aPts) {
        l = std::min<std::int64_t>(l, p.x);
        r = std::max<std::int64_t>(r, p.x);
        t = std::min<std::int64_t>(t, p.y);
        b = std::max<std::int64_t>(b, p.y);
      }
      const std::int64_t m = iWidth / 2 + 2;
      if (r + m + 1 <= 0 || l - m >= W || b + m + 1 <= 0 || t - m >= H) continue;

      aPath.clear();
      aPath.push_back(gdi::FixFromInt(s.aPts[0].x, s.aPts[0].y));
      gdi::FlattenBezier(aPath.back(), gdi::FixFromInt(s.aPts[1].x, s.aPts[1].y),
                         gdi::FixFromInt(s.aPts[2].x, s.aPts[2].y),
                         gdi::FixFromInt(s.aPts[3].x, s.aPts[3].y), aPath);

      // Every pixel of the stroke lies within half the pen and a pixel of the
      // flattened path: in this block's rows of that box that are covered the
      // stroke shows nowhere.
      std::int64_t fl = aPath[0].x, fr = fl, ft = aPath[0].y, fb = ft;
      for (const gdi::FixPoint& p : aPath) {
        fl = std::min(fl, p.x);
        fr = std::max(fr, p.x);
        ft = std::min(ft, p.y);
        fb = std::max(fb, p.y);
      }
      const std::int64_t iReach = iWidth * (gdi::kFixOne / 2) + gdi::kFixOne;
      const std::int64_t y0 =
          std::max<std::int64_t>(gdi::FloorDiv(ft - iReach, gdi::kFixOne), iFirst);
      const std::int64_t y1 =
          std::min<std::int64_t>(gdi::CeilDiv(fb + iReach, gdi::kFixOne) + 1, iEnd);
      const std::int64_t x0 = std::max<std::int64_t>(gdi::FloorDiv(fl - iReach, gdi::kFixOne), 0);
      const std::int64_t x1 =
          std::min<std::int64_t>(gdi::CeilDiv(fr + iReach, gdi::kFixOne) + 1, W);
      if (y0 >= y1 || x0 >= x1) continue;
      auto covered = [&](std::int64_t y) {
        return Covered(aRows[static_cast<std::size_t>(y - iFirst)], static_cast<int>(x0),
                       static_cast<int>(x1));
      };
      std::int64_t ya = y0, yb = y1;
      while (ya < yb && covered(ya)) ++ya;
      while (yb > ya && covered(yb - 1)) --yb;
      if (ya == yb) continue;
      // The spans of a row do not depend on the window's other rows, so the
      // covered rows at the top and the bottom are not scanned.
      const gdi::Window win{0, static_cast<int>(ya), W, static_cast<int>(yb)};
      const RunColour paint(s.cr);
      aSpans.clear();
      gdi::StrokePolylineSpans(aPath.data(), static_cast<int>(aPath.size()), false, iWidth, win,
                               aSpans, chords);
      for (const gdi::Span& sp : aSpans)
        PaintRun(aRows[static_cast<std::size_t>(sp.y - iFirst)], bitmap.Row(sp.y), sp.x0, sp.x1,
                 paint);
    }
    if (!fnUncovered) return;
    for (int y = iFirst; y < iEnd; ++y) {
      int x = 0;
      for (const Run& r : aRows[static_cast<std::size_t>(y - iFirst)]) {
        if (r.x0 > x) fnUncovered(y, x, r.x0, bitmap.Row(y));
        x = r.x1;
      }
      if (x < W) fnUncovered(y, x, W, bitmap.Row(y));
    }
  });
  return !bStop.load(std::memory_order_relaxed);
}
