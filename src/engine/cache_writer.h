// Writes the cache's picture files on a thread of its own, so that the
// user-interface thread only copies a finished picture (a memory copy) and
// goes on while the file is encoded and written.
//
// The interface thread hands over jobs and asks about them; the writing
// thread only writes. It never reports: a failed write is remembered until
// the interface thread takes it (TakeFailure), so no message box is ever
// waited for by a thread the interface thread may itself wait for. The
// interface thread waits for the writing thread only for one file at most:
// a hand-off while the queue is full, a file it must remove or replace, and
// the end.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CCacheFiles;
class CDADC;

class CCacheWriter {
 public:
  // Pictures waiting besides the one being written: at most this many
  // copies of a drawing surface are held at once (plus the one in hand).
  static constexpr std::size_t kMaxQueued = 2;

  struct CJob {
    std::string m_csPath;
    std::string m_csKey;       // the cache key of the owning document
    std::string m_csIdentity;  // what the file is written under
    std::unique_ptr<CDADC> m_pPicture;
    CCacheFiles* m_pFiles = nullptr;
  };

  CCacheWriter() = default;
  // Queued jobs are dropped; the file being written is finished.
  ~CCacheWriter();
  CCacheWriter(const CCacheWriter&) = delete;
  CCacheWriter& operator=(const CCacheWriter&) = delete;

  // Queues the job, waiting while the queue is full. False (the job
  // dropped) while a failure has not been taken.
  bool Queue(std::unique_ptr<CJob> pJob);
  // Whether a file of this path is queued or being written.
  bool IsPending(const std::string& csPath) const;

  enum class EPending { None, Copied, Mismatch };
  // The picture of a pending file of this path into the surface, when it
  // was written under csIdentity and has the surface's size (Copied);
  // otherwise the surface is unchanged.
  EPending ReadPending(CDADC& surface, const std::string& csPath,
                       const std::string& csIdentity) const;

  enum class ESettled { None, Dropped, Written };
  // Takes a queued file of this path off the queue (Dropped: nothing of it
  // reached the disk) or waits for it while it is being written (Written:
  // the file is on disk unless its write failed).
  ESettled Settle(const std::string& csPath);
  // Drops the queued files of a document (keys compared without case) and
  // waits for one of its files being written. The paths dropped.
  std::vector<std::string> CancelDocument(const std::string& csKey);
  // Drops every queued file and waits for the one being written. The paths
  // dropped.
  std::vector<std::string> CancelAll();
  // Waits until every queued file is written.
  void Finish();
  // After a failed write: true once, with the paths whose files were not
  // written (the failed one and those dropped after it). Until then no job
  // is taken.
  bool TakeFailure(std::vector<std::string>& aPaths);

 private:
  void Run();

  mutable std::mutex m_mutex;
  std::condition_variable m_cvWork;     // a job came, or the end
  std::condition_variable m_cvChanged;  // a job was taken or finished
  std::deque<std::unique_ptr<CJob>> m_aQueue;
  std::unique_ptr<CJob> m_pWriting;
  bool m_bFailed = false;
  std::vector<std::string> m_aFailed;
  bool m_bStop = false;
  std::thread m_Thread;  // started by the first job
};
