// The device context: a GDI-like drawing context bound to the pixel memory of
// one 24-bit bottom-up DIB section. Every call draws straight into that
// memory and is complete when it returns, so direct reads of the bits see its
// result at once. Aliased like GDI: a pixel is either written with the exact
// colour (or OR-ed with it under R2_MERGEPEN) or left alone.
//
// The drawing pipeline: geometry (platform/gdi/geometry.h: boxes, ellipses,
// arcs, Bézier flattening, wide-pen strokes) -> scan conversion into spans
// (platform/gdi/raster.h, even-odd rule) -> spans clipped to the surface and
// the clip region -> the span writer below, which applies the ROP2 to the
// B, G, R bytes of the rows. Objects (pens, brushes, regions, fonts) are in
// platform/gdi/objects.h and platform/gdi/font.h.
//
// A DC and the bitmap selected into it are used by one thread at a time;
// stock objects and the font cache are shared safely between threads.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "platform/gdi/font.h"
#include "platform/gdi/geometry.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/raster.h"
#include "platform/gdi/region.h"
#include "platform/win_types.h"

// Raster operations and stretch modes used by the program.
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;
// ROP2 codes drawn (others are refused by SetROP2).
constexpr int R2_COPYPEN = 13;
constexpr int R2_MERGEPEN = 15;
// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
// Text alignment flags.
constexpr UINT TA_NOUPDATECP = 0;
constexpr UINT TA_UPDATECP = 1;
constexpr UINT TA_LEFT = 0;
constexpr UINT TA_RIGHT = 2;
constexpr UINT TA_CENTER = 6;
constexpr UINT TA_TOP = 0;
constexpr UINT TA_BOTTOM = 8;
constexpr UINT TA_BASELINE = 24;

// What GetObject reports about a bitmap.
struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  void* bmBits;
};

// A 24-bit, bottom-up DIB section: pixel (x, y) lives in memory row
// H - 1 - y at byte offset 3x, bytes blue, green, red; rows padded to 4 bytes.
class CDC;

class CBitmap {
 public:
  // A bitmap that goes away while selected leaves its DC without a bitmap.
  ~CBitmap();
  CBitmap(const CBitmap&) = delete;
  CBitmap& operator=(const CBitmap&) = delete;

  int Width() const { return m_iWidth; }
  int Height() const { return m_iHeight; }
  int BytesPerRow() const { return m_iBytesPerRow; }
  std::uint8_t* Bits() { return m_pBits.get(); }
  const std::uint8_t* Bits() const { return m_pBits.get(); }
  // The memory of picture row y (0 = top).
  std::uint8_t* Row(int y) {
    return m_pBits.get() + static_cast<std::size_t>(m_iHeight - 1 - y) * m_iBytesPerRow;
  }
  const std::uint8_t* Row(int y) const {
    return m_pBits.get() + static_cast<std::size_t>(m_iHeight - 1 - y) * m_iBytesPerRow;
  }
  // Whether a DC has it selected (then DeleteObject refuses it).
  bool IsSelected() const { return m_pSelectedIn != nullptr; }

 private:
  friend std::unique_ptr<CBitmap> CreateDIBSection(const BITMAPINFO& bmi, std::uint8_t** ppBits);
  friend class CDC;
  CBitmap() = default;
  struct CFreeDeleter {
    void operator()(std::uint8_t* p) const;
  };
  std::unique_ptr<std::uint8_t, CFreeDeleter> m_pBits;
  int m_iWidth = 0;
  int m_iHeight = 0;
  int m_iBytesPerRow = 0;
  CDC* m_pSelectedIn = nullptr;  // a bitmap is selected into one DC at most
};

// Bytes per row of a 24-bit DIB of the given width.
constexpr int BytesPerRow24(int iWidth) { return ((3 * iWidth + 3) / 4) * 4; }

// Creates a zeroed (black) 24-bit bottom-up DIB section from a description
// with biBitCount 24, BI_RGB and positive width and height. Returns nullptr
// (and *ppBits nullptr) when the description is of another kind or the
// memory cannot be had (the pixel block must fit in 32 bits).
std::unique_ptr<CBitmap> CreateDIBSection(const BITMAPINFO& bmi, std::uint8_t** ppBits);

