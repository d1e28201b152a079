#include "platform/gdi/geometry.h"

#include <algorithm>
#include <cmath>

namespace gdi {
namespace {

using Int128 = __int128;

constexpr double kPi = 3.14159265358979323846;
constexpr double kTolerance = 0.25;  // pixels between a curve and its polyline

FixPoint ToFix(double x, double y) {
  return {std::llround(x * kFixOne), std::llround(y * kFixOne)};
}

// Number of segments for an arc of radius dRadius over dSweep radians so that
// no chord strays more than the tolerance from the curve.
int ArcSegments(double dRadius, double dSweep) {
  if (dRadius <= kTolerance) return std::max(1, static_cast<int>(std::ceil(dSweep / (kPi / 2))));
  const double dStep = 2 * std::acos(1 - kTolerance / dRadius);
  const double n = std::ceil(dSweep / dStep);
  return static_cast<int>(std::clamp(n, 4.0, 8192.0));
}

}  // namespace

CBoxShape::CBoxShape(std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b)
    : m_l(l), m_r(r) {
  m_iTop = t;
  m_iBottom = b;
}

bool CBoxShape::Row(std::int64_t y, std::int64_t& xl, std::int64_t& xr) const {
  if (y < m_iTop || y >= m_iBottom || m_l >= m_r) return false;
  xl = m_l;
  xr = m_r - 1;
  return true;
}

CEllipseShape::CEllipseShape(std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b)
    : m_iSumX(l + r - 1), m_iSumY(t + b - 1), m_A(r - l), m_B(b - t) {
  m_iTop = t;
  m_iBottom = b;
}

bool CEllipseShape::Row(std::int64_t y, std::int64_t& xl, std::int64_t& xr) const {
  if (y < m_iTop || y >= m_iBottom || m_A <= 0 || m_B <= 0) return false;
  // In doubled coordinates the pixel centre is X = 2x + 1 - (l + r), Y likewise,
  // and it is inside when X^2 B^2 + Y^2 A^2 <= A^2 B^2. Find the largest D with
  // D^2 B^2 <= A^2 (B^2 - Y^2); then |X| <= D.
  const std::int64_t Y = 2 * y - m_iSumY;
  const Int128 A2 = static_cast<Int128>(m_A) * m_A, B2 = static_cast<Int128>(m_B) * m_B;
  const Int128 rhs = A2 * (B2 - static_cast<Int128>(Y) * Y);
  if (rhs < 0) return false;
  auto fits = [&](std::int64_t d) { return static_cast<Int128>(d) * d * B2 <= rhs; };
  std::int64_t D = static_cast<std::int64_t>(
      std::sqrt(static_cast<double>(rhs)) / static_cast<double>(m_B));
  while (D > 0 && !fits(D)) --D;
  while (fits(D + 1)) ++D;
  // x with |2x - (l + r - 1)| <= D.
  xl = CeilDiv(m_iSumX - D, 2);
  xr = FloorDiv(m_iSumX + D, 2);
  return xl <= xr;
}

CRoundRectShape::CRoundRectShape(std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b,
                                 std::int64_t ew, std::int64_t eh)
    : m_l(l),
      m_r(r),
      m_ew(std::clamp<std::int64_t>(ew, 0, r - l)),
      m_eh(std::clamp<std::int64_t>(eh, 0, b - t)),
      m_corner(0, 0, m_ew, m_eh) {
  m_iTop = t;
  m_iBottom = b;
}

bool CRoundRectShape::Row(std::int64_t y, std::int64_t& xl, std::int64_t& xr) const {
  if (y < m_iTop || y >= m_iBottom || m_l >= m_r) return false;
  xl = m_l;
  xr = m_r - 1;
  // The top half of the corner ellipse shapes the first rows, its bottom half
  // the last ones; the left half of each row goes left, the right half right.
  std::int64_t k = -1;
  if (y - m_iTop < m_eh / 2)
    k = y - m_iTop;
  else if (m_iBottom - 1 - y < m_eh / 2)
    k = m_eh - (m_iBottom - y);
  if (k < 0) return true;
  std::int64_t el = 0, er = 0;
  if (!m_corner.Row(k, el, er)) return false;
  xl = m_l + el;
  xr = m_r - m_ew + er;
  return xl <= xr;
}

void RowShapeSpans(const CRowShape& shape, const Window& win, SpanList* pOutline,
                   SpanList* pInterior) {
  const std::int64_t y0 = std::max<std::int64_t>(shape.m_iTop, win.t);
  const std::int64_t y1 = std::min<std::int64_t>(shape.m_iBottom, win.b);
  if (y0 >= y1 || win.IsEmpty()) return;
  auto emit = [&](SpanList* pList, std::int64_t y, std::int64_t a, std::int64_t b) {
    // Inclusive run [a, b] clipped to the window.
    a = std::max<std::int64_t>(a, win.l);
    b = std::min<std::int64_t>(b, static_cast<std::int64_t>(win.r) - 1);
    if (pList && a <= b)
      pList->push_back({static_cast<int>(y), static_cast<int>(a), static_cast<int>(b + 1)});
  };
  struct RowRun {
    bool bOn = false;
    std::int64_t l = 0, r = 0;
  };
  auto get = [&](std::int64_t y) {
    RowRun run;
    run.bOn = shape.Row(y, run.l, run.r);
    return run;
  };
  RowRun prev = pOutline ? get(y0 - 1) : RowRun{}, cur = get(y0);
  for (std::int64_t y = y0; y < y1; ++y) {
    const RowRun next = pOutline ? get(y + 1) : RowRun{};
    if (cur.bOn) {
      if (!pOutline) {
        emit(pInterior, y, cur.l, cur.r);
      } else {
        // Interior: pixels whose left, right, upper and lower neighbours are all in.
        std::int64_t il = cur.l + 1, ir = cur.r - 1;
        if (!prev.bOn || !next.bOn) {
          il = 1;
          ir = 0;
        } else {
          il = std::max({il, prev.l, next.l});
          ir = std::min({ir, prev.r, next.r});
        }
        if (il > ir) {
          emit(pOutline, y, cur.l, cur.r);
        } else {
          emit(pOutline, y, cur.l, il - 1);
          emit(pInterior, y, il, ir);
          emit(pOutline, y, ir + 1, cur.r);
        }
      }
    }
    prev = cur;
    cur = next;
    if (!pOutline && y + 1 < y1) cur = get(y + 1);
  }
}

void FlattenEllipseArc(double cx, double cy, double a, double b, double dStart, double dSweep,
                       std::vector<FixPoint>& out) {
  const int n = ArcSegments(std::max(a, b), dSweep);
  for (int i = 0; i <= n; ++i) {
    const double phi = dStart + dSweep * i / n;
    out.push_back(ToFix(cx + a * std::cos(phi), cy - b * std::sin(phi)));
  }
}

void FlattenEllipse(double cx, double cy, double a, double b, std::vector<FixPoint>& out) {
  FlattenEllipseArc(cx, cy, a, b, 0, 2 * kPi, out);
  out.pop_back();  // the last point repeats the first
}

void FlattenBezier(FixPoint p0, FixPoint p1, FixPoint p2, FixPoint p3,
                   std::vector<FixPoint>& out) {
  auto px = [](const FixPoint& p) { return static_cast<double>(p.x) / kFixOne; };
  auto py = [](const FixPoint& p) { return static_cast<double>(p.y) / kFixOne; };
  const double x0 = px(p0), y0 = py(p0), x1 = px(p1), y1 = py(p1);
  const double x2 = px(p2), y2 = py(p2), x3 = px(p3), y3 = py(p3);
  // Uniform steps: the deviation of a chord is at most 3/4 of the largest
  // second difference divided by n^2.
  const double ddx = std::max(std::hypot(x0 - 2 * x1 + x2, y0 - 2 * y1 + y2),
                              std::hypot(x1 - 2 * x2 + x3, y1 - 2 * y2 + y3));
  const int n = static_cast<int>(
      std::clamp(std::ceil(std::sqrt(0.75 * ddx / kTolerance)), 1.0, 4096.0));
  for (int i = 1; i < n; ++i) {
    const double t = static_cast<double>(i) / n, u = 1 - t;
    const double b0 = u * u * u, b1 = 3 * u * u * t, b2 = 3 * u * t * t, b3 = t * t * t;
    out.push_back(ToFix(b0 * x0 + b1 * x1 + b2 * x2 + b3 * x3, b0 * y0 + b1 * y1 + b2 * y2 + b3 * y3));
  }
  out.push_back(p3);
}

}  // namespace gdi
