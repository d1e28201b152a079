#include "engine/cache.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>

#include "imaging/dadc.h"
#include "imaging/digest.h"
#include "imaging/image_files.h"
#include "support/recording_reporter.h"
#include "support/surface_digest.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// Stands in for the picture codec: a file holds the surface's first pixel,
// and reading copies it back.
class CFakeFiles final : public CCacheFiles {
 public:
  int Read(CDADC& surface, const char* szPath, const std::string&) override {
    ++m_iReads;
    std::ifstream file(szPath, std::ios::binary);
    char aPixel[3];
    if (!file.read(aPixel, 3) || m_bFailReads) return 0;
    std::copy(aPixel, aPixel + 3, surface.Row(0));
    return 1;
  }
  int Write(const CDADC& surface, const char* szPath, const std::string&) override {
    ++m_iWrites;
    std::ofstream file(szPath, std::ios::binary);
    // A full disk takes part of the file before it fails.
    file.write(reinterpret_cast<const char*>(surface.Row(0)), m_bFailWrites ? 1 : 3);
    return m_bFailWrites ? 0 : 1;
  }
  bool m_bFailWrites = false;
  bool m_bFailReads = false;
  int m_iReads = 0;
  int m_iWrites = 0;
};

class CacheTest : public testing::Test {
 protected:
  CacheTest() {
    m_cache.SetDirectory(m_dir.string());
    m_cache.SetFiles(&m_files);
    m_cache.m_pfnNow = [this] { return m_iNow; };
  }

  void Paint(std::uint8_t iValue) { m_surface.Row(0)[0] = iValue; }
  int FilesOnDisk() const {
    return static_cast<int>(std::distance(fs::directory_iterator(m_dir), {}));
  }

  CTempDir m_temp;
  fs::path m_dir = m_temp.Dir();
  CFakeFiles m_files;
  CImageCache m_cache;
  std::int64_t m_iNow = 1000;
  CDADC m_surface{4, 3};
};

TEST_F(CacheTest, NamesCarryKeyPositionAndLevel) {
  const std::string csDir = m_dir.string();
  EXPECT_EQ(m_cache.MakeCacheName("Photo", 3, 2), csDir + "/Photo_3-2.TMP");
  EXPECT_EQ(m_cache.MakeCacheName("Photo", 1, 4), csDir + "/Photo_1-4.TMP");
  EXPECT_EQ(m_cache.MakeCacheName("Photo", 0, 1), "");   // the original is never cached
  EXPECT_EQ(m_cache.MakeCacheName("Photo", -1, 1), "");
  EXPECT_EQ(m_cache.MakeCacheName("Photo", 1, 3), "");
  EXPECT_EQ(m_cache.MakeCacheName("", 1, 1), "");
  EXPECT_EQ(m_cache.MakeCacheName(nullptr, 1, 1), "");
  EXPECT_EQ(m_cache.MakeCacheName("../up", 1, 1), "");  // would leave the directory
  m_cache.SetDirectory("");
  EXPECT_EQ(m_cache.MakeCacheName("Photo", 1, 1), "");  // would land in the root
}