class CDC {
 public:
  // A memory DC with no bitmap and GDI's initial state: BLACK_PEN,
  // WHITE_BRUSH, the system font, black text on white, OPAQUE, R2_COPYPEN,
  // TA_LEFT | TA_TOP, current position (0, 0), no clip region.
  CDC();
  ~CDC();
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  // --- Objects. SelectObject returns the previously selected object.
  // A bitmap selected into another DC is refused (nullptr, nothing changes).
  CBitmap* SelectObject(CBitmap* pBitmap);
  HPEN SelectObject(const HPEN& hPen);        // nullptr: nothing changes, nullptr back
  HBRUSH SelectObject(const HBRUSH& hBrush);  // likewise
  HFONT SelectObject(const HFONT& hFont);     // likewise
  int SelectObject(const HRGN& hRgn) { return SelectClipRgn(hRgn); }
  CBitmap* GetCurrentBitmap() const { return m_pBitmap; }
  const HPEN& GetCurrentPen() const { return m_hPen; }
  const HBRUSH& GetCurrentBrush() const { return m_hBrush; }
  const HFONT& GetCurrentFont() const { return Font(); }

  // --- Attributes; each setter returns the previous value.
  COLORREF SetBkColor(COLORREF c) {
    const COLORREF old = m_crBk;
    m_crBk = c & 0xFFFFFF;
    return old;
  }
  COLORREF GetBkColor() const { return m_crBk; }
  int SetBkMode(int iMode);
  int GetBkMode() const { return m_iBkMode; }
  COLORREF SetTextColor(COLORREF c) {
    const COLORREF old = m_crText;
    m_crText = c & 0xFFFFFF;
    return old;
  }
  COLORREF GetTextColor() const { return m_crText; }
  UINT SetTextAlign(UINT iAlign) {
    const UINT old = m_iTextAlign;
    m_iTextAlign = iAlign;
    return old;
  }
  UINT GetTextAlign() const { return m_iTextAlign; }
  // R2_COPYPEN or R2_MERGEPEN; another code is refused with 0.
  int SetROP2(int iRop);
  int GetROP2() const { return m_iRop2; }
  int SetStretchBltMode(int iMode) {
    const int old = m_iStretchMode;
    m_iStretchMode = iMode;
    return old;
  }
  int GetStretchBltMode() const { return m_iStretchMode; }
  int GetPolyFillMode() const { return ALTERNATE; }

  // Saves the state (pen, brush, font, attributes, position, clip; not the
  // bitmap, which stays) on a stack;
  // returns its level (1, 2, ...). RestoreDC(-1) restores the last one,
  // RestoreDC(n > 0) level n; the levels above are dropped. FALSE when there
  // is no such level.
  int SaveDC();
  BOOL RestoreDC(int iSaved);

  // --- Clipping. The DC keeps a copy of the region (the caller may delete
  // its own at once); nullptr removes the clip. Returns the kind of the new
  // clip (SIMPLEREGION when removed).
  int SelectClipRgn(const HRGN& hRgn);
  // The box that drawing is limited to; returns its kind.
  int GetClipBox(RECT* pRect) const;
  bool HasClipRegion() const { return m_pClip != nullptr; }

