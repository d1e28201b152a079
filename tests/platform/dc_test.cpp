// The drawing conventions the picture code relies on: which pixels a shape
// owns, clipping, ROP2, blits, DC state and the object rules.
#include <gtest/gtest.h>

#include "platform/dc.h"
#include "platform/gdi/objects.h"
#include "platform/draw_support.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlack = 0;

TEST(DrawConventions, RectangleOwnsLeftTopNotRightBottom) {
  CTestSurface s(8, 8);
  {
    CPenBrush pb(s.dc(), CreatePen(PS_SOLID, 1, kWhite), CreateSolidBrush(kRed));
    s.dc().Rectangle(2, 2, 6, 6);
  }
  EXPECT_EQ(s.Picture(kWhite),
            "........\n........\n..####..\n..#..#..\n..#..#..\n..####..\n........\n........\n");
  EXPECT_EQ(s.At(3, 3), kRed);

  // The same box given with its corners swapped draws the same.
  CTestSurface s2(8, 8);
  {
    CPenBrush pb(s2.dc(), CreatePen(PS_SOLID, 0, kWhite), CreateSolidBrush(kRed));
    s2.dc().Rectangle(6, 6, 2, 2);
  }
  EXPECT_EQ(s.Hash(), s2.Hash());

  // Without a pen the box is one pixel smaller: 2 .. 4.
  CTestSurface s3(8, 8);
  {
    CPenBrush pb(s3.dc(), GetStockPen(NULL_PEN), CreateSolidBrush(kWhite));
    s3.dc().Rectangle(2, 2, 6, 6);
    s3.dc().Rectangle(6, 6, 6, 8);  // empty box: nothing
  }
  EXPECT_EQ(s3.Picture(kWhite),
            "........\n........\n..###...\n..###...\n..###...\n........\n........\n........\n");
}

TEST(DrawConventions, LinesLeaveOutTheirEndPoint) {
  CTestSurface s(6, 3);
  s.dc().SelectObject(GetStockPen(WHITE_PEN));
  s.dc().MoveTo(0, 0);
  s.dc().LineTo(3, 0);
  EXPECT_EQ(s.Picture(kWhite), "###...\n......\n......\n");
  POINT pt;
  s.dc().GetCurrentPositionEx(&pt);
  EXPECT_EQ(pt.x, 3);
  // A dash from x - 1 to x + 1 is two pixels; a zero-length line none.
  s.dc().MoveTo(3, 2);
  s.dc().LineTo(5, 2);
  s.dc().LineTo(5, 2);
  EXPECT_EQ(s.Picture(kWhite), "###...\n......\n...##.\n");
  // A zero-length wide line draws nothing either.
  s.dc().SelectObject(CreatePen(PS_SOLID, 3, kRed));
  s.dc().MoveTo(1, 1);
  s.dc().LineTo(1, 1);
  EXPECT_EQ(s.Picture(kRed), "......\n......\n......\n");
}

TEST(DrawConventions, FlatAndSteepLinesHaveOnePixelPerStep) {
  // Flat: one pixel in every column 0 .. 8, none at the end point's column.
  CTestSurface flat(10, 4);
  flat.dc().SelectObject(GetStockPen(WHITE_PEN));
  flat.dc().MoveTo(0, 0);
  flat.dc().LineTo(9, 3);
  for (int x = 0; x < 10; ++x) {
    int n = 0;
    for (int y = 0; y < 4; ++y) n += flat.At(x, y) == kWhite;
    EXPECT_EQ(n, x < 9 ? 1 : 0) << x;
  }
  EXPECT_EQ(flat.At(0, 0), kWhite);
  EXPECT_EQ(flat.At(8, 3), kWhite);
  // Steep and drawn upwards: one pixel in every row 9 .. 1.
  CTestSurface steep(4, 10);
  steep.dc().SelectObject(GetStockPen(WHITE_PEN));
  steep.dc().MoveTo(3, 9);
  steep.dc().LineTo(0, 0);
  for (int y = 0; y < 10; ++y) {
    int n = 0;
    for (int x = 0; x < 4; ++x) n += steep.At(x, y) == kWhite;
    EXPECT_EQ(n, y > 0 ? 1 : 0) << y;
  }
  // Far outside the surface on both ends: the visible part only, no wrap.
  CTestSurface far(10, 10);
  far.dc().SelectObject(GetStockPen(WHITE_PEN));
  far.dc().MoveTo(-2000000000, 5);
  far.dc().LineTo(2000000000, 5);
  EXPECT_EQ(far.Picture(kWhite).substr(55, 11), "##########\n");
  EXPECT_EQ(far.Ink(kWhite).top, 5);
  EXPECT_EQ(far.Ink(kWhite).bottom, 6);
}

