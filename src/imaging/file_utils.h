// Small file and string helpers.
#pragma once

#include <string>

// 1 when stat succeeds on the path.
int FileExists(const char* szPath);
// 1 when stat succeeds and the path is a directory.
int IsDirectory(const char* szPath);
// Deletes every file in the directory whose name matches the wildcard pattern
// ("*" and "?"); names starting with "." and directories are skipped. Stops at
// the first file that cannot be removed ("ERROR: could not remove(%s)").
// Returns 1 when the run completes, 0 on that error or when nothing matched.
int RemoveFiles(const char* szDirectory, const char* szPattern);
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
