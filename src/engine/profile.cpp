#include "engine/profile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "imaging/file_utils.h"
#include "platform/report.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(std::string_view cs) {
  std::size_t b = 0, e = cs.size();
  while (b < e && IsBlank(cs[b])) ++b;
  while (e > b && IsBlank(cs[e - 1])) --e;
  return std::string(cs.substr(b, e - b));
}

bool SameName(std::string_view a, const char* b) {
  const std::size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

bool HasLineBreak(const char* s) { return std::strpbrk(s, "\r\n") != nullptr; }

}  // namespace

int MakeDirectoryPath(const std::string& csDir) {
  if (csDir.empty()) return 0;
  std::string csPart;
  std::size_t iPos = 0;
  while (iPos != std::string::npos) {
    iPos = csDir.find('/', iPos + 1);
    csPart = csDir.substr(0, iPos);
    if (csPart.empty()) continue;
    struct stat st;
    if (stat(csPart.c_str(), &st) == 0) {
      if (!S_ISDIR(st.st_mode)) return 0;
      continue;
    }
    if (mkdir(csPart.c_str(), 0777) != 0 && errno != EEXIST) return 0;
  }
  return IsDirectory(csDir.c_str());
}

CProfile::CLine CProfile::MakeLine(std::string csText) {
  CLine line;
  const std::string csTrimmed = Trim(csText);
  const std::size_t iEq = csTrimmed.find('=');
  if (!csTrimmed.empty() && csTrimmed[0] != ';' && csTrimmed[0] != '#' &&
      iEq != std::string::npos) {
    line.m_csKey = Trim(std::string_view(csTrimmed).substr(0, iEq));
    std::string csValue = Trim(std::string_view(csTrimmed).substr(iEq + 1));
    if (csValue.size() >= 2 && IsQuote(csValue.front()) && csValue.back() == csValue.front())
      csValue = csValue.substr(1, csValue.size() - 2);
    line.m_csValue = std::move(csValue);
  }
  line.m_csText = std::move(csText);
  return line;
}

void CProfile::Parse(std::string_view csText) {
  m_aSections.clear();
  m_aSections.emplace_back();  // the lines before the first section
  if (csText.substr(0, 3) == "\xEF\xBB\xBF") csText.remove_prefix(3);
  while (!csText.empty()) {
    std::size_t iEnd = csText.find('\n');
    std::string_view csLine = csText.substr(0, iEnd);
    csText.remove_prefix(iEnd == std::string_view::npos ? csText.size() : iEnd + 1);
    if (!csLine.empty() && csLine.back() == '\r') csLine.remove_suffix(1);
    const std::string csTrimmed = Trim(csLine);
    if (!csTrimmed.empty() && csTrimmed[0] == '[') {
      CSection section;
      const std::size_t iClose = csTrimmed.find(']');
      section.m_csName = Trim(std::string_view(csTrimmed).substr(1, iClose == std::string::npos
                                                                       ? std::string::npos
                                                                       : iClose - 1));
      section.m_csHeader = std::string(csLine);
      m_aSections.push_back(std::move(section));
    } else {
      m_aSections.back().m_aLines.push_back(MakeLine(std::string(csLine)));
    }
  }
}

int CProfile::Load(const std::string& csPath) {
  std::ifstream file(csPath, std::ios::binary);
  if (!file) {
    // A file that is there but cannot be read leaves the contents as they
    // were, so that writing them back does not wipe the user's entries.
    if (FileExists(csPath.c_str())) return 0;
    Parse({});
    return 1;
  }
  std::ostringstream text;
  text << file.rdbuf();
  if (file.bad()) return 0;
  Parse(text.str());
  return 1;
}

std::string CProfile::Text() const {
  std::string csText;
  for (const CSection& section : m_aSections) {
    if (!section.m_csHeader.empty()) csText += section.m_csHeader + "\n";
    for (const CLine& line : section.m_aLines) csText += line.m_csText + "\n";
  }
  return csText;
}

int CProfile::Save(const std::string& csPath) const {
  const std::size_t iSlash = csPath.rfind('/');
  bool bOk = iSlash == std::string::npos || iSlash == 0 || MakeDirectoryPath(csPath.substr(0, iSlash));
  if (bOk) {
    // Whole or not at all; a settings file that is a link (to a folder of
    // the user's own settings) stays one, and the file keeps its permissions.
    const std::string csText = Text();
    bOk = WriteWholeFile(csPath, csText.data(), csText.size()) == 0;
  }
  if (!bOk) ReportError("Could not write settings file\n<%s>", csPath.c_str());
  return bOk ? 1 : 0;
}

