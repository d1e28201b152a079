#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "cli/cli_options.h"
#include "cli/cli_run.h"
#include "cli/commands.h"
#include "engine/recipe.h"
#include "imaging/image_files.h"
#include "imaging/random.h"
#include "support/recording_reporter.h"
#include "support/temp_dir.h"
#include "xforms/test_pictures.h"

using ::testing::HasSubstr;

TEST(CliOptions, Mix) {
  MixSettings mix;
  std::string csError;
  ASSERT_TRUE(ParseMix("left-right:60", mix, csError));
  EXPECT_EQ(mix.m_iMixMode, MIX_LEFT_RIGHT);
  EXPECT_EQ(mix.m_iPercent, 60);
  ASSERT_TRUE(ParseMix("Ellipse_In", mix, csError));
  EXPECT_EQ(mix.m_iMixMode, MIX_ELLIPSE_IN);
  EXPECT_EQ(mix.m_iPercent, 60);  // unchanged without a percentage
  for (const char* sz : {"off", "even", "top-bottom", "right-left", "bottom-top", "circle-out",
                         "circle-in", "ellipse-out", "hsv"}) {
    ASSERT_TRUE(ParseMix(sz, mix, csError)) << sz;
    EXPECT_EQ(MixModeName(mix.m_iMixMode), sz);
  }
  EXPECT_FALSE(ParseMix("sideways", mix, csError));
  EXPECT_THAT(csError, HasSubstr("unknown mix \"sideways\""));
  EXPECT_FALSE(ParseMix("even:100", mix, csError));
  EXPECT_FALSE(ParseMix("even:x", mix, csError));
  EXPECT_EQ(mix.m_iMixMode, MIX_HSV);  // a refused text changes nothing
}

TEST(CliOptions, SelectionQualityNamesAndOutputs) {
  AreaSelection sel;
  std::string csError;
  ASSERT_TRUE(ParseSelection("120,0.5,1,invert,smooth=3", sel, csError));
  EXPECT_EQ(sel.m_dHue, 120.0);
  EXPECT_EQ(sel.m_bInvert, 1);
  EXPECT_EQ(sel.m_iSmooth, 3);
  EXPECT_EQ(sel.m_iGreen, 255);
  EXPECT_EQ(sel.m_iRed, 127);
  EXPECT_FALSE(ParseSelection("120,0.5", sel, csError));
  EXPECT_FALSE(ParseSelection("400,0.5,1", sel, csError));
  EXPECT_FALSE(ParseSelection("1,0.5,1,smooth=9", sel, csError));
  EXPECT_FALSE(ParseSelection("1,0.5,1,sharp", sel, csError));

  int q = 0;
  EXPECT_TRUE(ParseQuality("4", q, csError));
  EXPECT_EQ(q, 4);
  EXPECT_FALSE(ParseQuality("3", q, csError));

  EXPECT_EQ(ParseXformName("mosaic", csError), XFORM_MOSAIC);
  EXPECT_EQ(ParseXformName("Liquid-Energy", csError), XFORM_LIQUID_ENERGY);
  EXPECT_EQ(ParseXformName("null", csError), -1);
  EXPECT_EQ(ParseXformName("tiles", csError), -1);
  EXPECT_EQ(csError, "unknown Xform \"tiles\" (see vexmora-cli list)");

  EXPECT_EQ(OutputName("out/idea%d.png", 12), "out/idea12.png");
  EXPECT_EQ(OutputName("a.png", 3), "a.png");
  EXPECT_TRUE(HasNumberSlot("x%d.jpg"));
  EXPECT_FALSE(HasNumberSlot("x.jpg"));

  CFilSpec spec;
  spec.m_iXform = XFORM_MOSAIC;
  EXPECT_TRUE(ApplySetting(spec, "geometry=circular", csError));
  EXPECT_EQ(spec.m_Mosaic.m_iGeometry, MOSAIC_CIRCULAR);
  EXPECT_TRUE(ApplySetting(spec, "tile_size = 2.5", csError));
  EXPECT_EQ(spec.m_Mosaic.m_dTileSize, 2.5);
  EXPECT_FALSE(ApplySetting(spec, "tile_size", csError));
  EXPECT_FALSE(ApplySetting(spec, "tile_size=9", csError));
  const CXformNotBuiltForTests notBuilt(XFORM_WOOD);
  spec.m_iXform = XFORM_WOOD;
  EXPECT_FALSE(ApplySetting(spec, "size=1", csError));
  EXPECT_THAT(csError, HasSubstr("has no settings yet"));
}

