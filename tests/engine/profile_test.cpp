#include "engine/profile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/recording_reporter.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

TEST(Profile, ReadsHandWrittenFilesWithoutRegardToCaseOrBlanks) {
  CProfile profile;
  profile.Parse(
      "\xEF\xBB\xBF; settings by hand\r\n"
      "  [ directories ]  \r\n"
      "  main =  /home/me/VEXMO  \r\n"
      "Initial_Bmp_Dir=\"  /pics with spaces  \"\r\n"
      "\r\n"
      "[General]\n"
      "readext=  4\n"
      "saveext=\n"
      "# no entry here\n"
      "[GENERAL]\n"
      "PREFD_FILTR=7\n"
      "[LastFiles]\n"
      "mro1='/a/b.jpg'\n");
  EXPECT_EQ(profile.GetProfileString("DIRECTORIES", "MAIN", "x"), "/home/me/VEXMO");
  EXPECT_EQ(profile.GetProfileString("DIRECTORIES", "INITIAL_BMP_DIR", "x"),
            "  /pics with spaces  ");
  EXPECT_EQ(profile.GetProfileInt("GENERAL", "READEXT", 2), 4);
  // An entry without a value gives the default for numbers and "" for text.
  EXPECT_EQ(profile.GetProfileInt("GENERAL", "SAVEEXT", 2), 2);
  EXPECT_EQ(profile.GetProfileString("GENERAL", "SAVEEXT", "x"), "");
  // A second section of the same name is searched too.
  EXPECT_EQ(profile.GetProfileInt("general", "prefd_filtr", 14), 7);
  EXPECT_EQ(profile.GetProfileString("LASTFILES", "MRO1", ""), "/a/b.jpg");
  EXPECT_EQ(profile.GetProfileString("LASTFILES", "MRO2", "none"), "none");
  EXPECT_EQ(profile.GetProfileString("Tip", "StartUp", "none"), "none");
  EXPECT_EQ(profile.GetProfileString("GENERAL", "# no entry here", "none"), "none");

  // Numbers read like the classic profile functions: the leading digits count.
  profile.Parse("[N]\na=12abc\nb=abc\nc= -3\ne=99999999999\nf=-99999999999\n");
  EXPECT_EQ(std::vector<int>({profile.GetProfileInt("N", "a", 5), profile.GetProfileInt("N", "b", 5),
                              profile.GetProfileInt("N", "c", 5), profile.GetProfileInt("N", "e", 5),
                              profile.GetProfileInt("N", "f", 5), profile.GetProfileInt("N", "g", 5)}),
            std::vector<int>({12, 0, -3, 2147483647, -2147483647 - 1, 5}));
}

TEST(Profile, WritesInPlaceAppendsKeysAndSectionsAndKeepsTheRest) {
  CProfile profile;
  profile.Parse("; mine\n[Tip]\nStartUp=1\n\n[general]\nreadext=3\n; keep me\n\n");
  EXPECT_EQ(profile.WriteProfileInt("GENERAL", "READEXT", 0), 1);
  EXPECT_EQ(profile.WriteProfileInt("GENERAL", "SAVEEXT", 4), 1);
  EXPECT_EQ(profile.WriteProfileString("LASTFILES", "MRO1", ""), 1);
  EXPECT_EQ(profile.WriteProfileString("LASTFILES", "MRO2", "/x y/z.png"), 1);
  EXPECT_EQ(profile.Text(),
            "; mine\n[Tip]\nStartUp=1\n\n[general]\nreadext=0\n; keep me\nSAVEEXT=4\n\n"
            "[LASTFILES]\nMRO1=\nMRO2=/x y/z.png\n");
}

TEST(Profile, ValuesReadBackUnchangedThroughTheFile) {
  CTempDir temp;
  const std::string csPath = temp.Path("deeper/vexmora.ini");
  const char* aValues[] = {"plain", " leading", "trailing ", "\"quoted\"", "'single'",
                           "a=b;c#d", "[not a section]", "\"half"};
  CProfile written;
  for (int i = 0; i < 8; ++i)
    ASSERT_EQ(written.WriteProfileString("S", ("K" + std::to_string(i)).c_str(), aValues[i]), 1);
  ASSERT_EQ(written.Save(csPath), 1);
  EXPECT_EQ(std::distance(fs::directory_iterator(temp.Path("deeper")), {}), 1);
  // Kept elsewhere behind a link, the file stays there and keeps its permissions.
  const std::string csMine = temp.Path("mine.ini");
  fs::rename(csPath, csMine);
  fs::permissions(csMine, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink(csMine, csPath);
  ASSERT_EQ(written.Save(csPath), 1);
  EXPECT_TRUE(fs::is_symlink(csPath));
  EXPECT_EQ(fs::status(csMine).permissions(), fs::perms::owner_read | fs::perms::owner_write);

  CProfile read;
  ASSERT_EQ(read.Load(csPath), 1);
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(read.GetProfileString("s", ("k" + std::to_string(i)).c_str(), "?"), aValues[i]);
  EXPECT_EQ(read.Text(), written.Text());  // line for line as written
}

TEST(Profile, RefusesWhatWouldBreakTheFileAndReportsFailedSaves) {
  CProfile profile;
  EXPECT_EQ(profile.WriteProfileString("S", "K", "two\nlines"), 0);
  EXPECT_EQ(profile.WriteProfileString("S]x", "K", "v"), 0);
  EXPECT_EQ(profile.WriteProfileString("S", "K=1", "v"), 0);
  EXPECT_EQ(profile.WriteProfileString("S", " ", "v"), 0);
  EXPECT_EQ(profile.WriteProfileString("S", "K", nullptr), 0);
  EXPECT_EQ(profile.Text(), "");

  // A missing file is an empty profile; a path through a file cannot be saved.
  EXPECT_EQ(profile.Load("/nonexistent/vexmora.ini"), 1);
  CTempDir temp;
  const std::string csFile = temp.Path("plain_file");
  std::ofstream(csFile) << "x";
  EXPECT_EQ(profile.Save(csFile + "/vexmora.ini"), 0);
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{"Could not write settings file\n<" +
                                                     csFile + "/vexmora.ini>"});
}

}  // namespace
