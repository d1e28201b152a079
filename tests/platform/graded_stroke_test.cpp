// MergeGradedStroke and MergeGradedEllipse against the passes they stand
// for, drawn one by one with merging pens.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "platform/dc.h"
#include "platform/draw_support.h"

namespace {

// Random paper with a few bits set, so that ORs show against it.
void Paper(CTestSurface& s, unsigned iSeed) {
  std::mt19937 rng(iSeed);
  for (int y = 0; y < s.H(); ++y)
    for (int x = 0; x < s.W(); ++x) s.dc().SetPixelV(x, y, rng() & 0x030507);
}

struct Passes {
  std::vector<int> aWidths;
  std::vector<COLORREF> aColours;
};

// The passes one by one, as the callers drew them before.
void DrawPassByPass(CDC& dc, const std::vector<POINT>& aPts, bool bClosed, bool bEllipse,
                    const Passes& p) {
  dc.SetROP2(R2_MERGEPEN);
  dc.SelectObject(GetStockBrush(NULL_BRUSH));
  for (std::size_t i = 0; i < p.aWidths.size(); ++i) {
    HPEN hPen = CreatePen(PS_SOLID, p.aWidths[i], p.aColours[i]);
    dc.SelectObject(hPen);
    if (bEllipse)
      dc.Ellipse(aPts[0].x, aPts[0].y, aPts[1].x, aPts[1].y);
    else if (bClosed)
      dc.Polygon(aPts.data(), static_cast<int>(aPts.size()));
    else
      dc.Polyline(aPts.data(), static_cast<int>(aPts.size()));
    dc.SelectObject(GetStockPen(BLACK_PEN));
  }
}

}  // namespace

TEST(GradedStroke, SameAsPassByPassOnRandomStrokes) {
  std::mt19937 rng(12345);
  auto coord = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int iCase = 0; iCase < 300; ++iCase) {
    const int iKind = iCase % 4;  // open, closed, ellipse, clipped open
    std::vector<POINT> aPts;
    const int n = iKind == 2 ? 2 : coord(2, 5);
    for (int i = 0; i < n; ++i) aPts.push_back({coord(-20, 140), coord(-20, 110)});
    Passes p;
    // Mostly falling widths; now and then rising or equal ones (drawn one by
    // one) and zero-length paths.
    int w = coord(3, 60);
    const int iPasses = coord(1, 12);
    for (int i = 0; i < iPasses && w > 1; ++i) {
      p.aWidths.push_back(w);
      p.aColours.push_back(static_cast<COLORREF>(rng() & 0xFFFFFF) >> coord(0, 16));
      w -= iCase % 23 == 0 ? -2 : coord(1, 8);
    }
    if (iCase % 17 == 0) aPts[1] = aPts[0];
    CTestSurface a(120, 90), b(120, 90);
    Paper(a, iCase);
    Paper(b, iCase);
    if (iKind == 3) {
      HRGN hRgn = CreateRectRgn(10, 5, 70, 60);
      a.dc().SelectClipRgn(hRgn);
      b.dc().SelectClipRgn(hRgn);
    }
    DrawPassByPass(a.dc(), aPts, iKind == 1, iKind == 2, p);
    const int iCount = static_cast<int>(p.aWidths.size());
    if (iKind == 2)
      b.dc().MergeGradedEllipse(aPts[0].x, aPts[0].y, aPts[1].x, aPts[1].y, p.aWidths.data(),
                                p.aColours.data(), iCount);
    else
      b.dc().MergeGradedStroke(aPts.data(), n, iKind == 1, p.aWidths.data(), p.aColours.data(),
                               iCount);
    ASSERT_EQ(a.Hash(), b.Hash()) << "case " << iCase << " kind " << iKind;
  }
}