TEST(Recipe, FontsAreObjects) {
  Recipe a;
  a.m_Spec.m_iXform = XFORM_TEXT;
  std::string csError;
  ASSERT_TRUE(ApplySetting(a.m_Spec, "font=Liberation Mono,italic,-30,quality=3", csError))
      << csError;
  const std::string csJson = RecipeToJson(a);
  EXPECT_THAT(csJson, HasSubstr("\"face\": \"Liberation Mono\""));
  EXPECT_THAT(csJson, HasSubstr("\"height\": -30"));
  Recipe b;
  ASSERT_TRUE(RecipeFromJson(csJson, b, csError)) << csError;
  EXPECT_EQ(std::memcmp(&a.m_Spec.m_Text.m_lfFont, &b.m_Spec.m_Text.m_lfFont, sizeof(LOGFONT)), 0);

  // Fields left out are a plain font's; the old hex string still reads.
  const std::string csHead = "{\"vexmora_recipe\": 1, \"xform\": \"Text\", \"parameters\": ";
  ASSERT_TRUE(RecipeFromJson(csHead + "{\"font\": {\"face\": \"Courier New\", \"italic\": true}}}",
                             b, csError))
      << csError;
  EXPECT_STREQ(b.m_Spec.m_Text.m_lfFont.lfFaceName, "Courier New");
  EXPECT_EQ(b.m_Spec.m_Text.m_lfFont.lfItalic, 1);
  EXPECT_EQ(b.m_Spec.m_Text.m_lfFont.lfWeight, FW_NORMAL);
  const std::string csHex(120, '0');  // a zeroed record
  ASSERT_TRUE(RecipeFromJson(csHead + "{\"font\": \"" + csHex + "\"}}", b, csError)) << csError;
  EXPECT_EQ(b.m_Spec.m_Text.m_lfFont.lfWeight, 0);
  EXPECT_FALSE(RecipeFromJson(csHead + "{\"font\": {\"face\": \"Papyrus\"}}}", b, csError));
  EXPECT_THAT(csError, HasSubstr("shipped faces: Liberation Sans"));
}

