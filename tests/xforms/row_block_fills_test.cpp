#include <gtest/gtest.h>

#include <memory>

#include "engine/filspec.h"
#include "imaging/force_field.h"
#include "imaging/row_blocks.h"
#include "platform/gdi/objects.h"
#include "xforms/test_pictures.h"

namespace {

struct CFillRun {
  std::unique_ptr<CDADC> m_pOut, m_pDrw;
  int m_iResult = 0;
  COLORREF m_crBk = 0;
};

// One run in iBlocks blocks of rows. bClip clips the output to the whole of
// itself: nothing is cut off, but every block is drawn by a fill.
CFillRun RunFills(CFilSpec spec, CDADC& in, int q, bool bClip, int iBlocks) {
  CFillRun run;
  run.m_pOut = std::make_unique<CDADC>(in.m_iWidth * q, in.m_iHeight * q);
  run.m_pDrw = std::make_unique<CDADC>(in.m_iWidth, in.m_iHeight);
  if (bClip) {
    HRGN hRgn = CreateRectRgn(0, 0, in.m_iWidth * q, in.m_iHeight * q);
    run.m_pOut->m_pDC->SelectClipRgn(hRgn);
    DeleteObject(hRgn);
  }
  spec.SetDCs(run.m_pDrw.get(), run.m_pOut.get(), &in);
  LimitRowBlocks(iBlocks);
  run.m_iResult = spec.Apply();
  LimitRowBlocks(0);
  run.m_crBk = run.m_pOut->m_pDC->GetBkColor();
  return run;
}

}  // namespace

// Rows written straight into the surface, in any number of blocks, give the
// bytes and the background colour that the fills give.
TEST(RowBlockFills, DirectRowsMatchTheFills) {
  auto in = MakeTestPicture(70, 300);
  for (int iXform : {XFORM_LIQUID_ENERGY, XFORM_PEARLS, XFORM_STARDUST, XFORM_WEB_FADE, XFORM_WOOD}) {
    CFilSpec spec = SpecFor(iXform, 321);
    spec.m_StarDust.m_iEnergy = 60;
    for (int q : {1, 2, 4}) {
      const CFillRun drawn = RunFills(spec, *in, q, true, 1);
      ASSERT_EQ(drawn.m_iResult, 1);
      for (int iBlocks : {1, kMaxRowBlocks}) {
        const CFillRun direct = RunFills(spec, *in, q, false, iBlocks);
        ASSERT_EQ(direct.m_iResult, 1);
        EXPECT_TRUE(SameSurfaces(*drawn.m_pOut, *direct.m_pOut))
            << GetXformName(iXform) << " q" << q << " in " << iBlocks << " blocks";
        EXPECT_EQ(drawn.m_crBk, direct.m_crBk) << GetXformName(iXform) << " q" << q;
      }
    }
  }
}

// StarDust fills its background energy row by row but leaves the background
// colour that filling column by column did: that of the rightmost column's
// lowest pixel with energy.
TEST(RowBlockFills, StarDustKeepsTheColumnOrdersLastColour) {
  auto in = MakeTestPicture(70, 300);
  // Black in the bottom right: the last pixel with energy in column order is
  // not the last in row order.
  in->m_pDC->FillSolidRect(60, 150, 70, 300, RGB(0, 0, 0));
  const int E = 50;
  const ForceFieldMap field = MakeForceField(in.get(), AreaSelection{}, nullptr);
  ASSERT_TRUE(field);
  COLORREF crColumns = 0, crRows = 0;
  for (int x = 0; x < 70; ++x)
    for (int y = 0; y < 300; ++y)
      if (const int e = E * ForceAt(field, x, y, 70) / 100; e > 0) crColumns = RGB(0, 0, e);
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 70; ++x)
      if (const int e = E * ForceAt(field, x, y, 70) / 100; e > 0) crRows = RGB(0, 0, e);
  ASSERT_NE(crColumns, crRows);

  CFilSpec spec = SpecFor(XFORM_STARDUST, 8);
  spec.m_StarDust.m_iEnergy = E;
  spec.m_StarDust.m_iSpiked = 100;  // no dust: its fills would set the colour again
  for (int q : {1, 4})
    for (bool bClip : {false, true}) {
      const CFillRun run = RunFills(spec, *in, q, bClip, kMaxRowBlocks);
      ASSERT_EQ(run.m_iResult, 1);
      EXPECT_EQ(run.m_crBk, crColumns) << "q" << q << (bClip ? " clipped" : "");
    }
}
