#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "engine/filspec.h"
#include "imaging/row_blocks.h"
#include "xforms/test_pictures.h"

TEST(RowBlocks, EveryRowOnceInConsecutiveBlocks) {
  for (const auto& [iRows, iBlocks] : {std::pair{1, 4}, {7, 3}, {1000, 8}, {5, 1}, {64, 20}}) {
    std::mutex m;
    std::vector<int> aSeen(static_cast<std::size_t>(iRows), 0);
    std::vector<std::pair<int, int>> aRuns(kMaxRowBlocks, {-1, -1});
    ForEachRowBlock(iRows, iBlocks, [&](int iBlock, int iFirst, int iEnd) {
      std::lock_guard<std::mutex> lock(m);
      aRuns[static_cast<std::size_t>(iBlock)] = {iFirst, iEnd};
      for (int i = iFirst; i < iEnd; ++i) ++aSeen[static_cast<std::size_t>(i)];
    });
    for (int n : aSeen) ASSERT_EQ(n, 1) << iRows << " rows in " << iBlocks;
    // Block b starts where block b - 1 ended.
    const int iUsed = std::min(iBlocks, kMaxRowBlocks);
    EXPECT_EQ(aRuns[0].first, 0);
    for (int b = 1; b < iUsed; ++b) EXPECT_EQ(aRuns[b].first, aRuns[b - 1].second);
    EXPECT_EQ(aRuns[static_cast<std::size_t>(iUsed - 1)].second, iRows);
  }
  EXPECT_EQ(RowBlockCount(10, 64), 1);
  EXPECT_GE(RowBlockCount(100000, 64), 1);
}

// The Xforms that share their rows between cores draw the same picture
// whatever the number of blocks (at quality 4 Mist and Clouds keep their
// texture in the surface itself).
TEST(RowBlocks, PicturesDoNotDependOnTheBlocks) {
  auto in = MakeTestPicture(90, 333);
  for (int iXform : {XFORM_CLOUDS, XFORM_MIST, XFORM_MARILYN_WARHOL}) {
    for (int q : {1, 2, 4}) {
      const CFilSpec spec = SpecFor(iXform, 4711);
      LimitRowBlocks(1);
      const CXformRun one = RunXform(spec, *in, q);
      LimitRowBlocks(kMaxRowBlocks);
      const CXformRun many = RunXform(spec, *in, q);
      LimitRowBlocks(0);
      ASSERT_EQ(one.m_iResult, 1);
      ASSERT_EQ(many.m_iResult, 1);
      EXPECT_TRUE(SameSurfaces(*one.m_pOut, *many.m_pOut)) << GetXformName(iXform) << " q" << q;
    }
  }
}
