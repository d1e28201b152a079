// Drawing objects: pens, brushes, regions and fonts, with GDI's names and
// rules but owned safely.
//
// Object model. A handle (HPEN, HBRUSH, HRGN, HFONT) is a shared pointer to
// the object (pens, brushes and fonts are immutable; CombineRgn rewrites a
// region), so nothing can dangle: a DC keeps what it has selected
// alive, and an object nobody refers to any more is freed. GDI's observable
// rules are kept on top of that:
// - SelectObject returns the previously selected object of the same kind;
// - DeleteObject(h) releases the caller's handle (h becomes null) and returns
//   TRUE, but refuses with FALSE, leaving h valid, while the object is
//   selected into a DC;
// - stock objects (GetStockPen/GetStockBrush/GetStockFont) are shared by all
//   threads; deleting one is a harmless no-op that returns TRUE.
#pragma once

#include <atomic>
#include <memory>
#include <utility>

#include "platform/gdi/region.h"
#include "platform/win_types.h"

// Pen styles.
constexpr int PS_SOLID = 0;
constexpr int PS_NULL = 5;
// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int SYSTEM_FONT = 13;
constexpr int DEFAULT_GUI_FONT = 17;
// Object kinds for GetCurrentObject-style queries.
constexpr int OBJ_PEN = 1;
constexpr int OBJ_BRUSH = 2;
constexpr int OBJ_FONT = 6;
constexpr int OBJ_BITMAP = 7;
constexpr int OBJ_REGION = 8;
// Polygon fill modes (only ALTERNATE is drawn).
constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;

// What all drawing objects share: whether they are stock objects and in how
// many DCs they are currently selected.
class CGdiObject {
 public:
  CGdiObject() = default;
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;
  virtual ~CGdiObject() = default;

  bool IsStock() const { return m_bStock; }
  bool IsSelected() const { return m_iSelected.load(std::memory_order_relaxed) > 0; }

 private:
  friend class CDC;
  template <class T>
  friend std::shared_ptr<T> MakeStockObject(std::shared_ptr<T> p);
  void AddSelection() {
    if (!m_bStock) m_iSelected.fetch_add(1, std::memory_order_relaxed);
  }
  void RemoveSelection() {
    if (!m_bStock) m_iSelected.fetch_sub(1, std::memory_order_relaxed);
  }
  bool m_bStock = false;
  std::atomic<int> m_iSelected{0};
};

// Marks a freshly made object as a stock object (shared, never deleted).
template <class T>
std::shared_ptr<T> MakeStockObject(std::shared_ptr<T> p) {
  p->m_bStock = true;
  return p;
}

class CPen final : public CGdiObject {
 public:
  CPen(int iStyle, int iWidth, COLORREF cr) : m_iStyle(iStyle), m_iWidth(iWidth), m_cr(cr) {}
  int Style() const { return m_iStyle; }
  // Width as given; 0 and 1 both mean the one-pixel (cosmetic) pen.
  int Width() const { return m_iWidth; }
  COLORREF Colour() const { return m_cr; }
  bool IsNull() const { return m_iStyle == PS_NULL; }
  bool IsWide() const { return !IsNull() && m_iWidth > 1; }

 private:
  int m_iStyle;
  int m_iWidth;
  COLORREF m_cr;
};

class CBrush final : public CGdiObject {
 public:
  CBrush(bool bNull, COLORREF cr) : m_bNull(bNull), m_cr(cr) {}
  bool IsNull() const { return m_bNull; }
  COLORREF Colour() const { return m_cr; }

 private:
  bool m_bNull;
  COLORREF m_cr;
};

class CRgn final : public CGdiObject {
 public:
  explicit CRgn(CRgnData data) : m_data(std::move(data)) {}
  const CRgnData& Data() const { return m_data; }

 private:
  friend int CombineRgn(const std::shared_ptr<CRgn>&, const std::shared_ptr<CRgn>&,
                        const std::shared_ptr<CRgn>&, int);
  CRgnData m_data;
};

class CFont;  // platform/gdi/font.h

using HPEN = std::shared_ptr<CPen>;
using HBRUSH = std::shared_ptr<CBrush>;
using HRGN = std::shared_ptr<CRgn>;
using HFONT = std::shared_ptr<CFont>;

// A pen of PS_SOLID or PS_NULL (any other style draws as PS_SOLID); a width
// below 0 counts as 0. Never fails.
HPEN CreatePen(int iStyle, int iWidth, COLORREF cr);
HBRUSH CreateSolidBrush(COLORREF cr);
// WHITE_PEN, BLACK_PEN, NULL_PEN; nullptr for other numbers.
HPEN GetStockPen(int iObject);
// WHITE_BRUSH, BLACK_BRUSH, NULL_BRUSH; nullptr for other numbers.
HBRUSH GetStockBrush(int iObject);

// Regions. Corners may be given in any order; right and bottom are excluded.
HRGN CreateRectRgn(int l, int t, int r, int b);
// The ellipse of the box with right and bottom excluded: the same pixels as a
// null-pen Ellipse in that box.
HRGN CreateEllipticRgn(int l, int t, int r, int b);
// The even-odd interior of the polygon (iFillMode ALTERNATE; WINDING is not
// supported and gives nullptr). nullptr also for n < 3 or no points.
HRGN CreatePolygonRgn(const POINT* pPts, int n, int iFillMode);
// dst = a op b (b unused for RGN_COPY); dst may be a or b. Returns the kind
// of the result (NULLREGION, SIMPLEREGION, COMPLEXREGION) or ERROR for a
// missing region or an unknown mode, leaving dst unchanged.
int CombineRgn(const HRGN& hDst, const HRGN& hA, const HRGN& hB, int iMode);
BOOL PtInRegion(const HRGN& hRgn, int x, int y);
// The bounding box; returns the region's kind (ERROR for nullptr).
int GetRgnBox(const HRGN& hRgn, RECT* pRect);

// Releases the caller's handle unless the object is selected into a DC
// (FALSE, handle kept). Stock objects: TRUE, nothing happens.
template <class T>
BOOL DeleteObject(std::shared_ptr<T>& h) {
  if (!h) return FALSE;
  if (h->IsStock()) return TRUE;
  if (h->IsSelected()) return FALSE;
  h.reset();
  return TRUE;
}
// For the idiom DeleteObject(dc.SelectObject(hOld)).
template <class T>
BOOL DeleteObject(std::shared_ptr<T>&& h) {
  return DeleteObject(h);
}
