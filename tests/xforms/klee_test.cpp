#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>

#include "engine/filspec.h"
#include "imaging/random.h"
#include "xforms/klee.h"
#include "xforms/test_pictures.h"

namespace {
CFilSpec KleeSpec(int iSeed, int iStrokes = 20) {
  CFilSpec spec = SpecFor(XFORM_KLEE, iSeed);
  spec.m_Klee.m_iStrokes = iStrokes;
  spec.m_Klee.m_dFreedom = 0.2;
  return spec;
}
}  // namespace

TEST(Klee, ReproducibleAndGreyGroundForAWideStrip) {
  auto in = MakeTestPicture(120, 80);
  ExpectReproducedAndPinned(KleeSpec(12), *in, "klee");

  // 10 strokes over a strip more than 10 times wider than high: no row of
  // patches, only the grey ground, and no random draws for a layer table.
  auto strip = MakeTestPicture(1000, 90);
  const CXformRun run = RunXform(KleeSpec(5, 10), *strip, 1);
  const int iNext = RawRandom();
  SeedRandom(5);
  EXPECT_EQ(RawRandom(), iNext);
  EXPECT_EQ(run.m_iResult, 1);
  for (int y = 0; y < 90; y += 7)
    for (int x = 0; x < 1000; x += 13)
      ASSERT_EQ(run.m_pOut->m_pDC->GetPixel(x, y), RGB(127, 127, 127)) << x << "," << y;
}

TEST(Klee, PatchCoversItsSquareAndStaysWithinItsJitter) {
  constexpr COLORREF c = RGB(200, 40, 90);
  for (int iSeed = 1; iSeed <= 6; ++iSeed) {
    CDADC out(100, 100);
    out.m_pDC->SelectObject(GetStockPen(NULL_PEN));
    SeedRandom(iSeed);
    DrawKleePatch(*out.m_pDC, 50, 50, 20, c);  // hz 10, corners jitter 0..4 outwards
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 100; ++x) {
        const bool bPainted = out.m_pDC->GetPixel(x, y) != 0;
        const int d = std::max(std::abs(x - 50), std::abs(y - 50));
        if (d < 9 || d > 14) {
          ASSERT_EQ(bPainted, d < 9) << x << "," << y;
        }
      }
  }
  // Below size 5 the corners do not move and there is never an inner patch,
  // but the nine draws are made all the same.
  CDADC out(10, 10);
  SeedRandom(3);
  DrawKleePatch(*out.m_pDC, 5, 5, 4, c);
  const int iNext = RawRandom();
  SeedRandom(3);
  for (int i = 0; i < 9; ++i) RawRandom();
  EXPECT_EQ(RawRandom(), iNext);
}

TEST(Klee, Autochoose) {
  KleeParams p;
  p.m_bWizard = 0;
  SeedRandom(17);
  AutochooseKlee(p);
  const int iNext = RawRandom();
  SeedRandom(17);
  EXPECT_EQ(std::tuple(p.m_iStrokes, p.m_dFreedom, p.m_bWizard),
            (std::tuple{RandomInt(30, 50), RandomReal(0, 0.5), 0}));  // drawn left to right
  EXPECT_EQ(RawRandom(), iNext);
}
