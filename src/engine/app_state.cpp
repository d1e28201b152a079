#include "engine/app_state.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <strings.h>

#include "imaging/constants.h"
#include "imaging/file_utils.h"
#include "imaging/packed_dib.h"
#include "imaging/image_files.h"
#include "imaging/random.h"
#include "platform/report.h"

namespace {

constexpr const char* kSupportLine = "\nPlease contact Vexmora technical support.";
constexpr const char* kCacheDirName = "VEXMOTEMP";

std::string AbsoluteEnv(const char* szName) {
  const char* szValue = std::getenv(szName);
  return szValue && szValue[0] == '/' ? std::string(szValue) : std::string();
}

// The path with symbolic links, "." and ".." resolved; empty when it does not exist.
std::string CanonicalPath(const std::string& csPath) {
  if (csPath.empty()) return {};
  char szResolved[PATH_MAX];
  return realpath(csPath.c_str(), szResolved) ? std::string(szResolved) : std::string();
}

// A leading "~/" stands for the home directory, as in a shell.
std::string ExpandHome(std::string csPath, const std::string& csHome) {
  if (!csHome.empty() && (csPath == "~" || csPath.rfind("~/", 0) == 0))
    csPath = csHome + csPath.substr(1);
  return csPath;
}

std::string LastComponent(const std::string& csPath) {
  const std::size_t iSlash = csPath.rfind('/');
  return iSlash == std::string::npos ? csPath : csPath.substr(iSlash + 1);
}

// Whether the program may clear a cache directory whose links are resolved:
// a "VEXMOTEMP" directory that is neither the root nor the main directory.
bool IsClearableCache(const std::string& csCanonical, const std::string& csMainDir) {
  return !csCanonical.empty() && csCanonical != "/" && csCanonical != CanonicalPath(csMainDir) &&
         LastComponent(csCanonical) == kCacheDirName && IsDirectory(csCanonical.c_str());
}

// The directory part of a path without its final separator ("/" for a file
// in the root); empty when the path has no separator.
std::string DirectoryOf(const char* szPath) {
  const std::string csPath = szPath;
  const std::size_t iSlash = csPath.rfind('/');
  if (iSlash == std::string::npos) return {};
  return iSlash == 0 ? std::string("/") : csPath.substr(0, iSlash);
}

}  // namespace

CUserPaths CUserPaths::FromEnvironment() {
  CUserPaths paths;
  if (const char* szHome = std::getenv("HOME"); szHome && *szHome) {
    paths.m_csHome = szHome;
  } else if (const passwd* pEntry = getpwuid(getuid()); pEntry && pEntry->pw_dir) {
    paths.m_csHome = pEntry->pw_dir;
  }
  paths.m_csConfigHome = AbsoluteEnv("XDG_CONFIG_HOME");
  paths.m_csDataHome = AbsoluteEnv("XDG_DATA_HOME");
  paths.m_csCacheHome = AbsoluteEnv("XDG_CACHE_HOME");
  char szCwd[PATH_MAX];
  if (getcwd(szCwd, sizeof szCwd)) paths.m_csWorkingDir = szCwd;
  return paths;
}

int ImageTypeIndex(const char* szExtension) {
  if (!szExtension) return -1;
  for (int i = 0; i < kImageFilterCount; ++i)
    if (strcasecmp(kImageDefaultExtensions[i] + 2, szExtension) == 0) return i;
  return -1;
}

CAppState::CAppState(CUserPaths paths) : m_Paths(std::move(paths)) { Initialise(); }

void CAppState::Initialise() {
  g_bStop = 0;
  m_iPasteCount = 1;
  m_Cache.m_bCacheEnabled = 1;
  m_iDocCount = 0;
  m_iReadExt = 0;
  m_iSaveExt = 0;
  m_iPrefXform = kDefaultXform;
}

