#include "engine/app_state.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "imaging/constants.h"
#include "imaging/packed_dib.h"
#include "support/recording_reporter.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

std::string ReadAll(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

void Touch(const fs::path& path) { std::ofstream(path) << "x"; }

// A home directory of its own for each test, started in its "work" folder.
class AppStateTest : public testing::Test {
 protected:
  AppStateTest() {
    fs::create_directories(m_home / "work");
    m_paths.m_csHome = m_home.string();
    m_paths.m_csWorkingDir = (m_home / "work").string();
  }

  fs::path ProfileFile() const { return m_home / ".config/vexmora/vexmora.ini"; }
  void WriteProfile(const std::string& csText) {
    fs::create_directories(ProfileFile().parent_path());
    std::ofstream(ProfileFile(), std::ios::binary) << csText;
  }

  CTempDir m_temp;
  fs::path m_home = m_temp.Dir();
  CUserPaths m_paths;
};

TEST_F(AppStateTest, SettingsAreWrittenInOrderAndReadBackTheSame) {
  CAppState app(m_paths);
  app.ReadSettings();
  app.AddRecent("/p/one.jpg");
  ASSERT_EQ(app.WriteSettings(), 1);
  EXPECT_EQ(ReadAll(ProfileFile()),
            "[DIRECTORIES]\nMAIN=" + m_paths.m_csHome + "/.local/share/vexmora\nINITIAL_BMP_DIR=" +
                m_paths.m_csHome +
                "\n\n[GENERAL]\nPREFD_FILTR=14\nSAVEEXT=2\nREADEXT=2\n\n"
                "[LASTFILES]\nMRO1=/p/one.jpg\nMRO2=\nMRO3=\nMRO4=\n");

  app.m_csMainDir = "/srv/ideas dir";
  app.m_csInitialDir = " /odd/";
  app.m_iReadExt = 4;
  app.m_iSaveExt = 0;
  app.m_iPrefXform = 28;  // the Null Xform is a valid choice
  for (const char* szPath : {"/b.tga", "/c.jpg", "/d.pcx"}) app.AddRecent(szPath);
  ASSERT_EQ(app.WriteSettings(), 1);
  CAppState again(m_paths);
  again.ReadSettings();
  EXPECT_EQ(again.m_csMainDir, app.m_csMainDir);
  EXPECT_EQ(again.m_csInitialDir, app.m_csInitialDir);
  EXPECT_EQ(std::vector<int>({again.m_iReadExt, again.m_iSaveExt, again.m_iPrefXform}),
            std::vector<int>({4, 0, 28}));
  EXPECT_EQ(again.m_aRecent, app.m_aRecent);
}

TEST_F(AppStateTest, HandWrittenSettingsGetDefaultsAndCorrections) {
  WriteProfile(
      "; written by hand\n[ Tip ]\nstartup = 1\n\n"
      "[directories]\n  main = c:\\  \n  initial_bmp_dir = ~/pics\n\n"
      "[ General ]\n ReadExt = 7 \nprefd_filtr=99\n\n"
      "[lastfiles]\nmro2 = /pics/cat.png\n");
  CAppState app(m_paths);
  app.ReadSettings();
  EXPECT_EQ(app.m_csMainDir, m_paths.m_csHome + "/VEXMO");  // a bare drive root
  EXPECT_EQ(app.m_csInitialDir, m_paths.m_csHome + "/pics");
  EXPECT_EQ(app.m_iReadExt, 0);     // outside 0..4
  EXPECT_EQ(app.m_iSaveExt, 2);     // absent
  EXPECT_EQ(app.m_iPrefXform, 14);  // no such Xform
  EXPECT_EQ(app.m_aRecent, (std::array<std::string, 4>{"", "/pics/cat.png", "", ""}));
  EXPECT_EQ(app.TipStartUp(), 1);

  // Writing back keeps the comment, the tip's section and existing spellings.
  ASSERT_EQ(app.WriteSettings(), 1);
  EXPECT_EQ(ReadAll(ProfileFile()),
            "; written by hand\n[ Tip ]\nstartup = 1\n\n[directories]\nmain=" + app.m_csMainDir +
                "\ninitial_bmp_dir=" + app.m_csInitialDir +
                "\n\n[ General ]\nReadExt=0\nprefd_filtr=14\nSAVEEXT=2\n\n"
                "[lastfiles]\nmro2=/pics/cat.png\nMRO1=\nMRO3=\nMRO4=\n");

  // The bound of reading pictures, read (not written back); out of range is absent.
  WriteProfile("[GENERAL]\nMAX_PIXELS=5000\n");
  app.ReadSettings();
  EXPECT_EQ(MaxPicturePixels(), 5000);
  WriteProfile("[GENERAL]\nMAX_PIXELS=0\n");
  app.ReadSettings();
  EXPECT_EQ(MaxPicturePixels(), kDefaultMaxPicturePixels);
}

TEST_F(AppStateTest, ProfileLivesUnderTheConfigurationDirectory) {
  EXPECT_EQ(CAppState(m_paths).ProfilePath(), m_paths.m_csHome + "/.config/vexmora/vexmora.ini");
  setenv("XDG_CONFIG_HOME", "relative/is/ignored", 1);
  EXPECT_EQ(CUserPaths::FromEnvironment().m_csConfigHome, "");
  setenv("XDG_CONFIG_HOME", "/abs/conf", 1);
  EXPECT_EQ(CAppState(CUserPaths::FromEnvironment()).ProfilePath(), "/abs/conf/vexmora/vexmora.ini");
  unsetenv("XDG_CONFIG_HOME");
}

TEST_F(AppStateTest, WithoutAStoredMainDirectoryTheUsersDataAndCacheFoldersAreUsed) {
  m_paths.m_csDataHome = m_paths.m_csHome + "/data";
  m_paths.m_csCacheHome = m_paths.m_csHome + "/cache";
  CAppState app(m_paths);
  ASSERT_TRUE(app.StartUp(false));
  EXPECT_EQ(app.m_csMainDir, m_paths.m_csHome + "/data/vexmora");
  EXPECT_TRUE(fs::is_directory(app.m_csMainDir));
  EXPECT_EQ(app.TempDir(), m_paths.m_csHome + "/cache/vexmora/VEXMOTEMP");
  EXPECT_TRUE(fs::is_directory(app.TempDir()));
  EXPECT_FALSE(fs::exists(m_home / "work/VEXMOTEMP"));
  // Written back, the default stays the default: the cache stays put.
  app.Exit(false);
  CAppState again(m_paths);
  ASSERT_TRUE(again.StartUp(false));
  EXPECT_EQ(again.TempDir(), app.TempDir());
  // A cache folder linked to a folder of the user's, which could never be
  // cleared, gives way to one in the main directory; the user's files stay.
  fs::remove(app.TempDir());
  fs::create_directories(m_home / "Pictures");
  Touch(m_home / "Pictures/mine.TMP");
  fs::create_directory_symlink(m_home / "Pictures", app.TempDir());
  CAppState linked(m_paths);
  ASSERT_TRUE(linked.StartUp(false));
  EXPECT_EQ(linked.TempDir(), m_paths.m_csHome + "/data/vexmora/VEXMOTEMP");
  EXPECT_TRUE(fs::exists(m_home / "Pictures/mine.TMP"));
  EXPECT_TRUE(TakeMessages().empty());
  // A main directory of the user's own keeps the cache beside it.
  WriteProfile("[DIRECTORIES]\nMAIN=" + m_paths.m_csWorkingDir + "\n");
  CAppState own(m_paths);
  ASSERT_TRUE(own.StartUp(false));
  EXPECT_EQ(own.m_csMainDir, m_paths.m_csWorkingDir);
  EXPECT_EQ(own.TempDir(), m_paths.m_csWorkingDir + "/VEXMOTEMP");
  EXPECT_TRUE(TakeMessages().empty());
  setenv("XDG_CACHE_HOME", "/abs/cache", 1);
  EXPECT_EQ(CUserPaths::FromEnvironment().m_csCacheHome, "/abs/cache");
  unsetenv("XDG_CACHE_HOME");
}

TEST_F(AppStateTest, SetupDirectoriesFallsBackAndReportsWhatItCannotMake) {
  // A missing main directory falls back to Vexmo4 in the user's data folder.
  CAppState app(m_paths);
  app.m_csMainDir = m_paths.m_csHome + "/VEXMO";
  app.SetupDirectories();
  const std::string csFallback = m_paths.m_csHome + "/.local/share/Vexmo4";
  EXPECT_EQ(app.m_csMainDir, csFallback);
  EXPECT_TRUE(fs::is_directory(csFallback + "/VEXMOTEMP"));
  EXPECT_EQ(app.TempDir(), csFallback + "/VEXMOTEMP");
  EXPECT_EQ(TakeMessages(), Texts{"Directory <" + m_paths.m_csHome + "/VEXMO> not found.\nUsing <" +
                                  csFallback + "> as\nmain Vexmora directory"});

  const std::string csSupport = "\nPlease contact Vexmora technical support.";
  CUserPaths paths = m_paths;
  paths.m_csHome.clear();
  CAppState homeless(paths);
  homeless.m_csMainDir = "/nonexistent/main";
  homeless.SetupDirectories();
  EXPECT_EQ(homeless.TempDir(), "");
  paths.m_csDataHome = m_paths.m_csHome + "/plainfile/share";
  Touch(m_home / "plainfile");
  CAppState blocked(paths);
  blocked.m_csMainDir = "/nonexistent/main";
  blocked.SetupDirectories();
  EXPECT_EQ(blocked.m_csMainDir, "/nonexistent/main");
  Touch(m_home / "work/VEXMOTEMP");  // a file where the cache directory should be
  CAppState cacheless(m_paths);
  cacheless.m_csMainDir = m_paths.m_csWorkingDir;
  cacheless.SetupDirectories();
  EXPECT_EQ(TakeMessages(),
            (Texts{"Could not find special programs folder" + csSupport,
                   "Could not find programs folder, IDList" + csSupport,
                   "Could not create temporary\ndirectory <" + m_paths.m_csWorkingDir +
                       "/VEXMOTEMP>."}));
}

TEST_F(AppStateTest, ClearingNeverDeletesOutsideTheCacheDirectory) {
  CAppState app(m_paths);
  app.m_csMainDir = m_paths.m_csWorkingDir;
  Touch(m_home / "work/precious.TMP");
  Touch(m_home / "keep.TMP");
  fs::create_directories(m_home / "other");
  Touch(m_home / "other/also.TMP");
  fs::create_directory_symlink(m_home / "other", m_home / "VEXMOTEMP");
  for (const char* szDir : {"", "/nonexistent/VEXMOTEMP"}) {
    app.m_Cache.SetDirectory(szDir);
    EXPECT_EQ(app.ClearCacheDirectory("*.*"), 0);
  }
  EXPECT_TRUE(TakeMessages().empty());

  fs::create_directory(m_home / "work/VEXMOTEMP");
  const std::string aRefused[] = {"/", m_paths.m_csWorkingDir, m_paths.m_csWorkingDir + "/",
                                  m_paths.m_csWorkingDir + "/VEXMOTEMP/..", m_paths.m_csHome,
                                  m_paths.m_csHome + "/VEXMOTEMP"};
  for (const std::string& csDir : aRefused) {
    app.m_Cache.SetDirectory(csDir);
    EXPECT_EQ(app.ClearCacheDirectory("*.*"), 0) << csDir;
    EXPECT_EQ(TakeMessages().size(), 1u) << csDir;
  }
  EXPECT_TRUE(fs::exists(m_home / "work/precious.TMP"));
  EXPECT_TRUE(fs::exists(m_home / "keep.TMP"));
  EXPECT_TRUE(fs::exists(m_home / "other/also.TMP"));
}

TEST_F(AppStateTest, StartUpAndExitClearTheCacheUnlessAnotherInstanceRuns) {
  const fs::path temp = m_home / ".cache/vexmora/VEXMOTEMP";
  fs::create_directories(temp / "sub");
  // A killed program's unfinished cache file goes too; other hidden files stay.
  for (const char* szName : {"old_1-1.TMP", "notes.txt", ".hidden", ".old_1-2.TMP.4021-7.part",
                             ".notes.part", ".x.12-.part"})
    Touch(temp / szName);
  CAppState second(m_paths);
  EXPECT_FALSE(second.StartUp(true));
  EXPECT_TRUE(fs::exists(temp / "old_1-1.TMP"));
  EXPECT_TRUE(fs::exists(temp / ".old_1-2.TMP.4021-7.part"));

  CAppState app(m_paths);
  g_bStop = 1;
  ASSERT_TRUE(app.StartUp(false));
  EXPECT_EQ(g_bStop, 0);
  EXPECT_FALSE(fs::exists(temp / "old_1-1.TMP"));
  EXPECT_FALSE(fs::exists(temp / "notes.txt"));
  EXPECT_TRUE(fs::exists(temp / ".hidden"));
  EXPECT_FALSE(fs::exists(temp / ".old_1-2.TMP.4021-7.part"));
  EXPECT_TRUE(fs::exists(temp / ".notes.part"));
  EXPECT_TRUE(fs::exists(temp / ".x.12-.part"));
  EXPECT_TRUE(fs::exists(temp / "sub"));

  // The tip's settings reach the file at once; the time text loses its "\n".
  app.SetTipFilePos(120);
  app.SetTipTimeStamp("Wed Jun 30 21:49:08 1993\n");
  EXPECT_EQ(ReadAll(ProfileFile()), "[Tip]\nFilePos=120\nTimeStamp=Wed Jun 30 21:49:08 1993\n");

  Touch(temp / "Photo_1-1.TMP");
  Touch(temp / "keep.txt");
  app.Exit(true);
  EXPECT_TRUE(fs::exists(temp / "Photo_1-1.TMP"));
  app.Exit(false);
  EXPECT_FALSE(fs::exists(temp / "Photo_1-1.TMP"));
  EXPECT_TRUE(fs::exists(temp / "keep.txt"));
  CAppState again(m_paths);
  again.ReadSettings();
  EXPECT_EQ(again.TipFilePos(), 120);
  EXPECT_EQ(again.m_csMainDir, m_paths.m_csHome + "/.local/share/vexmora");
  EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(AppStateTest, RecentFilesKeepFourDistinctPathsAndReopenOnlyExistingOnes) {
  CAppState app(m_paths);
  app.AddRecent(nullptr);
  app.AddRecent("");
  for (const char* szPath : {"/1.jpg", "/2.jpg", "/3.jpg", "/2.jpg"}) app.AddRecent(szPath);
  EXPECT_EQ(app.m_aRecent, (std::array<std::string, 4>{"/3.jpg", "/2.jpg", "/1.jpg", ""}));
  EXPECT_FALSE(app.HasRecent(3));
  app.AddRecent("/4.jpg");
  app.AddRecent("/3.JPG");  // another file on this system
  EXPECT_EQ(app.m_aRecent, (std::array<std::string, 4>{"/3.JPG", "/4.jpg", "/3.jpg", "/2.jpg"}));

  const std::string csPicture = (m_home / "cat.png").string();
  Touch(csPicture);
  app.AddRecent("/x");  // too short to be tried
  app.AddRecent((m_home / "gone.png").c_str());
  app.AddRecent(csPicture.c_str());
  Texts aOpened;
  auto pfnOpen = [&](const std::string& csPath) {
    aOpened.push_back(csPath);
    return 1;
  };
  EXPECT_EQ(app.ReloadRecent(0, pfnOpen) + app.ReloadRecent(1, pfnOpen) +
                app.ReloadRecent(2, pfnOpen) + app.ReloadRecent(4, pfnOpen),
            1);
  EXPECT_EQ(aOpened, Texts{csPicture});
  EXPECT_EQ(TakeMessages(), Texts{"This file has been deleted or moved"});
}

TEST_F(AppStateTest, DialogTypesPasteNamesAndDocumentCount) {
  CAppState app(m_paths);
  app.NoteImageOpened("/pics/holiday/Beach.PnG");
  EXPECT_EQ(app.m_iReadExt, 4);
  EXPECT_EQ(app.m_csInitialDir, "/pics/holiday");
  EXPECT_EQ(app.Recent(0), "/pics/holiday/Beach.PnG");
  app.NoteImageOpened("/scans/page.jpeg");  // not in the list: type unchanged
  EXPECT_EQ(app.m_iReadExt, 4);
  app.NoteImageSaved("/cat.tga");
  EXPECT_EQ(app.m_iSaveExt, 1);
  EXPECT_EQ(app.m_csInitialDir, "/");
  EXPECT_EQ(ImageTypeIndex("jPg"), 2);

  EXPECT_EQ(app.NextPasteName(), "Image1");
  EXPECT_EQ(app.NextPasteName(), "Image2");
  app.DocumentOpened();
  app.DocumentClosed();
  app.DocumentClosed();
  EXPECT_EQ(app.m_iDocCount, 0);
  EXPECT_EQ(TakeMessages(), Texts{"Strange doc count value:0"});
}

}  // namespace
