// vexmora-cli: image ideas from the command line, with the same engine as the
// desktop program. See docs/cli.md.
#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/commands.h"
#include "imaging/packed_dib.h"
#include "platform/data_dir.h"

#ifndef VX_VERSION
#define VX_VERSION "unknown"
#endif

namespace {

// Whole numbers on the command line are decimal whatever their leading
// zeros ("010" is ten, as a script's zero-padded counter means, not eight);
// "0x10" and the like are refused. A sign may lead.
std::string DecimalText(std::string& cs) {
  const std::size_t iDigits = !cs.empty() && (cs[0] == '-' || cs[0] == '+') ? 1 : 0;
  if (iDigits == cs.size() || cs.find_first_not_of("0123456789", iDigits) != std::string::npos)
    return "must be a whole number in decimal digits, not \"" + cs + "\"";
  const std::size_t iFirst = cs.find_first_not_of('0', iDigits);
  cs.erase(iDigits, (iFirst == std::string::npos ? cs.size() - 1 : iFirst) - iDigits);
  return {};
}
const CLI::Validator kDecimal(DecimalText, "DECIMAL");

// "vexmora-cli 4.0.0" and the data folder in use, or where it was looked for.
std::string VersionText() {
  const DataDirSearch& data = DataDir();
  std::string csText = "vexmora-cli " VX_VERSION "\ndata: ";
  if (!data.m_csDir.empty()) return csText + data.m_csDir;
  csText += "not found; looked in:";
  for (const std::string& csDir : data.m_aTried) csText += "\n  " + csDir;
  return csText;
}

// Text is drawn with the shipped fonts only: without the data folder, or
// with a font that fails its check, an idea would fail or differ from the
// same recipe made elsewhere. A run that will surely draw text (a sheet's
// captions) checks the fonts whole at once; make and render check the list
// here and each font whole before their first text (an idea that draws text
// then fails naming the font), so that other Xforms do not pay for it.
bool ShippedDataReady(bool bDrawsText) {
  std::string csError;
  if (DataDir().m_csDir.empty())
    csError = DataDirMissingMessage(DataDir());
  else if (bDrawsText ? CheckShippedFonts(csError) : ShippedFontsListed(csError))
    return true;
  std::cerr << "vexmora-cli: " << csError << "\n";
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"vexmora-cli: turn a picture into image ideas"};
  app.require_subcommand(1);
  app.set_version_flag("--version", VersionText, "Print the version and the data folder in use");
  // Before or after the subcommand.
  app.fallthrough();
  long long iMaxPixels = kDefaultMaxPicturePixels;
  CLI::Option* pMaxPixels = app.add_option("--max-pixels", iMaxPixels,
      "Largest picture read, in pixels (default 100000000; 1..500000000)")
      ->transform(kDecimal);

  MakeOptions make;
  long long iSeed = 0;
  std::string csQuality, csMix, csMixSelect, csSelect;
  CLI::App* pMake = app.add_subcommand("make", "Make one or more image ideas from a picture");
  pMake->add_option("picture", make.m_csPicture, "The picture (BMP, TGA, JPG, PCX or PNG)")
      ->required();
  pMake->add_option("xform", make.m_csXform, "The Xform by catalogue name (e.g. mosaic, \"fallen leaves\")");
  pMake->add_flag("-w,--wizard", make.m_bWizard, "Wizard chooses all: a random Xform, mix and parameters");
  CLI::Option* pSeed = pMake->add_option("-s,--seed", iSeed,
      "Random seed of the first idea, 0..4294967295 (mixed into the engine's seed; the next "
      "ideas' seeds are mixed from it)")
      ->transform(kDecimal);
  CLI::Option* pQuality = pMake->add_option("-q,--quality", csQuality, "Image quality (oversampling): 1, 2 or 4");
  CLI::Option* pMix = pMake->add_option("-m,--mix", csMix,
      "Mix with the original: MODE[:PERCENT], MODE one of off, even, left-right, top-bottom, "
      "right-left, bottom-top, circle-out, circle-in, ellipse-out, ellipse-in, hsv");
  CLI::Option* pMixSelect = pMake->add_option("--mix-select", csMixSelect,
      "Colour selection of the hsv mix: HUE,SAT,VAL[,invert][,smooth=N]");
  CLI::Option* pSelect = pMake->add_option("--select", csSelect,
      "Area selection the Xform follows: HUE,SAT,VAL[,invert][,smooth=N]");
  pMake->add_option("--set", make.m_aSet, "A parameter of the Xform: NAME=VALUE (see describe)")
      ->allow_extra_args(false);
  pMake->add_option("-n,--count", make.m_iCount, "Number of ideas")
      ->transform(kDecimal);
  pMake->add_option("-j,--jobs", make.m_iJobs, "Ideas made at once")
      ->transform(kDecimal);
  pMake->add_option("-o,--output", make.m_csOutput,
      "Output picture; its extension chooses the format; %d is the idea number");
  pMake->add_option("-r,--recipe", make.m_csRecipe, "Replay a recipe (JSON) with its own seed and parameters");
  pMake->add_option("--save-recipe", make.m_csSaveRecipe, "Write each idea's recipe (JSON); %d is the idea number");
  pMake->add_option("--save-sequence", make.m_csSaveSequence,
      "Write every idea of the run as one sequence file (.vxseq), for render");
  pMake->add_flag("--quiet", make.m_bQuiet, "No progress output");

