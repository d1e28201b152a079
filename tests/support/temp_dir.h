// A fresh temporary directory for one test, removed with everything in it.
#pragma once

#include <filesystem>
#include <cstdlib>
#include <string>

class CTempDir {
 public:
  CTempDir() {
    std::string csTemplate = (std::filesystem::temp_directory_path() / "vexmora-test-XXXXXX").string();
    m_path = mkdtemp(csTemplate.data()) ? csTemplate : std::string();
  }
  ~CTempDir() {
    std::error_code ec;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
  }
  CTempDir(const CTempDir&) = delete;
  CTempDir& operator=(const CTempDir&) = delete;

  const std::filesystem::path& Dir() const { return m_path; }
  std::string Path(const std::string& csName) const { return (m_path / csName).string(); }

 private:
  std::filesystem::path m_path;
};
