#include <gtest/gtest.h>

#include <set>

#include "engine/filspec.h"
#include "imaging/force_field.h"
#include "imaging/random.h"
#include "xforms/old_film.h"
#include "xforms/test_pictures.h"

namespace {
CFilSpec OldFilmSpec(int bSprockets, int bErrors, int iDirt, int iScratches) {
  CFilSpec spec = SpecFor(XFORM_OLD_FILM, 11);
  spec.m_OldFilm.m_bSprockets = bSprockets;
  spec.m_OldFilm.m_bErrors = bErrors;
  spec.m_OldFilm.m_iDirtiness = iDirt;
  spec.m_OldFilm.m_iScratches = iScratches;
  return spec;
}
}  // namespace

TEST(OldFilm, ReproducibleAndPinned) {
  auto in = MakeTestPicture(320, 200);
  ExpectReproducedAndPinned(OldFilmSpec(1, 1, 150, 40), *in, "old_film");
}

TEST(OldFilm, CleanFilmIsTheDevelopedForceField) {
  auto in = MakeTestPicture(60, 40);
  const CXformRun run = RunXform(OldFilmSpec(0, 0, 0, 0), *in, 2);
  ASSERT_EQ(run.m_iResult, 1);
  ForceFieldMap pField = MakeForceField(in.get(), AreaSelection{}, nullptr);
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 120; ++x)
      ASSERT_EQ(run.m_pOut->m_pDC->GetPixel(x, y), ForceAt(pField, x / 2, y / 2, 60) * 0x010101u);
}

TEST(OldFilm, MarksStayBetweenTheFilmEdges) {
  // 400 wide: edges of 40 pixels with holes; the outer 10 columns hold only
  // the edge and the hole colours, however dirty the film.
  auto in = MakeTestPicture(400, 300);
  for (int iSeed : {11, 12, 13}) {
    CFilSpec spec = OldFilmSpec(1, 0, 150, 40);
    spec.m_iSeed = iSeed;
    const CXformRun run = RunXform(spec, *in, 1);
    ASSERT_EQ(run.m_iResult, 1);
    for (int x0 : {0, 390}) {
      std::set<COLORREF> aColours;
      for (int y = 0; y < 300; ++y)
        for (int x = x0; x < x0 + 10; ++x) aColours.insert(run.m_pOut->m_pDC->GetPixel(x, y));
      EXPECT_EQ(aColours, (std::set<COLORREF>{0x000000, 0xFFFFFF})) << iSeed;
    }
  }
}

TEST(OldFilm, ValidationAndAutochoose) {
  OldFilmParams p;
  p.m_iDirtiness = -5, p.m_iScratches = 90;
  EXPECT_EQ(ValidateOldFilm(p), 1);
  EXPECT_EQ(p.m_iDirtiness, 0);
  EXPECT_EQ(p.m_iScratches, 40);
  // With sprockets there is no chance draw before the scratches.
  for (int iSeed = 1; iSeed < 40; ++iSeed) {
    SeedRandom(iSeed * 131);
    AutochooseOldFilm(p);
    const int iNext = RawRandom();
    SeedRandom(iSeed * 131);
    RandomInt(75, 150), RandomChance(), RandomChance();
    if (!p.m_bSprockets) RandomInt(0, 100);
    if (p.m_iScratches) {
      EXPECT_EQ(p.m_iScratches, RandomInt(20, 40));
    }
    EXPECT_EQ(RawRandom(), iNext);
  }
}
