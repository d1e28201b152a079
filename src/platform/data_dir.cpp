#include "platform/data_dir.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

// Set for this file alone by the build. The first is relative; the build tree
// paths are used only by a program that still runs inside that tree.
#ifndef VX_DATA_FROM_BIN
#define VX_DATA_FROM_BIN "../share/vexmora"
#endif
#ifndef VX_BUILD_TREE
#define VX_BUILD_TREE ""
#endif
#ifndef VX_BUILD_DATA_DIR
#define VX_BUILD_DATA_DIR ""
#endif

namespace fs = std::filesystem;

bool IsDataDir(const std::string& csDir) {
  if (csDir.empty()) return false;
  std::error_code ec;
  // The fallback face of every font lookup: without it no text can be drawn.
  return fs::is_regular_file(fs::path(csDir) / "fonts" / "LiberationSans-Regular.ttf", ec);
}

namespace {

fs::path Clean(const fs::path& path) {
  std::error_code ec;
  fs::path clean = fs::weakly_canonical(path, ec);
  return ec ? path.lexically_normal() : clean;
}

// Whether path lies inside folder (both cleaned).
bool IsInside(const fs::path& path, const fs::path& folder) {
  const fs::path rel = path.lexically_relative(folder);
  return !rel.empty() && *rel.begin() != "..";
}

}  // namespace

DataDirSearch FindDataDir(const DataDirInputs& in) {
  DataDirSearch search;
  auto tryDir = [&search](const fs::path& dir) {
    const std::string csDir = Clean(dir).string();
    search.m_aTried.push_back(csDir);
    if (!IsDataDir(csDir)) return false;
    search.m_csDir = csDir;
    return true;
  };
  if (in.m_szOverride && *in.m_szOverride) {
    tryDir(in.m_szOverride);
    return search;
  }
  if (in.m_csProgram.empty()) return search;
  const fs::path program = Clean(in.m_csProgram);
  if (!in.m_csFromProgram.empty() && tryDir(program.parent_path() / in.m_csFromProgram))
    return search;
  if (!in.m_csBuildTree.empty() && !in.m_csBuildData.empty() &&
      IsInside(program, Clean(in.m_csBuildTree)))
    tryDir(in.m_csBuildData);
  return search;
}

const DataDirSearch& DataDir() {
  static const DataDirSearch s_search = [] {
    DataDirInputs in;
    in.m_szOverride = std::getenv(kDataDirVariable);
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) in.m_csProgram = program.string();
    in.m_csFromProgram = VX_DATA_FROM_BIN;
    in.m_csBuildTree = VX_BUILD_TREE;
    in.m_csBuildData = VX_BUILD_DATA_DIR;
    return FindDataDir(in);
  }();
  return s_search;
}

std::string DataDirMissingMessage(const DataDirSearch& search) {
  std::string csText = "Vexmora's data folder (fonts, tips, help) was not found; looked in:";
  for (const std::string& csDir : search.m_aTried) csText += "\n  " + csDir;
  if (search.m_aTried.empty()) csText += " nowhere";
  csText += "\nSet " + std::string(kDataDirVariable) + " to the folder that holds fonts/.";
  return csText;
}
