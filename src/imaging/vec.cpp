#include "imaging/vec.h"

#include <cmath>
#include <cstring>

#include "platform/report.h"

const CVec VecOrigin(0, 0, 0), VecX(1, 0, 0), VecY(0, 1, 0), VecZ(0, 0, 1), VecXY(1, 1, 0),
    VecXYZ(1, 1, 1);

double CVec::operator[](int i) const {
  if (i < 0 || i > 3) {
    ReportError("Bad index for CVec operator[%d]", i);
    return 1.0;
  }
  return m_d[i];
}

void CVec::setval(int i, double dValue) {
  if (i < 0 || i > 3) {
    ReportError("Bad size in setval:%d", i);
    return;
  }
  m_d[i] = dValue;
}

double CMatrix::getval(int iRow, int iColumn) const {
  if (iRow < 0 || iRow > 3) {
    ReportError("CMatrix::getval, bad row:%d", iRow);
    return 1.0;
  }
  if (iColumn < 0 || iColumn > 3) {
    ReportError("CMatrix::getval, bad column:%d", iColumn);
    return 1.0;
  }
  return m_d[iRow][iColumn];
}

void CMatrix::setval(int iRow, int iColumn, double dValue) {
  if (iRow < 0 || iRow > 3) {
    ReportError("CMatrix::setval, bad row:%d", iRow);
    return;
  }
  if (iColumn < 0 || iColumn > 3) {
    ReportError("CMatrix::setval, bad column:%d", iColumn);
    return;
  }
  m_d[iRow][iColumn] = dValue;
}

void CMatrix::Identity() {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) m_d[r][c] = r == c ? 1.0 : 0.0;
}

CMatrix CMatrix::Multiply(const CMatrix& a, const CMatrix& b) {
  CMatrix m;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      double dSum = 0.0;
      for (int i = 0; i < 4; ++i) dSum += a.getval(r, i) * b.getval(i, c);
      m.setval(r, c, dSum);
    }
  return m;
}

CMatrix CMatrix::Scale(const CVec& v) {
  CMatrix m;
  m.m_d[0][0] = v[0];
  m.m_d[1][1] = v[1];
  m.m_d[2][2] = v[2];
  return m;
}

CMatrix CMatrix::Translate(const CVec& v) {
  CMatrix m;
  m.m_d[0][3] = v[0];
  m.m_d[1][3] = v[1];
  m.m_d[2][3] = v[2];
  return m;
}

CMatrix CMatrix::Rotate(double dAngle, int iAxis) {
  CMatrix m;
  const int c = (iAxis + 2) % 3;
  const int d = (iAxis + 1) % 3;
  m.m_d[c][c] = m.m_d[d][d] = std::cos(dAngle);
  m.m_d[c][d] = std::sin(dAngle);
  m.m_d[d][c] = -std::sin(dAngle);
  return m;
}

CMatrix CMatrix::Compose(const CVec& vScale, double dAngle, const CVec& vTranslation) {
  return Multiply(Translate(vTranslation), Multiply(Rotate(dAngle, 2), Scale(vScale)));
}

CVec TransformPoint(const CMatrix& m, const CVec& v) {
  double d[3];
  for (int r = 0; r < 3; ++r)
    d[r] = m.getval(r, 0) * v.x() + m.getval(r, 1) * v.y() + m.getval(r, 2) * v.z() +
           m.getval(r, 3);
  return CVec(d[0], d[1], d[2]);
}

CVec TransformDirection(const CMatrix& m, const CVec& v) {
  double d[3];
  for (int r = 0; r < 3; ++r)
    d[r] = m.getval(r, 0) * v.x() + m.getval(r, 1) * v.y() + m.getval(r, 2) * v.z();
  return CVec(d[0], d[1], d[2]);
}

COutline::COutline() { Reset(); }

void COutline::Reset() {
  m_iCount = 0;
  std::strcpy(m_szName, "0");
  m_bFilled = 1;
  m_vMin = CVec(1e100, 1e100, 0);
  m_vMax = CVec(-1e100, -1e100, 0);
}

void COutline::AddVertex(const CVec& v) {
  if (m_iCount >= kCapacity) {
    ReportError("AddVertex overflow error");
    return;
  }
  m_aVertex[m_iCount++] = v;
  if (v.x() < m_vMin.x()) m_vMin.setval(0, v.x());
  if (v.y() < m_vMin.y()) m_vMin.setval(1, v.y());
  if (v.x() > m_vMax.x()) m_vMax.setval(0, v.x());
  if (v.y() > m_vMax.y()) m_vMax.setval(1, v.y());
}

CVec COutline::GetVertex(int i) const {
  if (i < 0 || i >= kCapacity) {
    ReportError("AddVertex out of range error");
    return m_aVertex[0];
  }
  return m_aVertex[i];
}