TEST(DrawConventions, PixelsOffTheSurfaceAreInvalid) {
  CTestSurface s(4, 3);
  EXPECT_EQ(s.dc().GetPixel(-1, 0), CLR_INVALID);
  EXPECT_EQ(s.dc().GetPixel(4, 0), CLR_INVALID);
  EXPECT_EQ(s.dc().GetPixel(0, 3), CLR_INVALID);
  const std::uint64_t h = s.Hash();
  EXPECT_EQ(s.dc().SetPixel(-1, 0, kWhite), CLR_INVALID);
  EXPECT_EQ(s.dc().SetPixelV(4, 2, kWhite), FALSE);
  EXPECT_EQ(s.Hash(), h);
  EXPECT_EQ(s.dc().SetPixel(3, 2, 0xFF123456), 0x123456u);
  EXPECT_EQ(s.dc().GetPixel(3, 2), 0x123456u);
  // The memory layout is the DIB's: bottom-up rows, B G R.
  const std::uint8_t* p = s.m_pBitmap->Bits() + 9;
  EXPECT_EQ(p[0], 0x12);
  EXPECT_EQ(p[1], 0x34);
  EXPECT_EQ(p[2], 0x56);
}

TEST(DrawConventions, ClipRegionLimitsEveryOutput) {
  CTestSurface s(12, 12), src(12, 12);
  src.dc().FillSolidRect(0, 0, 12, 12, kRed);
  HRGN hRgn = CreateRectRgn(2, 2, 6, 6);
  EXPECT_EQ(s.dc().SelectClipRgn(hRgn), SIMPLEREGION);
  EXPECT_EQ(DeleteObject(hRgn), TRUE);  // the DC keeps its own copy
  s.dc().FillSolidRect(0, 0, 12, 12, kWhite);
  EXPECT_EQ(s.Ink(kWhite).left, 2);
  EXPECT_EQ(s.Ink(kWhite).right, 6);
  s.dc().SelectObject(GetStockPen(NULL_PEN));
  s.dc().SelectObject(CreateSolidBrush(kRed));
  s.dc().Ellipse(0, 0, 12, 12);
  s.dc().BitBlt(0, 0, 12, 12, src.dc(), 0, 0, SRCCOPY);
  s.dc().SetPixelV(8, 8, kWhite);
  s.dc().MoveTo(0, 10);
  s.dc().LineTo(12, 10);
  EXPECT_EQ(s.dc().GetPixel(8, 8), CLR_INVALID);  // outside the clip
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) {
      const bool bIn = x >= 2 && x < 6 && y >= 2 && y < 6;
      EXPECT_EQ(s.m_pBitmap->Row(y)[3 * x + 2] != 0, bIn) << x << "," << y;
    }
  EXPECT_EQ(s.dc().SelectClipRgn(nullptr), SIMPLEREGION);
  s.dc().FillSolidRect(8, 8, 9, 9, kWhite);
  EXPECT_EQ(s.At(8, 8), kWhite);
}

