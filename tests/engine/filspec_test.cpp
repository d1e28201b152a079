#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <type_traits>

#include "engine/filspec.h"
#include "imaging/random.h"
#include "support/recording_reporter.h"
#include "xforms/test_pictures.h"

using ::testing::ElementsAre;
using ::testing::MatchesRegex;

static_assert(std::is_trivially_copyable_v<CFilSpec>);

namespace {
int NextDrawAfter(unsigned iSeed, int iDraws) {
  SeedRandom(iSeed);
  for (int i = 0; i < iDraws; ++i) RawRandom();
  return RawRandom();
}
}  // namespace

TEST(Catalogue, NamesAndLookUp) {
  EXPECT_STREQ(GetXformName(0), "Banya");
  EXPECT_STREQ(GetXformName(XFORM_CLOUDS), "Clouds");
  EXPECT_STREQ(GetXformName(XFORM_MOSAIC), "Mosaic");
  EXPECT_STREQ(GetXformName(27), "Wood");
  EXPECT_STREQ(GetXformName(28), "Null");
  EXPECT_STREQ(GetXformName(29), "");
  for (int i = 1; i < kXformCount; ++i)  // alphabetical, case-insensitively
    EXPECT_LT(strcasecmp(GetXformName(i - 1), GetXformName(i)), 0) << i;
  EXPECT_EQ(FindXform("fallen-leaves"), XFORM_FALLEN_LEAVES);
  EXPECT_EQ(FindXform("Fallen Letters"), XFORM_FALLEN_LETTERS);
  EXPECT_EQ(FindXform("STARDUST"), XFORM_STARDUST);
  EXPECT_EQ(FindXform("op_art"), XFORM_OP_ART);
  EXPECT_EQ(FindXform("null"), XFORM_NULL);
  EXPECT_EQ(FindXform("sunset"), -1);
  EXPECT_EQ(FindXform(""), -1);
  // Each index reaches its own Xform: the dialog ids in catalogue order.
  constexpr int kDialogIds[kXformCount] = {186, 172, 179, 207, 222, 182, 208, 203, 214, 198,
                                           184, 178, 159, 180, 142, 192, 205, 165, 225, 213,
                                           219, 176, 153, 168, 224, 221, 204, 175};
  for (int i = 0; i < kXformCount; ++i)
    EXPECT_EQ(CFilSpec::Form(i).DialogId(), kDialogIds[i]) << GetXformName(i);
  EXPECT_STREQ(CFilSpec::Form(XFORM_CLOUDS).Caption(), "Cloud Formation Settings");
  CFilSpec spec;
  EXPECT_EQ(spec.WizardFlag(XFORM_WEB_FADE), nullptr);
}

TEST(FilSpec, FreshSpecification) {
  const CFilSpec f;
  EXPECT_EQ(f.m_iXform, XFORM_NULL);
  EXPECT_EQ(f.m_bWizardAll, 1);
  EXPECT_EQ(f.m_iSeed, 0);
  EXPECT_EQ(f.m_Mix.m_iMixMode, MIX_OFF);
  EXPECT_EQ(f.m_Mix.m_iPercent, 50);
  EXPECT_TRUE(f.m_Select.IsDefault());
  EXPECT_EQ(f.m_Context.m_pIn, nullptr);
  EXPECT_EQ(f.m_Mosaic.m_dTileSize, 5.0);
  EXPECT_EQ(f.m_Mosaic.m_dSpacing, 10.0);
  EXPECT_EQ(f.m_Mosaic.m_iGeometry, 1028);
  EXPECT_EQ(f.m_Mosaic.m_crHighLight, 0x00F5F0F0u);
  EXPECT_EQ(f.m_Mosaic.m_iHighLight, 1100);
  EXPECT_EQ(f.m_Clouds.m_iCoverage, 50);
  EXPECT_EQ(f.m_Clouds.m_iDetail, 4);
  EXPECT_TRUE(CFilSpec::IsBuilt(XFORM_CLOUDS));
  EXPECT_TRUE(CFilSpec::IsBuilt(XFORM_MOSAIC));
  EXPECT_FALSE(CFilSpec::IsBuilt(XFORM_NULL));
  {
    const CXformNotBuiltForTests notBuilt(XFORM_MOSAIC);
    EXPECT_FALSE(CFilSpec::IsBuilt(XFORM_MOSAIC));
    EXPECT_TRUE(CFilSpec::Form(XFORM_MOSAIC).IsEmpty());
  }
  EXPECT_TRUE(CFilSpec::IsBuilt(XFORM_MOSAIC));
  EXPECT_EQ(CFilSpec::Form(XFORM_MOSAIC).DialogId(), 142);
  CFilSpec g;
  EXPECT_EQ(g.Record(XFORM_MOSAIC), &g.m_Mosaic);
  EXPECT_EQ(g.WizardFlag(XFORM_CLOUDS), &g.m_Clouds.m_bWizard);
  EXPECT_EQ(g.WizardFlag(XFORM_WEB_FADE), nullptr);
  EXPECT_EQ(g.Record(28), nullptr);

  // A bitwise copy is a complete, independent recipe.
  g.m_Mosaic.m_dTileSize = 2.5;
  CFilSpec h;
  std::memcpy(static_cast<void*>(&h), &g, sizeof g);
  EXPECT_EQ(h.m_Mosaic.m_dTileSize, 2.5);
}

