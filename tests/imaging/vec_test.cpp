#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

#include "imaging/vec.h"
#include "support/recording_reporter.h"

using ::testing::ElementsAre;

TEST(Vec, IndexErrorsAreReportedAndSubstituted) {
  CVec v(1, 2, 3);
  EXPECT_EQ(v[2], 3.0);
  EXPECT_EQ(v[3], 0.0);
  EXPECT_EQ(v[4], 1.0);
  EXPECT_EQ(v[-1], 1.0);
  v.setval(5, 9.0);
  v.setval(3, 7.0);
  EXPECT_EQ(v.w(), 7.0);
  EXPECT_THAT(TakeMessages(), ElementsAre("Bad index for CVec operator[4]",
                                          "Bad index for CVec operator[-1]", "Bad size in setval:5"));
}

TEST(Matrix, RangeErrorsCheckRowFirst) {
  CMatrix m;
  EXPECT_EQ(m.getval(4, 9), 1.0);
  EXPECT_EQ(m.getval(0, 9), 1.0);
  EXPECT_EQ(m.getval(1, 0), 0.0);
  m.setval(-1, 0, 5.0);
  m.setval(0, 4, 5.0);
  EXPECT_THAT(TakeMessages(),
              ElementsAre("CMatrix::getval, bad row:4", "CMatrix::getval, bad column:9",
                          "CMatrix::setval, bad row:-1", "CMatrix::setval, bad column:4"));
}

TEST(Matrix, ComposeScalesThenRotatesThenTranslates) {
  const CMatrix m = CMatrix::Compose(CVec(2, 3, 1), 1.5707963267948966, CVec(10, 20, 0));
  const CVec p = TransformPoint(m, CVec(1, 1, 0));
  // (1, 1) scaled to (2, 3), rotated a quarter turn to (-3, 2), moved by (10, 20).
  EXPECT_NEAR(p.x(), 7.0, 1e-9);
  EXPECT_NEAR(p.y(), 22.0, 1e-9);
  EXPECT_EQ(p.w(), 0.0);
  const CVec d = TransformDirection(m, CVec(1, 0, 0));
  EXPECT_NEAR(d.x(), 0.0, 1e-9);
  EXPECT_NEAR(d.y(), 2.0, 1e-9);
}

TEST(Matrix, RotateAboutZMatchesTheStatedLayout) {
  const CMatrix r = CMatrix::Rotate(0.3, 2);
  EXPECT_EQ(r.getval(0, 0), std::cos(0.3));
  EXPECT_EQ(r.getval(1, 1), std::cos(0.3));
  EXPECT_EQ(r.getval(1, 0), std::sin(0.3));
  EXPECT_EQ(r.getval(0, 1), -std::sin(0.3));
  const CMatrix x = CMatrix::Rotate(0.3, 0);  // about x: rows/columns 2 and 1
  EXPECT_EQ(x.getval(2, 1), std::sin(0.3));
  EXPECT_EQ(x.getval(0, 0), 1.0);
}

TEST(Outline, CapacityBoundsAndReset) {
  COutline o;
  EXPECT_EQ(o.m_iCount, 0);
  EXPECT_STREQ(o.m_szName, "0");
  EXPECT_EQ(o.m_bFilled, 1);
  EXPECT_EQ(o.m_vMin.x(), 1e100);
  EXPECT_EQ(o.m_vMax.y(), -1e100);
  for (int i = 0; i < 32; ++i) o.AddVertex(i - 5, 2 * i, 0);
  EXPECT_TRUE(TakeMessages().empty());
  o.AddVertex(100, 100, 0);
  EXPECT_EQ(o.m_iCount, 32);
  EXPECT_EQ(o.m_vMin.x(), -5.0);
  EXPECT_EQ(o.m_vMax.x(), 26.0);
  EXPECT_EQ(o.m_vMax.y(), 62.0);
  EXPECT_EQ(o.GetVertex(31).x(), 26.0);
  EXPECT_EQ(o.GetVertex(40).x(), -5.0);  // vertex 0
  EXPECT_THAT(TakeMessages(), ElementsAre("AddVertex overflow error", "AddVertex out of range error"));
}
