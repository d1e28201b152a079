// The span rasteriser against slow per-pixel reference fillers, on random
// shapes including coordinates far outside the surface and degenerate ones.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "platform/dc.h"
#include "platform/draw_support.h"

namespace {

constexpr int kW = 40, kH = 30;
constexpr COLORREF kPen = RGB(255, 255, 255);
constexpr COLORREF kBrush = RGB(200, 0, 0);
using Int128 = __int128;

// Even-odd point-in-polygon at the sample point (x, y): count the edges whose
// crossing of row y lies at or left of x (edges cover y0 <= y < y1).
bool InPolygon(const std::vector<POINT>& pts, int x, int y) {
  bool bIn = false;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    POINT a = pts[i], b = pts[(i + 1) % pts.size()];
    if (a.y == b.y) continue;
    if (a.y > b.y) std::swap(a, b);
    if (y < a.y || y >= b.y) continue;
    // crossing = a.x + (y - a.y)(b.x - a.x)/(b.y - a.y) <= x
    const Int128 lhs = static_cast<Int128>(x - static_cast<Int128>(a.x)) * (b.y - static_cast<Int128>(a.y));
    const Int128 rhs = static_cast<Int128>(y - static_cast<Int128>(a.y)) * (b.x - static_cast<Int128>(a.x));
    if (lhs >= rhs) bIn = !bIn;
  }
  return bIn;
}

// The ellipse of the box by its definition: pixel centre inside the closed
// inscribed ellipse; boxes at most 2 wide or high are plain boxes.
bool InEllipseFigure(long long l, long long t, long long r, long long b, bool bTiny, long long x,
                     long long y) {
  if (x < l || x >= r || y < t || y >= b) return false;
  if (bTiny) return true;
  const Int128 A = r - l, B = b - t, X = 2 * x + 1 - (l + r), Y = 2 * y + 1 - (t + b);
  return X * X * B * B + Y * Y * A * A <= A * A * B * B;
}

double DistanceToSegment(double px, double py, double ax, double ay, double bx, double by) {
  const double dx = bx - ax, dy = by - ay, len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

double DistanceToPolyline(double px, double py, const std::vector<std::pair<double, double>>& p) {
  double d = 1e300;
  for (std::size_t i = 0; i + 1 < p.size(); ++i)
    d = std::min(d, DistanceToSegment(px, py, p[i].first, p[i].second, p[i + 1].first,
                                      p[i + 1].second));
  return d;
}

// A coordinate: mostly near the surface, sometimes far outside it.
int RandomCoord(std::mt19937& rng, int iExtent) {
  switch (rng() % 8) {
    case 0: return static_cast<int>(static_cast<long long>(rng() % 4000000001u) - 2000000000);
    case 1: return static_cast<int>(rng() % 2000001u) - 1000000;
    default: return static_cast<int>(rng() % (iExtent + 40)) - 20;
  }
}

// Checks the picture against a stroke of width w around the path: pixels well
// inside must be drawn, pixels well outside must not (the band of the
// flattening tolerance between them may go either way).
void ExpectStroke(const CTestSurface& s, const std::vector<std::pair<double, double>>& path,
                  double w, double dSlack, const char* szWhat, int iCase) {
  int iBad = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const double d = DistanceToPolyline(x, y, path);
      const bool bOn = s.At(x, y) == kPen;
      if ((d < w / 2 - dSlack && !bOn) || (d > w / 2 + dSlack && bOn)) ++iBad;
    }
  EXPECT_EQ(iBad, 0) << szWhat << " case " << iCase;
}

TEST(RasterReference, PolygonsMatchPointInPolygon) {
  std::mt19937 rng(12345);
  for (int iCase = 0; iCase < 300; ++iCase) {
    const int n = 1 + static_cast<int>(rng() % 9);
    std::vector<POINT> pts(static_cast<std::size_t>(n));
    for (POINT& p : pts) p = POINT{RandomCoord(rng, kW), RandomCoord(rng, kH)};
    if (iCase % 10 == 0) {
      // Degenerate: all points on one line, or one point repeated.
      for (int i = 1; i < n; ++i) pts[i] = POINT{pts[0].x + i * 3, pts[0].y + i * 2};
    } else if (iCase % 10 == 1) {
      for (POINT& p : pts) p = pts[0];
    }
    CTestSurface s(kW, kH);
    s.dc().SelectObject(GetStockPen(NULL_PEN));
    s.dc().Polygon(pts.data(), n);
    int iBad = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        iBad += (s.At(x, y) == RGB(255, 255, 255)) != (n >= 3 && InPolygon(pts, x, y));
    EXPECT_EQ(iBad, 0) << "case " << iCase << " n " << n;
  }
}