TEST_F(CacheTest, DocumentsOfTheSameNameGetTheirOwnKeys) {
  const std::string csPid = std::to_string(getpid());
  const std::string csFirst = m_cache.NewDocumentKey("Photo-1");
  const std::string csSecond = m_cache.NewDocumentKey("Photo-1");
  EXPECT_EQ(csFirst, "Photo-1~" + csPid + ".1");
  EXPECT_EQ(csSecond, "Photo-1~" + csPid + ".2");
  EXPECT_EQ(m_cache.NewDocumentKey(".hidden/x"), "_hidden_x~" + csPid + ".3");
  const std::string csLong = m_cache.NewDocumentKey(std::string(300, 'n').c_str());
  EXPECT_EQ(csLong, std::string(200, 'n') + "~" + csPid + ".4");

  // Each reads only its own pictures, and closing one leaves the other's.
  Paint(11);
  m_cache.WriteCachedImage(m_surface, csFirst.c_str(), 1, 1);
  Paint(22);
  m_cache.WriteCachedImage(m_surface, csSecond.c_str(), 1, 1);
  ASSERT_TRUE(m_cache.ReadCachedImage(m_surface, csFirst.c_str(), 1, 1));
  EXPECT_EQ(m_surface.Row(0)[0], 11);
  m_cache.RemoveDocCache(csFirst.c_str());
  EXPECT_FALSE(m_cache.ReadCachedImage(m_surface, csFirst.c_str(), 1, 1));
  ASSERT_TRUE(m_cache.ReadCachedImage(m_surface, csSecond.c_str(), 1, 1));
  EXPECT_EQ(m_surface.Row(0)[0], 22);
  EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(CacheTest, WritesOnceAndReadsBackWithItsLevel) {
  Paint(7);
  m_cache.WriteCachedImage(m_surface, "Doc", 2, 1);
  m_cache.WriteCachedImage(m_surface, "Doc", 2, 1);  // the file exists: nothing to do
  m_cache.WriteCachedImage(m_surface, "Doc", 2, 4);  // another quality, another file
  m_cache.FinishWrites();
  EXPECT_EQ(m_files.m_iWrites, 2);
  EXPECT_EQ(m_cache.UsedEntries(), 2);
  EXPECT_TRUE(fs::exists(m_dir / "Doc_2-1.TMP"));
  EXPECT_TRUE(fs::exists(m_dir / "Doc_2-4.TMP"));
  EXPECT_FALSE(m_cache.ReadCachedImage(m_surface, "Doc", 2, 2));
  EXPECT_FALSE(m_cache.ReadCachedImage(m_surface, "Doc", 3, 1));
  EXPECT_EQ(m_files.m_iReads, 0);  // no file, no attempt

  Paint(0);
  m_iNow = 1005;
  ASSERT_TRUE(m_cache.ReadCachedImage(m_surface, "Doc", 2, 4));
  EXPECT_EQ(m_surface.Row(0)[0], 7);
  EXPECT_EQ(m_cache.Entry(1).m_iTime, 1005);  // the read refreshed its entry
  EXPECT_EQ(m_cache.Entry(0).m_iTime, 1000);

  // A file that cannot be read is made again, silently: it goes, and so
  // does its entry.
  m_files.m_bFailReads = true;
  EXPECT_FALSE(m_cache.ReadCachedImage(m_surface, "Doc", 2, 1));
  EXPECT_TRUE(TakeMessages().empty());
  EXPECT_FALSE(fs::exists(m_dir / "Doc_2-1.TMP"));
  EXPECT_EQ(m_cache.UsedEntries(), 1);
}

TEST_F(CacheTest, TheThirtyThirdPictureEvictsTheLeastRecentlyUsed) {
  for (int i = 1; i <= 32; ++i) {
    m_iNow = 1000 + i;
    m_cache.WriteCachedImage(m_surface, "Doc", i, 1);
  }
  EXPECT_EQ(m_cache.UsedEntries(), 32);
  // The user keeps coming back to picture 1, so picture 2 is now the oldest.
  m_iNow = 2000;
  ASSERT_TRUE(m_cache.ReadCachedImage(m_surface, "Doc", 1, 1));
  m_cache.WriteCachedImage(m_surface, "Doc", 33, 1);
  m_cache.FinishWrites();
  EXPECT_TRUE(fs::exists(m_dir / "Doc_1-1.TMP"));
  EXPECT_FALSE(fs::exists(m_dir / "Doc_2-1.TMP"));
  EXPECT_EQ(m_cache.Entry(1).m_csFile, (m_dir / "Doc_33-1.TMP").string());
  EXPECT_EQ(FilesOnDisk(), 32);

  // An entry whose file has vanished is still freed when its turn comes.
  fs::remove(m_dir / "Doc_3-1.TMP");
  m_cache.WriteCachedImage(m_surface, "Doc", 34, 1);
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{"Cache image does not exist:\n<" +
                                                     (m_dir / "Doc_3-1.TMP").string() + ">"});
  EXPECT_EQ(m_cache.Entry(2).m_csFile, (m_dir / "Doc_34-1.TMP").string());
}

