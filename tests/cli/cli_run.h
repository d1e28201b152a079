// Running the built vexmora-cli from a test.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/temp_dir.h"

#ifdef VX_CLI_PATH
// Runs the built tool (after csPrefix, e.g. "timeout 20 "); returns its
// exit status (stderr in *pErr).
inline int Cli(const std::string& csArgs, std::string* pErr = nullptr,
               const std::string& csPrefix = "") {
  CTempDir tmp;
  const std::string csErrFile = tmp.Path("err.txt");
  const std::string csCommand =
      csPrefix + std::string(VX_CLI_PATH) + " " + csArgs + " >/dev/null 2>" + csErrFile;
  const int iStatus = std::system(csCommand.c_str());
  if (pErr) {
    std::ifstream f(csErrFile);
    std::stringstream ss;
    ss << f.rdbuf();
    *pErr = ss.str();
  }
  return WIFEXITED(iStatus) ? WEXITSTATUS(iStatus) : -1;
}

// A data folder in tmp ("data") holding the shipped fonts with one of them
// cut short by a byte; returns the prefix that makes the tool use it.
inline std::string DataDirWithDamagedFont(const CTempDir& tmp) {
  namespace fs = std::filesystem;
  const fs::path fonts = fs::path(tmp.Path("data")) / "fonts";
  fs::create_directories(fonts);
  for (const auto& entry : fs::directory_iterator(fs::path(VX_RESOURCE_DIR) / "fonts"))
    fs::copy_file(entry.path(), fonts / entry.path().filename());
  const fs::path damaged = fonts / "LiberationSans-Regular.ttf";
  fs::resize_file(damaged, fs::file_size(damaged) - 1);
  return "VEXMORA_DATA_DIR=" + tmp.Path("data") + " ";
}
#endif

inline std::string ReadAll(const std::string& csPath) {
  std::ifstream f(csPath, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}
