#include "platform/data_dir.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
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

namespace {

// SHA-256 (FIPS 180-4), small and plain: it runs once per run over the fonts.
class CSha256 {
 public:
  void Add(const std::uint8_t* p, std::size_t n) {
    m_iBytes += n;
    for (; m_iFill == 0 && n >= sizeof m_aBlock; p += sizeof m_aBlock, n -= sizeof m_aBlock)
      Block(p);
    while (n > 0) {
      const std::size_t k = std::min(n, sizeof m_aBlock - m_iFill);
      std::memcpy(m_aBlock + m_iFill, p, k);
      m_iFill += k;
      p += k;
      n -= k;
      if (m_iFill == sizeof m_aBlock) {
        Block(m_aBlock);
        m_iFill = 0;
      }
    }
  }
  std::string Hex() {
    const std::uint64_t iBits = m_iBytes * 8;
    const std::uint8_t b80 = 0x80, b0 = 0;
    Add(&b80, 1);
    while (m_iFill != 56) Add(&b0, 1);
    std::uint8_t aLength[8];
    for (int i = 0; i < 8; ++i) aLength[i] = static_cast<std::uint8_t>(iBits >> (56 - 8 * i));
    Add(aLength, 8);
    static const char kHex[] = "0123456789abcdef";
    std::string cs;
    for (std::uint32_t h : m_aState)
      for (int i = 28; i >= 0; i -= 4) cs += kHex[(h >> i) & 15];
    return cs;
  }

 private:
  static std::uint32_t Rot(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }
  void Block(const std::uint8_t* p) {
    static constexpr std::uint32_t k[64] = {
        0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4,
        0xab1c5ed5, 0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe,
        0x9bdc06a7, 0xc19bf174, 0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f,
        0x4a7484aa, 0x5cb0a9dc, 0x76f988da, 0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7,
        0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967, 0x27b70a85, 0x2e1b2138, 0x4d2c6dfc,
        0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85, 0xa2bfe8a1, 0xa81a664b,
        0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070, 0x19a4c116,
        0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
        0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7,
        0xc67178f2};
    std::uint32_t w[64];
    for (int i = 0; i < 16; ++i)
      w[i] = (std::uint32_t{p[4 * i]} << 24) | (std::uint32_t{p[4 * i + 1]} << 16) |
             (std::uint32_t{p[4 * i + 2]} << 8) | p[4 * i + 3];
    for (int i = 16; i < 64; ++i) {
      const std::uint32_t s0 = Rot(w[i - 15], 7) ^ Rot(w[i - 15], 18) ^ (w[i - 15] >> 3);
      const std::uint32_t s1 = Rot(w[i - 2], 17) ^ Rot(w[i - 2], 19) ^ (w[i - 2] >> 10);
      w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    std::array<std::uint32_t, 8> v = m_aState;
    for (int i = 0; i < 64; ++i) {
      const std::uint32_t s1 = Rot(v[4], 6) ^ Rot(v[4], 11) ^ Rot(v[4], 25);
      const std::uint32_t ch = (v[4] & v[5]) ^ (~v[4] & v[6]);
      const std::uint32_t t1 = v[7] + s1 + ch + k[i] + w[i];
      const std::uint32_t s0 = Rot(v[0], 2) ^ Rot(v[0], 13) ^ Rot(v[0], 22);
      const std::uint32_t maj = (v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]);
      v = {t1 + s0 + maj, v[0], v[1], v[2], v[3] + t1, v[4], v[5], v[6]};
    }
    for (int i = 0; i < 8; ++i) m_aState[static_cast<std::size_t>(i)] += v[static_cast<std::size_t>(i)];
  }

  std::array<std::uint32_t, 8> m_aState = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                           0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  std::uint8_t m_aBlock[64] = {};
  std::size_t m_iFill = 0;
  std::uint64_t m_iBytes = 0;
};

bool ReadWhole(const fs::path& path, std::string& csData) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) return false;
  const std::streamoff iSize = file.tellg();
  if (iSize < 0) return false;
  csData.resize(static_cast<std::size_t>(iSize));
  file.seekg(0);
  return static_cast<bool>(file.read(csData.data(), iSize));
}

}  // namespace

std::string Sha256Hex(const void* pData, std::size_t iSize) {
  CSha256 sha;
  sha.Add(static_cast<const std::uint8_t*>(pData), iSize);
  return sha.Hex();
}

bool CheckFontsIn(const std::string& csDataDir, std::vector<std::string>& aFiles,
                  std::string& csError, bool bDigests) {
  aFiles.clear();
  if (csDataDir.empty()) return csError = DataDirMissingMessage(DataDirSearch{}), false;
  const fs::path fonts = fs::path(csDataDir) / "fonts";
  const fs::path sums = fonts / kFontSumsFile;
  std::string csList;
  if (!ReadWhole(sums, csList))
    return csError = "The list of shipped fonts is missing: " + sums.string(), false;
  std::istringstream lines(csList);
  std::string csLine;
  std::vector<std::string> aChecked;
  while (std::getline(lines, csLine)) {
    if (csLine.empty()) continue;
    // "<digest>  <name>" (the second space may be "*" for binary mode).
    if (csLine.size() < 67 || csLine[64] != ' ' || (csLine[65] != ' ' && csLine[65] != '*') ||
        csLine.find('/', 66) != std::string::npos)
      return csError = "The list of shipped fonts is damaged: " + sums.string(), false;
    const std::string csDigest = csLine.substr(0, 64);
    const fs::path file = fonts / csLine.substr(66);
    std::error_code ec;
    if (!fs::is_regular_file(file, ec))
      return csError = "A shipped font is missing: " + file.string(), false;
    std::string csData;
    if (bDigests && !ReadWhole(file, csData))
      return csError = "A shipped font is missing: " + file.string(), false;
    if (bDigests && Sha256Hex(csData.data(), csData.size()) != csDigest)
      return csError = "A shipped font is damaged (its checksum differs from " +
                       std::string(kFontSumsFile) + "): " + file.string(),
             false;
    aChecked.push_back(file.string());
  }
  if (aChecked.empty())
    return csError = "The list of shipped fonts names no font: " + sums.string(), false;
  aFiles = std::move(aChecked);
  return true;
}

namespace {

struct CFontCheck {
  bool m_bOk = false;
  std::vector<std::string> m_aFiles;
  std::string m_csError;
};

const CFontCheck& FontCheck() {
  static const CFontCheck s_check = [] {
    CFontCheck check;
    const DataDirSearch& search = DataDir();
    if (search.m_csDir.empty())
      check.m_csError = DataDirMissingMessage(search);
    else
      check.m_bOk = CheckFontsIn(search.m_csDir, check.m_aFiles, check.m_csError);
    return check;
  }();
  return s_check;
}

}  // namespace

bool CheckShippedFonts(std::string& csError) {
  const CFontCheck& check = FontCheck();
  if (!check.m_bOk) csError = check.m_csError;
  return check.m_bOk;
}

const char* ShippedFontsError() {
  const CFontCheck& check = FontCheck();
  return check.m_bOk ? nullptr : check.m_csError.c_str();
}

bool ShippedFontsListed(std::string& csError) {
  const DataDirSearch& search = DataDir();
  if (search.m_csDir.empty()) return csError = DataDirMissingMessage(search), false;
  std::vector<std::string> aFiles;
  return CheckFontsIn(search.m_csDir, aFiles, csError, false);
}

const std::vector<std::string>& ShippedFontFiles() { return FontCheck().m_aFiles; }
