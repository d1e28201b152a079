// The cache's files written behind the interface thread: what is handed
// over is readable at once, a closed document's pictures never reach the
// disk, and a failed write is told once, on the interface thread.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>

#include "engine/cache.h"
#include "imaging/dadc.h"
#include "support/recording_reporter.h"
#include "support/surface_digest.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// Real cache files, each write held until the test opens the gate.
class CGatedFiles final : public CCacheFiles {
 public:
  int Read(CDADC& surface, const char* szPath, const std::string& csIdentity) override {
    return ReadStampedCacheFile(surface, szPath, csIdentity);
  }
  int Write(const CDADC& surface, const char* szPath, const std::string& csIdentity) override {
    std::unique_lock lock(m_mutex);
    ++m_iStarted;
    m_aThreads.push_back(std::this_thread::get_id());
    m_cv.notify_all();
    m_cv.wait(lock, [&] { return m_bOpen; });
    if (m_bFail) {
      std::ofstream(szPath) << "part";
      return 0;
    }
    return WriteStampedCacheFile(surface, szPath, csIdentity);
  }
  void WaitStarted(int n) {
    std::unique_lock lock(m_mutex);
    m_cv.wait(lock, [&] { return m_iStarted >= n; });
  }
  void Open() {
    std::lock_guard lock(m_mutex);
    m_bOpen = true;
    m_cv.notify_all();
  }
  int Started() {
    std::lock_guard lock(m_mutex);
    return m_iStarted;
  }

  std::mutex m_mutex;
  std::condition_variable m_cv;
  bool m_bOpen = false;
  bool m_bFail = false;  // set before the first write
  int m_iStarted = 0;
  std::vector<std::thread::id> m_aThreads;
};

class CacheWriterTest : public testing::Test {
 protected:
  CacheWriterTest() {
    m_cache.SetDirectory(m_temp.Dir().string());
    m_cache.SetFiles(&m_files);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) m_picture.m_pDC->SetPixelV(x, y, RGB(30 * x, 50 * y, 9));
  }
  ~CacheWriterTest() override { m_files.Open(); }
  int FilesOnDisk() const {
    return static_cast<int>(std::distance(fs::directory_iterator(m_temp.Dir()), {}));
  }
  // One picture being written (held at the gate) and two waiting.
  void HandOverThree(const char* szKey) {
    const int iStarted = m_files.Started();
    m_cache.WriteCachedImage(m_picture, szKey, 1, 1, 5);
    m_files.WaitStarted(iStarted + 1);
    m_cache.WriteCachedImage(m_picture, szKey, 2, 1, 5);
    m_cache.WriteCachedImage(m_picture, szKey, 3, 1, 5);
  }

  CTempDir m_temp;
  CGatedFiles m_files;
  CImageCache m_cache;
  CDADC m_picture{7, 5};
};

TEST_F(CacheWriterTest, APictureHandedOverIsReadBeforeItsFileIsWritten) {
  HandOverThree("Doc");
  EXPECT_EQ(FilesOnDisk(), 0);
  EXPECT_EQ(m_cache.UsedEntries(), 3);
  for (int i : {1, 3}) {
    CDADC shown(7, 5);
    ASSERT_TRUE(m_cache.ReadCachedImage(shown, "Doc", i, 1, 5)) << i;
    EXPECT_EQ(SurfaceDigest(shown), SurfaceDigest(m_picture));
  }
  // Another recipe under that name is not this picture: it is dropped.
  CDADC shown(7, 5);
  EXPECT_FALSE(m_cache.ReadCachedImage(shown, "Doc", 3, 1, 6));
  EXPECT_EQ(m_cache.UsedEntries(), 2);

  m_files.Open();
  m_cache.FinishWrites();
  EXPECT_EQ(FilesOnDisk(), 2);
  ASSERT_TRUE(m_cache.ReadCachedImage(shown, "Doc", 2, 1, 5));
  EXPECT_EQ(SurfaceDigest(shown), SurfaceDigest(m_picture));
  ASSERT_EQ(m_files.m_aThreads.size(), 2u);
  EXPECT_NE(m_files.m_aThreads[0], std::this_thread::get_id());
  EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(CacheWriterTest, AClosedDocumentOrTheEndLeavesNoFileBehind) {
  m_cache.WriteCachedImage(m_picture, "Keep", 1, 1, 5);
  m_files.WaitStarted(1);
  m_cache.WriteCachedImage(m_picture, "Doc", 1, 1, 5);
  m_cache.WriteCachedImage(m_picture, "DOC", 2, 1, 5);
  m_cache.RemoveDocCache("doc");
  EXPECT_EQ(m_cache.UsedEntries(), 1);
  m_files.Open();
  m_cache.FinishWrites();
  EXPECT_EQ(m_files.Started(), 1);
  EXPECT_EQ(FilesOnDisk(), 1);
  EXPECT_TRUE(fs::exists(m_temp.Dir() / "Keep_1-1.TMP"));
  // Closed while its picture is queued, being written or written.
  m_cache.WriteCachedImage(m_picture, "Gone", 1, 1, 5);
  m_cache.RemoveDocCache("Gone");
  m_cache.FinishWrites();
  EXPECT_EQ(FilesOnDisk(), 1);
  EXPECT_TRUE(TakeMessages().empty());
}

// The program's end drops what waits and waits for the file being written.
TEST_F(CacheWriterTest, AllQueuedFilesAreDroppedAtTheEnd) {
  CCacheWriter writer;
  const auto job = [&](const std::string& csPath) {
    auto pJob = std::make_unique<CCacheWriter::CJob>();
    pJob->m_csPath = m_temp.Path(csPath);
    pJob->m_pPicture = CDADC::Copy(m_picture);
    pJob->m_pFiles = &m_files;
    return pJob;
  };
  ASSERT_TRUE(writer.Queue(job("a")));
  m_files.WaitStarted(1);
  ASSERT_TRUE(writer.Queue(job("b")));
  ASSERT_TRUE(writer.Queue(job("c")));
  // The gate opens once "b" has left the queue: it cannot have been written.
  std::thread opener([&] {
    while (writer.IsPending(m_temp.Path("b")))
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    m_files.Open();
  });
  EXPECT_EQ(writer.CancelAll(), (std::vector<std::string>{m_temp.Path("b"), m_temp.Path("c")}));
  opener.join();
  EXPECT_TRUE(fs::exists(m_temp.Path("a")));  // finished before CancelAll returned
  writer.Finish();
  EXPECT_EQ(m_files.Started(), 1);
  EXPECT_EQ(FilesOnDisk(), 1);
}

TEST_F(CacheWriterTest, AFailedWriteIsToldOnceAndWhatWaitedIsDropped) {
  m_files.m_bFail = true;
  HandOverThree("Doc");
  m_files.Open();
  m_cache.FinishWrites();
  EXPECT_EQ(TakeMessages(),
            std::vector<std::string>{"Could not save cache image.\nIf your disk is full please "
                                     "exit Vexmora,\nfree some disk space, and restart Vexmora."});
  EXPECT_EQ(m_files.Started(), 1);
  EXPECT_EQ(FilesOnDisk(), 0);
  EXPECT_EQ(m_cache.UsedEntries(), 0);
  EXPECT_EQ(m_cache.m_bCacheEnabled, 0);
  m_cache.WriteCachedImage(m_picture, "Doc", 4, 1, 5);
  m_cache.RemoveDocCache("Doc");
  m_cache.FinishWrites();
  EXPECT_EQ(m_files.Started(), 1);
  EXPECT_TRUE(TakeMessages().empty());
}

}  // namespace
