// Shapes off the surface or outside the clip box are skipped early: random
// shapes near and across the edges of a small surface must give the pixels
// of the same shapes drawn whole on a large surface around it.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "platform/dc.h"
#include "platform/draw_support.h"

namespace {

constexpr int kW = 24, kH = 18;
constexpr int kMargin = 150;  // the large surface reaches this far around the small one

// Draws one random shape on dc, moved by (d, d). Everything the shape can
// touch lies within 60 pixels of the small surface plus half a pen width.
// Béziers are flattened in absolute coordinates, which a move can round
// differently, so they are drawn only with bBeziers and unmoved.
void DrawRandomShape(CDC& dc, std::mt19937& rng, int d, const HFONT* aFonts, bool bBeziers) {
  auto coord = [&](int iExtent) { return static_cast<int>(rng() % (iExtent + 120)) - 60 + d; };
  auto pt = [&] { return POINT{coord(kW), coord(kH)}; };
  int iKind = bBeziers ? 7 : static_cast<int>(rng() % 10);
  if (iKind == 7) iKind = bBeziers ? 7 : 10;
  const int iWidth = std::vector<int>{0, 1, 2, 3, 7, 16, 29}[rng() % 7];
  const COLORREF cr = rng() & 0xFFFFFF;
  dc.SelectObject(rng() % 8 == 0 ? CreatePen(PS_NULL, 0, 0) : CreatePen(PS_SOLID, iWidth, cr));
  dc.SelectObject(rng() % 4 == 0 ? GetStockBrush(NULL_BRUSH) : CreateSolidBrush(cr ^ 0x5A5A5A));
  dc.SetROP2(rng() % 3 == 0 ? R2_MERGEPEN : R2_COPYPEN);
  POINT a[7];
  for (POINT& p : a) p = pt();
  switch (iKind) {
    case 0: dc.Polygon(a, 3 + static_cast<int>(rng() % 4)); break;
    case 1: dc.Polyline(a, 2 + static_cast<int>(rng() % 4)); break;
    case 2:
      dc.MoveTo(a[0].x, a[0].y);
      dc.LineTo(a[1].x, a[1].y);
      break;
    case 3: dc.Rectangle(a[0].x, a[0].y, a[1].x, a[1].y); break;
    case 4: dc.RoundRect(a[0].x, a[0].y, a[1].x, a[1].y, (a[2].x - d) & 15, (a[2].y - d) & 15); break;
    case 5: dc.Ellipse(a[0].x, a[0].y, a[1].x, a[1].y); break;
    case 6: dc.Arc(a[0].x, a[0].y, a[1].x, a[1].y, a[2].x, a[2].y, a[3].x, a[3].y); break;
    case 7: dc.PolyBezier(a, rng() % 2 ? 4 : 7); break;
    case 8: {
      const int aW[3] = {iWidth + 9, iWidth + 4, 1};
      const COLORREF aC[3] = {cr & 0x0F0F0F, cr & 0x303030, cr};
      dc.MergeGradedStroke(a, 3 + static_cast<int>(rng() % 3), rng() % 2 != 0, aW, aC, 3);
      break;
    }
    case 9: {
      const int aW[2] = {iWidth + 6, 2};
      const COLORREF aC[2] = {cr & 0x0F0F0F, cr};
      dc.MergeGradedEllipse(a[0].x, a[0].y, a[1].x, a[1].y, aW, aC, 2);
      break;
    }
    default: {
      dc.SelectObject(aFonts[rng() % 2]);
      dc.SetTextColor(cr);
      dc.SetBkColor(cr ^ 0xFFFFFF);
      dc.SetBkMode(rng() % 2 ? OPAQUE : TRANSPARENT);
      dc.SetTextAlign(rng() % 2 ? TA_LEFT | TA_TOP : TA_CENTER | TA_BASELINE);
      dc.TextOut(a[0].x, a[0].y, "Wg@j", 1 + static_cast<int>(rng() % 4));
      break;
    }
  }
}

HFONT Font(LONG iHeight, LONG iEscapement) {
  LOGFONT lf{};
  lf.lfHeight = iHeight;
  lf.lfEscapement = iEscapement;
  lf.lfWeight = FW_NORMAL;
  std::strncpy(lf.lfFaceName, "Arial", LF_FACESIZE - 1);
  return CreateFontIndirect(lf);
}

// With bBeziers the large surface is not moved: Béziers off the right and
// bottom edges are tested, and those off the left and top reach the same
// code.
void CompareWithWholeShapes(int iClip, unsigned iSeed, bool bBeziers = false) {
  const int d = bBeziers ? 0 : kMargin;
  CTestSurface small(kW, kH), large(kW + 2 * kMargin, kH + 2 * kMargin);
  HRGN hClip;
  if (iClip == 1) hClip = CreateRectRgn(-5, 4, 15, 40);
  if (iClip == 2) hClip = CreateEllipticRgn(3, -6, 30, 14);
  small.dc().SelectClipRgn(hClip);
  const HFONT aFonts[2] = {Font(14, 0), Font(19, 250)};
  ASSERT_TRUE(aFonts[0] && aFonts[1]);
  std::mt19937 rngSmall(iSeed), rngLarge(iSeed);
  large.dc().MoveTo(d, d);
  for (int i = 0; i < 1500; ++i) {
    DrawRandomShape(small.dc(), rngSmall, 0, aFonts, bBeziers);
    DrawRandomShape(large.dc(), rngLarge, d, aFonts, bBeziers);
    const POINT ptSmall = small.dc().GetCurrentPosition();
    const POINT ptLarge = large.dc().GetCurrentPosition();
    ASSERT_EQ(ptSmall.x + d, ptLarge.x) << "shape " << i;
    ASSERT_EQ(ptSmall.y + d, ptLarge.y) << "shape " << i;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        // Outside the clip the small surface stays black.
        const bool bIn = !hClip || PtInRegion(hClip, x, y);
        const COLORREF crWhole = bIn ? large.At(x + d, y + d) : 0;
        const std::uint8_t* p = small.m_pBitmap->Row(y) + 3 * x;
        ASSERT_EQ(RGB(p[2], p[1], p[0]), crWhole) << "shape " << i << " at " << x << "," << y;
      }
  }
}

