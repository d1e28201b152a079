#include "imaging/file_utils.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/report.h"

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
