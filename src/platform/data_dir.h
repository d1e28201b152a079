// Where the program's data lives: the bundled fonts (which every text-drawing
// Xform depends on), tips, help, sample photos and icons. It is found when the
// program runs, never through a path fixed at build time alone, so that an
// installed copy, or the same binary on another machine, draws the same
// pictures:
//
//   1. the folder named by the environment variable VEXMORA_DATA_DIR (when set,
//      it is the only place looked at: a wrong override is reported, not
//      silently replaced);
//   2. share/vexmora beside the folder of the running program
//      (<prefix>/bin/vexmora-cli -> <prefix>/share/vexmora);
//   3. the source tree's resources folder, only for a program that runs from
//      inside the build tree it was built in.
#pragma once

#include <string>
#include <vector>

inline constexpr const char* kDataDirVariable = "VEXMORA_DATA_DIR";

struct DataDirSearch {
  std::string m_csDir;                // the folder in use; empty when none was found
  std::vector<std::string> m_aTried;  // every folder looked at, in order
};

// Whether csDir holds the program's data (its shipped fonts).
bool IsDataDir(const std::string& csDir);

// Where a program and its build come from, as the search sees them.
struct DataDirInputs {
  const char* m_szOverride = nullptr;  // the variable's value; null when unset
  std::string m_csProgram;             // the running program's file
  std::string m_csFromProgram = "../share/vexmora";  // the data relative to its folder
  std::string m_csBuildTree;           // the build tree the program was built in
  std::string m_csBuildData;           // the data folder that build tree uses
};

// The search above for given inputs.
DataDirSearch FindDataDir(const DataDirInputs& in);

// The search for this process, done once.
const DataDirSearch& DataDir();

// The message for a search that found nothing, naming where it looked.
std::string DataDirMissingMessage(const DataDirSearch& search);
