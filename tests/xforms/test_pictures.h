// Small synthetic pictures and surface digests for the Xform and engine tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "engine/filspec.h"
#include "imaging/dadc.h"
#include "support/surface_digest.h"

// A picture with a colour gradient, a bright disc and dark stripes, so that
// the force field and the sampled colours vary over it.
inline std::unique_ptr<CDADC> MakeTestPicture(int iWidth, int iHeight) {
  auto p = std::make_unique<CDADC>(iWidth, iHeight);
  const int cx = iWidth * 2 / 3, cy = iHeight / 3, r = (iHeight < iWidth ? iHeight : iWidth) / 4;
  for (int y = 0; y < iHeight; ++y) {
    std::uint8_t* pRow = p->Row(y);
    for (int x = 0; x < iWidth; ++x) {
      int red = x * 255 / iWidth, green = y * 255 / iHeight, blue = (x * 7 + y * 3) % 256;
      if ((x - cx) * (x - cx) + (y - cy) * (y - cy) < r * r) red = green = blue = 250;
      if ((x / 9) % 5 == 0) green /= 3;
      pRow[3 * x] = static_cast<std::uint8_t>(blue);
      pRow[3 * x + 1] = static_cast<std::uint8_t>(green);
      pRow[3 * x + 2] = static_cast<std::uint8_t>(red);
    }
  }
  return p;
}


// How many pixels of the surface have colour cr.
inline int CountColour(const CDADC& s, COLORREF cr) {
  int n = 0;
  for (int y = 0; y < s.m_iHeight; ++y)
    for (int x = 0; x < s.m_iWidth; ++x) n += s.m_pDC->GetPixel(x, y) == cr;
  return n;
}

inline bool SameSurfaces(const CDADC& a, const CDADC& b) {
  if (a.m_iWidth != b.m_iWidth || a.m_iHeight != b.m_iHeight) return false;
  for (int y = 0; y < a.m_iHeight; ++y)
    for (int i = 0; i < 3 * a.m_iWidth; ++i)
      if (a.Row(y)[i] != b.Row(y)[i]) return false;
  return true;
}

// The checked-in digests, "name digest" per line. Running the tests with
// VX_UPDATE_DIGESTS=1 rewrites the entries the tests compute (do that only
// when a change of the pictures is intended).
class CDigestFile {
 public:
  static CDigestFile& Get() {
    static CDigestFile file(std::string(VX_TEST_DATA_DIR) + "/xforms/digests.txt");
    return file;
  }
  std::string Expected(const std::string& csName) const {
    auto it = m_aEntries.find(csName);
    return it == m_aEntries.end() ? "(none)" : it->second;
  }
  // True when the digest matches, or was just recorded in update mode.
  bool Check(const std::string& csName, const std::string& csDigest) {
    if (std::getenv("VX_UPDATE_DIGESTS")) {
      m_aEntries[csName] = csDigest;
      std::ofstream f(m_csPath);
      for (const auto& [csKey, csValue] : m_aEntries) f << csKey << ' ' << csValue << '\n';
      return true;
    }
    return Expected(csName) == csDigest;
  }

 private:
  explicit CDigestFile(std::string csPath) : m_csPath(std::move(csPath)) {
    std::ifstream f(m_csPath);
    std::string csKey, csValue;
    while (f >> csKey >> csValue) m_aEntries[csKey] = csValue;
  }
  std::string m_csPath;
  std::map<std::string, std::string> m_aEntries;
};

// Checks a picture against the checked-in digest csName. On a mismatch the
// picture is written as a PNG next to the test program (in the build tree),
// and the failure names it, so that the change can be looked at.
inline void ExpectDigest(const std::string& csName, CDADC& picture) {
  const std::string csDigest = SurfaceDigest(picture);
  if (CDigestFile::Get().Check(csName, csDigest)) return;
  std::error_code ec;
  const std::filesystem::path dir =
      std::filesystem::read_symlink("/proc/self/exe", ec).parent_path() / "digest_mismatches";
  std::filesystem::create_directories(dir, ec);
  const std::string csPath = (dir / (csName + ".png")).string();
  const bool bWritten = picture.WriteImageFile(csPath.c_str()) != 0;
  ADD_FAILURE() << csName << ": digest " << csDigest << ", expected "
                << CDigestFile::Get().Expected(csName) << "; the picture "
                << (bWritten ? "is in " + csPath : "could not be written to " + csPath);
}

// Runs the recipe's Xform (Apply seeds the generator) on a fresh out
// surface of quality q and hands the surfaces back.
struct CXformRun {
  std::unique_ptr<CDADC> m_pOut;
  std::unique_ptr<CDADC> m_pDrw;
  int m_iResult = 0;
};

inline CXformRun RunXform(CFilSpec spec, CDADC& in, int q) {
  CXformRun run;
  run.m_pOut = std::make_unique<CDADC>(in.m_iWidth * q, in.m_iHeight * q);
  run.m_pDrw = std::make_unique<CDADC>(in.m_iWidth, in.m_iHeight);
  spec.SetDCs(run.m_pDrw.get(), run.m_pOut.get(), &in);
  run.m_iResult = spec.Apply();
  return run;
}

// Runs the recipe twice at quality 1 and 2: each run succeeds, both give the
// same picture, and its digest matches the checked-in "<kind>_q<quality>".
inline void ExpectReproducedAndPinned(const CFilSpec& spec, CDADC& in, const std::string& csKind) {
  for (int q : {1, 2}) {
    const CXformRun a = RunXform(spec, in, q);
    const CXformRun b = RunXform(spec, in, q);
    ASSERT_EQ(a.m_iResult, 1) << csKind;
    EXPECT_TRUE(SameSurfaces(*a.m_pOut, *b.m_pOut)) << csKind;
    ExpectDigest(csKind + "_q" + std::to_string(q), *a.m_pOut);
  }
}

// A recipe of one Xform with its wizard off (its record is used as it is).
inline CFilSpec SpecFor(int iXform, int iSeed) {
  CFilSpec spec;
  spec.m_iXform = iXform;
  spec.m_iSeed = iSeed;
  spec.m_bWizardAll = 0;
  if (std::int32_t* p = spec.WizardFlag(iXform)) *p = 0;
  return spec;
}
