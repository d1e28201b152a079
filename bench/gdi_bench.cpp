// Drawing layer benchmarks: the per-pixel calls, small shapes in bulk, wide
// pens and text. Figures are recorded in docs/performance.md.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "platform/dc.h"

namespace {

struct CBenchSurface {
  CBenchSurface(int w, int h) : m_pBitmap(CreateCompatibleBitmap(m_dc, w, h)) {
    m_dc.SelectObject(m_pBitmap.get());
  }
  ~CBenchSurface() { m_dc.SelectObject(static_cast<CBitmap*>(nullptr)); }
  CDC m_dc;
  std::unique_ptr<CBitmap> m_pBitmap;
};

constexpr int kSize = 1024;

void BM_GetPixel(benchmark::State& state) {
  CBenchSurface s(kSize, kSize);
  int x = 0, y = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(s.m_dc.GetPixel(x, y));
    if (++x == kSize) {
      x = 0;
      y = (y + 1) & (kSize - 1);
    }
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetPixel);

void BM_SetPixelV(benchmark::State& state) {
  CBenchSurface s(kSize, kSize);
  int x = 0, y = 0;
  COLORREF c = 0x123456;
  for (auto _ : state) {
    s.m_dc.SetPixelV(x, y, c);
    if (++x == kSize) {
      x = 0;
      y = (y + 1) & (kSize - 1);
      ++c;
    }
  }
  benchmark::DoNotOptimize(s.m_pBitmap->Bits()[0]);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SetPixelV);

void BM_FillSolidRect4x4(benchmark::State& state) {
  CBenchSurface s(kSize, kSize);
  int x = 0, y = 0;
  for (auto _ : state) {
    s.m_dc.FillSolidRect(x, y, x + 4, y + 4, RGB(x, y, 7));
    if ((x += 4) >= kSize) {
      x = 0;
      y = (y + 4) & (kSize - 1);
    }
  }
  benchmark::DoNotOptimize(s.m_pBitmap->Bits()[0]);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FillSolidRect4x4);

// A million random small polygons (4 vertices within 12 pixels) with a
// one-pixel pen and a brush, on a 2048 x 2048 surface.
void BM_MillionSmallPolygons(benchmark::State& state) {
  CBenchSurface s(2048, 2048);
  s.m_dc.SelectObject(CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
  s.m_dc.SelectObject(CreateSolidBrush(RGB(200, 30, 30)));
  std::mt19937 rng(1);
  std::vector<POINT> aPts(4096 * 4);
  for (POINT& p : aPts) p = POINT{static_cast<LONG>(rng() % 12), static_cast<LONG>(rng() % 12)};
  for (auto _ : state) {
    for (int i = 0; i < 1000000; ++i) {
      POINT quad[4];
      const POINT* pSrc = &aPts[static_cast<std::size_t>(i & 4095) * 4];
      const LONG ox = (i * 37) & 2047, oy = (i * 101) & 2047;
      for (int k = 0; k < 4; ++k) quad[k] = POINT{pSrc[k].x + ox, pSrc[k].y + oy};
      s.m_dc.Polygon(quad, 4);
    }
  }
  state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_MillionSmallPolygons)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_MillionSmallEllipses(benchmark::State& state) {
  CBenchSurface s(2048, 2048);
  s.m_dc.SelectObject(CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
  s.m_dc.SelectObject(CreateSolidBrush(RGB(30, 200, 30)));
  for (auto _ : state) {
    for (int i = 0; i < 1000000; ++i) {
      const int x = (i * 37) & 2047, y = (i * 101) & 2047, d = 3 + (i % 10);
      s.m_dc.Ellipse(x, y, x + d, y + d);
    }
  }
  state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_MillionSmallEllipses)->Unit(benchmark::kMillisecond)->Iterations(2);

// Wide-pen strokes of 300 pixels in random directions (round caps).
void BM_WideLine(benchmark::State& state) {
  CBenchSurface s(2048, 2048);
  s.m_dc.SelectObject(CreatePen(PS_SOLID, static_cast<int>(state.range(0)), RGB(0, 90, 255)));
  std::mt19937 rng(2);
  std::vector<POINT> aEnds(1024);
  for (POINT& p : aEnds) p = POINT{static_cast<LONG>(rng() % 301) - 150, static_cast<LONG>(rng() % 301) - 150};
  int i = 0;
  for (auto _ : state) {
    const POINT& d = aEnds[static_cast<std::size_t>(i & 1023)];
    const int x = 300 + (i * 37) % 1400, y = 300 + (i * 101) % 1400;
    s.m_dc.MoveTo(x, y);
    s.m_dc.LineTo(x + d.x, y + d.y);
    ++i;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WideLine)->Arg(3)->Arg(200);

// A wide Bézier stroke as a painter's brush draws it.
void BM_WideBezier(benchmark::State& state) {
  CBenchSurface s(2048, 2048);
  s.m_dc.SelectObject(CreatePen(PS_SOLID, static_cast<int>(state.range(0)), RGB(0, 90, 255)));
  int i = 0;
  for (auto _ : state) {
    const LONG x = 300 + (i * 37) % 1200, y = 300 + (i * 101) % 1200;
    const POINT pts[4] = {{x, y}, {x + 200, y - 150}, {x + 100, y + 300}, {x + 400, y + 100}};
    s.m_dc.PolyBezier(pts, 4);
    ++i;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WideBezier)->Arg(3)->Arg(140);

// A node outline: a hollow ellipse 600 pixels across (a path of about 80
// points) with a wide pen.
void BM_WideEllipse(benchmark::State& state) {
  CBenchSurface s(2048, 2048);
  s.m_dc.SelectObject(CreatePen(PS_SOLID, static_cast<int>(state.range(0)), RGB(0, 90, 255)));
  s.m_dc.SelectObject(GetStockBrush(NULL_BRUSH));
  int i = 0;
  for (auto _ : state) {
    const int x = 200 + (i * 37) % 1000, y = 200 + (i * 101) % 1000;
    s.m_dc.Ellipse(x, y, x + 600, y + 600);
    ++i;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WideEllipse)->Arg(20)->Arg(248);

// Small polygons wholly off a thin surface, as tiles of a large pattern
// drawn on a strip: each should cost no more than its rejection.
void BM_OffSurfacePolygons(benchmark::State& state) {
  CBenchSurface s(4, 4096);
  s.m_dc.SelectObject(CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
  s.m_dc.SelectObject(CreateSolidBrush(RGB(200, 30, 30)));
  int i = 0;
  for (auto _ : state) {
    const LONG x = 10 + (i * 37) % 4000, y = (i * 101) % 4096;
    const POINT quad[4] = {{x, y}, {x + 9, y + 1}, {x + 8, y + 10}, {x - 1, y + 9}};
    s.m_dc.Polygon(quad, 4);
    ++i;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OffSurfacePolygons);

LOGFONT ArialFont(LONG iHeight, LONG iEscapement) {
  LOGFONT lf{};
  lf.lfHeight = iHeight;
  lf.lfEscapement = iEscapement;
  std::strcpy(lf.lfFaceName, "Arial");
  return lf;
}

// One glyph per TextOut from the font's glyph cache (one font, many cells).
void BM_TextGlyphCached(benchmark::State& state) {
  CBenchSurface s(2048, 2048);
  s.m_dc.SelectObject(CreateFontIndirect(ArialFont(static_cast<LONG>(state.range(0)), 0)));
  s.m_dc.SetBkMode(TRANSPARENT);
  s.m_dc.SetTextAlign(TA_CENTER);
  int i = 0;
  for (auto _ : state) {
    const char c = static_cast<char>('A' + i % 26);
    s.m_dc.TextOut(100 + (i * 37) % 1800, (i * 101) % 1800, &c, 1);
    ++i;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TextGlyphCached)->Arg(40)->Arg(400);

// A new rotated font per letter, as falling letters are drawn: make, select,
// draw, put back, delete.
void BM_TextGlyphNewFontPerLetter(benchmark::State& state) {
  CBenchSurface s(2048, 2048);
  s.m_dc.SetBkMode(TRANSPARENT);
  int i = 0;
  for (auto _ : state) {
    HFONT hFont = CreateFontIndirect(ArialFont(static_cast<LONG>(state.range(0)), (i * 10) % 3600));
    HFONT hOld = s.m_dc.SelectObject(hFont);
    const char c = static_cast<char>('a' + i % 26);
    s.m_dc.TextOut(200 + (i * 37) % 1600, 200 + (i * 101) % 1600, &c, 1);
    s.m_dc.SelectObject(hOld);
    DeleteObject(hFont);
    ++i;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TextGlyphNewFontPerLetter)->Arg(40)->Arg(400);

}  // namespace