  // --- Pixels. Off the bitmap or outside the clip region nothing is written
  // and GetPixel answers CLR_INVALID. SetPixel(V) apply the ROP2.
  COLORREF GetPixel(int x, int y) const {
    if (!m_pBitmap || static_cast<unsigned>(x) >= static_cast<unsigned>(m_pBitmap->Width()) ||
        static_cast<unsigned>(y) >= static_cast<unsigned>(m_pBitmap->Height()))
      return CLR_INVALID;
    if (m_pClip && !m_pClip->Contains(x, y)) [[unlikely]]
      return CLR_INVALID;
    const std::uint8_t* p = m_pBitmap->Row(y) + 3 * x;
    return RGB(p[2], p[1], p[0]);
  }
  BOOL SetPixelV(int x, int y, COLORREF c) {
    if (!m_pBitmap || static_cast<unsigned>(x) >= static_cast<unsigned>(m_pBitmap->Width()) ||
        static_cast<unsigned>(y) >= static_cast<unsigned>(m_pBitmap->Height()))
      return FALSE;
    if (!m_bPlainPixels) [[unlikely]]
      return SetPixelSlow(x, y, c);
    std::uint8_t* p = m_pBitmap->Row(y) + 3 * x;
    p[0] = static_cast<std::uint8_t>(GetBValue(c));
    p[1] = static_cast<std::uint8_t>(GetGValue(c));
    p[2] = static_cast<std::uint8_t>(GetRValue(c));
    return TRUE;
  }
  // Returns the colour set, or CLR_INVALID when nothing was written.
  COLORREF SetPixel(int x, int y, COLORREF c) {
    return SetPixelV(x, y, c) ? (c & 0xFFFFFF) : CLR_INVALID;
  }

  // Opaque fill of l <= x < r, t <= y < b (corners in any order; right and
  // bottom edges excluded), clipped to the bitmap and the clip region; a
  // plain copy whatever the ROP2. The background colour becomes c.
  void FillSolidRect(int l, int t, int r, int b, COLORREF c) {
    m_crBk = c & 0xFFFFFF;
    if (!m_pBitmap) return;
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    if (m_pClip) [[unlikely]] {
      FillSolidRectClipped(l, t, r, b, c);
      return;
    }
    l = l < 0 ? 0 : l;
    t = t < 0 ? 0 : t;
    r = r > m_pBitmap->Width() ? m_pBitmap->Width() : r;
    b = b > m_pBitmap->Height() ? m_pBitmap->Height() : b;
    for (int y = t; y < b; ++y) WriteRun(m_pBitmap->Row(y), l, r, c, false);
  }

  // --- Lines. LineTo draws from the current position up to but not
  // including (x, y), then moves there. A one-pixel pen draws a Bresenham
  // line (ties of the minor coordinate go to the larger value); a wide pen a
  // stroke with round caps, the end point inside it; a zero-length line
  // draws nothing.
  BOOL MoveToEx(int x, int y, POINT* pOld);
  POINT MoveTo(int x, int y) {
    POINT old;
    MoveToEx(x, y, &old);
    return old;
  }
  BOOL LineTo(int x, int y);
  BOOL GetCurrentPositionEx(POINT* pPoint) const;
  POINT GetCurrentPosition() const { return m_ptCurrent; }
  // Lines through the points (end point excluded); wide pens join them round.
  BOOL Polyline(const POINT* pPts, int n);

  // --- Filled shapes: the brush fills the interior, then the pen draws the
  // outline over it. Boxes are ordered first; the figure lies in l <= x < r,
  // t <= y < b for a one-pixel pen. With PS_NULL a Rectangle, RoundRect or
  // Ellipse is one pixel smaller in width and height (the brush fills the
  // figure of the box (l, t, r - 1, b - 1)). An empty box draws nothing; an
  // Ellipse box at most 2 pixels wide or high is drawn as a Rectangle.
  BOOL Rectangle(int l, int t, int r, int b);
  BOOL RoundRect(int l, int t, int r, int b, int iEllipseW, int iEllipseH);
  BOOL Ellipse(int l, int t, int r, int b);
  // Closed automatically; interior by the even-odd rule, pixels on its
  // right and bottom boundary left to the outline. FALSE for n < 2.
  BOOL Polygon(const POINT* pPts, int n);
  // The part of the box's ellipse from the ray through (xs, ys) counter-
  // clockwise on the screen to the ray through (xe, ye); equal rays give the
  // whole ellipse. Pen only.
  BOOL Arc(int l, int t, int r, int b, int xs, int ys, int xe, int ye);
  // Cubic Béziers through pts[0], pts[3], pts[6] ... (n = 3k + 1) with the
  // points between as controls; pen only; the current position is untouched.
  BOOL PolyBezier(const POINT* pPts, int n);

