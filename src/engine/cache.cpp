#include "engine/cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <strings.h>
#include <vector>

#include "imaging/codecs/image_desc.h"
#include "imaging/codecs/tga_codec.h"
#include "imaging/dadc.h"
#include "imaging/digest.h"
#include "imaging/packed_dib.h"
#include "imaging/file_utils.h"
#include "imaging/image_files.h"
#include "platform/report.h"

namespace {

// Room left in a file name of 255 bytes for the key's suffix and the
// position, level and extension.
constexpr std::size_t kMaxKeyName = 200;

class CTargaCacheFiles final : public CCacheFiles {
 public:
  int Read(CDADC& surface, const char* szPath, const std::string& csIdentity) override {
    return ReadStampedCacheFile(surface, szPath, csIdentity);
  }
  int Write(const CDADC& surface, const char* szPath, const std::string& csIdentity) override {
    return WriteStampedCacheFile(surface, szPath, csIdentity);
  }
};

constexpr const char* kStampTag = "VXC2";

// The digest of a 24-bit picture's pixels, row padding left out (the
// quick one: a cache file never outlives the run that wrote it).
std::uint64_t PixelDigest(const CImageDesc& desc) {
  std::uint64_t h = kFnv1aStart;
  const std::size_t iRowBytes = 3 * static_cast<std::size_t>(desc.Width());
  for (int y = 0; y < desc.Height(); ++y) h = WordDigest(desc.Row(y), iRowBytes, h);
  return h;
}

std::string Stamp(int iWidth, int iHeight, std::uint64_t iPixels, const std::string& csIdentity) {
  return FormatMessageText("%s %d %d %016llx %016llx", kStampTag, iWidth, iHeight,
                           static_cast<unsigned long long>(iPixels),
                           static_cast<unsigned long long>(Fnv1a(csIdentity.data(), csIdentity.size())));
}

// The identity a cache file is written and read under.
std::string Identity(const char* szKey, int iPosition, int iLevel, std::uint64_t iRecipe) {
  return FormatMessageText("%s\n%d\n%d\n%016llx", szKey, iPosition, iLevel,
                           static_cast<unsigned long long>(iRecipe));
}

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

int WriteStampedCacheFile(const CDADC& surface, const char* szPath, const std::string& csIdentity) {
  CImageDesc desc;
  if (!surface.m_pBits ||
      AttachImage(desc, surface.m_pBits, surface.m_iWidth, surface.m_iHeight,
                  static_cast<std::size_t>(surface.m_iBytesPerRow)) != kVicOk)
    return 0;
  CTgaOptions options;  // uncompressed, bottom row first: quick both ways
  options.m_csId = Stamp(desc.Width(), desc.Height(), PixelDigest(desc), csIdentity);
  std::vector<std::uint8_t> aFile;
  if (EncodeTga(desc, options, aFile) != kVicOk) return 0;
  // Made exclusively: an existing name, even a dangling link planted there,
  // is never followed or replaced.
  return WriteFileBytes(szPath, aFile, true) == kVicOk ? 1 : 0;
}

int ReadStampedCacheFile(CDADC& surface, const char* szPath, const std::string& csIdentity) {
  if (!surface.m_pBits) return 0;
  CFileBytes aData;
  if (ReadFileBytes(szPath, aData) != kVicOk || aData.size() < 18) return 0;
  // The stamp first: a file of another size or identity is not decoded.
  const std::size_t iIdLength = aData[0];
  if (aData.size() < 18 + iIdLength) return 0;
  const std::string csId(reinterpret_cast<const char*>(aData.data()) + 18, iIdLength);
  const std::string csWanted = Stamp(surface.m_iWidth, surface.m_iHeight, 0, csIdentity);
  // Everything but the pixel digest (the fourth field) must match.
  const std::size_t iDigestAt = csWanted.size() - 2 * 16 - 1;
  if (csId.size() != csWanted.size() || csId.compare(0, iDigestAt, csWanted, 0, iDigestAt) != 0 ||
      csId.compare(iDigestAt + 16, std::string::npos, csWanted, iDigestAt + 16) != 0)
    return 0;
  CImageDesc desc;
  if (DecodePicture(aData, TgaInfo, LoadTga, desc, MaxPicturePixels()) != kVicOk ||
      desc.Width() != surface.m_iWidth || desc.Height() != surface.m_iHeight)
    return 0;
  unsigned long long iDigest = 0;
  if (std::sscanf(csId.c_str() + iDigestAt, "%16llx", &iDigest) != 1 ||
      iDigest != PixelDigest(desc))
    return 0;
  const std::size_t iRowBytes = 3 * static_cast<std::size_t>(desc.Width());
  for (int y = 0; y < desc.Height(); ++y) std::memcpy(surface.Row(y), desc.Row(y), iRowBytes);
  return 1;
}

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

bool CImageCache::ReadCachedImage(CDADC& surface, const char* szKey, int iPosition, int iLevel,
                                  std::uint64_t iRecipe) {
  ReportWriteFailure();
  const std::string csPath = MakeCacheName(szKey, iPosition, iLevel);
  if (csPath.empty()) return false;
  const std::string csIdentity = Identity(szKey, iPosition, iLevel, iRecipe);
  bool bMatches = false;
  switch (m_Writer.ReadPending(surface, csPath, csIdentity)) {
    case CCacheWriter::EPending::Copied:
      TouchCache(csPath);
      return true;
    case CCacheWriter::EPending::Mismatch:
      m_Writer.Settle(csPath);
      break;
    case CCacheWriter::EPending::None:
      if (!FileExists(csPath.c_str())) return false;
      bMatches = m_pFiles->Read(surface, csPath.c_str(), csIdentity) != 0;
      break;
  }
  if (!bMatches) {
    // Made again instead; the file goes so that the new picture can take
    // its place.
    std::remove(csPath.c_str());
    FreeEntries({csPath});
    return false;
  }
  TouchCache(csPath);
  return true;
}

void CImageCache::WriteCachedImage(const CDADC& surface, const char* szKey, int iPosition,
                                   int iLevel, std::uint64_t iRecipe) {
  ReportWriteFailure();
  if (!m_bCacheEnabled) return;
  const std::string csPath = MakeCacheName(szKey, iPosition, iLevel);
  if (csPath.empty() || m_Writer.IsPending(csPath) || FileExists(csPath.c_str())) return;
  if (!m_bMadePrivate) m_bMadePrivate = MakePrivate(m_csDir);
  auto pJob = std::make_unique<CCacheWriter::CJob>();
  pJob->m_pPicture = CDADC::Copy(surface);
  // Without memory for the copy the picture is simply not cached.
  if (!pJob->m_pPicture) return;
  pJob->m_csPath = csPath;
  pJob->m_csKey = szKey;
  pJob->m_csIdentity = Identity(szKey, iPosition, iLevel, iRecipe);
  pJob->m_pFiles = m_pFiles;
  if (!m_Writer.Queue(std::move(pJob))) {
    ReportWriteFailure();
    return;
  }
  Register(csPath, szKey);
}

void CImageCache::Register(const std::string& csPath, const char* szKey) {
  // A file made again (it had gone, or did not match) keeps its entry: two
  // entries of one file would delete it twice.
  for (CCacheEntry& entry : m_aEntries) {
    if (entry.m_iTime == 0 || entry.m_csFile != csPath) continue;
    entry.m_iTime = m_pfnNow();
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

void CImageCache::FreeEntries(const std::vector<std::string>& aPaths) {
  for (CCacheEntry& entry : m_aEntries)
    if (entry.m_iTime != 0 &&
        std::find(aPaths.begin(), aPaths.end(), entry.m_csFile) != aPaths.end())
      entry = {};
}

void CImageCache::ReportWriteFailure() {
  std::vector<std::string> aNotWritten;
  if (!m_Writer.TakeFailure(aNotWritten)) return;
  FreeEntries(aNotWritten);
  m_bCacheEnabled = 0;
  ReportError(
      "Could not save cache image.\nIf your disk is full please exit Vexmora,\n"
      "free some disk space, and restart Vexmora.");
}

void CImageCache::FinishWrites() {
  m_Writer.Finish();
  ReportWriteFailure();
}

void CImageCache::DropWrites() {
  FreeEntries(m_Writer.CancelAll());
  std::vector<std::string> aNotWritten;
  if (m_Writer.TakeFailure(aNotWritten)) FreeEntries(aNotWritten);
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
  // A picture still waiting for its file has none to delete.
  if (m_Writer.Settle(pOldest->m_csFile) != CCacheWriter::ESettled::Dropped) {
    if (FileExists(pOldest->m_csFile.c_str()))
      RemoveCacheFile(pOldest->m_csFile);
    else
      ReportError("Cache image does not exist:\n<%s>", pOldest->m_csFile.c_str());
  }
  *pOldest = {};
}

void CImageCache::RemoveDocCache(const char* szKey) {
  if (!szKey || !*szKey) return;
  // Its pictures not yet on disk never get there; a failed write among them
  // is reported first and its entry freed.
  const std::vector<std::string> aDropped = m_Writer.CancelDocument(szKey);
  ReportWriteFailure();
  for (CCacheEntry& entry : m_aEntries) {
    if (entry.m_iTime == 0 || strcasecmp(entry.m_csDocument.c_str(), szKey) != 0) continue;
    const bool bDropped =
        std::find(aDropped.begin(), aDropped.end(), entry.m_csFile) != aDropped.end();
    if (!bDropped) {
      if (FileExists(entry.m_csFile.c_str()))
        RemoveCacheFile(entry.m_csFile);
      else
        ReportError("Cache image for doc <%s> does not exist:\n<%s>\n", szKey,
                    entry.m_csFile.c_str());
    }
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