TEST(OffSurfaceShapes, SameAsWholeShapesWithoutClip) { CompareWithWholeShapes(0, 11); }
TEST(OffSurfaceShapes, SameAsWholeShapesInsideRectClip) { CompareWithWholeShapes(1, 12); }
TEST(OffSurfaceShapes, SameAsWholeShapesInsideEllipticClip) { CompareWithWholeShapes(2, 13); }
TEST(OffSurfaceShapes, SameAsWholeBeziers) {
  CompareWithWholeShapes(0, 14, true);
  CompareWithWholeShapes(1, 15, true);
}

// A wide line just off the surface still reaches it with its cap; one a
// pixel further does not, and LineTo moves the position either way.
TEST(OffSurfaceShapes, WidePenReachAtTheEdge) {
  CTestSurface s(20, 20);
  CPenBrush pb(s.dc(), CreatePen(PS_SOLID, 9, RGB(255, 255, 255)), GetStockBrush(NULL_BRUSH));
  s.dc().MoveTo(-4, -30);
  s.dc().LineTo(-4, 30);  // radius 4.5: column 0 is reached
  EXPECT_EQ(s.Ink(RGB(255, 255, 255)).right, 1);
  CTestSurface t(20, 20);
  CPenBrush pb2(t.dc(), CreatePen(PS_SOLID, 9, RGB(255, 255, 255)), GetStockBrush(NULL_BRUSH));
  t.dc().MoveTo(-5, -30);
  t.dc().LineTo(-5, 30);
  EXPECT_EQ(t.Hash(), CTestSurface(20, 20).Hash());
  EXPECT_EQ(t.dc().GetCurrentPosition().y, 30);
}

}  // namespace