const CProfile::CLine* CProfile::Find(const char* szSection, const char* szKey) const {
  if (!szSection || !szKey) return nullptr;
  for (const CSection& section : m_aSections) {
    if (section.m_csHeader.empty() || !SameName(section.m_csName, szSection)) continue;
    for (const CLine& line : section.m_aLines)
      if (!line.m_csKey.empty() && SameName(line.m_csKey, szKey)) return &line;
  }
  return nullptr;
}

std::string CProfile::GetProfileString(const char* szSection, const char* szKey,
                                       const char* szDefault) const {
  const CLine* pLine = Find(szSection, szKey);
  if (pLine) return pLine->m_csValue;
  return szDefault ? szDefault : "";
}

int CProfile::GetProfileInt(const char* szSection, const char* szKey, int iDefault) const {
  const CLine* pLine = Find(szSection, szKey);
  if (!pLine || pLine->m_csValue.empty()) return iDefault;
  const char* p = pLine->m_csValue.c_str();
  while (IsBlank(*p)) ++p;
  bool bNegative = false;
  if (*p == '+' || *p == '-') bNegative = *p++ == '-';
  long long iValue = 0;
  for (; std::isdigit(static_cast<unsigned char>(*p)); ++p) {
    iValue = iValue * 10 + (*p - '0');
    if (iValue > static_cast<long long>(INT_MAX) + 1) iValue = static_cast<long long>(INT_MAX) + 1;
  }
  if (bNegative) iValue = -iValue;
  if (iValue > INT_MAX) iValue = INT_MAX;
  return static_cast<int>(iValue);
}

int CProfile::WriteProfileString(const char* szSection, const char* szKey, const char* szValue) {
  if (!szSection || !szKey || !szValue) return 0;
  const std::string csSection = Trim(szSection), csKey = Trim(szKey);
  if (csSection.empty() || csKey.empty() || HasLineBreak(szSection) || HasLineBreak(szKey) ||
      HasLineBreak(szValue) || csSection.find(']') != std::string::npos ||
      csKey.find('=') != std::string::npos || csKey[0] == '[' || csKey[0] == ';' ||
      csKey[0] == '#')
    return 0;
  std::string csValue = szValue;
  const bool bNeedsQuotes =
      !csValue.empty() && (IsBlank(csValue.front()) || IsBlank(csValue.back()) ||
                           (csValue.size() >= 2 && IsQuote(csValue.front()) &&
                            csValue.back() == csValue.front()));
  if (bNeedsQuotes) csValue = "\"" + csValue + "\"";

  if (m_aSections.empty()) m_aSections.emplace_back();
  CSection* pTarget = nullptr;
  for (CSection& section : m_aSections) {
    if (section.m_csHeader.empty() || !SameName(section.m_csName, csSection.c_str())) continue;
    for (CLine& line : section.m_aLines) {
      if (!line.m_csKey.empty() && SameName(line.m_csKey, csKey.c_str())) {
        line = MakeLine(line.m_csKey + "=" + csValue);
        return 1;
      }
    }
    if (!pTarget) pTarget = &section;
  }
  if (!pTarget) {
    // A blank line sets a new section apart from the one before it.
    CSection& last = m_aSections.back();
    if (!last.m_csHeader.empty() || !last.m_aLines.empty()) {
      if (last.m_aLines.empty() || !Trim(last.m_aLines.back().m_csText).empty())
        last.m_aLines.push_back(MakeLine(""));
    }
    CSection section;
    section.m_csName = csSection;
    section.m_csHeader = "[" + csSection + "]";
    m_aSections.push_back(std::move(section));
    pTarget = &m_aSections.back();
  }
  // After the last non-blank line of the section, so that a blank line that
  // separates it from the next section stays at its end.
  auto it = pTarget->m_aLines.end();
  while (it != pTarget->m_aLines.begin() && Trim((it - 1)->m_csText).empty()) --it;
  pTarget->m_aLines.insert(it, MakeLine(csKey + "=" + csValue));
  return 1;
}

int CProfile::WriteProfileInt(const char* szSection, const char* szKey, int iValue) {
  return WriteProfileString(szSection, szKey, std::to_string(iValue).c_str());
}
