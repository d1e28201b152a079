#include "platform/dc.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/gdi/geometry.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
// Pen widths beyond this are drawn at this width: far wider than any surface,
// and it keeps the squared radii of the disc arithmetic within 64 bits.
constexpr std::int64_t kMaxPenWidth = std::int64_t{1} << 24;

std::int64_t ClampBox(std::int64_t v) {
  return std::clamp(v, -gdi::kMaxBoxCoord, gdi::kMaxBoxCoord);
}

// The widest pen of graded passes (at least 0).
std::int64_t WidestPass(const int* aWidths, int iPasses) {
  std::int64_t iWidest = 0;
  for (int i = 0; i < iPasses; ++i)
    iWidest = std::max<std::int64_t>(iWidest, std::min<std::int64_t>(aWidths[i], kMaxPenWidth));
  return iWidest;
}

void OrderBox(int& l, int& t, int& r, int& b) {
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
}

}  // namespace

void CBitmap::CFreeDeleter::operator()(std::uint8_t* p) const { std::free(p); }

CBitmap::~CBitmap() {
  if (m_pSelectedIn) {
    m_pSelectedIn->m_pBitmap = nullptr;
    m_pSelectedIn->UpdateWindow();
  }
}

std::unique_ptr<CBitmap> CreateDIBSection(const BITMAPINFO& bmi, std::uint8_t** ppBits) {
  if (ppBits) *ppBits = nullptr;
  const BITMAPINFOHEADER& h = bmi.bmiHeader;
  if (h.biBitCount != 24 || h.biCompression != BI_RGB || h.biWidth <= 0 || h.biHeight <= 0 ||
      h.biWidth > (0x7FFFFFFF - 3) / 3)
    return nullptr;
  const std::uint64_t iStride = static_cast<std::uint64_t>(BytesPerRow24(h.biWidth));
  const std::uint64_t iSize = iStride * static_cast<std::uint64_t>(h.biHeight);
  if (iSize > 0xFFFFFFFFull) return nullptr;
  auto* pBits = static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(iSize), 1));
  if (!pBits) return nullptr;
  std::unique_ptr<CBitmap> pBitmap(new CBitmap);
  pBitmap->m_pBits.reset(pBits);
  pBitmap->m_iWidth = h.biWidth;
  pBitmap->m_iHeight = h.biHeight;
  pBitmap->m_iBytesPerRow = static_cast<int>(iStride);
  if (ppBits) *ppBits = pBits;
  return pBitmap;
}

// ---------------------------------------------------------------- objects

CDC::CDC() {
  SelectObject(GetStockPen(BLACK_PEN));
  SelectObject(GetStockBrush(WHITE_BRUSH));
}

const HFONT& CDC::Font() const {
  if (!m_hFont) {
    m_hFont = GetStockFont(SYSTEM_FONT);
    if (m_hFont) m_hFont->AddSelection();
  }
  return m_hFont;
}

CDC::~CDC() {
  if (m_pBitmap) m_pBitmap->m_pSelectedIn = nullptr;
  if (m_hPen) m_hPen->RemoveSelection();
  if (m_hBrush) m_hBrush->RemoveSelection();
  if (m_hFont) m_hFont->RemoveSelection();
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap) {
  if (pBitmap && pBitmap->m_pSelectedIn && pBitmap->m_pSelectedIn != this) return nullptr;
  CBitmap* pOld = m_pBitmap;
  if (pOld) pOld->m_pSelectedIn = nullptr;
  m_pBitmap = pBitmap;
  if (pBitmap) pBitmap->m_pSelectedIn = this;
  UpdateWindow();
  return pOld;
}

template <class T>
std::shared_ptr<T> CDC::SwapSelected(std::shared_ptr<T>& slot, const std::shared_ptr<T>& h) {
  if (!h) return nullptr;
  h->AddSelection();
  std::shared_ptr<T> old = std::move(slot);
  if (old) old->RemoveSelection();
  slot = h;
  return old;
}

HPEN CDC::SelectObject(const HPEN& hPen) { return SwapSelected(m_hPen, hPen); }
HBRUSH CDC::SelectObject(const HBRUSH& hBrush) { return SwapSelected(m_hBrush, hBrush); }
HFONT CDC::SelectObject(const HFONT& hFont) {
  if (!hFont) return nullptr;
  Font();  // the font given back is the system font when none was selected
  return SwapSelected(m_hFont, hFont);
}

int CDC::SetBkMode(int iMode) {
  if (iMode != TRANSPARENT && iMode != OPAQUE) return 0;
  const int old = m_iBkMode;
  m_iBkMode = iMode;
  return old;
}

int CDC::SetROP2(int iRop) {
  if (iRop != R2_COPYPEN && iRop != R2_MERGEPEN) return 0;
  const int old = m_iRop2;
  m_iRop2 = iRop;
  m_bPlainPixels = !m_pClip && m_iRop2 == R2_COPYPEN;
  return old;
}

int CDC::SaveDC() {
  m_aSaved.push_back({m_hPen, m_hBrush, m_hFont, m_crText, m_crBk, m_iBkMode, m_iRop2,
                      m_iStretchMode, m_iTextAlign, m_ptCurrent, m_pClip});
  return static_cast<int>(m_aSaved.size());
}

BOOL CDC::RestoreDC(int iSaved) {
  const int iLevel = iSaved > 0 ? iSaved : static_cast<int>(m_aSaved.size()) + iSaved + 1;
  if (iSaved == 0 || iLevel < 1 || iLevel > static_cast<int>(m_aSaved.size())) return FALSE;
  const CState s = m_aSaved[static_cast<std::size_t>(iLevel - 1)];
  m_aSaved.resize(static_cast<std::size_t>(iLevel - 1));
  SelectObject(s.m_hPen);
  SelectObject(s.m_hBrush);
  if (s.m_hFont) {
    SelectObject(s.m_hFont);
  } else if (m_hFont) {  // saved before the system font was needed
    m_hFont->RemoveSelection();
    m_hFont.reset();
  }
  m_crText = s.m_crText;
  m_crBk = s.m_crBk;
  m_iBkMode = s.m_iBkMode;
  m_iStretchMode = s.m_iStretchMode;
  m_iTextAlign = s.m_iTextAlign;
  m_ptCurrent = s.m_ptCurrent;
  m_pClip = s.m_pClip;
  m_iRop2 = s.m_iRop2;
  m_bPlainPixels = !m_pClip && m_iRop2 == R2_COPYPEN;
  UpdateWindow();
  return TRUE;
}

