// Running the built vexmora-cli from a test.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
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
#endif

inline std::string ReadAll(const std::string& csPath) {
  std::ifstream f(csPath, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}