  // --- Graded strokes. The same as drawing the path once per pass, widest
  // first, with a round pen aWidths[i] wide in aColours[i] under R2_MERGEPEN
  // (Polyline, or Polygon's outline when bClosed), whatever the DC's pen and
  // ROP2. Each pixel is written once with the OR of the passes that cover it.
  // The widths must fall from pass to pass (otherwise the passes are drawn one
  // by one); a pass whose colour adds no bit to the wider passes is left out,
  // as a narrower round stroke of a path lies inside any wider one. Fewer
  // than two points draw nothing.
  void MergeGradedStroke(const POINT* pPts, int n, bool bClosed, const int* aWidths,
                         const COLORREF* aColours, int iPasses);
  // The same for the outline Ellipse(l, t, r, b) draws with those pens (no
  // brush).
  void MergeGradedEllipse(int l, int t, int r, int b, const int* aWidths, const COLORREF* aColours,
                          int iPasses);

  // --- Blits (SRCCOPY only), clipped to both bitmaps and the clip region.
  BOOL BitBlt(int x, int y, int w, int h, const CDC& src, int xSrc, int ySrc, DWORD dwRop);
  // Nearest pixel (COLORONCOLOR): destination pixel i of w samples source
  // pixel floor(i * wSrc / w), so integer enlargements give exact blocks.
  // A negative extent on one side mirrors along that axis.
  BOOL StretchBlt(int x, int y, int w, int h, const CDC& src, int xSrc, int ySrc, int wSrc,
                  int hSrc, DWORD dwRop);

  // --- Text in the selected font, one byte per character. TA_LEFT|TA_TOP
  // puts the top of the cell at y and the start of the string at x;
  // TA_CENTER the middle of its advance width at x; TA_BASELINE the baseline
  // at y. A font with an escapement turns the baseline and the glyphs. In
  // OPAQUE mode the cell behind the string is filled with the background
  // colour first. Text is not affected by the ROP2.
  BOOL TextOut(int x, int y, const char* szText, int n);
  // cx: the sum of the characters' advances in whole pixels; cy: the cell
  // height of the font.
  BOOL GetTextExtentPoint(const char* szText, int n, SIZE* pSize) const;

  // --- The span writer, for code that rasterises on its own: writes spans
  // that lie within DrawWindow() in the colour with the ROP2 given, cut by
  // the clip region.
  void WriteSpans(const gdi::SpanList& spans, COLORREF c, int iRop);
  // The bitmap's area cut to the clip region's bounding box.
  const gdi::Window& DrawWindow() const { return m_window; }

 private:
  friend class CBitmap;
  struct CState {
    HPEN m_hPen;
    HBRUSH m_hBrush;
    HFONT m_hFont;
    COLORREF m_crText, m_crBk;
    int m_iBkMode, m_iRop2, m_iStretchMode;
    UINT m_iTextAlign;
    POINT m_ptCurrent;
    std::shared_ptr<const CRgnData> m_pClip;
  };