std::unique_ptr<CDC> CreateCompatibleDC(const CDC*) { return std::make_unique<CDC>(); }

BOOL DeleteDC(std::unique_ptr<CDC>& pDC) {
  if (!pDC) return FALSE;
  pDC.reset();
  return TRUE;
}

std::unique_ptr<CBitmap> CreateCompatibleBitmap(const CDC&, int w, int h) {
  if (w <= 0 || h <= 0) return nullptr;
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = w;
  bmi.bmiHeader.biHeight = h;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 24;
  bmi.bmiHeader.biCompression = BI_RGB;
  return CreateDIBSection(bmi, nullptr);
}

BOOL DeleteObject(std::unique_ptr<CBitmap>& pBitmap) {
  if (!pBitmap || pBitmap->IsSelected()) return FALSE;
  pBitmap.reset();
  return TRUE;
}

int GetObject(const CBitmap* pBitmap, BITMAP* pInfo) {
  if (!pBitmap) return 0;
  if (pInfo) {
    *pInfo = BITMAP{0, pBitmap->Width(), pBitmap->Height(), pBitmap->BytesPerRow(), 1, 24,
                    const_cast<std::uint8_t*>(pBitmap->Bits())};
  }
  return static_cast<int>(sizeof(BITMAP));
}

// ---------------------------------------------------------------- clipping

void CDC::UpdateWindow() {
  m_window = gdi::Window{};
  if (!m_pBitmap) return;
  m_window = {0, 0, m_pBitmap->Width(), m_pBitmap->Height()};
  if (m_pClip) {
    if (m_pClip->IsEmpty()) {
      m_window = gdi::Window{};
      return;
    }
    const RECT rc = m_pClip->Bounds();
    m_window.l = std::max<int>(m_window.l, rc.left);
    m_window.t = std::max<int>(m_window.t, rc.top);
    m_window.r = std::min<int>(m_window.r, rc.right);
    m_window.b = std::min<int>(m_window.b, rc.bottom);
  }
}

int CDC::SelectClipRgn(const HRGN& hRgn) {
  if (hRgn)
    m_pClip = std::make_shared<const CRgnData>(hRgn->Data());
  else
    m_pClip.reset();
  m_bPlainPixels = !m_pClip && m_iRop2 == R2_COPYPEN;
  UpdateWindow();
  return m_pClip ? m_pClip->Kind() : SIMPLEREGION;
}

int CDC::GetClipBox(RECT* pRect) const {
  if (pRect) *pRect = RECT{m_window.l, m_window.t, m_window.r, m_window.b};
  if (m_window.IsEmpty()) return NULLREGION;
  return m_pClip ? m_pClip->Kind() : SIMPLEREGION;
}

bool CDC::Misses(std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b) const {
  return m_window.IsEmpty() || r <= m_window.l || l >= m_window.r || b <= m_window.t ||
         t >= m_window.b;
}

bool CDC::PathMisses(const gdi::FixPoint* pPts, int n, std::int64_t iWidth) const {
  if (n <= 0) return true;
  std::int64_t x0 = pPts[0].x, x1 = x0, y0 = pPts[0].y, y1 = y0;
  for (int i = 1; i < n; ++i) {
    x0 = std::min(x0, pPts[i].x);
    x1 = std::max(x1, pPts[i].x);
    y0 = std::min(y0, pPts[i].y);
    y1 = std::max(y1, pPts[i].y);
  }
  // Fills stay within the points' box. A wide pen reaches half its width
  // beyond the path (its discs and the sides of its segments), a one-pixel
  // pen rounds the points to the nearest pixel; one more pixel covers the
  // rounding of flattened curves and of the segments' sides.
  const std::int64_t m = std::max<std::int64_t>(iWidth, 1) * (gdi::kFixOne / 2) + gdi::kFixOne;
  return Misses(gdi::FloorDiv(x0 - m, gdi::kFixOne), gdi::FloorDiv(y0 - m, gdi::kFixOne),
                gdi::FloorDiv(x1 + m, gdi::kFixOne) + 1, gdi::FloorDiv(y1 + m, gdi::kFixOne) + 1);
}

bool CDC::PointsMiss(const POINT* pPts, int n, std::int64_t iWidth) const {
  if (n <= 0) return true;
  LONG x0 = pPts[0].x, x1 = x0, y0 = pPts[0].y, y1 = y0;
  for (int i = 1; i < n; ++i) {
    x0 = std::min(x0, pPts[i].x);
    x1 = std::max(x1, pPts[i].x);
    y0 = std::min(y0, pPts[i].y);
    y1 = std::max(y1, pPts[i].y);
  }
  // As PathMisses, in whole pixels.
  const std::int64_t m = iWidth / 2 + 2;
  return Misses(x0 - m, y0 - m, x1 + m + 1, y1 + m + 1);
}

bool CDC::BoxMisses(std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b) const {
  // The figure lies in the box; a wide pen runs through its outermost pixels.
  const std::int64_t m = StrokeWidth() / 2 + 2;
  return Misses(l - m, t - m, r + m, b + m);
}

std::int64_t CDC::StrokeWidth() const {
  return HasPen() && m_hPen->IsWide() ? std::min<std::int64_t>(m_hPen->Width(), kMaxPenWidth) : 0;
}

template <class F>
void CDC::ForClippedRuns(int y, int x0, int x1, F&& f) const {
  if (!m_pClip) {
    if (x0 < x1) f(x0, x1);
    return;
  }
  auto [p, pEnd] = m_pClip->RowSpans(y);
  for (; p != pEnd && p->x0 < x1; ++p) {
    const int a = std::max(x0, p->x0), b = std::min(x1, p->x1);
    if (a < b) f(a, b);
  }
}

