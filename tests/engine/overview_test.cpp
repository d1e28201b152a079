#include "engine/overview.h"

#include <gtest/gtest.h>

#include "imaging/dadc.h"
#include "support/recording_reporter.h"

namespace {

std::unique_ptr<CDADC> Picture(int iWidth, int iHeight, COLORREF cr) {
  auto pPicture = std::make_unique<CDADC>(iWidth, iHeight);
  pPicture->m_pDC->FillSolidRect(0, 0, iWidth, iHeight, cr);
  return pPicture;
}

void AddPictures(COverview& overview, int n) {
  for (int i = 0; i < n; ++i) overview.AddToThumbnails(*Picture(40, 30, RGB(i, 0, 0)), "Idea");
}

std::vector<int> ShownPictures(const COverview& overview, const RECT& rcFrame) {
  std::vector<int> aShown;
  for (const COverviewCell& cell : overview.Layout(rcFrame)) aShown.push_back(cell.m_iPicture);
  return aShown;
}

const RECT kFrame{10, 20, 530, 220};

TEST(Overview, ThumbnailsHaveTheirLargerSideAt200AndShortNames) {
  COverview overview;
  EXPECT_EQ(overview.m_iCurrent, -1);
  EXPECT_EQ(overview.AddToThumbnails(*Picture(400, 300, RGB(1, 2, 3)), "Landscape"), 0);
  EXPECT_EQ(overview.AddToThumbnails(*Picture(300, 400, RGB(1, 2, 3)), "Mosaic"), 1);
  EXPECT_EQ(overview.AddToThumbnails(*Picture(7, 3, RGB(1, 2, 3)), "Fallen Leaves"), 2);
  EXPECT_EQ(overview.AddToThumbnails(*Picture(3, 3, RGB(1, 2, 3)), "\xC3\xA9t\xC3\xA9 \xC3\xA0 la mer"), 3);
  EXPECT_EQ(overview.AddToThumbnails(*Picture(3, 3, RGB(1, 2, 3)), nullptr), 4);
  EXPECT_EQ(overview.Thumbnail(0)->m_iWidth, 200);
  EXPECT_EQ(overview.Thumbnail(0)->m_iHeight, 150);
  EXPECT_EQ(overview.Thumbnail(1)->m_iWidth, 150);
  EXPECT_EQ(overview.Thumbnail(1)->m_iHeight, 200);
  EXPECT_EQ(overview.Thumbnail(2)->m_iHeight, 85);
  EXPECT_EQ(overview.Name(0), "Landscap");
  EXPECT_EQ(overview.Name(2), "Fallen L");
  EXPECT_EQ(overview.Name(3), "\xC3\xA9t\xC3\xA9 \xC3\xA0 la");  // characters, not bytes
  EXPECT_EQ(overview.Name(4), "");
  EXPECT_EQ(overview.m_iCurrent, 4);
  EXPECT_EQ(overview.m_iWidth, 3);
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(Overview, TheTableGrowsAndAFailedThumbnailKeepsNumbersInStep) {
  COverview overview;
  AddPictures(overview, 20);
  EXPECT_EQ(overview.Count(), 20);
  EXPECT_EQ(overview.m_iCurrent, 19);
  EXPECT_NE(overview.Thumbnail(19), nullptr);

  CDADC unusable;  // no pixels: no thumbnail can be made
  EXPECT_EQ(overview.AddToThumbnails(unusable, "Broken"), 0);
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{"COvDlg::AddToThumbnails,\nNULL image"});
  EXPECT_EQ(overview.AddToThumbnails(*Picture(40, 30, RGB(0, 0, 0)), "Next"), 21);
  EXPECT_EQ(overview.Thumbnail(20), nullptr);
  EXPECT_EQ(overview.Name(20), "Broken");
  // The picture without a thumbnail still has its cell, labels and colour.
  overview.m_iCurrent = 20;
  const std::vector<COverviewCell> aCells = overview.Layout(kFrame);
  EXPECT_EQ(aCells[2].m_iPicture, 20);
  EXPECT_EQ(aCells[2].m_csBelow, "20");
  CDADC screen(540, 240);
  overview.Paint(*screen.m_pDC, kFrame);
  EXPECT_EQ(screen.m_pDC->GetPixel(270, 120), COverview::kCurrentFill);
}

TEST(Overview, NavigationStaysWithinTheSequence) {
  COverview overview;
  AddPictures(overview, 5);
  overview.GoForward();
  EXPECT_EQ(overview.m_iCurrent, 4);
  EXPECT_EQ(ShownPictures(overview, kFrame), (std::vector<int>{2, 3, 4, -1, -1}));
  overview.GoBack();
  EXPECT_EQ(overview.m_iCurrent, 3);
  overview.GoFirst();
  EXPECT_EQ(ShownPictures(overview, kFrame), (std::vector<int>{-1, -1, 0, 1, 2}));
  overview.GoBack();
  EXPECT_EQ(overview.m_iCurrent, 0);
  overview.GoLast();
  EXPECT_EQ(overview.m_iCurrent, 4);
}

TEST(Overview, LayoutOfTheStrip) {
  COverview overview;
  EXPECT_TRUE(overview.Layout(kFrame).empty());  // nothing to show yet
  overview.AddToThumbnails(*Picture(400, 300, RGB(0, 0, 0)), "Photo");

  // One picture: two black cells, the original in light green, two black.
  const std::vector<COverviewCell> aCells = overview.Layout(kFrame);
  ASSERT_EQ(aCells.size(), 5u);
  const COLORREF aFills[] = {COverview::kEmptyFill, COverview::kEmptyFill,
                             COverview::kCurrentFill, COverview::kEmptyFill,
                             COverview::kEmptyFill};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(aCells[i].m_crFill, aFills[i]) << i;
    EXPECT_EQ(aCells[i].m_csBelow, i == 2 ? "0" : "") << i;
    EXPECT_EQ(aCells[i].m_csAbove, i == 2 ? "Photo" : "") << i;
  }
  // Frame moved 2 inwards: 516 wide gives cells of 103, 196 high; a landscape
  // box is 87 wide, 300 * 180 / 400 = 135 high, centred vertically.
  const RECT& rcCell = aCells[2].m_rcCell;
  EXPECT_EQ((std::vector<LONG>{rcCell.left, rcCell.top, rcCell.right, rcCell.bottom}),
            (std::vector<LONG>{218, 22, 321, 218}));
  const RECT& rcBox = aCells[2].m_rcThumb;
  EXPECT_EQ((std::vector<LONG>{rcBox.left, rcBox.top, rcBox.right, rcBox.bottom}),
            (std::vector<LONG>{226, 52, 313, 187}));

