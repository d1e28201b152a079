#include <gtest/gtest.h>

#include "engine/filspec.h"
#include "imaging/colour.h"
#include "imaging/force_field.h"
#include "imaging/random.h"
#include "support/recording_reporter.h"
#include "xforms/banya.h"
#include "xforms/test_pictures.h"

namespace {
CFilSpec BanyaSpec(int iShapeMode, int iSquares = 12) {
  CFilSpec spec = SpecFor(XFORM_BANYA, 5);
  spec.m_Banya.m_iShapeMode = iShapeMode;
  spec.m_Banya.m_iSquares = iSquares;
  return spec;
}
}  // namespace

TEST(Banya, ReproducibleAndPinned) {
  auto in = MakeTestPicture(120, 80);
  ExpectReproducedAndPinned(BanyaSpec(1), *in, "banya_diamonds");
  ExpectReproducedAndPinned(BanyaSpec(BANYA_ELLIPSES), *in, "banya_ellipses");
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(Banya, UniformWidePictureIsACheckerboardOfThreeRows) {
  // 10 squares on a picture 10 times wider than high: 1 row by proportion,
  // held to 3. Crayon diamonds sit on every grid corner, alternating.
  CDADC in(300, 30);
  in.m_pDC->FillSolidRect(0, 0, 300, 30, RGB(120, 60, 200));
  const CFilSpec spec = BanyaSpec(1, 10);
  const CXformRun run = RunXform(spec, in, 1);
  ASSERT_EQ(run.m_iResult, 1);
  ForceFieldMap field = MakeForceField(&in, spec.m_Select, nullptr);
  ASSERT_TRUE(field);
  const double t = field[0] / 255.0;
  const BanyaParams& p = spec.m_Banya;
  const COLORREF crEven = BlendColour(t, p.m_crEven, p.m_crOdd);
  const COLORREF crOdd = BlendColour(t, p.m_crOdd, p.m_crEven);
  ASSERT_NE(crEven, crOdd);
  const int cw = 30, ch = 10;
  for (int i = 1; i < 10; ++i)
    for (int j = 0; j <= 3; ++j) {
      const int x = i * cw, y = j == 3 ? 29 : j * ch;
      // Inside the crayon diamond, outside its inner shape.
      EXPECT_EQ(run.m_pOut->m_pDC->GetPixel(x - 3 * cw / 8, y), (i + j) % 2 ? crOdd : crEven)
          << i << " " << j;
      EXPECT_EQ(run.m_pOut->m_pDC->GetPixel(x, y),
                BlendColour(t, p.m_crShape, p.m_crBackground));
    }
}

TEST(Banya, RecordsTheGridCannotUse) {
  // No squares across would divide by zero. The rows are counted before the
  // context is checked: an empty context must not be read.
  auto in = MakeTestPicture(40, 30);
  for (int iSquares : {0, -4}) EXPECT_EQ(RunXform(BanyaSpec(1, iSquares), *in, 1).m_iResult, 0);
  XformContext ctx;
  EXPECT_EQ(ApplyBanya(BanyaParams{}, ctx), 0);
}

TEST(Banya, AutochooseDrawOrder) {
  // 60 pixels wide: no number of squares leaves cells 10 pixels wide, so all
  // 100 tries are drawn and the last stays.
  for (int iWidth : {200, 60}) {
    BanyaParams p{};
    p.m_bWizard = 0;
    SeedRandom(3);
    AutochooseBanya(p, iWidth, 50);
    const int iNext = RawRandom();
    SeedRandom(3);
    EXPECT_EQ(p.m_iShapeMode, RandomInt(1, 3));
    EXPECT_EQ(p.m_dEllipseSize, RandomReal(0.4, 0.8));
    EXPECT_EQ(p.m_crBackground, RandomColour());
    EXPECT_EQ(p.m_crShape, RandomColour());
    EXPECT_EQ(p.m_crOdd, RandomColour());
    EXPECT_EQ(p.m_crEven, RandomColour());
    int n = 0, iTries = 0;
    do {
      n = RandomInt(10, 100);
      ++iTries;
    } while (iWidth / n < 10 && iTries < 100);
    EXPECT_EQ(p.m_iSquares, n) << iWidth;
    EXPECT_EQ(RawRandom(), iNext) << iWidth;
    EXPECT_EQ(p.m_bWizard, 1);
    if (iWidth == 60) {
      EXPECT_EQ(iTries, 100);
    }
  }
}