// ---------------------------------------------------------------- span writer

void CDC::WriteSpans(const gdi::SpanList& spans, COLORREF c, int iRop) {
  if (!m_pBitmap) return;
  const bool bMerge = iRop == R2_MERGEPEN;
  for (const gdi::Span& s : spans) {
    std::uint8_t* pRow = m_pBitmap->Row(s.y);
    ForClippedRuns(s.y, s.x0, s.x1, [&](int a, int b) { WriteRun(pRow, a, b, c, bMerge); });
  }
}

void CDC::PenSpans(gdi::SpanList& spans) {
  if (HasPen()) WriteSpans(spans, m_hPen->Colour(), m_iRop2);
}

void CDC::BrushSpans(gdi::SpanList& spans) {
  if (HasBrush()) WriteSpans(spans, m_hBrush->Colour(), m_iRop2);
}

BOOL CDC::SetPixelSlow(int x, int y, COLORREF c) {
  if (m_pClip && !m_pClip->Contains(x, y)) return FALSE;
  WriteRun(m_pBitmap->Row(y), x, x + 1, c, m_iRop2 == R2_MERGEPEN);
  return TRUE;
}

void CDC::FillSolidRectClipped(int l, int t, int r, int b, COLORREF c) {
  const int x0 = std::max(l, m_window.l), x1 = std::min(r, m_window.r);
  const int y0 = std::max(t, m_window.t), y1 = std::min(b, m_window.b);
  for (int y = y0; y < y1; ++y) {
    std::uint8_t* pRow = m_pBitmap->Row(y);
    ForClippedRuns(y, x0, x1, [&](int a, int e) { WriteRun(pRow, a, e, c, false); });
  }
}

// ---------------------------------------------------------------- lines

void CDC::CosmeticLine(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                       gdi::SpanList& out) const {
  const gdi::Window& win = m_window;
  if (win.IsEmpty() || (x0 == x1 && y0 == y1)) return;
  // Walk the major axis u from u0 over n steps (the end point excluded); the
  // minor coordinate is v0 + floor((2 dv i + n) / 2n), the nearest, ties to
  // the larger value.
  const bool bXMajor = std::llabs(x1 - x0) >= std::llabs(y1 - y0);
  const std::int64_t u0 = bXMajor ? x0 : y0, v0 = bXMajor ? y0 : x0;
  const std::int64_t du = bXMajor ? x1 - x0 : y1 - y0, dv = bXMajor ? y1 - y0 : x1 - x0;
  const std::int64_t n = std::llabs(du), su = du > 0 ? 1 : -1;
  const std::int64_t uMin = bXMajor ? win.l : win.t, uMax = bXMajor ? win.r : win.b;
  const std::int64_t vMin = bXMajor ? win.t : win.l, vMax = bXMajor ? win.b : win.r;
  const std::int64_t D = 2 * n;
  auto floorDiv = [D](__int128 num) {
    if (num >= INT64_MIN / 2 && num <= INT64_MAX / 2)  // the common, fast case
      return __int128{gdi::FloorDiv(static_cast<std::int64_t>(num), D)};
    __int128 q = num / D;
    if (num % D != 0 && num < 0) --q;
    return q;
  };
  auto minor = [&](std::int64_t i) {
    return v0 + static_cast<std::int64_t>(floorDiv(static_cast<__int128>(2 * dv) * i + n));
  };
  // Steps whose major coordinate is on the window.
  std::int64_t iLo = su > 0 ? uMin - u0 : u0 - (uMax - 1);
  std::int64_t iHi = su > 0 ? uMax - 1 - u0 : u0 - uMin;
  iLo = std::max<std::int64_t>(iLo, 0);
  iHi = std::min<std::int64_t>(iHi, n - 1);
  if (iLo > iHi) return;
  // The minor coordinate is monotonic in i: narrow the range to the window
  // (not needed when both ends lie on it).
  const bool bInside = std::min(v0, v0 + dv) >= vMin && std::max(v0, v0 + dv) < vMax;
  auto inMinor = [&](std::int64_t i) { const std::int64_t v = minor(i); return v >= vMin && v < vMax; };
  auto beforeMinor = [&](std::int64_t i) {  // still before the window along the walk
    const std::int64_t v = minor(i);
    return dv >= 0 ? v < vMin : v >= vMax;
  };
  if (!bInside) {
    std::int64_t a = iLo, b = iHi + 1;  // first i not before the window
    while (a < b) {
      const std::int64_t m = a + (b - a) / 2;
      if (beforeMinor(m)) a = m + 1; else b = m;
    }
    iLo = a;
    a = iLo;
    b = iHi + 1;  // first i after the window
    while (a < b) {
      const std::int64_t m = a + (b - a) / 2;
      if (inMinor(m) || beforeMinor(m)) a = m + 1; else b = m;
    }
    iHi = a - 1;
  }
  if (iLo > iHi) return;
  // Incremental walk: v = v0 + q with q*D + r = 2 dv i + n, 0 <= r < D.
  const __int128 num = static_cast<__int128>(2 * dv) * iLo + n;
  const __int128 q128 = floorDiv(num);
  std::int64_t q = static_cast<std::int64_t>(q128);
  std::int64_t r = static_cast<std::int64_t>(num - q128 * D);
  std::int64_t u = u0 + su * iLo;
  int iRunStart = 0, iRunEnd = 0, iRunRow = 0;
  bool bRun = false;
  for (std::int64_t i = iLo; i <= iHi; ++i, u += su) {
    const int v = static_cast<int>(v0 + q);
    if (bXMajor) {
      const int x = static_cast<int>(u);
      if (bRun && v == iRunRow && (x == iRunEnd || x == iRunStart - 1)) {
        iRunStart = std::min(iRunStart, x);
        iRunEnd = std::max(iRunEnd, x + 1);
      } else {
        if (bRun) out.push_back({iRunRow, iRunStart, iRunEnd});
        bRun = true;
        iRunRow = v;
        iRunStart = x;
        iRunEnd = x + 1;
      }
    } else {
      out.push_back({static_cast<int>(u), v, v + 1});
    }
    r += 2 * dv;
    while (r >= D) {
      r -= D;
      ++q;
    }
    while (r < 0) {
      r += D;
      --q;
    }
  }
  if (bRun) out.push_back({iRunRow, iRunStart, iRunEnd});
}

