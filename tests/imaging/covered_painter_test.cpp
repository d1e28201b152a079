// CCoveredPainter against the same strokes drawn in order on a DC.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "imaging/covered_painter.h"
#include "imaging/row_blocks.h"
#include "platform/draw_support.h"

namespace {

// iWidth 0: the filled ellipse in the box aPts[0], aPts[1] (either corner).
struct TestStroke {
  POINT aPts[4];
  int iWidth;
  COLORREF cr;
};

// Random paper, so that a pixel no stroke covers must keep its own bytes.
void Paper(CTestSurface& s, unsigned iSeed) {
  std::mt19937 rng(iSeed);
  for (int y = 0; y < s.H(); ++y)
    for (int x = 0; x < s.W(); ++x) s.dc().SetPixelV(x, y, rng() & 0xFFFFFF);
}

std::uint64_t InOrder(const std::vector<TestStroke>& aStrokes, int w, int h, unsigned iPaper) {
  CTestSurface s(w, h);
  Paper(s, iPaper);
  for (const TestStroke& st : aStrokes) {
    HPEN hPen = CreatePen(PS_SOLID, std::max(st.iWidth, 1), st.cr);
    HBRUSH hBrush = CreateSolidBrush(st.cr);
    HPEN hOld = s.dc().SelectObject(hPen);
    HBRUSH hOldBrush = s.dc().SelectObject(hBrush);
    if (st.iWidth == 0)
      s.dc().Ellipse(st.aPts[0].x, st.aPts[0].y, st.aPts[1].x, st.aPts[1].y);
    else
      s.dc().PolyBezier(st.aPts, 4);
    s.dc().SelectObject(hOld);
    s.dc().SelectObject(hOldBrush);
    DeleteObject(hPen);
    DeleteObject(hBrush);
  }
  return s.Hash();
}

// With bUnder the surface starts black and the paper is written only where
// the painter finds no stroke.
std::uint64_t Covered(const std::vector<TestStroke>& aStrokes, int w, int h, unsigned iPaper,
                      bool bUnder) {
  CTestSurface paper(w, h), s(w, h);
  Paper(paper, iPaper);
  if (!bUnder) Paper(s, iPaper);
  CCoveredPainter painter;
  for (const TestStroke& st : aStrokes) {
    if (st.iWidth == 0)
      painter.AddEllipse(st.aPts[0].x, st.aPts[0].y, st.aPts[1].x, st.aPts[1].y, st.cr);
    else
      painter.AddBezier(st.aPts, st.iWidth, st.cr);
  }
  CCoveredPainter::RunFn fnUnder;
  if (bUnder)
    fnUnder = [&](int y, int x0, int x1, std::uint8_t* pRow) {
      EXPECT_EQ(pRow, s.m_pBitmap->Row(y));
      std::memcpy(pRow + 3 * x0, paper.m_pBitmap->Row(y) + 3 * x0, 3 * (x1 - x0));
    };
  EXPECT_TRUE(painter.Paint(*s.m_pBitmap, {}, fnUnder));
  return s.Hash();
}

}  // namespace

TEST(CoveredPainter, SameBytesAsPaperThenStrokesInOrder) {
  constexpr int W = 211, H = 260;
  std::mt19937 rng(777);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int iCase = 0; iCase < 12; ++iCase) {
    // Dense overlapping strokes, some reaching off every side of the surface
    // or lying wholly outside it, a few far larger than the surface.
    std::vector<TestStroke> a;
    const int n = pick(1, 300);
    for (int i = 0; i < n; ++i) {
      TestStroke st;
      const int x = pick(-60, W + 60), y = pick(-60, H + 60), L = pick(0, i % 17 ? 60 : 900);
      for (POINT& p : st.aPts) p = {x + pick(-L, L), y + pick(-L, L)};
      st.iWidth = i % 23 ? pick(2, 40) : pick(100, 600);
      st.cr = static_cast<COLORREF>(rng() & 0xFFFFFF);
      a.push_back(st);
    }
    // Filled ellipses among them: discs from radius 0 up, boxes either way
    // round, off every side, degenerate (empty, a pixel, lines, 2 and 3
    // wide) and far larger than the surface.
    auto ellipse = [&](int l, int t, int r, int b) {
      const TestStroke st{{{l, t}, {r, b}, {}, {}}, 0, static_cast<COLORREF>(rng() & 0xFFFFFF)};
      a.insert(a.begin() + pick(0, static_cast<int>(a.size())), st);
    };
    for (int i = pick(0, 150); i > 0; --i) {
      const int x = pick(-40, W + 40), y = pick(-40, H + 40), r = pick(0, i % 2 ? 3 : 90);
      if (i % 3)
        ellipse(x - r, y - r, x + r, y + r);
      else
        ellipse(x + pick(-60, 60), y + pick(-60, 60), x, y);
    }
    for (const RECT& rc : {RECT{50, 50, 50, 90}, {50, 50, 90, 50}, {60, 60, 61, 61},
                           {10, 5, 11, 140}, {5, 20, 160, 22}, {30, 30, 33, 70}, {-9, -9, -1, -1},
                           {-2000000000, 40, 2000000000, 61}, {W + 700, -3, -700, H + 3}})
      ellipse(rc.left, rc.top, rc.right, rc.bottom);
    // The last stroke covers an earlier one wholly, which then shows nowhere.
    a.push_back({{{100, 100}, {110, 110}, {120, 120}, {130, 130}}, 4, RGB(9, 9, 9)});
    a.push_back({{{90, 90}, {110, 110}, {120, 120}, {140, 140}}, 60, RGB(200, 10, 10)});
    const std::uint64_t iExpected = InOrder(a, W, H, iCase);
    for (int iBlocks : {1, 3, 4}) {
      LimitRowBlocks(iBlocks);
      for (bool bUnder : {false, true})
        EXPECT_EQ(Covered(a, W, H, iCase, bUnder), iExpected)
            << "case " << iCase << ", blocks " << iBlocks << (bUnder ? ", under" : "");
    }
    LimitRowBlocks(0);
  }
}

TEST(CoveredPainter, WithoutStrokesAllIsUncoveredAndAStopIsReported) {
  CTestSurface s(64, 64);
  Paper(s, 1);
  const std::uint64_t iPaper = s.Hash();
  CCoveredPainter painter;
  long long iUncovered = 0;
  EXPECT_TRUE(painter.Paint(*s.m_pBitmap, [](int) { return true; },
                            [&](int, int x0, int x1, std::uint8_t*) { iUncovered += x1 - x0; }));
  EXPECT_EQ(iUncovered, 64 * 64);
  EXPECT_EQ(s.Hash(), iPaper);
  const POINT aPts[4] = {{0, 0}, {20, 5}, {40, 50}, {63, 63}};
  painter.AddBezier(aPts, 9, RGB(1, 2, 3));
  EXPECT_FALSE(painter.Paint(*s.m_pBitmap, [](int) { return false; }));
}