TEST(Recipe, RoundTripIsExact) {
  Recipe a;
  CFilSpec& s = a.m_Spec;
  s.m_iXform = XFORM_MOSAIC;
  s.m_iSeed = -123456789;
  s.m_bWizardAll = 0;
  s.m_Mix.m_iMixMode = MIX_HSV;
  s.m_Mix.m_iPercent = 37;
  s.m_Mix.m_Selection.SetHsv(200.123456789, 0.3, 0.7);
  s.m_Mix.m_Selection.SetSmooth(4);
  s.m_Select.SetHsv(10, 1.0 / 3.0, 0.9);
  s.m_Select.m_bInvert = 1;
  s.m_Mosaic.m_dTileSize = 1.0 + 1e-15;
  s.m_Mosaic.m_dSpacing = 33.3;
  s.m_Mosaic.m_iGeometry = MOSAIC_RECT_AND_CIRCLE;
  s.m_Mosaic.m_Background = {RGB(1, 2, 3), 1};
  s.m_Mosaic.m_crHighLight = RGB(250, 251, 252);
  s.m_Mosaic.m_iHighLight = HIGHLIGHT_BOTTOM_LEFT;
  s.m_Mosaic.m_bWizard = 0;
  a.m_iQuality = 4;

  Recipe b;
  std::string csError;
  const std::string csJson = RecipeToJson(a);
  ASSERT_TRUE(RecipeFromJson(csJson, b, csError)) << csError;
  EXPECT_EQ(b.m_iQuality, 4);
  EXPECT_EQ(b.m_Spec.m_iXform, XFORM_MOSAIC);
  EXPECT_EQ(b.m_Spec.m_iSeed, -123456789);
  EXPECT_EQ(b.m_Spec.m_bWizardAll, 0);
  auto same = [](const AreaSelection& x, const AreaSelection& y) {
    return x.m_bInvert == y.m_bInvert && x.m_dHue == y.m_dHue && x.m_dSat == y.m_dSat &&
           x.m_dVal == y.m_dVal && x.m_iRed == y.m_iRed && x.m_iGreen == y.m_iGreen &&
           x.m_iBlue == y.m_iBlue && x.m_iSmooth == y.m_iSmooth;
  };
  EXPECT_EQ(b.m_Spec.m_Mix.m_iMixMode, MIX_HSV);
  EXPECT_EQ(b.m_Spec.m_Mix.m_iPercent, 37);
  EXPECT_TRUE(same(a.m_Spec.m_Mix.m_Selection, b.m_Spec.m_Mix.m_Selection));
  EXPECT_TRUE(same(a.m_Spec.m_Select, b.m_Spec.m_Select));
  const MosaicParams &x = a.m_Spec.m_Mosaic, &y = b.m_Spec.m_Mosaic;
  EXPECT_EQ(x.m_dTileSize, y.m_dTileSize);
  EXPECT_EQ(x.m_dSpacing, y.m_dSpacing);
  EXPECT_EQ(x.m_iGeometry, y.m_iGeometry);
  EXPECT_EQ(x.m_Background.m_crColour, y.m_Background.m_crColour);
  EXPECT_EQ(x.m_Background.m_bUsePicture, y.m_Background.m_bUsePicture);
  EXPECT_EQ(x.m_crHighLight, y.m_crHighLight);
  EXPECT_EQ(x.m_iHighLight, y.m_iHighLight);
  EXPECT_EQ(x.m_bWizard, y.m_bWizard);
  EXPECT_THAT(csJson, HasSubstr("\"geometry\": \"rect-and-circle\""));
  EXPECT_THAT(csJson, HasSubstr("\"background\": \"#010203\""));

  EXPECT_FALSE(RecipeFromJson("{", b, csError));
  EXPECT_FALSE(RecipeFromJson("{\"vexmora_recipe\": 1, \"xform\": \"Sunset\"}", b, csError));
  EXPECT_FALSE(RecipeFromJson("{\"vexmora_recipe\": 1, \"xform\": \"Clouds\", \"quality\": 3}", b,
                              csError));
  EXPECT_FALSE(RecipeFromJson(
      "{\"vexmora_recipe\": 1, \"xform\": \"Clouds\", \"parameters\": {\"size\": 1}}", b, csError));
  EXPECT_EQ(csError, "unknown parameter \"size\"");
  EXPECT_FALSE(RecipeFromJson("{\"vexmora_recipe\": 1, \"xform\": \"Clouds\", \"seed\": \"x\"}", b,
                              csError));
}

// Hostile recipes: every value is checked by type and range before it is
// converted, with --select's, --mix's and --set's own rules.
TEST(Recipe, HostileValuesAreRefusedWithTheirRule) {
  const std::string csHead = "{\"vexmora_recipe\": 1, \"xform\": \"Clouds\"";
  auto refused = [&](const std::string& csRest) {
    Recipe r;
    std::string csError;
    EXPECT_FALSE(RecipeFromJson(csHead + csRest + "}", r, csError)) << csRest;
    EXPECT_FALSE(csError.empty());
    EXPECT_LT(csError.size(), 200u);  // quoted values are cut
    return csError;
  };
  for (const char* sz : {R"({"hue": 10, "saturation": -2})", R"({"hue": 1e300})",
                         R"({"value": 1.5})", R"({"hue": "10"})"}) {
    refused(std::string(", \"selection\": ") + sz);
    refused(std::string(", \"mix\": {\"mode\": \"hsv\", \"selection\": ") + sz + "}");
  }
  EXPECT_EQ(refused(R"(, "selection": {"hue": 361})"),
            "hue must lie in 0..360, saturation and value in 0..1");
  EXPECT_THAT(refused(R"(, "selection": {"smooth": 9})"), HasSubstr("from 0 to 8"));
  refused(R"(, "selection": {"smooth": 2.5})");
  refused(R"(, "selection": {"invert": "yes"})");
  for (const char* sz : {"0", "100", "-1.7e308", "\"50\"", "true"})
    EXPECT_EQ(refused(std::string(R"(, "mix": {"mode": "even", "percent": )") + sz + "}"),
              "the mix percentage must be a whole number from 1 to 99");
  for (const char* sz : {"5.5e66", "true", "3", "2.5", "\"4\""})
    EXPECT_EQ(refused(std::string(", \"quality\": ") + sz),
              "the recipe's quality must be 1, 2 or 4");
  EXPECT_THAT(refused(R"(, "seed": 1e308)"), HasSubstr("the recipe's seed must be a whole number"));
  refused(R"(, "wizard_all": 1)");
  EXPECT_EQ(refused(R"(, "parameters": {"detail": 2147483647})"), "detail must lie in 3 .. 6");
  EXPECT_EQ(refused(R"(, "parameters": {"detail": true})"), "detail must be a number");
  refused(R"(, "parameters": {"detail": 4.5})");
  refused(R"(, "parameters": {"detail": [4]})");
  refused(R"(, "parameters": {"wizard": "maybe"})");
  refused(R"(, "parameters": {"high_sky": {"r": 1}})");
  EXPECT_THAT(refused(", \"parameters\": {\"" + std::string(100000, 'x') + "\": 1}"),
              HasSubstr("unknown parameter \"xxxx"));
  // Deep nesting is refused before it is parsed or printed.
  EXPECT_THAT(refused(", \"parameters\": {\"detail\": " + std::string(100000, '[') +
                      std::string(100000, ']') + "}"),
              HasSubstr("nests deeper than"));
  EXPECT_THAT(refused(", \"note\": \"" + std::string(2 << 20, ' ') + "\""),
              HasSubstr("larger than 1 MB"));

  // What --set and the recipe writer produce still reads, edges included.
  Recipe r;
  std::string csError;
  ASSERT_TRUE(RecipeFromJson(csHead + R"(, "seed": 4294967295, "quality": 2.0,
      "mix": {"mode": "hsv", "percent": 99, "selection": {"hue": 360, "saturation": 0, "value": 1,
      "smooth": 8}}, "parameters": {"detail": 6, "wizard": false}})",
                             r, csError))
      << csError;
  EXPECT_EQ(r.m_Spec.m_iSeed, -1);
  EXPECT_EQ(r.m_iQuality, 2);
  EXPECT_EQ(r.m_Spec.m_Clouds.m_iDetail, 6);
}

