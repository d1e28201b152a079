// One small scene per drawing call, pinned by the hash of the pixel memory:
// any change to a raster rule shows up here. A change that is intended must
// update the hash with a note of what changed.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "platform/dc.h"
#include "platform/draw_support.h"

namespace {

constexpr int kW = 64, kH = 48;

struct CScene {
  const char* m_szName;
  std::function<void(CDC&)> m_fnDraw;
};

void PenBrush(CDC& dc, int iWidth, COLORREF crPen, COLORREF crBrush) {
  dc.SelectObject(CreatePen(PS_SOLID, iWidth, crPen));
  dc.SelectObject(CreateSolidBrush(crBrush));
}

const POINT kStar[8] = {{32, 2}, {38, 18}, {60, 20}, {42, 30}, {50, 46}, {32, 36}, {14, 46}, {22, 30}};

const CScene kScenes[] = {
    {"pixels and fills", [](CDC& dc) {
       dc.FillSolidRect(5, 5, 40, 30, RGB(10, 20, 30));
       dc.FillSolidRect(50, 40, 30, 20, RGB(200, 100, 50));
       for (int i = 0; i < 40; ++i) dc.SetPixelV(i, (i * 7) % kH, RGB(i * 6, 255 - i, 9));
     }},
    {"rectangles", [](CDC& dc) {
       PenBrush(dc, 1, RGB(255, 255, 0), RGB(0, 0, 200));
       dc.Rectangle(2, 2, 30, 20);
       PenBrush(dc, 6, RGB(255, 0, 0), RGB(0, 200, 0));
       dc.Rectangle(60, 44, 34, 24);
       dc.SelectObject(GetStockPen(NULL_PEN));
       dc.Rectangle(5, 30, 25, 45);
     }},
    {"round rectangles", [](CDC& dc) {
       PenBrush(dc, 1, RGB(255, 255, 255), RGB(90, 90, 90));
       dc.RoundRect(2, 2, 40, 30, 12, 12);
       PenBrush(dc, 4, RGB(255, 0, 255), RGB(0, 90, 0));
       dc.RoundRect(30, 20, 62, 46, 20, 10);
     }},
    {"ellipses", [](CDC& dc) {
       PenBrush(dc, 1, RGB(255, 255, 255), RGB(0, 0, 255));
       dc.Ellipse(-10, -8, 30, 26);
       PenBrush(dc, 0, RGB(255, 0, 0), RGB(0, 255, 0));
       dc.Ellipse(40, 4, 47, 11);
       PenBrush(dc, 7, RGB(255, 128, 0), RGB(0, 60, 60));
       dc.Ellipse(30, 20, 62, 46);
       dc.SelectObject(GetStockPen(NULL_PEN));
       dc.Ellipse(4, 30, 20, 46);
       dc.SelectObject(GetStockBrush(NULL_BRUSH));
       dc.SelectObject(CreatePen(PS_SOLID, 2, RGB(0, 255, 255)));
       dc.Ellipse(22, 28, 29, 47);
     }},
    {"polygons", [](CDC& dc) {
       PenBrush(dc, 1, RGB(255, 255, 255), RGB(200, 0, 0));
       dc.Polygon(kStar, 8);
       PenBrush(dc, 5, RGB(0, 0, 255), RGB(0, 200, 0));
       const POINT tri[3] = {{-1000, 40}, {20, -3000}, {30, 45}};
       dc.Polygon(tri, 3);
     }},
    {"lines", [](CDC& dc) {
       dc.SelectObject(CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
       for (int i = 0; i < 12; ++i) {
         dc.MoveTo(32, 24);
         dc.LineTo(32 + (i % 4 - 2) * 20, 24 + (i / 4 - 1) * 25);
       }
       dc.SelectObject(CreatePen(PS_SOLID, 3, RGB(255, 0, 0)));
       dc.MoveTo(-10, 47);
       dc.LineTo(70, 30);
       dc.SelectObject(CreatePen(PS_SOLID, 14, RGB(0, 255, 0)));
       dc.LineTo(50, 5);
       dc.LineTo(10, 10);
     }},
    {"arcs", [](CDC& dc) {
       dc.SelectObject(CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
       dc.Arc(2, 2, 40, 40, 40, 2, 2, 40);
       dc.SelectObject(CreatePen(PS_SOLID, 5, RGB(255, 255, 0)));
       dc.Arc(20, 8, 62, 46, 20, 27, 62, 27);
     }},
    {"beziers", [](CDC& dc) {
       dc.SelectObject(CreatePen(PS_SOLID, 1, RGB(255, 255, 255)));
       const POINT a[7] = {{2, 40}, {10, -10}, {30, 60}, {40, 20}, {45, 0}, {55, 10}, {62, 2}};
       dc.PolyBezier(a, 7);
       dc.SelectObject(CreatePen(PS_SOLID, 9, RGB(255, 0, 0)));
       const POINT b[4] = {{5, 5}, {60, 5}, {5, 45}, {60, 45}};
       dc.PolyBezier(b, 4);
     }},
    {"merge pen", [](CDC& dc) {
       dc.FillSolidRect(0, 0, kW, kH, RGB(16, 32, 64));
       dc.SetROP2(R2_MERGEPEN);
       PenBrush(dc, 9, RGB(1, 2, 128), RGB(128, 4, 1));
       dc.MoveTo(0, 0);
       dc.LineTo(63, 47);
       dc.Ellipse(10, 20, 40, 46);
       dc.Polygon(kStar, 8);
     }},
    {"clipped", [](CDC& dc) {
       HRGN e = CreateEllipticRgn(4, 4, 60, 44), h = CreateRectRgn(32, 0, 64, 48);
       CombineRgn(e, e, h, RGN_XOR);
       dc.SelectClipRgn(e);
       dc.FillSolidRect(0, 0, kW, kH, RGB(90, 0, 90));
       PenBrush(dc, 3, RGB(255, 255, 255), RGB(0, 128, 255));
       dc.Polygon(kStar, 8);
       dc.SelectClipRgn(nullptr);
       dc.Rectangle(0, 0, 6, 6);
     }},
    {"text", [](CDC& dc) {
       LOGFONT lf{};
       lf.lfHeight = 20;
       std::strcpy(lf.lfFaceName, "Arial");
       dc.SelectObject(CreateFontIndirect(lf));
       dc.SetBkMode(TRANSPARENT);
       dc.SetTextColor(RGB(255, 255, 0));
       dc.TextOut(2, 2, "Vex 42m", 7);
       lf.lfEscapement = 450;
       std::strcpy(lf.lfFaceName, "Times New Roman");
       dc.SelectObject(CreateFontIndirect(lf));
       dc.SetTextAlign(TA_CENTER | TA_BASELINE);
       dc.TextOut(32, 44, "Ag", 2);
       dc.SelectObject(GetStockFont(SYSTEM_FONT));
       dc.SetBkMode(OPAQUE);
       dc.SetTextAlign(TA_LEFT | TA_TOP);
       dc.TextOut(40, 2, "W", 1);
     }},
    {"blits", [](CDC& dc) {
       CDC src;
       std::unique_ptr<CBitmap> pBitmap = CreateCompatibleBitmap(dc, 5, 4);
       src.SelectObject(pBitmap.get());
       for (int y = 0; y < 4; ++y)
         for (int x = 0; x < 5; ++x) src.SetPixelV(x, y, RGB(x * 50, y * 60, 100));
       dc.StretchBlt(0, 0, 20, 16, src, 0, 0, 5, 4, SRCCOPY);
       dc.StretchBlt(30, 40, 30, -20, src, 0, 0, 5, 4, SRCCOPY);
       dc.StretchBlt(60, 0, 3, 3, src, 0, 0, 5, 4, SRCCOPY);
       dc.BitBlt(25, 0, 5, 4, src, 0, 0, SRCCOPY);
       src.SelectObject(static_cast<CBitmap*>(nullptr));
     }},
};

TEST(SceneHashes, EachCallDrawsItsPinnedPicture) {
  const std::uint64_t kExpected[] = {
      0xbf104b789a3df39dull,  // pixels and fills
      0x7f9fb68f7330b05bull,  // rectangles
      0x6d5c36a18cec5c30ull,  // round rectangles
      0x6adb79493d6b7c38ull,  // ellipses
      0xb0523e4bdde33076ull,  // polygons
      0x288c3c542f2745e8ull,  // lines
      0x3ebacbd455d414c9ull,  // arcs
      0xcd7353743132534eull,  // beziers
      0x605e5b4da756fea4ull,  // merge pen
      0x5d2e26630f8f3b6eull,  // clipped
      0x88fd1d69619dca05ull,  // text
      0xdfc425d627fcd4e7ull,  // blits
  };
  static_assert(std::size(kExpected) == std::size(kScenes));
  for (std::size_t i = 0; i < std::size(kScenes); ++i) {
    CTestSurface s(kW, kH);
    kScenes[i].m_fnDraw(s.dc());
    CTestSurface again(kW, kH);
    kScenes[i].m_fnDraw(again.dc());
    EXPECT_EQ(s.Hash(), again.Hash()) << kScenes[i].m_szName;  // same calls, same bytes
    EXPECT_EQ(s.Hash(), kExpected[i]) << kScenes[i].m_szName << "\n" << std::hex << s.Hash();
  }
}

}  // namespace
