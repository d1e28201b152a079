#include <gtest/gtest.h>

#include <array>

#include "engine/filspec.h"
#include "imaging/random.h"
#include "support/recording_reporter.h"
#include "xforms/op_art.h"
#include "xforms/test_pictures.h"

namespace {
constexpr COLORREF kInk = RGB(255, 255, 255), kPaper = RGB(20, 0, 60);

CFilSpec OpArtSpec(int iGeometry, int bOutline = 0) {
  CFilSpec spec = SpecFor(XFORM_OP_ART, 5);
  spec.m_OpArt.m_iGeometry = iGeometry;
  spec.m_OpArt.m_bOutlineOnly = bOutline;
  spec.m_OpArt.m_iSquares = 40;
  spec.m_OpArt.m_crForeground = kInk;
  spec.m_OpArt.m_Background.m_crColour = kPaper;
  return spec;
}

}  // namespace

TEST(OpArt, ReproducibleAndPinned) {
  auto in = MakeTestPicture(200, 120);
  ExpectReproducedAndPinned(OpArtSpec(OPART_STRETCH), *in, "op_art_stretch");
  ExpectReproducedAndPinned(OpArtSpec(OPART_ROTATION, 1), *in, "op_art_rotation_outline");
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(OpArt, ValidationKeepsEveryCellAPixelWide) {
  // {count, width, validated count}: the stored 24 is used as 32; a picture
  // without width keeps one square, never a division by zero.
  for (const auto& c : {std::array{24, 640, 32}, {500, 640, 128}, {100, 20, 20}, {64, 0, 1}}) {
    OpArtParams p;
    p.m_iSquares = c[0];
    EXPECT_EQ(ValidateOpArt(p, c[1], 480), 1);
    EXPECT_EQ(p.m_iSquares, c[2]) << c[0] << " " << c[1];
  }
}

TEST(OpArt, TooLowForOneRowIsAFailedIdea) {
  // 400 x 5: cells of 400 / 32 = 12 pixels, 5 / 12 = 0 rows.
  auto in = MakeTestPicture(400, 5);
  CFilSpec spec = OpArtSpec(OPART_SIZE);
  ASSERT_EQ(spec.Effect(400, 5), 1);
  EXPECT_EQ(RunXform(spec, *in, 1).m_iResult, 0);
  EXPECT_EQ(g_bStop, 0);
  // An unvalidated count of 0 fails the same way.
  spec.m_OpArt.m_iSquares = 0;
  EXPECT_EQ(RunXform(spec, *in, 1).m_iResult, 0);
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(OpArt, FiguresFollowTheBrightness) {
  // Size: black gives 2 x 2 squares, white e = b 255 / 600.
  for (int iGrey : {0, 255}) {
    CDADC in(200, 100);
    in.m_pDC->FillSolidRect(0, 0, 200, 100, RGB(iGrey, iGrey, iGrey));
    const CXformRun run = RunXform(OpArtSpec(OPART_SIZE), in, 1);
    ASSERT_EQ(run.m_iResult, 1);
    // 40 squares across: b = 5, 20 rows; e = 1 or 2.
    const int e = iGrey ? 5 * 255 / 600 : 1;
    EXPECT_EQ(CountColour(*run.m_pOut, kInk), 40 * 20 * (2 * e) * (2 * e)) << iGrey;
  }
  // Stretch: a vertical bar at v = 0, a horizontal one at v = 255.
  for (int v : {0, 255}) {
    CDADC s(40, 40);
    s.m_pDC->SelectObject(CreateSolidBrush(kInk));
    s.m_pDC->SelectObject(CreatePen(PS_SOLID, 1, kInk));
    DrawOpArtFigure(*s.m_pDC, OPART_STRETCH, 20, 20, 20, v);
    EXPECT_EQ(s.m_pDC->GetPixel(v ? 12 : 20, v ? 20 : 12), kInk) << v;
    EXPECT_EQ(s.m_pDC->GetPixel(v ? 20 : 22, v ? 22 : 20), 0u) << v;
  }
}

TEST(OpArt, OutlineOnlyFillsWithTheBackground) {
  CDADC in(200, 100);
  in.m_pDC->FillSolidRect(0, 0, 200, 100, RGB(128, 128, 128));
  // 10 cells of 20 pixels (the record is used unvalidated); the first
  // square, of half side 6, is centred at (10, 10).
  CFilSpec spec = OpArtSpec(OPART_ROTATION);
  spec.m_OpArt.m_iSquares = 10;
  const CXformRun filled = RunXform(spec, in, 1);
  spec.m_OpArt.m_bOutlineOnly = 1;
  const CXformRun outline = RunXform(spec, in, 1);
  ASSERT_EQ(outline.m_iResult, 1);
  EXPECT_EQ(filled.m_pOut->m_pDC->GetPixel(10, 10), kInk);
  EXPECT_EQ(outline.m_pOut->m_pDC->GetPixel(10, 10), kPaper);
  EXPECT_GT(CountColour(*outline.m_pOut, kInk), 0);
}

// The wizard draws its squares after validation: on a picture narrower than
// them it takes as many as the picture can hold, so the idea is made; a
// record that asks for more says why it is not.
TEST(OpArt, NarrowPicturesGetAnIdeaOrAReason) {
  for (const int w : {1, 3, 11}) {
    auto in = MakeTestPicture(w, 200);
    CFilSpec spec;
    spec.m_iXform = XFORM_OP_ART;
    for (int iSeed = 1; iSeed <= 5; ++iSeed) {
      SeedRandom(static_cast<unsigned>(iSeed));
      ASSERT_EQ(spec.Effect(w, 200), 1);
      spec.Autochoose(in.get());
      EXPECT_LE(spec.m_OpArt.m_iSquares, w);
      EXPECT_EQ(RunXform(spec, *in, 1).m_iResult, 1) << w << " seed " << iSeed;
    }
  }
  auto in = MakeTestPicture(10, 200);
  CFilSpec spec = OpArtSpec(OPART_SIZE);
  spec.m_OpArt.m_iSquares = 64;  // not validated
  CFilSpec run = spec;
  CDADC out(10, 200), drw(10, 200);
  run.SetDCs(&drw, &out, in.get());
  EXPECT_EQ(run.Apply(), 0);
  EXPECT_EQ(run.ApplyRefusal(), "Op Art: the picture is narrower than its squares");
  run.m_OpArt.m_iSquares = 5;
  EXPECT_EQ(run.Apply(), 1);
  EXPECT_EQ(run.ApplyRefusal(), "");
  EXPECT_TRUE(TakeMessages().empty());
}
