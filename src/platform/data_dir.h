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

#include <cstddef>
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

// ---- The shipped fonts ---------------------------------------------------------------
//
// The fonts folder carries SHA256SUMS, one line per shipped font file as
// sha256sum writes it ("<64 hex digits>  <file name>"). Only the files listed
// there, each whole and unchanged, are used for drawing: a missing or damaged
// one is an error naming the file, never a different face.

inline constexpr const char* kFontSumsFile = "SHA256SUMS";

// Checks the fonts folder of csDataDir against its list: true with the
// listed files (full paths, in list order) in aFiles, or false with the
// reason, naming the file, in csError. Without bDigests only the list and
// the presence of every listed file are checked (nothing is read).
bool CheckFontsIn(const std::string& csDataDir, std::vector<std::string>& aFiles,
                  std::string& csError, bool bDigests = true);
// The whole check for the data folder in use (DataDir()), done once per run
// and kept. The desktop calls it at start and stops with csError when it
// fails; anything that draws text runs it first (ShippedFontsError).
bool CheckShippedFonts(std::string& csError);
// The reason the whole check failed, naming the file (valid for the rest of
// the run), or nullptr when every shipped font is whole.
const char* ShippedFontsError();
// The list and every listed file present, without reading the fonts: what
// the command line checks at start, so that a run that draws no text does
// not pay for reading and hashing them (4 MB).
bool ShippedFontsListed(std::string& csError);
// The checked font files of the data folder in use; empty when the check
// failed (then no text can be drawn).
const std::vector<std::string>& ShippedFontFiles();

// The SHA-256 digest of a byte string, as 64 lower-case hexadecimal digits.
std::string Sha256Hex(const void* pData, std::size_t iSize);