BOOL CDC::MoveToEx(int x, int y, POINT* pOld) {
  if (pOld) *pOld = m_ptCurrent;
  m_ptCurrent = POINT{x, y};
  return TRUE;
}

BOOL CDC::GetCurrentPositionEx(POINT* pPoint) const {
  if (!pPoint) return FALSE;
  *pPoint = m_ptCurrent;
  return TRUE;
}

BOOL CDC::LineTo(int x, int y) {
  const POINT from = m_ptCurrent;
  m_ptCurrent = POINT{x, y};
  if (!HasPen() || !m_pBitmap) return TRUE;
  const POINT ends[2] = {from, m_ptCurrent};
  if (PointsMiss(ends, 2, StrokeWidth())) return TRUE;
  m_aSpans.clear();
  if (m_hPen->IsWide()) {
    if (from.x == x && from.y == y) return TRUE;  // a zero-length stroke draws nothing
    const gdi::FixPoint pts[2] = {gdi::FixFromInt(from.x, from.y), gdi::FixFromInt(x, y)};
    gdi::StrokePolylineSpans(pts, 2, false, StrokeWidth(), m_window, m_aSpans);
  } else {
    CosmeticLine(from.x, from.y, x, y, m_aSpans);
  }
  PenSpans(m_aSpans);
  return TRUE;
}

// Points of a flattened path rounded to whole pixels, joined by one-pixel
// lines; each line leaves out its end point, which the next one starts with.
// Pixels where lines cross may be written twice, which neither R2_COPYPEN nor
// R2_MERGEPEN (an OR) can tell from once; wide strokes are merged into one
// union only because their pieces overlap so much.
void CDC::CosmeticPolyline(const std::vector<gdi::FixPoint>& aPts, bool bClosed,
                           gdi::SpanList& out) {
  auto px = [](std::int64_t v) { return gdi::FloorDiv(v + gdi::kFixOne / 2, gdi::kFixOne); };
  const std::size_t n = aPts.size();
  for (std::size_t i = 0; i + 1 < n + (bClosed ? 1 : 0); ++i) {
    const gdi::FixPoint& a = aPts[i];
    const gdi::FixPoint& b = aPts[(i + 1) % n];
    CosmeticLine(px(a.x), px(a.y), px(b.x), px(b.y), out);
  }
}

BOOL CDC::Polyline(const POINT* pPts, int n) {
  if (!pPts || n < 2) return FALSE;
  if (!HasPen() || !m_pBitmap || PointsMiss(pPts, n, StrokeWidth())) return TRUE;
  m_aPath.clear();
  for (int i = 0; i < n; ++i) m_aPath.push_back(gdi::FixFromInt(pPts[i].x, pPts[i].y));
  m_aSpans.clear();
  if (m_hPen->IsWide()) {
    gdi::StrokePolylineSpans(m_aPath.data(), n, false, StrokeWidth(), m_window, m_aSpans);
  } else {
    CosmeticPolyline(m_aPath, false, m_aSpans);
  }
  PenSpans(m_aSpans);
  return TRUE;
}

// ---------------------------------------------------------------- shapes

void CDC::DrawRowShape(const gdi::CRowShape& shape, const gdi::CRowShape& nullPenShape,
                       const std::vector<gdi::FixPoint>& aWidePath) {
  m_aSpans.clear();
  m_aSpans2.clear();
  if (!HasPen()) {
    // No outline: the figure is one pixel smaller on the right and bottom.
    gdi::RowShapeSpans(nullPenShape, m_window, nullptr, &m_aSpans2);
    BrushSpans(m_aSpans2);
    return;
  }
  gdi::RowShapeSpans(shape, m_window, &m_aSpans, &m_aSpans2);
  BrushSpans(m_aSpans2);  // interior first, outline over it
  if (m_hPen->IsWide()) {
    m_aSpans.clear();
    gdi::StrokePolylineSpans(aWidePath.data(), static_cast<int>(aWidePath.size()), true,
                             StrokeWidth(), m_window, m_aSpans);
  }
  PenSpans(m_aSpans);
}

BOOL CDC::Rectangle(int l, int t, int r, int b) {
  OrderBox(l, t, r, b);
  if (!m_pBitmap || l == r || t == b) return TRUE;
  const std::int64_t L = l, T = t, R = r, B = b;
  if (BoxMisses(L, T, R, B)) return TRUE;
  m_aPath.clear();
  if (m_hPen->IsWide()) {
    // The wide pen runs through the one-pixel outline: columns l and r - 1,
    // rows t and b - 1.
    m_aPath = {gdi::FixFromInt(L, T), gdi::FixFromInt(R - 1, T), gdi::FixFromInt(R - 1, B - 1),
               gdi::FixFromInt(L, B - 1)};
  }
  DrawRowShape(gdi::CBoxShape(L, T, R, B), gdi::CBoxShape(L, T, R - 1, B - 1), m_aPath);
  return TRUE;
}