TEST(RasterReference, EllipsesMatchTheirDefinition) {
  std::mt19937 rng(777);
  for (int iCase = 0; iCase < 300; ++iCase) {
    int l = static_cast<int>(rng() % 80) - 20, t = static_cast<int>(rng() % 70) - 20;
    int r = l + static_cast<int>(rng() % 50) - 5, b = t + static_cast<int>(rng() % 40) - 5;
    if (iCase % 7 == 0) {  // huge and mostly outside
      l = -100000000 + static_cast<int>(rng() % 1000);
      r = 20 + static_cast<int>(rng() % 30);
      t = static_cast<int>(rng() % 30) - 200000;
      b = 100000000;
    }
    const bool bNullPen = iCase % 3 == 0;
    CTestSurface s(kW, kH);
    CPenBrush pb(s.dc(), bNullPen ? GetStockPen(NULL_PEN) : CreatePen(PS_SOLID, 1, kPen),
                 CreateSolidBrush(kBrush));
    s.dc().Ellipse(l, t, r, b);
    long long L = std::min(l, r), R = std::max(l, r), T = std::min(t, b), B = std::max(t, b);
    const bool bTiny = R - L <= 2 || B - T <= 2;
    if (bNullPen) {
      --R;
      --B;
    }
    auto in = [&](long long x, long long y) { return InEllipseFigure(L, T, R, B, bTiny, x, y); };
    int iBad = 0;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        COLORREF want = 0;
        if (in(x, y)) {
          const bool bEdge = !in(x - 1, y) || !in(x + 1, y) || !in(x, y - 1) || !in(x, y + 1);
          want = bEdge && !bNullPen ? kPen : kBrush;
        }
        iBad += s.At(x, y) != want;
      }
    EXPECT_EQ(iBad, 0) << "case " << iCase << " box " << l << "," << t << "," << r << "," << b;
  }
}

TEST(RasterReference, WideLinesMatchDistanceToSegment) {
  std::mt19937 rng(4242);
  for (int iCase = 0; iCase < 300; ++iCase) {
    const int w = 2 + static_cast<int>(rng() % 30);
    POINT a{RandomCoord(rng, kW), RandomCoord(rng, kH)};
    POINT b{RandomCoord(rng, kW), RandomCoord(rng, kH)};
    if (iCase % 4 == 0) {  // keep both ends near, so the caps show
      a = POINT{static_cast<LONG>(rng() % kW), static_cast<LONG>(rng() % kH)};
      b = POINT{static_cast<LONG>(rng() % kW), static_cast<LONG>(rng() % kH)};
    }
    if (iCase % 25 == 0) b = a;  // zero length: nothing at all
    // Far ends are pulled in along the line so the double arithmetic of the
    // reference stays exact enough; the layer gets the original points.
    CTestSurface s(kW, kH);
    s.dc().SelectObject(CreatePen(PS_SOLID, w, kPen));
    s.dc().MoveTo(a.x, a.y);
    s.dc().LineTo(b.x, b.y);
    if (a.x == b.x && a.y == b.y) {
      EXPECT_EQ(s.Ink(kPen).right, -1) << "case " << iCase;
      continue;
    }
    ExpectStroke(s, {{a.x, a.y}, {b.x, b.y}}, w, 0.1, "line", iCase);
  }
}