TEST_F(CacheTest, NothingYoungerThanThisSecondIsEvicted) {
  for (int i = 1; i <= 33; ++i) m_cache.WriteCachedImage(m_surface, "Doc", i, 1);
  m_cache.FinishWrites();
  // All 32 entries were written in this second: the 33rd file stays
  // unregistered on disk.
  EXPECT_EQ(FilesOnDisk(), 33);
  EXPECT_EQ(m_cache.UsedEntries(), 32);
  m_cache.RemoveDocCache("Doc");
  EXPECT_EQ(FilesOnDisk(), 1);
  EXPECT_TRUE(fs::exists(m_dir / "Doc_33-1.TMP"));
}

TEST_F(CacheTest, ClosingADocumentRemovesExactlyItsFiles) {
  m_cache.WriteCachedImage(m_surface, "Cat", 1, 1);
  m_cache.WriteCachedImage(m_surface, "Cat", 2, 2);
  m_cache.WriteCachedImage(m_surface, "Catalogue", 1, 1);
  m_cache.WriteCachedImage(m_surface, "Dog", 1, 1);
  m_cache.FinishWrites();
  fs::remove(m_dir / "Cat_2-2.TMP");
  m_cache.RemoveDocCache("CAT");  // names match without regard to case
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{"Cache image for doc <CAT> does not exist:\n<" +
                                                     (m_dir / "Cat_2-2.TMP").string() + ">\n"});
  EXPECT_FALSE(fs::exists(m_dir / "Cat_1-1.TMP"));
  EXPECT_TRUE(fs::exists(m_dir / "Catalogue_1-1.TMP"));
  EXPECT_TRUE(fs::exists(m_dir / "Dog_1-1.TMP"));
  EXPECT_EQ(m_cache.UsedEntries(), 2);
  // Free entries belong to no document.
  m_cache.RemoveDocCache("");
  m_cache.RemoveDocCache(nullptr);
  EXPECT_TRUE(TakeMessages().empty());
  EXPECT_EQ(m_cache.UsedEntries(), 2);
}

TEST_F(CacheTest, AFailedWriteSwitchesWritingOffButNotReading) {
  m_cache.WriteCachedImage(m_surface, "Doc", 1, 1);
  m_cache.FinishWrites();
  m_files.m_bFailWrites = true;
  m_cache.WriteCachedImage(m_surface, "Doc", 2, 1);
  m_cache.WriteCachedImage(m_surface, "Doc", 3, 1);
  m_cache.FinishWrites();
  EXPECT_EQ(TakeMessages(),
            std::vector<std::string>{"Could not save cache image.\nIf your disk is full please "
                                     "exit Vexmora,\nfree some disk space, and restart Vexmora."});
  EXPECT_EQ(m_cache.m_bCacheEnabled, 0);
  EXPECT_EQ(m_files.m_iWrites, 2);
  EXPECT_FALSE(fs::exists(m_dir / "Doc_2-1.TMP"));  // no half-written picture is left
  EXPECT_EQ(m_cache.UsedEntries(), 1);
  EXPECT_TRUE(m_cache.ReadCachedImage(m_surface, "Doc", 1, 1));
}

