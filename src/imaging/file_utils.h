// Small file and string helpers.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// Opens a file for reading ("rb"): 0 with pFile set, the errno of the
// failure, or kNotRegularFile for a pipe, device, socket or folder. A pipe
// is never waited on: the file is opened without blocking and looked at
// before anything is read.
inline constexpr int kNotRegularFile = -1;
int OpenRegularFile(const char* szPath, std::FILE*& pFile);

// 1 when stat succeeds on the path.
int FileExists(const char* szPath);
// 1 when stat succeeds and the path is a directory.
int IsDirectory(const char* szPath);
// Deletes every file in the directory whose name matches the wildcard pattern
// ("*" and "?"); names starting with "." and directories are skipped. Stops at
// the first file that cannot be removed ("ERROR: could not remove(%s)").
// Returns 1 when the run completes, 0 on that error or when nothing matched.
int RemoveFiles(const char* szDirectory, const char* szPattern);
// Deletes the temporary files of CReplacingFile writers that ended without
// removing them (a killed or crashed program): the hidden regular files
// named ".<name>.<pid>-<n>.part". Only for a folder no running program
// writes into. Returns how many were deleted.
int RemoveLeftoverTemporaries(const char* szDirectory);
// Removes every white-space character in place; returns the new length.
int StripWhiteSpace(char* s);
int StripWhiteSpace(std::string& cs);
// Ends the string at its first "." and returns that position; without a dot
// returns the length. NULL gives 0.
int CutAtDot(char* s);
inline int IsEven(int n) { return n % 2 == 0 ? 1 : 0; }

// True when the whole name matches a wildcard pattern of "*" and "?",
// without regard to case (as the file system of the pictures' origin did).
bool WildcardMatch(const char* szPattern, const char* szName);

// A file written under a temporary name in its destination's folder and
// given the destination's name by Commit, so that it is never seen
// half-written; without a successful Commit the temporary file is removed
// and an existing destination stays as it was. A destination that is a
// symbolic link has its target replaced, keeping the target's permissions;
// a destination the user may not write is refused (EACCES), as writing in
// place would be.
// bCreateNew: the destination must not exist yet, and a link of that name
// (even a dangling one) is not followed: Commit fails with EEXIST.
class CReplacingFile {
 public:
  explicit CReplacingFile(const std::string& csPath, bool bCreateNew = false);
  ~CReplacingFile();
  CReplacingFile(const CReplacingFile&) = delete;
  CReplacingFile& operator=(const CReplacingFile&) = delete;
  // Null when the temporary file could not be made (Error says why).
  std::FILE* File() const { return m_pFile; }
  int Error() const { return m_iError; }
  // Flushes and closes the file and gives it its name: 0, or the errno of
  // the step that failed (the temporary file is then gone).
  int Commit();

 private:
  std::string m_csTarget;
  std::string m_csTemp;
  int m_iUnfinished = -1;  // its entry among the unfinished files
  std::FILE* m_pFile = nullptr;
  bool m_bCreateNew;
  int m_iMode = -1;  // permissions of the file replaced
  int m_iError = 0;
};

// Removes the temporary files of every CReplacingFile not yet committed or
// dropped, for a program about to end at once (_exit) so that it leaves no
// partial file behind. Safe in a signal handler: lock-free loads and unlink.
void RemoveUnfinishedFiles();

// Writes a whole file through a CReplacingFile: 0, or the errno of the
// step that failed.
int WriteWholeFile(const std::string& csPath, const void* pData, std::size_t iSize,
                   bool bCreateNew = false);
// The system's reason for an errno, as one line ("No space left on device").
std::string SystemReason(int iErrno);