bool CAppState::StartUp(bool bAnotherInstanceRuns) {
  if (bAnotherInstanceRuns) return false;
  Initialise();
  ReadSettings();
  SetupDirectories();
  const auto iClockMs = static_cast<long long>(std::clock()) * 1000 / CLOCKS_PER_SEC;
  SeedRandom(static_cast<unsigned int>(static_cast<long long>(std::time(nullptr)) + iClockMs));
  ClearCacheDirectory("*.*");
  return true;
}

void CAppState::Exit(bool bAnotherInstanceRuns) {
  // Pictures still waiting for their files would only be deleted again.
  m_Cache.DropWrites();
  if (bAnotherInstanceRuns) return;
  WriteSettings();
  ClearCacheDirectory("*.TMP");
}

std::string CAppState::ProfilePath() const {
  std::string csBase = m_Paths.m_csConfigHome;
  if (csBase.empty() && !m_Paths.m_csHome.empty()) csBase = m_Paths.m_csHome + "/.config";
  return csBase.empty() ? std::string() : csBase + "/vexmora/vexmora.ini";
}

void CAppState::ReadSettings() {
  const std::string csPath = ProfilePath();
  if (csPath.empty())
    m_Profile.Parse({});
  else
    m_Profile.Load(csPath);

  // Started from a desktop menu the working directory is the home folder,
  // no place for the cache and the tips: without a stored main directory
  // the user's data folder holds them.
  m_csMainDir = m_Profile.GetProfileString(kSectionDirectories, "MAIN", "");
  if (m_csMainDir.empty()) {
    m_csMainDir = DefaultMainDir();
  } else {
    m_csMainDir = ExpandHome(m_csMainDir, m_Paths.m_csHome);
    // A bare root is no place for the program's files.
    if (m_csMainDir.size() <= 3) m_csMainDir = m_Paths.m_csHome + "/VEXMO";
  }
  const std::string csHome = m_Paths.m_csHome.empty() ? std::string("/") : m_Paths.m_csHome;
  m_csInitialDir = ExpandHome(
      m_Profile.GetProfileString(kSectionDirectories, "INITIAL_BMP_DIR", csHome.c_str()),
      m_Paths.m_csHome);
  m_iReadExt = m_Profile.GetProfileInt(kSectionGeneral, "READEXT", 2);
  if (m_iReadExt < 0 || m_iReadExt >= kImageFilterCount) m_iReadExt = 0;
  m_iSaveExt = m_Profile.GetProfileInt(kSectionGeneral, "SAVEEXT", 2);
  if (m_iSaveExt < 0 || m_iSaveExt >= kImageFilterCount) m_iSaveExt = 0;
  // An index outside the catalogue would reach past its tables in every new
  // document; such a value is taken as absent.
  m_iPrefXform = m_Profile.GetProfileInt(kSectionGeneral, "PREFD_FILTR", kDefaultXform);
  if (m_iPrefXform < 0 || m_iPrefXform >= kXformIndexes) m_iPrefXform = kDefaultXform;
  // The largest picture opened or pasted; a value outside its bounds is
  // taken as absent.
  if (!SetMaxPicturePixels(m_Profile.GetProfileInt(
          kSectionGeneral, "MAX_PIXELS", static_cast<int>(kDefaultMaxPicturePixels))))
    SetMaxPicturePixels(kDefaultMaxPicturePixels);
  for (int i = 0; i < kRecentCount; ++i) {
    const std::string csKey = "MRO" + std::to_string(i + 1);
    m_aRecent[static_cast<std::size_t>(i)] =
        m_Profile.GetProfileString(kSectionLastFiles, csKey.c_str(), "");
  }
}