// The strict reading never refuses what the program writes: every wizard
// choice of every Xform replays through its recipe.
TEST(Recipe, EveryWizardChoiceReadsBack) {
  auto pic = MakeTestPicture(64, 40);
  for (int iXform = 0; iXform < kXformCount; ++iXform) {
    if (!CFilSpec::IsBuilt(iXform)) continue;
    for (unsigned iSeed = 1; iSeed <= 40; ++iSeed) {
      Recipe a;
      a.m_Spec.m_iXform = iXform;
      SeedRandom(iSeed);
      a.m_Spec.Autochoose(pic.get());
      Recipe b;
      std::string csError;
      ASSERT_TRUE(RecipeFromJson(RecipeToJson(a), b, csError))
          << GetXformName(iXform) << " seed " << iSeed << ": " << csError;
    }
  }
}

// A font record read from its hexadecimal form needs a terminated face name.
TEST(Recipe, FontRecordWithoutTerminatorIsRefused) {
  std::string csHex(120, '0');
  for (std::size_t k = 28; k < 60; ++k) csHex.replace(2 * k, 2, "41");  // face: 32 x 'A'
  Recipe r;
  std::string csError;
  EXPECT_FALSE(RecipeFromJson("{\"vexmora_recipe\": 1, \"xform\": \"Text\", \"parameters\": "
                              "{\"font\": \"" + csHex + "\"}}",
                              r, csError));
  EXPECT_THAT(csError, HasSubstr("no terminating zero byte"));
}

#ifdef VX_CLI_PATH

// Neighbouring seeds start the generator almost alike: a batch's first draws
// must spread over the generator's range instead of crowding together.
TEST(CliOptions, BatchSeedsSpread) {
  for (const std::uint32_t iFirst : {1u, 12345u, 0x7FFFFFFFu}) {
    EXPECT_EQ(BatchSeed(iFirst, 1), iFirst);
    std::set<std::uint32_t> aSeeds;
    int iLow = 0x7FFF, iHigh = 0;
    for (int i = 1; i <= 13; ++i) {
      const std::uint32_t iSeed = BatchSeed(iFirst, i);
      if (i > 1) {
        EXPECT_LE(iSeed, 0x7FFFFFFFu);
      }
      aSeeds.insert(iSeed);
      SeedRandom(iSeed);
      const int iDraw = RawRandom();
      iLow = std::min(iLow, iDraw);
      iHigh = std::max(iHigh, iDraw);
    }
    EXPECT_EQ(aSeeds.size(), 13u);
    EXPECT_GT(iHigh - iLow, 0x7FFF / 2) << "first seed " << iFirst;
  }
  // Two batches whose first seeds are neighbours share no idea.
  EXPECT_NE(BatchSeed(7, 2), BatchSeed(8, 1));
  EXPECT_NE(BatchSeed(7, 2), BatchSeed(8, 2));
}

