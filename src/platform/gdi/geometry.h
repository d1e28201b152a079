// Geometry of the drawing layer: the shapes that are one run per row
// (rectangles, ellipses, rounded rectangles) and the flattening of curves
// (ellipse outlines, arcs, cubic Béziers) into polylines for wide pens.
//
// Raster rules for boxes (l, t, r, b), already ordered:
// - The figure lies in l <= x < r, t <= y < b (right and bottom excluded).
// - An ellipse covers the pixels whose centres (x + 1/2, y + 1/2) lie in the
//   closed ellipse inscribed in that box; a one-pixel pen draws the boundary
//   pixels of that set (those with a 4-neighbour outside it), the brush the
//   rest. So Ellipse(0, 0, 10, 10) touches columns 0 and 9 and rows 0 and 9.
// - Wide pens run centred on the path through the one-pixel outline: for a
//   box, the polygon (l, t) - (r-1, t) - (r-1, b-1) - (l, b-1); for an
//   ellipse, the ellipse through those same extreme samples.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gdi/raster.h"

namespace gdi {

// A shape made of one run [xl, xr] (inclusive) on each row top <= y < bottom.
class CRowShape {
 public:
  virtual ~CRowShape() = default;
  // The run of row y; false when the row holds none.
  virtual bool Row(std::int64_t y, std::int64_t& xl, std::int64_t& xr) const = 0;
  std::int64_t m_iTop = 0;
  std::int64_t m_iBottom = 0;
};

class CBoxShape final : public CRowShape {
 public:
  CBoxShape(std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b);
  bool Row(std::int64_t y, std::int64_t& xl, std::int64_t& xr) const override;

 private:
  std::int64_t m_l, m_r;
};

class CEllipseShape final : public CRowShape {
 public:
  // The ellipse inscribed in the box l <= x < r, t <= y < b.
  CEllipseShape(std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b);
  bool Row(std::int64_t y, std::int64_t& xl, std::int64_t& xr) const override;

 private:
  std::int64_t m_iSumX, m_iSumY;  // l + r - 1 and t + b - 1 (twice the centre)
  std::int64_t m_A, m_B;          // r - l and b - t (twice the semi-axes)
};

class CRoundRectShape final : public CRowShape {
 public:
  // The box with its corners cut by quarters of an ew x eh ellipse.
  CRoundRectShape(std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b,
                  std::int64_t ew, std::int64_t eh);
  bool Row(std::int64_t y, std::int64_t& xl, std::int64_t& xr) const override;

 private:
  std::int64_t m_l, m_r, m_ew, m_eh;
  CEllipseShape m_corner;
};

// Appends the shape's runs within the window. With pOutline, the boundary
// pixels (those with a 4-neighbour outside the shape) go there and the rest to
// pInterior; without it the whole shape goes to pInterior. Either list may be
// null to skip it. Rows come out in order; each list is sorted.
void RowShapeSpans(const CRowShape& shape, const Window& win, SpanList* pOutline,
                   SpanList* pInterior);

// The closed path of an ellipse with centre (cx, cy) and semi-axes a, b,
// flattened to within a quarter pixel.
void FlattenEllipse(double cx, double cy, double a, double b, std::vector<FixPoint>& out);
// The part of that ellipse from parameter angle dStart counter-clockwise on
// the screen over dSweep radians (point(phi) = (cx + a cos phi, cy - b sin phi)).
void FlattenEllipseArc(double cx, double cy, double a, double b, double dStart, double dSweep,
                       std::vector<FixPoint>& out);
// One cubic Bézier from p0 to p3 with controls p1, p2, flattened to within a
// quarter pixel; appends all points after p0 (p3 last).
void FlattenBezier(FixPoint p0, FixPoint p1, FixPoint p2, FixPoint p3, std::vector<FixPoint>& out);

// Coordinates of boxes are clamped to this range before ellipse arithmetic,
// which keeps every product within 128 bits; nothing that large is visible.
constexpr std::int64_t kMaxBoxCoord = std::int64_t{1} << 29;

}  // namespace gdi
