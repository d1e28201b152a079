// The shared pen/brush and outline helpers on top of the drawing layer.
#include <gtest/gtest.h>

#include "imaging/gdi_helpers.h"
#include "platform/draw_support.h"
#include "support/recording_reporter.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);

TEST(SelectPenAndBrush, ReplacesTheSlotsAndDeletesTheOldPair) {
  CTestSurface s(10, 10), other(2, 2);
  CDC& dc = s.dc();
  HPEN hSavedPen = dc.GetCurrentPen();
  HBRUSH hSavedBrush = dc.GetCurrentBrush();
  HPEN hPen;
  HBRUSH hBrush;
  SelectPenAndBrush(hPen, PS_NULL, 1, kRed, hBrush, kGreen, dc);
  EXPECT_EQ(dc.GetCurrentPen(), hPen);
  EXPECT_EQ(dc.GetCurrentBrush(), hBrush);
  dc.Rectangle(0, 0, 4, 4);
  EXPECT_EQ(s.At(2, 2), kGreen);
  EXPECT_EQ(s.At(3, 3), 0u);  // null pen: one pixel smaller
  const HPEN hFirst = hPen;
  SelectPenAndBrush(hPen, PS_SOLID, 3, kRed, hBrush, kGreen, dc);
  EXPECT_NE(hPen, hFirst);
  EXPECT_EQ(hFirst.use_count(), 1);  // only this test still refers to it
  EXPECT_TRUE(TakeMessages().empty());
  // An old pen still selected elsewhere cannot be deleted: reported, and the
  // slot moves on to the new pen all the same.
  other.dc().SelectObject(hPen);
  SelectPenAndBrush(hPen, PS_SOLID, 1, kGreen, hBrush, kRed, dc);
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{"SPAB:Could not delete a pen"});
  EXPECT_EQ(dc.GetCurrentPen(), hPen);
  dc.SelectObject(hSavedPen);
  dc.SelectObject(hSavedBrush);
  EXPECT_EQ(DeleteObject(hPen), TRUE);
  EXPECT_EQ(DeleteObject(hBrush), TRUE);
}

TEST(DrawOutline, FilledPolygonOrOpenPolylineAndStateKept) {
  COutline square;
  square.AddVertex(0, 0, 0);
  square.AddVertex(6, 0, 0);
  square.AddVertex(6, 6, 0);
  square.AddVertex(0, 6, 0);
  OutlineStyle style;
  style.m_crPen = kRed;
  style.m_crFill = kGreen;
  style.m_bFill = 1;
  style.m_dPenWidth = 1.9;  // truncated to 1
  CTestSurface s(12, 12);
  const HPEN hPen = s.dc().GetCurrentPen();
  DrawOutline(s.dc(), square, style, CVec(1, 1, 1), 0, CVec(2.7, 3.2, 0));
  // Translated by (2, 3) after truncation; outline on the boundary.
  EXPECT_EQ(s.At(2, 3), kRed);
  EXPECT_EQ(s.At(8, 9), kRed);
  EXPECT_EQ(s.At(5, 6), kGreen);
  EXPECT_EQ(s.dc().GetCurrentPen(), hPen);
  EXPECT_EQ(s.dc().GetCurrentBrush(), GetStockBrush(WHITE_BRUSH));
  // Unfilled outline: an open line even though the style asks for a fill.
  square.m_bFilled = 0;
  CTestSurface t(12, 12);
  DrawOutline(t.dc(), square, style, CVec(1, 1, 1), 0, CVec(2, 3, 0));
  EXPECT_EQ(t.At(5, 6), 0u);
  EXPECT_EQ(t.At(2, 5), 0u);  // not closed: the left side is missing
  EXPECT_EQ(t.At(8, 5), kRed);
  // Far outside: no overflow, nothing drawn.
  CTestSurface u(4, 4);
  DrawOutline(u.dc(), square, style, CVec(1e12, 1e12, 1), 0, CVec(0, 0, 0));
  EXPECT_EQ(u.At(1, 1), 0u);
}

}  // namespace