TEST(DrawConventions, MergePenOrsLinesAndFills) {
  CTestSurface s(10, 10);
  s.dc().FillSolidRect(0, 0, 10, 10, 0x102030);
  EXPECT_EQ(s.dc().SetROP2(R2_MERGEPEN), R2_COPYPEN);
  EXPECT_EQ(s.dc().SetROP2(7), 0);  // other codes are refused
  s.dc().SelectObject(CreatePen(PS_SOLID, 1, 0x010204));
  s.dc().SelectObject(CreateSolidBrush(0x010204));
  s.dc().MoveTo(0, 0);
  s.dc().LineTo(9, 0);
  s.dc().Ellipse(2, 2, 9, 9);
  s.dc().SetPixel(0, 9, 0x010204);
  EXPECT_EQ(s.At(4, 0), 0x112234u);
  EXPECT_EQ(s.At(5, 5), 0x112234u);
  EXPECT_EQ(s.At(5, 2), 0x112234u);  // outline pixel
  EXPECT_EQ(s.At(0, 9), 0x112234u);
  // The opaque fill ignores the ROP2.
  s.dc().FillSolidRect(0, 0, 1, 1, 0x000001);
  EXPECT_EQ(s.At(0, 0), 0x000001u);
  EXPECT_EQ(s.dc().SetROP2(R2_COPYPEN), R2_MERGEPEN);
}

TEST(DrawConventions, StretchBltMakesExactBlocksAndBitBltCopies) {
  CTestSurface src(3, 2), dst(6, 4);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) src.dc().SetPixelV(x, y, RGB(x * 80, y * 100, 7));
  dst.dc().StretchBlt(0, 0, 6, 4, src.dc(), 0, 0, 3, 2, SRCCOPY);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(dst.At(x, y), src.At(x / 2, y / 2)) << x << "," << y;
  // Mirrored rows, and a source reaching off its surface: those pixels are
  // left as they were on every row of the block.
  CTestSurface part(6, 4);
  for (int y = 0; y < 4; ++y) part.dc().FillSolidRect(0, y, 6, y + 1, RGB(1, 2, y));
  part.dc().StretchBlt(0, 3, 6, -4, src.dc(), -1, 0, 3, 2, SRCCOPY);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x)
      EXPECT_EQ(part.At(x, y), x < 2 ? RGB(1, 2, y) : src.At(x / 2 - 1, (3 - y) / 2))
          << x << "," << y;
  // Down-scaling samples floor(i * src / dst).
  CTestSurface small(1, 1);
  small.dc().StretchBlt(0, 0, 1, 1, dst.dc(), 0, 0, 6, 4, SRCCOPY);
  EXPECT_EQ(small.At(0, 0), dst.At(0, 0));
  // Overlapping copy within one surface.
  CTestSurface s(4, 4);
  for (int y = 0; y < 4; ++y) s.dc().FillSolidRect(0, y, 4, y + 1, RGB(y, 0, 0));
  s.dc().BitBlt(0, 1, 4, 3, s.dc(), 0, 0, SRCCOPY);
  for (int y = 1; y < 4; ++y) EXPECT_EQ(s.At(0, y), RGB(y - 1, 0, 0));
  // Off both surfaces: clipped, no harm.
  EXPECT_EQ(s.dc().BitBlt(-100, -100, 50, 50, src.dc(), -3, -3, SRCCOPY), TRUE);
}

TEST(DrawObjects, SelectionRulesAndStockObjects) {
  CTestSurface s(4, 4);
  CDC& dc = s.dc();
  EXPECT_EQ(dc.GetCurrentPen(), GetStockPen(BLACK_PEN));
  EXPECT_EQ(dc.GetCurrentBrush(), GetStockBrush(WHITE_BRUSH));
  EXPECT_EQ(dc.GetCurrentFont(), GetStockFont(SYSTEM_FONT));
  HPEN hPen = CreatePen(PS_SOLID, 3, kRed);
  HPEN hOld = dc.SelectObject(hPen);
  EXPECT_EQ(hOld, GetStockPen(BLACK_PEN));
  // A selected object cannot be deleted and stays usable.
  EXPECT_EQ(DeleteObject(hPen), FALSE);
  ASSERT_TRUE(hPen);
  EXPECT_EQ(dc.SelectObject(hOld), hPen);
  EXPECT_EQ(DeleteObject(hPen), TRUE);
  EXPECT_FALSE(hPen);
  HPEN hStock = GetStockPen(NULL_PEN);
  EXPECT_EQ(DeleteObject(hStock), TRUE);
  EXPECT_TRUE(GetStockPen(NULL_PEN));
  // The idiom DeleteObject(SelectObject(old)).
  HBRUSH hBrush = CreateSolidBrush(kRed);
  dc.SelectObject(hBrush);
  hBrush.reset();
  EXPECT_EQ(DeleteObject(dc.SelectObject(GetStockBrush(NULL_BRUSH))), TRUE);
  EXPECT_EQ(dc.SelectObject(HPEN()), nullptr);  // a null handle changes nothing
  EXPECT_EQ(dc.GetCurrentPen(), GetStockPen(BLACK_PEN));
  // Bitmaps: selected ones cannot be deleted.
  EXPECT_EQ(DeleteObject(s.m_pBitmap), FALSE);
  BITMAP bm;
  EXPECT_GT(GetObject(s.m_pBitmap.get(), &bm), 0);
  EXPECT_EQ(bm.bmWidth, 4);
  EXPECT_EQ(bm.bmBitsPixel, 24);
  EXPECT_EQ(bm.bmWidthBytes, 12);
}

