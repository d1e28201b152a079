#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "imaging/file_utils.h"
#include "support/recording_reporter.h"
#include "support/temp_dir.h"

using ::testing::ElementsAre;

namespace {
void Touch(const std::string& csPath) { std::ofstream(csPath) << "x"; }
}  // namespace

TEST(FileUtils, ExistsAndDirectory) {
  CTempDir dir;
  Touch(dir.Path("f"));
  EXPECT_EQ(FileExists(dir.Path("f").c_str()), 1);
  EXPECT_EQ(FileExists(dir.Path("g").c_str()), 0);
  EXPECT_EQ(IsDirectory(dir.Path("f").c_str()), 0);
  EXPECT_EQ(IsDirectory(dir.Dir().c_str()), 1);
}

TEST(FileUtils, RemoveFilesMatchesOnlyPlainFiles) {
  CTempDir dir;
  for (const char* sz : {"a_1-1.TMP", "b_2-4.tmp", "keep.png", ".hidden.TMP"}) Touch(dir.Path(sz));
  std::filesystem::create_directory(dir.Path("sub.TMP"));
  EXPECT_EQ(RemoveFiles(dir.Dir().c_str(), "*.TMP"), 1);
  EXPECT_FALSE(std::filesystem::exists(dir.Path("a_1-1.TMP")));
  EXPECT_FALSE(std::filesystem::exists(dir.Path("b_2-4.tmp")));
  EXPECT_TRUE(std::filesystem::exists(dir.Path("keep.png")));
  EXPECT_TRUE(std::filesystem::exists(dir.Path(".hidden.TMP")));
  EXPECT_TRUE(std::filesystem::exists(dir.Path("sub.TMP")));
  EXPECT_EQ(RemoveFiles(dir.Dir().c_str(), "*.TMP"), 0);  // nothing left to match
  EXPECT_EQ(RemoveFiles((dir.Dir().string() + "/").c_str(), "*.*"), 1);
  EXPECT_FALSE(std::filesystem::exists(dir.Path("keep.png")));
  EXPECT_TRUE(TakeMessages().empty());
  EXPECT_EQ(RemoveFiles(dir.Path("missing").c_str(), "*.*"), 0);
}

TEST(FileUtils, WildcardsAndStrings) {
  EXPECT_TRUE(WildcardMatch("*.TMP", "x_1-2.tmp"));
  EXPECT_TRUE(WildcardMatch("a?c*", "abcdef"));
  EXPECT_FALSE(WildcardMatch("a?c", "abcd"));
  EXPECT_TRUE(WildcardMatch("*a*b", "xxaxxab"));
  EXPECT_FALSE(WildcardMatch("*.TMP", "tmp"));

  char sz[] = " a\tb\nc  ";
  EXPECT_EQ(StripWhiteSpace(sz), 3);
  EXPECT_STREQ(sz, "abc");
  EXPECT_EQ(StripWhiteSpace(static_cast<char*>(nullptr)), 0);
  std::string cs = "x y ";
  EXPECT_EQ(StripWhiteSpace(cs), 2);
  EXPECT_EQ(cs, "xy");

  char szName[] = "photo.big.jpg";
  EXPECT_EQ(CutAtDot(szName), 5);
  EXPECT_STREQ(szName, "photo");
  char szNoDot[] = "photo";
  EXPECT_EQ(CutAtDot(szNoDot), 5);
  EXPECT_EQ(CutAtDot(nullptr), 0);
  EXPECT_EQ(IsEven(-4), 1);
  EXPECT_EQ(IsEven(3), 0);
}

// A program ending at once removes the files it was writing and nothing
// else: finished files, replaced ones and those of writers already gone stay.
// (The two entries removed stay taken for the rest of this test program.)
TEST(FileUtils, UnfinishedFilesAreRemovedAtOnce) {
  CTempDir dir;
  Touch(dir.Path("old.png"));
  ASSERT_EQ(WriteWholeFile(dir.Path("done.png"), "done", 4), 0);
  { CReplacingFile dropped(dir.Path("dropped.png")); }
  CReplacingFile replacing(dir.Path("old.png"));
  CReplacingFile fresh(dir.Path("new.png"), true);
  ASSERT_TRUE(replacing.File() && fresh.File());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Dir()), {}), 4);

  RemoveUnfinishedFiles();
  std::vector<std::string> aNames;
  for (const auto& e : std::filesystem::directory_iterator(dir.Dir()))
    aNames.push_back(e.path().filename().string());
  std::sort(aNames.begin(), aNames.end());
  EXPECT_THAT(aNames, ElementsAre("done.png", "old.png"));
  EXPECT_EQ(replacing.Commit(), ENOENT);
  EXPECT_EQ(fresh.Commit(), ENOENT);
  EXPECT_FALSE(std::filesystem::exists(dir.Path("new.png")));
}

// A file its user may not write is refused, not replaced through the folder
// (checked as an ordinary user when the tests run as root).
TEST(FileUtils, AFileTheUserMayNotWriteIsNotReplaced) {
  CTempDir dir;
  const std::string csPath = dir.Path("kept.png");
  Touch(csPath);
  ASSERT_EQ(chmod(csPath.c_str(), 0444), 0);
  ASSERT_EQ(chmod(dir.Dir().c_str(), 0777), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    if (geteuid() == 0 && setuid(65534) != 0) _exit(3);
    _exit(WriteWholeFile(csPath, "new", 3) == EACCES ? 0 : 1);
  }
  int iStatus = 0;
  ASSERT_EQ(waitpid(pid, &iStatus, 0), pid);
  EXPECT_TRUE(WIFEXITED(iStatus) && WEXITSTATUS(iStatus) == 0) << iStatus;
  std::ifstream in(csPath);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "x");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Dir()), {}), 1);
}
