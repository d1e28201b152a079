#include "engine/cache_writer.h"

#include <strings.h>

#include <cstdio>
#include <cstring>
#include <utility>

#include "engine/cache.h"
#include "imaging/dadc.h"

CCacheWriter::~CCacheWriter() {
  {
    std::lock_guard lock(m_mutex);
    m_bStop = true;
    m_aQueue.clear();
  }
  m_cvWork.notify_all();
  if (m_Thread.joinable()) m_Thread.join();
}

bool CCacheWriter::Queue(std::unique_ptr<CJob> pJob) {
  {
    std::unique_lock lock(m_mutex);
    m_cvChanged.wait(lock, [&] { return m_bFailed || m_aQueue.size() < kMaxQueued; });
    if (m_bFailed) return false;
    m_aQueue.push_back(std::move(pJob));
    if (!m_Thread.joinable()) m_Thread = std::thread([this] { Run(); });
  }
  m_cvWork.notify_one();
  return true;
}

void CCacheWriter::Run() {
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_cvWork.wait(lock, [&] { return m_bStop || (!m_bFailed && !m_aQueue.empty()); });
    if (m_bStop) return;
    m_pWriting = std::move(m_aQueue.front());
    m_aQueue.pop_front();
    m_cvChanged.notify_all();
    const CJob& job = *m_pWriting;
    lock.unlock();
    const bool bOk = job.m_pFiles->Write(*job.m_pPicture, job.m_csPath.c_str(), job.m_csIdentity) != 0;
    // A half-written file would be found again and fail to load each time
    // (a link in the way is removed, never followed).
    if (!bOk) std::remove(job.m_csPath.c_str());
    lock.lock();
    if (!bOk) {
      // Writing is over for this run: what waits is not written either.
      m_bFailed = true;
      m_aFailed.push_back(job.m_csPath);
      for (const auto& pQueued : m_aQueue) m_aFailed.push_back(pQueued->m_csPath);
      m_aQueue.clear();
    }
    m_pWriting.reset();
    m_cvChanged.notify_all();
  }
}

bool CCacheWriter::IsPending(const std::string& csPath) const {
  std::lock_guard lock(m_mutex);
  if (m_pWriting && m_pWriting->m_csPath == csPath) return true;
  for (const auto& pJob : m_aQueue)
    if (pJob->m_csPath == csPath) return true;
  return false;
}

CCacheWriter::EPending CCacheWriter::ReadPending(CDADC& surface, const std::string& csPath,
                                                 const std::string& csIdentity) const {
  std::lock_guard lock(m_mutex);
  const CJob* pFound = m_pWriting && m_pWriting->m_csPath == csPath ? m_pWriting.get() : nullptr;
  for (const auto& pJob : m_aQueue)
    if (!pFound && pJob->m_csPath == csPath) pFound = pJob.get();
  if (!pFound) return EPending::None;
  const CDADC& picture = *pFound->m_pPicture;
  if (pFound->m_csIdentity != csIdentity || !surface.IsValid() ||
      picture.m_iWidth != surface.m_iWidth || picture.m_iHeight != surface.m_iHeight)
    return EPending::Mismatch;
  // Both threads only read the queued picture.
  const std::size_t iRowBytes = 3 * static_cast<std::size_t>(picture.m_iWidth);
  for (int y = 0; y < picture.m_iHeight; ++y) std::memcpy(surface.Row(y), picture.Row(y), iRowBytes);
  return EPending::Copied;
}

CCacheWriter::ESettled CCacheWriter::Settle(const std::string& csPath) {
  std::unique_lock lock(m_mutex);
  for (auto it = m_aQueue.begin(); it != m_aQueue.end(); ++it) {
    if ((*it)->m_csPath != csPath) continue;
    m_aQueue.erase(it);
    m_cvChanged.notify_all();
    return ESettled::Dropped;
  }
  if (!m_pWriting || m_pWriting->m_csPath != csPath) return ESettled::None;
  m_cvChanged.wait(lock, [&] { return !m_pWriting || m_pWriting->m_csPath != csPath; });
  return ESettled::Written;
}

std::vector<std::string> CCacheWriter::CancelDocument(const std::string& csKey) {
  const auto mine = [&](const CJob& job) {
    return strcasecmp(job.m_csKey.c_str(), csKey.c_str()) == 0;
  };
  std::vector<std::string> aDropped;
  std::unique_lock lock(m_mutex);
  for (auto it = m_aQueue.begin(); it != m_aQueue.end();) {
    if (!mine(**it)) {
      ++it;
      continue;
    }
    aDropped.push_back((*it)->m_csPath);
    it = m_aQueue.erase(it);
  }
  m_cvChanged.notify_all();
  m_cvChanged.wait(lock, [&] { return !m_pWriting || !mine(*m_pWriting); });
  return aDropped;
}

std::vector<std::string> CCacheWriter::CancelAll() {
  std::vector<std::string> aDropped;
  std::unique_lock lock(m_mutex);
  for (const auto& pJob : m_aQueue) aDropped.push_back(pJob->m_csPath);
  m_aQueue.clear();
  m_cvChanged.notify_all();
  m_cvChanged.wait(lock, [&] { return !m_pWriting; });
  return aDropped;
}

void CCacheWriter::Finish() {
  std::unique_lock lock(m_mutex);
  m_cvChanged.wait(lock, [&] { return !m_pWriting && (m_bFailed || m_aQueue.empty()); });
}

bool CCacheWriter::TakeFailure(std::vector<std::string>& aPaths) {
  {
    std::lock_guard lock(m_mutex);
    if (!m_bFailed) return false;
    m_bFailed = false;
    aPaths = std::exchange(m_aFailed, {});
  }
  m_cvWork.notify_one();
  return true;
}