TEST(DrawObjects, SaveAndRestoreTheWholeState) {
  CTestSurface s(8, 8);
  CDC& dc = s.dc();
  HPEN hPen = CreatePen(PS_SOLID, 2, kRed);
  const int iLevel = dc.SaveDC();
  EXPECT_EQ(iLevel, 1);
  dc.SelectObject(hPen);
  dc.SetROP2(R2_MERGEPEN);
  dc.SetTextColor(kRed);
  dc.SetTextAlign(TA_CENTER);
  dc.SetBkMode(TRANSPARENT);
  dc.MoveTo(5, 5);
  dc.SelectClipRgn(CreateRectRgn(0, 0, 2, 2));
  EXPECT_EQ(dc.SaveDC(), 2);
  dc.SetROP2(R2_COPYPEN);
  EXPECT_EQ(dc.RestoreDC(-1), TRUE);
  EXPECT_EQ(dc.GetROP2(), R2_MERGEPEN);
  EXPECT_EQ(dc.RestoreDC(iLevel), TRUE);
  EXPECT_EQ(dc.GetCurrentPen(), GetStockPen(BLACK_PEN));
  EXPECT_EQ(dc.GetROP2(), R2_COPYPEN);
  EXPECT_EQ(dc.GetTextColor(), kBlack);
  EXPECT_EQ(dc.GetTextAlign(), TA_LEFT | TA_TOP);
  EXPECT_EQ(dc.GetBkMode(), OPAQUE);
  EXPECT_EQ(dc.GetCurrentPosition().x, 0);
  EXPECT_FALSE(dc.HasClipRegion());
  EXPECT_EQ(DeleteObject(hPen), TRUE);  // no longer selected
  EXPECT_EQ(dc.RestoreDC(-1), FALSE);   // nothing left
}

TEST(DrawObjects, OffScreenCellBlittedIntoOutput) {
  CTestSurface out(20, 10);
  std::unique_ptr<CDC> pCellDC = CreateCompatibleDC(&out.dc());
  std::unique_ptr<CBitmap> pCell = CreateCompatibleBitmap(out.dc(), 5, 5);
  ASSERT_TRUE(pCell);
  EXPECT_EQ(pCell->Bits()[0], 0);  // new bitmaps are black
  CBitmap* pOld = pCellDC->SelectObject(pCell.get());
  pCellDC->SelectClipRgn(CreateEllipticRgn(0, 0, 5, 5));
  pCellDC->FillSolidRect(0, 0, 5, 5, kWhite);
  for (int i = 0; i < 4; ++i) out.dc().BitBlt(i * 5, 0, 5, 5, *pCellDC, 0, 0, SRCCOPY);
  EXPECT_EQ(out.At(0, 0), kBlack);  // corner outside the elliptic clip
  EXPECT_EQ(out.At(17, 2), kWhite);
  EXPECT_EQ(DeleteObject(pCell), FALSE);
  pCellDC->SelectObject(pOld);
  EXPECT_EQ(DeleteDC(pCellDC), TRUE);
  EXPECT_EQ(DeleteObject(pCell), TRUE);
}

