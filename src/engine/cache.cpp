#include "engine/cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <strings.h>

#include "imaging/dadc.h"
#include "imaging/file_utils.h"
#include "imaging/image_files.h"
#include "platform/report.h"

namespace {

// Room left in a file name of 255 bytes for the key's suffix and the
// position, level and extension.
constexpr std::size_t kMaxKeyName = 200;

class CTargaCacheFiles final : public CCacheFiles {
 public:
  int Read(CDADC& surface, const char* szPath) override { return surface.ReadCacheFile(szPath); }
  // Cache files are Targa pictures whatever their extension says.
  int Write(const CDADC& surface, const char* szPath) override {
    // Made exclusively: an existing name, even a dangling link planted
    // there, is never followed or replaced.
    return VicWriteFile(szPath, surface, kImageTga, true) > 0 ? 1 : 0;
  }
};

// Other users may not read the pictures of a session or plant files among
// them: the directory (not a link to one) becomes 0700 when it is ours.
bool MakePrivate(const std::string& csDir) {
  const int fd = open(csDir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  const bool bOk = fstat(fd, &st) == 0 && st.st_uid == geteuid() &&
                   ((st.st_mode & 07777) == 0700 || fchmod(fd, 0700) == 0);
  close(fd);
  return bOk;
}

CCacheFiles& TargaCacheFiles() {
  static CTargaCacheFiles files;
  return files;
}

}  // namespace

CImageCache::CImageCache()
    : m_pfnNow([] { return static_cast<std::int64_t>(std::time(nullptr)); }),
      m_pFiles(&TargaCacheFiles()) {}

void CImageCache::SetFiles(CCacheFiles* pFiles) {
  m_pFiles = pFiles ? pFiles : &TargaCacheFiles();
}

std::string CImageCache::NewDocumentKey(const char* szDocName) {
  std::string csName = szDocName ? szDocName : "";
  if (csName.size() > kMaxKeyName) csName.resize(kMaxKeyName);
  for (char& c : csName)
    if (c == '/') c = '_';
  // Names starting with "." would be skipped when the directory is cleared.
  if (!csName.empty() && csName[0] == '.') csName[0] = '_';
  return FormatMessageText("%s~%d.%u", csName.c_str(), static_cast<int>(getpid()),
                           m_iNextDocument++);
}

std::string CImageCache::MakeCacheName(const char* szKey, int iPosition, int iLevel) const {
  if (!szKey || !*szKey || iPosition <= 0 || (iLevel != 1 && iLevel != 2 && iLevel != 4))
    return {};
  // Without a directory the name would land in the root; a key holding a
  // separator would point outside the cache directory.
  if (m_csDir.empty() || std::string_view(szKey).find('/') != std::string_view::npos) return {};
  return m_csDir + "/" + szKey + "_" + std::to_string(iPosition) + "-" + std::to_string(iLevel) +
         ".TMP";
}

bool CImageCache::ReadCachedImage(CDADC& surface, const char* szKey, int iPosition, int iLevel) {
  const std::string csPath = MakeCacheName(szKey, iPosition, iLevel);
  if (csPath.empty() || !FileExists(csPath.c_str())) return false;
  if (!m_pFiles->Read(surface, csPath.c_str())) {
    ReportError("ERROR: Could not read cached image <%s>\ninto CDADC\n", csPath.c_str());
    return false;
  }
  TouchCache(csPath);
  return true;
}

void CImageCache::WriteCachedImage(const CDADC& surface, const char* szKey, int iPosition,
                                   int iLevel) {
  if (!m_bCacheEnabled) return;
  const std::string csPath = MakeCacheName(szKey, iPosition, iLevel);
  if (csPath.empty() || FileExists(csPath.c_str())) return;
  if (!m_bMadePrivate) m_bMadePrivate = MakePrivate(m_csDir);
  if (!m_pFiles->Write(surface, csPath.c_str())) {
    ReportError(
        "Could not save cache image.\nIf your disk is full please exit Vexmora,\n"
        "free some disk space, and restart Vexmora.");
    // A half-written file would be found again and fail to load each time
    // (a link in the way is removed, never followed).
    std::remove(csPath.c_str());
    m_bCacheEnabled = 0;
    return;
  }
  EvictOldest();
  for (CCacheEntry& entry : m_aEntries) {
    if (entry.m_iTime != 0) continue;
    entry = {m_pfnNow(), csPath, szKey};
    return;
  }
  // Every entry was written within this second: the file stays unregistered
  // and is deleted with the rest of the directory at exit.
}

void CImageCache::RemoveCacheFile(const std::string& csPath) {
  if (std::remove(csPath.c_str()) != 0)
    ReportError("Could not remove cache image:\n<%s>", csPath.c_str());
}

void CImageCache::EvictOldest() {
  const std::int64_t iNow = m_pfnNow();
  CCacheEntry* pOldest = nullptr;
  for (CCacheEntry& entry : m_aEntries) {
    if (entry.m_iTime == 0) return;
    if (entry.m_iTime < iNow && (!pOldest || entry.m_iTime < pOldest->m_iTime)) pOldest = &entry;
  }
  if (!pOldest) return;
  if (FileExists(pOldest->m_csFile.c_str()))
    RemoveCacheFile(pOldest->m_csFile);
  else
    ReportError("Cache image does not exist:\n<%s>", pOldest->m_csFile.c_str());
  *pOldest = {};
}

void CImageCache::RemoveDocCache(const char* szKey) {
  if (!szKey || !*szKey) return;
  for (CCacheEntry& entry : m_aEntries) {
    if (entry.m_iTime == 0 || strcasecmp(entry.m_csDocument.c_str(), szKey) != 0) continue;
    if (FileExists(entry.m_csFile.c_str()))
      RemoveCacheFile(entry.m_csFile);
    else
      ReportError("Cache image for doc <%s> does not exist:\n<%s>\n", szKey,
                  entry.m_csFile.c_str());
    entry = {};
  }
}

void CImageCache::TouchCache(const std::string& csPath) {
  for (CCacheEntry& entry : m_aEntries) {
    if (entry.m_iTime != 0 && entry.m_csFile == csPath) {
      entry.m_iTime = m_pfnNow();
      return;
    }
  }
}

int CImageCache::UsedEntries() const {
  int n = 0;
  for (const CCacheEntry& entry : m_aEntries) n += entry.m_iTime != 0;
  return n;
}