  RenderOptions render;
  std::string csIdeas, csRenderQuality;
  CLI::App* pRender = app.add_subcommand("render", "Make ideas of a sequence file (.vxseq) again");
  pRender->add_option("sequence", render.m_csSequence, "The sequence file")->required();
  CLI::Option* pIdeas = pRender->add_option("-i,--ideas", csIdeas,
      "The ideas to make, e.g. 1,3,5-9 (default: all)");
  CLI::Option* pRenderQuality = pRender->add_option("-q,--quality", csRenderQuality,
      "Image quality 1, 2 or 4 for every idea (default: each idea's own)");
  pRender->add_option("-o,--output", render.m_csOutput,
      "Output picture; its extension chooses the format; %d is the idea number "
      "(default: <sequence name>_idea%d.png)");
  pRender->add_option("-j,--jobs", render.m_iJobs, "Ideas made at once")
      ->transform(kDecimal);
  pRender->add_flag("--quiet", render.m_bQuiet, "No progress output");

  SheetOptions sheet;
  long long iSheetSeed = 0;
  int iColumns = 0, iSheetJobs = 0;
  std::string csSheetQuality;
  CLI::App* pSheet = app.add_subcommand(
      "sheet", "Many ideas at a glance: one picture of ideas, a caption under each");
  pSheet->add_option("picture", sheet.m_csPicture, "The picture (BMP, TGA, JPG, PCX or PNG)")
      ->required();
  pSheet->add_option("xform", sheet.m_csXform, "Variations of this Xform (by catalogue name)");
  pSheet->add_flag("-w,--wizard", sheet.m_bWizard,
                   "Wizard chooses all: a random Xform, mix and parameters for every idea");
  pSheet->add_option("-n,--count", sheet.m_iCount, "Number of ideas, 1 to 100 (default 9)")
      ->transform(kDecimal);
  CLI::Option* pSheetSeed = pSheet->add_option("-s,--seed", iSheetSeed,
      "Seed of the first idea, as for make (the same ideas as make with this seed)")
      ->transform(kDecimal);
  CLI::Option* pColumns =
      pSheet->add_option("--columns", iColumns, "Cells in a row (default: a square)")
      ->transform(kDecimal);
  pSheet->add_option("--cell-width", sheet.m_iCellWidth,
                     "Width of a cell in pixels, 16 to 4096 (default 240)")
      ->transform(kDecimal);
  CLI::Option* pSheetQuality = pSheet->add_option("-q,--quality", csSheetQuality,
      "Image quality (oversampling) of the ideas: 1, 2 or 4");
  pSheet->add_option("-o,--output", sheet.m_csOutput,
      "The sheet; its extension chooses the format (default: <picture>_sheet.png)");
  pSheet->add_option("--save-sequence", sheet.m_csSaveSequence,
      "Write the ideas' recipes as a sequence file: render --ideas K makes cell K at full size");
  CLI::Option* pSheetJobs = pSheet->add_option("-j,--jobs", iSheetJobs,
      "Ideas made at once (default: as many as the cores and the memory allow)")
      ->transform(kDecimal);
  pSheet->add_flag("--quiet", sheet.m_bQuiet, "No progress output");

  std::string csIn, csOut;
  CLI::App* pConvert = app.add_subcommand("convert", "Convert a picture to another format");
  pConvert->add_option("in", csIn, "Picture to read")->required();
  pConvert->add_option("out", csOut, "Picture to write; its extension chooses the format")->required();

  std::string csInfo;
  CLI::App* pInfo = app.add_subcommand("info", "Size, format and depth of a picture file");
  pInfo->add_option("picture", csInfo, "The picture")->required();

  CLI::App* pList = app.add_subcommand("list", "The catalogue of Xforms");

  std::string csDescribe;
  CLI::App* pDescribe = app.add_subcommand("describe", "The parameters of an Xform");
  pDescribe->add_option("xform", csDescribe, "The Xform by catalogue name")->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kExitUsage;
  }

  if (*pMaxPixels && !SetMaxPicturePixels(iMaxPixels)) {
    std::cerr << "vexmora-cli: --max-pixels must be a whole number from 1 to "
              << kMaxPicturePixels << "\n";
    return kExitUsage;
  }
  if (pMake->parsed()) {
    if (*pSeed) make.m_iSeed = iSeed;
    if (*pQuality) make.m_csQuality = csQuality;
    if (*pMix) make.m_csMix = csMix;
    if (*pMixSelect) make.m_csMixSelect = csMixSelect;
    if (*pSelect) make.m_csSelect = csSelect;
    if (!ShippedDataReady(false)) return kExitFailure;
    InstallInterruptHandler();
    return RunMake(make);
  }
  if (pRender->parsed()) {
    if (*pIdeas) render.m_csIdeas = csIdeas;
    if (*pRenderQuality) render.m_csQuality = csRenderQuality;
    if (!ShippedDataReady(false)) return kExitFailure;
    InstallInterruptHandler();
    return RunRender(render);
  }
  if (pSheet->parsed()) {
    if (*pSheetSeed) sheet.m_iSeed = iSheetSeed;
    if (*pSheetQuality) sheet.m_csQuality = csSheetQuality;
    if (*pColumns) sheet.m_iColumns = iColumns;
    if (*pSheetJobs) sheet.m_iJobs = iSheetJobs;
    if (!ShippedDataReady(true)) return kExitFailure;
    InstallInterruptHandler();
    return RunSheet(sheet);
  }
  if (pConvert->parsed()) return RunConvert(csIn, csOut);
  if (pInfo->parsed()) return RunInfo(csInfo);
  if (pList->parsed()) return RunList();
  if (pDescribe->parsed()) return RunDescribe(csDescribe);
  return kExitUsage;
}
