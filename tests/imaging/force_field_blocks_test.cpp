#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "imaging/dadc.h"
#include "imaging/force_field.h"

// Made in blocks of rows, the map is the one a single block makes: the
// smoothing windows reach across the blocks' edges, and the stretch uses the
// extremes of every block.
TEST(ForceFieldBlocks, AnyBlockCountGivesTheSameMap) {
  std::mt19937 rng(11);
  const int aSizes[][2] = {{1, 1}, {3, 2}, {1, 40}, {37, 29}, {64, 9}};
  for (const auto& size : aSizes) {
    const int w = size[0], h = size[1];
    CDADC dc(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        dc.m_pDC->SetPixelV(x, y, RGB(rng() & 255, (rng() & 127) + 64, rng() & 255));
    // A dark band in the last rows only: one block's extremes set the stretch.
    for (int x = 0; x < w; ++x) dc.m_pDC->SetPixelV(x, h - 1, RGB(0, 0, 0));
    for (int n = 0; n <= 8; n += (n < 3 ? 1 : 5)) {
      AreaSelection sel;
      if (n > 0) sel.SetHsv(rng() % 360, 0.5, 0.8);
      sel.SetSmooth(n);
      const ForceFieldMap one = MakeForceField(&dc, sel, nullptr, 1);
      ASSERT_TRUE(one);
      for (int iBlocks : {2, 3, 8}) {
        const ForceFieldMap many = MakeForceField(&dc, sel, nullptr, iBlocks);
        ASSERT_TRUE(many);
        EXPECT_EQ(std::memcmp(one.get(), many.get(), static_cast<std::size_t>(w) * h), 0)
            << w << "x" << h << " smoothing " << n << " in " << iBlocks << " blocks";
      }
    }
  }
}