int CAppState::WriteSettings() {
  const std::string csPath = ProfilePath();
  if (csPath.empty()) {
    ReportError("Could not write settings file\n<%s>", csPath.c_str());
    return 0;
  }
  // Start from the file as it is now, so that entries written since start-up
  // (the tip of the day's) are kept.
  m_Profile.Load(csPath);
  m_Profile.WriteProfileString(kSectionDirectories, "MAIN", m_csMainDir.c_str());
  m_Profile.WriteProfileString(kSectionDirectories, "INITIAL_BMP_DIR", m_csInitialDir.c_str());
  m_Profile.WriteProfileInt(kSectionGeneral, "PREFD_FILTR", m_iPrefXform);
  m_Profile.WriteProfileInt(kSectionGeneral, "SAVEEXT", m_iSaveExt);
  m_Profile.WriteProfileInt(kSectionGeneral, "READEXT", m_iReadExt);
  for (int i = 0; i < kRecentCount; ++i) {
    const std::string csKey = "MRO" + std::to_string(i + 1);
    m_Profile.WriteProfileString(kSectionLastFiles, csKey.c_str(),
                                 m_aRecent[static_cast<std::size_t>(i)].c_str());
  }
  return m_Profile.Save(csPath);
}

std::string CAppState::DefaultMainDir() const {
  const std::string csData = ProgramsFolder();
  return csData.empty() ? m_Paths.m_csWorkingDir : csData + "/vexmora";
}

std::string CAppState::DefaultCacheDir() const {
  std::string csBase = m_Paths.m_csCacheHome;
  if (csBase.empty() && !m_Paths.m_csHome.empty()) csBase = m_Paths.m_csHome + "/.cache";
  return csBase.empty() ? std::string() : csBase + "/vexmora/" + kCacheDirName;
}

std::string CAppState::ProgramsFolder() const {
  if (!m_Paths.m_csDataHome.empty()) return m_Paths.m_csDataHome;
  return m_Paths.m_csHome.empty() ? std::string() : m_Paths.m_csHome + "/.local/share";
}

void CAppState::SetupDirectories() {
  const bool bDefaultMain = !m_csMainDir.empty() && m_csMainDir == DefaultMainDir();
  if (bDefaultMain && !IsDirectory(m_csMainDir.c_str())) MakeDirectoryPath(m_csMainDir);
  if (!IsDirectory(m_csMainDir.c_str())) {
    const std::string csPrograms = ProgramsFolder();
    if (csPrograms.empty()) {
      ReportError("Could not find special programs folder%s", kSupportLine);
      return;
    }
    if (!MakeDirectoryPath(csPrograms)) {
      ReportError("Could not find programs folder, IDList%s", kSupportLine);
      return;
    }
    const std::string csNewMain = csPrograms + "/Vexmo4";
    ReportError("Directory <%s> not found.\nUsing <%s> as\nmain Vexmora directory",
                m_csMainDir.c_str(), csNewMain.c_str());
    if (!IsDirectory(csNewMain.c_str()) && mkdir(csNewMain.c_str(), 0777) != 0) {
      ReportError("Could not create new main directory\n<%s>.%s", csNewMain.c_str(),
                  kSupportLine);
      return;
    }
    m_csMainDir = csNewMain;
  }
  std::string csTemp = bDefaultMain ? DefaultCacheDir() : std::string();
  if (!csTemp.empty() && !IsDirectory(csTemp.c_str())) MakeDirectoryPath(csTemp);
  // A cache folder the program could not clear (a link to a folder of the
  // user's) would only fill up: the main directory's takes its place.
  if (csTemp.empty() || !IsClearableCache(CanonicalPath(csTemp), m_csMainDir)) {
    csTemp = m_csMainDir;
    while (csTemp.size() > 1 && csTemp.back() == '/') csTemp.pop_back();
    csTemp += csTemp == "/" ? kCacheDirName : std::string("/") + kCacheDirName;
  }
  m_Cache.SetDirectory(csTemp);
  if (!IsDirectory(csTemp.c_str()) && mkdir(csTemp.c_str(), 0777) != 0)
    ReportError("Could not create temporary\ndirectory <%s>.", csTemp.c_str());
}

int CAppState::ClearCacheDirectory(const char* szPattern) {
  const std::string& csDir = m_Cache.Directory();
  if (csDir.empty()) return 0;
  const std::string csCanonical = CanonicalPath(csDir);
  if (csCanonical.empty()) return 0;  // no directory, nothing to clear
  if (!IsClearableCache(csCanonical, m_csMainDir)) {
    ReportError("Cache directory not cleared:\n<%s>\nis not a %s directory", csDir.c_str(),
                kCacheDirName);
    return 0;
  }
  if (std::strcmp(szPattern, "*.*") == 0) RemoveLeftoverTemporaries(csCanonical.c_str());
  return RemoveFiles(csCanonical.c_str(), szPattern);
}

