// The surface's own file members: saving by extension and reloading a cache file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "imaging/image_files.h"
#include "picture_test_support.h"
#include "support/recording_reporter.h"

using namespace picture_test;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

class CDadcFiles : public CScratchTest {};

TEST_F(CDadcFiles, WriteImageFileChoosesTheWriterByExtension) {
  auto pSurface = PatternSurface(3, 2);
  EXPECT_EQ(pSurface->WriteImageFile("noextension"), 0);
  EXPECT_THAT(TakeMessages(), ElementsAre("WriteImageFile has no extension:\n<noextension>"));

  // "bmp" in any case goes to the surface's own writer: byte for byte its file.
  ASSERT_EQ(pSurface->WriteImageFile(Path("a.BmP").c_str()), 1);
  ASSERT_EQ(pSurface->WriteBmpFile(Path("b.bmp").c_str()), 1);
  EXPECT_EQ(ReadBytes(Path("a.BmP")), ReadBytes(Path("b.bmp")));

  ASSERT_EQ(pSurface->WriteImageFile(Path("c.png").c_str()), 1);
  const auto a = ReadBytes(Path("c.png"));
  ASSERT_GE(a.size(), 8u);
  EXPECT_EQ(a[1], 'P');
  EXPECT_EQ(pSurface->WriteImageFile(Path("d.gif").c_str()), 0);
  EXPECT_TRUE(TakeMessages().empty());
}

// A write that fails part-way (here: the file size limit, as a full disk
// would) leaves the old file as it was and nothing beside it, in every format.
TEST_F(CDadcFiles, AFailedWriteKeepsTheOldFile) {
  struct rlimit old;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  auto pSmall = PatternSurface(5, 3), pLarge = PatternSurface(300, 200);
  for (const char* szExt : {"bmp", "tga", "jpg", "pcx", "png"}) {
    const std::string csPath = Path(std::string("keep.") + szExt);
    ASSERT_EQ(pSmall->WriteImageFile(csPath.c_str()), 1) << szExt;
    const auto aBefore = ReadBytes(csPath);
    struct rlimit limit = old;
    limit.rlim_cur = aBefore.size() + 10;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    EXPECT_EQ(pLarge->WriteImageFile(csPath.c_str()), 0) << szExt;
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(ReadBytes(csPath), aBefore) << szExt;
    EXPECT_THAT(TakeMessages(), Contains(HasSubstr("File too large"))) << szExt;
  }
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_csDir), {}), 5);
}

TEST_F(CDadcFiles, ReadCacheFileReloadsAPictureOfTheSameSize) {
  auto pSurface = PatternSurface(5, 3);
  const std::string csPath = Path("idea_1-2.TMP");
  ASSERT_EQ(VicWriteFile(csPath.c_str(), *pSurface, kImageTga), 1);
  CDADC target(5, 3);
  EXPECT_NE(target.ReadCacheFile(csPath.c_str()), 0);
  EXPECT_EQ(MaxDifference(SurfaceRgb(target), SurfaceRgb(*pSurface)), 0);
  EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(CDadcFiles, ReadCacheFileOfAnotherSizeChangesNothing) {
  const std::string csPath = Path("idea_1-2.TMP");
  ASSERT_EQ(VicWriteFile(csPath.c_str(), *PatternSurface(5, 3), kImageTga), 1);
  for (const auto& [w, h] : {std::pair{4, 3}, std::pair{5, 4}}) {
    CDADC target(w, h);
    target.m_pDC->FillSolidRect(0, 0, w, h, RGB(1, 2, 3));
    const CRgb before = SurfaceRgb(target);
    EXPECT_EQ(target.ReadCacheFile(csPath.c_str()), 0);
    EXPECT_EQ(MaxDifference(SurfaceRgb(target), before), 0);
  }
  EXPECT_THAT(TakeMessages(), ElementsAre("***ERROR*** RCTF:\nx mismatch 4 != 5",
                                          "***ERROR*** RTCF:\ny mismatch 4 != 3"));
}

TEST_F(CDadcFiles, ReadCacheFileOfAMissingFile) {
  CDADC target(2, 2);
  EXPECT_EQ(target.ReadCacheFile(Path("gone.TMP").c_str()), 0);
  EXPECT_THAT(TakeMessages(),
              ElementsAre("Could not open imagefile:\n<" + Path("gone.TMP") + ">\nTGA data error: -1"));
}

}  // namespace