TEST(RasterReference, WideCurvesMatchDistanceToTheCurve) {
  std::mt19937 rng(99);
  for (int iCase = 0; iCase < 60; ++iCase) {
    const int w = 2 + static_cast<int>(rng() % 12);
    CTestSurface s(kW, kH);
    s.dc().SelectObject(CreatePen(PS_SOLID, w, kPen));
    s.dc().SelectObject(GetStockBrush(NULL_BRUSH));
    std::vector<std::pair<double, double>> path;
    if (iCase % 2 == 0) {
      POINT p[4];
      for (POINT& q : p) q = POINT{static_cast<LONG>(rng() % 60) - 10, static_cast<LONG>(rng() % 50) - 10};
      s.dc().PolyBezier(p, 4);
      for (int i = 0; i <= 400; ++i) {
        const double t = i / 400.0, u = 1 - t;
        path.emplace_back(u * u * u * p[0].x + 3 * u * u * t * p[1].x + 3 * u * t * t * p[2].x + t * t * t * p[3].x,
                          u * u * u * p[0].y + 3 * u * u * t * p[1].y + 3 * u * t * t * p[2].y + t * t * t * p[3].y);
      }
    } else {
      const int l = static_cast<int>(rng() % 40) - 10, t = static_cast<int>(rng() % 30) - 10;
      const int r = l + 4 + static_cast<int>(rng() % 40), b = t + 4 + static_cast<int>(rng() % 30);
      s.dc().Ellipse(l, t, r, b);
      const double cx = (l + r - 1) / 2.0, cy = (t + b - 1) / 2.0;
      const double ea = (r - l - 1) / 2.0, eb = (b - t - 1) / 2.0;
      for (int i = 0; i <= 600; ++i) {
        const double phi = 2 * 3.14159265358979323846 * i / 600;
        path.emplace_back(cx + ea * std::cos(phi), cy + eb * std::sin(phi));
      }
    }
    // A quarter pixel of flattening plus the rounding of the stroke's corners.
    ExpectStroke(s, path, w, 0.4, iCase % 2 == 0 ? "bezier" : "ellipse", iCase);
  }
}

// The row-merging stroke against the discs and bodies collected and
// normalised: random paths, some crossing themselves many times (past the
// runs a row holds), windows cut anywhere, far and huge coordinates.
TEST(RasterReference, MergedStrokeSpansEqualNormalisedPieces) {
  std::mt19937 rng(77);
  for (int iCase = 0; iCase < 3000; ++iCase) {
    const int n = 1 + static_cast<int>(rng() % (iCase % 5 == 0 ? 40 : 8));
    const std::int64_t iSpread = iCase % 50 == 0 ? (std::int64_t{1} << 34) : 16 * 120;
    std::vector<gdi::FixPoint> aPts(static_cast<std::size_t>(n));
    for (gdi::FixPoint& p : aPts)
      p = {static_cast<std::int64_t>(rng() % (2 * iSpread)) - iSpread / 2,
           static_cast<std::int64_t>(rng() % (2 * iSpread)) - iSpread / 2};
    const std::int64_t iWidth = 2 + static_cast<std::int64_t>(rng() % (iCase % 7 == 0 ? 300 : 40));
    const int l = static_cast<int>(rng() % 60) - 20, t = static_cast<int>(rng() % 60) - 20;
    const gdi::Window win{l, t, l + 1 + static_cast<int>(rng() % 120), t + 1 + static_cast<int>(rng() % 120)};
    const bool bClosed = rng() % 2 != 0;
    gdi::SpanList want, got = {{-99, 1, 2}};  // appended after what the list holds
    gdi::StrokePolyline(aPts.data(), n, bClosed, iWidth, win, want);
    gdi::NormaliseSpans(want);
    want.insert(want.begin(), gdi::Span{-99, 1, 2});
    gdi::StrokePolylineSpans(aPts.data(), n, bClosed, iWidth, win, got);
    ASSERT_EQ(got.size(), want.size()) << "case " << iCase;
    for (std::size_t i = 0; i < got.size(); ++i) {
      ASSERT_EQ(got[i].y, want[i].y) << "case " << iCase << " span " << i;
      ASSERT_EQ(got[i].x0, want[i].x0) << "case " << iCase << " span " << i;
      ASSERT_EQ(got[i].x1, want[i].x1) << "case " << iCase << " span " << i;
    }
  }
}

}  // namespace