BOOL CDC::RoundRect(int l, int t, int r, int b, int iEllipseW, int iEllipseH) {
  OrderBox(l, t, r, b);
  if (!m_pBitmap || l == r || t == b) return TRUE;
  const std::int64_t ew = std::llabs(iEllipseW), eh = std::llabs(iEllipseH);
  if (ew < 2 || eh < 2) return Rectangle(l, t, r, b);
  const std::int64_t L = ClampBox(l), T = ClampBox(t), R = ClampBox(r), B = ClampBox(b);
  if (BoxMisses(L, T, R, B)) return TRUE;
  m_aPath.clear();
  if (m_hPen->IsWide()) {
    // Quarter ellipses of ew x eh at the corners of the one-pixel outline.
    const double rx = std::min<double>(static_cast<double>(ew) / 2, static_cast<double>(R - 1 - L) / 2);
    const double ry = std::min<double>(static_cast<double>(eh) / 2, static_cast<double>(B - 1 - T) / 2);
    const double xl = static_cast<double>(L) + rx, xr = static_cast<double>(R - 1) - rx;
    const double yt = static_cast<double>(T) + ry, yb = static_cast<double>(B - 1) - ry;
    gdi::FlattenEllipseArc(xr, yt, rx, ry, 0, kPi / 2, m_aPath);
    gdi::FlattenEllipseArc(xl, yt, rx, ry, kPi / 2, kPi / 2, m_aPath);
    gdi::FlattenEllipseArc(xl, yb, rx, ry, kPi, kPi / 2, m_aPath);
    gdi::FlattenEllipseArc(xr, yb, rx, ry, 3 * kPi / 2, kPi / 2, m_aPath);
  }
  DrawRowShape(gdi::CRoundRectShape(L, T, R, B, ew, eh),
               gdi::CRoundRectShape(L, T, R - 1, B - 1, ew, eh), m_aPath);
  return TRUE;
}

BOOL CDC::Ellipse(int l, int t, int r, int b) {
  OrderBox(l, t, r, b);
  if (!m_pBitmap || l == r || t == b) return TRUE;
  if (static_cast<std::int64_t>(r) - l <= 2 || static_cast<std::int64_t>(b) - t <= 2)
    return Rectangle(l, t, r, b);
  const std::int64_t L = ClampBox(l), T = ClampBox(t), R = ClampBox(r), B = ClampBox(b);
  if (BoxMisses(L, T, R, B)) return TRUE;
  m_aPath.clear();
  if (m_hPen->IsWide()) {
    // The ellipse through the one-pixel outline's extreme pixels.
    gdi::FlattenEllipse(static_cast<double>(L + R - 1) / 2, static_cast<double>(T + B - 1) / 2,
                        static_cast<double>(R - L - 1) / 2, static_cast<double>(B - T - 1) / 2,
                        m_aPath);
  }
  DrawRowShape(gdi::CEllipseShape(L, T, R, B), gdi::CEllipseShape(L, T, R - 1, B - 1), m_aPath);
  return TRUE;
}

BOOL CDC::Polygon(const POINT* pPts, int n) {
  if (!pPts || n < 2) return FALSE;
  if (!m_pBitmap || PointsMiss(pPts, n, StrokeWidth())) return TRUE;
  m_aPath.clear();
  for (int i = 0; i < n; ++i) m_aPath.push_back(gdi::FixFromInt(pPts[i].x, pPts[i].y));
  if (HasBrush()) {
    m_aSpans.clear();
    gdi::FillPolygonEvenOdd(m_aPath.data(), n, m_window, m_aSpans);
    BrushSpans(m_aSpans);
  }
  if (HasPen()) {
    m_aSpans.clear();
    if (m_hPen->IsWide()) {
      gdi::StrokePolylineSpans(m_aPath.data(), n, true, StrokeWidth(), m_window, m_aSpans);
    } else {
      CosmeticPolyline(m_aPath, true, m_aSpans);
    }
    PenSpans(m_aSpans);
  }
  return TRUE;
}

BOOL CDC::Arc(int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  OrderBox(l, t, r, b);
  if (!m_pBitmap || l == r || t == b || !HasPen()) return TRUE;
  const std::int64_t L = ClampBox(l), T = ClampBox(t), R = ClampBox(r), B = ClampBox(b);
  if (BoxMisses(L, T, R, B)) return TRUE;
  // Screen angles, counter-clockwise, measured in doubled coordinates about the
  // centre of the box (pixel centres at x + 1/2).
  auto angle = [&](double x2, double y2) { return std::atan2(-y2, x2); };
  // The rays run through the centres of the pixels (xs, ys) and (xe, ye),
  // like the pixels tested against them.
  const double dStart = angle(2.0 * xs + 1 - static_cast<double>(L + R),
                              2.0 * ys + 1 - static_cast<double>(T + B));
  const double dEnd = angle(2.0 * xe + 1 - static_cast<double>(L + R),
                            2.0 * ye + 1 - static_cast<double>(T + B));
  auto ccw = [](double from, double to) {  // counter-clockwise distance in [0, 2 pi)
    double d = std::fmod(to - from, 2 * kPi);
    if (d < 0) d += 2 * kPi;
    return d;
  };
  double dSweep = ccw(dStart, dEnd);
  if (dSweep == 0) dSweep = 2 * kPi;
  m_aSpans.clear();
  if (m_hPen->IsWide()) {
    const double cx = static_cast<double>(L + R - 1) / 2, cy = static_cast<double>(T + B - 1) / 2;
    const double a = std::max(static_cast<double>(R - L - 1) / 2, 0.0);
    const double bb = std::max(static_cast<double>(B - T - 1) / 2, 0.0);
    // The parameter angle where the start ray meets the ellipse.
    auto param = [&](int x, int y) {
      return std::atan2(-(y - cy) * (a > 0 ? a : 1), (x - cx) * (bb > 0 ? bb : 1));
    };
    const double phiStart = param(xs, ys);
    double phiSweep = ccw(phiStart, param(xe, ye));
    if (phiSweep == 0) phiSweep = 2 * kPi;
    m_aPath.clear();
    gdi::FlattenEllipseArc(cx, cy, a, bb, phiStart, phiSweep, m_aPath);
    gdi::StrokePolylineSpans(m_aPath.data(), static_cast<int>(m_aPath.size()), false,
                             StrokeWidth(), m_window, m_aSpans);
  } else {
    // The one-pixel outline of Ellipse(l, t, r, b), keeping the pixels whose
    // centres lie within the sweep.
    m_aSpans2.clear();
    const bool bTiny = R - L <= 2 || B - T <= 2;
    if (bTiny)
      gdi::RowShapeSpans(gdi::CBoxShape(L, T, R, B), m_window, &m_aSpans2, nullptr);
    else
      gdi::RowShapeSpans(gdi::CEllipseShape(L, T, R, B), m_window, &m_aSpans2, nullptr);
    for (const gdi::Span& s : m_aSpans2) {
      for (int x = s.x0; x < s.x1; ++x) {
        const double d = angle(2.0 * x + 1 - static_cast<double>(L + R),
                               2.0 * s.y + 1 - static_cast<double>(T + B));
        if (ccw(dStart, d) <= dSweep) {
          if (!m_aSpans.empty() && m_aSpans.back().y == s.y && m_aSpans.back().x1 == x)
            ++m_aSpans.back().x1;
          else
            m_aSpans.push_back({s.y, x, x + 1});
        }
      }
    }
  }
  PenSpans(m_aSpans);
  return TRUE;
}

