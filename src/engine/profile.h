// The private profile file: a small INI reader and writer with the look-up
// rules of the classic profile functions. Section and key names are found
// without regard to case, blanks around names and values do not count, a value
// wrapped in one pair of quotes loses them, and an absent entry gives the
// caller's default. Writing changes an existing entry in place (keeping its
// spelling and position), adds a new key at the end of its section and a new
// section at the end of the file; comments, blank lines and entries the
// program does not know are kept as they were.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class CProfile {
 public:
  // Replaces the contents with the file's. A missing file gives an empty
  // profile and 1; a file that exists but cannot be read gives 0 and leaves
  // the contents unchanged.
  int Load(const std::string& csPath);
  // Replaces the contents with the given text (lines end with LF or CR LF).
  void Parse(std::string_view csText);
  // The file text: every line as read or written, ended by LF.
  std::string Text() const;
  // Writes the text through a temporary file that then replaces the old one,
  // so that a crash never leaves half a file; creates missing parent
  // directories. 1, or 0 after "Could not write settings file\n<%s>".
  int Save(const std::string& csPath) const;

  // The value of the first entry of that key in a section of that name (an
  // entry without a value gives ""), or szDefault when there is none.
  std::string GetProfileString(const char* szSection, const char* szKey,
                               const char* szDefault) const;
  // The value read as a decimal integer (leading blanks, an optional sign and
  // the digits up to the first other character; no digits give 0, a value
  // beyond the int range is clamped); iDefault when absent or empty.
  int GetProfileInt(const char* szSection, const char* szKey, int iDefault) const;
  // Sets an entry. A value with blanks at either end, or one that starts and
  // ends with the same quote character, is written inside double quotes so
  // that it reads back unchanged. Refuses (0) names or values that would break
  // the file's lines: line breaks anywhere, "]" in a section name, "=" in a
  // key, empty names.
  int WriteProfileString(const char* szSection, const char* szKey, const char* szValue);
  int WriteProfileInt(const char* szSection, const char* szKey, int iValue);

 private:
  struct CLine {
    std::string m_csText;  // the whole line as it stands in the file
    std::string m_csKey;   // the key when the line is an entry, else empty
    std::string m_csValue; // the value with blanks and one pair of quotes removed
  };
  struct CSection {
    std::string m_csName;    // blanks around it removed
    std::string m_csHeader;  // the "[...]" line; empty for the lines before any section
    std::vector<CLine> m_aLines;
  };
  const CLine* Find(const char* szSection, const char* szKey) const;
  static CLine MakeLine(std::string csText);

  std::vector<CSection> m_aSections;
};

// Creates the directory and every missing one above it (mode 0777 before the
// umask). 1 when the path is then a directory, else 0.
int MakeDirectoryPath(const std::string& csDir);
