#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/filspec.h"
#include "support/recording_reporter.h"
#include "xforms/marilyn_warhol.h"
#include "xforms/test_pictures.h"

namespace {
CFilSpec MarilynSpec(int nx, int ny, int iSplodge = 2) {
  CFilSpec spec = SpecFor(XFORM_MARILYN_WARHOL, 21);
  spec.m_MarilynWarhol.m_iAcross = nx;
  spec.m_MarilynWarhol.m_iDown = ny;
  spec.m_MarilynWarhol.m_iInks = 4;
  spec.m_MarilynWarhol.m_iSplodge = iSplodge;
  return spec;
}

// Runs Apply directly with an allocator that fails from its iFail-th call on.
int g_iAllocations = 0, g_iFailFrom = 0;
void* FailingAllocator(std::size_t iBytes) {
  return ++g_iAllocations >= g_iFailFrom ? nullptr : std::malloc(iBytes);
}
}  // namespace

TEST(MarilynWarhol, ReproducibleAndPinned) {
  auto in = MakeTestPicture(90, 60);
  ExpectReproducedAndPinned(MarilynSpec(3, 2), *in, "marilyn_warhol");
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(MarilynWarhol, CopiesFollowTheScale) {
  // One copy at quality 2 prints every map pixel as a 2 x 2 block of what
  // quality 1 prints (the palettes are drawn after the map, so they agree).
  // The grid's arithmetic is pinned by the digests.
  auto in = MakeTestPicture(40, 30);
  const CXformRun q1 = RunXform(MarilynSpec(1, 1), *in, 1);
  const CXformRun q2 = RunXform(MarilynSpec(1, 1), *in, 2);
  ASSERT_EQ(q1.m_iResult, 1);
  ASSERT_EQ(q2.m_iResult, 1);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      for (int d = 0; d < 4; ++d)
        ASSERT_EQ(q2.m_pOut->m_pDC->GetPixel(2 * x + d % 2, 2 * y + d / 2),
                  q1.m_pOut->m_pDC->GetPixel(x, y));
}

TEST(MarilynWarhol, FailedIdeasReturnZero) {
  auto in = MakeTestPicture(40, 30);
  // A picture whose force is the same everywhere has no levels.
  CDADC flat(40, 30);
  flat.m_pDC->FillSolidRect(0, 0, 40, 30, RGB(90, 90, 90));
  const CXformRun run = RunXform(MarilynSpec(2, 2), flat, 1);
  EXPECT_EQ(run.m_iResult, 0);
  EXPECT_TRUE(SameSurfaces(*run.m_pOut, CDADC(40, 30)));
  // ... and says so.
  CFilSpec spec = MarilynSpec(2, 2);
  CDADC out(40, 30), drw(40, 30);
  spec.SetDCs(&drw, &out, &flat);
  EXPECT_EQ(spec.Apply(), 0);
  EXPECT_EQ(spec.ApplyRefusal(),
            "Marilyn Warhol: the picture has one colour under the selection: no bands to print");

  // No memory for the levels (call 1), the blur (2) or the palettes (3):
  // nothing printed, and the idea fails.
  for (int iFail : {1, 2, 3}) {
    CDADC out(40, 30), drw(40, 30);
    XformContext ctx;
    ctx.m_pIn = in.get();
    ctx.m_pOut = &out;
    ctx.m_pDrw = &drw;
    g_iAllocations = 0;
    g_iFailFrom = iFail;
    EXPECT_EQ(ApplyMarilynWith(MarilynSpec(2, 2).m_MarilynWarhol, ctx, &FailingAllocator), 0)
        << iFail;
    EXPECT_EQ(g_iAllocations, iFail);
    EXPECT_TRUE(SameSurfaces(out, CDADC(40, 30))) << iFail;
  }
}

TEST(MarilynWarhol, LevelsSplodgeAndValidation) {
  // The closed form of the bands against the search the bands are defined by.
  for (int n = 1; n <= 7; ++n)
    for (int c : {0, 17, 100})
      for (int d : {c + 1, c + 9, 255})
        for (int g = c; g <= d; ++g) {
          int k = 0;
          while (k < n && c + (d - c) * (k + 1) / n < g) ++k;
          ASSERT_EQ(MarilynLevel(g, c, d, n), k < n ? k : n / 2) << n << " " << c << " " << d;
        }
  EXPECT_EQ(MarilynLevel(10, 0, 255, 0), 0);

  // A splodge below 0 is no blur; one far beyond the picture blurs the whole.
  auto in = MakeTestPicture(40, 30);
  EXPECT_TRUE(SameSurfaces(*RunXform(MarilynSpec(2, 1, -3), *in, 1).m_pOut,
                           *RunXform(MarilynSpec(2, 1, 0), *in, 1).m_pOut));
  EXPECT_TRUE(SameSurfaces(*RunXform(MarilynSpec(2, 1, 1000000), *in, 1).m_pOut,
                           *RunXform(MarilynSpec(2, 1, 40), *in, 1).m_pOut));

  MarilynParams p{0, 9, 7, 3, 1};
  EXPECT_EQ(ValidateMarilyn(p), 1);
  EXPECT_TRUE(p.m_iAcross == 1 && p.m_iDown == 8 && p.m_iInks == 5);
}