TEST_F(CacheTest, EvictionThatCannotDeleteReportsAndFreesTheEntry) {
  for (int i = 1; i <= 32; ++i) {
    m_iNow = 1000 + i;
    m_cache.WriteCachedImage(m_surface, "Doc", i, 1);
  }
  m_cache.FinishWrites();
  // A directory in place of the file cannot be removed as a file.
  fs::remove(m_dir / "Doc_1-1.TMP");
  fs::create_directory(m_dir / "Doc_1-1.TMP");
  fs::create_directory(m_dir / "Doc_1-1.TMP" / "inside");
  m_iNow = 2000;
  m_cache.WriteCachedImage(m_surface, "Doc", 33, 1);
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{"Could not remove cache image:\n<" +
                                                     (m_dir / "Doc_1-1.TMP").string() + ">"});
  EXPECT_EQ(m_cache.Entry(0).m_csFile, (m_dir / "Doc_33-1.TMP").string());
}

}  // namespace

namespace {

// A link planted under the next cache name is neither followed nor
// replaced, and the directory becomes private to its owner.
TEST_F(CacheTest, CacheFilesAreMadeExclusivelyInAPrivateDirectory) {
  m_cache.SetFiles(nullptr);
  fs::permissions(m_dir, fs::perms::all);
  CTempDir other;
  const fs::path outside = other.Dir() / "outside.tga";
  fs::create_symlink(outside, m_dir / "Doc_1-1.TMP");
  CDADC picture(5, 4);
  m_cache.WriteCachedImage(picture, "Doc", 1, 1);
  m_cache.FinishWrites();
  EXPECT_FALSE(fs::exists(outside));
  EXPECT_EQ(m_cache.UsedEntries(), 0);
  TakeMessages();
  m_cache.m_bCacheEnabled = 1;
  m_cache.WriteCachedImage(picture, "Doc", 2, 1);
  m_cache.FinishWrites();
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(m_dir / "Doc_2-1.TMP")));
  EXPECT_EQ(fs::status(m_dir).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_EQ(FilesOnDisk(), 1);  // no temporary file is left beside it
}

// The program's own cache files: Targa pictures of the display surface.
TEST_F(CacheTest, PicturesGoThroughTargaFilesUnchanged) {
  m_cache.SetFiles(nullptr);
  CDADC picture(5, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) picture.m_pDC->SetPixelV(x, y, RGB(40 * x, 50 * y, x * y));
  m_cache.WriteCachedImage(picture, "Doc", 1, 2);
  m_cache.FinishWrites();
  ASSERT_TRUE(fs::exists(m_dir / "Doc_1-2.TMP"));
  std::ifstream file(m_dir / "Doc_1-2.TMP", std::ios::binary);
  char aHeader[3] = {};
  file.read(aHeader, 3);
  EXPECT_EQ(aHeader[2], 2);  // an uncompressed true-colour Targa picture

  CDADC shown(5, 4);
  ASSERT_TRUE(m_cache.ReadCachedImage(shown, "Doc", 1, 2));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(shown.m_pDC->GetPixel(x, y), picture.m_pDC->GetPixel(x, y)) << x << "," << y;

  // A surface of another size keeps its pixels; the file is not its picture.
  CDADC other(3, 3);
  const std::string csOther = SurfaceDigest(other);
  EXPECT_FALSE(m_cache.ReadCachedImage(other, "Doc", 1, 2));
  EXPECT_EQ(SurfaceDigest(other), csOther);
  EXPECT_TRUE(TakeMessages().empty());
  EXPECT_FALSE(fs::exists(m_dir / "Doc_1-2.TMP"));
}

// A cache file that does not hold what was written under its name is never
// shown, and costs no message: altered pixels, a cut-off file, the picture
// of another position or recipe, a file of an older run without a stamp.
TEST_F(CacheTest, AFileMadeAgainKeepsItsOneEntry) {
  m_cache.WriteCachedImage(m_surface, "Cat", 1, 1);
  m_cache.FinishWrites();
  fs::remove(m_dir / "Cat_1-1.TMP");
  m_cache.WriteCachedImage(m_surface, "Cat", 1, 1);
  EXPECT_EQ(m_cache.UsedEntries(), 1);
  m_cache.RemoveDocCache("Cat");
  EXPECT_FALSE(fs::exists(m_dir / "Cat_1-1.TMP"));
  EXPECT_TRUE(TakeMessages().empty());
}

