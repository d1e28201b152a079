#include <gtest/gtest.h>

#include <string>

#include "cli/recipe.h"
#include "engine/filspec.h"
#include "imaging/colour.h"
#include "imaging/force_field.h"
#include "xforms/liquid_energy.h"
#include "xforms/test_pictures.h"

namespace {
constexpr COLORREF kEnergy = RGB(255, 240, 20), kLiquid = RGB(10, 30, 200);

CFilSpec LiquidEnergySpec(int iWidth) {
  CFilSpec spec = SpecFor(XFORM_LIQUID_ENERGY, 5);
  spec.m_LiquidEnergy = {0, kEnergy, kLiquid, iWidth};
  spec.m_Select.SetSmooth(3);
  return spec;
}
}  // namespace

TEST(LiquidEnergy, PaintsTheFoldedField) {
  auto in = MakeTestPicture(120, 80);
  ExpectReproducedAndPinned(LiquidEnergySpec(37), *in, "liquid_energy");
  // Every s x s block holds the ripple colour of its force.
  ForceFieldMap field = MakeForceField(in.get(), LiquidEnergySpec(37).m_Select, nullptr);
  const CXformRun run = RunXform(LiquidEnergySpec(37), *in, 4);
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 120; ++x) {
      const COLORREF c = RippleColour(ForceAt(field, x, y, 120), 37, kEnergy, kLiquid);
      ASSERT_EQ(run.m_pOut->m_pDC->GetPixel(4 * x, 4 * y), c);
      ASSERT_EQ(run.m_pOut->m_pDC->GetPixel(4 * x + 3, 4 * y + 3), c);
    }
  // Width 10: liquid at the fold edges, energy in the middle, t squared between.
  EXPECT_EQ(RippleColour(10, 10, kEnergy, kLiquid), kLiquid);
  EXPECT_EQ(RippleColour(5, 10, kEnergy, kLiquid), kEnergy);
  EXPECT_EQ(RippleColour(7, 10, kEnergy, kLiquid), BlendColour(0.36, kEnergy, kLiquid));
  EXPECT_EQ(RippleColour(6, 11, kEnergy, kLiquid), kEnergy);  // odd: two middle levels
}

TEST(LiquidEnergy, RecipeWidthsBelowTwoPaintAsTwo) {
  auto in = MakeTestPicture(40, 30);
  const CXformRun two = RunXform(LiquidEnergySpec(2), *in, 2);
  for (const std::string csWidth : {"0", "1", "-7"}) {
    // Recipes refuse such widths now; a record may still hold one.
    const std::string csRecipe =
        "{\"vexmora_recipe\": 1, \"xform\": \"Liquid Energy\", \"seed\": 5, \"selection\": "
        "{\"smooth\": 3}, \"parameters\": {\"wizard\": 0, \"energy\": \"#FFF014\", \"liquid\": "
        "\"#0A1EC8\", \"ripple_width\": ";
    Recipe recipe;
    std::string csError;
    EXPECT_FALSE(RecipeFromJson(csRecipe + csWidth + "}}", recipe, csError));
    ASSERT_TRUE(RecipeFromJson(csRecipe + "10}}", recipe, csError)) << csError;
    recipe.m_Spec.m_LiquidEnergy.m_iRippleWidth = std::stoi(csWidth);
    // Validation would clamp it to the form's 10.
    CFilSpec checked = recipe.m_Spec;
    ASSERT_EQ(checked.Effect(40, 30), 1);
    EXPECT_EQ(checked.m_LiquidEnergy.m_iRippleWidth, 10);
    const CXformRun run = RunXform(recipe.m_Spec, *in, 2);
    EXPECT_EQ(run.m_iResult, 1);
    EXPECT_TRUE(SameSurfaces(*run.m_pOut, *two.m_pOut)) << csWidth;
  }
}