  overview.AddToThumbnails(*Picture(300, 400, RGB(0, 0, 0)), "Portrait");
  overview.GoFirst();
  const RECT rcPortrait = overview.Layout(kFrame)[3].m_rcThumb;
  // 300 * 87 / 400 = 65 wide, 180 high, centred horizontally, 8 from the top.
  EXPECT_EQ((std::vector<LONG>{rcPortrait.left, rcPortrait.top, rcPortrait.right,
                               rcPortrait.bottom}),
            (std::vector<LONG>{321 + 19, 30, 321 + 19 + 65, 210}));
  overview.m_iCurrent = 2;  // out of range: nothing is painted
  EXPECT_TRUE(overview.Layout(kFrame).empty());
}

TEST(Overview, PaintingFillsCellsAndStretchesThumbnails) {
  COverview overview;
  overview.AddToThumbnails(*Picture(400, 300, RGB(250, 0, 0)), "Photo");
  overview.AddToThumbnails(*Picture(400, 300, RGB(0, 0, 250)), "Idea");
  CDADC screen(540, 240);
  screen.m_pDC->FillSolidRect(0, 0, 540, 240, RGB(9, 9, 9));
  overview.Paint(*screen.m_pDC, kFrame);
  const CDC& dc = *screen.m_pDC;
  EXPECT_EQ(dc.GetStretchBltMode(), COLORONCOLOR);
  // Cells start at x = 12, 115, 218, 321, 424; the idea is selected.
  EXPECT_EQ(dc.GetPixel(20, 30), COverview::kEmptyFill);
  EXPECT_EQ(dc.GetPixel(117, 30), COverview::kOtherFill);    // the original's cell
  EXPECT_EQ(dc.GetPixel(160, 120), RGB(250, 0, 0));           // its thumbnail
  EXPECT_EQ(dc.GetPixel(220, 30), COverview::kCurrentFill);   // the idea's cell
  EXPECT_EQ(dc.GetPixel(270, 120), RGB(0, 0, 250));
  EXPECT_EQ(dc.GetPixel(330, 30), COverview::kEmptyFill);
  EXPECT_EQ(dc.GetPixel(5, 5), RGB(9, 9, 9));                  // outside the frame
  // A frame too small for the margins paints the cells without thumbnails.
  overview.Paint(*screen.m_pDC, RECT{0, 0, 60, 20});
  EXPECT_EQ(dc.GetPixel(30, 10), COverview::kCurrentFill);
}

TEST(Overview, DoubleClickSelectsThePictureOfTheCell) {
  COverview overview;
  AddPictures(overview, 3);
  const RECT rcFrame{10, 20, 510, 220};  // cells of 100
  EXPECT_FALSE(overview.DoubleClick(rcFrame, 10 + 350, 100));  // black cell past the last
  EXPECT_EQ(overview.m_iCurrent, 2);
  EXPECT_FALSE(overview.DoubleClick(rcFrame, 10, 100));         // on the frame's edge
  EXPECT_FALSE(overview.DoubleClick(rcFrame, 200, 220));
  EXPECT_TRUE(overview.DoubleClick(rcFrame, 10 + 150, 100));    // left of the middle
  EXPECT_EQ(overview.m_iCurrent, 1);
  EXPECT_FALSE(overview.DoubleClick(rcFrame, 10 + 1, 21));      // far left: before the original
  EXPECT_TRUE(overview.DoubleClick(rcFrame, 10 + 350, 219 - 1));  // right of the middle
  EXPECT_EQ(overview.m_iCurrent, 2);
  EXPECT_TRUE(overview.DoubleClick(rcFrame, 10 + 1, 21));
  EXPECT_EQ(overview.m_iCurrent, 0);
}

}  // namespace