void CAppState::AddRecent(const char* szPath) {
  if (!szPath || !*szPath) return;
  for (const std::string& csEntry : m_aRecent)
    if (csEntry == szPath) return;
  for (std::size_t i = m_aRecent.size() - 1; i > 0; --i) m_aRecent[i] = m_aRecent[i - 1];
  m_aRecent[0] = szPath;
}

int CAppState::ReloadRecent(int i, const std::function<int(const std::string&)>& pfnOpen) {
  if (i < 0 || i >= kRecentCount) return 0;
  const std::string csEntry = m_aRecent[static_cast<std::size_t>(i)];
  if (csEntry.size() <= 3) return 0;
  if (!FileExists(csEntry.c_str())) {
    ReportError("This file has been deleted or moved");
    return 0;
  }
  return pfnOpen ? pfnOpen(csEntry) : 0;
}

bool CAppState::HasRecent(int i) const {
  return i >= 0 && i < kRecentCount && !m_aRecent[static_cast<std::size_t>(i)].empty();
}

void CAppState::NoteImageOpened(const char* szPath) {
  if (!szPath || !*szPath) return;
  AddRecent(szPath);
  if (std::string csDir = DirectoryOf(szPath); !csDir.empty()) m_csInitialDir = csDir;
  const std::string csName = LastComponent(szPath);
  const std::size_t iDot = csName.rfind('.');
  if (iDot != std::string::npos) {
    const int iType = ImageTypeIndex(csName.c_str() + iDot + 1);
    if (iType >= 0) m_iReadExt = iType;
  }
}

void CAppState::NoteImageSaved(const char* szPath) {
  if (!szPath || !*szPath) return;
  if (std::string csDir = DirectoryOf(szPath); !csDir.empty()) m_csInitialDir = csDir;
  const std::string csPath = szPath;
  if (csPath.size() >= 3) {
    const int iType = ImageTypeIndex(csPath.c_str() + csPath.size() - 3);
    if (iType >= 0) m_iSaveExt = iType;
  }
}

std::string CAppState::NextPasteName() { return "Image" + std::to_string(m_iPasteCount++); }

void CAppState::DocumentClosed() {
  if (m_iDocCount <= 0) {
    ReportError("Strange doc count value:%d", m_iDocCount);
    return;
  }
  --m_iDocCount;
}

int CAppState::TipStartUp() const { return m_Profile.GetProfileInt(kSectionTip, "StartUp", 0); }
int CAppState::TipFilePos() const { return m_Profile.GetProfileInt(kSectionTip, "FilePos", 0); }
std::string CAppState::TipTimeStamp() const {
  return m_Profile.GetProfileString(kSectionTip, "TimeStamp", "");
}
void CAppState::SetTipStartUp(int iValue) { WriteTip("StartUp", std::to_string(iValue)); }
void CAppState::SetTipFilePos(int iValue) { WriteTip("FilePos", std::to_string(iValue)); }
void CAppState::SetTipTimeStamp(const std::string& csValue) {
  // A time text as ctime makes it ends with a line break, which has no place
  // in a profile line.
  std::string csText = csValue;
  while (!csText.empty() && (csText.back() == '\n' || csText.back() == '\r')) csText.pop_back();
  WriteTip("TimeStamp", csText);
}

int CAppState::WriteTip(const char* szKey, const std::string& csValue) {
  // Like the classic profile functions, each write reaches the file at once.
  const std::string csPath = ProfilePath();
  if (!csPath.empty()) m_Profile.Load(csPath);
  m_Profile.WriteProfileString(kSectionTip, szKey, csValue.c_str());
  return csPath.empty() ? 0 : m_Profile.Save(csPath);
}
