#include <gtest/gtest.h>

#include <string>

#include "cli/recipe.h"
#include "engine/filspec.h"
#include "imaging/colour.h"
#include "imaging/force_field.h"
#include "imaging/random.h"
#include "imaging/xform_helpers.h"
#include "support/recording_reporter.h"
#include "xforms/liquid_energy.h"
#include "xforms/test_pictures.h"

namespace {
constexpr COLORREF kEnergy = RGB(255, 240, 20), kLiquid = RGB(10, 30, 200);

CFilSpec LiquidEnergySpec(int iSeed, int iWidth) {
  CFilSpec spec = SpecFor(XFORM_LIQUID_ENERGY, iSeed);
  spec.m_LiquidEnergy.m_crEnergy = kEnergy;
  spec.m_LiquidEnergy.m_crLiquid = kLiquid;
  spec.m_LiquidEnergy.m_iRippleWidth = iWidth;
  spec.m_Select.SetSmooth(3);
  return spec;
}

// Every s x s block of the output holds the ripple colour of its field value.
void ExpectRipplesOfField(const CFilSpec& spec, const CDADC& in, const CDADC& out, int iWidth) {
  ForceFieldMap field = MakeForceField(&in, spec.m_Select, nullptr);
  ASSERT_TRUE(field);
  const int s = out.m_iWidth / in.m_iWidth;
  for (int y = 0; y < in.m_iHeight; ++y)
    for (int x = 0; x < in.m_iWidth; ++x) {
      const COLORREF c = RippleColour(ForceAt(field, x, y, in.m_iWidth), iWidth, kEnergy, kLiquid);
      ASSERT_EQ(out.m_pDC->GetPixel(x * s, y * s), c) << x << "," << y;
      ASSERT_EQ(out.m_pDC->GetPixel(x * s + s - 1, y * s + s - 1), c) << x << "," << y;
    }
}
}  // namespace

TEST(LiquidEnergy, PaintsTheFoldedFieldAndIsPinned) {
  auto in = MakeTestPicture(120, 80);
  ExpectReproducedAndPinned(LiquidEnergySpec(5, 37), *in, "liquid_energy");
  for (int q : {1, 4}) {
    const CXformRun run = RunXform(LiquidEnergySpec(5, 37), *in, q);
    ASSERT_EQ(run.m_iResult, 1);
    ExpectRipplesOfField(LiquidEnergySpec(5, 37), *in, *run.m_pOut, 37);
  }
  EXPECT_EQ(GetStatusText(), "");
  EXPECT_TRUE(TakeMessages().empty());
}

TEST(LiquidEnergy, RippleColours) {
  // Width 10: half = 5; liquid at the fold edges, energy in the middle, t squared between.
  EXPECT_EQ(RippleColour(0, 10, kEnergy, kLiquid), kLiquid);
  EXPECT_EQ(RippleColour(5, 10, kEnergy, kLiquid), kEnergy);
  EXPECT_EQ(RippleColour(10, 10, kEnergy, kLiquid), kLiquid);
  EXPECT_EQ(RippleColour(3, 10, kEnergy, kLiquid), BlendColour(0.36, kEnergy, kLiquid));
  EXPECT_EQ(RippleColour(7, 10, kEnergy, kLiquid), BlendColour(0.36, kEnergy, kLiquid));
  // An odd width has two middle levels; a width above 255 never folds back.
  EXPECT_EQ(RippleColour(5, 11, kEnergy, kLiquid), kEnergy);
  EXPECT_EQ(RippleColour(6, 11, kEnergy, kLiquid), kEnergy);
  EXPECT_EQ(RippleColour(255, 1000, kEnergy, kLiquid), BlendColour(0.51 * 0.51, kEnergy, kLiquid));
}

TEST(LiquidEnergy, RecipeWidthsBelowTwoPaintAsTwo) {
  auto in = MakeTestPicture(40, 30);
  const CXformRun two = RunXform(LiquidEnergySpec(9, 2), *in, 2);
  ASSERT_EQ(two.m_iResult, 1);
  for (const char* szWidth : {"0", "1", "-7"}) {
    Recipe recipe;
    std::string csError;
    const std::string csJson =
        std::string("{\"vexmora_recipe\": 1, \"xform\": \"Liquid Energy\", \"seed\": 9, "
                    "\"selection\": {\"smooth\": 3}, \"parameters\": {\"wizard\": 0, "
                    "\"energy\": \"#FFF014\", \"liquid\": \"#0A1EC8\", \"ripple_width\": ") +
        szWidth + "}}";
    ASSERT_TRUE(RecipeFromJson(csJson, recipe, csError)) << csError;
    ASSERT_EQ(recipe.m_Spec.m_LiquidEnergy.m_iRippleWidth, std::stoi(szWidth));
    ASSERT_EQ(recipe.m_Spec.Effect(40, 30), 1);
    const CXformRun run = RunXform(recipe.m_Spec, *in, 2);
    ASSERT_EQ(run.m_iResult, 1) << szWidth;
    EXPECT_TRUE(SameSurfaces(*run.m_pOut, *two.m_pOut)) << szWidth;
  }
}

TEST(LiquidEnergy, AutochooseDrawOrder) {
  LiquidEnergyParams p;
  p.m_bWizard = 0;
  AreaSelection sel;
  SeedRandom(23);
  AutochooseLiquidEnergy(p, sel);
  const int iNext = RawRandom();
  SeedRandom(23);
  EXPECT_EQ(p.m_iRippleWidth, RandomInt(10, 100));
  EXPECT_EQ(sel.m_iSmooth, RandomInt(3, 5));
  COLORREF crFirst, crSecond;
  RandomColourPair(crFirst, crSecond);
  EXPECT_EQ(p.m_crEnergy, crFirst);
  EXPECT_EQ(p.m_crLiquid, crSecond);
  EXPECT_EQ(RawRandom(), iNext);
  EXPECT_EQ(p.m_bWizard, 0);
}