TEST(DrawObjects, BitmapAndDcMayGoInEitherOrder) {
  std::unique_ptr<CDC> pDC = CreateCompatibleDC(nullptr), pOther = CreateCompatibleDC(nullptr);
  std::unique_ptr<CBitmap> pBitmap = CreateCompatibleBitmap(*pDC, 4, 4);
  pDC->SelectObject(pBitmap.get());
  EXPECT_EQ(pOther->SelectObject(pBitmap.get()), nullptr);  // one DC at a time
  EXPECT_EQ(pOther->GetCurrentBitmap(), nullptr);
  // The DC goes first: the bitmap is free again.
  DeleteDC(pDC);
  EXPECT_EQ(DeleteObject(pBitmap), TRUE);
  // The bitmap goes first: the DC is left without one and draws nothing.
  pBitmap = CreateCompatibleBitmap(*pOther, 4, 4);
  pOther->SelectObject(pBitmap.get());
  pBitmap.reset();
  EXPECT_EQ(pOther->GetCurrentBitmap(), nullptr);
  pOther->FillSolidRect(0, 0, 4, 4, RGB(1, 2, 3));
  pOther->Ellipse(0, 0, 4, 4);
  EXPECT_EQ(pOther->GetPixel(0, 0), CLR_INVALID);
}

TEST(DrawRegions, CombineModesAndKinds) {
  HRGN a = CreateRectRgn(0, 0, 10, 10), b = CreateRectRgn(5, 5, 15, 15);
  HRGN r = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(CombineRgn(r, a, b, RGN_AND), SIMPLEREGION);
  RECT rc;
  GetRgnBox(r, &rc);
  EXPECT_EQ(rc.left, 5);
  EXPECT_EQ(rc.bottom, 10);
  EXPECT_EQ(CombineRgn(r, a, b, RGN_OR), COMPLEXREGION);
  EXPECT_TRUE(PtInRegion(r, 14, 14));
  EXPECT_FALSE(PtInRegion(r, 14, 2));
  EXPECT_EQ(CombineRgn(r, a, b, RGN_XOR), COMPLEXREGION);
  EXPECT_FALSE(PtInRegion(r, 7, 7));
  EXPECT_TRUE(PtInRegion(r, 2, 7));
  // The half-minus-ellipse construction: (ellipse XOR half) AND half.
  HRGN e = CreateEllipticRgn(0, 0, 20, 20), half = CreateRectRgn(10, 0, 24, 20);
  EXPECT_EQ(CombineRgn(r, e, half, RGN_XOR), COMPLEXREGION);
  EXPECT_EQ(CombineRgn(r, r, half, RGN_AND), COMPLEXREGION);
  EXPECT_TRUE(PtInRegion(r, 21, 10));
  EXPECT_FALSE(PtInRegion(r, 12, 10));
  EXPECT_FALSE(PtInRegion(r, 5, 10));
  EXPECT_EQ(CombineRgn(r, a, nullptr, RGN_COPY), SIMPLEREGION);
  EXPECT_EQ(CombineRgn(r, a, CreateRectRgn(20, 20, 30, 30), RGN_AND), NULLREGION);
  // Missing regions or unknown modes: ERROR, destination unchanged.
  EXPECT_EQ(CombineRgn(r, a, nullptr, RGN_AND), ERROR);
  EXPECT_EQ(CombineRgn(nullptr, a, b, RGN_OR), ERROR);
  EXPECT_EQ(CombineRgn(r, a, b, 9), ERROR);
  EXPECT_EQ(GetRgnBox(r, &rc), NULLREGION);
  // A triangle region is the same pixels as a null-pen triangle.
  const POINT tri[3] = {{1, 1}, {18, 4}, {6, 17}};
  HRGN t = CreatePolygonRgn(tri, 3, ALTERNATE);
  CTestSurface s(20, 20);
  s.dc().SelectObject(GetStockPen(NULL_PEN));
  s.dc().Polygon(tri, 3);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x)
      EXPECT_EQ(PtInRegion(t, x, y) != 0, s.At(x, y) == kWhite) << x << "," << y;
  EXPECT_EQ(CreatePolygonRgn(tri, 2, ALTERNATE), nullptr);
  EXPECT_EQ(CreatePolygonRgn(tri, 3, WINDING), nullptr);
}