BOOL CDC::PolyBezier(const POINT* pPts, int n) {
  if (!pPts || n < 4 || (n - 1) % 3 != 0) return FALSE;
  // The curves lie within their control points' box.
  if (!m_pBitmap || !HasPen() || PointsMiss(pPts, n, StrokeWidth())) return TRUE;
  m_aPath.clear();
  m_aPath.push_back(gdi::FixFromInt(pPts[0].x, pPts[0].y));
  for (int i = 0; i + 3 < n; i += 3) {
    gdi::FlattenBezier(gdi::FixFromInt(pPts[i].x, pPts[i].y),
                       gdi::FixFromInt(pPts[i + 1].x, pPts[i + 1].y),
                       gdi::FixFromInt(pPts[i + 2].x, pPts[i + 2].y),
                       gdi::FixFromInt(pPts[i + 3].x, pPts[i + 3].y), m_aPath);
  }
  m_aSpans.clear();
  if (m_hPen->IsWide()) {
    gdi::StrokePolylineSpans(m_aPath.data(), static_cast<int>(m_aPath.size()), false,
                             StrokeWidth(), m_window, m_aSpans);
  } else {
    CosmeticPolyline(m_aPath, false, m_aSpans);
  }
  PenSpans(m_aSpans);
  return TRUE;
}

// ---------------------------------------------------------------- graded strokes

void CDC::MergeGradedStroke(const POINT* pPts, int n, bool bClosed, const int* aWidths,
                            const COLORREF* aColours, int iPasses) {
  if (!pPts || n < 2 || !m_pBitmap) return;  // like Polyline and Polygon
  if (aWidths && iPasses > 0 && PointsMiss(pPts, n, WidestPass(aWidths, iPasses))) return;
  m_aPath.clear();
  for (int i = 0; i < n; ++i) m_aPath.push_back(gdi::FixFromInt(pPts[i].x, pPts[i].y));
  MergeGradedPath(bClosed, aWidths, aColours, iPasses);
}

void CDC::MergeGradedEllipse(int l, int t, int r, int b, const int* aWidths,
                             const COLORREF* aColours, int iPasses) {
  OrderBox(l, t, r, b);
  if (!m_pBitmap || l == r || t == b) return;
  if (aWidths && iPasses > 0) {
    const std::int64_t m = WidestPass(aWidths, iPasses) / 2 + 2;
    if (Misses(std::int64_t{l} - m, std::int64_t{t} - m, std::int64_t{r} + m, std::int64_t{b} + m))
      return;
  }
  m_aPath.clear();
  if (static_cast<std::int64_t>(r) - l <= 2 || static_cast<std::int64_t>(b) - t <= 2) {
    // Drawn as a Rectangle: the wide pen runs through its one-pixel outline.
    const std::int64_t L = l, T = t, R = r, B = b;
    m_aPath = {gdi::FixFromInt(L, T), gdi::FixFromInt(R - 1, T), gdi::FixFromInt(R - 1, B - 1),
               gdi::FixFromInt(L, B - 1)};
  } else {
    const std::int64_t L = ClampBox(l), T = ClampBox(t), R = ClampBox(r), B = ClampBox(b);
    gdi::FlattenEllipse(static_cast<double>(L + R - 1) / 2, static_cast<double>(T + B - 1) / 2,
                        static_cast<double>(R - L - 1) / 2, static_cast<double>(B - T - 1) / 2,
                        m_aPath);
  }
  MergeGradedPath(true, aWidths, aColours, iPasses);
}