  static void WriteRun(std::uint8_t* pRow, int x0, int x1, COLORREF c, bool bMerge) {
    std::uint8_t* p = pRow + 3 * x0;
    const auto B = static_cast<std::uint8_t>(GetBValue(c));
    const auto G = static_cast<std::uint8_t>(GetGValue(c));
    const auto R = static_cast<std::uint8_t>(GetRValue(c));
    if (bMerge) {
      for (int x = x0; x < x1; ++x, p += 3) {
        p[0] |= B;
        p[1] |= G;
        p[2] |= R;
      }
    } else if (B == G && G == R) {
      if (x1 > x0) std::memset(p, B, static_cast<std::size_t>(3) * (x1 - x0));
    } else {
      for (int x = x0; x < x1; ++x, p += 3) {
        p[0] = B;
        p[1] = G;
        p[2] = R;
      }
    }
  }
  // Puts h into the slot, keeping the selection counts; returns the old one.
  template <class T>
  static std::shared_ptr<T> SwapSelected(std::shared_ptr<T>& slot, const std::shared_ptr<T>& h);
  BOOL SetPixelSlow(int x, int y, COLORREF c);
  void FillSolidRectClipped(int l, int t, int r, int b, COLORREF c);
  void UpdateWindow();
  // Calls f(x0, x1) for the parts of [x0, x1) on row y inside the clip.
  template <class F>
  void ForClippedRuns(int y, int x0, int x1, F&& f) const;
  void PenSpans(gdi::SpanList& spans);    // writes in the pen colour
  void BrushSpans(gdi::SpanList& spans);  // writes in the brush colour
  bool HasPen() const { return m_hPen && !m_hPen->IsNull(); }
  // Early rejection: whether nothing in the pixel box [l, r) x [t, b) can be
  // drawn, as it lies wholly outside the surface or the clip box. Callers
  // pass boxes that hold every pixel the full drawing could touch.
  bool Misses(std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b) const;
  // The same for a path stroked with a pen iWidth wide (0 or 1: the
  // one-pixel pen) or, with iWidth 0, filled.
  bool PathMisses(const gdi::FixPoint* pPts, int n, std::int64_t iWidth) const;
  // The same for whole-pixel points, before they are converted.
  bool PointsMiss(const POINT* pPts, int n, std::int64_t iWidth) const;
  // The same for the figure of an ordered box drawn with the current pen.
  bool BoxMisses(std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b) const;
  // The width the current pen strokes with: 0 for the one-pixel pen.
  std::int64_t StrokeWidth() const;
  const HFONT& Font() const;
  bool HasBrush() const { return m_hBrush && !m_hBrush->IsNull(); }
  void CosmeticLine(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                    gdi::SpanList& out) const;
  void CosmeticPolyline(const std::vector<gdi::FixPoint>& aPts, bool bClosed, gdi::SpanList& out);
  // Draws a shape that is one run per row with the current pen and brush;
  // aWidePath is the closed path a wide pen follows.
  void DrawRowShape(const gdi::CRowShape& shape, const gdi::CRowShape& nullPenShape,
                    const std::vector<gdi::FixPoint>& aWidePath);
  // MergeGradedStroke on the path in m_aPath.
  void MergeGradedPath(bool bClosed, const int* aWidths, const COLORREF* aColours, int iPasses);

  CBitmap* m_pBitmap = nullptr;
  HPEN m_hPen;
  HBRUSH m_hBrush;
  // The system font is selected on first use, so that a DC that never draws
  // text never sets up the font system; null until then.
  mutable HFONT m_hFont;
  COLORREF m_crText = RGB(0, 0, 0);
  COLORREF m_crBk = RGB(255, 255, 255);
  int m_iBkMode = OPAQUE;
  int m_iRop2 = R2_COPYPEN;
  int m_iStretchMode = BLACKONWHITE;
  UINT m_iTextAlign = TA_LEFT | TA_TOP | TA_NOUPDATECP;
  POINT m_ptCurrent;
  std::shared_ptr<const CRgnData> m_pClip;
  bool m_bPlainPixels = true;  // no clip and R2_COPYPEN: SetPixel is a plain store
  gdi::Window m_window;
  std::vector<CState> m_aSaved;
  // Scratch lists reused by every call, so drawing allocates only while they grow.
  gdi::SpanList m_aSpans;
  gdi::SpanList m_aSpans2;
  std::vector<gdi::FixPoint> m_aPath;
  std::vector<gdi::SpanList> m_aPassSpans;  // MergeGradedStroke's spans, one list per pass
};

// A memory DC in the default state (the reference DC only says which kind of
// surface it is for: there is one kind).
std::unique_ptr<CDC> CreateCompatibleDC(const CDC* pDC);
BOOL DeleteDC(std::unique_ptr<CDC>& pDC);
// A black 24-bit bitmap of w x h; nullptr for a size <= 0 or no memory.
std::unique_ptr<CBitmap> CreateCompatibleBitmap(const CDC& dc, int w, int h);
// Releases a bitmap unless it is selected into a DC (then FALSE).
BOOL DeleteObject(std::unique_ptr<CBitmap>& pBitmap);
// The bitmap's description; returns the bytes written (0 for nullptr).
int GetObject(const CBitmap* pBitmap, BITMAP* pInfo);
