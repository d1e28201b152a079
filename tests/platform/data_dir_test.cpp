#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/data_dir.h"
#include "support/temp_dir.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

// A data folder as the install lays it out: the fonts are what marks it.
std::string MakeDataDir(const std::filesystem::path& dir) {
  std::filesystem::create_directories(dir / "fonts");
  std::ofstream(dir / "fonts" / "LiberationSans-Regular.ttf") << "face";
  return std::filesystem::canonical(dir).string();
}

}  // namespace

TEST(DataDir, SearchOrderAndReach) {
  CTempDir tmp;
  const auto root = std::filesystem::canonical(tmp.Dir());
  const std::string csInstalled = MakeDataDir(root / "prefix" / "share" / "vexmora");
  const std::string csSource = MakeDataDir(root / "src" / "resources");
  const std::string csOther = MakeDataDir(root / "elsewhere");
  std::filesystem::create_directories(root / "prefix" / "bin");
  std::filesystem::create_directories(root / "build" / "src" / "cli");

  DataDirInputs in;
  in.m_csProgram = (root / "prefix" / "bin" / "vexmora-cli").string();
  in.m_csBuildTree = (root / "build").string();
  in.m_csBuildData = csSource;
  // Installed: beside the program, even though the build tree's data exists.
  EXPECT_EQ(FindDataDir(in).m_csDir, csInstalled);

  // Run from the build tree: its own data.
  in.m_csProgram = (root / "build" / "src" / "cli" / "vexmora-cli").string();
  EXPECT_EQ(FindDataDir(in).m_csDir, csSource);

  // Copied out of the build tree (a sibling whose name merely begins the
  // same): never the build's data, and the message names where it looked.
  std::filesystem::create_directories(root / "build2" / "bin");
  in.m_csProgram = (root / "build2" / "bin" / "vexmora-cli").string();
  const DataDirSearch lost = FindDataDir(in);
  EXPECT_EQ(lost.m_csDir, "");
  EXPECT_THAT(lost.m_aTried, ElementsAre((root / "build2" / "share" / "vexmora").string()));
  EXPECT_THAT(DataDirMissingMessage(lost), HasSubstr((root / "build2" / "share" / "vexmora").string()));
  EXPECT_THAT(DataDirMissingMessage(lost), HasSubstr(kDataDirVariable));

  // The override wins over everything and, when wrong, is not replaced.
  in.m_csProgram = (root / "prefix" / "bin" / "vexmora-cli").string();
  const std::string csOverride = csOther + "/../elsewhere";
  in.m_szOverride = csOverride.c_str();
  EXPECT_EQ(FindDataDir(in).m_csDir, csOther);
  const std::string csWrong = (root / "prefix").string();
  in.m_szOverride = csWrong.c_str();
  const DataDirSearch wrong = FindDataDir(in);
  EXPECT_EQ(wrong.m_csDir, "");
  EXPECT_THAT(wrong.m_aTried, ElementsAre(csWrong));
}

TEST(DataDir, ThisProgramUsesTheBuildTreesData) {
  // The test program runs inside its build tree and no variable is set by ctest.
  if (std::getenv(kDataDirVariable)) GTEST_SKIP() << kDataDirVariable << " is set";
  EXPECT_EQ(DataDir().m_csDir, std::filesystem::canonical(VX_RESOURCE_DIR).string());
}

// The fonts are checked against the list shipped with them: a font that is
// missing or damaged is an error naming its file, never a quiet swap.
TEST(DataDir, ShippedFontsAreCheckedAgainstTheirList) {
  EXPECT_EQ(Sha256Hex("abc", 3), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex("", 0), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  const std::string csMillion(1000000, 'a');  // whole blocks straight from the input
  EXPECT_EQ(Sha256Hex(csMillion.data(), csMillion.size()),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  std::vector<std::string> aFiles;
  std::string csError;
  ASSERT_TRUE(CheckFontsIn(VX_RESOURCE_DIR, aFiles, csError)) << csError;
  EXPECT_EQ(aFiles.size(), 12u);
  EXPECT_TRUE(CheckShippedFonts(csError)) << csError;

  CTempDir tmp;
  const std::string csDir = tmp.Dir().string();
  const auto fonts = tmp.Dir() / "fonts";
  EXPECT_FALSE(CheckFontsIn(csDir, aFiles, csError));
  EXPECT_THAT(csError, HasSubstr((fonts / kFontSumsFile).string()));
  MakeDataDir(tmp.Dir());
  std::ofstream(fonts / "Other.ttf") << "other";
  std::ofstream(fonts / kFontSumsFile)
      << Sha256Hex("face", 4) << "  LiberationSans-Regular.ttf\n"
      << Sha256Hex("other", 5) << "  Other.ttf\n";
  ASSERT_TRUE(CheckFontsIn(csDir, aFiles, csError)) << csError;
  EXPECT_THAT(aFiles, ElementsAre((fonts / "LiberationSans-Regular.ttf").string(),
                                  (fonts / "Other.ttf").string()));
  std::ofstream(fonts / "Other.ttf") << "0ther";
  EXPECT_FALSE(CheckFontsIn(csDir, aFiles, csError));
  EXPECT_THAT(csError, HasSubstr("damaged"));
  EXPECT_THAT(csError, HasSubstr((fonts / "Other.ttf").string()));
  EXPECT_TRUE(aFiles.empty());
  std::filesystem::remove(fonts / "Other.ttf");
  EXPECT_FALSE(CheckFontsIn(csDir, aFiles, csError));
  EXPECT_THAT(csError, HasSubstr("missing: " + (fonts / "Other.ttf").string()));
}
