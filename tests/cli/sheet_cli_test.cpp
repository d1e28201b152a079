// vexmora-cli sheet: the ideas of make laid out as one picture, each cell the
// full-size idea reduced, and its saved sequence renders any cell at full size.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/cli_run.h"
#include "engine/contact_sheet.h"
#include "imaging/image_files.h"
#include "support/surface_digest.h"
#include "xforms/test_pictures.h"

using ::testing::HasSubstr;

#ifdef VX_CLI_PATH
namespace {

// Cell i of a sheet laid out as MakeContactSheet lays it (margin 8).
std::unique_ptr<CDADC> CellOf(const CDADC& sheet, int i, int iColumns, int w, int h,
                              int iStepY) {
  auto pCell = std::make_unique<CDADC>(w, h);
  pCell->m_pDC->BitBlt(0, 0, w, h, *sheet.m_pDC, 8 + (i % iColumns) * (w + 8),
                       8 + (i / iColumns) * iStepY, SRCCOPY);
  return pCell;
}

}  // namespace

TEST(CliSheet, CellsAreTheIdeasOfMakeAndTheSequenceRendersThem) {
  CTempDir tmp;
  const std::string csPic = tmp.Path("pic.bmp");
  ASSERT_EQ(MakeTestPicture(96, 64)->WriteBmpFile(csPic.c_str()), 1);
  std::string csErr;
  ASSERT_EQ(Cli("sheet " + csPic + " --wizard --seed 5 --count 5 --columns 3 --cell-width 48 -o " +
                    tmp.Path("sheet.png") + " --save-sequence " + tmp.Path("s.vxseq") + " --jobs 2",
                &csErr),
            0)
      << csErr;
  EXPECT_THAT(csErr, HasSubstr("idea 5: "));
  ASSERT_EQ(Cli("make " + csPic + " --wizard --seed 5 --count 5 --quiet -o " + tmp.Path("m%d.bmp"),
                &csErr),
            0)
      << csErr;
  std::unique_ptr<CDADC> pSheet = OpenImageSurface(tmp.Path("sheet.png").c_str(), kImageFromName);
  ASSERT_TRUE(pSheet);
  EXPECT_EQ(pSheet->m_iWidth, 8 + 3 * (48 + 8));
  const int iStepY = (pSheet->m_iHeight - 8) / 2;  // two rows
  for (int i = 0; i < 5; ++i) {
    const std::string csIdea = tmp.Path("m" + std::to_string(i + 1) + ".bmp");
    std::unique_ptr<CDADC> pIdea = OpenImageSurface(csIdea.c_str(), kImageFromName);
    ASSERT_TRUE(pIdea);
    EXPECT_EQ(SurfaceDigest(*CellOf(*pSheet, i, 3, 48, 32, iStepY)),
              SurfaceDigest(*ResampledCopy(*pIdea, 48, 32)))
        << "cell " << i + 1 << " is make's idea reduced";
  }
  // Any cell at full size from the saved sequence, byte for byte make's idea.
  ASSERT_EQ(Cli("render " + tmp.Path("s.vxseq") + " --ideas 4 --quiet -o " + tmp.Path("r.bmp"),
                &csErr),
            0)
      << csErr;
  EXPECT_EQ(ReadAll(tmp.Path("r.bmp")), ReadAll(tmp.Path("m4.bmp")));

  // Refusals name the option.
  EXPECT_EQ(Cli("sheet " + csPic + " --count 3", &csErr), 2);
  EXPECT_THAT(csErr, HasSubstr("name an Xform, or give --wizard"));
  EXPECT_EQ(Cli("sheet " + csPic + " mosaic --cell-width 8", &csErr), 2);
  EXPECT_THAT(csErr, HasSubstr("--cell-width must be 16 to 4096"));
  EXPECT_EQ(Cli("sheet " + csPic + " mosaic -o " + tmp.Path("x.txt"), &csErr), 2);
  // A sheet larger than a picture may be is refused before any idea is made.
  EXPECT_EQ(Cli("sheet " + csPic + " mosaic -n 100 --columns 1 --cell-width 4096 -o " +
                    tmp.Path("tall.png"),
                &csErr),
            2);
  EXPECT_THAT(csErr, HasSubstr("the sheet would be 4112 x "));
  EXPECT_THAT(csErr, ::testing::Not(HasSubstr("idea 1")));
  // An idea its Xform refuses is a grey cell, with the reason make gives.
  auto pFlat = std::make_unique<CDADC>(40, 30);
  pFlat->m_pDC->FillSolidRect(0, 0, 40, 30, RGB(200, 30, 30));
  ASSERT_EQ(pFlat->WriteBmpFile(tmp.Path("flat.bmp").c_str()), 1);
  EXPECT_EQ(Cli("sheet " + tmp.Path("flat.bmp") + " \"marilyn warhol\" -n 1 -o " +
                    tmp.Path("flat.png"),
                &csErr),
            1);
  EXPECT_THAT(csErr, HasSubstr("idea 1 could not be made: Marilyn Warhol: "));
}
#endif
