// A small 3-D kit: homogeneous vector, 4 x 4 matrix acting on column vectors,
// and a polygon outline of at most 32 vertices. Used for leaves, petals and
// other rotated shapes. Range errors are reported and answered with a fixed
// substitute (1.0, or vertex 0); they never stop the caller.
#pragma once

#include "platform/win_types.h"

class CVec {
 public:
  CVec() = default;
  CVec(double x, double y, double z) : m_d{x, y, z, 0.0} {}

  // Element i for 0..3; otherwise "Bad index for CVec operator[%d]" and 1.0.
  double operator[](int i) const;
  // Sets element i for 0..3; otherwise "Bad size in setval:%d".
  void setval(int i, double dValue);

  double x() const { return m_d[0]; }
  double y() const { return m_d[1]; }
  double z() const { return m_d[2]; }
  double w() const { return m_d[3]; }

 private:
  double m_d[4] = {0.0, 0.0, 0.0, 0.0};
};

extern const CVec VecOrigin, VecX, VecY, VecZ, VecXY, VecXYZ;

class CMatrix {
 public:
  CMatrix() { Identity(); }

  // Row checked first ("CMatrix::getval, bad row:%d"), then the column
  // ("CMatrix::getval, bad column:%d"); either failure gives 1.0.
  double getval(int iRow, int iColumn) const;
  void setval(int iRow, int iColumn, double dValue);
  void Identity();

  static CMatrix Multiply(const CMatrix& a, const CMatrix& b);
  static CMatrix Scale(const CVec& v);
  static CMatrix Translate(const CVec& v);
  // About axis 0, 1 or 2; about z: [0][0] = [1][1] = cos, [1][0] = sin, [0][1] = -sin.
  static CMatrix Rotate(double dAngle, int iAxis);
  // Scale first, then rotate about z, then translate.
  static CMatrix Compose(const CVec& vScale, double dAngle, const CVec& vTranslation);

 private:
  double m_d[4][4];
};

CVec TransformPoint(const CMatrix& m, const CVec& v);
CVec TransformDirection(const CMatrix& m, const CVec& v);

class COutline {
 public:
  static constexpr int kCapacity = 32;

  COutline();
  // Count 0, label "0", filled, bounds (1e100, 1e100) .. (-1e100, -1e100).
  void Reset();
  // The 33rd vertex is refused with "AddVertex overflow error".
  void AddVertex(const CVec& v);
  void AddVertex(double x, double y, double z) { AddVertex(CVec(x, y, z)); }
  // Vertex i for 0 <= i < 32 (the capacity, not the count); otherwise
  // "AddVertex out of range error" and vertex 0.
  CVec GetVertex(int i) const;

  int m_bFilled = 1;
  int m_iCount = 0;
  CVec m_aVertex[kCapacity];
  char m_szName[256] = {};
  CVec m_vMin;
  CVec m_vMax;
};

// How an outline is drawn; the pen width is truncated when the pen is made.
struct OutlineStyle {
  COLORREF m_crPen = 0;
  COLORREF m_crFill = 0;
  int m_bFill = 0;
  double m_dPenWidth = 1.0;
};
