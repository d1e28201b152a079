#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "engine/filspec.h"
#include "imaging/colour.h"
#include "support/recording_reporter.h"
#include "xforms/test_pictures.h"
#include "xforms/wood.h"

namespace {
CFilSpec WoodSpec(int iKind, int iMode, int iGrain = 24) {
  CFilSpec spec = SpecFor(XFORM_WOOD, 31);
  spec.m_Wood.m_iKind = iKind;
  spec.m_Wood.m_iStrokeMode = iMode;
  spec.m_Wood.m_iGrain = iGrain;
  spec.m_Wood.m_iSawStrokes = 500;
  spec.m_Wood.m_dStrokeAngle = 0.7;
  return spec;
}

// The colours of the picture, counted.
std::multiset<COLORREF> Colours(const CDADC& s) {
  std::multiset<COLORREF> a;
  for (int y = 0; y < s.m_iHeight; ++y)
    for (int x = 0; x < s.m_iWidth; ++x) a.insert(s.m_pDC->GetPixel(x, y));
  return a;
}

// The pen selected into the out surface while the strokes are sawn.
const CDADC* g_pOut = nullptr;
std::weak_ptr<CPen> g_SawPen;
void CatchSawPen(int iPercent, const char*) {
  if (iPercent > 90 && g_SawPen.expired()) g_SawPen = g_pOut->m_pDC->GetCurrentPen();
}
void StopWhileGrowing(int iPercent, const char*) {
  if (iPercent >= 40 && iPercent < 90) g_bStop = 1;
}
}  // namespace

TEST(Wood, ReproducibleAndPinned) {
  auto in = MakeTestPicture(150, 100);
  ExpectReproducedAndPinned(WoodSpec(0, WOOD_STROKES_FIXED), *in, "wood_fixed");
  ExpectReproducedAndPinned(WoodSpec(5, WOOD_STROKES_POINTING), *in, "wood_pointing");
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(Wood, BandsInTheKindsColoursAndStrokesInTheDarkerShade) {
  auto in = MakeTestPicture(120, 90);
  for (int iKind : {3, 6}) {
    const WoodKind& kind = GetWoodKind(iKind);
    const CXformRun run = RunXform(WoodSpec(iKind, WOOD_STROKES_CIRCLING), *in, 2);
    ASSERT_EQ(run.m_iResult, 1);
    const std::multiset<COLORREF> a = Colours(*run.m_pOut);
    // Every pixel is a palette colour or the half-bright shade of the most
    // common one, and that shade is there.
    int iMost = 0;
    for (int i = 1; i < kind.m_iColours; ++i)
      if (a.count(kind.m_acr[i]) > a.count(kind.m_acr[iMost])) iMost = i;
    std::size_t nKnown = a.count(ScaleColour(kind.m_acr[iMost], 0.5));
    EXPECT_GT(nKnown, 100u) << iKind;
    for (int i = 0; i < kind.m_iColours; ++i) nKnown += a.count(kind.m_acr[i]);
    EXPECT_EQ(nKnown, a.size()) << iKind;
  }
}

TEST(Wood, SawPenIsDeletedAndThePreviousPenIsBack) {
  auto in = MakeTestPicture(80, 60);
  CDADC out(80, 60), drw(80, 60);
  CFilSpec spec = WoodSpec(1, WOOD_STROKES_FIXED);
  spec.SetDCs(&drw, &out, in.get());
  const HPEN hBefore = out.m_pDC->GetCurrentPen();
  g_pOut = &out;
  g_SawPen.reset();
  SetProgressHook(&CatchSawPen);
  EXPECT_EQ(spec.Apply(), 1);
  SetProgressHook(nullptr);
  EXPECT_EQ(out.m_pDC->GetCurrentPen(), hBefore);
  EXPECT_TRUE(g_SawPen.expired());
}

TEST(Wood, NoRecordMakesAPaletteOfOneColourOrAnEmptyGrain) {
  EXPECT_STREQ(GetWoodKind(7).m_szName, "Legno05");
  WoodParams p;
  p.m_iKind = 9;
  p.m_iGrain = 0;
  EXPECT_EQ(ValidateWood(p), 1);
  EXPECT_EQ(p.m_iKind, 0);
  EXPECT_EQ(p.m_iGrain, 1);
  // Unvalidated records (kind out of range, grain 0 or below, no strokes)
  // still saw a board.
  CDADC grey(40, 30);
  grey.m_pDC->FillSolidRect(0, 0, 40, 30, RGB(128, 128, 128));
  for (int iGrain : {0, -5}) {
    CFilSpec spec = WoodSpec(42, WOOD_STROKES_CIRCLING, iGrain);
    spec.m_Wood.m_iSawStrokes = 0;
    EXPECT_EQ(RunXform(spec, grey, 1).m_iResult, 1);
  }
}

TEST(Wood, StopWhileTheBandsGrow) {
  // A stop while the bands grow leaves the lower rows as they were (black)
  // and saws nothing.
  auto in = MakeTestPicture(100, 100);
  SetProgressHook(&StopWhileGrowing);
  const CXformRun run = RunXform(WoodSpec(0, WOOD_STROKES_FIXED), *in, 1);
  SetProgressHook(nullptr);
  EXPECT_EQ(g_bStop, 1);
  g_bStop = 0;
  EXPECT_EQ(run.m_iResult, 0);
  EXPECT_EQ(run.m_pOut->m_pDC->GetPixel(50, 99), 0u);
  EXPECT_EQ(GetStatusText(), "");
}