// The stamps' quick digest sees any one changed bit, wherever it lies (the
// four lanes, the word tail), and the length of zero bytes.
TEST(CacheStamp, QuickDigestSeesEveryBitAndTheLength) {
  std::vector<std::uint8_t> a(75);
  for (std::size_t i = 0; i < a.size(); ++i) a[i] = static_cast<std::uint8_t>(i * 37);
  const std::uint64_t iWhole = WordDigest(a.data(), a.size());
  for (std::size_t i = 0; i < a.size(); ++i)
    for (int b = 0; b < 8; ++b) {
      a[i] ^= static_cast<std::uint8_t>(1 << b);
      EXPECT_NE(WordDigest(a.data(), a.size()), iWhole) << i << " " << b;
      a[i] ^= static_cast<std::uint8_t>(1 << b);
    }
  const std::vector<std::uint8_t> zeros(40);
  for (std::size_t n = 1; n <= zeros.size(); ++n)
    EXPECT_NE(WordDigest(zeros.data(), n), WordDigest(zeros.data(), n - 1)) << n;
}

TEST_F(CacheTest, FilesThatDoNotMatchAreDroppedAndMadeAgain) {
  m_cache.SetFiles(nullptr);
  auto picture = std::make_unique<CDADC>(6, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) picture->m_pDC->SetPixelV(x, y, RGB(30 * x, 40 * y, 7));
  const fs::path file = m_dir / "Doc_1-1.TMP";
  const auto damage = [&](const std::function<void(std::vector<char>&)>& change) {
    m_cache.RemoveDocCache("Doc");
    m_cache.WriteCachedImage(*picture, "Doc", 1, 1, 42);
    m_cache.FinishWrites();
    std::ifstream in(file, std::ios::binary);
    std::vector<char> a((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    change(a);
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(a.data(),
                                                                    static_cast<std::streamsize>(a.size()));
    CDADC shown(6, 5);
    const std::string csBefore = SurfaceDigest(shown);
    const bool bRead = m_cache.ReadCachedImage(shown, "Doc", 1, 1, 42);
    EXPECT_EQ(SurfaceDigest(shown), bRead ? SurfaceDigest(*picture) : csBefore);
    EXPECT_NE(fs::exists(file), !bRead);
    return bRead;
  };
  EXPECT_TRUE(damage([](std::vector<char>&) {}));
  EXPECT_FALSE(damage([](std::vector<char>& a) { a[a.size() - 10] ^= 0x40; }));
  EXPECT_FALSE(damage([](std::vector<char>& a) { a.resize(a.size() - 7); }));
  EXPECT_FALSE(damage([](std::vector<char>& a) { a.resize(10); }));
  // Another recipe, and another position's file in this one's place.
  m_cache.RemoveDocCache("Doc");
  m_cache.WriteCachedImage(*picture, "Doc", 1, 1, 42);
  CDADC shown(6, 5);
  EXPECT_FALSE(m_cache.ReadCachedImage(shown, "Doc", 1, 1, 43));
  m_cache.WriteCachedImage(*picture, "Doc", 2, 1, 42);
  m_cache.FinishWrites();
  fs::rename(m_dir / "Doc_2-1.TMP", file);
  EXPECT_FALSE(m_cache.ReadCachedImage(shown, "Doc", 1, 1, 42));
  // A plain Targa picture, as older runs wrote them.
  ASSERT_EQ(VicWriteFile(file.c_str(), *picture, kImageTga), 1);
  EXPECT_FALSE(m_cache.ReadCachedImage(shown, "Doc", 1, 1, 42));
  EXPECT_FALSE(fs::exists(file));
  EXPECT_TRUE(TakeMessages().empty());
}

}  // namespace
