// Many opaque strokes (curves and filled ellipses) painted last first: a
// pixel is written only by the last stroke that covers it, so the surface
// ends with the bytes that drawing them in order would leave, with each pixel
// written once. Every row keeps the runs that later strokes have already
// covered; a stroke writes only the gaps between them, and a stroke whose
// reach lies wholly on covered runs is not scanned at all. The rows are
// shared between the cores: a block paints every stroke within its own rows
// with its own runs.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/dc.h"
#include "platform/win_types.h"

class CCoveredPainter {
 public:
  // One cubic Bézier p0 (controls p1, p2) p3 as CDC::PolyBezier draws it with
  // a solid pen iWidth (at least 2) wide in colour cr under R2_COPYPEN.
  void AddBezier(const POINT aPts[4], int iWidth, COLORREF cr);
  // The filled ellipse CDC::Ellipse(l, t, r, b) draws with a one-pixel solid
  // pen and a solid brush both of colour cr under R2_COPYPEN: outline and
  // inside alike (a box at most 2 pixels wide or high is a filled box).
  void AddEllipse(int l, int t, int r, int b, COLORREF cr);
  std::size_t Count() const { return m_aStrokes.size(); }

  // Calls for the pixels [x0, x1) of row y, whose memory is pRow.
  using RunFn = std::function<void(int y, int x0, int x1, std::uint8_t* pRow)>;

  // Paints the strokes onto the bitmap: the same bytes as drawing them in
  // the order they were added through a DC that has the bitmap selected, no
  // clip region and R2_COPYPEN (the DC's state is not involved). Then, when
  // given, fnUncovered is called for every longest run of a row that no
  // stroke touches, so that what lies under the strokes (drawn before them)
  // can be written there alone. Both are called from several threads at once,
  // for rows of their own. fnProgress (may be empty) is called on the calling
  // thread now and then with the share of the work done (0..100); when it
  // returns false the painting stops, the surface partly painted, and Paint
  // returns false.
  bool Paint(CBitmap& bitmap, const std::function<bool(int)>& fnProgress,
             const RunFn& fnUncovered = {}) const;

 private:
  struct Stroke {
    POINT aPts[4];  // an ellipse's box: aPts[0] top left, aPts[1] bottom right
    int iWidth;     // 0 for an ellipse
    COLORREF cr;
  };
  std::vector<Stroke> m_aStrokes;
};
