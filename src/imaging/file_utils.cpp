#include "imaging/file_utils.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>  // renameat2
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "platform/report.h"

int OpenRegularFile(const char* szPath, std::FILE*& pFile) {
  pFile = nullptr;
  if (!szPath) return EINVAL;
  // Without O_NONBLOCK opening a pipe would wait for a writer.
  const int fd = open(szPath, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return errno;
  struct stat st{};
  if (fstat(fd, &st) != 0) {
    const int iErr = errno;
    close(fd);
    return iErr;
  }
  if (!S_ISREG(st.st_mode)) {
    close(fd);
    return kNotRegularFile;
  }
  const int iFlags = fcntl(fd, F_GETFL);
  if (iFlags < 0 || fcntl(fd, F_SETFL, iFlags & ~O_NONBLOCK) != 0 || !(pFile = fdopen(fd, "rb"))) {
    const int iErr = errno;
    close(fd);
    return iErr;
  }
  return 0;
}

int FileExists(const char* szPath) {
  struct stat st;
  return szPath && stat(szPath, &st) == 0 ? 1 : 0;
}

int IsDirectory(const char* szPath) {
  struct stat st;
  return szPath && stat(szPath, &st) == 0 && S_ISDIR(st.st_mode) ? 1 : 0;
}

bool WildcardMatch(const char* szPattern, const char* szName) {
  // Iterative matcher with one backtrack point for the last "*".
  const char* pStar = nullptr;
  const char* pResume = nullptr;
  while (*szName) {
    if (*szPattern == '*') {
      pStar = szPattern++;
      pResume = szName;
    } else if (*szPattern == '?' ||
               std::tolower(static_cast<unsigned char>(*szPattern)) ==
                   std::tolower(static_cast<unsigned char>(*szName))) {
      ++szPattern;
      ++szName;
    } else if (pStar) {
      szPattern = pStar + 1;
      szName = ++pResume;
    } else {
      return false;
    }
  }
  while (*szPattern == '*') ++szPattern;
  return *szPattern == '\0';
}

int RemoveFiles(const char* szDirectory, const char* szPattern) {
  std::string csDir = szDirectory ? szDirectory : "";
  if (csDir.empty() || csDir.back() != '/') csDir += '/';
  // "*.*" matches every name, with or without a dot.
  const bool bAll = std::strcmp(szPattern, "*.*") == 0 || std::strcmp(szPattern, "*") == 0;
  std::unique_ptr<DIR, int (*)(DIR*)> pDir(opendir(csDir.c_str()), closedir);
  if (!pDir) return 0;
  int iMatched = 0;
  while (const dirent* pEntry = readdir(pDir.get())) {
    if (pEntry->d_name[0] == '.') continue;
    if (!bAll && !WildcardMatch(szPattern, pEntry->d_name)) continue;
    const std::string csPath = csDir + pEntry->d_name;
    if (IsDirectory(csPath.c_str())) continue;
    ++iMatched;
    if (std::remove(csPath.c_str()) != 0) {
      ReportError("ERROR: could not remove(%s)", csPath.c_str());
      return 0;
    }
  }
  return iMatched > 0 ? 1 : 0;
}

namespace {

// The end of every temporary file's name (CreateTemporary below).
constexpr std::string_view kTemporaryEnd = ".part";

// Whether a name is one CreateTemporary makes.
bool IsTemporaryName(std::string_view sv) {
  if (sv.size() < 2 + kTemporaryEnd.size() || sv[0] != '.' || !sv.ends_with(kTemporaryEnd))
    return false;
  sv.remove_suffix(kTemporaryEnd.size());
  const std::size_t iDot = sv.rfind('.');
  if (iDot == 0 || iDot == std::string_view::npos) return false;
  const std::string_view svNumbers = sv.substr(iDot + 1);
  const std::size_t iDash = svNumbers.find('-');
  const auto AllDigits = [](std::string_view svPart) {
    return !svPart.empty() &&
           svPart.find_first_not_of("0123456789") == std::string_view::npos;
  };
  return iDash != std::string_view::npos && AllDigits(svNumbers.substr(0, iDash)) &&
         AllDigits(svNumbers.substr(iDash + 1));
}

}  // namespace

int RemoveLeftoverTemporaries(const char* szDirectory) {
  std::string csDir = szDirectory ? szDirectory : "";
  if (csDir.empty() || csDir.back() != '/') csDir += '/';
  std::unique_ptr<DIR, int (*)(DIR*)> pDir(opendir(csDir.c_str()), closedir);
  if (!pDir) return 0;
  int iRemoved = 0;
  while (const dirent* pEntry = readdir(pDir.get())) {
    if (!IsTemporaryName(pEntry->d_name)) continue;
    const std::string csPath = csDir + pEntry->d_name;
    struct stat st {};
    if (lstat(csPath.c_str(), &st) == 0 && S_ISREG(st.st_mode) && unlink(csPath.c_str()) == 0)
      ++iRemoved;
  }
  return iRemoved;
}

int StripWhiteSpace(char* s) {
  if (!s) return 0;
  char* pOut = s;
  for (const char* p = s; *p; ++p)
    if (!std::isspace(static_cast<unsigned char>(*p))) *pOut++ = *p;
  *pOut = '\0';
  return static_cast<int>(pOut - s);
}

int StripWhiteSpace(std::string& cs) {
  std::string csOut;
  for (char c : cs)
    if (!std::isspace(static_cast<unsigned char>(c))) csOut += c;
  cs = csOut;
  return static_cast<int>(cs.size());
}

int CutAtDot(char* s) {
  if (!s) return 0;
  char* pDot = std::strchr(s, '.');
  if (!pDot) return static_cast<int>(std::strlen(s));
  *pDot = '\0';
  return static_cast<int>(pDot - s);
}

std::string SystemReason(int iErrno) { return std::strerror(iErrno); }

namespace {

// The temporary files being written, where a signal handler can find them
// without taking a lock: an entry is claimed (kClaimed), its name copied,
// then published (kListed); it is freed once its file is renamed or removed.
// An ending program takes the entries it removes (kRemoving), so that their
// names are never rewritten under it. Writers beyond the table's size are
// simply not listed.
enum : int { kFree, kClaimed, kListed, kRemoving };
struct CUnfinishedFile {
  std::atomic<int> m_iState{kFree};
  char m_szPath[PATH_MAX];
};
constexpr int kUnfinishedFiles = 64;
CUnfinishedFile s_aUnfinished[kUnfinishedFiles];
static_assert(std::atomic<int>::is_always_lock_free);

int ListUnfinished(const std::string& csTemp) {
  if (csTemp.size() >= PATH_MAX) return -1;
  for (int i = 0; i < kUnfinishedFiles; ++i) {
    int iFree = kFree;
    if (!s_aUnfinished[i].m_iState.compare_exchange_strong(iFree, kClaimed)) continue;
    std::memcpy(s_aUnfinished[i].m_szPath, csTemp.c_str(), csTemp.size() + 1);
    s_aUnfinished[i].m_iState.store(kListed);
    return i;
  }
  return -1;
}

void Unlist(int& iEntry) {
  // An entry being removed stays taken: the program is ending.
  int iListed = kListed;
  if (iEntry >= 0) s_aUnfinished[iEntry].m_iState.compare_exchange_strong(iListed, kFree);
  iEntry = -1;
}

// Creates a new file beside csPath under a name no other writer uses; -1
// with errno set when none can be made.
int CreateTemporary(const std::string& csPath, std::string& csTemp) {
  static std::atomic<unsigned> s_iCounter{0};
  const std::size_t iSlash = csPath.rfind('/');
  const std::string csDir = iSlash == std::string::npos ? "" : csPath.substr(0, iSlash + 1);
  const std::string csName = iSlash == std::string::npos ? csPath : csPath.substr(iSlash + 1);
  for (int iTry = 0; iTry < 100; ++iTry) {
    // Hidden, so that a folder listing or the cache's clearing skips it.
    csTemp = csDir + "." + csName.substr(0, 200) + "." + std::to_string(getpid()) + "-" +
             std::to_string(s_iCounter++) + std::string(kTemporaryEnd);
    const int fd = open(csTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

CReplacingFile::CReplacingFile(const std::string& csPath, bool bCreateNew)
    : m_csTarget(csPath), m_bCreateNew(bCreateNew) {
  struct stat st;
  if (!bCreateNew) {
    // Saving over a link replaces what it points to, as writing in place did.
    if (lstat(csPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
      char szResolved[PATH_MAX];
      if (realpath(csPath.c_str(), szResolved)) m_csTarget = szResolved;
    }
    if (stat(m_csTarget.c_str(), &st) == 0) {
      if (S_ISDIR(st.st_mode)) {
        m_iError = EISDIR;
        return;
      }
      if (S_ISREG(st.st_mode)) {
        // A file the user may not write stays as it is, as it would for
        // writing in place (the folder's permission would allow the rename).
        if (access(m_csTarget.c_str(), W_OK) != 0) {
          m_iError = errno;
          return;
        }
        m_iMode = static_cast<int>(st.st_mode & 07777);
      } else {
        // A device or pipe (/dev/null, /dev/stdout) is written as it is.
        m_pFile = std::fopen(m_csTarget.c_str(), "wb");
        if (!m_pFile) m_iError = errno;
        return;
      }
    }
  }
  const int fd = CreateTemporary(m_csTarget, m_csTemp);
  if (fd < 0) {
    m_iError = errno;
    return;
  }
  m_iUnfinished = ListUnfinished(m_csTemp);
  m_pFile = fdopen(fd, "wb");
  if (!m_pFile) {
    m_iError = errno;
    close(fd);
    unlink(m_csTemp.c_str());
    Unlist(m_iUnfinished);
  }
}

CReplacingFile::~CReplacingFile() {
  if (!m_pFile) return;
  std::fclose(m_pFile);
  if (!m_csTemp.empty()) unlink(m_csTemp.c_str());
  Unlist(m_iUnfinished);
}

void RemoveUnfinishedFiles() {
  for (CUnfinishedFile& file : s_aUnfinished) {
    int iListed = kListed;
    if (file.m_iState.compare_exchange_strong(iListed, kRemoving)) unlink(file.m_szPath);
  }
}

int CReplacingFile::Commit() {
  if (!m_pFile) return m_iError ? m_iError : EBADF;
  std::FILE* pFile = m_pFile;
  m_pFile = nullptr;
  int iError = 0;
  errno = 0;
  // A new file (the cache's) is not worth the wait for the disk; a file that
  // replaces another must be on the disk before the old one goes.
  if (std::fflush(pFile) != 0 || std::ferror(pFile) ||
      (m_iMode >= 0 && fchmod(fileno(pFile), static_cast<mode_t>(m_iMode)) != 0) ||
      (!m_bCreateNew && !m_csTemp.empty() && fsync(fileno(pFile)) != 0))
    iError = errno ? errno : EIO;
  if (std::fclose(pFile) != 0 && !iError) iError = errno;
  if (m_csTemp.empty()) return iError;
  if (!iError) {
    if (m_bCreateNew) {
      // Neither replaces nor follows an existing name; link() serves file
      // systems without the exclusive rename.
      if (renameat2(AT_FDCWD, m_csTemp.c_str(), AT_FDCWD, m_csTarget.c_str(), RENAME_NOREPLACE) !=
          0) {
        iError = errno;
        if ((iError == EINVAL || iError == ENOSYS) &&
            link(m_csTemp.c_str(), m_csTarget.c_str()) == 0) {
          iError = 0;
          unlink(m_csTemp.c_str());
        }
      }
    } else if (rename(m_csTemp.c_str(), m_csTarget.c_str()) != 0) {
      iError = errno;
    }
  }
  // After a rename the temporary name is gone already; otherwise it goes now.
  if (iError) unlink(m_csTemp.c_str());
  Unlist(m_iUnfinished);
  return iError;
}

int WriteWholeFile(const std::string& csPath, const void* pData, std::size_t iSize,
                   bool bCreateNew) {
  CReplacingFile file(csPath, bCreateNew);
  if (!file.File()) return file.Error();
  errno = 0;
  if (iSize > 0 && std::fwrite(pData, iSize, 1, file.File()) != 1) return errno ? errno : EIO;
  return file.Commit();
}
