// Whole-surface exactness check: renders Xforms on the bundled photo at
// quality 4 (and a few at quality 1), hashes every pixel of each oversampled
// surface and compares the digests with bench/exactness/digests.txt. Speed
// work must leave every one of them unchanged.
//
//   vexmora_exactness            compare; exit status 1 on any difference
//   vexmora_exactness --update   record the digests anew (only when a change
//                                of the pictures is intended)
//   vexmora_exactness FILTER     only the cases whose name contains FILTER
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/filspec.h"
#include "imaging/dadc.h"
#include "imaging/image_files.h"
#include "imaging/random.h"
#include "support/surface_digest.h"

namespace {

struct Case {
  std::string csName;
  int iXform;
  int iSeed;
  int iQuality;
  bool bWizard;
  int iShape;   // Primitive Art's shape when the wizard is off, else -1
  bool bCrop;   // on the 800 x 500 middle of the photo instead of all of it
};

std::vector<Case> Cases() {
  std::vector<Case> a;
  // Primitive Art: chosen by the wizard with seeds spread apart (circles,
  // squares, triangles and no shapes among them), and each shape at defaults.
  for (int iSeed : {12345, 100, 99999, 4711, 271828, 31337, 8080, 65000})
    a.push_back({"primitive_art_wizard_" + std::to_string(iSeed), XFORM_PRIMITIVE_ART, iSeed, 4,
                 true, -1, false});
  for (int iShape : {PRIMITIVE_NONE, PRIMITIVE_SQUARE, PRIMITIVE_CIRCLE, PRIMITIVE_TRIANGLE})
    a.push_back({"primitive_art_shape" + std::to_string(iShape), XFORM_PRIMITIVE_ART, 4711, 4,
                 false, iShape, false});
  for (int iSeed : {12345, 100, 99999}) {
    a.push_back({"clouds_wizard_" + std::to_string(iSeed) + "_q1", XFORM_CLOUDS, iSeed, 1, true,
                 -1, false});
    a.push_back({"clouds_wizard_" + std::to_string(iSeed) + "_q4", XFORM_CLOUDS, iSeed, 4, true,
                 -1, false});
  }
  a.push_back({"clouds_defaults_q4", XFORM_CLOUDS, 4711, 4, false, -1, false});
  // Every Xform, chosen by its wizard, on the middle of the photo.
  for (int i = 0; i < kXformCount; ++i) {
    if (!CFilSpec::IsBuilt(i)) continue;
    a.push_back({"xform" + std::to_string(i) + "_wizard_q4", i, 12345 + i, 4, true, -1, true});
  }
  return a;
}

std::map<std::string, std::string> ReadDigests(const std::string& csPath) {
  std::map<std::string, std::string> m;
  std::ifstream f(csPath);
  std::string k, v;
  while (f >> k >> v) m[k] = v;
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  bool bUpdate = false;
  std::string csFilter;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--update") == 0)
      bUpdate = true;
    else
      csFilter = argv[i];
  }
  const std::string csPath = VX_EXACTNESS_DIGESTS;
  std::map<std::string, std::string> aExpected = ReadDigests(csPath);

  std::unique_ptr<CDADC> pPhoto =
      CDADC::CBC(OpenImageFile(VX_SAMPLE_DIR "/ladybird.jpg", kImageFromName));
  if (!pPhoto) {
    std::fprintf(stderr, "exactness: the sample photo cannot be read\n");
    return 2;
  }
  CDADC crop(800, 500);
  crop.m_pDC->BitBlt(0, 0, 800, 500, *pPhoto->m_pDC, 400, 250, SRCCOPY);

  std::map<std::string, std::string> aFound;
  if (csFilter.empty() || std::string("photo").find(csFilter) != std::string::npos)
    aFound["photo"] = SurfaceDigest(*pPhoto);
  for (const Case& c : Cases()) {
    if (!csFilter.empty() && c.csName.find(csFilter) == std::string::npos) continue;
    CDADC& in = c.bCrop ? crop : *pPhoto;
    CFilSpec spec;
    spec.m_iXform = c.iXform;
    spec.m_iSeed = c.iSeed;
    spec.m_bWizardAll = 0;
    if (std::int32_t* p = spec.WizardFlag(c.iXform)) *p = c.bWizard ? 1 : 0;
    if (c.iShape >= 0) spec.m_PrimitiveArt.m_iShape = c.iShape;
    SeedRandom(static_cast<unsigned int>(c.iSeed));
    if (!spec.Effect(in.m_iWidth, in.m_iHeight)) {
      std::fprintf(stderr, "exactness: %s refused\n", c.csName.c_str());
      return 2;
    }
    spec.Autochoose(&in);
    CDADC out(in.m_iWidth * c.iQuality, in.m_iHeight * c.iQuality);
    CDADC drw(in.m_iWidth, in.m_iHeight);
    spec.SetDCs(&drw, &out, &in);
    const auto t0 = std::chrono::steady_clock::now();
    const int iResult = spec.Apply();
    const double dMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    std::string csDigest = SurfaceDigest(out);
    if (!iResult) csDigest.insert(0, "failed-");
    aFound[c.csName] = csDigest;
    std::printf("%-34s %s %8.1f ms%s\n", c.csName.c_str(), aFound[c.csName].c_str(), dMs,
                c.iXform == XFORM_PRIMITIVE_ART
                    ? (" shape " + std::to_string(spec.m_PrimitiveArt.m_iShape)).c_str()
                    : "");
    std::fflush(stdout);
  }

  if (bUpdate) {
    for (const auto& [k, v] : aFound) aExpected[k] = v;
    std::ofstream f(csPath);
    for (const auto& [k, v] : aExpected) f << k << ' ' << v << '\n';
    std::printf("exactness: %zu digests recorded in %s\n", aFound.size(), csPath.c_str());
    return 0;
  }
  int iBad = 0;
  for (const auto& [k, v] : aFound) {
    auto it = aExpected.find(k);
    if (it == aExpected.end() || it->second != v) {
      std::printf("exactness: %s differs (expected %s, got %s)\n", k.c_str(),
                  it == aExpected.end() ? "(none)" : it->second.c_str(), v.c_str());
      ++iBad;
    }
  }
  std::printf("exactness: %zu surfaces compared, %d differ\n", aFound.size(), iBad);
  return iBad ? 1 : 0;
}