void CDC::MergeGradedPath(bool bClosed, const int* aWidths, const COLORREF* aColours,
                          int iPasses) {
  const int n = static_cast<int>(m_aPath.size());
  if (n < 1 || !aWidths || !aColours || iPasses <= 0 || !m_pBitmap) return;
  // One pass as Polyline / Polygon would draw it with a merging pen.
  auto strokeSpans = [&](int iWidth, gdi::SpanList& out) {
    out.clear();
    if (iWidth > 1) {
      gdi::StrokePolylineSpans(m_aPath.data(), n, bClosed,
                               std::min<std::int64_t>(iWidth, kMaxPenWidth), m_window, out);
    } else {
      CosmeticPolyline(m_aPath, bClosed, out);
    }
  };
  bool bFalling = true;
  for (int i = 0; i < iPasses; ++i)
    if (aWidths[i] <= 1 || (i > 0 && aWidths[i] >= aWidths[i - 1])) bFalling = false;
  if (!bFalling || (bClosed && n < 3)) {
    for (int i = 0; i < iPasses; ++i) {
      strokeSpans(aWidths[i], m_aSpans);
      WriteSpans(m_aSpans, aColours[i], R2_MERGEPEN);
    }
    return;
  }
  // The passes that add a bit, and the OR of the colours down to each.
  if (m_aPassSpans.size() < static_cast<std::size_t>(iPasses))
    m_aPassSpans.resize(static_cast<std::size_t>(iPasses));
  std::vector<COLORREF> aOr;
  aOr.reserve(static_cast<std::size_t>(iPasses));
  std::vector<COLORREF> aOwn;
  aOwn.reserve(static_cast<std::size_t>(iPasses));
  COLORREF crOr = 0;
  int k = 0;
  for (int i = 0; i < iPasses; ++i) {
    const COLORREF c = aColours[i] & 0xFFFFFF;
    if (k > 0 && (c & ~crOr) == 0) continue;
    crOr |= c;
    strokeSpans(aWidths[i], m_aPassSpans[static_cast<std::size_t>(k)]);
    aOr.push_back(crOr);
    aOwn.push_back(c);
    ++k;
  }
  // Row by row. Where each pass holds one run inside the run of the pass
  // before (the usual case), the rings between them are written once with
  // the OR so far; otherwise the passes' runs on that row are merged one by one.
  std::vector<std::size_t> aAt(static_cast<std::size_t>(k), 0);
  std::vector<const gdi::Span*> aRow(static_cast<std::size_t>(k));
  auto write = [&](int y, int x0, int x1, COLORREF c) {
    if (x0 >= x1) return;
    std::uint8_t* pRow = m_pBitmap->Row(y);
    ForClippedRuns(y, x0, x1, [&](int a, int b) { WriteRun(pRow, a, b, c, true); });
  };
  for (;;) {
    int y = INT32_MAX;
    for (int p = 0; p < k; ++p) {
      const gdi::SpanList& l = m_aPassSpans[static_cast<std::size_t>(p)];
      if (aAt[p] < l.size()) y = std::min(y, l[aAt[p]].y);
    }
    if (y == INT32_MAX) break;
    // The runs of row y: one per pass at most, nested, the empty ones last.
    bool bNested = true;
    int iOn = 0;
    for (int p = 0; p < k; ++p) {
      const gdi::SpanList& l = m_aPassSpans[static_cast<std::size_t>(p)];
      std::size_t e = aAt[p];
      while (e < l.size() && l[e].y == y) ++e;
      const std::size_t iCount = e - aAt[p];
      aRow[p] = iCount ? &l[aAt[p]] : nullptr;
      if (iCount > 1 || (iCount == 1 && iOn != p)) bNested = false;
      if (iCount == 1 && p > 0 && bNested &&
          (aRow[p]->x0 < aRow[p - 1]->x0 || aRow[p]->x1 > aRow[p - 1]->x1))
        bNested = false;
      if (iCount == 1 && iOn == p) ++iOn;
    }
    if (bNested) {
      for (int p = 0; p < iOn; ++p) {
        const gdi::Span& o = *aRow[p];
        if (p + 1 < iOn) {
          const gdi::Span& inner = *aRow[p + 1];
          write(y, o.x0, inner.x0, aOr[p]);
          write(y, inner.x1, o.x1, aOr[p]);
        } else {
          write(y, o.x0, o.x1, aOr[p]);
        }
      }
    }
    for (int p = 0; p < k; ++p) {
      const gdi::SpanList& l = m_aPassSpans[static_cast<std::size_t>(p)];
      while (aAt[p] < l.size() && l[aAt[p]].y == y) {
        if (!bNested) write(y, l[aAt[p]].x0, l[aAt[p]].x1, aOwn[p]);
        ++aAt[p];
      }
    }
  }
}

// ---------------------------------------------------------------- blits

BOOL CDC::BitBlt(int x, int y, int w, int h, const CDC& src, int xSrc, int ySrc, DWORD) {
  if (!m_pBitmap || !src.m_pBitmap || w <= 0 || h <= 0) return FALSE;
  // Clip against the source, then against the destination, moving both sides.
  auto clip = [](int& iPos, int& iOther, int& iLen, int iLo, int iHi) {
    if (iPos < iLo) {
      const long long d = static_cast<long long>(iLo) - iPos;
      iOther = static_cast<int>(iOther + d);
      iLen = static_cast<int>(std::max<long long>(iLen - d, 0));
      iPos = iLo;
    }
    if (static_cast<long long>(iPos) + iLen > iHi) iLen = std::max(iHi - iPos, 0);
  };
  clip(xSrc, x, w, 0, src.m_pBitmap->Width());
  clip(ySrc, y, h, 0, src.m_pBitmap->Height());
  clip(x, xSrc, w, m_window.l, m_window.r);
  clip(y, ySrc, h, m_window.t, m_window.b);
  if (w <= 0 || h <= 0) return TRUE;
  // Within one bitmap, copy rows in the order that never reads a row already
  // overwritten.
  const bool bUpwards = m_pBitmap == src.m_pBitmap && y > ySrc;
  for (int k = 0; k < h; ++k) {
    const int j = bUpwards ? h - 1 - k : k;
    std::uint8_t* pDst = m_pBitmap->Row(y + j);
    const std::uint8_t* pSrc = src.m_pBitmap->Row(ySrc + j);
    ForClippedRuns(y + j, x, x + w, [&](int a, int b) {
      std::memmove(pDst + 3 * a, pSrc + 3 * (xSrc + (a - x)), static_cast<std::size_t>(3) * (b - a));
    });
  }
  return TRUE;
}