TEST(FilSpec, DispatchMessages) {
  const CXformNotBuiltForTests notBuilt(XFORM_WOOD);
  auto in = MakeTestPicture(16, 12);
  CFilSpec f;
  EXPECT_EQ(f.Effect(16, 12), 0);
  EXPECT_THAT(TakeMessages(), ElementsAre("CFilSpec::Effect 28 not\n(yet) supported"));
  f.m_iXform = XFORM_WOOD;
  EXPECT_EQ(f.Effect(16, 12), 0);
  EXPECT_THAT(TakeMessages(), ElementsAre("CFilSpec::Effect 27 not\n(yet) supported"));

  EXPECT_EQ(f.Apply(), 0);
  EXPECT_THAT(TakeMessages(),
              ElementsAre(MatchesRegex("Bad DC in Xform.Apply\\(\\)\nin=.* out=.* drw=.*")));
  CDADC out(16, 12), drw(16, 12);
  f.SetDCs(&drw, nullptr, in.get());
  EXPECT_THAT(TakeMessages(),
              ElementsAre(MatchesRegex("Bad DC in CFilSpec::SetDCs\\(\\)\nin=.* out=.* drw=.*")));
  EXPECT_EQ(f.m_Context.m_pDrw, nullptr);
  f.SetDCs(&drw, &out, in.get());
  EXPECT_EQ(f.Apply(), 0);  // Wood counts as not built
  EXPECT_THAT(TakeMessages(), ElementsAre("FI:Xform 27 not\n(yet) supported"));
  const CFilSpec before = f;
  f.Autochoose(in.get());  // nothing to choose
  EXPECT_EQ(std::memcmp(&before.m_Wood, &f.m_Wood, sizeof f.m_Wood), 0);
  EXPECT_EQ(f.CanEditSettings(), 0);
  EXPECT_THAT(TakeMessages(), ElementsAre("CFilSpec::OCP, Xforms 27 not\n(yet) supported"));
  f.m_iXform = XFORM_NULL;
  EXPECT_EQ(f.Apply(), 0);
  EXPECT_TRUE(TakeMessages().empty());
  f.m_iXform = 31;
  EXPECT_EQ(f.Apply(), 0);
  EXPECT_THAT(TakeMessages(), ElementsAre("FI:Xform 31 not\n(yet) supported"));
  f.Autochoose(in.get());
  EXPECT_THAT(TakeMessages(), ElementsAre("ACP::Xform 31 not\n(yet) supported"));
  f.Autochoose(nullptr);
  EXPECT_THAT(TakeMessages(), ElementsAre("No original image approach"));
  f.m_Context.m_pOut = nullptr;
  f.DeleteXformDC();
  EXPECT_THAT(TakeMessages(), ElementsAre("Deleting a NULL Xform DC"));

  // The out surface handed over is freed once, and forgotten.
  f.SetDCs(&drw, new CDADC(16, 12), in.get());
  f.DeleteXformDC();
  EXPECT_EQ(f.m_Context.m_pOut, nullptr);
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(FilSpec, AutochooseFollowsTheWizardFlags) {
  auto in = MakeTestPicture(200, 100);
  CFilSpec f;
  f.m_iXform = XFORM_WEB_FADE;
  SeedRandom(5);
  const CFilSpec before = f;
  f.Autochoose(in.get());  // Web Fade: nothing chosen, nothing said
  EXPECT_TRUE(TakeMessages().empty());
  EXPECT_EQ(std::memcmp(&before.m_WebFade, &f.m_WebFade, sizeof f.m_WebFade), 0);
  const int iNext = RawRandom();
  EXPECT_EQ(iNext, NextDrawAfter(5, 0));

  // A cleared flag keeps the user's values...
  f.m_iXform = XFORM_CLOUDS;
  f.m_bWizardAll = 0;
  f.m_Clouds.m_bWizard = 0;
  f.m_Clouds.m_iCoverage = 88;
  f.Autochoose(in.get());
  EXPECT_EQ(f.m_Clouds.m_iCoverage, 88);
  // ...unless the wizard chooses all, which turns every flag on again.
  f.m_bWizardAll = 1;
  f.Autochoose(in.get());
  EXPECT_EQ(f.m_Mosaic.m_bWizard, 1);
  EXPECT_EQ(f.m_Clouds.m_bWizard, 1);
  EXPECT_LE(f.m_Clouds.m_iCoverage, 60);
  EXPECT_GE(f.m_Select.m_iSmooth, 1);  // Clouds chooses the selection's smoothing too
  EXPECT_EQ(f.m_iXform, XFORM_CLOUDS);
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(FilSpec, PickLeastUsed) {
  std::int32_t aUsage[kXformCount] = {};
  SeedRandom(9);
  const int iPick = PickLeastUsedXform(aUsage);  // all equal: exactly one draw
  const int iNext = RawRandom();
  EXPECT_EQ(iNext, NextDrawAfter(9, 1));
  EXPECT_GE(iPick, 0);
  EXPECT_LT(iPick, kXformCount);

  InitUsageCounts(aUsage);
  EXPECT_EQ(aUsage[XFORM_MIST], 1000000);
  EXPECT_EQ(aUsage[XFORM_WEB_FADE], 1000000);
  EXPECT_EQ(aUsage[XFORM_CLOUDS], 0);
  // Every Xform but Mist and Web Fade comes up; as a document counts its
  // uses, each pick goes to one of the least used.
  std::set<int> picked;
  for (unsigned s = 0; s < 200; ++s) {
    SeedRandom(s * 65537u);  // small neighbouring seeds begin alike
    const int i = PickLeastUsedXform(aUsage);
    EXPECT_EQ(aUsage[i], 0) << i;
    picked.insert(i);
  }
  EXPECT_EQ(picked.size(), static_cast<std::size_t>(kXformCount - 2));
  std::int32_t aCounts[kXformCount];
  InitUsageCounts(aCounts);
  SeedRandom(77);
  for (int k = 0; k < kXformCount - 2; ++k) ++aCounts[PickLeastUsedXform(aCounts)];
  for (int i = 0; i < kXformCount; ++i)
    EXPECT_EQ(aCounts[i], i == XFORM_MIST || i == XFORM_WEB_FADE ? 1000000 : 1) << i;
  // Nobody below the starting minimum: 2801 draws, the last one stays.
  for (auto& n : aUsage) n = 70000;
  SeedRandom(4);
  int iLast = 0;
  for (int i = 0; i < 2801; ++i) iLast = RandomInt(0, 27);
  SeedRandom(4);
  EXPECT_EQ(PickLeastUsedXform(aUsage), iLast);
}

TEST(FilSpec, ChooseRandomXform) {
  std::int32_t aUsage[kXformCount];
  InitUsageCounts(aUsage);
  CFilSpec f;
  f.m_Select.SetHsv(120, 0.5, 0.5);
  f.m_Mosaic.m_bWizard = 0;
  SeedRandom(21);
  f.ChooseRandomXform(aUsage, true);
  EXPECT_EQ(f.m_Mix.m_iMixMode, MIX_ELLIPSE_IN);
  EXPECT_EQ(f.m_Mix.m_iPercent, 80);
  EXPECT_EQ(f.m_Mosaic.m_bWizard, 1);
  EXPECT_EQ(f.m_bWizardAll, 1);
  EXPECT_EQ(f.m_Select.m_dSat, 0.0);

  // The random mix draws the percentage, then one or two choices, then the mode.
  int aSeen[1075] = {};
  for (unsigned s = 0; s < 400; ++s) {
    SeedRandom(s);
    f.ChooseRandomXform(aUsage, false);
    ASSERT_GE(f.m_Mix.m_iPercent, 35);
    ASSERT_LE(f.m_Mix.m_iPercent, 75);
    ++aSeen[f.m_Mix.m_iMixMode];
  }
  for (int iMode : {MIX_OFF, MIX_ELLIPSE_IN, MIX_LEFT_RIGHT, MIX_RIGHT_LEFT, MIX_TOP_BOTTOM,
                    MIX_BOTTOM_TOP, MIX_CIRCLE_IN})
    EXPECT_GT(aSeen[iMode], 0) << iMode;
  EXPECT_EQ(aSeen[MIX_EVEN] + aSeen[MIX_HSV] + aSeen[MIX_CIRCLE_OUT] + aSeen[MIX_ELLIPSE_OUT], 0);
  EXPECT_GT(aSeen[MIX_OFF], 150);
}

TEST(FilSpec, SeedsAndWizardAll) {
  CFilSpec f;
  f.NewSeed();
  EXPECT_NE(f.m_iSeed, 0);
  // Seeds asked for at once (within the clock's millisecond) still differ.
  CFilSpec g, h;
  g.NewSeed();
  h.NewSeed();
  EXPECT_NE(g.m_iSeed, f.m_iSeed);
  EXPECT_NE(h.m_iSeed, g.m_iSeed);
  // However many: a grid asks for nine within a millisecond.
  std::set<std::int32_t> aSeeds{f.m_iSeed, g.m_iSeed, h.m_iSeed};
  for (int i = 0; i < 25; ++i) {
    h.NewSeed();
    aSeeds.insert(h.m_iSeed);
  }
  EXPECT_EQ(aSeeds.size(), 28u);
  f.m_Clouds.m_bWizard = 0;
  f.m_Mosaic.m_bWizard = 0;
  f.SetWizardAll(0);
  EXPECT_EQ(f.m_bWizardAll, 0);
  EXPECT_EQ(f.m_Clouds.m_bWizard, 1);
  EXPECT_EQ(f.m_Mosaic.m_bWizard, 1);
}

TEST(FilSpec, SettingsDialogHandBack) {
  CFilSpec f;
  EXPECT_EQ(f.CanEditSettings(), 0);
  EXPECT_THAT(TakeMessages(), ElementsAre("CFilSpec::OCP, Xforms 28 not\n(yet) supported"));
  f.m_iXform = XFORM_MOSAIC;
  ASSERT_EQ(f.CanEditSettings(), 1);
  f.m_Mosaic.m_Background.m_bUsePicture = 1;
  MosaicParams edited = f.m_Mosaic;
  edited.m_dTileSize = 3.0;
  edited.m_iHighLight = HIGHLIGHT_TOP;
  edited.m_Background = {RGB(9, 9, 9), 0};  // the dialog has no picture switch: the flag stays
  edited.m_bWizard = 0;
  f.AcceptSettings(&edited);
  EXPECT_EQ(f.m_Mosaic.m_dTileSize, 3.0);
  EXPECT_EQ(f.m_Mosaic.m_iHighLight, HIGHLIGHT_TOP);
  EXPECT_EQ(f.m_Mosaic.m_Background.m_crColour, RGB(9, 9, 9));
  EXPECT_EQ(f.m_Mosaic.m_Background.m_bUsePicture, 1);
  EXPECT_EQ(f.m_Mosaic.m_bWizard, 0);
  EXPECT_EQ(f.m_bWizardAll, 0);
}

// A refused record says which fields broke which rule; numbers outside
// their form's range are clamped into it before the Xform's own rules.
TEST(FilSpec, EffectSaysWhyItRefuses) {
  CFilSpec f;
  std::string csWhy;
  f.m_iXform = XFORM_RELIEF_MAP;
  f.m_ReliefMap.m_iSnowLine = 0;
  EXPECT_EQ(f.Effect(60, 40, &csWhy), 0);
  EXPECT_EQ(csWhy, "Relief Map: the levels must rise in order: sea_level <= hill <= rock <= snow_line");
  f.m_iXform = XFORM_SWARM;
  f.m_Swarm.m_bAngle = f.m_Swarm.m_bIntensity = f.m_Swarm.m_bSize = 0;
  EXPECT_EQ(f.Effect(60, 40, &csWhy), 0);
  EXPECT_EQ(csWhy, "Swarm: at least one of angle, intensity and size must be on");
  f.m_Swarm.m_bSize = 1;
  f.m_Swarm.m_iSticks = 1000000;
  csWhy.clear();
  EXPECT_EQ(f.Effect(60, 40, &csWhy), 1);
  EXPECT_EQ(csWhy, "");
  EXPECT_EQ(f.m_Swarm.m_iSticks, 30000);
  EXPECT_TRUE(TakeMessages().empty());
}