TEST(DrawRegions, EllipticRegionMatchesNullPenEllipse) {
  for (const RECT& box : {RECT{1, 2, 17, 11}, RECT{3, 3, 5, 9}, RECT{-20, -5, 10, 30}}) {
    CTestSurface s(20, 20);
    s.dc().SelectObject(GetStockPen(NULL_PEN));
    s.dc().Ellipse(box.left, box.top, box.right, box.bottom);
    HRGN r = CreateEllipticRgn(box.left, box.top, box.right, box.bottom);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x)
        EXPECT_EQ(PtInRegion(r, x, y) != 0, s.At(x, y) == kWhite) << x << "," << y;
  }
}

TEST(DrawConventions, EllipseTouchesItsBoxAndTinyOnesAreRectangles) {
  CTestSurface s(12, 12);
  s.dc().SelectObject(GetStockPen(WHITE_PEN));
  s.dc().SelectObject(CreateSolidBrush(kRed));
  s.dc().Ellipse(0, 0, 10, 10);
  const RECT ink = s.Ink(kWhite);
  EXPECT_EQ(ink.left, 0);
  EXPECT_EQ(ink.top, 0);
  EXPECT_EQ(ink.right, 10);
  EXPECT_EQ(ink.bottom, 10);
  EXPECT_EQ(s.At(5, 5), kRed);
  EXPECT_EQ(s.At(0, 0), kBlack);
  // Symmetric in both axes.
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      EXPECT_EQ(s.At(x, y), s.At(9 - x, y));
      EXPECT_EQ(s.At(x, y), s.At(x, 9 - y));
    }
  CTestSurface t(6, 6), u(6, 6);
  t.dc().Ellipse(1, 1, 3, 5);
  u.dc().Rectangle(1, 1, 3, 5);
  EXPECT_EQ(t.Hash(), u.Hash());
}

TEST(DrawConventions, ArcRunsCounterClockwiseOnTheScreen) {
  CTestSurface s(21, 21);
  s.dc().SelectObject(GetStockPen(WHITE_PEN));
  // From the ray to the right (3 o'clock) counter-clockwise to the ray up:
  // the upper right quarter only.
  s.dc().Arc(0, 0, 21, 21, 20, 10, 10, 0);
  const RECT ink = s.Ink(kWhite);
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.bottom, 11);
  EXPECT_EQ(s.At(20, 10), kWhite);
  EXPECT_EQ(s.At(10, 0), kWhite);
  // Equal rays: the whole ellipse, the same pixels as a hollow Ellipse.
  CTestSurface full(21, 21), ell(21, 21);
  full.dc().SelectObject(GetStockPen(WHITE_PEN));
  full.dc().Arc(0, 0, 21, 21, 5, 5, 5, 5);
  ell.dc().SelectObject(GetStockPen(WHITE_PEN));
  ell.dc().SelectObject(GetStockBrush(NULL_BRUSH));
  ell.dc().Ellipse(0, 0, 21, 21);
  EXPECT_EQ(full.Hash(), ell.Hash());
}

TEST(DrawConventions, DirectReadsSeeEveryDrawingCall) {
  CTestSurface s(16, 16);
  s.dc().SelectObject(CreatePen(PS_SOLID, 5, kWhite));
  s.dc().MoveTo(2, 8);
  s.dc().LineTo(13, 8);
  const std::uint8_t* pRow = s.m_pBitmap->Row(8);
  EXPECT_EQ(pRow[3 * 7], 255);
  // A width-5 pen covers rows 6 .. 10 along the line and caps round ends.
  EXPECT_EQ(s.At(7, 6), kWhite);
  EXPECT_EQ(s.At(7, 10), kWhite);
  EXPECT_EQ(s.At(7, 5), kBlack);
  EXPECT_EQ(s.At(7, 11), kBlack);
  EXPECT_EQ(s.At(15, 8), kWhite);  // the cap reaches 13 + 2
  EXPECT_EQ(s.At(0, 8), kWhite);   // and 2 - 2
  EXPECT_EQ(s.At(0, 6), kBlack);   // but round, not square
}

}  // namespace
