// Drawing helpers shared by the Xforms: selecting a fresh pen and brush pair
// and drawing a transformed polygon outline.
#pragma once

#include "imaging/vec.h"
#include "platform/dc.h"

// Makes a pen (style, width, colour) and selects it, makes a solid brush and
// selects it, and only then deletes the pen and brush the two slots held
// before (if any) and stores the new ones in the slots. A failed deletion is
// reported ("SPAB:Could not delete a pen" / "SPAB:Could not delete a brush")
// and the slot takes the new object all the same. The caller deletes what is
// left in the slots after putting the DC's original objects back.
void SelectPenAndBrush(HPEN& hPen, int iPenStyle, int iPenWidth, COLORREF crPen, HBRUSH& hBrush,
                       COLORREF crBrush, CDC& dc);

// The two slots of SelectPenAndBrush for one drawing run: the DC's own pen
// and brush are kept when it starts, and put back and the last pair made
// deleted when it ends, however it ends.
class CPenBrushSlots {
 public:
  explicit CPenBrushSlots(CDC& dc)
      : m_dc(dc), m_hOldPen(dc.GetCurrentPen()), m_hOldBrush(dc.GetCurrentBrush()) {}
  ~CPenBrushSlots();
  CPenBrushSlots(const CPenBrushSlots&) = delete;
  CPenBrushSlots& operator=(const CPenBrushSlots&) = delete;

  void Select(int iPenStyle, int iPenWidth, COLORREF crPen, COLORREF crBrush) {
    SelectPenAndBrush(m_hPen, iPenStyle, iPenWidth, crPen, m_hBrush, crBrush, m_dc);
  }

 private:
  CDC& m_dc;
  HPEN m_hOldPen, m_hPen;
  HBRUSH m_hOldBrush, m_hBrush;
};

// Draws the outline transformed by Compose(scale, angle, translation), each
// vertex truncated to whole pixels: a filled polygon when the outline is
// filled (with the style's fill colour when the style fills, hollow
// otherwise), else an open polyline through its vertices. The pen is solid
// with the style's width truncated. The DC's pen and brush are put back.
void DrawOutline(CDC& dc, const COutline& outline, const OutlineStyle& style, const CVec& vScale,
                 double dAngle, const CVec& vTranslation);