TEST(CliTool, UsageAndFailures) {
  CTempDir tmp;
  auto pic = MakeTestPicture(64, 40);
  const std::string csPic = tmp.Path("pic.bmp");
  ASSERT_EQ(pic->WriteBmpFile(csPic.c_str()), 1);
  std::string csErr;
  EXPECT_EQ(Cli("", &csErr), 2);
  EXPECT_EQ(Cli("make " + csPic + " clouds --quality 3", &csErr), 2);
  EXPECT_THAT(csErr, HasSubstr("the quality is 1, 2 or 4"));
  EXPECT_EQ(Cli("make " + csPic + " sunset", &csErr), 2);
  EXPECT_THAT(csErr, HasSubstr("unknown Xform \"sunset\""));
  EXPECT_EQ(Cli("make " + csPic, &csErr), 2);
  EXPECT_EQ(Cli("make " + csPic + " clouds --set nothing=1", &csErr), 2);
  EXPECT_EQ(Cli("make " + csPic + " clouds --count 2 -o " + tmp.Path("one.png"), &csErr), 2);
  EXPECT_EQ(Cli("make " + csPic + " clouds --bogus", &csErr), 2);
  EXPECT_EQ(Cli("make " + tmp.Path("missing.png") + " clouds", &csErr), 1);
  EXPECT_THAT(csErr, HasSubstr("Could not open imagefile"));
  EXPECT_EQ(Cli("describe sunset", &csErr), 2);
  EXPECT_EQ(Cli("info " + tmp.Path("missing.png"), &csErr), 1);
  EXPECT_EQ(Cli("list"), 0);
  EXPECT_EQ(Cli("describe mosaic"), 0);
  EXPECT_EQ(Cli("make --help"), 0);
  EXPECT_EQ(Cli("info " + csPic), 0);
  // Whole numbers are decimal: a zero-padded seed is the same seed, a
  // number in another base is refused.
  ASSERT_EQ(Cli("make " + csPic + " mosaic --quiet --seed 010 -o " + tmp.Path("a.bmp")), 0);
  ASSERT_EQ(Cli("make " + csPic + " mosaic --quiet --seed 10 -o " + tmp.Path("b.bmp")), 0);
  EXPECT_EQ(ReadAll(tmp.Path("a.bmp")), ReadAll(tmp.Path("b.bmp")));
  EXPECT_EQ(Cli("make " + csPic + " mosaic --seed 0x10 -o " + tmp.Path("c.bmp"), &csErr), 2);
  EXPECT_THAT(csErr, HasSubstr("--seed: must be a whole number in decimal digits"));
  EXPECT_EQ(Cli("make " + csPic + " mosaic -n 1000001 -o " + tmp.Path("d%d.bmp"), &csErr), 2);
  EXPECT_THAT(csErr, HasSubstr("--count must be 1 to 1000000"));
}

TEST(CliTool, XformNotBuilt) {
  CTempDir tmp;
  const std::string csPic = tmp.Path("pic.bmp");
  ASSERT_EQ(MakeTestPicture(16, 12)->WriteBmpFile(csPic.c_str()), 1);
  const CXformNotBuiltForTests notBuilt(XFORM_WOOD);
  MakeOptions opt;
  opt.m_csPicture = csPic;
  opt.m_csXform = "wood";
  opt.m_csOutput = tmp.Path("b.png");
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunMake(opt), kExitFailure);
  EXPECT_EQ(RunDescribe("wood"), kExitFailure);
  EXPECT_THAT(testing::internal::GetCapturedStderr(),
              HasSubstr("\"Wood\" is not yet available\nvexmora-cli: Xform \"Wood\" is not yet"));
  EXPECT_FALSE(std::filesystem::exists(opt.m_csOutput));
}