BOOL CDC::StretchBlt(int x, int y, int w, int h, const CDC& src, int xSrc, int ySrc, int wSrc,
                     int hSrc, DWORD dwRop) {
  if (!m_pBitmap || !src.m_pBitmap || w == 0 || h == 0 || wSrc == 0 || hSrc == 0) return FALSE;
  if (w == wSrc && h == hSrc) return BitBlt(x, y, w, h, src, xSrc, ySrc, dwRop);
  // A negative extent on one side mirrors the picture along that axis.
  const bool bMirrorX = (w < 0) != (wSrc < 0);
  const bool bMirrorY = (h < 0) != (hSrc < 0);
  long long X = x, Y = y, W = w, H = h, XS = xSrc, YS = ySrc, WS = wSrc, HS = hSrc;
  if (W < 0) { X += W + 1; W = -W; }
  if (H < 0) { Y += H + 1; H = -H; }
  if (WS < 0) { XS += WS + 1; WS = -WS; }
  if (HS < 0) { YS += HS + 1; HS = -HS; }
  const int iSrcW = src.m_pBitmap->Width(), iSrcH = src.m_pBitmap->Height();
  const int x0 = static_cast<int>(std::max<long long>(X, m_window.l));
  const int x1 = static_cast<int>(std::min<long long>(X + W, m_window.r));
  const int y0 = static_cast<int>(std::max<long long>(Y, m_window.t));
  const int y1 = static_cast<int>(std::min<long long>(Y + H, m_window.b));
  if (x0 >= x1 || y0 >= y1) return TRUE;
  // Destination pixel i samples source pixel floor(i * wSrc / w).
  std::vector<int> aSrcX(static_cast<std::size_t>(x1 - x0));
  bool bWholeRows = !m_pClip && src.m_pBitmap != m_pBitmap;
  for (int dx = x0; dx < x1; ++dx) {
    long long i = dx - X;
    if (bMirrorX) i = W - 1 - i;
    const long long sx = XS + (i * WS) / W;
    aSrcX[dx - x0] = (sx < 0 || sx >= iSrcW) ? -1 : static_cast<int>(sx);
    if (aSrcX[dx - x0] < 0) bWholeRows = false;
  }
  long long iLastSrcRow = -1;
  for (int dy = y0; dy < y1; ++dy) {
    long long j = dy - Y;
    if (bMirrorY) j = H - 1 - j;
    const long long sy = YS + (j * HS) / H;
    if (sy < 0 || sy >= iSrcH) {
      iLastSrcRow = -1;
      continue;
    }
    const std::uint8_t* pSrcRow = src.m_pBitmap->Row(static_cast<int>(sy));
    std::uint8_t* pDstRow = m_pBitmap->Row(dy);
    if (bWholeRows && sy == iLastSrcRow) {
      // An enlarged row again: a copy of the one above, written in full from
      // the same source row.
      std::memcpy(pDstRow + 3 * x0, m_pBitmap->Row(dy - 1) + 3 * x0,
                  3 * static_cast<std::size_t>(x1 - x0));
      continue;
    }
    iLastSrcRow = sy;
    ForClippedRuns(dy, x0, x1, [&](int a, int b) {
      for (int dx = a; dx < b; ++dx) {
        const int sx = aSrcX[dx - x0];
        if (sx < 0) continue;
        std::memcpy(pDstRow + 3 * dx, pSrcRow + 3 * sx, 3);
      }
    });
  }
  return TRUE;
}

// ---------------------------------------------------------------- text

BOOL CDC::GetTextExtentPoint(const char* szText, int n, SIZE* pSize) const {
  if (!szText || n < 0 || !pSize || !Font()) return FALSE;
  LONG cx = 0;
  for (int i = 0; i < n; ++i) cx += m_hFont->Advance(static_cast<unsigned char>(szText[i]));
  pSize->cx = cx;
  pSize->cy = m_hFont->Height();
  return TRUE;
}

BOOL CDC::TextOut(int x, int y, const char* szText, int n) {
  if (!szText || n < 0 || !Font()) return FALSE;
  if (!m_pBitmap || n == 0) return TRUE;
  const CFont& font = *m_hFont;
  SIZE size;
  GetTextExtentPoint(szText, n, &size);
  // Advance direction u and the cell's downward direction v on the screen.
  const bool bTurned = font.GetLogFont().lfEscapement % 3600 != 0;
  const double co = bTurned ? std::cos(font.Angle()) : 1.0;
  const double si = bTurned ? std::sin(font.Angle()) : 0.0;
  const double ux = co, uy = -si, vx = si, vy = co;
  const UINT iHoriz = m_iTextAlign & TA_CENTER, iVert = m_iTextAlign & TA_BASELINE;
  const int iAlongBefore = iHoriz == TA_CENTER ? size.cx / 2 : iHoriz == TA_RIGHT ? size.cx : 0;
  const int iDown = iVert == TA_BASELINE ? 0 : iVert == TA_BOTTOM ? -font.Descent() : font.Ascent();
  // The pen origin on the baseline where the first character starts.
  const double ox = x - ux * iAlongBefore + vx * iDown;
  const double oy = y - uy * iAlongBefore + vy * iDown;
  if (m_iBkMode == OPAQUE) {
    // The cell behind the string, from the ascent above the baseline to the
    // descent below it.
    const double a = font.Ascent(), d = font.Descent(), len = size.cx;
    const double cx[4] = {ox - vx * a, ox - vx * a + ux * len, ox + vx * d + ux * len, ox + vx * d};
    const double cy[4] = {oy - vy * a, oy - vy * a + uy * len, oy + vy * d + uy * len, oy + vy * d};
    gdi::FixPoint cell[4];
    for (int i = 0; i < 4; ++i)
      cell[i] = {std::llround(cx[i] * gdi::kFixOne), std::llround(cy[i] * gdi::kFixOne)};
    if (!PathMisses(cell, 4, 0)) {
      m_aSpans.clear();
      gdi::FillPolygonEvenOdd(cell, 4, m_window, m_aSpans);
      WriteSpans(m_aSpans, m_crBk, R2_COPYPEN);
    }
  }
  m_aSpans.clear();
  double px = ox, py = oy;
  for (int i = 0; i < n; ++i) {
    const auto c = static_cast<unsigned char>(szText[i]);
    const CGlyph& glyph = font.Glyph(c);
    const long long gx = std::llround(px), gy = std::llround(py);
    // A glyph wholly off the window is skipped without walking its runs.
    const bool bOff = Misses(gx + glyph.m_iLeft, gy + glyph.m_iTop, gx + glyph.m_iRight,
                             gy + glyph.m_iBottom);
    for (std::size_t k = 0; !bOff && k < glyph.m_aRuns.size(); ++k) {
      const CGlyph::Run& run = glyph.m_aRuns[k];
      const long long yy = gy + run.y;
      if (yy < m_window.t || yy >= m_window.b) continue;
      const long long a = std::max<long long>(gx + run.x0, m_window.l);
      const long long b = std::min<long long>(gx + run.x1, m_window.r);
      if (a < b) m_aSpans.push_back({static_cast<int>(yy), static_cast<int>(a), static_cast<int>(b)});
    }
    // font.Advance(c), without looking the glyph up again
    const int iAdvance = static_cast<int>(std::lround(glyph.m_dAdvance));
    px += ux * iAdvance;
    py += uy * iAdvance;
  }
  WriteSpans(m_aSpans, m_crText, R2_COPYPEN);
  return TRUE;
}