TEST(CliTool, MakeReplayAndConvert) {
  CTempDir tmp;
  auto pic = MakeTestPicture(64, 40);
  const std::string csPic = tmp.Path("pic.bmp");
  ASSERT_EQ(pic->WriteBmpFile(csPic.c_str()), 1);
  std::string csErr;
  ASSERT_EQ(Cli("make " + csPic + " clouds --seed 5 --count 2 --jobs 2 --mix left-right:40 -q 2 -o " +
                    tmp.Path("c%d.bmp") + " --save-recipe " + tmp.Path("c%d.json") + " --quiet",
                &csErr),
            0)
      << csErr;
  const std::string c1 = ReadAll(tmp.Path("c1.bmp")), c2 = ReadAll(tmp.Path("c2.bmp"));
  EXPECT_EQ(c1.size(), 54u + 64 * 3 * 40);
  EXPECT_NE(c1, c2);
  // The typed seed is mixed into the engine's, which the recipes keep.
  EXPECT_THAT(ReadAll(tmp.Path("c1.json")),
              HasSubstr("\"seed\": " + std::to_string(EngineSeed(5)) + ","));
  EXPECT_THAT(ReadAll(tmp.Path("c2.json")),
              HasSubstr("\"seed\": " + std::to_string(BatchSeed(EngineSeed(5), 2)) + ","));

  // A recipe replays its own seed and parameters: the same bytes.
  ASSERT_EQ(Cli("make " + csPic + " --recipe " + tmp.Path("c2.json") + " -o " + tmp.Path("r.bmp"),
                &csErr),
            0)
      << csErr;
  EXPECT_EQ(ReadAll(tmp.Path("r.bmp")), c2);
  // Also where the wizard chose a value after validation that validation
  // would change (Op Art's squares below 32 at this seed).
  // (758052351 is a typed seed whose engine seed is 99999.)
  ASSERT_EQ(EngineSeed(758052351), 99999u);
  ASSERT_EQ(Cli("make " + csPic + " op-art --seed 758052351 -o " + tmp.Path("o.bmp") +
                    " --save-recipe " + tmp.Path("o.json"), &csErr), 0) << csErr;
  EXPECT_THAT(ReadAll(tmp.Path("o.json")), HasSubstr("\"squares\": 21"));
  ASSERT_EQ(Cli("make " + csPic + " --recipe " + tmp.Path("o.json") + " -o " + tmp.Path("o2.bmp"),
                &csErr), 0) << csErr;
  EXPECT_EQ(ReadAll(tmp.Path("o2.bmp")), ReadAll(tmp.Path("o.bmp")));
  // The wizard's road and fixed parameters.
  ASSERT_EQ(Cli("make " + csPic + " --wizard --seed 1 -o " + tmp.Path("w.png"), &csErr), 0) << csErr;
  ASSERT_EQ(Cli("make " + csPic + " clouds --set coverage=70 --set high_sky=#102030 --seed 1 -o " +
                    tmp.Path("s.tga") + " --save-recipe " + tmp.Path("s.json"),
                &csErr),
            0)
      << csErr;
  EXPECT_THAT(ReadAll(tmp.Path("s.json")), HasSubstr("\"coverage\": 70"));
  EXPECT_THAT(ReadAll(tmp.Path("s.json")), HasSubstr("\"high_sky\": \"#102030\""));
  ASSERT_EQ(Cli("convert " + tmp.Path("s.tga") + " " + tmp.Path("s.bmp"), &csErr), 0) << csErr;
  auto pBack = CDADC::CBC(OpenImageFile(tmp.Path("s.bmp").c_str(), kImageFromName));
  ASSERT_TRUE(pBack);
  EXPECT_EQ(pBack->m_iWidth, 64);
}
// Hostile recipes and picture files through the tool: a usage error or a
// failure with the reason, never a crash, a success or a long run.
TEST(CliTool, HostileRecipesAndPictures) {
  CTempDir tmp;
  auto pic = MakeTestPicture(64, 40);
  const std::string csPic = tmp.Path("pic.bmp");
  ASSERT_EQ(pic->WriteBmpFile(csPic.c_str()), 1);
  auto recipe = [&](const std::string& csRest) {
    std::ofstream(tmp.Path("r.json")) << "{\"vexmora_recipe\": 1, \"xform\": \"Clouds\"" << csRest
                                      << "}";
    return "make " + csPic + " --recipe " + tmp.Path("r.json") + " -o " + tmp.Path("o.png");
  };
  std::string csErr;
  EXPECT_EQ(Cli(recipe(R"(, "selection": {"hue": 10, "saturation": -2})"), &csErr), 2);
  EXPECT_THAT(csErr, HasSubstr("hue must lie in 0..360"));
  EXPECT_EQ(Cli(recipe(R"(, "parameters": {"detail": 2147483647})"), &csErr), 2);
  EXPECT_THAT(csErr, HasSubstr("detail must lie in 3 .. 6"));
  // A device or a pipe is refused at once; a file too long without reading it all.
  EXPECT_EQ(Cli("make " + csPic + " --recipe /dev/zero -o " + tmp.Path("o.png"), &csErr), 2);
  EXPECT_THAT(csErr, HasSubstr("not a regular file"));
  std::filesystem::resize_file(tmp.Path("r.json"), (1 << 20) + 1);
  EXPECT_EQ(Cli("make " + csPic + " --recipe " + tmp.Path("r.json") + " -o " + tmp.Path("o.png"),
                &csErr),
            2);
  EXPECT_THAT(csErr, HasSubstr("larger than 1 MB"));
  EXPECT_FALSE(std::filesystem::exists(tmp.Path("o.png")));
  // The output's format is known before anything is generated.
  EXPECT_EQ(Cli("make " + csPic + " clouds -q 4 -o " + tmp.Path("o.gif"), &csErr), 2);
  EXPECT_THAT(csErr, HasSubstr("must end in .bmp, .png, .jpg, .tga or .pcx"));
  EXPECT_EQ(Cli("convert " + csPic + " " + tmp.Path("o.jpeg"), &csErr), 2);

  // A JPEG claiming far more pixels than its bytes can hold, and one cut
  // short that still ends in an end-of-image marker.
  ASSERT_EQ(Cli("convert " + csPic + " " + tmp.Path("p.jpg")), 0);
  const std::string csJpeg = ReadAll(tmp.Path("p.jpg"));
  std::string csBomb = csJpeg;
  const std::size_t iSof = csBomb.find("\xFF\xC0");
  ASSERT_NE(iSof, std::string::npos);
  csBomb.replace(iSof + 5, 4, "\x71\x48\x71\x48");  // 29000 x 29000
  std::ofstream(tmp.Path("bomb.jpg"), std::ios::binary) << csBomb;
  std::ofstream(tmp.Path("cut.jpg"), std::ios::binary)
      << csJpeg.substr(0, csJpeg.size() / 2) << "\xFF\xD9";
  for (const char* sz : {"bomb.jpg", "cut.jpg"}) {
    EXPECT_EQ(Cli("make " + tmp.Path(sz) + " clouds -o " + tmp.Path("o.png"), &csErr), 1) << sz;
    EXPECT_THAT(csErr, HasSubstr("corrupt or truncated")) << sz;
  }
  // info answers from the header: the bomb (whose file cannot hold its
  // pixels) is refused, the cut file is described.
  EXPECT_EQ(Cli("info " + tmp.Path("bomb.jpg"), &csErr), 1);
  EXPECT_THAT(csErr, HasSubstr("corrupt or truncated"));
  EXPECT_EQ(Cli("info " + tmp.Path("cut.jpg")), 0);
  // 60 bytes of run-length BMP claiming 30000 x 30000 pixels of one
  // colour, its data ending the bitmap at once.
  std::string csRle("BM\x3C\0\0\0\0\0\0\0\x3A\0\0\0", 14);
  csRle += std::string("\x28\0\0\0\x30\x75\0\0\x30\x75\0\0\x01\0\x08\0\x01\0\0\0", 20);
  csRle += std::string(12, '\0') + std::string("\x01\0\0\0\0\0\0\0", 8);
  csRle += std::string("\0\0\xFF\0\0\x01", 6);
  std::ofstream(tmp.Path("rle.bmp"), std::ios::binary) << csRle;
  EXPECT_EQ(Cli("info " + tmp.Path("rle.bmp"), &csErr), 1);
  EXPECT_THAT(csErr, HasSubstr("corrupt or truncated"));
  EXPECT_EQ(Cli("make " + tmp.Path("rle.bmp") + " clouds -o " + tmp.Path("o.png")), 1);

  // A cut PNG: described from its header, refused when its pixels are read.
  ASSERT_EQ(Cli("convert " + csPic + " " + tmp.Path("p.png")), 0);
  const std::string csPng = ReadAll(tmp.Path("p.png"));
  std::ofstream(tmp.Path("cut.png"), std::ios::binary) << csPng.substr(0, csPng.size() - 30);
  EXPECT_EQ(Cli("info " + tmp.Path("cut.png")), 0);
  EXPECT_EQ(Cli("make " + tmp.Path("cut.png") + " clouds -o " + tmp.Path("o.png")), 1);
}
#endif
